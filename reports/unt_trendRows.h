#pragma once
// The trend of a range: its expense, income and balance month by month or
// year by year, beside the expense and income of the same dates one year
// earlier.
// Everything is summed in whole cents from one read of the books.
#include "data/unt_clsCategoryDays.h"

#include <QDate>
#include <QList>
#include <QString>

#include <utility>

enum class TTrendPeriod { Month, Year };

struct TTrendRow {
    QString Label;  // "2024-03", "2024" or "合计"
    QDate From, To; // the dates of the range the row counts
    qint64 Out = 0, In = 0, LastOut = 0, LastIn = 0;
    qint64 Balance() const { return In - Out; }
};

struct TTrend {
    QList<TTrendRow> Rows; // every period of the range, empty ones too
    TTrendRow Total;
};

// The same dates one year earlier. A range that ends on its month's last
// day ends on that month's last day a year before, so February of 2025 is
// set beside the whole of February 2024, leap day included.
std::pair<QDate, QDate> LastYearDates(const QDate &From, const QDate &To);
// The first day the books must be read from for a trend of From…To.
inline QDate TrendReadStart(const QDate &From)
{
    return LastYearDates(From, From).first;
}

// The trend of From…To from Days, which covers TrendReadStart(From)…To.
// Name -1 takes every category.
TTrend MakeTrend(const TCategoryDays &Days, const QDate &From, const QDate &To, TTrendPeriod Period,
                 int Name);

// The change of Out against LastOut: "+25.0%", "-7.1%", "0.0%", one decimal
// rounded half away from zero; "—" when LastOut is 0.00.
QString ChangeText(qint64 Out, qint64 LastOut);
