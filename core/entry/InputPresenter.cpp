#include "core/entry/InputPresenter.h"

#include <cstdio>

#include "core/entry/Classification.h"
#include "core/entry/EntryRules.h"
#include "core/entry/Ledger.h"

namespace mametan {
namespace {

InputControl FieldControl(EntryField field) {
  switch (field) {
    case EntryField::Date:
      return InputControl::Date;
    case EntryField::Kind:
      return InputControl::Kind;
    case EntryField::Goods:
      return InputControl::Goods;
    case EntryField::Price:
      return InputControl::Price;
    case EntryField::Tax:
    case EntryField::None:
      break;
  }
  return InputControl::AutoTax;
}

}  // namespace

void InputPresenter::FormCreate() {
  if (m_settings.OpenWindowAtBoot) m_view.Show();
  m_view.SetKinds(LoadKindList(m_settings.File_Kind, m_view));
}

void InputPresenter::OnShow() {
  if (!m_settings.SaveWindowPos && !m_shownOnce) m_view.PlaceAtDefault();
  m_shownOnce = true;
  FormShow();
}

std::string InputPresenter::TodayText() {
  const CivilDate today = m_view.Today();
  const std::string sep = m_view.DateSeparator();
  char year[16];
  char month[8];
  char day[8];
  std::snprintf(year, sizeof year, "%04d", today.year);
  std::snprintf(month, sizeof month, "%02d", today.month);
  std::snprintf(day, sizeof day, "%02d", today.day);
  return year + sep + month + sep + day;
}

void InputPresenter::FormShow() {
  if (!m_view.Checked(InputControl::HoldDate)) m_view.SetText(InputControl::Date, TodayText());
  if (m_settings.SaveWindowPos) {
    m_defaultPlace.reset();
    if (TitleBarReachable(m_settings.InputWindow_Left, m_settings.InputWindow_Top,
                          m_view.FrameWidth(), m_view.TitleBarHeight(), m_view.Screens())) {
      // The stored place is the frame's, as the hide steps read it.
      m_view.PlaceFrameAt({m_settings.InputWindow_Left, m_settings.InputWindow_Top});
    } else {
      // Nobody could see or grab the window there: the default place, and
      // the stored place stays until the user moves the window.
      m_defaultPlace = m_view.PlaceAtDefault();
      m_view.PlaceFrameAt(*m_defaultPlace);
    }
  }
  m_view.ClearKind();
  m_view.SetText(InputControl::Goods, std::string());
  m_view.SetText(InputControl::Price, std::string());
  m_view.SetChecked(InputControl::AutoTax, m_settings.AutoTax);
  m_view.SetChecked(InputControl::NextInput, m_settings.NextInput);
  cb_NextInputClick();
  m_view.Focus(InputControl::Kind);
  m_okDefault = !m_settings.EnterToNext;
  m_view.SetOkDefault(m_okDefault);
}

void InputPresenter::FormHide() {
  // A window never shown in this run has nothing of its own to copy: the
  // stored place and boxes stay as they are.
  if (!m_shownOnce) return;
  // The default place was asked for the frame; while the frame is still
  // there, the user has not moved the window and the stored place stays.
  // Nor is a place stored that the window system did not report.
  const std::optional<WindowPoint> place = m_view.FramePlace();
  if (place && m_defaultPlace != *place) {
    m_settings.InputWindow_Left = place->x;
    m_settings.InputWindow_Top = place->y;
  }
  m_settings.AutoTax = m_view.Checked(InputControl::AutoTax);
  m_settings.NextInput = m_view.Checked(InputControl::NextInput);
  if (m_view.IsVisible()) m_view.Focus(InputControl::Price);
}

void InputPresenter::cb_NextInputClick() {
  m_view.SetText(InputControl::Cancel,
                 m_view.Checked(InputControl::NextInput) ? "&Clear" : "&Cancel");
}

void InputPresenter::bbtn_OkClick() {
  EntryTexts entry;
  entry.date = m_view.Text(InputControl::Date);
  entry.dateComplete = m_view.DateComplete();
  entry.kind = m_view.Text(InputControl::Kind);
  entry.kindBytes = m_view.ListedKindBytes();
  entry.goods = m_view.Text(InputControl::Goods);
  entry.price = m_view.Text(InputControl::Price);
  entry.autoTax = m_view.Checked(InputControl::AutoTax);
  entry.tax = m_settings.Tax;
  const CheckedEntry checked = CheckEntry(entry);
  if (checked.problem) {
    if (checked.problem.dateIncomplete) {
      // Refused the way the date field refuses to be left unfinished.
      m_view.RefuseUnfinishedDate();
    } else {
      m_view.ShowMessage(checked.problem.message, MessageIcon::Exclamation);
      m_view.Focus(FieldControl(checked.problem.field));
    }
    return;
  }
  const LedgerOutcome outcome = WriteLedgerRecord(checked.record, m_settings.File_Kakeibo);
  if (outcome != LedgerOutcome::Written) {
    // The record stays on screen for another try.
    m_view.ShowMessage(LedgerFailureMessage(outcome), MessageIcon::Stop);
    return;
  }
  if (m_view.Checked(InputControl::NextInput)) {
    FormHide();
    FormShow();
  } else {
    m_view.Hide();
  }
}

void InputPresenter::bbtn_CancelClick() {
  if (m_view.Checked(InputControl::NextInput)) {
    FormShow();
  } else {
    m_view.SetChecked(InputControl::HoldDate, false);
    m_view.Hide();
  }
}

void InputPresenter::RememberShift(const KeyStroke& key) {
  m_lastShift = key.shift;
  m_lastOther = key.ctrl || key.alt;
}

bool InputPresenter::FormKeyPress(const KeyStroke& key) {
  RememberShift(key);
  // Enter walks the controls while EnterToNext is set.
  if (!key.enter) return false;
  const bool none = !m_lastShift && !m_lastOther;
  const bool shiftOnly = m_lastShift && !m_lastOther;
  if (m_settings.EnterToNext) {
    if (key.onButton && none) return false;  // presses that button
    m_view.MoveFocus(!shiftOnly);
    return true;
  }
  // Without it, Shift+Enter neither presses a button nor moves on.
  if (!none) return !key.keypad;
  if (key.onButton || !m_okDefault) return false;
  // OK's checks come first: the date field would otherwise refuse an
  // emptied date as unfinished before OK could name what is missing.
  bbtn_OkClick();
  return true;
}

std::optional<bool> InputPresenter::ListKeyPress(const KeyStroke& key) {
  RememberShift(key);
  if (!key.enter || !m_settings.EnterToNext) return std::nullopt;
  return !(m_lastShift && !m_lastOther);
}

}  // namespace mametan
