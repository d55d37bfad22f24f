#pragma once
// Copies of the books in Database/backup/: one a day (pondo-yyyy-MM-dd.sjk)
// and a safety copy before every irreversible change
// (pondo-before-<what>-yyyyMMdd-HHmmss.sjk). Each is taken with SQLite's
// online backup under a temporary name, records inside itself when it was
// taken, and gets its name only after integrity_check said "ok"; nothing
// older is removed before that. A damaged live database is never copied.
#include "data/unt_clsBackupFile.h"
#include "data/unt_clsSharedFiles.h"

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
// SourceHash, when given, is kept in the copy's stamp (see SafetyCopyOf).
QString MakeSafetyCopy(const QString &DatabaseFile, const QString &What, const QString &SourceHash = {});

// A verified safety copy of What taken from the very bytes whose hash is
// SourceHash, or empty: a change that failed or was killed before it
// finished needs no second copy of the same unchanged file.
QString SafetyCopyOf(const QString &DatabaseFile, const QString &What, const QString &SourceHash);
// The file's SHA-256 as hex, or empty when it cannot be read.
QString FileHash(const QString &File);

// At start: removes what an interrupted copy, safety copy or restore left
// (see RemoveCopyLeftovers), unless another copy of the program is making
// one at this moment.
void ClearCopyLeftovers(const QString &DatabaseFile);

// One maker of files in the shared folders at a time, across every copy of
// the program: the daily copy, the safety copies, a restore's staging file
// and the start's clean-up of what an interrupted one left.
class TCopyLock
{
  public:
    explicit TCopyLock(const QString &DatabaseFile);
    bool Take(int WaitMs);
    bool Busy() const { return FLock.Busy(); } // held by another copy of the program
    // Why the lock could not be had when not Busy, in Chinese.
    QString Problem() const;

  private:
    QString FDatabaseFile;
    TSharedLock FLock;
};
QString BackupFolder(const QString &DatabaseFile);
// The sequence number the next copy in Folder takes.
qint64 NextCopySequence(const QString &Folder);
