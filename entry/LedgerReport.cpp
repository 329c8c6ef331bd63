#include "entry/LedgerReport.h"

#include <QString>

#include "platform/MessageBox.h"

namespace mametan {

bool ReportLedgerFailure(LedgerOutcome outcome, QWidget* owner) {
  if (outcome == LedgerOutcome::Written) return true;
  ShowMessageBox(QString::fromStdString(LedgerFailureMessage(outcome)), MsgIcon::Stop, owner);
  return false;
}

}  // namespace mametan
