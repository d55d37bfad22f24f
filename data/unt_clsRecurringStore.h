#pragma once
// The recurring entries of each user, table Recurring_Table (made by a
// schema upgrade step; its user column is User_Name). Every call touches the
// given user's entries only.
#include "data/unt_clsRecurring.h"

class TclsConnection;

namespace RecurringStore
{
// The user's entries, oldest first.
QList<TRecurringEntry> Entries(const QString &File, const QString &User);
// Checks the entry (amount, dates) and stores it; returns its new ID.
qint64 AddEntry(const QString &File, const QString &User, const TRecurringEntry &Entry);
// Changes what the user sees of the entry; what was already saved stays
// remembered. False when the entry is not the user's (or gone).
bool UpdateEntry(const QString &File, const QString &User, const TRecurringEntry &Entry);
bool DeleteEntry(const QString &File, const QString &User, qint64 ID);

// Inside the transaction that saves pending rows: remembers the occurrences
// saved, so none is proposed again. Dates already remembered, and entries
// that are not the user's, are ignored.
void SaveHandled(TclsConnection &Db, const QString &User, const QHash<qint64, QList<QDate>> &Saved);
// Remembers one occurrence as skipped: never proposed again, nothing saved.
void SkipOccurrence(const QString &File, const QString &User, qint64 ID, const QDate &Date);
} // namespace RecurringStore
