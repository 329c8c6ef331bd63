#include "entry/EntryRules.h"

#include <algorithm>

#include "common/IntegerText.h"
#include "platform/Cp932.h"

namespace mametan {

std::optional<std::int32_t> PriceAfterTax(std::int32_t price, std::int32_t taxPercent) {
  if (taxPercent < 0) return std::nullopt;
  const std::int64_t result =
      static_cast<std::int64_t>(price) * (100 + static_cast<std::int64_t>(taxPercent)) / 100;
  if (result < INT32_MIN || result > INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(result);
}

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
  if (!cp932::CanEncode(e.kind))
    return problem(EntryField::Kind, "種類名に保存できない文字があります。");
  if (e.goods.empty()) return problem(EntryField::Goods, "商品名がありません。");
  if (!cp932::CanEncode(e.goods)) {
    return problem(EntryField::Goods, "商品名に保存できない文字があります。");
  }
  const auto entered = StrToInt32(e.price);
  if (!entered) return problem(EntryField::Price, "価格がありません。");
  const auto amount = e.autoTax ? PriceAfterTax(*entered, e.tax) : entered;
  if (!amount) return problem(EntryField::Price, "価格が大きすぎます。");
  if (price) *price = *amount;
  return EntryProblem{};
}

}  // namespace mametan
