#include "data/unt_clsBackup.h"

#include "data/unt_clsBooksFile.h"
#include "data/unt_clsClock.h"
#include "data/unt_clsSharedFiles.h"
#include "data/sqlite/unt_clsSqliteBackend.h"
#include "data/unt_clsConnection.h"
#include "data/unt_clsSystemWords.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>

namespace
{
const QRegularExpression DailyName(QStringLiteral("^pondo-(\\d{4}-\\d{2}-\\d{2})\\.sjk$"));

struct TDaily {
    QString File;
    TCopyStamp Stamp;
};

// Copies, stamps and checks Source into Folder/Name; the name is given only
// to a copy that passed the check. The copy is made in a new file of its
// own, with the books' mode and group, and reaches its name by a rename,
// which replaces whatever stood there (a link included) without following
// it. Returns the outcome; the partial file is gone whatever happened.
TCopyOutcome MakeVerifiedCopy(const QString &Source, const QString &Folder, const QString &Name,
                              const TCopyStamp &Stamp, const TCopyLimits &Limits, bool &CopyDamaged)
{
    CopyDamaged = false;
    const QString final = Folder + QLatin1Char('/') + Name;
    TCopyOutcome outcome;
    const QString partial = MakeExclusiveFile(Folder, Name, BooksMode(Source), &outcome.Error);
    if (partial.isEmpty())
        return outcome;
    outcome = CopyDatabaseFile(Source, partial, Limits);
    if (outcome.Status == TCopyStatus::Done) {
        const QString stamped = WriteCopyStamp(partial, Stamp);
        const QString check = stamped.isEmpty() ? CheckDatabaseFile(partial) : stamped;
        if (check != QLatin1String("ok")) {
            outcome.Status = TCopyStatus::Failed;
            outcome.Error = check;
            CopyDamaged = stamped.isEmpty();
        } else {
            // A copy is never written once made: a journal beside its name
            // is another account's, and would stop every check of the copy.
            QFile::remove(final + QStringLiteral("-journal"));
            if (::rename(QFile::encodeName(partial).constData(), QFile::encodeName(final).constData()) != 0) {
                outcome.Status = TCopyStatus::Failed;
                outcome.Error = SystemWords(errno);
            }
        }
    }
    if (outcome.Status == TCopyStatus::Failed && outcome.Error.isEmpty())
        outcome.Error = QStringLiteral("unknown error");
    QFile::remove(partial);
    QFile::remove(partial + QStringLiteral("-journal"));
    return outcome;
}

QList<TDaily> DailyCopies(const QDir &Dir)
{
    QList<TDaily> copies;
    for (const QString &name :
         Dir.entryList({QStringLiteral("pondo-*.sjk")}, QDir::Files | QDir::NoSymLinks)) {
        const auto match = DailyName.match(name);
        if (!match.hasMatch())
            continue;
        TDaily copy{Dir.filePath(name), ReadCopyStamp(Dir.filePath(name))};
        if (!copy.Stamp.Valid) // made before copies recorded themselves
            copy.Stamp.TakenAt = QDateTime(QDate::fromString(match.captured(1), Qt::ISODate), QTime(0, 0));
        copies << copy;
    }
    // Newest first by the copies' own order of taking, not by their names:
    // a clock set wrong gives wrong names.
    std::sort(copies.begin(), copies.end(), [](const TDaily &A, const TDaily &B) {
        if (A.Stamp.Sequence != B.Stamp.Sequence)
            return A.Stamp.Sequence > B.Stamp.Sequence;
        if (A.Stamp.TakenAt != B.Stamp.TakenAt)
            return A.Stamp.TakenAt > B.Stamp.TakenAt;
        return A.File > B.File;
    });
    return copies;
}

// Keeps the newest KeepDaily copies and the first copy of each of the
// latest KeepMonths months; Newest is never removed.
void RotateDailyCopies(const QDir &Dir, const QString &Newest, const TBackupOptions &Options)
{
    const QList<TDaily> copies = DailyCopies(Dir);
    QSet<QString> keep{Newest};
    for (qsizetype i = 0; i < copies.size() && i < Options.KeepDaily; ++i)
        keep << copies[i].File;
    QMap<QString, QString> firstOfMonth; // "yyyy-MM" -> file
    for (qsizetype i = copies.size() - 1; i >= 0; --i) {
        const QString month = copies[i].Stamp.TakenAt.toString(QStringLiteral("yyyy-MM"));
        if (!firstOfMonth.contains(month))
            firstOfMonth.insert(month, copies[i].File);
    }
    int months = 0;
    for (auto it = firstOfMonth.constEnd(); it != firstOfMonth.constBegin() && months < Options.KeepMonths;
         ++months) {
        --it;
        keep << it.value();
    }
    for (const TDaily &copy : copies)
        if (!keep.contains(copy.File))
            QFile::remove(copy.File);
}

QString StampText(const QDateTime &When)
{
    return When.toString(QStringLiteral("yyyyMMdd-HHmmss"));
}
} // namespace

QString BackupFolder(const QString &DatabaseFile)
{
    return QFileInfo(DatabaseFile).absolutePath() + QStringLiteral("/backup");
}

qint64 NextCopySequence(const QString &Folder)
{
    qint64 last = 0;
    const QDir dir(Folder);
    for (const QString &name : dir.entryList({QStringLiteral("pondo-*.sjk")}, QDir::Files | QDir::NoSymLinks))
        last = std::max(last, ReadCopyStamp(dir.filePath(name)).Sequence);
    // A planted copy may claim the last number there is: the next one
    // must not wrap round to the first.
    return last < std::numeric_limits<qint64>::max() ? last + 1 : last;
}

TBackupResult MakeDailyBackup(const QString &DatabaseFile, const QDate &Today, const TBackupOptions &Options)
{
    TBackupResult result;
    const QString folder = BackupFolder(DatabaseFile);
    const QString name = QStringLiteral("pondo-%1.sjk").arg(Today.toString(QStringLiteral("yyyy-MM-dd")));
    QDir dir(folder);
    // A link in the copy's place is no copy: the rename below replaces it.
    auto made = [&] { return dir.exists(name) && !IsLink(dir.filePath(name)); };
    if (made())
        return result;
    // Books that are not what they should be are not copied at all, and
    // are not called damaged either: the message says what they are.
    result.Error = DatabaseFileProblem(DatabaseFile);
    if (!result.Error.isEmpty())
        return result;
    result.Error = UsableBackupFolder(DatabaseFile);
    if (!result.Error.isEmpty())
        return result;
    // Another copy of the program at work on today's copy is waited for;
    // one that holds the lock for longer than a copy takes, or a lock that
    // cannot be had at all, is said: the copy is not made.
    TCopyLock lock(DatabaseFile);
    QElapsedTimer waited;
    waited.start();
    bool taken;
    while (!(taken = lock.Take(0)) && lock.Busy() && waited.elapsed() < Options.Limits.DeadlineMs &&
           !(Options.Limits.Cancel && Options.Limits.Cancel->load()))
        QThread::msleep(50);
    if (!taken) {
        if (made())
            return result;
        result.Busy = lock.Busy();
        result.Error =
            lock.Busy()
                ? QStringLiteral("另一个程序一直占用着备份的锁文件“%1”，今天的备份没有做成，"
                                 "下次启动时再试。")
                      .arg(QDir::toNativeSeparators(folder + QStringLiteral("/.backup.lock")))
                : QStringLiteral("无法写入备份文件“%1”：%2。").arg(dir.filePath(name), lock.Problem());
        return result;
    }
    RemoveCopyLeftovers(DatabaseFile);
    if (made())
        return result;
    const TCopyStamp stamp{Clock::Now(), NextCopySequence(folder), QStringLiteral("daily"), true, {}};
    bool copyDamaged = false;
    const TCopyOutcome outcome =
        MakeVerifiedCopy(DatabaseFile, folder, name, stamp, Options.Limits, copyDamaged);
    switch (outcome.Status) {
    case TCopyStatus::Done:
        result.Made = true;
        RotateDailyCopies(dir, dir.filePath(name), Options);
        return result;
    case TCopyStatus::Busy:
        result.Busy = true;
        return result;
    case TCopyStatus::Cancelled:
        return result;
    case TCopyStatus::Failed:
        break;
    }
    // A copy that fails its check, or cannot be read at all, says the live
    // file is damaged, unless the live file itself passes.
    bool busy = false;
    const QString live = CheckDatabaseFile(DatabaseFile, false, &busy);
    if (busy) { // no verdict while another program holds the books
        result.Busy = true;
        return result;
    }
    if (live != QLatin1String("ok") && QFile::exists(DatabaseFile)) {
        result.Damaged = true;
        result.Error =
            QStringLiteral("数据库文件“%1”已损坏，没有通过完整性检查（%2）。\n\n"
                           "为了不让损坏的数据替换好的备份，这次没有备份，以前的备份一个也没有删除。\n\n"
                           "恢复的方法：关闭程序后重新启动，在登录窗口点“用户”按钮，打开“恢复数据”页，"
                           "选定一个损坏以前的备份和您的用户名，输入您在那个备份中的密码，点“确定”。")
                .arg(QDir::toNativeSeparators(DatabaseFile), live);
        return result;
    }
    result.Error = QStringLiteral("无法写入备份文件“%1”：%2").arg(dir.filePath(name), outcome.Error);
    return result;
}

QString MakeSafetyCopy(const QString &DatabaseFile, const QString &What, const QString &SourceHash)
{
    const QString folder = BackupFolder(DatabaseFile);
    const QDateTime now = Clock::Now();
    QString name = QStringLiteral("pondo-before-%1-%2.sjk").arg(What, StampText(now));
    for (int n = 2;
         QFile::exists(folder + QLatin1Char('/') + name) || IsLink(folder + QLatin1Char('/') + name); ++n)
        name = QStringLiteral("pondo-before-%1-%2-%3.sjk").arg(What, StampText(now)).arg(n);
    QString error = UsableBackupFolder(DatabaseFile);
    TCopyLimits limits;
    limits.DeadlineMs = 10000;
    TCopyLock lock(DatabaseFile);
    if (error.isEmpty() && !lock.Take(int(limits.DeadlineMs)))
        error = lock.Busy() ? QStringLiteral("另一份程序正在备份数据库") : lock.Problem();
    if (error.isEmpty()) {
        const TCopyStamp stamp{now, NextCopySequence(folder), QStringLiteral("before-") + What, true,
                               SourceHash};
        bool copyDamaged = false;
        const TCopyOutcome outcome = MakeVerifiedCopy(DatabaseFile, folder, name, stamp, limits, copyDamaged);
        if (outcome.Status == TCopyStatus::Done)
            return folder + QLatin1Char('/') + name;
        error = outcome.Status == TCopyStatus::Busy ? QStringLiteral("数据库正被其他程序占用")
                : copyDamaged ? QStringLiteral("数据库文件已损坏（%1）").arg(outcome.Error)
                              : outcome.Error;
    }
    throw TclsDatabaseError(QStringLiteral("修改以前必须先做一个安全备份“%1”，但备份没有完成：%2。\n"
                                           "什么也没有修改。")
                                .arg(QDir::toNativeSeparators(folder + QLatin1Char('/') + name), error)
                                .toStdString(),
                            0);
}

QString SafetyCopyOf(const QString &DatabaseFile, const QString &What, const QString &SourceHash)
{
    if (SourceHash.isEmpty())
        return {};
    const QDir dir(BackupFolder(DatabaseFile));
    for (const QString &name : dir.entryList({QStringLiteral("pondo-before-%1-*.sjk").arg(What)},
                                             QDir::Files | QDir::NoSymLinks, QDir::Name | QDir::Reversed)) {
        const QString file = dir.filePath(name);
        const TCopyStamp stamp = ReadCopyStamp(file);
        if (stamp.Valid && stamp.Source == SourceHash && CheckDatabaseFile(file) == QLatin1String("ok"))
            return file;
    }
    return {};
}

QString FileHash(const QString &File)
{
    QFile file(File);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file))
        return {};
    return QString::fromLatin1(hash.result().toHex());
}

void ClearCopyLeftovers(const QString &DatabaseFile)
{
    TCopyLock lock(DatabaseFile);
    if (lock.Take(0) || !lock.Busy())
        RemoveCopyLeftovers(DatabaseFile);
}

TCopyLock::TCopyLock(const QString &DatabaseFile)
    : FDatabaseFile(DatabaseFile), FLock(BackupFolder(DatabaseFile) + QStringLiteral("/.backup.lock"))
{
}

bool TCopyLock::Take(int WaitMs)
{
    return FLock.Take(WaitMs, BooksMode(FDatabaseFile));
}

QString TCopyLock::Problem() const
{
    return FLock.Problem().isEmpty() ? QStringLiteral("备份文件夹不能写入") : FLock.Problem();
}
