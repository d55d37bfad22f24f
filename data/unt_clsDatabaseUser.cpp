#include "data/unt_clsDatabaseUser.h"

#include "data/unt_clsBackup.h"
#include "data/unt_clsBase64.h"
#include "data/unt_clsConnection.h"
#include "data/unt_clsPassword.h"
#include "data/unt_clsPasswordWait.h"
#include "data/unt_clsUserNames.h"
#include "data/unt_clsUserTables.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

using Base64::DecodeText, Base64::EncodeText;

namespace
{
const QString ExpenseListKind = QStringLiteral("支出项目名称");
QString DefaultFileOverride;

// The stored hash of the first row of this name whose password matches, or
// an empty text when none does. Every try is counted; while the name has to
// wait, the password is not tried at all.
QString MatchingHash(TclsConnection &Db, const QString &File, const QString &EncodedName,
                     const QString &Password)
{
    if (PasswordWait::SecondsLeft(&Db, File, EncodedName) > 0)
        return {};
    QStringList hashes;
    for (auto rs = Db.Query("select User_Password from Users_Table where User_Name=?", {EncodedName});
         !rs.Eof(); rs.MoveNext())
        hashes << rs.Field(0);
    for (const QString &hash : hashes)
        if (Password::Matches(hash, Password)) {
            PasswordWait::Succeeded(&Db, File, EncodedName);
            return hash;
        }
    PasswordWait::Failed(&Db, File, EncodedName);
    return {};
}

// Re-inserting the row makes it the newest one, which the login list shows
// first. The hash checked before is compared again inside the write
// transaction: a password changed meanwhile by another copy of the program
// is never written back. False when the row changed under us.
bool ReplaceUserRow(TclsConnection &Db, const QString &EncodedName, const QString &CheckedHash,
                    const QString &NewHash)
{
    TclsTransaction transaction(Db);
    if (Db.Query("select 1 from Users_Table where User_Name=? and User_Password=?",
                 {EncodedName, CheckedHash})
            .Eof())
        return false;
    Db.Execute("delete from Users_Table where User_Name=?", {EncodedName});
    Db.Execute("insert into Users_Table (User_Name,User_Password) values (?,?)", {EncodedName, NewHash});
    transaction.Commit();
    return true;
}

bool IsReadOnlyError(const TclsDatabaseError &Error)
{
    return Error.IsReadOnly();
}

} // namespace

TclsDatabaseUser::TclsDatabaseUser() : FDatabaseFile(DefaultDatabaseFile()) {}

TclsDatabaseUser::TclsDatabaseUser(const QString &DatabaseFile) : FDatabaseFile(DatabaseFile) {}

QString TclsDatabaseUser::DefaultDatabaseFile()
{
    if (!DefaultFileOverride.isEmpty())
        return DefaultFileOverride;
    return QCoreApplication::applicationDirPath() + QStringLiteral("/Database/pondo.sjk");
}

void TclsDatabaseUser::SetDefaultDatabaseFile(const QString &File)
{
    DefaultFileOverride = File;
}

// ---- users -----------------------------------------------------------------

QStringList TclsDatabaseUser::GetUserNames()
{
    TclsConnection db(FDatabaseFile);
    QStringList names;
    for (auto rs = db.Query("select User_Name from Users_Table order by rowid desc"); !rs.Eof();
         rs.MoveNext())
        names << DecodeText(rs.Field(0));
    return names;
}

bool TclsDatabaseUser::CheckLogin(const QString &UserName, const QString &Password)
{
    const QString name = EncodeText(UserName);
    TclsConnection db(FDatabaseFile);
    for (;;) {
        const QString hash = MatchingHash(db, FDatabaseFile, name, Password);
        if (hash.isEmpty())
            return false;
        try {
            if (ReplaceUserRow(db, name, hash, hash))
                return true;
        } catch (const TclsDatabaseError &e) {
            // Books that cannot be written can still be read: the login
            // stands without moving the user to the top of the list.
            if (!IsReadOnlyError(e))
                throw;
            FReadOnly = true;
            return true;
        }
    }
}

int TclsDatabaseUser::SecondsToWait(const QString &UserName)
{
    TclsConnection db(FDatabaseFile);
    return PasswordWait::SecondsLeft(&db, FDatabaseFile, EncodeText(UserName));
}

bool TclsDatabaseUser::PasswordMatches(const QString &UserName, const QString &Password)
{
    TclsConnection db(FDatabaseFile);
    return !MatchingHash(db, FDatabaseFile, EncodeText(UserName), Password).isEmpty();
}

QString TclsDatabaseUser::NameKey(const QString &UserName)
{
    return UserNames::Key(UserName);
}

bool TclsDatabaseUser::AddUser(const QString &UserName, const QString &Password)
{
    const QString name = EncodeText(UserName.trimmed());
    const QString key = NameKey(UserName);
    if (key.isEmpty() || !UserNames::Problem(UserName.trimmed()).isEmpty()) // see UserNames::Problem
        return false;
    const QString look = UserNames::Skeleton(UserName);
    TclsConnection db(FDatabaseFile);
    // Names stored before keep working as they are; only a new one is
    // compared the forgiving way.
    auto taken = [&] {
        for (auto rs = db.Query("select User_Name from Users_Table"); !rs.Eof(); rs.MoveNext())
            if (const QString stored = DecodeText(rs.Field(0));
                NameKey(stored) == key || UserNames::Skeleton(stored) == look)
                return true;
        return false;
    };
    if (taken())
        return false;
    const QString hash = Password::Hash(Password);
    const QString outNames = EncodeText(LoadTextResource(QStringLiteral("out_txt")));
    const QString inNames = EncodeText(LoadTextResource(QStringLiteral("In_txt")));
    TclsTransaction transaction(db);
    if (taken()) // another copy of the program may have been quicker
        return false;
    db.Execute("insert into Users_Table (User_Name,User_Password) values (?,?)", {name, hash});
    db.Execute("insert into Programs_Table (Out_Program_Names,In_Program_Names,User_Name) values (?,?,?)",
               {outNames, inNames, name});
    transaction.Commit();
    return true;
}

bool TclsDatabaseUser::ChangePassword(const QString &UserName, const QString &OldPassword,
                                      const QString &NewPassword)
{
    const QString name = EncodeText(UserName);
    TclsConnection db(FDatabaseFile);
    const QString newHash = Password::Hash(NewPassword);
    for (;;) {
        const QString hash = MatchingHash(db, FDatabaseFile, name, OldPassword);
        if (hash.isEmpty())
            return false;
        if (ReplaceUserRow(db, name, hash, newHash))
            return true;
    }
}

bool TclsDatabaseUser::DeleteUser(const QString &UserName, const QString &Password)
{
    const QString name = EncodeText(UserName);
    TclsConnection db(FDatabaseFile);
    if (MatchingHash(db, FDatabaseFile, name, Password).isEmpty())
        return false;
    // A file is copied first (a failed copy throws, and nothing is deleted);
    // books on a server are no file to copy, and the transaction below is
    // all or nothing there.
    if (!TclsConnection::IsServer(FDatabaseFile))
        MakeSafetyCopy(FDatabaseFile, QStringLiteral("deleteuser"));
    TclsTransaction transaction(db);
    DeleteMemberRows(db, name, false);
    transaction.Commit();
    return true;
}

QString TclsDatabaseUser::TakeRestoreNotice(const QString &UserName)
{
    const QString name = EncodeText(UserName);
    TclsConnection db(FDatabaseFile);
    QString text;
    try {
        for (auto rs = db.Query("select Restored_At,Copy_Taken_At from Restore_Notices where User_Name=? "
                                "order by rowid",
                                {name});
             !rs.Eof(); rs.MoveNext())
            text = QStringLiteral("数据已于 %1 整体恢复到 %2 的备份：当时的数据库文件已损坏或丢失。"
                                  "此后记下的记录和修改的密码都已不在，请检查您的数据。")
                       .arg(rs.Field(0), rs.Field(1));
    } catch (const TclsDatabaseError &) {
        return {}; // books of an older layout hold no notices
    }
    if (!text.isEmpty()) {
        try {
            db.Execute("delete from Restore_Notices where User_Name=?", {name});
        } catch (const TclsDatabaseError &error) {
            if (!IsReadOnlyError(error))
                throw;
        }
    }
    return text;
}

QString TclsDatabaseUser::LoadTextResource(const QString &Name)
{
    const QDir dir(QStringLiteral(":/text"));
    for (const QString &entry : dir.entryList(QDir::Files)) {
        if (entry.compare(Name, Qt::CaseInsensitive) != 0)
            continue;
        QFile file(dir.filePath(entry));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll());
    }
    return {};
}

// ---- category lists ----------------------------------------------------------

void TclsDatabaseUser::GetProgramNames(const QString &UserName, QStringList &OutNames, QStringList &InNames)
{
    TclsConnection db(FDatabaseFile);
    QString outText, inText;
    for (auto rs = db.Query("select Out_Program_Names,In_Program_Names from Programs_Table where User_Name=? "
                            "order by rowid",
                            {EncodeText(UserName)});
         !rs.Eof(); rs.MoveNext()) {
        outText = DecodeText(rs.Field(0));
        inText = DecodeText(rs.Field(1));
    }
    OutNames = SplitLines(outText);
    InNames = SplitLines(inText);
}

void TclsDatabaseUser::SetProgramNames(const QString &UserName, const QString &ListKind,
                                       const QString &NamesText)
{
    TclsConnection db(FDatabaseFile);
    const char *sql = ListKind == ExpenseListKind
                          ? "update Programs_Table set Out_Program_Names=? where User_Name=?"
                          : "update Programs_Table set In_Program_Names=? where User_Name=?";
    db.Execute(sql, {EncodeText(NamesText), EncodeText(UserName)});
}

QStringList TclsDatabaseUser::SplitLines(const QString &Text)
{
    auto isBlank = [](const QString &s) {
        for (const QChar c : s)
            if (c.unicode() > 32)
                return false;
        return true;
    };
    QStringList lines;
    qsizetype pos = 0;
    while (pos < Text.size()) {
        const qsizetype cr = Text.indexOf(QLatin1Char('\r'), pos);
        const QString line = Text.mid(pos, cr < 0 ? -1 : cr - pos);
        if (!isBlank(line))
            lines << line;
        if (cr < 0)
            break;
        pos = cr + 2; // the CR and the LF after it
    }
    return lines;
}
