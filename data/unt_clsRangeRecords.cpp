#include "data/unt_clsRangeRecords.h"

#include "data/unt_clsAmount.h"

#include <algorithm>

QString DayText(const QDate &Date)
{
    int year = 0, month = 0, day = 0;
    Date.getDate(&year, &month, &day);
    if (!Date.isValid() || year < 1000 || year > 9999)
        return Date.toString(QStringLiteral("yyyy-MM-dd"));
    const char text[10] = {char('0' + year / 1000),
                           char('0' + year / 100 % 10),
                           char('0' + year / 10 % 10),
                           char('0' + year % 10),
                           '-',
                           char('0' + month / 10),
                           char('0' + month % 10),
                           '-',
                           char('0' + day / 10),
                           char('0' + day % 10)};
    return QString::fromLatin1(text, 10);
}

void TRangeRecords::Reset(const QDate &From, const QDate &To)
{
    FFrom = From;
    FTo = To;
    FRecords.clear();
    FTexts.Clear();
    const qint64 days = From.isValid() && To.isValid() ? std::max<qint64>(From.daysTo(To) + 1, 0) : 0;
    FDayOut.assign(size_t(days), 0.0);
    FDayIn.assign(size_t(days), 0.0);
}

QString TRangeRecords::IdText(qsizetype I) const
{
    return QString::number(At(I).Id);
}

QString TRangeRecords::DateText(qsizetype I) const
{
    return DayText(DayDate(At(I).Day));
}

const QString &TRangeRecords::TypeText(qsizetype I) const
{
    return FTexts.Text(At(I).Type);
}

const QString &TRangeRecords::Name(qsizetype I) const
{
    return FTexts.Text(At(I).Name);
}

QString TRangeRecords::MoneyText(qsizetype I) const
{
    return FormatMoney(At(I).Money);
}

const QString &TRangeRecords::Memo(qsizetype I) const
{
    return FTexts.Text(At(I).Memo);
}

std::array<QString, 6> TRangeRecords::Texts(qsizetype I) const
{
    return {IdText(I), DateText(I), TypeText(I), Name(I), MoneyText(I), Memo(I)};
}

DetailLists TRangeRecords::Lists() const
{
    DetailLists lists;
    for (auto &list : lists)
        list.reserve(Count());
    for (qsizetype i = 0; i < Count(); ++i) {
        const std::array<QString, 6> texts = Texts(i);
        for (int c = 0; c < 6; ++c)
            lists[c] << texts[c];
    }
    return lists;
}

DayLists TRangeRecords::Days() const
{
    DayLists days;
    for (auto &list : days)
        list.reserve(DayCount());
    for (qsizetype d = 0; d < DayCount(); ++d) {
        days[0] << DayText(DayDate(d));
        days[1] << FormatMoney(DayOut(d));
        days[2] << FormatMoney(DayIn(d));
        days[3] << FormatMoney(DayIn(d) - DayOut(d));
    }
    return days;
}

TDayTotals TRangeRecords::Totals() const
{
    // The sums of the days' two-decimal texts, as the day lists add up;
    // a day without records adds nothing.
    TDayTotals totals;
    for (qsizetype d = 0; d < DayCount(); ++d) {
        if (DayOut(d) == 0 && DayIn(d) == 0)
            continue;
        totals.Out += ParseMoney(FormatMoney(DayOut(d)));
        totals.In += ParseMoney(FormatMoney(DayIn(d)));
        totals.Balance += ParseMoney(FormatMoney(DayIn(d) - DayOut(d)));
    }
    return totals;
}

std::pair<qsizetype, qsizetype> TRangeRecords::DayRange(qsizetype Day) const
{
    const auto byDay = [](const TRangeRecord &Record, qsizetype Day) { return Record.Day < Day; };
    const auto first = std::lower_bound(FRecords.begin(), FRecords.end(), Day, byDay);
    auto last = first;
    while (last != FRecords.end() && last->Day == Day)
        ++last;
    return {first - FRecords.begin(), last - FRecords.begin()};
}

qsizetype TRangeRecords::IndexOfId(qint64 Id) const
{
    const auto it = std::find_if(FRecords.begin(), FRecords.end(),
                                 [Id](const TRangeRecord &Record) { return Record.Id == Id; });
    return it == FRecords.end() ? -1 : it - FRecords.begin();
}

void TRangeRecords::Change(qsizetype I, const QString &Name, double Money, const QString &Memo)
{
    TRangeRecord &record = FRecords[size_t(I)];
    record.Name = AddText(Name);
    record.Money = Money;
    record.Memo = AddText(Memo);
    SumDay(record.Day);
}

void TRangeRecords::Remove(qsizetype I)
{
    const qint32 day = At(I).Day;
    FRecords.erase(FRecords.begin() + I);
    SumDay(day);
}

void TRangeRecords::Append(const TRangeRecord &Record)
{
    FRecords.push_back(Record);
    (Record.Income ? FDayIn : FDayOut)[size_t(Record.Day)] += Record.Money;
}

void TRangeRecords::SumDay(qsizetype Day)
{
    double out = 0, in = 0;
    const auto [first, last] = DayRange(Day);
    for (qsizetype i = first; i < last; ++i)
        (At(i).Income ? in : out) += At(i).Money;
    FDayOut[size_t(Day)] = out;
    FDayIn[size_t(Day)] = in;
}
