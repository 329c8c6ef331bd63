// mametan-view: shows the ledger the tray program writes, month by month.
// It reads the settings and the ledger and writes neither.
#include <QApplication>
#include <QDate>
#include <cstdio>
#include <string>
#include <vector>

#include "core/platform/DisplayCheck.h"
#include "core/platform/IniRegistry.h"
#include "qt/Pictures.h"
#include "qt/ViewerWindow.h"

int main(int argc, char** argv) {
  using namespace mametan;
  const DisplayChoice display = ChooseDisplayPlatform();
  if (display.problem) {
    std::fprintf(stderr, "mametan-view: %s\n", display.problem->c_str());
    return 1;
  }
  if (!display.platform.empty()) {
    qputenv("QT_QPA_PLATFORM", QByteArray::fromStdString(display.platform));
  }
  QApplication app(argc, argv);
  if (!display.platform.empty()) qunsetenv("QT_QPA_PLATFORM");
  QApplication::setWindowIcon(Picture("mametan-view"));
  QApplication::setDesktopFileName(QStringLiteral("mametan-view"));

  std::vector<std::string> arguments;
  for (const QString& argument : QApplication::arguments().mid(1))
    arguments.push_back(argument.toStdString());
  IniRegistry registry(IniRegistry::DefaultPath());
  const std::string path = LedgerAtLaunch(arguments, registry);

  const QDate today = QDate::currentDate();
  Tform_View window(MonthKey(today.year(), today.month()));
  window.presenter().SetKindFile(KindFileAtLaunch(registry));
  window.presenter().Open(path);
  window.show();
  return app.exec();
}
