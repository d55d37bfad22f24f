#pragma once
// Daily copies of the database: Database/backup/pondo-YYYY-MM-DD.sjk, made
// with SQLite's online backup (a consistent copy even while the program
// writes), the newest few kept.
#include <QDate>
#include <QString>

struct TBackupResult {
    bool Made = false; // false too when today's copy was already there
    QString Error;     // empty on success
};

// Never touches DatabaseFile beyond reading it; a failure leaves no partial
// copy behind and is returned, not thrown.
TBackupResult MakeDailyBackup(const QString &DatabaseFile, const QDate &Today, int Keep = 10);
QString BackupFolder(const QString &DatabaseFile);
