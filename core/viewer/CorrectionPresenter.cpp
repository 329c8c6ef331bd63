#include "core/viewer/CorrectionPresenter.h"

#include <cstdio>

#include "core/entry/Classification.h"
#include "core/entry/EntryRules.h"
#include "core/platform/Cp932.h"

namespace mametan {
namespace {

CorrectionControl FieldControl(EntryField field) {
  switch (field) {
    case EntryField::Kind:
      return CorrectionControl::Kind;
    case EntryField::Goods:
      return CorrectionControl::Goods;
    case EntryField::Price:
    case EntryField::Tax:
      return CorrectionControl::Price;
    case EntryField::Date:
    case EntryField::None:
      break;
  }
  return CorrectionControl::Date;
}

}  // namespace

void CorrectionPresenter::FormCreate() { m_view.SetKinds(LoadKindList(m_kindFile, m_view)); }

bool CorrectionPresenter::FormShow(const LedgerLineBytes& target) {
  std::string_view text = target.bytes;
  text.remove_suffix(LineEndOf(text).size());
  LedgerEntry entry;
  if (ParseLedgerLine(text, entry, target.encoding) != LedgerLineKind::Entry) {
    return false;
  }
  m_target = target;
  m_entry = entry;
  const std::string sep = m_view.DateSeparator();
  char year[16];
  char month[8];
  char day[8];
  std::snprintf(year, sizeof year, "%04d", entry.date.year);
  std::snprintf(month, sizeof month, "%02d", entry.date.month);
  std::snprintf(day, sizeof day, "%02d", entry.date.day);
  m_kindShown = AsShown(LedgerTextToUtf8(entry.kind, target.encoding));
  m_goodsShown = AsShown(LedgerTextToUtf8(entry.goods, target.encoding));
  m_view.SetText(CorrectionControl::Date, year + sep + month + sep + day);
  m_view.SetText(CorrectionControl::Kind, m_kindShown);
  m_view.SetText(CorrectionControl::Goods, m_goodsShown);
  m_view.SetText(CorrectionControl::Price, std::to_string(entry.price));
  m_view.SetText(CorrectionControl::LineNumber, std::to_string(target.line));
  m_view.Focus(CorrectionControl::Date);
  return true;
}

void CorrectionPresenter::bbtn_OkClick() {
  EntryTexts texts{};
  texts.date = m_view.Text(CorrectionControl::Date);
  texts.dateComplete = m_view.DateComplete();
  texts.kind = m_view.Text(CorrectionControl::Kind);
  texts.kindBytes = m_view.ListedKindBytes();
  texts.goods = m_view.Text(CorrectionControl::Goods);
  texts.price = m_view.Text(CorrectionControl::Price);
  texts.autoTax = false;
  texts.tax = 0;
  // A field left alone keeps the file's bytes, whatever their encoding: its
  // checks only need its text, which is there.
  const bool kindKept = !texts.kindBytes && texts.kind == m_kindShown;
  const bool goodsKept = texts.goods == m_goodsShown;
  if (kindKept) texts.kindBytes = "-";
  if (goodsKept) texts.goodsBytes = "-";
  const CheckedEntry checked = CheckEntry(texts);
  if (checked.problem) {
    if (checked.problem.dateIncomplete) {
      m_view.RefuseUnfinishedDate();
    } else {
      m_view.ShowMessage(checked.problem.message, MessageIcon::Exclamation);
      m_view.Focus(FieldControl(checked.problem.field));
    }
    return;
  }
  LedgerRecord record = checked.record;
  // The tray program writes a UTF-8 ledger's lines in UTF-8.
  if (m_target.encoding == LedgerEncoding::Utf8) {
    record.date = cp932::Decode(record.date);
    record.kind = cp932::Decode(record.kind);
    record.goods = cp932::Decode(record.goods);
  }
  if (kindKept) record.kind = m_entry.kind;
  if (goodsKept) record.goods = m_entry.goods;
  const std::string line = CorrectedLine(record, m_target.bytes);
  if (line == m_target.bytes) {
    m_view.Close(false);
    return;
  }
  const EditResult result = m_history.Apply({m_target.offset, m_target.bytes, line});
  switch (result.outcome) {
    case EditOutcome::Done:
      m_view.Close(true);
      return;
    case EditOutcome::Changed:
      m_view.ShowMessage(result.message, MessageIcon::Exclamation);
      m_view.Close(true);
      return;
    case EditOutcome::Failed:
      // The correction stays on screen for another try.
      m_view.ShowMessage(result.message, MessageIcon::Stop);
      return;
  }
}

void CorrectionPresenter::bbtn_CancelClick() { m_view.Close(false); }

}  // namespace mametan
