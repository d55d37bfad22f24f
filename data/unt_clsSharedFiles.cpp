#include "data/unt_clsSharedFiles.h"

#include "data/unt_clsBackup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
QByteArray Native(const QString &Path)
{
    return QFile::encodeName(Path);
}

QString SystemWords(int Code)
{
    return QString::fromLocal8Bit(std::strerror(Code));
}

// Mode's bits and group on an open file: nothing can be swapped in between.
QString Apply(int Fd, const TBooksMode &Mode)
{
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
    const bool ownGroup = books.Known ? info.st_gid == books.Group : info.st_gid == ::getegid();
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
