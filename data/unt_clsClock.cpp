#include "data/unt_clsClock.h"

namespace
{
QDate FixedToday;
}

namespace Clock
{
QDate Today()
{
    return FixedToday.isValid() ? FixedToday : QDate::currentDate();
}

void SetToday(const QDate &Date)
{
    FixedToday = Date;
}

QDateTime Now()
{
    const QDateTime now = QDateTime::currentDateTime();
    return FixedToday.isValid() ? QDateTime(FixedToday, now.time()) : now;
}
} // namespace Clock
