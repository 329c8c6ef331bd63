#include "core/dialogs/AboutPresenter.h"

#include "core/common/CommandLine.h"
#include "core/platform/SystemInfo.h"

namespace mametan {

AboutPresenter::AboutPresenter(AboutView& view) : m_view(view) {
  Queries.osVersionText = QueryOsVersionText;
  Queries.totalPhysicalMemory = QueryTotalPhysicalMemory;
  Queries.programFileVersion = QueryProgramFileVersion;
  Queries.openUrl = [](const std::string&) {};
}

void AboutPresenter::OnShow() {
  if (!m_shownOnce) m_view.PlaceAtDefault();
  m_shownOnce = true;
  FormShow();
  m_view.FocusOk();
}

void AboutPresenter::FormShow() {
  if (DebugMode) m_view.SetCommentsShown(true);
  CollectSystemInfo();
  m_view.SetText(AboutLabel::OsVersion, WindowsVersionText);
  m_view.SetText(AboutLabel::Memory, std::to_string(TotalPhysicalMemory) + " Bytes");
  m_view.SetText(AboutLabel::Version, "Version " + FileVersionText);
  m_view.SetText(AboutLabel::Copyright, kCopyright);
}

void AboutPresenter::CollectSystemInfo() {
  // A query without an answer leaves what the last showing found.
  if (const auto os = Queries.osVersionText()) WindowsVersionText = *os;
  TotalPhysicalMemory = Queries.totalPhysicalMemory();
  if (const auto version = Queries.programFileVersion()) FileVersionText = *version;
}

void AboutPresenter::lbl_WWWClick() { Queries.openUrl(kHomePage); }

void AboutPresenter::lbl_EMailClick() { Queries.openUrl(std::string("mailto:") + kSupportAddress); }

}  // namespace mametan
