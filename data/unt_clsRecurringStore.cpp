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
    db.Execute("delete from Recurring_Table where ID=? and User_Name=?", {ID, EncodeText(User)});
    return true;
}

void SaveHandled(TclsConnection &Db, const QString &User, const QHash<qint64, QDate> &Latest)
{
    const QString user = EncodeText(User);
    for (auto it = Latest.constBegin(); it != Latest.constEnd(); ++it) {
        if (!it.value().isValid())
            continue;
        // Plain text comparison: the dates are stored as yyyy-mm-dd.
        Db.Execute("update Recurring_Table set Last_Date=? where ID=? and User_Name=? and Last_Date<?",
                   {DateText(it.value()), it.key(), user, DateText(it.value())});
    }
}
} // namespace RecurringStore
