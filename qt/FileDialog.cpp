#include "qt/FileDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace mametan {
namespace {

FileDialogSeam* g_seam = nullptr;

std::optional<QString> RunReal(QWidget* owner, const OpenFileRequest& request) {
  QFileDialog dialog(owner);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  // A new name may be typed: the file need not exist.
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilter(ToDialogFilters(request.filter));
  if (!request.previous.isEmpty()) {
    const QFileInfo previous(request.previous);
    dialog.setDirectory(previous.absolutePath());
    dialog.selectFile(previous.fileName());
  }
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList files = dialog.selectedFiles();
  if (files.isEmpty()) return std::nullopt;
  return QDir::toNativeSeparators(QFileInfo(files.first()).absoluteFilePath());
}

}  // namespace

void SetFileDialogSeam(FileDialogSeam* seam) { g_seam = seam; }

QString ToDialogFilters(const QString& filter) {
  const QStringList parts = filter.split(QLatin1Char('|'));
  QStringList entries;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString& p : patterns) {
      if (p == QLatin1String("*.*")) p = QStringLiteral("*");
    }
    entries << QStringLiteral("%1 (%2)").arg(parts[i], patterns.join(QLatin1Char(' ')));
  }
  return entries.join(QStringLiteral(";;"));
}

std::optional<QString> RunOpenFileDialog(QWidget* owner, const OpenFileRequest& request) {
  // Some platform dialogs move the working directory to the chosen folder;
  // the ledger's relative name must not follow it.
  const QString workingDir = QDir::currentPath();
  std::optional<QString> chosen =
      g_seam ? g_seam->OpenFile(owner, request) : RunReal(owner, request);
  if (QDir::currentPath() != workingDir) QDir::setCurrent(workingDir);
  return chosen;
}

}  // namespace mametan
