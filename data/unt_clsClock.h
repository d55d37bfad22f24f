#pragma once
// "Today" comes from here alone, so date-dependent set-up can be tested on
// any day of the month.
#include <QDate>
#include <QDateTime>

namespace Clock
{
QDate Today();
void SetToday(const QDate &Date); // an invalid date returns to the real clock
// Today's date with the real time of day: stamps of deletions and backups.
QDateTime Now();
} // namespace Clock
