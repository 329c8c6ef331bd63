// Any bytes cut into records that tile the input whole, the same however the
// bytes arrive; and every purchase read from them reads back the same after
// the writer writes it again.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/entry/Ledger.h"
#include "core/entry/LedgerReader.h"

namespace {

struct Record {
  std::uint64_t line, offset, size;
  std::string text;
  bool operator==(const Record&) const = default;
};

std::vector<Record> Scan(std::string_view bytes, std::size_t chunk) {
  std::vector<Record> records;
  mametan::LedgerScanner scanner(
      [&](const mametan::LedgerScanner::Place& p, std::string_view text) {
        records.push_back({p.line, p.offset, p.size, std::string(text)});
      });
  for (std::size_t i = 0; i < bytes.size(); i += chunk) scanner.Feed(bytes.substr(i, chunk));
  scanner.Finish();
  return records;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::vector<Record> records = Scan(bytes, bytes.size() + 1);
  if (Scan(bytes, 1) != records || Scan(bytes, 7) != records) std::abort();
  std::uint64_t offset = 0;
  for (const Record& record : records) {
    if (record.offset != offset || record.size < record.text.size()) std::abort();
    offset += record.size;
    mametan::LedgerEntry entry;
    if (mametan::ParseLedgerLine(record.text, entry) != mametan::LedgerLineKind::Entry) continue;
    if (entry.dateText.find('\0') != std::string::npos ||
        entry.kind.find('\0') != std::string::npos || entry.goods.find('\0') != std::string::npos) {
      continue;  // the writer's texts end at a NUL
    }
    std::string line = mametan::FormatLedgerLine(
        {entry.dateText, entry.kind, entry.goods, static_cast<std::int32_t>(entry.price)});
    line.resize(line.size() - 2);
    mametan::LedgerEntry again;
    if (mametan::ParseLedgerLine(line, again) != mametan::LedgerLineKind::Entry ||
        again.dateText != entry.dateText || again.kind != entry.kind ||
        again.goods != entry.goods || again.price != entry.price || !(again.date == entry.date)) {
      std::abort();
    }
  }
  if (offset != size) std::abort();
  return 0;
}
