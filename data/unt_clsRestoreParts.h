#pragma once
// What the two kinds of restore share: a member's (unt_clsRestore) and the
// whole books' (unt_clsRestoreWhole). Not for other callers.
#include "data/unt_clsBackup.h"
#include "data/unt_clsRestore.h"
#include "data/unt_clsSharedFiles.h"
#include "data/unt_clsConnection.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace RestoreParts
{
inline bool Rename(const QString &From, const QString &To) // replaces To in one step
{
    return ::rename(QFile::encodeName(From).constData(), QFile::encodeName(To).constData()) == 0;
}

[[noreturn]] inline void Fail(const QString &What)
{
    throw TclsDatabaseError(QStringLiteral("数据没有恢复，现在的数据原样保留：%1").arg(What).toStdString(),
                            0);
}

inline QString Stamp(const QDateTime &When)
{
    return When.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
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

// Restores the whole books from BackupFile, whose password was checked
// or whose restorer may replace the books anyway (see MayRestoreWholeBooks).
TRestoreResult PlaceWholeCopy(const QString &DatabaseFile, const QString &BackupFile, TRestoreResult Result);
TRestoreResult RestoreWholeBooks(const QString &DatabaseFile, const QString &BackupFile,
                                 const QString &UserName, const QString &Password, TRestoreResult Result);
// The whole-books restore's count of wrong passwords: the books cannot be
// opened then, so it is kept in a small file of its own beside the copies.
int WholeBooksWait(const QString &DatabaseFile, const QString &UserName);
} // namespace RestoreParts
