#pragma once
// Due occurrences of the recurring entries into the entry panels' pending
// lists, and what Finish, a skip or a change to an entry does with them.
#include "data/unt_clsDatabaseUser.h"
#include "data/unt_clsRecurring.h"

class QTreeWidget;
class QTreeWidgetItem;
class TEntryPanel;
class TclsSession;

// A proposed row knows its entry and occurrence; false for any other row.
bool ProposedOf(const QTreeWidgetItem *Row, qint64 &EntryID, QDate &Date);
// Per entry, the occurrences proposed in List.
QHash<qint64, QList<QDate>> ProposedIn(const QTreeWidget *List);

// Hook first, then the occurrences in Saved remembered in the same
// transaction.
TRecordsAddedHook WithRecurringHandled(TRecordsAddedHook Hook, const QString &User,
                                       const QHash<qint64, QList<QDate>> &Saved);

// Per entry, the occurrences waiting in either panel.
TPendingDates PendingProposals(const TEntryPanel &Out, const TEntryPanel &In);

// Takes the rows proposed for the entry out of both lists (a change to the
// entry plans them anew); returns their dates.
QSet<QDate> WithdrawProposals(TEntryPanel &Out, TEntryPanel &In, qint64 EntryID);

// The proposed Row remembered as skipped, then taken out of its list.
void SkipProposed(TclsSession &Session, QTreeWidgetItem *Row);
// The question a Delete of a proposed row asks instead of its own.
QString SkipQuestion(const QTreeWidgetItem *Row);

struct TProposed {
    int Rows = 0, OutRows = 0;
    QString Message; // empty when nothing new was due
};

// Puts every occurrence due by Today into the panel of its type, oldest
// first, and says what to tell the user. Rows that only put back the dates
// Replaced of entry ReplacedID (withdrawn just before) are not news.
TProposed ProposeDueRecurring(TclsSession &Session, TEntryPanel &Out, TEntryPanel &In, const QDate &Today,
                              qint64 ReplacedID = 0, const QSet<QDate> &Replaced = {});
