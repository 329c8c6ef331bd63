#pragma once
// The settings record: everything the user can set, loaded once at start-up,
// changed in memory while the program runs, written back at exit.
#include <cstdint>
#include <string>

namespace mametan {

struct TApSystem {
  std::string File_Kakeibo;  // ledger file name, as typed (may be relative)
  std::string File_Kind;     // classification file name, as typed
  bool SaveWindowPos = false;
  bool OpenWindowAtBoot = false;
  bool DelRegistry = false;  // never stored: every run starts with it false
  bool AutoTax = false;
  bool NextInput = false;
  bool EnterToNext = false;
  std::int32_t InputWindow_Left = 0;
  std::int32_t InputWindow_Top = 0;
  std::int32_t Tax = 0;

  bool operator==(const TApSystem&) const = default;
};

// The one process-wide record.
extern TApSystem SettingsRecord;

}  // namespace mametan
