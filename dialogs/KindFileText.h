#pragma once
// The classification file as the editor holds it: code page 932 bytes whose
// line ends are all CR LF.
#include <string>
#include <string_view>

namespace mametan {

// Every line end becomes CR LF: CR LF stays, a lone LF or a lone CR becomes
// CR LF. Byte-wise, which is safe for code page 932 because no trail byte of
// a double-byte character is CR or LF.
std::string NormalizeLineEnds(std::string_view bytes);

}  // namespace mametan
