#include "data/unt_clsTrash.h"

#include "data/unt_clsAmount.h"
#include "data/unt_clsBase64.h"
#include "data/unt_clsClock.h"
#include "data/unt_clsConnection.h"
#include "data/unt_clsUserTables.h"

using Base64::DecodeText;
using Base64::EncodeText;

namespace
{
QList<qint64> Numbers(const QStringList &IDs)
{
    QList<qint64> numbers;
    for (const QString &id : IDs) {
        if (!IsPlainInteger(id))
            throw TclsDatabaseError(QStringLiteral("记录编号“%1”无效。").arg(id).toStdString(), 0);
        numbers << id.toLongLong();
    }
    return numbers;
}
} // namespace

bool MoveRecordToTrash(TclsConnection &Db, qint64 ID, const QString &EncodedUser)
{
    const QString now = Clock::Now().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    Db.Execute("insert into Trash_Table (ID,Program_Date,Program_Type,Program_Name,Program_Money,"
               "Program_Memo,User_Name,Deleted_At) select ID,Program_Date,Program_Type,Program_Name,"
               "Program_Money,Program_Memo,User_Name,? from All_Table where ID=? and (?='' or User_Name=?) "
               "on conflict (ID) do update set Program_Date=excluded.Program_Date,"
               "Program_Type=excluded.Program_Type,Program_Name=excluded.Program_Name,"
               "Program_Money=excluded.Program_Money,Program_Memo=excluded.Program_Memo,"
               "User_Name=excluded.User_Name,Deleted_At=excluded.Deleted_At",
               {now, ID, EncodedUser, EncodedUser});
    if (Db.Changes() == 0)
        return false;
    Db.Execute("delete from All_Table where ID=?", {ID});
    return true;
}

TclsTrash::TclsTrash(const QString &DatabaseFile) : FDatabaseFile(DatabaseFile) {}

void TclsTrash::GetTrash(const QString &UserName, TrashLists &Records)
{
    for (auto &list : Records)
        list.clear();
    TclsConnection db(FDatabaseFile);
    for (auto rs =
             db.Query("select ID,Deleted_At,Program_Date,Program_Type,Program_Name,Program_Money,"
                      "Program_Memo from Trash_Table where User_Name=? order by Deleted_At desc,ID desc",
                      {EncodeText(UserName)});
         !rs.Eof(); rs.MoveNext()) {
        Records[0] << rs.Field(0);
        Records[1] << rs.Field(1);
        Records[2] << rs.Field(2);
        Records[3] << DecodeText(rs.Field(3));
        Records[4] << DecodeText(rs.Field(4));
        Records[5] << FormatMoney(rs.FieldDouble(5));
        Records[6] << DecodeText(rs.Field(6));
    }
}

int TclsTrash::Restore(const QString &UserName, const QStringList &IDs)
{
    const QList<qint64> ids = Numbers(IDs);
    const QString user = EncodeText(UserName);
    TclsConnection db(FDatabaseFile);
    TclsTransaction transaction(db);
    int done = 0;
    for (const qint64 id : ids) {
        db.Execute(
            "insert into All_Table (ID,Program_Date,Program_Type,Program_Name,Program_Money,Program_Memo,"
            "User_Name) select ID,Program_Date,Program_Type,Program_Name,Program_Money,Program_Memo,"
            "User_Name from Trash_Table where ID=? and User_Name=?",
            {id, user});
        if (db.Changes() == 0)
            continue;
        db.Execute("delete from Trash_Table where ID=?", {id});
        ++done;
    }
    transaction.Commit();
    return done;
}

int TclsTrash::Purge(const QString &UserName, const QStringList &IDs)
{
    const QList<qint64> ids = Numbers(IDs);
    const QString user = EncodeText(UserName);
    TclsConnection db(FDatabaseFile);
    TclsTransaction transaction(db);
    int done = 0;
    for (const qint64 id : ids) {
        db.Execute("delete from Trash_Table where ID=? and User_Name=?", {id, user});
        if (db.Changes() == 0)
            continue;
        // Nothing of a purged record stays behind, its order number neither.
        DeleteFollowers(db, QStringLiteral("records"), id);
        ++done;
    }
    transaction.Commit();
    return done;
}
