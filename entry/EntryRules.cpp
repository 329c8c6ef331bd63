#include "entry/EntryRules.h"

#include <algorithm>

#include "common/IntegerText.h"
#include "platform/Cp932.h"
#include "platform/Utf8.h"

namespace mametan {

std::optional<std::int32_t> PriceAfterTax(std::int32_t price, std::int32_t taxPercent) {
  if (taxPercent < 0) return std::nullopt;
  const std::int64_t result =
      static_cast<std::int64_t>(price) * (100 + static_cast<std::int64_t>(taxPercent)) / 100;
  if (result < INT32_MIN || result > INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(result);
}

namespace {

// Text the user typed or pasted: code page 932 must hold it, and the
// private-use code points that carry raw bytes back to a file are refused.
bool CanStoreTyped(std::string_view utf8) {
  for (std::size_t pos = 0; pos < utf8.size();) {
    char32_t cp = 0;
    const std::size_t len = utf8::DecodeOne(utf8, pos, cp);
    if (len == 0 || cp932::IsRawByteCodePoint(cp)) return false;
    pos += len;
  }
  return cp932::CanEncode(utf8);
}

bool IsLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

bool EndsInLoneLeadByte(std::string_view bytes) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    if (!IsLeadByte(static_cast<unsigned char>(bytes[i]))) {
      ++i;
    } else if (i + 1 == bytes.size()) {
      return true;
    } else {
      i += 2;
    }
  }
  return false;
}

}  // namespace

EntryProblem CheckEntry(const EntryTexts& e, std::int32_t* price) {
  const auto problem = [](EntryField field, const char* message) {
    return EntryProblem{field, message, false};
  };
  if (std::none_of(e.date.begin(), e.date.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return problem(EntryField::Date, "日付がありません。");
  }
  if (!e.dateComplete) {
    return EntryProblem{EntryField::Date, "入力値が不正です。エスケープキーで変更を取り消せます",
                        true};
  }
  if (e.kind.empty()) return problem(EntryField::Kind, "種類名がありません。");
  if (e.kindBytes ? EndsInLoneLeadByte(*e.kindBytes) : !CanStoreTyped(e.kind)) {
    return problem(EntryField::Kind, "種類名に保存できない文字があります。");
  }
  if (e.goods.empty()) return problem(EntryField::Goods, "商品名がありません。");
  if (!CanStoreTyped(e.goods)) {
    return problem(EntryField::Goods, "商品名に保存できない文字があります。");
  }
  const auto entered = StrToInt32(e.price);
  if (!entered) return problem(EntryField::Price, "価格がありません。");
  if (e.autoTax && (e.tax < 0 || e.tax > 100)) {
    return problem(EntryField::Tax,
                   "消費税率が正しくありません。0 から 100 の間で設定してください。");
  }
  const auto amount = e.autoTax ? PriceAfterTax(*entered, e.tax) : entered;
  if (!amount) return problem(EntryField::Price, "価格が大きすぎます。");
  if (price) *price = *amount;
  return EntryProblem{};
}

}  // namespace mametan
