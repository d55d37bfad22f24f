#include "data/unt_clsRestoreParts.h"

#include "data/unt_clsBase64.h"
#include "data/unt_clsBooksFile.h"
#include "data/unt_clsClock.h"
#include "data/unt_clsPassword.h"
#include "data/unt_clsPasswordWait.h"
#include "data/unt_clsSystemWords.h"
#include "data/unt_clsUserTables.h"

#include <sqlite3.h>

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
using namespace RestoreParts;

// The member's stored password hashes in a copy, read without writing to it.
QStringList StoredHashes(const QString &File, const QString &EncodedName)
{
    QStringList hashes;
    sqlite3 *db = nullptr;
    sqlite3_stmt *query = nullptr;
    const QByteArray name = EncodedName.toUtf8();
    if (sqlite3_open_v2(QFile::encodeName(File).constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOFOLLOW,
                        nullptr) == SQLITE_OK &&
        sqlite3_prepare_v2(db, "select User_Password from Users_Table where User_Name=?", -1, &query,
                           nullptr) == SQLITE_OK) {
        sqlite3_bind_text(query, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        while (sqlite3_step(query) == SQLITE_ROW)
            hashes << QString::fromLatin1(reinterpret_cast<const char *>(sqlite3_column_text(query, 0)));
    }
    sqlite3_finalize(query);
    sqlite3_close_v2(db);
    return hashes;
}

// Numbers a copy that becomes the whole books may hold (CheckMemberRows).
QString CheckWholeCopy(const QString &File)
{
    try {
        TclsConnection db(File);
        db.Execute("PRAGMA journal_mode=MEMORY");
        return CheckMemberRows(db, QStringLiteral("main"), {});
    } catch (const TclsDatabaseError &error) {
        return QString::fromUtf8(error.what());
    }
}

// Tells every member of the copy, at their next login, that the books were
// returned to it whole.
QString AddNotices(const QString &File, const QDateTime &TakenAt)
{
    try {
        TclsConnection db(File);
        db.Execute("PRAGMA journal_mode=MEMORY"); // no journal file beside the books
        db.ExecuteScript(
            "CREATE TABLE IF NOT EXISTS Restore_Notices (User_Name TEXT NOT NULL, Restored_At TEXT "
            "NOT NULL, Copy_Taken_At TEXT NOT NULL)");
        db.Execute("insert into Restore_Notices (User_Name,Restored_At,Copy_Taken_At) select distinct "
                   "User_Name,?,? from Users_Table",
                   {Stamp(Clock::Now()), Stamp(TakenAt)});
    } catch (const TclsDatabaseError &error) {
        return QString::fromUtf8(error.what());
    }
    return {};
}

// The file that counts wrong passwords of the whole-books restore, made
// when missing: new, never through a link, only this account's.
std::unique_ptr<TclsConnection> WaitsFile(const QString &DatabaseFile)
{
    const QString file = BackupFolder(DatabaseFile) + QStringLiteral("/.restore-waits");
    if (!UsableBackupFolder(DatabaseFile).isEmpty())
        return {};
    const int fd = ::open(QFile::encodeName(file).constData(),
                          O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0)
        return {};
    ::close(fd);
    try {
        auto db = std::make_unique<TclsConnection>(file);
        db->Execute("PRAGMA journal_mode=MEMORY");
        db->ExecuteScript("CREATE TABLE IF NOT EXISTS Password_Failures (User_Name TEXT PRIMARY KEY, "
                          "Failures INTEGER NOT NULL, Last_Failure INTEGER NOT NULL)");
        return db;
    } catch (const TclsDatabaseError &) {
        return {}; // the count in memory goes on alone
    }
}

// The account the books belong to: the file's owner, or the folder's when
// there is no file.
uid_t BooksOwner(const QString &DatabaseFile, bool *Shared)
{
    struct stat file {
    }, folder{};
    const bool hasFolder =
        ::stat(QFile::encodeName(QFileInfo(DatabaseFile).absolutePath()).constData(), &folder) == 0;
    const bool hasFile =
        ::lstat(QFile::encodeName(DatabaseFile).constData(), &file) == 0 && S_ISREG(file.st_mode);
    if (Shared)
        *Shared = (hasFolder && (folder.st_mode & (S_IWGRP | S_IWOTH)) != 0) ||
                  (hasFile && (file.st_mode & (S_IWGRP | S_IWOTH)) != 0);
    return hasFile ? file.st_uid : hasFolder ? folder.st_uid : uid_t(0);
}

QString AccountName(uid_t Account)
{
    const passwd *entry = ::getpwuid(Account);
    return entry ? QString::fromLocal8Bit(entry->pw_name) : QString::number(Account);
}
} // namespace

namespace RestoreParts
{
TRestoreResult RestoreWholeBooks(const QString &DatabaseFile, const QString &BackupFile,
                                 const QString &UserName, const QString &Password, TRestoreResult Result)
{
    Result.WholeBooks = true;
    const QString name = Base64::EncodeText(UserName);
    const std::unique_ptr<TclsConnection> waits = WaitsFile(DatabaseFile);
    if ((Result.WaitSeconds = PasswordWait::SecondsLeft(waits.get(), DatabaseFile, name)) > 0) {
        Result.Status = TRestoreStatus::MustWait;
        return Result;
    }
    bool matches = false;
    for (const QString &hash : StoredHashes(BackupFile, name))
        matches = matches || Password::Matches(hash, Password);
    if (!matches) {
        PasswordWait::Failed(waits.get(), DatabaseFile, name);
        Result.Status = TRestoreStatus::WrongPassword;
        Result.WaitSeconds = PasswordWait::SecondsLeft(waits.get(), DatabaseFile, name);
        return Result;
    }
    PasswordWait::Succeeded(waits.get(), DatabaseFile, name);
    return PlaceWholeCopy(DatabaseFile, BackupFile, Result);
}

TRestoreResult PlaceWholeCopy(const QString &DatabaseFile, const QString &BackupFile, TRestoreResult Result)
{
    Result.WholeBooks = true;
    TCopyLock lock(DatabaseFile);
    if (!lock.Take(10000))
        Fail(QStringLiteral("另一份程序正在备份数据库，请稍后再试。"));
    // The restored books keep the mode and group of the books they replace,
    // so every member of the household can still write them.
    const TBooksMode mode = BooksMode(DatabaseFile);
    TStaging staging(DatabaseFile, BackupFile, mode);
    if (const QString problem = CheckWholeCopy(staging.File()); !problem.isEmpty())
        Fail(problem);
    if (const QString problem = AddNotices(staging.File(), Result.TakenAt); !problem.isEmpty())
        Fail(problem);
    if (const QString problem = GiveBooksMode(staging.File(), mode); !problem.isEmpty())
        Fail(QStringLiteral("无法设置恢复的数据库的权限（%1）。").arg(problem));

    // Nobody writes the books while they are kept and replaced. A missing or
    // damaged file cannot be locked; it is kept as it is.
    std::unique_ptr<TclsConnection> live;
    try {
        live = std::make_unique<TclsConnection>(DatabaseFile);
        live->Execute("BEGIN EXCLUSIVE");
        live->Query("select count(*) from sqlite_master");
    } catch (const TclsDatabaseError &error) {
        const int code = error.Code() & 0xff;
        if (code == SQLITE_BUSY || code == SQLITE_LOCKED)
            Fail(QStringLiteral("数据库正被其他程序使用，请关闭其他程序后再试。"));
        live.reset();
    }
    const QString folder = BackupFolder(DatabaseFile);
    struct stat info {
    };
    const bool present = ::lstat(QFile::encodeName(DatabaseFile).constData(), &info) == 0;
    if (present && !S_ISREG(info.st_mode)) {
        // A link or a pipe in the books' place is moved aside as it is,
        // never followed or read.
        const QString kept = folder + QStringLiteral("/pondo-replaced-%1.not-books")
                                          .arg(Clock::Now().toString(QStringLiteral("yyyyMMdd-HHmmss")));
        if (!Rename(DatabaseFile, kept))
            Fail(QStringLiteral("无法移开“%1”（%2）。")
                     .arg(QDir::toNativeSeparators(DatabaseFile), SystemWords(errno)));
        Result.Replaced = kept;
    } else if (present) {
        const QString kept = folder + QStringLiteral("/pondo-replaced-%1.sjk")
                                          .arg(Clock::Now().toString(QStringLiteral("yyyyMMdd-HHmmss")));
        QString problem;
        const QString partial = MakeExclusiveFile(folder, QFileInfo(kept).fileName(), mode, &problem);
        if (!partial.isEmpty()) {
            QFile::remove(partial); // made again below, exclusively, by the copy
            problem = CopyBytesExclusive(DatabaseFile, partial, mode);
        }
        if (!problem.isEmpty() || !Rename(partial, kept)) {
            if (!partial.isEmpty())
                QFile::remove(partial);
            Fail(QStringLiteral("无法保存现在的数据库“%1”（%2）。")
                     .arg(QDir::toNativeSeparators(kept), problem));
        }
        // A journal left by a crash belongs to the old file, never to the new one.
        const QString journal = DatabaseFile + QStringLiteral("-journal");
        if (!live && QFile::exists(journal))
            Rename(journal, kept + QStringLiteral("-journal"));
        Result.Replaced = kept;
    }
    if (!Rename(staging.File(), DatabaseFile))
        Fail(SystemWords(errno));
    staging.Placed();
    live.reset(); // the old file's lock goes with its last handle
    Result.Status = TRestoreStatus::Restored;
    return Result;
}

int WholeBooksWait(const QString &DatabaseFile, const QString &UserName)
{
    const std::unique_ptr<TclsConnection> waits = WaitsFile(DatabaseFile);
    return PasswordWait::SecondsLeft(waits.get(), DatabaseFile, Base64::EncodeText(UserName));
}
} // namespace RestoreParts

bool MayRestoreWholeBooks(const QString &DatabaseFile, QString *Owner)
{
    bool shared = false;
    const uid_t owner = BooksOwner(DatabaseFile, &shared);
    if (Owner)
        *Owner = AccountName(owner);
    return ::geteuid() == 0 || (owner == ::geteuid() && !shared);
}

TRestoreResult RestoreWholeBooksAsAdmin(const QString &DatabaseFile, const QString &BackupFile)
{
    const uid_t owner = BooksOwner(DatabaseFile, nullptr);
    if (::geteuid() != 0 && ::geteuid() != owner)
        throw TclsDatabaseError((owner == 0
                                     ? QStringLiteral("只有 root 才能恢复整个数据库。")
                                     : QStringLiteral("只有数据库的所有者（%1）或 root 才能恢复整个数据库。")
                                           .arg(AccountName(owner)))
                                    .toStdString(),
                                0);
    TRestoreResult result;
    const QString shown = QDir::toNativeSeparators(QFileInfo(BackupFile).absoluteFilePath());
    if (const QString problem = DatabaseFileProblem(BackupFile); !problem.isEmpty())
        Fail(problem);
    if (!QFileInfo(BackupFile).isFile())
        Fail(QStringLiteral("找不到备份文件“%1”。").arg(shown));
    bool ok = false;
    if (CheckDatabaseFile(BackupFile) != QLatin1String("ok") ||
        (QueryReadOnly(BackupFile, "select count(*) from Users_Table", &ok), !ok))
        Fail(QStringLiteral("“%1”已损坏，或者不是 Lumora 的数据库，不能用来恢复。").arg(shown));
    const TCopyStamp stamp = ReadCopyStamp(BackupFile);
    result.TakenAt = stamp.Valid ? stamp.TakenAt : QFileInfo(BackupFile).lastModified();
    if (const QString problem = UsableBackupFolder(DatabaseFile); !problem.isEmpty())
        Fail(problem);
    return PlaceWholeCopy(DatabaseFile, BackupFile, result);
}
