#include "data/unt_clsBackup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

namespace
{

// Copies Source into a new file Target through the backup API.
QString CopyDatabase(const QString &Source, const QString &Target)
{
    sqlite3 *from = nullptr, *to = nullptr;
    QString error;
    auto fail = [&](sqlite3 *Db) {
        if (error.isEmpty())
            error = Db ? QString::fromUtf8(sqlite3_errmsg(Db)) : QStringLiteral("out of memory");
    };
    if (sqlite3_open_v2(QFile::encodeName(Source).constData(), &from, SQLITE_OPEN_READONLY, nullptr) !=
        SQLITE_OK)
        fail(from);
    else if (sqlite3_open_v2(QFile::encodeName(Target).constData(), &to,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
        fail(to);
    else {
        sqlite3_busy_timeout(from, 5000);
        if (sqlite3_backup *backup = sqlite3_backup_init(to, "main", from, "main")) {
            int rc;
            do
                rc = sqlite3_backup_step(backup, -1);
            while (rc == SQLITE_BUSY || rc == SQLITE_LOCKED);
            sqlite3_backup_finish(backup);
            if (rc != SQLITE_DONE)
                fail(to);
            else if (sqlite3_errcode(to) != SQLITE_OK)
                fail(to);
        } else {
            fail(to);
        }
    }
    sqlite3_close(from);
    if (sqlite3_close(to) != SQLITE_OK && error.isEmpty())
        error = QStringLiteral("cannot close the copy");
    return error;
}

} // namespace

QString BackupFolder(const QString &DatabaseFile)
{
    return QFileInfo(DatabaseFile).absolutePath() + QStringLiteral("/backup");
}

TBackupResult MakeDailyBackup(const QString &DatabaseFile, const QDate &Today, int Keep)
{
    TBackupResult result;
    const QString folder = BackupFolder(DatabaseFile);
    const QString name = QStringLiteral("pondo-%1.sjk").arg(Today.toString(QStringLiteral("yyyy-MM-dd")));
    QDir dir(folder);
    if (dir.exists(name))
        return result;
    if (!QDir().mkpath(folder)) {
        result.Error = QStringLiteral("无法创建备份文件夹“%1”。").arg(folder);
        return result;
    }
    // Written under a temporary name, so a copy cut short never looks like a backup.
    const QString partial = dir.filePath(name + QStringLiteral(".part"));
    QFile::remove(partial);
    const QString error = CopyDatabase(DatabaseFile, partial);
    // A copy of the books is as private as the books: the household's group
    // may read and replace it, other accounts may not read it.
    if (error.isEmpty())
        QFile::setPermissions(partial, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                           QFileDevice::ReadUser | QFileDevice::WriteUser |
                                           QFileDevice::ReadGroup | QFileDevice::WriteGroup);
    if (!error.isEmpty() || !QFile::rename(partial, dir.filePath(name))) {
        QFile::remove(partial);
        result.Error = QStringLiteral("无法写入备份文件“%1”：%2")
                           .arg(dir.filePath(name), error.isEmpty() ? QStringLiteral("重命名失败") : error);
        return result;
    }
    result.Made = true;
    // The names sort by date; the oldest beyond Keep go.
    QStringList backups =
        dir.entryList({QStringLiteral("pondo-\?\?\?\?-\?\?-\?\?.sjk")}, QDir::Files, QDir::Name);
    while (backups.size() > Keep)
        dir.remove(backups.takeFirst());
    return result;
}
