#include "panels/unt_recurringDue.h"

#include "data/unt_clsRecurringStore.h"
#include "panels/unt_panelEntry.h"
#include "ui/unt_clsSession.h"
#include "ui/unt_clsWidgets.h"

#include <QTreeWidget>

namespace
{
void KeepLater(QHash<qint64, QDate> &Dates, qint64 ID, const QDate &Date)
{
    auto it = Dates.find(ID);
    if (it == Dates.end())
        Dates.insert(ID, Date);
    else if (Date > it.value())
        it.value() = Date;
}

QString DueMessage(const TDueRound &Round)
{
    QString text = QStringLiteral("有 %1 条定期收支到期，已放入待保存列表，请检查后点“完成”保存。")
                       .arg(Round.Rows.size());
    for (const TDueEntryLeft &left : Round.Left)
        text += QStringLiteral("\r\n\r\n“%1”到期的太多，这次只放入了最早的 %2 条，其余 %3 条下次再放入。")
                    .arg(left.Name)
                    .arg(MaxDuePerEntry)
                    .arg(left.Left);
    return text;
}
} // namespace

TRecordsAddedHook WithRecurringHandled(TRecordsAddedHook Hook, const QString &User,
                                       const QHash<qint64, QDate> &Proposed)
{
    return [Hook = std::move(Hook), User, Proposed](TclsConnection &Db, const QList<qint64> &Ids) {
        if (Hook)
            Hook(Db, Ids);
        RecurringStore::SaveHandled(Db, User, Proposed);
    };
}

QHash<qint64, QDate> PendingProposals(const TEntryPanel &Out, const TEntryPanel &In)
{
    QHash<qint64, QDate> pending = Out.RecurringProposed;
    for (auto it = In.RecurringProposed.constBegin(); it != In.RecurringProposed.constEnd(); ++it)
        KeepLater(pending, it.key(), it.value());
    return pending;
}

TProposed ProposeDueRecurring(TclsSession &Session, TEntryPanel &Out, TEntryPanel &In, const QDate &Today)
{
    const QList<TRecurringEntry> entries =
        RecurringStore::Entries(Session.Database->DatabaseFile(), Session.CurrentUser);
    const TDueRound round = CollectDue(entries, PendingProposals(Out, In), Today);
    TProposed proposed;
    if (round.Rows.isEmpty())
        return proposed;
    for (const TDueRow &row : round.Rows) {
        TEntryPanel &panel = row.Type == In.Type() ? In : Out;
        panel.List->addTopLevelItem(MakeRow(panel.List, {row.Date.toString(QStringLiteral("yyyy-MM-dd")),
                                                         panel.Type(), row.Name, row.Money, row.Memo}));
        KeepLater(panel.RecurringProposed, row.EntryID, row.Date);
        proposed.OutRows += panel.Expense ? 1 : 0;
    }
    Out.ShowTotal();
    In.ShowTotal();
    proposed.Rows = int(round.Rows.size());
    proposed.Message = DueMessage(round);
    return proposed;
}
