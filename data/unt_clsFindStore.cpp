#include "data/unt_clsFindStore.h"

#include "data/unt_clsBase64.h"
#include "data/unt_clsConnection.h"
#include "data/unt_clsDatabaseUser.h"

using Base64::DecodeText;
using Base64::EncodeText;

namespace
{
QDate StoredDate(const QString &Text)
{
    return QDate::fromString(Text, QStringLiteral("yyyy-MM-dd"));
}

QString DateOrBlank(const QDate &Date)
{
    return Date.isValid() ? DayText(Date) : QString();
}
} // namespace

TclsFindStore::TclsFindStore(const QString &DatabaseFile) : FDatabaseFile(DatabaseFile) {}

bool TclsFindStore::GetRecordSpan(const QString &UserName, QDate &First, QDate &Last)
{
    TclsConnection db(FDatabaseFile);
    // A stored date that is no day of the calendar belongs to no range, as
    // in the store's range read: the ends are the first and last real days.
    const char *const ends[] = {
        "select Program_Date from All_Table where User_Name=? order by Program_Date asc",
        "select Program_Date from All_Table where User_Name=? order by Program_Date desc"};
    QDate found[2];
    for (int end = 0; end < 2; ++end)
        for (auto rs = db.Query(ends[end], {EncodeText(UserName)}); !rs.Eof(); rs.MoveNext()) {
            const QString text = rs.Field(0);
            const QDate date = StoredDate(text);
            if (date.isValid() && DayText(date) == text) {
                found[end] = date;
                break;
            }
        }
    First = found[0];
    Last = found[1];
    return First.isValid() && Last.isValid();
}

void TclsFindStore::GetAllRecords(TclsDatabaseUser &Store, const QString &UserName, TRangeRecords &Records)
{
    QDate first, last;
    if (!GetRecordSpan(UserName, first, last)) {
        Records.Reset(QDate(), QDate());
        return;
    }
    Store.GetRangeRecords(UserName, first, last, Records);
}

quint64 TclsFindStore::LedgerWrites()
{
    return TclsConnection::LedgerWrites();
}

QStringList TclsFindStore::SearchNames(const QString &UserName)
{
    TclsConnection db(FDatabaseFile);
    QStringList names;
    for (auto rs = db.Query("select Search_Name from Saved_Searches where User_Name=? and Search_Name<>''",
                            {EncodeText(UserName)});
         !rs.Eof(); rs.MoveNext())
        names << DecodeText(rs.Field(0));
    names.sort();
    return names;
}

bool TclsFindStore::LoadSearch(const QString &UserName, const QString &Name, TFindQuery &Query)
{
    TclsConnection db(FDatabaseFile);
    auto rs = db.Query("select Search_Words,Date_From,Date_To,Program_Type,Program_Name,Money_Min,Money_Max "
                       "from Saved_Searches where User_Name=? and Search_Name=?",
                       {EncodeText(UserName), EncodeText(Name)});
    if (rs.Eof())
        return false;
    Query.Words = DecodeText(rs.Field(0));
    Query.From = StoredDate(rs.Field(1));
    Query.To = StoredDate(rs.Field(2));
    Query.Type = DecodeText(rs.Field(3));
    Query.Name = DecodeText(rs.Field(4));
    Query.Min = rs.Field(5);
    Query.Max = rs.Field(6);
    return true;
}

void TclsFindStore::SaveSearch(const QString &UserName, const QString &Name, const TFindQuery &Query)
{
    TclsConnection db(FDatabaseFile);
    db.Execute("insert into Saved_Searches (User_Name,Search_Name,Search_Words,Date_From,Date_To,"
               "Program_Type,Program_Name,Money_Min,Money_Max) values (?,?,?,?,?,?,?,?,?) "
               "on conflict (User_Name,Search_Name) do update set Search_Words=excluded.Search_Words,"
               "Date_From=excluded.Date_From,Date_To=excluded.Date_To,Program_Type=excluded.Program_Type,"
               "Program_Name=excluded.Program_Name,Money_Min=excluded.Money_Min,Money_Max=excluded.Money_Max",
               {EncodeText(UserName), EncodeText(Name), EncodeText(Query.Words), DateOrBlank(Query.From),
                DateOrBlank(Query.To), EncodeText(Query.Type), EncodeText(Query.Name), Query.Min, Query.Max});
}

bool TclsFindStore::SearchExists(const QString &UserName, const QString &Name)
{
    TclsConnection db(FDatabaseFile);
    return !db.Query("select 1 from Saved_Searches where User_Name=? and Search_Name=?",
                     {EncodeText(UserName), EncodeText(Name)})
                .Eof();
}

void TclsFindStore::DeleteSearch(const QString &UserName, const QString &Name)
{
    TclsConnection db(FDatabaseFile);
    db.Execute("delete from Saved_Searches where User_Name=? and Search_Name=?",
               {EncodeText(UserName), EncodeText(Name)});
}

void TclsFindStore::RenameSearch(const QString &UserName, const QString &Name, const QString &NewName)
{
    TclsConnection db(FDatabaseFile);
    TclsTransaction transaction(db);
    db.Execute("delete from Saved_Searches where User_Name=? and Search_Name=?",
               {EncodeText(UserName), EncodeText(NewName)});
    db.Execute("update Saved_Searches set Search_Name=? where User_Name=? and Search_Name=?",
               {EncodeText(NewName), EncodeText(UserName), EncodeText(Name)});
    transaction.Commit();
}
