#pragma once
// The correction window "まめたん家計簿 - 買い物の修正": one purchase of the
// ledger with its date, kind, goods and price, checked by the input window's
// rules and messages (no tax box: the price is what was paid), written back
// in place of its line. A front end implements CorrectionView and forwards
// the window's events here; the viewer window owns the edit history.
#include <optional>
#include <string>
#include <vector>

#include "core/common/Messages.h"
#include "core/entry/LedgerReader.h"
#include "core/viewer/LedgerEdit.h"

namespace mametan {

inline constexpr const char* kCorrectionCaption = "まめたん家計簿 - 買い物の修正";

// The controls the logic reads, sets or focuses; LineNumber is a label.
enum class CorrectionControl { Date, Kind, Goods, Price, LineNumber, Ok, Cancel };

class CorrectionView : public MessageSink {
 public:
  // Texts are UTF-8.
  virtual std::string Text(CorrectionControl control) = 0;
  virtual void SetText(CorrectionControl control, const std::string& text) = 0;
  virtual void Focus(CorrectionControl control) = 0;
  // Every required position of the date mask is filled.
  virtual bool DateComplete() = 0;
  // Refuses the unfinished date the way the date field itself does.
  virtual void RefuseUnfinishedDate() = 0;
  // The classification file's bytes of the kind shown, when it is a list item
  // unchanged; nothing for a typed kind or the purchase's own.
  virtual std::optional<std::string> ListedKindBytes() = 0;
  // The kind box's list (code page 932 bytes each), replacing what it held.
  virtual void SetKinds(std::vector<std::string> kinds) = 0;
  // The user's short-date separator, UTF-8.
  virtual std::string DateSeparator() = 0;
  // Closes the window; with `readAgain` the viewer reads the ledger again
  // (it was written, or found changed).
  virtual void Close(bool readAgain) = 0;
};

class CorrectionPresenter {
 public:
  CorrectionPresenter(CorrectionView& view, LedgerEditHistory& history, std::string kindFile)
      : m_view(view), m_history(history), m_kindFile(std::move(kindFile)) {}

  // Creation: fills the kind list from the classification file (its
  // messages shown now).
  void FormCreate();
  // Shows the purchase in the fields, the focus in the date. False, with
  // nothing shown, for a line that is not a purchase: it cannot be edited.
  bool FormShow(const LedgerLineBytes& target);
  // Checks the fields in the input window's order and writes the line.
  void bbtn_OkClick();
  void bbtn_CancelClick();

 private:
  CorrectionView& m_view;
  LedgerEditHistory& m_history;
  std::string m_kindFile;
  LedgerLineBytes m_target;
  LedgerEntry m_entry;
  // The kind and goods as shown: while a field still shows them, the line
  // keeps the file's bytes for it, which decoding and encoding again would
  // not always give back.
  std::string m_kindShown;
  std::string m_goodsShown;
};

}  // namespace mametan
