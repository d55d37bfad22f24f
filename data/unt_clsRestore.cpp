#include "data/unt_clsRestore.h"

#include "data/unt_clsBackup.h"
#include "data/unt_clsBase64.h"
#include "data/unt_clsClock.h"
#include "data/unt_clsDatabaseUser.h"
#include "data/unt_clsPassword.h"
#include "data/unt_clsPasswordWait.h"
#include "data/unt_clsSharedFiles.h"
#include "data/unt_clsSqlite.h"
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

bool Rename(const QString &From, const QString &To) // replaces To in one step
{
    return ::rename(QFile::encodeName(From).constData(), QFile::encodeName(To).constData()) == 0;
}

[[noreturn]] void Fail(const QString &What)
{
    throw TclsDatabaseError(QStringLiteral("数据没有恢复，现在的数据原样保留：%1").arg(What).toStdString(),
                            0);
}

QString Stamp(const QDateTime &When)
{
    return When.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
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

// The staging copy of BackupFile beside the books, made new and exclusive
// with the books' mode and group, checked; removed by its destructor unless
// it was moved into the books' place.
class TStaging
{
  public:
    TStaging(const QString &DatabaseFile, const QString &BackupFile, const TBooksMode &Mode)
    {
        const QFileInfo books(DatabaseFile);
        QString problem;
        FFile = MakeExclusiveFile(books.absolutePath(), books.fileName(), Mode, &problem);
        if (FFile.isEmpty())
            Fail(QStringLiteral("无法在“%1”中建立临时文件（%2）。")
                     .arg(QDir::toNativeSeparators(books.absolutePath()), problem));
        const TCopyOutcome copy = CopyDatabaseFile(BackupFile, FFile);
        problem = copy.Status == TCopyStatus::Done ? DropCopyStamp(FFile) : copy.Error;
        if (problem.isEmpty() && CheckDatabaseFile(FFile) != QLatin1String("ok"))
            problem = QStringLiteral("复制的备份没有通过完整性检查");
        if (!problem.isEmpty())
            Fail(QStringLiteral("无法复制备份（%1）。").arg(problem));
    }
    ~TStaging()
    {
        if (!FFile.isEmpty()) {
            QFile::remove(FFile);
            QFile::remove(FFile + QStringLiteral("-journal"));
        }
    }
    TStaging(const TStaging &) = delete;
    TStaging &operator=(const TStaging &) = delete;
    QString File() const { return FFile; }
    void Placed() { FFile.clear(); }

  private:
    QString FFile;
};

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
    MakeSafetyCopy(DatabaseFile, QStringLiteral("restore")); // throws: then nothing changes
    TCopyLock lock(DatabaseFile);
    if (!lock.Take(10000))
        Fail(QStringLiteral("另一份程序正在备份数据库，请稍后再试。"));
    TStaging staging(DatabaseFile, BackupFile, BooksMode(DatabaseFile));
    TclsConnection db(DatabaseFile);
    db.Execute("ATTACH DATABASE ? AS copy", {staging.File()});
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

TRestoreResult RestoreWholeBooks(const QString &DatabaseFile, const QString &BackupFile,
                                 const QString &UserName, const QString &Password, TRestoreResult Result)
{
    Result.WholeBooks = true;
    const QString name = Base64::EncodeText(UserName);
    if ((Result.WaitSeconds = PasswordWait::SecondsLeft(nullptr, DatabaseFile, name)) > 0) {
        Result.Status = TRestoreStatus::MustWait;
        return Result;
    }
    bool matches = false;
    for (const QString &hash : StoredHashes(BackupFile, name))
        matches = matches || Password::Matches(hash, Password);
    if (!matches) {
        PasswordWait::Failed(nullptr, DatabaseFile, name);
        Result.Status = TRestoreStatus::WrongPassword;
        Result.WaitSeconds = PasswordWait::SecondsLeft(nullptr, DatabaseFile, name);
        return Result;
    }
    PasswordWait::Succeeded(nullptr, DatabaseFile, name);
    TCopyLock lock(DatabaseFile);
    if (!lock.Take(10000))
        Fail(QStringLiteral("另一份程序正在备份数据库，请稍后再试。"));
    // The restored books keep the mode and group of the books they replace,
    // so every member of the household can still write them.
    const TBooksMode mode = BooksMode(DatabaseFile);
    TStaging staging(DatabaseFile, BackupFile, mode);
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
    if (QFile::exists(DatabaseFile)) {
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
        Fail(QString::fromLocal8Bit(strerror(errno)));
    staging.Placed();
    live.reset(); // the old file's lock goes with its last handle
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
    return open ? RestoreMember(DatabaseFile, BackupFile, UserName, Password, result)
                : RestoreWholeBooks(DatabaseFile, BackupFile, UserName, Password, result);
}

int RestoreWaitSeconds(const QString &DatabaseFile, const QString &UserName)
{
    bool busy = false;
    if (BooksOpen(DatabaseFile, busy))
        return TclsDatabaseUser(DatabaseFile).SecondsToWait(UserName);
    return PasswordWait::SecondsLeft(nullptr, DatabaseFile, Base64::EncodeText(UserName));
}
