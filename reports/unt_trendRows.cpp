#include "reports/unt_trendRows.h"

#include <algorithm>
#include <vector>

std::pair<QDate, QDate> LastYearDates(const QDate &From, const QDate &To)
{
    QDate end = To.addYears(-1);
    if (To.day() == To.daysInMonth())
        end = QDate(end.year(), end.month(), end.daysInMonth());
    return {From.addYears(-1), end};
}

namespace
{
QDate PeriodEnd(const QDate &Day, TTrendPeriod Period)
{
    return Period == TTrendPeriod::Month ? QDate(Day.year(), Day.month(), Day.daysInMonth())
                                         : QDate(Day.year(), 12, 31);
}

QString PeriodLabel(const QDate &Day, TTrendPeriod Period)
{
    return Period == TTrendPeriod::Month ? Day.toString(QStringLiteral("yyyy-MM"))
                                         : QString::number(Day.year());
}

// Sums of any dates of a read range from its running sums.
class TRangeSums
{
  public:
    TRangeSums(const TCategoryDays &Days, int Name) : FFrom(Days.From()), FLast(Days.DayCount() - 1)
    {
        Days.RunningSums(Name, FOut, FIn);
    }
    qint64 Out(const QDate &From, const QDate &To) const { return Sum(FOut, From, To); }
    qint64 In(const QDate &From, const QDate &To) const { return Sum(FIn, From, To); }

  private:
    qint64 Sum(const std::vector<qint64> &Running, const QDate &From, const QDate &To) const
    {
        // Dates outside the read range have nothing.
        const qint64 first = std::max<qint64>(FFrom.daysTo(From), 0);
        const qint64 last = std::min<qint64>(FFrom.daysTo(To), FLast);
        return first > last ? 0 : Running[size_t(last) + 1] - Running[size_t(first)];
    }
    QDate FFrom;
    qint64 FLast;
    std::vector<qint64> FOut, FIn;
};

void Fill(TTrendRow &Row, const TRangeSums &Sums)
{
    Row.Out = Sums.Out(Row.From, Row.To);
    Row.In = Sums.In(Row.From, Row.To);
    const auto [lastFrom, lastTo] = LastYearDates(Row.From, Row.To);
    Row.LastOut = Sums.Out(lastFrom, lastTo);
    Row.LastIn = Sums.In(lastFrom, lastTo);
}
} // namespace

TTrend MakeTrend(const TCategoryDays &Days, const QDate &From, const QDate &To, TTrendPeriod Period, int Name)
{
    TTrend trend;
    trend.Total.Label = QStringLiteral("合计");
    if (!From.isValid() || !To.isValid() || From > To)
        return trend;
    const TRangeSums sums(Days, Name);
    for (QDate day = From; day.isValid() && day <= To;) {
        TTrendRow row;
        row.Label = PeriodLabel(day, Period);
        row.From = day;
        row.To = std::min(PeriodEnd(day, Period), To);
        Fill(row, sums);
        trend.Rows.append(row);
        day = row.To.addDays(1);
    }
    trend.Total.From = From;
    trend.Total.To = To;
    Fill(trend.Total, sums);
    return trend;
}

QString ChangeText(qint64 Out, qint64 LastOut)
{
    if (LastOut == 0)
        return QStringLiteral("—");
    // Tenths of a percent, exactly: (Out - LastOut) * 1000 / LastOut.
    const __int128 num = (__int128(Out) - LastOut) * 1000, den = LastOut;
    const bool negative = (num < 0) != (den < 0);
    const __int128 n = num < 0 ? -num : num, d = den < 0 ? -den : den;
    const __int128 tenths = (2 * n + d) / (2 * d); // half away from zero
    QString digits;
    for (__int128 rest = tenths / 10; digits.isEmpty() || rest > 0; rest /= 10)
        digits.prepend(QLatin1Char(char('0' + int(rest % 10))));
    const QString sign = tenths == 0 ? QString() : negative ? QStringLiteral("-") : QStringLiteral("+");
    return sign + digits + QLatin1Char('.') + QLatin1Char(char('0' + int(tenths % 10))) + QLatin1Char('%');
}
