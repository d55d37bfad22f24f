#pragma once
// Getting a backup back: the list of the copies in the backup folder, and
// the restore, which keeps the books it replaces and swaps the checked copy
// into place in one rename.
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

struct TBackupEntry {
    QString File;
    QDateTime TakenAt; // the copy's own record, else the time in its name, else the file's
    bool Damaged = false;
    QStringList Users;
    qint64 Records = 0;
};

// Every copy in the backup folder of DatabaseFile, newest first; each is
// opened read-only and given a quick check.
QList<TBackupEntry> ListBackups(const QString &DatabaseFile);

enum class TRestoreStatus { Restored, WrongPassword, Damaged };
struct TRestoreResult {
    TRestoreStatus Status = TRestoreStatus::Damaged;
    QDateTime TakenAt;
    QString Replaced; // where the books that were replaced are kept; empty when there were none
};

// Restores BackupFile over DatabaseFile when Password belongs to a user
// stored in the backup. Wrong password or damaged backup: nothing changed.
// A failure on the way throws TclsDatabaseError (Chinese) and leaves the
// live books as they were.
TRestoreResult RestoreBackup(const QString &DatabaseFile, const QString &BackupFile, const QString &Password);
