#include "data/unt_clsRecurringStore.h"

#include "data/unt_clsAmount.h"
#include "data/unt_clsBase64.h"
#include "data/unt_clsConnection.h"

using Base64::DecodeText;
using Base64::EncodeText;

namespace RecurringStore
{
namespace
{
QString DateText(const QDate &Date)
{
    return Date.isValid() ? Date.toString(Qt::ISODate) : QString();
}

QDate StoredDate(const QString &Text)
{
    return Text.isEmpty() ? QDate() : QDate::fromString(Text, Qt::ISODate);
}

void RequireValid(const TRecurringEntry &Entry)
{
    if (!IsPlainDecimal(Entry.Money))
        throw TclsDatabaseError(
            QStringLiteral("金额“%1”不是有效的数字，定期收支没有保存。").arg(Entry.Money).toStdString(), 0);
    switch (CheckAmount(Entry.Money)) {
    case TAmountCheck::Ok:
        break;
    case TAmountCheck::TooLarge:
        throw TclsDatabaseError(
            QStringLiteral("金额“%1”太大，定期收支没有保存。").arg(Entry.Money).toStdString(), 0);
    default:
        throw TclsDatabaseError(
            QStringLiteral("金额“%1”须大于0且至多两位小数，定期收支没有保存。").arg(Entry.Money).toStdString(), 0);
    }
    if (!Entry.Start.isValid() || (Entry.End.isValid() && Entry.End < Entry.Start))
        throw TclsDatabaseError(QStringLiteral("定期收支的日期无效，没有保存。").toStdString(), 0);
}

bool IsUsers(TclsConnection &Db, const QString &User, qint64 ID)
{
    return !Db.Query("select 1 from Recurring_Table where ID=? and User_Name=?", {ID, EncodeText(User)})
                .Eof();
}
} // namespace

QList<TRecurringEntry> Entries(const QString &File, const QString &User)
{
    TclsConnection db(File);
    QList<TRecurringEntry> entries;
    for (auto rs = db.Query("select ID,Program_Type,Program_Name,Program_Money,Program_Memo,Cycle,Start_Date,"
                            "End_Date,Last_Date from Recurring_Table where User_Name=? order by ID",
                            {EncodeText(User)});
         !rs.Eof(); rs.MoveNext()) {
        TRecurringEntry entry;
        entry.ID = rs.FieldInt64(0);
        entry.Type = DecodeText(rs.Field(1));
        entry.Name = DecodeText(rs.Field(2));
        entry.Money = FormatMoney(rs.FieldDouble(3));
        entry.Memo = DecodeText(rs.Field(4));
        entry.Start = StoredDate(rs.Field(6));
        entry.End = StoredDate(rs.Field(7));
        entry.Last = StoredDate(rs.Field(8));
        // A row this program cannot read is left alone, never guessed at.
        if (!CycleFromKey(rs.Field(5), entry.Cycle) || !entry.Start.isValid())
            continue;
        entries << entry;
    }
    QHash<qint64, QSet<QDate>> handled;
    for (auto rs = db.Query("select Recurring_ID,Handled_Date from Recurring_Handled where Recurring_ID in "
                            "(select ID from Recurring_Table where User_Name=?)",
                            {EncodeText(User)});
         !rs.Eof(); rs.MoveNext())
        handled[rs.FieldInt64(0)].insert(StoredDate(rs.Field(1)));
    for (TRecurringEntry &entry : entries)
        entry.Handled = handled.value(entry.ID);
    return entries;
}

qint64 AddEntry(const QString &File, const QString &User, const TRecurringEntry &Entry)
{
    RequireValid(Entry);
    TclsConnection db(File);
    db.Execute("insert into Recurring_Table (User_Name,Program_Type,Program_Name,Program_Money,Program_Memo,"
               "Cycle,Start_Date,End_Date,Last_Date) values (?,?,?,?,?,?,?,?,'')",
               {EncodeText(User), EncodeText(Entry.Type), EncodeText(Entry.Name), Entry.Money,
                EncodeText(Entry.Memo), CycleKey(Entry.Cycle), DateText(Entry.Start), DateText(Entry.End)});
    return db.LastInsertId("Recurring_Table");
}

bool UpdateEntry(const QString &File, const QString &User, const TRecurringEntry &Entry)
{
    RequireValid(Entry);
    TclsConnection db(File);
    if (!IsUsers(db, User, Entry.ID))
        return false;
    db.Execute("update Recurring_Table set Program_Type=?,Program_Name=?,Program_Money=?,Program_Memo=?,"
               "Cycle=?,Start_Date=?,End_Date=? where ID=? and User_Name=?",
               {EncodeText(Entry.Type), EncodeText(Entry.Name), Entry.Money, EncodeText(Entry.Memo),
                CycleKey(Entry.Cycle), DateText(Entry.Start), DateText(Entry.End), Entry.ID,
                EncodeText(User)});
    return true;
}

bool DeleteEntry(const QString &File, const QString &User, qint64 ID)
{
    TclsConnection db(File);
    if (!IsUsers(db, User, ID))
        return false;
    TclsTransaction transaction(db);
    db.Execute("delete from Recurring_Handled where Recurring_ID=?", {ID});
    db.Execute("delete from Recurring_Table where ID=? and User_Name=?", {ID, EncodeText(User)});
    transaction.Commit();
    return true;
}

namespace
{
void Remember(TclsConnection &Db, const QString &User, qint64 ID, const QList<QDate> &Dates, bool Skipped)
{
    auto rs = Db.Query("select Cycle,Start_Date,End_Date,Last_Date from Recurring_Table where ID=? and "
                       "User_Name=?",
                       {ID, EncodeText(User)});
    TRecurringEntry entry;
    if (rs.Eof() || !CycleFromKey(rs.Field(0), entry.Cycle))
        return;
    entry.Start = StoredDate(rs.Field(1));
    entry.End = StoredDate(rs.Field(2));
    entry.Last = StoredDate(rs.Field(3));
    for (auto handled = Db.Query("select Handled_Date from Recurring_Handled where Recurring_ID=?", {ID});
         !handled.Eof(); handled.MoveNext())
        entry.Handled.insert(StoredDate(handled.Field(0)));
    for (const QDate &date : Dates)
        if (date.isValid() && (!entry.Last.isValid() || date > entry.Last) && !entry.Handled.contains(date)) {
            entry.Handled.insert(date);
            Db.Execute("insert into Recurring_Handled (Recurring_ID,Handled_Date,Skipped) values (?,?,?)",
                       {ID, DateText(date), Skipped ? 1 : 0});
        }
    // The occurrences handled in a row from the oldest open one need no
    // row each: Last stands for them.
    const QDate last = entry.Last;
    CompactHandled(entry);
    if (entry.Last == last)
        return;
    Db.Execute("update Recurring_Table set Last_Date=? where ID=? and User_Name=?",
               {DateText(entry.Last), ID, EncodeText(User)});
    // Plain text comparison: the dates are stored as yyyy-mm-dd.
    Db.Execute("delete from Recurring_Handled where Recurring_ID=? and Handled_Date<=?",
               {ID, DateText(entry.Last)});
}
} // namespace

void SaveHandled(TclsConnection &Db, const QString &User, const QHash<qint64, QList<QDate>> &Saved)
{
    for (auto it = Saved.constBegin(); it != Saved.constEnd(); ++it)
        Remember(Db, User, it.key(), it.value(), false);
}

void SkipOccurrence(const QString &File, const QString &User, qint64 ID, const QDate &Date)
{
    TclsConnection db(File);
    TclsTransaction transaction(db);
    Remember(db, User, ID, {Date}, true);
    transaction.Commit();
}
} // namespace RecurringStore
