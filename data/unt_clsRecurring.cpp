#include "data/unt_clsRecurring.h"

#include <algorithm>

namespace
{
struct TCycleInfo {
    TRecurringCycle Cycle;
    const char *Key;
    const char *Name;
    int Months; // 0: weekly
};
const TCycleInfo Cycles[] = {
    {TRecurringCycle::Weekly, "weekly", "每周", 0},
    {TRecurringCycle::Monthly, "monthly", "每月", 1},
    {TRecurringCycle::Quarterly, "quarterly", "每季度", 3},
    {TRecurringCycle::Yearly, "yearly", "每年", 12},
};

const TCycleInfo &Info(TRecurringCycle Cycle)
{
    for (const TCycleInfo &info : Cycles)
        if (info.Cycle == Cycle)
            return info;
    return Cycles[1];
}

// Far beyond the last date a picker takes: an index past it has no date.
constexpr qint64 MaxIndex = 1'000'000;

// The index of the first occurrence after After, counted from Start.
qint64 FirstIndexAfter(const QDate &Start, TRecurringCycle Cycle, const QDate &After)
{
    if (!After.isValid() || After < Start)
        return 0;
    const int months = Info(Cycle).Months;
    qint64 index = months == 0
                       ? Start.daysTo(After) / 7
                       : ((After.year() - Start.year()) * 12 + After.month() - Start.month()) / months;
    // The estimate is never past the answer; the loop takes the last step.
    for (;;) {
        const QDate date = Occurrence(Start, Cycle, index);
        if (!date.isValid() || date > After)
            return index;
        ++index;
    }
}
} // namespace

QStringList CycleNames()
{
    QStringList names;
    for (const TCycleInfo &info : Cycles)
        names << QString::fromUtf8(info.Name);
    return names;
}

QString CycleName(TRecurringCycle Cycle)
{
    return QString::fromUtf8(Info(Cycle).Name);
}

QString CycleKey(TRecurringCycle Cycle)
{
    return QLatin1String(Info(Cycle).Key);
}

bool CycleFromKey(const QString &Key, TRecurringCycle &Cycle)
{
    for (const TCycleInfo &info : Cycles)
        if (Key == QLatin1String(info.Key)) {
            Cycle = info.Cycle;
            return true;
        }
    return false;
}

QDate Occurrence(const QDate &Start, TRecurringCycle Cycle, qint64 Index)
{
    if (!Start.isValid() || Index < 0 || Index > MaxIndex)
        return {};
    const int months = Info(Cycle).Months;
    // QDate::addMonths keeps the day where the month has it and takes the
    // month's last day where it has not.
    const QDate date = months == 0 ? Start.addDays(Index * 7) : Start.addMonths(int(Index * months));
    return date.isValid() && date.year() <= 9999 ? date : QDate();
}

QDate NextOccurrence(const TRecurringEntry &Entry, const QDate &After)
{
    const QDate date = Occurrence(Entry.Start, Entry.Cycle, FirstIndexAfter(Entry.Start, Entry.Cycle, After));
    if (!date.isValid() || (Entry.End.isValid() && date > Entry.End))
        return {};
    return date;
}

TDueOccurrences DueOccurrences(const TRecurringEntry &Entry, const QDate &After, const QDate &Today,
                               int Limit, const QSet<QDate> &Except)
{
    TDueOccurrences due;
    QDate until = Today;
    if (Entry.End.isValid() && Entry.End < until)
        until = Entry.End;
    if (!Entry.Start.isValid() || !until.isValid() || Entry.Start > until)
        return due;
    for (qint64 index = FirstIndexAfter(Entry.Start, Entry.Cycle, After);; ++index) {
        const QDate date = Occurrence(Entry.Start, Entry.Cycle, index);
        if (!date.isValid() || date > until)
            break;
        if (Except.contains(date))
            continue;
        if (due.Dates.size() < Limit)
            due.Dates << date;
        else
            ++due.Left;
    }
    return due;
}

QDate NextOpenOccurrence(const TRecurringEntry &Entry, const QSet<QDate> &Pending)
{
    QDate date = NextOccurrence(Entry, Entry.Last);
    while (date.isValid() && (Entry.Handled.contains(date) || Pending.contains(date)))
        date = NextOccurrence(Entry, date);
    return date;
}

void CompactHandled(TRecurringEntry &Entry)
{
    for (QDate next = NextOccurrence(Entry, Entry.Last); next.isValid() && Entry.Handled.contains(next);
         next = NextOccurrence(Entry, next))
        Entry.Last = next;
    if (Entry.Last.isValid())
        Entry.Handled.removeIf([&](const QDate &Date) { return Date <= Entry.Last; });
}

TDueRound CollectDue(const QList<TRecurringEntry> &Entries, const TPendingDates &Pending, const QDate &Today,
                     int Limit)
{
    TDueRound round;
    for (const TRecurringEntry &entry : Entries) {
        const TDueOccurrences due =
            DueOccurrences(entry, entry.Last, Today, Limit, entry.Handled + Pending.value(entry.ID));
        for (const QDate &date : due.Dates)
            round.Rows << TDueRow{entry.ID, date, entry.Type, entry.Name, entry.Money, entry.Memo};
        if (!due.Dates.isEmpty())
            round.Latest.insert(entry.ID, due.Dates.last());
        if (due.Left > 0)
            round.Left << TDueEntryLeft{entry.Name, due.Left};
    }
    // Entries come in the order they were made; rows of one day keep it.
    std::stable_sort(round.Rows.begin(), round.Rows.end(),
                     [](const TDueRow &A, const TDueRow &B) { return A.Date < B.Date; });
    return round;
}
