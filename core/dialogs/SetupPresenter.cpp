#include "core/dialogs/SetupPresenter.h"

#include <algorithm>

namespace mametan {

void SetupPresenter::OnShow() {
  if (!m_shownOnce) {
    m_view.PlaceAtDefault();
    m_view.Focus(SetupControl::File_Kakeibo);
    m_shownOnce = true;
  }
  FormShow();
}

void SetupPresenter::FormShow() {
  m_view.SetText(SetupControl::File_Kakeibo, m_settings.File_Kakeibo);
  m_view.SetText(SetupControl::File_Kind, m_settings.File_Kind);
  m_view.SetChecked(SetupControl::SaveWindowPos, m_settings.SaveWindowPos);
  m_view.SetChecked(SetupControl::OpenWindowAtBoot, m_settings.OpenWindowAtBoot);
  m_view.SetChecked(SetupControl::DelRegistry, m_settings.DelRegistry);
  m_view.SetTaxValue(m_settings.Tax);
  m_view.SetChecked(SetupControl::EnterToNext, m_settings.EnterToNext);
}

bool SetupPresenter::CheckFileName(SetupControl box, const char* message) {
  // A pasted line break or other control character would name a file the
  // user cannot see in the box, and has no place in a settings line.
  const std::string name = m_view.Text(box);
  const bool control = std::any_of(name.begin(), name.end(), [](char c) {
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
  });
  if (!control) return true;
  m_view.ShowMessage(message, MessageIcon::Exclamation);
  m_view.Focus(box);
  return false;
}

void SetupPresenter::bbtn_OkClick() {
  if (!CheckFileName(SetupControl::File_Kakeibo, "家計簿ファイル名に使えない文字があります。") ||
      !CheckFileName(SetupControl::File_Kind, "分類設定ファイル名に使えない文字があります。")) {
    return;
  }
  m_settings.File_Kakeibo = m_view.Text(SetupControl::File_Kakeibo);
  m_settings.File_Kind = m_view.Text(SetupControl::File_Kind);
  m_settings.SaveWindowPos = m_view.Checked(SetupControl::SaveWindowPos);
  m_settings.OpenWindowAtBoot = m_view.Checked(SetupControl::OpenWindowAtBoot);
  m_settings.DelRegistry = m_view.Checked(SetupControl::DelRegistry);
  m_settings.Tax = std::clamp(m_view.TaxValue(), kTaxMin, kTaxMax);
  m_settings.EnterToNext = m_view.Checked(SetupControl::EnterToNext);
  m_view.Hide();
}

void SetupPresenter::BitBtn2Click() { m_view.Hide(); }

void SetupPresenter::spbtn_File_KakeiboClick() {
  if (const auto chosen = m_view.ChooseFile(kKakeiboFilter, m_kakeiboChoice)) {
    m_kakeiboChoice = *chosen;
    m_view.SetText(SetupControl::File_Kakeibo, *chosen);
  }
}

void SetupPresenter::spbtn_File_KindClick() {
  if (const auto chosen = m_view.ChooseFile(kKindFilter, m_kindChoice)) {
    m_kindChoice = *chosen;
    m_view.SetText(SetupControl::File_Kind, *chosen);
  }
}

void SetupPresenter::spbtn_Edit_KindClick() {
  // The file named in the box as it stands, confirmed or not.
  m_view.EditKindFile(m_view.Text(SetupControl::File_Kind));
}

}  // namespace mametan
