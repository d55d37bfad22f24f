#pragma once
// The system's reasons in Chinese words. strerror answers in the locale's
// language, which is English under C.UTF-8, the locale of many desktops'
// sessions and services: a Chinese sentence with "(Permission denied)"
// inside it tells most of this program's users nothing.
#include <QString>

#include <cerrno>

inline QString SystemWords(int Code)
{
    switch (Code) {
    case ELOOP:
        return QStringLiteral("路径是一个链接（程序不跟随链接），或链接层数太多");
    case EACCES:
    case EPERM:
        return QStringLiteral("没有权限");
    case ENOSPC:
        return QStringLiteral("磁盘空间不足");
    case EDQUOT:
        return QStringLiteral("超出了磁盘配额");
    case EROFS:
        return QStringLiteral("磁盘是只读的");
    case ENOENT:
        return QStringLiteral("文件或文件夹不存在");
    case EEXIST:
        return QStringLiteral("同名的文件已经存在");
    case ENOTDIR:
        return QStringLiteral("路径中有一部分不是文件夹");
    case EISDIR:
        return QStringLiteral("这是一个文件夹，不是文件");
    case EIO:
        return QStringLiteral("磁盘读写错误");
    case ENAMETOOLONG:
        return QStringLiteral("文件名太长");
    case EWOULDBLOCK:
        return QStringLiteral("文件正被其他程序占用");
    case EBUSY:
    case ETXTBSY:
        return QStringLiteral("文件正在使用中");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("打开的文件太多");
    case ENOMEM:
        return QStringLiteral("内存不足");
    case EXDEV:
        return QStringLiteral("不能跨磁盘移动文件");
    case ENXIO:
    case ENODEV:
        return QStringLiteral("设备不存在");
    case EINVAL:
        return QStringLiteral("无效的操作");
    default:
        return QStringLiteral("系统错误（错误号 %1）").arg(Code);
    }
}
