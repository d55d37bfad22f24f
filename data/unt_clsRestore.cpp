#include "data/unt_clsRestore.h"

#include "data/unt_clsBackup.h"
#include "data/unt_clsBase64.h"
#include "data/unt_clsClock.h"
#include "data/unt_clsPassword.h"
#include "data/unt_clsSqlite.h"

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

// The stored password hashes of a copy, read without writing to it.
QStringList StoredHashes(const QString &File)
{
    QStringList hashes;
    sqlite3 *db = nullptr;
    sqlite3_stmt *query = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(File).constData(), &db, SQLITE_OPEN_READONLY, nullptr) ==
            SQLITE_OK &&
        sqlite3_prepare_v2(db, "select User_Password from Users_Table", -1, &query, nullptr) == SQLITE_OK)
        while (sqlite3_step(query) == SQLITE_ROW)
            hashes << QString::fromLatin1(reinterpret_cast<const char *>(sqlite3_column_text(query, 0)));
    sqlite3_finalize(query);
    sqlite3_close_v2(db);
    return hashes;
}

bool AnyPasswordMatches(const QString &File, const QString &Password)
{
    for (const QString &hash : StoredHashes(File))
        if (Password::Matches(hash, Password))
            return true;
    return false;
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
} // namespace

QList<TBackupEntry> ListBackups(const QString &DatabaseFile)
{
    QList<TBackupEntry> entries;
    const QDir dir(BackupFolder(DatabaseFile));
    for (const QFileInfo &info : dir.entryInfoList({QStringLiteral("*.sjk")}, QDir::Files)) {
        TBackupEntry entry;
        entry.File = info.absoluteFilePath();
        const TCopyStamp stamp = ReadCopyStamp(entry.File);
        entry.TakenAt = stamp.Valid ? stamp.TakenAt : TimeInName(info.fileName());
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
        }
        entry.Damaged = entry.Damaged || !ok; // not Lumora's books at all
        entries << entry;
    }
    std::sort(entries.begin(), entries.end(), [](const TBackupEntry &A, const TBackupEntry &B) {
        return A.TakenAt != B.TakenAt ? A.TakenAt > B.TakenAt : A.File > B.File;
    });
    return entries;
}

TRestoreResult RestoreBackup(const QString &DatabaseFile, const QString &BackupFile, const QString &Password)
{
    TRestoreResult result;
    const TCopyStamp stamp = ReadCopyStamp(BackupFile);
    result.TakenAt = stamp.Valid ? stamp.TakenAt : TimeInName(QFileInfo(BackupFile).fileName());
    if (CheckDatabaseFile(BackupFile) != QLatin1String("ok"))
        return result;
    if (!AnyPasswordMatches(BackupFile, Password)) {
        result.Status = TRestoreStatus::WrongPassword;
        return result;
    }
    // The copy that will become the books, made and checked beside them, so
    // the last step is one rename on the same disk.
    const QString staging = DatabaseFile + QStringLiteral(".restore.part");
    QFile::remove(staging);
    QFile::remove(staging + QStringLiteral("-journal"));
    auto cleanUp = [&] {
        QFile::remove(staging);
        QFile::remove(staging + QStringLiteral("-journal"));
    };
    const TCopyOutcome copy = CopyDatabaseFile(BackupFile, staging);
    QString problem = copy.Status == TCopyStatus::Done ? DropCopyStamp(staging) : copy.Error;
    if (problem.isEmpty() && CheckDatabaseFile(staging) != QLatin1String("ok"))
        problem = QStringLiteral("复制的备份没有通过完整性检查");
    if (!problem.isEmpty()) {
        cleanUp();
        Fail(QStringLiteral("无法复制备份（%1）。").arg(problem));
    }

    // Nobody writes the books while they are kept and replaced. A missing or
    // damaged file cannot be locked; it is kept as it is.
    std::unique_ptr<TclsConnection> live;
    try {
        live = std::make_unique<TclsConnection>(DatabaseFile);
        live->Execute("BEGIN EXCLUSIVE");
        live->Query("select count(*) from sqlite_master");
    } catch (const TclsDatabaseError &error) {
        const int code = error.Code() & 0xff;
        if (code == SQLITE_BUSY || code == SQLITE_LOCKED) {
            cleanUp(); // books that another program is using: try later
            Fail(QStringLiteral("数据库正被其他程序使用，请关闭其他程序后再试。"));
        }
        live.reset();
    }
    const QString folder = BackupFolder(DatabaseFile);
    if (QFile::exists(DatabaseFile)) {
        const QString kept = folder + QStringLiteral("/pondo-replaced-%1.sjk")
                                          .arg(Clock::Now().toString(QStringLiteral("yyyyMMdd-HHmmss")));
        QFile::remove(kept + QStringLiteral(".part"));
        if (!QDir().mkpath(folder) || !QFile::copy(DatabaseFile, kept + QStringLiteral(".part")) ||
            !Rename(kept + QStringLiteral(".part"), kept)) {
            QFile::remove(kept + QStringLiteral(".part"));
            cleanUp();
            Fail(QStringLiteral("无法保存现在的数据库“%1”。").arg(QDir::toNativeSeparators(kept)));
        }
        // A journal left by a crash belongs to the old file, never to the new one.
        const QString journal = DatabaseFile + QStringLiteral("-journal");
        if (!live && QFile::exists(journal))
            Rename(journal, kept + QStringLiteral("-journal"));
        result.Replaced = kept;
    }
    if (!Rename(staging, DatabaseFile)) {
        const QString error = QString::fromLocal8Bit(strerror(errno));
        cleanUp();
        Fail(error);
    }
    live.reset(); // the old file's lock goes with its last handle
    result.Status = TRestoreStatus::Restored;
    return result;
}
