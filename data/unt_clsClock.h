#pragma once
// "Today" comes from here alone, so date-dependent set-up can be tested on
// any day of the month.
#include <QDate>

namespace Clock {
QDate Today();
void SetToday(const QDate &Date); // an invalid date returns to the real clock
} // namespace Clock
