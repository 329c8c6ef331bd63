// Linux: the distribution's pretty name and sysinfo's total RAM. Executables
// carry no version resource, so the compiled-in version stands in.
#include <sys/sysinfo.h>

#include <fstream>
#include <sstream>

#include "core/platform/SystemInfo.h"

namespace mametan {

std::optional<std::string> QueryOsVersionText() {
  for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
    std::ifstream file(path, std::ios::binary);
    if (!file) continue;
    std::ostringstream text;
    text << file.rdbuf();
    return OsReleasePrettyName(text.str());
  }
  return OsReleasePrettyName("");
}

std::uint64_t QueryTotalPhysicalMemory() {
  struct sysinfo info {};
  if (sysinfo(&info) != 0) return 0;
  return static_cast<std::uint64_t>(info.totalram) * info.mem_unit;
}

std::optional<std::string> QueryProgramFileVersion() { return std::string(kProgramFileVersion); }

}  // namespace mametan
