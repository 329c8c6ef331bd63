#include "core/tray/TrayDispatch.h"

namespace mametan {

TrayIconRules::TrayIconRules(TrayEnvironment& env) : m_env(env) {
  m_env.SetTimerEnabled(false);
  m_env.SetTimerInterval(m_interval);
  Update();
}

TrayIconRules::~TrayIconRules() {
  m_env.DeleteIcon();
  if (m_hooked) m_env.SetApplicationHook(false);
  if (m_timerEnabled) m_env.SetTimerEnabled(false);
}

void TrayIconRules::Loaded() {
  m_loading = false;
  if (Icons) {
    m_timerEnabled = m_animate;
    m_env.SetTimerEnabled(m_timerEnabled);
    m_data.icon =
        m_iconIndex >= 0 && m_iconIndex < Icons->Count() ? m_iconIndex : TrayNotifyData::kNoIcon;
  } else {
    m_animate = false;
    m_data.icon = TrayNotifyData::kApplicationIcon;
  }
  Update();
}

void TrayIconRules::SetVisible(bool value) {
  // Stored first, and kept when the notification area refuses; the same
  // value set again repeats the request.
  m_visible = value;
  if (value) {
    if (!m_env.AddIcon(m_data)) throw TrayError(kCannotCreateIcon);
    m_hide = true;
    m_hooked = true;
    m_env.SetApplicationHook(true);
  } else {
    if (!m_env.DeleteIcon()) throw TrayError(kCannotRemoveIcon);
    m_hide = false;
    m_hooked = false;
    m_env.SetApplicationHook(false);
  }
}

void TrayIconRules::SetHint(const std::string& value) {
  if (value == m_hint || value.size() >= 64) return;
  m_hint = value;
  m_data.szTip = value.substr(0, 127);
  if (value.empty()) {
    m_data.uFlags &= ~TrayNotifyData::kFlagTip;
  } else {
    m_data.uFlags |= TrayNotifyData::kFlagTip;
  }
  Update();
}

void TrayIconRules::Update() {
  if (m_visible) m_env.ModifyIcon(m_data);
}

void TrayIconRules::SetIconIndex(int value) {
  m_iconIndex = value;
  if (Icons) {
    m_data.icon = value >= 0 && value < Icons->Count() ? value : TrayNotifyData::kNoIcon;
  }
  Update();
}

void TrayIconRules::SetDefaultIcon() {
  m_data.icon = TrayNotifyData::kApplicationIcon;
  Update();
}

void TrayIconRules::SetAnimate(bool value) {
  if (Icons || m_loading) m_animate = value;
  if (Icons) {
    m_timerEnabled = value;
    m_env.SetTimerEnabled(value);
  }
}

void TrayIconRules::SetAnimateInterval(int value) {
  m_interval = value;
  m_env.SetTimerInterval(value);
}

void TrayIconRules::DoOnAnimate() {
  if (!Icons) return;
  int next = m_iconIndex + 1;
  if (next > Icons->Count() - 1) next = 0;
  SetIconIndex(next);
  Update();
}

void TrayIconRules::Minimize() {
  m_env.MinimizeApplication();
  if (OnMinimize) OnMinimize();
}

void TrayIconRules::Restore() {
  m_env.RestoreApplication();
  if (OnRestore) OnRestore();
}

void TrayIconRules::ShowMenu() {
  const TPoint at = m_env.CursorPos();
  m_env.ForegroundActiveForm();
  if (PopupMenu) PopupMenu->Popup(at.X, at.Y);
}

void TrayIconRules::EndSession() { m_env.DeleteIcon(); }

void TrayIconRules::RestoreOrMenu(TTrayIconMessage trigger) {
  if (RestoreOn == trigger) Restore();
  if (PopupMenuOn == trigger) ShowMenu();
}

void TrayIconRules::DoClick() {
  RestoreOrMenu(imClick);
  if (OnClick) OnClick();
}

void TrayIconRules::DoDblClick() {
  RestoreOrMenu(imDoubleClick);
  if (OnDblClick) OnDblClick();
}

void TrayIconRules::DoMouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  RestoreOrMenu(imMouseDown);
  if (OnMouseDown) OnMouseDown(button, shift, x, y);
}

void TrayIconRules::DoMouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  RestoreOrMenu(imMouseUp);
  if (OnMouseUp) OnMouseUp(button, shift, x, y);
}

void TrayIconRules::DoMouseMove(TShiftState shift, int x, int y) {
  if (OnMouseMove) OnMouseMove(shift, x, y);
}

void TrayIconRules::DoMessage(TMessage& message) {
  switch (message.Msg) {
    case traymsg::kQueryEndSession:
      message.Result = 1;
      break;
    case traymsg::kEndSession:
      EndSession();
      break;
    case traymsg::kCallback:
      Callback(static_cast<unsigned>(message.LParam));
      break;
    default:
      break;
  }
}

void TrayIconRules::Callback(unsigned mouseMessage) {
  using namespace traymsg;
  // Position and modifiers are read when the message is handled.
  const auto at = [this] { return m_env.CursorPos(); };
  switch (mouseMessage) {
    case kMouseMove:
      if (OnClick) {
        const TPoint p = at();
        DoMouseMove(m_env.KeyShiftState(), p.X, p.Y);
      }
      break;
    case kLButtonDown: {
      const TPoint p = at();
      DoMouseDown(mbLeft, m_env.KeyShiftState() | ssLeft, p.X, p.Y);
      break;
    }
    case kLButtonUp: {
      const TPoint p = at();
      const TShiftState shift = m_env.KeyShiftState() | ssLeft;
      if (OnClick) DoClick();
      DoMouseUp(mbLeft, shift, p.X, p.Y);
      if (RestoreOn == imLeftClickUp) Restore();
      if (PopupMenuOn == imLeftClickUp) ShowMenu();
      break;
    }
    case kLButtonDblClk:
      DoDblClick();
      if (RestoreOn == imLeftDoubleClick) Restore();
      if (PopupMenuOn == imLeftDoubleClick) ShowMenu();
      break;
    case kRButtonDown: {
      const TPoint p = at();
      DoMouseDown(mbRight, m_env.KeyShiftState() | ssRight, p.X, p.Y);
      break;
    }
    case kRButtonUp: {
      const TPoint p = at();
      DoMouseUp(mbRight, m_env.KeyShiftState() | ssRight, p.X, p.Y);
      if (RestoreOn == imRightClickUp) Restore();
      if (PopupMenuOn == imRightClickUp) ShowMenu();
      break;
    }
    case kRButtonDblClk:
      DoDblClick();
      if (RestoreOn == imRightDoubleClick) Restore();
      if (PopupMenuOn == imRightDoubleClick) ShowMenu();
      break;
    case kMButtonDown: {
      const TPoint p = at();
      DoMouseDown(mbMiddle, m_env.KeyShiftState() | ssMiddle, p.X, p.Y);
      break;
    }
    case kMButtonUp: {
      const TPoint p = at();
      DoMouseUp(mbMiddle, m_env.KeyShiftState() | ssMiddle, p.X, p.Y);
      break;
    }
    case kMButtonDblClk:
      DoDblClick();
      break;
    default:
      break;
  }
}

bool TrayIconRules::ApplicationHookProc(const TMessage& message) {
  if (message.Msg == traymsg::kSysCommand) {
    if (message.WParam == traymsg::kScMinimize) Minimize();
    if (message.WParam == traymsg::kScRestore) Restore();
  }
  return false;
}

void TrayIconRules::Notification(const void* component) {
  if (component == nullptr) return;
  if (component == Icons) {
    Icons = nullptr;
  } else if (component == PopupMenu) {
    PopupMenu = nullptr;
  }
}

}  // namespace mametan
