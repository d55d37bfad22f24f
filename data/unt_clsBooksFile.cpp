#include "data/unt_clsBooksFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace
{
QString Shown(const QString &File)
{
    return QDir::toNativeSeparators(QFileInfo(File).absoluteFilePath());
}

QString KindOf(mode_t Mode)
{
    if (S_ISDIR(Mode))
        return QStringLiteral("文件夹");
    if (S_ISFIFO(Mode))
        return QStringLiteral("管道");
    if (S_ISSOCK(Mode))
        return QStringLiteral("套接字");
    if (S_ISCHR(Mode) || S_ISBLK(Mode))
        return QStringLiteral("设备");
    return QStringLiteral("特殊文件");
}

bool InMyGroups(gid_t Group)
{
    if (Group == ::getegid())
        return true;
    const int count = ::getgroups(0, nullptr);
    std::vector<gid_t> groups(size_t(std::max(count, 0)));
    if (count > 0 && ::getgroups(count, groups.data()) == count)
        for (const gid_t g : groups)
            if (g == Group)
                return true;
    return false;
}

QString OwnerName(uid_t Owner)
{
    const passwd *entry = ::getpwuid(Owner);
    return entry ? QString::fromLocal8Bit(entry->pw_name) : QString::number(Owner);
}
} // namespace

QString DatabaseFileProblem(const QString &File, TFileIdentity *Id)
{
    if (Id)
        *Id = {};
    const QByteArray path = QFile::encodeName(File);
    struct stat info {
    };
    if (::lstat(path.constData(), &info) != 0)
        return {};
    if (S_ISLNK(info.st_mode))
        return QStringLiteral("数据库文件“%1”是一个链接，不是真正的文件。为了安全，程序不通过链接打开数据库"
                              "（链接可能指向别人的数据）。请让管理员删除这个链接，把数据库文件放回原处。")
            .arg(Shown(File));
    if (!S_ISREG(info.st_mode))
        return QStringLiteral(
                   "数据库文件“%1”是一个%2，不是普通文件，程序不打开它。请让管理员把它换回数据库文件。")
            .arg(Shown(File), KindOf(info.st_mode));
    // The folder decides who could have put the file there: this account,
    // root, or a group this account shares the books through.
    struct stat folder {
    };
    const QString folderPath = QFileInfo(File).absolutePath();
    if (::stat(QFile::encodeName(folderPath).constData(), &folder) == 0 && folder.st_uid != ::geteuid() &&
        folder.st_uid != 0 && (!InMyGroups(folder.st_gid) || (folder.st_mode & S_IWOTH) != 0))
        return QStringLiteral("数据库文件“%1”所在的文件夹属于另一个账户（%2），也不属于您所在的用户组。"
                              "为了安全，程序不打开其中的数据库。请让管理员检查这个文件夹的所有者。")
            .arg(Shown(File), OwnerName(folder.st_uid));
    // Looked at through a handle of its own: without following a link and
    // without waiting for a pipe's writer, should the name change meanwhile.
    const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return {};
    const bool read = ::fstat(fd, &info) == 0;
    ::close(fd);
    if (!read)
        return {};
    if (!S_ISREG(info.st_mode))
        return SwappedText(File);
    // Another name of the same file, made where this account cannot see,
    // would let its owner read every change through it.
    if (info.st_nlink > 1)
        return QStringLiteral(
                   "数据库文件“%1”还有另一个名字（硬链接），可能是别人的数据。为了安全，程序不打开它。"
                   "请让管理员检查这个文件。")
            .arg(Shown(File));
    if (Id)
        *Id = {info.st_dev, info.st_ino, true};
    return {};
}

bool SameFile(const QString &File, const TFileIdentity &Id)
{
    if (!Id.Known)
        return true;
    struct stat info {
    };
    return ::lstat(QFile::encodeName(File).constData(), &info) == 0 && S_ISREG(info.st_mode) &&
           info.st_dev == Id.Device && info.st_ino == Id.Inode;
}

QString SwappedText(const QString &File)
{
    return QStringLiteral("数据库文件“%1”在打开时被换成了别的东西。为了安全，程序没有使用它。请稍后再试，"
                          "并请管理员检查这个文件夹。")
        .arg(Shown(File));
}

QString ResolvedFolderPath(const QString &File)
{
    const QFileInfo info(File);
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? info.absoluteFilePath() : folder + QLatin1Char('/') + info.fileName();
}
