#pragma once
// The messages of the channel a new start uses to ask the running copy for
// the input window: one request line, "input <activation-token>\n" (the
// token the desktop gave the new process, so that the window it shows may
// take the keyboard; "input\n" when there is none), answered "ok\n" once the
// running copy has taken it.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mametan {

// Requests and answers are read up to this many bytes; a longer one is bad.
inline constexpr std::size_t kInputRequestMax = 1024;
inline constexpr std::string_view kInputAnswer = "ok\n";

// The request line. A token that could not travel in one line of printable
// ASCII without spaces (or would make the line too long) is left out.
std::string InputRequestLine(std::string_view token);

// The token of a whole request line (empty when it carries none); nothing
// when `line` is not a request.
std::optional<std::string> ParseInputRequest(std::string_view line);

// The X server time at the end of an X11 startup notification id
// ("..._TIME<decimal>"): the time of the user's action that started the
// process, which lets its window take the focus. Nothing when there is none
// or it is no 32-bit number.
std::optional<std::uint32_t> StartupIdTime(std::string_view id);

}  // namespace mametan
