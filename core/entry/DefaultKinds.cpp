#include "core/entry/DefaultKinds.h"

// Nothing else of the program is linked here: the build's tool that writes the
// kind file of a new account-book folder uses this file alone.
namespace mametan {

const std::vector<std::string>& DefaultKindList() {
  // Byte order of the code page 932 texts, which is also the order shown.
  static const std::vector<std::string> kinds = {
      "\x82\xBB\x82\xCC\x91\xBC",                  // その他
      "\x8B\xB3\x88\xE7\x94\xEF",                  // 教育費
      "\x8C\xF0\x92\xCA\x94\xEF",                  // 交通費
      "\x8E\x47\x89\xDD",                          // 雑貨
      "\x8E\xEF\x96\xA1",                          // 趣味
      "\x8F\x91\x90\xD0",                          // 書籍
      "\x90\x48\x94\xEF",                          // 食費
      "\x90\x85\x93\xB9\x8C\xF5\x94\x4D\x94\xEF",  // 水道光熱費
      "\x92\xCA\x90\x4D\x94\xEF",                  // 通信費
  };
  return kinds;
}

}  // namespace mametan
