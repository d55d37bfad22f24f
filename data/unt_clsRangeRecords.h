#pragma once
// A range of one user's books as the browse panel, the detail dialog and the
// outputs hold it: one small fixed-size entry per record and two sums per
// day, every distinct name, type and memo decoded once and shared, and the
// texts of a record or a day made only when somebody asks for them. Ten
// years of a busy household (336,000 records) take about eleven megabytes;
// a range of many centuries costs sixteen bytes a day.
#include "data/unt_clsTextPool.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <array>
#include <utility>
#include <vector>

using DayLists = std::array<QStringList, 4>;    // date, expense total, income total, balance
using DetailLists = std::array<QStringList, 6>; // ID, date, type, name, amount, memo

// The range totals: sums of the per-day two-decimal texts.
struct TDayTotals {
    double Out = 0, In = 0, Balance = 0;
};

struct TRangeRecord {
    qint64 Id = 0;
    double Money = 0;
    qint32 Day = 0;         // days after the range's first day
    quint32 Type : 31 = 0;  // the texts' index of "支出", "收入" or whatever was stored
    quint32 Income : 1 = 0; // anything but an expense counts as income
    quint32 Name = 0;       // the texts' index
    quint32 Memo = 0;       // the texts' index
};
static_assert(sizeof(TRangeRecord) == 32, "a record of a long range stays small");

// "yyyy-MM-dd", made without Qt's format parser: a long range asks for it
// hundreds of thousands of times.
QString DayText(const QDate &Date);

class TRangeRecords
{
  public:
    // Records of From…To by day; a day's expenses before its income, each
    // in the order they were entered.
    void Reset(const QDate &From, const QDate &To);
    QDate From() const { return FFrom; }
    QDate To() const { return FTo; }
    qsizetype Count() const { return qsizetype(FRecords.size()); }
    const TRangeRecord &At(qsizetype I) const { return FRecords[size_t(I)]; }

    QString IdText(qsizetype I) const;
    QString DateText(qsizetype I) const;
    const QString &TypeText(qsizetype I) const;
    const QString &Name(qsizetype I) const;
    QString MoneyText(qsizetype I) const;
    const QString &Memo(qsizetype I) const;
    // The same texts as GB18030 bytes, for the fixed-width outputs.
    const QByteArray &TypeBytes(qsizetype I) const { return FTexts.Bytes(At(I).Type); }
    const QByteArray &NameBytes(qsizetype I) const { return FTexts.Bytes(At(I).Name); }
    const QByteArray &MemoBytes(qsizetype I) const { return FTexts.Bytes(At(I).Memo); }
    // The six texts of record I, in the order of DetailLists.
    std::array<QString, 6> Texts(qsizetype I) const;
    // The whole range as lists, for code that wants them whole.
    DetailLists Lists() const;

    // Every day of the range, with or without records.
    qsizetype DayCount() const { return qsizetype(FDayOut.size()); }
    QDate DayDate(qsizetype Day) const { return FFrom.addDays(Day); }
    double DayOut(qsizetype Day) const { return FDayOut[size_t(Day)]; }
    double DayIn(qsizetype Day) const { return FDayIn[size_t(Day)]; }
    // The day lists of old, and the range totals.
    DayLists Days() const;
    TDayTotals Totals() const;

    // The records of day Day (days after From): [first, last).
    std::pair<qsizetype, qsizetype> DayRange(qsizetype Day) const;
    qsizetype IndexOfId(qint64 Id) const;
    // Keeps the range in step with the store after a change of one record;
    // its day's sums follow.
    void Change(qsizetype I, const QString &Name, double Money, const QString &Memo);
    void Remove(qsizetype I);

    // For the store as it reads a range: the index of a stored text
    // (repeated ones share one), of a new plain text, and the records in
    // order.
    quint32 AddStoredText(QByteArrayView Stored) { return FTexts.Intern(Stored); }
    quint32 AddText(const QString &Text) { return FTexts.Add(Text); }
    // Every text by its index, for code that looks through them all once.
    qsizetype TextCount() const { return FTexts.Count(); }
    const QString &Text(quint32 Index) const { return FTexts.Text(Index); }
    void Append(const TRangeRecord &Record);
    void Reserve(qsizetype Records) { FRecords.reserve(size_t(Records)); }

  private:
    void SumDay(qsizetype Day);

    QDate FFrom, FTo;
    std::vector<TRangeRecord> FRecords;
    TTextPool FTexts;
    std::vector<double> FDayOut, FDayIn;
};
