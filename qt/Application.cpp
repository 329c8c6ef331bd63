#include "qt/Application.h"

#include <QFont>
#include <QLibraryInfo>
#include <QTranslator>
#include <exception>

#include "qt/MessageBox.h"

namespace mametan {

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QStringLiteral("Mametan"));
  setOrganizationName(QStringLiteral("VelmaroSoftware"));
  setProperty("helpFile", kHelpFileName);
  // The program lives in the tray: hiding its last window must not end it.
  setQuitOnLastWindowClosed(false);
  // The program speaks Japanese whatever the locale, the toolkit's own texts
  // (the open-file dialog, standard buttons) included.
  auto* qtTexts = new QTranslator(this);
  if (qtTexts->load(QStringLiteral("qtbase_ja"),
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    installTranslator(qtTexts);
  }
  // The windows are designed in this face; Linux desktops have its metric twins.
  QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"),
                             {QStringLiteral("IPAPGothic"), QStringLiteral("IPAexGothic"),
                              QStringLiteral("Noto Sans CJK JP"), QStringLiteral("VL PGothic")});
  // Its digits are half an em wide, as in the fixed-pitch face: fields sized
  // for a date in it need a face with such digits.
  QFont::insertSubstitutions(QStringLiteral("ＭＳ ゴシック"),
                             {QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans Mono CJK JP"),
                              QStringLiteral("VL Gothic")});
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    ShowErrorBox(QString::fromUtf8(e.what()));
  } catch (...) {
    ShowErrorBox(QStringLiteral("不明なエラーが発生しました"));
  }
  return false;
}

}  // namespace mametan
