#include "panels/unt_recurringDue.h"

#include "data/unt_clsRecurringStore.h"
#include "panels/unt_panelEntry.h"
#include "ui/unt_clsSession.h"
#include "ui/unt_clsWidgets.h"

#include <QTreeWidget>

namespace
{
// Column 0's user role holds an imported row's origin.
constexpr int ProposedRole = Qt::UserRole + 1;

void TagProposed(QTreeWidgetItem *Row, qint64 EntryID, const QDate &Date)
{
    Row->setData(0, ProposedRole, QVariantList{EntryID, Date});
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

void AddPending(TPendingDates &Pending, const QTreeWidget *List)
{
    const QHash<qint64, QList<QDate>> proposed = ProposedIn(List);
    for (auto it = proposed.constBegin(); it != proposed.constEnd(); ++it)
        for (const QDate &date : it.value())
            Pending[it.key()].insert(date);
}

void Withdraw(TEntryPanel &Panel, qint64 EntryID, QSet<QDate> &Dates)
{
    for (int i = Panel.List->topLevelItemCount() - 1; i >= 0; --i) {
        qint64 id = 0;
        QDate date;
        if (ProposedOf(Panel.List->topLevelItem(i), id, date) && id == EntryID) {
            Dates.insert(date);
            delete Panel.List->takeTopLevelItem(i);
        }
    }
    Panel.ShowTotal();
}
} // namespace

bool ProposedOf(const QTreeWidgetItem *Row, qint64 &EntryID, QDate &Date)
{
    const QVariantList tag = Row->data(0, ProposedRole).toList();
    if (tag.size() != 2)
        return false;
    EntryID = tag[0].toLongLong();
    Date = tag[1].toDate();
    return true;
}

QHash<qint64, QList<QDate>> ProposedIn(const QTreeWidget *List)
{
    QHash<qint64, QList<QDate>> proposed;
    for (int i = 0; i < List->topLevelItemCount(); ++i) {
        qint64 id = 0;
        QDate date;
        if (ProposedOf(List->topLevelItem(i), id, date))
            proposed[id] << date;
    }
    return proposed;
}

TRecordsAddedHook WithRecurringHandled(TRecordsAddedHook Hook, const QString &User,
                                       const QHash<qint64, QList<QDate>> &Saved)
{
    return [Hook = std::move(Hook), User, Saved](TclsConnection &Db, const QList<qint64> &Ids) {
        if (Hook)
            Hook(Db, Ids);
        RecurringStore::SaveHandled(Db, User, Saved);
    };
}

TPendingDates PendingProposals(const TEntryPanel &Out, const TEntryPanel &In)
{
    TPendingDates pending;
    AddPending(pending, Out.List);
    AddPending(pending, In.List);
    return pending;
}

QSet<QDate> WithdrawProposals(TEntryPanel &Out, TEntryPanel &In, qint64 EntryID)
{
    QSet<QDate> dates;
    Withdraw(Out, EntryID, dates);
    Withdraw(In, EntryID, dates);
    return dates;
}

void SkipProposed(TclsSession &Session, QTreeWidgetItem *Row)
{
    qint64 id = 0;
    QDate date;
    if (!ProposedOf(Row, id, date))
        return;
    {
        TclsWaitCursor wait;
        RecurringStore::SkipOccurrence(Session.Database->DatabaseFile(), Session.CurrentUser, id, date);
    }
    delete Row;
}

QString SkipQuestion(const QTreeWidgetItem *Row)
{
    return QStringLiteral(
               "这一行是定期收支“%1”在 %2 的一次。\r\n\r\n要跳过本次吗？选“是”，这一次以后不再放入；"
               "选“否”，只从列表中删除，下次还会放入。")
        .arg(CellText(Row, 3), Row->text(1));
}

TProposed ProposeDueRecurring(TclsSession &Session, TEntryPanel &Out, TEntryPanel &In, const QDate &Today,
                              qint64 ReplacedID, const QSet<QDate> &Replaced)
{
    const QList<TRecurringEntry> entries =
        RecurringStore::Entries(Session.Database->DatabaseFile(), Session.CurrentUser);
    const TDueRound round = CollectDue(entries, PendingProposals(Out, In), Today);
    TProposed proposed;
    if (round.Rows.isEmpty())
        return proposed;
    int news = 0;
    for (const TDueRow &row : round.Rows) {
        TEntryPanel &panel = row.Type == In.Type() ? In : Out;
        QTreeWidgetItem *item = MakeRow(panel.List, {row.Date.toString(QStringLiteral("yyyy-MM-dd")),
                                                     panel.Type(), row.Name, row.Money, row.Memo});
        TagProposed(item, row.EntryID, row.Date);
        panel.List->addTopLevelItem(item);
        proposed.OutRows += panel.Expense ? 1 : 0;
        news += row.EntryID == ReplacedID && Replaced.contains(row.Date) ? 0 : 1;
    }
    Out.ShowTotal();
    In.ShowTotal();
    proposed.Rows = int(round.Rows.size());
    if (news > 0 || proposed.Rows != Replaced.size())
        proposed.Message = DueMessage(round);
    return proposed;
}
