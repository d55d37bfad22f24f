#pragma once
// Recurring entries (rent, salary, subscriptions) and the dates they fall
// due on. Everything here is plain computation: the store keeps the entries
// (see unt_clsRecurringStore.h), the entry panels receive the due rows.
#include <QDate>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

enum class TRecurringCycle { Weekly, Monthly, Quarterly, Yearly };

// The cycles as the dialog offers them: "每周", "每月", "每季度", "每年".
QStringList CycleNames();
QString CycleName(TRecurringCycle Cycle);
// The stored key of a cycle ("weekly", ...) and back; false for an unknown key.
QString CycleKey(TRecurringCycle Cycle);
bool CycleFromKey(const QString &Key, TRecurringCycle &Cycle);

struct TRecurringEntry {
    qint64 ID = 0;
    QString Type; // "支出" or "收入"
    QString Name, Money, Memo;
    TRecurringCycle Cycle = TRecurringCycle::Monthly;
    QDate Start;
    QDate End;  // invalid: no end
    QDate Last; // every occurrence up to it saved or skipped; invalid: none yet
    // Occurrences after Last saved or skipped one by one (an earlier one
    // still open, deleted from a pending list without skipping it).
    QSet<QDate> Handled;
};

// Per entry, the occurrences waiting in the pending lists.
using TPendingDates = QHash<qint64, QSet<QDate>>;

// Occurrence Index (0 for the start) of a cycle that begins on Start. Each is
// counted from the start itself, so a month without the start's day uses its
// last day and the next month goes back to the start's day (31 Jan, 28 Feb,
// 31 Mar), never drifting.
QDate Occurrence(const QDate &Start, TRecurringCycle Cycle, qint64 Index);

// The first occurrence after After (an invalid After: the start itself), or
// an invalid date when the entry has ended by then.
QDate NextOccurrence(const TRecurringEntry &Entry, const QDate &After);

struct TDueOccurrences {
    QList<QDate> Dates; // oldest first, at most the limit
    qint64 Left = 0;    // due as well, but beyond the limit
};

// The occurrences after After (invalid: from the start) up to Today and the
// entry's end, but for those in Except, at most Limit of them.
TDueOccurrences DueOccurrences(const TRecurringEntry &Entry, const QDate &After, const QDate &Today,
                               int Limit, const QSet<QDate> &Except = {});

// The first occurrence neither handled nor in Pending; invalid when the
// entry has ended by then.
QDate NextOpenOccurrence(const TRecurringEntry &Entry, const QSet<QDate> &Pending);

// Last moved over the handled occurrences that follow it, and those dropped
// from Handled (with any at or before Last).
void CompactHandled(TRecurringEntry &Entry);

constexpr int MaxDuePerEntry = 400;

struct TDueRow {
    qint64 EntryID = 0;
    QDate Date;
    QString Type, Name, Money, Memo;
};
struct TDueEntryLeft {
    QString Name;
    qint64 Left = 0;
};
struct TDueRound {
    QList<TDueRow> Rows;         // every entry's due rows, oldest first
    QHash<qint64, QDate> Latest; // per entry, the latest date among Rows
    QList<TDueEntryLeft> Left;   // entries that had more due than the limit
};

// What is due for Entries by Today: each entry's occurrences after its Last,
// but for those handled and those in Pending (rows already proposed and not
// yet saved), so nothing is proposed twice.
TDueRound CollectDue(const QList<TRecurringEntry> &Entries, const TPendingDates &Pending, const QDate &Today,
                     int Limit = MaxDuePerEntry);
