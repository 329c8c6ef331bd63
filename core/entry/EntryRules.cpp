#include "core/entry/EntryRules.h"

#include <algorithm>

#include "core/common/IntegerText.h"
#include "core/platform/Cp932.h"
#include "core/platform/Utf8.h"

namespace mametan {

std::optional<std::int32_t> PriceAfterTax(std::int32_t price, std::int32_t taxPercent) {
  if (taxPercent < 0) return std::nullopt;
  const std::int64_t result =
      static_cast<std::int64_t>(price) * (100 + static_cast<std::int64_t>(taxPercent)) / 100;
  if (result < INT32_MIN || result > INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(result);
}

namespace {

// Text the user typed or pasted, as code page 932 bytes: nothing when the
// code page cannot hold it or when it carries the private-use code points
// that stand for raw bytes (only text read from a file may).
std::optional<std::string> EncodeTyped(std::string_view utf8) {
  for (std::size_t pos = 0; pos < utf8.size();) {
    char32_t cp = 0;
    const std::size_t len = utf8::DecodeOne(utf8, pos, cp);
    if (len == 0 || cp932::IsRawByteCodePoint(cp)) return std::nullopt;
    pos += len;
  }
  return cp932::Encode(utf8);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool IsCalendarDate(std::string_view text) {
  // "yyyy/mm/dd" with the date separator in positions 5 and 8.
  if (text.size() != 10) return false;
  for (const std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9}) {
    if (!IsDigit(text[i])) return false;
  }
  const auto number = [&](std::size_t at, std::size_t len) {
    int n = 0;
    for (std::size_t i = at; i < at + len; ++i) n = n * 10 + (text[i] - '0');
    return n;
  };
  const int year = number(0, 4);
  const int month = number(5, 2);
  const int day = number(8, 2);
  if (year < 1 || month < 1 || month > 12 || day < 1) return false;
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

std::string AsShown(std::string_view text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
  std::string shown;
  shown.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;  // CR LF: one break
    shown += c == '\r' || c == '\n' || c == '\t' ? ' ' : c;
  }
  return shown;
}

CheckedEntry CheckEntry(const EntryTexts& e) {
  CheckedEntry checked;
  const auto refuse = [&checked](EntryField field, const char* message, bool date = false) {
    checked.problem = EntryProblem{field, message, date};
    return checked;
  };
  if (std::none_of(e.date.begin(), e.date.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return refuse(EntryField::Date, "日付がありません。");
  }
  if (!e.dateComplete) {
    return refuse(EntryField::Date, "入力値が不正です。エスケープキーで変更を取り消せます", true);
  }
  // The mask lets a blank stay in any digit position and takes any digits:
  // only a day of the calendar goes to the ledger, which cannot read others.
  if (!IsCalendarDate(e.date)) return refuse(EntryField::Date, "日付が正しくありません。");
  // The mask lets only digits and the separator in: the date always encodes.
  checked.record.date = cp932::Encode(e.date).value_or(std::string());

  // A pasted line break or tab is shown as a blank; the ledger gets what
  // the field shows.
  const std::string kindShown = AsShown(e.kind);
  if (kindShown.empty()) return refuse(EntryField::Kind, "種類名がありません。");
  auto kind = e.kindBytes;
  if (!kind) kind = EncodeTyped(kindShown);
  if (!kind || cp932::EndsInLoneLeadByte(*kind)) {
    return refuse(EntryField::Kind, "種類名に保存できない文字があります。");
  }
  checked.record.kind = std::move(*kind);

  const std::string goodsShown = AsShown(e.goods);
  if (goodsShown.empty()) return refuse(EntryField::Goods, "商品名がありません。");
  auto goods = e.goodsBytes;
  if (!goods) goods = EncodeTyped(goodsShown);
  if (!goods) return refuse(EntryField::Goods, "商品名に保存できない文字があります。");
  checked.record.goods = std::move(*goods);

  const auto entered = StrToInt32(e.price);
  if (!entered) return refuse(EntryField::Price, "価格がありません。");
  if (e.autoTax && (e.tax < 0 || e.tax > 100)) {
    return refuse(EntryField::Tax,
                  "消費税率が正しくありません。0 から 100 の間で設定してください。");
  }
  const auto amount = e.autoTax ? PriceAfterTax(*entered, e.tax) : entered;
  if (!amount) return refuse(EntryField::Price, "価格が大きすぎます。");
  checked.record.price = *amount;
  return checked;
}

}  // namespace mametan
