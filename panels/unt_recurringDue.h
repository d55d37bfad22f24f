#pragma once
// Due occurrences of the recurring entries into the entry panels' pending
// lists, and what Finish remembers of them.
#include "data/unt_clsDatabaseUser.h"
#include "data/unt_clsRecurring.h"

class TEntryPanel;
class TclsSession;

// Hook first, then the latest occurrence of each entry in Proposed
// remembered in the same transaction.
TRecordsAddedHook WithRecurringHandled(TRecordsAddedHook Hook, const QString &User,
                                       const QHash<qint64, QDate> &Proposed);

// Per entry, the latest occurrence waiting in either panel.
QHash<qint64, QDate> PendingProposals(const TEntryPanel &Out, const TEntryPanel &In);

struct TProposed {
    int Rows = 0, OutRows = 0;
    QString Message; // empty when nothing was due
};

// Puts every occurrence due by Today into the panel of its type, oldest
// first, and says what to tell the user.
TProposed ProposeDueRecurring(TclsSession &Session, TEntryPanel &Out, TEntryPanel &In, const QDate &Today);
