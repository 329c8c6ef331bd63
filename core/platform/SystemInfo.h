#pragma once
// What the about box tells of the machine and of the program itself: the
// operating system, the total physical memory and the program's file version.
// Every query runs afresh each time it is called.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "BuildInfo.h"

namespace mametan {

// The file version of this release, from the build's one version number (the
// Windows version resource states the same).
inline constexpr const char* kProgramFileVersion = MAMETAN_FILE_VERSION;

// The operating-system description (UTF-8). Windows: the version table below
// applied to the system's version record. Linux: the distribution's pretty
// name. Nothing when the system cannot be told: the caller keeps what it
// showed before.
std::optional<std::string> QueryOsVersionText();

// Total physical memory in bytes; 0 when the system does not say.
std::uint64_t QueryTotalPhysicalMemory();

// The "FileVersion" text of the running program's own version information
// (Japanese string table, code page 932). Nothing when there is none or it
// cannot be read. Linux programs carry no version resource: the compiled-in
// kProgramFileVersion stands in.
std::optional<std::string> QueryProgramFileVersion();

// The Windows version table: platform id 0 Win32s, 1 the Windows 95 family
// (told apart by minor version and the low 16 bits of the build number), 2
// the NT family. Nothing for any other platform id.
std::optional<std::string> WindowsVersionText(std::uint32_t platformId, std::uint32_t minorVersion,
                                              std::uint32_t buildNumber);

// The PRETTY_NAME of an os-release file's text, unquoted; "Linux" when the
// file names none.
std::string OsReleasePrettyName(std::string_view osRelease);

}  // namespace mametan
