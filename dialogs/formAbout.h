#pragma once
// The about box: product name and logo, maker, file version, copyright, the
// two links, the operating system and the machine's memory. Created hidden
// once per run and shown modeless; every showing gathers the facts afresh.
#include <QDialog>
#include <QString>
#include <QUrl>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace Ui {
class Tform_About;
}

namespace mametan {

// Where the about box learns about the machine and opens its links; the
// platform's answers unless a test puts others in.
struct AboutQueries {
  std::function<std::optional<std::string>()> osVersionText;
  std::function<std::uint64_t()> totalPhysicalMemory;
  std::function<std::optional<std::string>()> programFileVersion;
  // Opens a link with the desktop's default handler; a failure says nothing.
  std::function<void(const QUrl&)> openUrl;
};

class Tform_About : public QDialog {
  Q_OBJECT
 public:
  explicit Tform_About(QWidget* parent = nullptr);
  ~Tform_About() override;

  Ui::Tform_About* ui() const { return m_ui.get(); }
  AboutQueries Queries;

  static const QString kHomePage;
  static const QString kSupportAddress;

 public slots:
  void OKButtonClick();
  void lbl_WWWClick();
  void lbl_EMailClick();

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FormShow();
  void CollectSystemInfo();

  std::unique_ptr<Ui::Tform_About> m_ui;
  QString WindowsVersionText;
  // 64 bits: machines have 4 GiB and more.
  std::uint64_t TotalPhysicalMemory = 0;
  QString FileVersionText;
  bool m_shownOnce = false;
};

extern Tform_About* form_About;

}  // namespace mametan
