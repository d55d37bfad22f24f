#include "data/unt_clsSchema.h"

#include "data/unt_clsBackup.h"
#include "data/unt_clsConnection.h"

namespace
{
int ReadVersion(TclsConnection &Db)
{
    return Db.SchemaVersion();
}
} // namespace

const std::vector<TSchemaStep> &SchemaSteps()
{
    static const std::vector<TSchemaStep> Steps = {
        // 0 -> 1: the trash of deleted records.
        {QStringLiteral("CREATE TABLE Trash_Table (ID INTEGER PRIMARY KEY, Program_Date TEXT NOT NULL, "
                        "Program_Type TEXT NOT NULL, Program_Name TEXT NOT NULL, Program_Money NUMERIC NOT "
                        "NULL, Program_Memo TEXT NOT NULL DEFAULT '', User_Name TEXT NOT NULL, Deleted_At "
                        "TEXT NOT NULL)"),
         QStringLiteral("CREATE INDEX Trash_Table_User ON Trash_Table (User_Name, Deleted_At)")},
        // 1 -> 2: the order numbers of imported records, and what imports
        // remember per user (counterparties' categories, bill layouts' columns).
        {QStringLiteral(
             "CREATE TABLE Import_Orders (Record_ID INTEGER PRIMARY KEY, Import_Source TEXT NOT NULL, "
             "Order_No TEXT NOT NULL)"),
         QStringLiteral("CREATE INDEX Import_Orders_No ON Import_Orders (Order_No)"),
         QStringLiteral(
             "CREATE TABLE Import_Rules (User_Name TEXT NOT NULL, Rule_Kind TEXT NOT NULL, Rule_Key "
             "TEXT NOT NULL, Rule_Value TEXT NOT NULL, PRIMARY KEY (User_Name, Rule_Kind, Rule_Key))")},
        // 2 -> 3: each user's saved searches, and the last search under the
        // empty name.
        {QStringLiteral(
            "CREATE TABLE Saved_Searches (User_Name TEXT NOT NULL, Search_Name TEXT NOT NULL, Search_Words "
            "TEXT NOT NULL DEFAULT '', Date_From TEXT NOT NULL DEFAULT '', Date_To TEXT NOT NULL DEFAULT '', "
            "Program_Type TEXT NOT NULL DEFAULT '', Program_Name TEXT NOT NULL DEFAULT '', "
            "Money_Min TEXT NOT NULL DEFAULT '', Money_Max TEXT NOT NULL DEFAULT '', "
            "PRIMARY KEY (User_Name, Search_Name))")},
        // 3 -> 4: each user's monthly budget per expense category.
        {QStringLiteral("CREATE TABLE Budget_Table (User_Name TEXT NOT NULL, Program_Name TEXT NOT NULL, "
                        "Budget_Money NUMERIC NOT NULL, PRIMARY KEY (User_Name, Program_Name))")},
        // 4 -> 5: each user's recurring entries, and the latest occurrence
        // of each that was saved.
        {QStringLiteral(
             "CREATE TABLE Recurring_Table (ID INTEGER PRIMARY KEY AUTOINCREMENT, User_Name TEXT NOT "
             "NULL, Program_Type TEXT NOT NULL, Program_Name TEXT NOT NULL, Program_Money NUMERIC "
             "NOT NULL, Program_Memo TEXT NOT NULL DEFAULT '', Cycle TEXT NOT NULL, Start_Date TEXT "
             "NOT NULL, End_Date TEXT NOT NULL DEFAULT '', Last_Date TEXT NOT NULL DEFAULT '')"),
         QStringLiteral("CREATE INDEX Recurring_Table_User ON Recurring_Table (User_Name)")},
        // 5 -> 6: wrong passwords counted per name, and the notice each member
        // gets at the next login after the whole books were restored (a
        // restore may have made it already, hence IF NOT EXISTS).
        {QStringLiteral("CREATE TABLE IF NOT EXISTS Password_Failures (User_Name TEXT PRIMARY KEY, Failures "
                        "INTEGER NOT NULL, Last_Failure INTEGER NOT NULL)"),
         QStringLiteral(
             "CREATE TABLE IF NOT EXISTS Restore_Notices (User_Name TEXT NOT NULL, Restored_At TEXT "
             "NOT NULL, Copy_Taken_At TEXT NOT NULL)")},
        // 6 -> 7: occurrences of recurring entries saved or skipped out of
        // turn, after the entry's Last_Date.
        {QStringLiteral(
            "CREATE TABLE Recurring_Handled (Recurring_ID INTEGER NOT NULL, Handled_Date TEXT NOT "
            "NULL, Skipped INTEGER NOT NULL DEFAULT 0, PRIMARY KEY (Recurring_ID, Handled_Date))")},
    };
    return Steps;
}

int CurrentSchemaVersion()
{
    return int(SchemaSteps().size());
}

int SchemaVersion(const QString &DatabaseFile)
{
    TclsConnection db(DatabaseFile);
    return ReadVersion(db);
}

bool UpgradeSchema(const QString &DatabaseFile)
{
    TclsConnection db(DatabaseFile);
    if (ReadVersion(db) >= CurrentSchemaVersion())
        return false;
    try {
        // The first open above has rolled back what a killed upgrade left,
        // so the bytes are the old layout's again: a copy of them taken by
        // an earlier start is as good as a new one.
        // On a server the steps are one transaction, layout changes
        // included, so a failed step leaves the old layout as it was.
        if (!TclsConnection::IsServer(DatabaseFile)) {
            const QString hash = FileHash(DatabaseFile);
            if (SafetyCopyOf(DatabaseFile, QStringLiteral("upgrade"), hash).isEmpty())
                MakeSafetyCopy(DatabaseFile, QStringLiteral("upgrade"), hash);
        }
        TclsTransaction transaction(db);
        const int from = ReadVersion(db); // another copy of the program may have been quicker
        if (from >= CurrentSchemaVersion())
            return false;
        for (int version = from; version < CurrentSchemaVersion(); ++version)
            for (const QString &statement : SchemaSteps()[size_t(version)])
                db.ExecuteScript(statement.toUtf8().constData());
        db.SetSchemaVersion(CurrentSchemaVersion());
        transaction.Commit();
    } catch (const std::exception &error) {
        throw TclsDatabaseError(
            QStringLiteral("数据库需要升级到新的格式，但升级没有完成，数据没有任何改动。\n%1")
                .arg(QString::fromUtf8(error.what()))
                .toStdString(),
            0);
    }
    return true;
}
