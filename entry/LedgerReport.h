#pragma once
// Shows the ledger writer's failures to the user.
#include "entry/Ledger.h"

class QWidget;

namespace mametan {

// Shows LedgerFailureMessage(outcome) in a message box (caption "Message",
// stop icon) owned by `owner`; shows nothing for Written. Returns whether
// the record reached the ledger, so the caller can keep a failed entry.
bool ReportLedgerFailure(LedgerOutcome outcome, QWidget* owner);

}  // namespace mametan
