#pragma once
// The about box's logic: every showing gathers the machine's facts afresh
// (a query without an answer keeps what the last showing found), the
// comments line shows in debug mode only, the two labels open their links,
// and Esc does not close the box (it has no cancel button).
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace mametan {

// Where the about box learns about the machine and opens its links; the
// platform's answers unless a test puts others in.
struct AboutQueries {
  std::function<std::optional<std::string>()> osVersionText;
  std::function<std::uint64_t()> totalPhysicalMemory;
  std::function<std::optional<std::string>()> programFileVersion;
  // Opens a link with the desktop's default handler; a failure says nothing.
  std::function<void(const std::string& url)> openUrl;
};

enum class AboutLabel { Comments, OsVersion, Memory, Version, Copyright };

class AboutView {
 public:
  virtual ~AboutView() = default;
  virtual void SetText(AboutLabel label, const std::string& text) = 0;
  virtual void SetCommentsShown(bool shown) = 0;
  // Centres the box on the screen.
  virtual void PlaceAtDefault() = 0;
  virtual void FocusOk() = 0;
  virtual void Hide() = 0;
};

class AboutPresenter {
 public:
  // The system's own queries.
  explicit AboutPresenter(AboutView& view);

  static constexpr const char* kHomePage = "https://velmaro.example/mametan/";
  static constexpr const char* kSupportAddress = "support@velmaro.example";
  static constexpr const char* kCopyright = "Copyright (C) 2026 VelmaroSoftware";

  AboutQueries Queries;

  // The box was shown anew (not un-minimised).
  void OnShow();
  void FormShow();
  void OKButtonClick() { m_view.Hide(); }
  void lbl_WWWClick();
  void lbl_EMailClick();
  // Esc leaves the box open.
  static constexpr bool kEscapeCloses = false;

 private:
  void CollectSystemInfo();

  AboutView& m_view;
  bool m_shownOnce = false;
  std::string WindowsVersionText;
  // 64 bits: machines have 4 GiB and more.
  std::uint64_t TotalPhysicalMemory = 0;
  std::string FileVersionText;
};

}  // namespace mametan
