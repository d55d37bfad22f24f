#pragma once
// Copies of the books in Database/backup/: one a day (pondo-yyyy-MM-dd.sjk)
// and a safety copy before every irreversible change
// (pondo-before-<what>-yyyyMMdd-HHmmss.sjk). Each is taken with SQLite's
// online backup under a temporary name, records inside itself when it was
// taken, and gets its name only after integrity_check said "ok"; nothing
// older is removed before that. A damaged live database is never copied.
#include "data/unt_clsBackupFile.h"

#include <QDate>
#include <QString>

struct TBackupOptions {
    int KeepDaily = 10;  // the newest daily copies
    int KeepMonths = 12; // plus the first copy of each of the latest months
    TCopyLimits Limits;
};

struct TBackupResult {
    bool Made = false;    // false too when today's copy was already there
    bool Damaged = false; // the live books failed the check: nothing copied, nothing removed
    bool Busy = false;    // another program held the books too long; the next start tries again
    QString Error;        // a Chinese text for the user; empty on success
};

// Never writes DatabaseFile; a failure leaves no copy-like file behind and is
// returned, not thrown.
TBackupResult MakeDailyBackup(const QString &DatabaseFile, const QDate &Today,
                              const TBackupOptions &Options = {});
// The verified copy's path. Throws TclsDatabaseError with a Chinese message
// when it cannot be made, so the change it guards does not happen.
QString MakeSafetyCopy(const QString &DatabaseFile, const QString &What);
QString BackupFolder(const QString &DatabaseFile);
// The sequence number the next copy in Folder takes.
qint64 NextCopySequence(const QString &Folder);
