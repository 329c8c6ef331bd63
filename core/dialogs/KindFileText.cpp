#include "core/dialogs/KindFileText.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "core/platform/Cp932.h"

namespace mametan {

std::string NormalizeLineEnds(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 16);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c == '\r') {
      out += "\r\n";
      if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    } else if (c == '\n') {
      out += "\r\n";
    } else {
      out += c;
    }
  }
  return out;
}

namespace {

// A text whose lines are separated by `sep`, addressed by where a line starts
// or ends.
struct Split {
  std::string_view s, sep;

  std::size_t End(std::size_t start) const { return std::min(s.find(sep, start), s.size()); }
  std::string_view Line(std::size_t start) const { return s.substr(start, End(start) - start); }
  std::size_t Next(std::size_t start) const { return End(start) + sep.size(); }
  // The start of the line that ends at `end`.
  std::size_t StartOf(std::size_t end) const {
    if (end < sep.size()) return 0;
    const std::size_t p = s.rfind(sep, end - sep.size());
    return p == std::string_view::npos ? 0 : p + sep.size();
  }
  std::size_t Count() const {
    std::size_t n = 1;
    for (std::size_t p = s.find(sep); p != std::string_view::npos;
         p = s.find(sep, p + sep.size())) {
      ++n;
    }
    return n;
  }
};

}  // namespace

KindFileText::KindFileText(std::string_view fileBytes) : m_bytes(NormalizeLineEnds(fileBytes)) {}

std::string KindFileText::Text() const {
  std::string text = cp932::Decode(m_bytes);
  // Every CR is the first half of a line end: no code page 932 character and
  // no raw byte decodes to one.
  std::erase(text, '\r');
  return text;
}

std::optional<std::string> KindFileText::Encode(std::string_view edited,
                                                std::size_t* badOffset) const {
  const std::string original = Text();
  if (edited == original) return m_bytes;

  // The file's lines as text and as bytes go in step, line for line. The
  // lines the edit left alone at the front and at the back are found first;
  // between them, a typed line equal to a line of the file there takes that
  // line's bytes (the first one not yet taken), and any other is encoded.
  const Split typed{edited, "\n"}, text{original, "\n"}, bytes{m_bytes, "\r\n"};
  const std::size_t typedLines = typed.Count(), textLines = text.Count();
  const std::size_t common = std::min(typedLines, textLines);
  std::size_t head = 0, tp = 0, xp = 0, bp = 0;
  while (head < common && typed.Line(tp) == text.Line(xp)) {
    ++head, tp = typed.Next(tp), xp = text.Next(xp), bp = bytes.Next(bp);
  }
  std::size_t tail = 0, bTail = m_bytes.size();
  for (std::size_t te = edited.size(), xe = original.size(), be = m_bytes.size();
       head + tail < common;) {
    const std::size_t ts = typed.StartOf(te), xs = text.StartOf(xe);
    if (edited.substr(ts, te - ts) != std::string_view(original).substr(xs, xe - xs)) break;
    ++tail, bTail = bytes.StartOf(be);
    if (ts == 0 || xs == 0) break;
    te = ts - 1, xe = xs - 1, be = bTail - 2;
  }

  std::unordered_map<std::string_view, std::vector<std::string_view>> fileLines;
  for (std::size_t i = head; i + tail < textLines; ++i) {
    fileLines[text.Line(xp)].push_back(bytes.Line(bp));
    xp = text.Next(xp), bp = bytes.Next(bp);
  }
  std::unordered_map<std::string_view, std::size_t> taken;

  std::string out;
  out.reserve(m_bytes.size() + edited.size() / 8);
  bool first = true;
  const auto emit = [&](std::string_view line) {
    if (!first) out += "\r\n";
    first = false;
    out += line;
  };
  for (std::size_t i = 0, p = 0; i < head; ++i, p = bytes.Next(p)) emit(bytes.Line(p));
  for (std::size_t i = head; i + tail < typedLines; ++i, tp = typed.Next(tp)) {
    const std::string_view line = typed.Line(tp);
    const auto same = fileLines.find(line);
    if (same != fileLines.end() && taken[line] < same->second.size()) {
      emit(same->second[taken[line]++]);
      continue;
    }
    std::size_t bad = 0;
    const auto encoded = cp932::Encode(line, &bad);
    if (!encoded) {
      if (badOffset) *badOffset = tp + bad;
      return std::nullopt;
    }
    emit(*encoded);
  }
  for (std::size_t i = 0, p = bTail; i < tail; ++i, p = bytes.Next(p)) emit(bytes.Line(p));
  return out;
}

}  // namespace mametan
