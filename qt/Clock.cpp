#include "qt/Clock.h"

#include <QLocale>

namespace mametan {
namespace {
std::optional<QDate> g_today;
}

QDate Today() { return g_today ? *g_today : QDate::currentDate(); }

void SetTodayForTest(std::optional<QDate> day) { g_today = day; }

QChar DateSeparator() {
  // The first character of the short date format that is not a field letter.
  const QString format = QLocale::system().dateFormat(QLocale::ShortFormat);
  for (const QChar c : format) {
    if (!c.isLetter() && c != QLatin1Char('\'') && !c.isSpace()) return c;
  }
  return QLatin1Char('/');
}

}  // namespace mametan
