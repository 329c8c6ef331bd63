#pragma once
// Scratch folders and whole-file reads and writes for file tests.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace mametan::test {

// A fresh, empty folder named after the running test, removed afterwards.
class ScratchDir {
 public:
  ScratchDir() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
#ifdef MAMETAN_TEST_TMP
    const std::filesystem::path base = MAMETAN_TEST_TMP;
#else
    const std::filesystem::path base = std::filesystem::temp_directory_path() / "mametan-test";
#endif
    std::string leaf = std::string(info->test_suite_name()) + "." + info->name();
    for (char& c : leaf) {
      if (c == '/') c = '_';  // parameterised tests have "/" in their names
    }
    m_path = std::filesystem::absolute(base / leaf);
    std::filesystem::remove_all(m_path);
    std::filesystem::create_directories(m_path);
  }
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(m_path, ignored);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  std::string operator/(const std::string& name) const { return (m_path / name).string(); }
  const std::filesystem::path& path() const { return m_path; }

 private:
  std::filesystem::path m_path;
};

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

}  // namespace mametan::test
