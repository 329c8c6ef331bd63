#pragma once
// Today's date and the locale's date separator, replaceable by tests.
#include <QChar>
#include <QDate>
#include <optional>

namespace mametan {

QDate Today();
// The separator of the user's short date format: "/" unless the locale says otherwise.
QChar DateSeparator();

// Tests fix the day; nothing restores the real clock.
void SetTodayForTest(std::optional<QDate> day);

}  // namespace mametan
