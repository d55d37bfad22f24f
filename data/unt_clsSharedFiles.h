#pragma once
// Files in the household's shared folders, Database/ and its backup/, which
// every member of the books' group may write. Whatever the program makes
// there is made new under a name nobody could have prepared, is never
// opened through a link, and gets the books' own mode and group; another
// account's planted link or file is never written through.
#include <QString>

#include <sys/types.h>

// The books' permission bits and group, read without following a link.
struct TBooksMode {
    mode_t Mode = 0600;
    gid_t Group = gid_t(-1); // -1: leave the group as the folder gives it
    bool Known = false;
    // The books' owner: root restoring or copying them gives what it makes
    // beside them to that account, not to itself.
    uid_t Owner = uid_t(-1);
};
TBooksMode BooksMode(const QString &DatabaseFile);

// A new empty file Folder/Stem.XXXXXX.part (random letters), made with
// O_CREAT|O_EXCL and given Mode's bits and group. The path, or empty with
// Error set to the system's words.
QString MakeExclusiveFile(const QString &Folder, const QString &Stem, const TBooksMode &Mode, QString *Error);

// Gives an existing file Mode's bits and group; a link is refused. Empty, or
// the system's words.
QString GiveBooksMode(const QString &File, const TBooksMode &Mode);

// Copies the bytes of From into the new file To (never replacing anything);
// empty, or the system's words.
QString CopyBytesExclusive(const QString &From, const QString &To, const TBooksMode &Mode);

bool IsLink(const QString &Path);

// The books' backup folder, made when missing with the books' folder's
// group and no access for other accounts. Empty when it may be used, else a
// Chinese text saying why not: a link, not a folder, owned by neither the
// user nor the books' group, or open to everyone.
QString UsableBackupFolder(const QString &DatabaseFile);

// Removes what an interrupted copy, safety copy or restore left beside the
// books and in the backup folder (*.part, their journals). Call it while no
// copy is being made: at start, under the copies' lock.
void RemoveCopyLeftovers(const QString &DatabaseFile);

// A lock in a shared folder that any member could have prepared: taken with
// flock on a file opened without blocking (a pipe there would wait for a
// writer for ever) and without following a link; only a regular file is a
// lock, and whatever it holds does not matter. The kernel lets it go with
// the process, so none is ever stale.
class TSharedLock
{
  public:
    explicit TSharedLock(const QString &File) : FFile(File) {}
    ~TSharedLock();
    TSharedLock(const TSharedLock &) = delete;
    TSharedLock &operator=(const TSharedLock &) = delete;
    // Tries for WaitMs (0: once); false when another process holds it
    // (Busy) or the file is no lock (Problem says why, in Chinese).
    bool Take(int WaitMs, const TBooksMode &Mode);
    bool Busy() const { return FBusy; }
    QString Problem() const { return FProblem; }

  private:
    QString FFile;
    int FFd = -1;
    bool FBusy = false;
    QString FProblem;
};
