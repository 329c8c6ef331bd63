#pragma once
// Corrections and deletions of single ledger lines from the viewer, and their
// undo history. A line is only ever rewritten when the file still holds the
// bytes the viewer showed at the offset it showed them: otherwise nothing is
// written and the viewer reads the file again.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/entry/Ledger.h"
#include "core/entry/LedgerReader.h"

namespace mametan {

// The question asked before a purchase is deleted (はい/いいえ, いいえ the default).
inline constexpr const char* kDeletePurchaseQuestion = "この買い物を削除しますか?";
// Shown when the line is no longer what the viewer showed.
inline constexpr const char* kLedgerChangedMessage =
    "家計簿ファイルが変更されています。もう一度選んでください。";

enum class EditOutcome { Done, Changed, Failed };

struct EditResult {
  EditOutcome outcome = EditOutcome::Failed;
  // UTF-8, empty for Done: kLedgerChangedMessage for Changed, the reason for
  // Failed (shown with the stop icon).
  std::string message;
};

// Replaces `oldBytes` at `offset` of the ledger at `path` with `newBytes`
// (empty: the line goes, its line end with it), in the writers' turn.
EditResult ReplaceLedgerLine(const std::string& path, std::uint64_t offset,
                             std::string_view oldBytes, std::string_view newBytes);

// The line end a record's bytes finish with: CR LF, LF, CR or none.
std::string_view LineEndOf(std::string_view record);

// A record's line as the tray program writes it (FormatLedgerLine), in the
// file's encoding, with `oldLine`'s line end (CR LF, LF, CR or none, for a
// last line without one) in place of CR LF. The texts are in the file's
// encoding already: code page 932, or UTF-8 in a file with the UTF-8 mark.
std::string CorrectedLine(const LedgerRecord& record, std::string_view oldLine);

// One correction or deletion: where, and the bytes before and after.
struct LedgerEditStep {
  std::uint64_t offset = 0;
  std::string oldBytes;
  std::string newBytes;
};

// The corrections of one viewer window, to be taken back (Undo) and done
// again (Redo) in order while the window is open. Undo writes the line's
// original bytes back in their place through the same check, so a file
// changed meanwhile is never written over.
class LedgerEditHistory {
 public:
  explicit LedgerEditHistory(std::string path) : m_path(std::move(path)) {}

  const std::string& Path() const { return m_path; }

  // Writes the step; once done it can be undone, and what was undone before
  // can no longer be done again.
  EditResult Apply(LedgerEditStep step);
  EditResult Undo();
  EditResult Redo();
  bool CanUndo() const { return !m_done.empty(); }
  bool CanRedo() const { return !m_undone.empty(); }

 private:
  std::string m_path;
  std::vector<LedgerEditStep> m_done;
  std::vector<LedgerEditStep> m_undone;
};

// The bytes of one record of the ledger as the viewer found them.
struct LedgerLineBytes {
  std::uint64_t line = 0;    // 1-based line number where it starts
  std::uint64_t offset = 0;  // its first byte
  std::string bytes;         // the record with its line end
  LedgerEncoding encoding = LedgerEncoding::Cp932;
};

// Deletes the record when the file still holds it; nothing for a line that
// is not a purchase.
EditResult DeletePurchase(LedgerEditHistory& history, const LedgerLineBytes& target);

}  // namespace mametan
