#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "BuildInfo.h"
#include "core/platform/SystemInfo.h"

namespace mametan {
namespace {

TEST(SystemInfoPosix, MemoryMatchesTheKernelsCount) {
  std::ifstream meminfo("/proc/meminfo");
  std::string key;
  std::uint64_t kib = 0;
  ASSERT_TRUE(meminfo >> key >> kib);
  ASSERT_EQ(key, "MemTotal:");
  EXPECT_EQ(QueryTotalPhysicalMemory(), kib * 1024);
}

TEST(SystemInfoPosix, OperatingSystemAndVersion) {
  const auto text = QueryOsVersionText();
  ASSERT_TRUE(text.has_value());
  EXPECT_FALSE(text->empty());
  EXPECT_EQ(text->find('"'), std::string::npos) << *text;
  EXPECT_EQ(QueryProgramFileVersion(), std::optional<std::string>(MAMETAN_FILE_VERSION));
}

}  // namespace
}  // namespace mametan
