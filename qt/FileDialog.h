#pragma once
// The open-file dialog behind a seam, so tests can answer it without a
// modal window.
#include <QString>
#include <optional>

class QWidget;

namespace mametan {

struct OpenFileRequest {
  // Description and pattern pairs separated by "|"; patterns within one
  // entry by ";" ("CSVファイル|*.csv;*.txt|すべてのファイル|*.*"). The first
  // entry is selected.
  QString filter;
  // The previous choice the dialog starts from; empty the first time.
  QString previous;
};

class FileDialogSeam {
 public:
  virtual ~FileDialogSeam() = default;
  virtual std::optional<QString> OpenFile(QWidget* owner, const OpenFileRequest& request) = 0;
};

// Replaces the real dialog; nullptr puts it back.
void SetFileDialogSeam(FileDialogSeam* seam);

// Runs the dialog modally. The chosen file's full path, which need not
// exist; nothing when the user cancels. The process's current directory is
// the same afterwards, whatever the dialog did: relative file names keep
// resolving where the program was started.
std::optional<QString> RunOpenFileDialog(QWidget* owner, const OpenFileRequest& request);

// "CSVファイル|*.csv;*.txt" in the dialog's own form: "CSVファイル (*.csv *.txt)".
QString ToDialogFilters(const QString& filter);

}  // namespace mametan
