#pragma once
// Loads, saves and deletes the settings record under the company key's
// "Mametan" subkey, as ten text values. Errors are thrown as AppError with the
// text the standard error box shows.
#include "core/common/ApSystem.h"
#include "core/platform/Registry.h"

namespace mametan {

inline constexpr const char* kSettingsKeyName = "Mametan";

// Fills every field but DelRegistry. A value of a wrong type or one that cannot
// be read keeps its initial value, the others are read all the same, and the
// first such error is thrown at the end. A store that is there but cannot be
// read at all gives the defaults and throws a message that says so.
void LoadSettings(RegistryBackend& registry, TApSystem& record);

// Writes the ten values in their fixed order; throws on the first failure,
// leaving the values written before it. A store kept in a file takes them as
// one change: all ten or none, and no write at all when none differs. The
// error's second line, when the store gives one, names the file and the
// system's reason.
void SaveSettings(RegistryBackend& registry, const TApSystem& record);

// Removes the settings key with everything under it. Never reports anything.
void DeleteSettingsKey(RegistryBackend& registry);

}  // namespace mametan
