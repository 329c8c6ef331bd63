#pragma once
// Small UTF-8 helpers shared by the codec implementations.
#include <cstddef>
#include <string>
#include <string_view>

namespace mametan::utf8 {

// Reads one code point at `pos`; returns its length in bytes, 0 when malformed.
std::size_t DecodeOne(std::string_view text, std::size_t pos, char32_t& cp);
void Append(std::string& out, char32_t cp);

}  // namespace mametan::utf8
