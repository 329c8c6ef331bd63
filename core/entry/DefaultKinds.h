#pragma once
// The built-in kinds, on their own: standard C++ and nothing else of the
// program, so that a build tool can use them.
#include <string>
#include <vector>

namespace mametan {

// The nine built-in kinds as code page 932 bytes, in this order: その他,
// 教育費, 交通費, 雑貨, 趣味, 書籍, 食費, 水道光熱費, 通信費. The kind box starts
// with them and keeps them when there is no classification file.
const std::vector<std::string>& DefaultKindList();

}  // namespace mametan
