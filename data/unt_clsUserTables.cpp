#include "data/unt_clsUserTables.h"

#include "data/unt_clsConnection.h"

#include <QSet>
#include <QStringList>

#include <QStringList>
#include <algorithm>

const QList<TUserTable> &PerUserTables()
{
    // To add a table that holds a member's rows, add one line here:
    //   {"Saved_Searches", "User_Name"}                  rows that name their member
    //   {"Budgets", "User_Name", "ID", "budgets"}        ... numbered (a restored row
    //                                                    keeps its number when free)
    //   {"Budget_Lines", "", "Budget_ID", "budgets"}     rows that follow numbered rows
    //   {..., false}                                     the account's own state: never
    //                                                    taken from a copy
    // Rows that follow others come after them. A table an older copy or
    // older books lack is skipped.
    static const QList<TUserTable> Tables = {
        {QStringLiteral("Users_Table"), QStringLiteral("User_Name"), {}, {}, false},
        {QStringLiteral("Password_Failures"), QStringLiteral("User_Name"), {}, {}, false},
        {QStringLiteral("Restore_Notices"), QStringLiteral("User_Name"), {}, {}, false},
        {QStringLiteral("Programs_Table"), QStringLiteral("User_Name")},
        {QStringLiteral("All_Table"), QStringLiteral("User_Name"), QStringLiteral("ID"),
         QStringLiteral("records")},
        {QStringLiteral("Trash_Table"), QStringLiteral("User_Name"), QStringLiteral("ID"),
         QStringLiteral("records")},
        {QStringLiteral("Import_Rules"), QStringLiteral("User_Name")},
        {QStringLiteral("Import_Orders"), {}, QStringLiteral("Record_ID"), QStringLiteral("records")},
        {QStringLiteral("Saved_Searches"), QStringLiteral("User_Name")},
        {QStringLiteral("Budget_Table"), QStringLiteral("User_Name")},
        {QStringLiteral("Recurring_Table"), QStringLiteral("User_Name"), QStringLiteral("ID"),
         QStringLiteral("recurring")},
        {QStringLiteral("Recurring_Handled"),
         {},
         QStringLiteral("Recurring_ID"),
         QStringLiteral("recurring")},
    };
    return Tables;
}

namespace
{
QString NoRoomText()
{
    return QStringLiteral("这个备份中的记录编号已经超出了数据库能够给出的范围，不能用来恢复。");
}

QString Quoted(const QString &Name)
{
    return QLatin1Char('"') + QString(Name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

// The books' own tables go unqualified (a server keeps them under its own
// schema); an attached copy's are qualified by its name. Table and column
// names are this file's own, and go unquoted: a server folds them to lower
// case as it made them.
const QString Main;

QString Of(const QString &Schema, const QString &Table)
{
    return Schema.isEmpty() ? Table : Quoted(Schema) + QLatin1Char('.') + Table;
}

QStringList Columns(TclsConnection &Db, const QString &Schema, const QString &Table)
{
    return Db.Columns(Table, Schema);
}

bool Has(TclsConnection &Db, const QString &Schema, const QString &Table)
{
    return Db.HasTable(Table, Schema);
}

// The condition that picks the member's rows of T in Schema, the member's
// name bound as ?1: their own column, or the numbers of their rows in the
// tables of the numbering.
QString Owned(TclsConnection &Db, const QString &Schema, const TUserTable &T)
{
    if (!T.UserColumn.isEmpty())
        return T.UserColumn + QStringLiteral("=?1");
    QStringList owners;
    for (const TUserTable &owner : PerUserTables())
        if (owner.Numbering == T.Numbering && !owner.UserColumn.isEmpty() && Has(Db, Schema, owner.Table))
            owners << QStringLiteral("select %1 from %2 where %3=?1")
                          .arg(owner.NumberColumn, Of(Schema, owner.Table), owner.UserColumn);
    if (owners.isEmpty())
        return QStringLiteral("0");
    return T.NumberColumn + QStringLiteral(" in (") + owners.join(QStringLiteral(" union all ")) +
           QLatin1Char(')');
}

void Run(TclsConnection &Db, const QString &Sql, const QString &EncodedName)
{
    Db.Execute(Sql.toUtf8().constData(), {EncodedName});
}

// The numbers of the member's rows in the copy that a row of someone else
// in the live books has: each gets a number above every one in use.
int Renumber(TclsConnection &Db, const QString &Schema, const QString &EncodedName, const QString &Numbering)
{
    QStringList mine, live;
    qint64 top = 0;
    for (const TUserTable &t : PerUserTables()) {
        if (t.Numbering != Numbering || t.UserColumn.isEmpty())
            continue;
        if (Has(Db, Schema, t.Table))
            mine << QStringLiteral("select %1 as n from %2 where %3=?1")
                        .arg(t.NumberColumn, Of(Schema, t.Table), t.UserColumn);
        if (Has(Db, Main, t.Table)) {
            live << QStringLiteral("select %1 from %2").arg(t.NumberColumn, t.Table);
            top = std::max(top, Db.Query(QStringLiteral("select coalesce(max(%1),0) from %2")
                                             .arg(t.NumberColumn, t.Table)
                                             .toUtf8()
                                             .constData())
                                    .FieldInt64(0));
            top = std::max(top, Db.HighestNumber(t.Table));
        }
    }
    if (mine.isEmpty() || live.isEmpty())
        return 0;
    const QString all = mine.join(QStringLiteral(" union all "));
    top = std::max(
        top, Db.Query(QStringLiteral("select coalesce(max(n),0) from (%1)").arg(all).toUtf8().constData(),
                      {EncodedName})
                 .FieldInt64(0));
    QList<qint64> clashes;
    for (auto rs = Db.Query(QStringLiteral("select distinct n from (%1) where n in (%2) order by n")
                                .arg(all, live.join(QStringLiteral(" union all ")))
                                .toUtf8()
                                .constData(),
                            {EncodedName});
         !rs.Eof(); rs.MoveNext())
        clashes << rs.FieldInt64(0);
    // Checked before (CheckMemberRows); kept here too, since a number past
    // the end would wrap round to a negative one.
    if (top > MaxRowNumber - clashes.size())
        throw TclsDatabaseError(NoRoomText().toStdString(), 0);
    for (const qint64 old : clashes)
        Db.Execute("insert or replace into temp.Member_Renumber (Numbering,Old,New) values (?,?,?)",
                   {Numbering, old, ++top});
    return int(clashes.size());
}

// Rows that follow others go first, while their owners still say whose
// they are. Copy names the attached copy whose tables alone are replaced.
void DeleteRows(TclsConnection &Db, const QString &EncodedName, bool FromCopyOnly, const QString &Copy)
{
    const QList<TUserTable> &tables = PerUserTables();
    for (auto it = tables.crbegin(); it != tables.crend(); ++it)
        if ((!FromCopyOnly || it->FromCopy) && Has(Db, Main, it->Table) &&
            (Copy.isEmpty() || Has(Db, Copy, it->Table)))
            Run(Db, QStringLiteral("delete from %1 where %2").arg(it->Table, Owned(Db, Main, *it)),
                EncodedName);
}
} // namespace

void DeleteMemberRows(TclsConnection &Db, const QString &EncodedName, bool FromCopyOnly)
{
    DeleteRows(Db, EncodedName, FromCopyOnly, {});
}

void DeleteFollowers(TclsConnection &Db, const QString &Numbering, qint64 Number)
{
    for (const TUserTable &t : PerUserTables())
        if (t.Numbering == Numbering && t.UserColumn.isEmpty() && Has(Db, Main, t.Table))
            Db.Execute(
                QStringLiteral("delete from %1 where %2=?").arg(t.Table, t.NumberColumn).toUtf8().constData(),
                {Number});
}

int ReplaceMemberRows(TclsConnection &Db, const QString &Schema, const QString &EncodedName)
{
    const QString &main = Main;
    // The numbering is read from the live books before their rows go, and
    // what follows a renumbered row is renumbered with it.
    Db.Execute("create temp table if not exists Member_Renumber (Numbering TEXT NOT NULL, Old INTEGER NOT "
               "NULL, New INTEGER NOT NULL, PRIMARY KEY (Numbering, Old))");
    Db.Execute("delete from temp.Member_Renumber");
    DeleteRows(Db, EncodedName, true, Schema);
    QSet<QString> numberings;
    int renumbered = 0;
    for (const TUserTable &t : PerUserTables())
        if (!t.Numbering.isEmpty() && !numberings.contains(t.Numbering)) {
            numberings << t.Numbering;
            renumbered += Renumber(Db, Schema, EncodedName, t.Numbering);
        }
    for (const TUserTable &t : PerUserTables()) {
        if (!t.FromCopy || !Has(Db, Schema, t.Table) || !Has(Db, main, t.Table))
            continue;
        const QStringList live = Columns(Db, main, t.Table);
        QStringList names, values;
        for (const QString &column : Columns(Db, Schema, t.Table)) {
            if (!live.contains(column, Qt::CaseInsensitive))
                continue;
            names << Quoted(column);
            values << (column.compare(t.NumberColumn, Qt::CaseInsensitive) == 0
                           ? QStringLiteral(
                                 "coalesce((select New from temp.Member_Renumber where Numbering='%1' "
                                 "and Old=%2),%2)")
                                 .arg(t.Numbering, Quoted(column))
                           : Quoted(column));
        }
        // A following row may meet one left behind by a record long gone.
        Run(Db,
            QStringLiteral("insert %1 into %2 (%3) select %4 from %5 where %6")
                .arg(t.UserColumn.isEmpty() ? QStringLiteral("or replace") : QString(), Of(main, t.Table),
                     names.join(QLatin1Char(',')), values.join(QLatin1Char(',')), Of(Schema, t.Table),
                     Owned(Db, Schema, t)),
            EncodedName);
    }
    Db.Execute("delete from temp.Member_Renumber");
    return renumbered;
}

QString CheckMemberRows(TclsConnection &Db, const QString &Schema, const QString &EncodedName)
{
    const QString main = QStringLiteral("main");
    const bool all = EncodedName.isEmpty();
    const TclsSqlValues name = all ? TclsSqlValues{} : TclsSqlValues{EncodedName};
    if (all && Has(Db, Schema, QStringLiteral("sqlite_sequence")) &&
        Db.Query(QStringLiteral("select count(*) from %1 where seq>%2")
                     .arg(Of(Schema, QStringLiteral("sqlite_sequence")))
                     .arg(MaxRowNumber)
                     .toUtf8()
                     .constData())
                .FieldInt64(0) > 0)
        return NoRoomText();
    for (const TUserTable &t : PerUserTables()) {
        if (t.NumberColumn.isEmpty() || (!all && !t.FromCopy) || !Has(Db, Schema, t.Table))
            continue;
        const QString owned = all ? QStringLiteral("1") : Owned(Db, Schema, t);
        const QString bad =
            QStringLiteral("select count(*) from %1 where (%2) and (typeof(%3)<>'integer' or %3<1 or %3>%4)")
                .arg(Of(Schema, t.Table), owned, Quoted(t.NumberColumn))
                .arg(MaxRowNumber);
        if (Db.Query(bad.toUtf8().constData(), name).FieldInt64(0) > 0)
            return QStringLiteral("这个备份中“%1”的数据有无效的记录编号（不是 1 到 %2 之间的整数），"
                                  "备份可能被人改过，不能用来恢复。")
                .arg(t.Table)
                .arg(MaxRowNumber);
        // What the live books have given out already, any member's.
        if (!all && Has(Db, main, t.Table)) {
            qint64 top = Db.Query(QStringLiteral("select coalesce(max(%1),0) from %2")
                                      .arg(Quoted(t.NumberColumn), Of(main, t.Table))
                                      .toUtf8()
                                      .constData())
                             .FieldInt64(0);
            if (Has(Db, main, QStringLiteral("sqlite_sequence")))
                if (auto rs = Db.Query("select seq from main.sqlite_sequence where name=?", {t.Table});
                    !rs.Eof())
                    top = std::max(top, rs.FieldInt64(0));
            const qint64 rows = Db.Query(QStringLiteral("select count(*) from %1 where %2")
                                             .arg(Of(Schema, t.Table), owned)
                                             .toUtf8()
                                             .constData(),
                                         name)
                                    .FieldInt64(0);
            if (top > MaxRowNumber - rows)
                return NoRoomText();
        }
    }
    return {};
}
