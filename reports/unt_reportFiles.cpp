#include "reports/unt_reportFiles.h"

#include "reports/unt_reportRows.h"

#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <unistd.h>

void WriteWholeFile(const QString &FileName, const QByteArray &Content)
{
    QSaveFile file(FileName);
    auto fail = [&](QString Reason) {
        file.cancelWriting();
        throw std::runtime_error(
            QStringLiteral("无法写入文件“%1”：\n%2").arg(FileName, Reason).toStdString());
    };
    // errno still names the cause of the step that just failed; Qt calls a
    // full disk "Unknown error".
    auto failFile = [&] {
        const int code = errno;
        fail(FileErrorText(file.errorString(), code));
    };
    if (!file.open(QIODevice::WriteOnly))
        failFile();
    // Qt's commit can rename a file whose last buffered block never reached
    // the disk (a full disk reports only at flush): every step is checked
    // before the old file is replaced, and the bytes are on disk first.
    if (file.write(Content) != Content.size())
        failFile();
    if (!file.flush() || file.error() != QFileDevice::NoError)
        failFile();
    if (::fsync(file.handle()) != 0) {
        const int code = errno;
        fail(FileErrorText(QString::fromLocal8Bit(std::strerror(code)), code));
    }
    if (!file.commit())
        failFile();
}

QString FileErrorText(const QString &SystemText, int Code)
{
    QString words;
    switch (Code) {
    case ENOSPC:
    case EDQUOT:
        words = QStringLiteral("磁盘空间不足。");
        break;
    case EACCES:
    case EPERM:
        words = QStringLiteral("没有写入权限。");
        break;
    case EROFS:
        words = QStringLiteral("磁盘是只读的。");
        break;
    case ENOENT:
        words = QStringLiteral("文件夹不存在。");
        break;
    case EISDIR:
        words = QStringLiteral("这是一个文件夹。");
        break;
    case EIO:
        words = QStringLiteral("磁盘读写出错。");
        break;
    default:
        words = QStringLiteral("写入文件出错。");
    }
    return words + QStringLiteral("（%1）").arg(SystemText);
}

QByteArray ReportText(const QByteArray &Header, const QList<QByteArray> &Lines)
{
    QByteArray text;
    text.reserve((Lines.size() + 2) * (ReportRowsBuilder::LineWidth + 2));
    for (const QByteArray &line : {Header, ReportRowsBuilder::Rule()})
        text += line + "\r\n";
    for (const QByteArray &line : Lines)
        text += line + "\r\n";
    return text;
}
