#pragma once
// One user's books over a range as the trends need them: for each record
// only its day, category, kind and amount in whole cents. Regrouping by
// month or year, or narrowing to one category, then never reads the books
// again. Ten years of a busy household take about six megabytes.
#include <QDate>
#include <QString>
#include <QStringList>

#include <vector>

class TCategoryDays
{
  public:
    struct TEntry {
        qint32 Day = 0;         // days after the range's first day
        quint32 Name : 31 = 0;  // the index in Names()
        quint32 Income : 1 = 0; // anything but an expense counts as income
        qint64 Cents = 0;
    };

    void Reset(const QDate &From, const QDate &To);
    QDate From() const { return FFrom; }
    QDate To() const { return FTo; }
    qsizetype DayCount() const { return FDays; }
    // Every category met, first met first; equal names share one index.
    const QStringList &Names() const { return FNames; }
    const std::vector<TEntry> &Entries() const { return FEntries; }

    // The sums of each day of the range from its first day up to and
    // including that day, in cents: Out[d + 1] - Out[f] is the expense of
    // days f…d. Name -1 takes every category; an index past Names(), none.
    void RunningSums(int Name, std::vector<qint64> &Out, std::vector<qint64> &In) const;
    int IndexOf(const QString &Name) const { return int(FNames.indexOf(Name)); }

    // For the store as it reads the range.
    quint32 AddName(const QString &Name);
    void Append(const TEntry &Entry) { FEntries.push_back(Entry); }
    void Reserve(qsizetype Entries) { FEntries.reserve(size_t(Entries)); }

  private:
    QDate FFrom, FTo;
    qsizetype FDays = 0;
    QStringList FNames;
    std::vector<TEntry> FEntries;
};
static_assert(sizeof(TCategoryDays::TEntry) == 16, "an entry of a long range stays small");
