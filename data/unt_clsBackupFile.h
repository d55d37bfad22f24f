#pragma once
// One database file copied, stamped and checked: the pieces from which the
// daily copies, the safety copies and the restore are made. Plain SQLite C
// calls, so a copy can be taken on a worker thread.
#include <QDateTime>
#include <QString>

#include <atomic>

struct TCopyLimits {
    // Another program's lock is waited for in short sleeps, up to this long
    // in all; then the copy gives up (the next start tries again).
    qint64 DeadlineMs = 30000;
    const std::atomic_bool *Cancel = nullptr; // set when the program ends
};

enum class TCopyStatus { Done, Busy, Cancelled, Failed };
struct TCopyOutcome {
    TCopyStatus Status = TCopyStatus::Failed;
    QString Error; // SQLite's text for Failed
};

// Copies Source through SQLite's online backup, a few megabytes at a time,
// into Target, an empty file the caller made exclusively: it is never
// created here, never reached through a link, and gets no journal beside it.
TCopyOutcome CopyDatabaseFile(const QString &Source, const QString &Target, const TCopyLimits &Limits = {});

// "ok", or what PRAGMA integrity_check (quick_check when Quick) or the
// opening reported first. The file is only read. Busy is set when another
// program's lock, not the file, stopped the check.
QString CheckDatabaseFile(const QString &File, bool Quick = false, bool *Busy = nullptr);

// What a copy records about itself, inside itself, so the copies can be
// ordered whatever their file names or the clock said.
struct TCopyStamp {
    QDateTime TakenAt;
    qint64 Sequence = 0; // one more than any copy before it
    QString Kind;        // "daily", "before-<what>"
    bool Valid = false;
    QString Source; // a hash of the file the copy was taken from, where it matters
};
QString WriteCopyStamp(const QString &File, const TCopyStamp &Stamp); // empty, or the error
TCopyStamp ReadCopyStamp(const QString &File);
// Removes the stamp from a copy that is about to become the live books.
QString DropCopyStamp(const QString &File);

// Runs one query on a file opened read-only; the first column of the first
// row, or an empty text when the file cannot answer.
QString QueryReadOnly(const QString &File, const char *Sql, bool *Ok = nullptr);
