#include "data/unt_clsRestore.h"

#include "data/unt_clsBooksFile.h"
#include "data/unt_clsRestoreParts.h"

#include "data/unt_clsBackup.h"
#include "data/unt_clsBase64.h"
#include "data/unt_clsClock.h"
#include "data/unt_clsDatabaseUser.h"
#include "data/unt_clsPassword.h"
#include "data/unt_clsPasswordWait.h"
#include "data/unt_clsSharedFiles.h"
#include "data/unt_clsConnection.h"
#include "data/unt_clsSystemWords.h"
#include "data/unt_clsUserTables.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

using namespace RestoreParts;

namespace
{
// The time a copy's name carries: pondo-2026-12-08.sjk, pondo-...-20261208-101500.sjk.
QDateTime TimeInName(const QString &Name)
{
    static const QRegularExpression stamp(QStringLiteral("(\\d{8})-(\\d{6})"));
    static const QRegularExpression day(QStringLiteral("(\\d{4}-\\d{2}-\\d{2})"));
    if (const auto m = stamp.match(Name); m.hasMatch())
        return QDateTime::fromString(m.captured(1) + m.captured(2), QStringLiteral("yyyyMMddHHmmss"));
    if (const auto m = day.match(Name); m.hasMatch())
        return QDateTime(QDate::fromString(m.captured(1), Qt::ISODate), QTime(0, 0));
    return {};
}

// The books open and hold users: then only a member's books are restored.
// Busy is set when another program's lock kept the question open.
bool BooksOpen(const QString &DatabaseFile, bool &Busy)
{
    Busy = false;
    if (!QFileInfo::exists(DatabaseFile))
        return false;
    const QString check = CheckDatabaseFile(DatabaseFile, true, &Busy);
    if (Busy || check != QLatin1String("ok"))
        return false;
    bool ok = false;
    QueryReadOnly(DatabaseFile, "select count(*) from Users_Table", &ok);
    return ok;
}

TRestoreResult RestoreMember(const QString &DatabaseFile, const QString &BackupFile, const QString &UserName,
                             const QString &Password, TRestoreResult Result)
{
    TclsDatabaseUser store(DatabaseFile);
    if (!store.GetUserNames().contains(UserName)) {
        Result.Status = TRestoreStatus::NotInBooks;
        return Result;
    }
    if ((Result.WaitSeconds = store.SecondsToWait(UserName)) > 0) {
        Result.Status = TRestoreStatus::MustWait;
        return Result;
    }
    if (!store.PasswordMatches(UserName, Password)) {
        Result.Status = TRestoreStatus::WrongPassword;
        Result.WaitSeconds = store.SecondsToWait(UserName);
        return Result;
    }
    // A copy is any member's to plant: what it gives is checked before
    // anything at all is written, the safety copy included.
    {
        TclsConnection db(DatabaseFile);
        db.Execute("ATTACH DATABASE ? AS copy", {ResolvedFolderPath(BackupFile)});
        QString problem;
        try {
            problem = CheckMemberRows(db, QStringLiteral("copy"), Base64::EncodeText(UserName));
        } catch (const TclsDatabaseError &error) {
            problem = QString::fromUtf8(error.what());
        }
        db.Execute("DETACH DATABASE copy");
        if (!problem.isEmpty())
            Fail(problem);
    }
    MakeSafetyCopy(DatabaseFile, QStringLiteral("restore")); // throws: then nothing changes
    TCopyLock lock(DatabaseFile);
    if (!lock.Take(10000))
        Fail(QStringLiteral("另一份程序正在备份数据库，请稍后再试。"));
    TStaging staging(DatabaseFile, BackupFile, BooksMode(DatabaseFile));
    TclsConnection db(DatabaseFile);
    db.Execute("ATTACH DATABASE ? AS copy", {ResolvedFolderPath(staging.File())});
    try {
        TclsTransaction transaction(db);
        Result.Renumbered = ReplaceMemberRows(db, QStringLiteral("copy"), Base64::EncodeText(UserName));
        transaction.Commit();
    } catch (const TclsDatabaseError &error) {
        db.Execute("DETACH DATABASE copy");
        Fail(QString::fromUtf8(error.what()));
    }
    db.Execute("DETACH DATABASE copy");
    Result.Status = TRestoreStatus::Restored;
    return Result;
}

} // namespace

QList<TBackupEntry> ListBackups(const QString &DatabaseFile, QString *Problem)
{
    QList<TBackupEntry> entries;
    const QString folder = BackupFolder(DatabaseFile);
    const QString problem =
        QFileInfo::exists(folder) || IsLink(folder) ? UsableBackupFolder(DatabaseFile) : QString();
    if (Problem)
        *Problem = problem;
    if (!problem.isEmpty())
        return entries;
    const QDir dir(folder);
    for (const QFileInfo &info :
         dir.entryInfoList({QStringLiteral("*.sjk")}, QDir::Files | QDir::NoSymLinks)) {
        TBackupEntry entry;
        entry.File = info.absoluteFilePath();
        const TCopyStamp stamp = ReadCopyStamp(entry.File);
        entry.TakenAt = stamp.Valid ? stamp.TakenAt : TimeInName(info.fileName());
        entry.Kind = stamp.Valid ? stamp.Kind : QString();
        if (!entry.TakenAt.isValid())
            entry.TakenAt = info.lastModified();
        entry.Damaged = CheckDatabaseFile(entry.File, true) != QLatin1String("ok");
        bool ok = false;
        if (!entry.Damaged) {
            entry.Records = QueryReadOnly(entry.File, "select count(*) from All_Table", &ok).toLongLong();
            const QString names =
                QueryReadOnly(entry.File, "select group_concat(User_Name, char(31)) from Users_Table", &ok);
            for (const QString &name : names.split(QChar(31), Qt::SkipEmptyParts))
                entry.Users << Base64::DecodeText(name);
            // Each member's count, as "User<US>count<RS>…".
            const QString counts =
                QueryReadOnly(entry.File, "select group_concat(User_Name || char(31) || n, char(30)) from "
                                          "(select User_Name, count(*) n "
                                          "from All_Table group by User_Name)");
            for (const QString &pair : counts.split(QChar(30), Qt::SkipEmptyParts))
                entry.RecordsOf.insert(Base64::DecodeText(pair.section(QChar(31), 0, 0)),
                                       pair.section(QChar(31), 1).toLongLong());
        }
        entry.Damaged = entry.Damaged || !ok; // not Lumora's books at all
        entries << entry;
    }
    std::sort(entries.begin(), entries.end(), [](const TBackupEntry &A, const TBackupEntry &B) {
        return A.TakenAt != B.TakenAt ? A.TakenAt > B.TakenAt : A.File > B.File;
    });
    return entries;
}

TRestoreResult RestoreBackup(const QString &DatabaseFile, const QString &BackupFile, const QString &UserName,
                             const QString &Password)
{
    TRestoreResult result;
    const TCopyStamp stamp = ReadCopyStamp(BackupFile);
    result.TakenAt = stamp.Valid ? stamp.TakenAt : TimeInName(QFileInfo(BackupFile).fileName());
    if (IsLink(BackupFile) || CheckDatabaseFile(BackupFile) != QLatin1String("ok"))
        return result;
    bool ok = false;
    const QString names =
        QueryReadOnly(BackupFile, "select group_concat(User_Name, char(31)) from Users_Table", &ok);
    if (!ok)
        return result;
    if (!names.split(QChar(31)).contains(Base64::EncodeText(UserName))) {
        result.Status = TRestoreStatus::NotInCopy;
        return result;
    }
    if (const QString problem = UsableBackupFolder(DatabaseFile); !problem.isEmpty())
        Fail(problem);
    bool busy = false;
    const bool open = BooksOpen(DatabaseFile, busy);
    if (busy)
        Fail(QStringLiteral("数据库正被其他程序使用，请关闭其他程序后再试。"));
    if (open)
        return RestoreMember(DatabaseFile, BackupFile, UserName, Password, result);
    if (!MayRestoreWholeBooks(DatabaseFile, &result.Owner)) {
        result.WholeBooks = true;
        result.Status = TRestoreStatus::AdminOnly;
        return result;
    }
    return RestoreWholeBooks(DatabaseFile, BackupFile, UserName, Password, result);
}

int RestoreWaitSeconds(const QString &DatabaseFile, const QString &UserName)
{
    bool busy = false;
    if (BooksOpen(DatabaseFile, busy))
        return TclsDatabaseUser(DatabaseFile).SecondsToWait(UserName);
    return WholeBooksWait(DatabaseFile, UserName);
}
