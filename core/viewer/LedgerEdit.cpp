#include "core/viewer/LedgerEdit.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "core/platform/FileIo.h"

namespace mametan {

std::string_view LineEndOf(std::string_view record) {
  if (record.ends_with("\r\n")) return "\r\n";
  if (record.ends_with('\n')) return "\n";
  if (record.ends_with('\r')) return "\r";
  return {};
}

EditResult ReplaceLedgerLine(const std::string& path, std::uint64_t offset,
                             std::string_view oldBytes, std::string_view newBytes) {
  switch (SpliceFile(path, offset, oldBytes, newBytes)) {
    case SpliceOutcome::Done:
      return {EditOutcome::Done, {}};
    case SpliceOutcome::Changed:
      return {EditOutcome::Changed, kLedgerChangedMessage};
    case SpliceOutcome::ReadOnly:
      return {EditOutcome::Failed, "家計簿ファイルは読み取り専用です。修正できません。"};
    case SpliceOutcome::Busy:
      return {EditOutcome::Failed,
              "家計簿ファイルが他のプログラムで使われています。もう一度試してください。"};
    case SpliceOutcome::Failed:
      break;
  }
  return {EditOutcome::Failed, LedgerFailureMessage(LedgerOutcome::CannotWrite)};
}

std::string CorrectedLine(const LedgerRecord& record, std::string_view oldLine) {
  std::string line = FormatLedgerLine(record);
  line.resize(line.size() - 2);  // its CR LF
  line += LineEndOf(oldLine);
  return line;
}

EditResult LedgerEditHistory::Apply(LedgerEditStep step) {
  EditResult result = ReplaceLedgerLine(m_path, step.offset, step.oldBytes, step.newBytes);
  if (result.outcome == EditOutcome::Done) {
    m_done.push_back(std::move(step));
    m_undone.clear();
  }
  return result;
}

EditResult LedgerEditHistory::Undo() {
  if (m_done.empty()) return {EditOutcome::Done, {}};
  const LedgerEditStep& step = m_done.back();
  EditResult result = ReplaceLedgerLine(m_path, step.offset, step.newBytes, step.oldBytes);
  if (result.outcome == EditOutcome::Done) {
    m_undone.push_back(std::move(m_done.back()));
    m_done.pop_back();
  }
  return result;
}

EditResult LedgerEditHistory::Redo() {
  if (m_undone.empty()) return {EditOutcome::Done, {}};
  const LedgerEditStep& step = m_undone.back();
  EditResult result = ReplaceLedgerLine(m_path, step.offset, step.oldBytes, step.newBytes);
  if (result.outcome == EditOutcome::Done) {
    m_done.push_back(std::move(m_undone.back()));
    m_undone.pop_back();
  }
  return result;
}

EditResult DeletePurchase(LedgerEditHistory& history, const LedgerLineBytes& target) {
  std::string_view text = target.bytes;
  text.remove_suffix(LineEndOf(text).size());
  LedgerEntry entry;
  if (ParseLedgerLine(text, entry, target.encoding) != LedgerLineKind::Entry) {
    return {EditOutcome::Failed, "この行は買い物ではないので変更できません。"};
  }
  // The bytes around the line go into the step on both sides, so that taking
  // the deletion back checks where it puts the line again: an empty line has
  // nothing to check, and the file may have changed before it meanwhile.
  constexpr std::uint64_t kContext = 64;
  const std::uint64_t from = target.offset - std::min(target.offset, kContext);
  std::string before(static_cast<std::size_t>(target.offset - from), '\0');
  std::string after(kContext, '\0');
  {
    // Closed before the rewrite: on Windows an open file cannot be replaced.
    ReadOnlyFile file;
    if (file.OpenRead(history.Path()) != ReadOnlyFile::Open::Opened) {
      return history.Apply({target.offset, target.bytes, {}});
    }
    const std::optional<std::size_t> gotBefore = file.ReadAt(from, before.data(), before.size());
    const std::optional<std::size_t> gotAfter =
        file.ReadAt(target.offset + target.bytes.size(), after.data(), after.size());
    if (!gotBefore || *gotBefore != before.size() || !gotAfter) {
      return {EditOutcome::Changed, kLedgerChangedMessage};
    }
    after.resize(*gotAfter);
  }
  return history.Apply({from, before + target.bytes + after, before + after});
}

}  // namespace mametan
