#include "data/unt_clsRangeRecords.h"

#include "data/unt_clsAmount.h"

#include <algorithm>

void TRangeRecords::Reset(const QDate &From, const QDate &To)
{
    FFrom = From;
    FTo = To;
    FRecords.clear();
    FTexts.clear();
    FDayTexts.clear();
    const qint64 days = From.isValid() && To.isValid() ? From.daysTo(To) + 1 : 0;
    FDayTexts.reserve(std::max<qint64>(days, 0));
    for (qint64 k = 0; k < days; ++k)
        FDayTexts << From.addDays(k).toString(QStringLiteral("yyyy-MM-dd"));
}

QString TRangeRecords::IdText(qsizetype I) const
{
    return QString::number(At(I).Id);
}

QString TRangeRecords::DateText(qsizetype I) const
{
    return FDayTexts.at(At(I).Day);
}

const QString &TRangeRecords::TypeText(qsizetype I) const
{
    return FTexts.at(At(I).Type);
}

const QString &TRangeRecords::Name(qsizetype I) const
{
    return FTexts.at(At(I).Name);
}

QString TRangeRecords::MoneyText(qsizetype I) const
{
    return FormatMoney(At(I).Money);
}

const QString &TRangeRecords::Memo(qsizetype I) const
{
    return FTexts.at(At(I).Memo);
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

std::pair<qsizetype, qsizetype> TRangeRecords::DayRange(const QDate &Date) const
{
    const qint64 day = FFrom.isValid() && Date.isValid() ? FFrom.daysTo(Date) : -1;
    const auto byDay = [](const TRangeRecord &Record, qint64 Day) { return Record.Day < Day; };
    const auto first = std::lower_bound(FRecords.begin(), FRecords.end(), day, byDay);
    auto last = first;
    while (last != FRecords.end() && last->Day == day)
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
}

void TRangeRecords::Remove(qsizetype I)
{
    FRecords.erase(FRecords.begin() + I);
}

quint32 TRangeRecords::AddText(const QString &Text)
{
    FTexts << Text;
    return quint32(FTexts.size() - 1);
}
