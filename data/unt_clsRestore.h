#pragma once
// Getting a backup back: the list of the copies in the backup folder, and
// the restore. Books that open are given back one member's books alone,
// authorised by that member's password as it is now; every other member's
// books and every password stay. Only books that cannot be opened (missing,
// damaged) are replaced whole, by the password stored in the copy: the
// replaced file is kept, and each member is told at the next login.
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

struct TBackupEntry {
    QString File;
    QDateTime TakenAt; // the copy's own record, else the time in its name, else the file's
    bool Damaged = false;
    QStringList Users;
    qint64 Records = 0;
    QHash<QString, qint64> RecordsOf; // per member
    QString Kind;                     // the stamp's: "daily", "before-restore", ...
};

// Every copy in the backup folder of DatabaseFile, newest first; each is
// opened read-only and given a quick check. A link is no copy and is not
// listed. A folder that may not be used lists nothing and says why in
// Problem.
QList<TBackupEntry> ListBackups(const QString &DatabaseFile, QString *Problem = nullptr);

// AdminOnly: the whole books would have to be replaced, and on books shared
// through a group that is the household administrator's (Owner says who).
enum class TRestoreStatus { Restored, WrongPassword, MustWait, NotInCopy, NotInBooks, Damaged, AdminOnly };
struct TRestoreResult {
    TRestoreStatus Status = TRestoreStatus::Damaged;
    QDateTime TakenAt;
    bool WholeBooks = false; // the books could not be opened and were replaced
    QString Replaced;        // where the replaced books are kept; empty when there were none
    int WaitSeconds = 0;     // before the member's password may be tried again
    int Renumbered = 0;      // restored records given new numbers (theirs were taken since)
    QString Owner;           // AdminOnly: the account the books belong to
};

// Restores UserName's books from BackupFile (see above). The whole books
// are replaced only where they belong to this account alone (a per-user
// install, or root); on books a group shares, any member could otherwise
// damage the file and then bring back every other member's old password
// and rows: the answer is then AdminOnly. Wrong password,
// a member missing, a damaged copy: nothing changed. A failure on the way
// throws TclsDatabaseError (Chinese) and leaves the live books as they were.
TRestoreResult RestoreBackup(const QString &DatabaseFile, const QString &BackupFile, const QString &UserName,
                             const QString &Password);
// The seconds UserName has to wait before a restore may try the password.
int RestoreWaitSeconds(const QString &DatabaseFile, const QString &UserName);

// Whether this account may replace the whole books from the user dialog:
// root, or the books' owner where no group shares them. Owner gets the
// books' owner's account name.
bool MayRestoreWholeBooks(const QString &DatabaseFile, QString *Owner = nullptr);
// The household administrator's restore (lumora --restore-books COPY): the
// whole books replaced by BackupFile, whatever state they are in, by their
// owner or root, without a member's password; the replaced file is kept and
// each member is told at the next login. Refused (TclsDatabaseError, in
// Chinese) for other accounts and for a copy that fails its checks.
TRestoreResult RestoreWholeBooksAsAdmin(const QString &DatabaseFile, const QString &BackupFile);
