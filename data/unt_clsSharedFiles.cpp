#include "data/unt_clsSharedFiles.h"

#include "data/unt_clsBackup.h"
#include "data/unt_clsSystemWords.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <QThread>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <QElapsedTimer>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
QByteArray Native(const QString &Path)
{
    return QFile::encodeName(Path);
}

// Mode's bits and group on an open file: nothing can be swapped in between.
QString Apply(int Fd, const TBooksMode &Mode)
{
    if (Mode.Owner != uid_t(-1) && ::geteuid() == 0 && ::fchown(Fd, Mode.Owner, gid_t(-1)) != 0)
        return SystemWords(errno);
    if (Mode.Group != gid_t(-1)) {
        struct stat info {
        };
        if (::fstat(Fd, &info) == 0 && info.st_gid != Mode.Group && ::fchown(Fd, uid_t(-1), Mode.Group) != 0)
            return SystemWords(errno);
    }
    if (::fchmod(Fd, Mode.Mode) != 0)
        return SystemWords(errno);
    return {};
}
} // namespace

TBooksMode BooksMode(const QString &DatabaseFile)
{
    TBooksMode mode;
    struct stat info {
    };
    if (::lstat(Native(DatabaseFile).constData(), &info) == 0 && S_ISREG(info.st_mode)) {
        // Read and write only: never an execute bit, never other accounts'
        // write; other accounts' read stays as the books have it.
        mode.Mode = (info.st_mode & 0664) | S_IRUSR | S_IWUSR;
        mode.Group = info.st_gid;
        mode.Known = true;
        mode.Owner = info.st_uid;
    } else if (::stat(Native(QFileInfo(DatabaseFile).absolutePath()).constData(), &info) == 0) {
        // No books yet: what the folder gives the group it shares.
        mode.Mode = (info.st_mode & S_IWGRP) ? 0660 : 0600;
    }
    return mode;
}

QString MakeExclusiveFile(const QString &Folder, const QString &Stem, const TBooksMode &Mode, QString *Error)
{
    // mkstemps opens with O_CREAT|O_EXCL: a name that exists in any form,
    // a link included, is never opened but tried again with other letters.
    QByteArray name = Native(Folder + QLatin1Char('/') + Stem + QStringLiteral(".XXXXXX.part"));
    const int fd = ::mkstemps(name.data(), 5);
    if (fd < 0) {
        if (Error)
            *Error = SystemWords(errno);
        return {};
    }
    const QString problem = Apply(fd, Mode);
    ::close(fd);
    const QString path = QFile::decodeName(name);
    if (!problem.isEmpty()) {
        ::unlink(name.constData());
        if (Error)
            *Error = problem;
        return {};
    }
    return path;
}

QString GiveBooksMode(const QString &File, const TBooksMode &Mode)
{
    const int fd = ::open(Native(File).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return SystemWords(errno);
    const QString problem = Apply(fd, Mode);
    ::close(fd);
    return problem;
}

QString CopyBytesExclusive(const QString &From, const QString &To, const TBooksMode &Mode)
{
    const int in = ::open(Native(From).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (in < 0)
        return SystemWords(errno);
    const int out =
        ::open(Native(To).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (out < 0) {
        const int code = errno;
        ::close(in);
        return SystemWords(code);
    }
    QString problem = Apply(out, Mode);
    char buffer[1 << 16];
    for (ssize_t got; problem.isEmpty() && (got = ::read(in, buffer, sizeof buffer)) != 0;) {
        if (got < 0) {
            if (errno != EINTR)
                problem = SystemWords(errno);
            continue;
        }
        for (ssize_t put = 0; problem.isEmpty() && put < got;) {
            const ssize_t n = ::write(out, buffer + put, size_t(got - put));
            if (n < 0 && errno != EINTR)
                problem = SystemWords(errno);
            put += n > 0 ? n : 0;
        }
    }
    if (problem.isEmpty() && ::fsync(out) != 0)
        problem = SystemWords(errno);
    ::close(in);
    ::close(out);
    if (!problem.isEmpty())
        ::unlink(Native(To).constData());
    return problem;
}

bool IsLink(const QString &Path)
{
    struct stat info {
    };
    return ::lstat(Native(Path).constData(), &info) == 0 && S_ISLNK(info.st_mode);
}

QString UsableBackupFolder(const QString &DatabaseFile)
{
    const QString folder = BackupFolder(DatabaseFile);
    const QString shown = QDir::toNativeSeparators(folder);
    const QByteArray path = Native(folder);
    struct stat info {
    };
    if (::lstat(path.constData(), &info) != 0) {
        struct stat parent {
        };
        if (::stat(Native(QFileInfo(DatabaseFile).absolutePath()).constData(), &parent) != 0 ||
            (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST))
            return QStringLiteral("无法创建备份文件夹“%1”：%2").arg(shown, SystemWords(errno));
        // The folder shares what the books' folder shares, the set-group-ID
        // bit included, and nothing with other accounts.
        const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd >= 0) {
            if (::fchmod(fd, parent.st_mode & (S_ISGID | S_IRWXU | S_IRWXG)) != 0) {
            }
            ::close(fd);
        }
        if (::lstat(path.constData(), &info) != 0)
            return QStringLiteral("无法创建备份文件夹“%1”：%2").arg(shown, SystemWords(errno));
    }
    if (S_ISLNK(info.st_mode))
        return QStringLiteral("备份文件夹“%1”是一个链接，不是真正的文件夹。为了安全，程序不在其中写入，"
                              "也不从中恢复。请让管理员删除这个链接。")
            .arg(shown);
    if (!S_ISDIR(info.st_mode))
        return QStringLiteral("“%1”不是文件夹，无法在其中保存备份。").arg(shown);
    const TBooksMode books = BooksMode(DatabaseFile);
    // Without the books (missing, say) the group they are shared through is
    // the one of their folder, which the backup folder takes when made: a
    // member's own primary group is no measure.
    struct stat home {
    };
    const bool ownGroup =
        books.Known ? info.st_gid == books.Group
                    : (::stat(Native(QFileInfo(DatabaseFile).absolutePath()).constData(), &home) == 0 &&
                       info.st_gid == home.st_gid) ||
                          info.st_gid == ::getegid();
    if (info.st_uid != ::geteuid() && !ownGroup)
        return QStringLiteral(
                   "备份文件夹“%1”既不属于您，也不属于账本所属的用户组。为了安全，程序不在其中写入，"
                   "也不从中恢复。请让管理员检查这个文件夹的所有者。")
            .arg(shown);
    if ((info.st_mode & S_IWOTH) != 0)
        return QStringLiteral("备份文件夹“%1”所有人都可以写入。为了安全，程序不在其中写入，也不从中恢复。"
                              "请让管理员去掉其他用户的写权限（chmod o-w）。")
            .arg(shown);
    return {};
}

void RemoveCopyLeftovers(const QString &DatabaseFile)
{
    const QFileInfo books(DatabaseFile);
    const QString stem = books.fileName();
    QDir home = books.absoluteDir();
    for (const QString &name : home.entryList(
             {stem + QStringLiteral(".*.part"), stem + QStringLiteral(".*.part-journal"),
              stem + QStringLiteral(".restore.part"), stem + QStringLiteral(".restore.part-journal")},
             QDir::Files | QDir::Hidden | QDir::System))
        home.remove(name);
    QDir backups(BackupFolder(DatabaseFile));
    if (!IsLink(backups.path()))
        for (const QString &name :
             backups.entryList({QStringLiteral("*.part"), QStringLiteral("*.part-journal")},
                               QDir::Files | QDir::Hidden | QDir::System))
            backups.remove(name);
}

TSharedLock::~TSharedLock()
{
    if (FFd >= 0)
        ::close(FFd); // the lock goes with the handle
}

bool TSharedLock::Take(int WaitMs, const TBooksMode &Mode)
{
    FBusy = false;
    FProblem.clear();
    if (FFd >= 0)
        return true;
    const QByteArray name = Native(FFile);
    const QString shown = QDir::toNativeSeparators(FFile);
    const int flags = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_EXCL | flags, 0600);
    if (fd >= 0) {
        if (!Apply(fd, Mode).isEmpty()) {
        } // a lock others cannot open is still a lock for this account
    } else if (errno == EEXIST) {
        fd = ::open(name.constData(), O_RDWR | flags);
        // flock needs no write access: another member's lock of their own mode still serves.
        if (fd < 0 && (errno == EACCES || errno == EPERM))
            fd = ::open(name.constData(), O_RDONLY | flags);
    }
    if (fd < 0) {
        FProblem = QStringLiteral("无法打开锁文件“%1”：%2").arg(shown, SystemWords(errno));
        return false;
    }
    struct stat info {
    };
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        FProblem = QStringLiteral("锁文件“%1”不是普通文件（可能是别人放的），为了安全程序不使用它。"
                                  "请让管理员删除它。")
                       .arg(shown);
        return false;
    }
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            FFd = fd;
            return true;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            FProblem = QStringLiteral("无法锁定“%1”：%2").arg(shown, SystemWords(errno));
            ::close(fd);
            return false;
        }
        if (clock.elapsed() >= WaitMs) {
            FBusy = true;
            ::close(fd);
            return false;
        }
        QThread::msleep(20);
    }
}
