#include "reports/unt_reportFiles.h"

#include "data/unt_clsSystemWords.h"
#include "reports/unt_reportRows.h"

#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <unistd.h>

void WriteWholeFile(const QString &FileName, const QByteArray &Content)
{
    WriteWholeFile(FileName, [&](const TWriteChunk &Write) { Write(Content); });
}

void WriteWholeFile(const QString &FileName, const std::function<void(const TWriteChunk &Write)> &Produce)
{
    QSaveFile file(FileName);
    auto fail = [&](QString Reason) {
        file.cancelWriting();
        throw std::runtime_error(
            QStringLiteral("无法写入文件“%1”：\n%2").arg(FileName, Reason).toStdString());
    };
    // errno still names the cause of the step that just failed, and our
    // words for it beat Qt's, which calls a full disk "Unknown error".
    auto failFile = [&] {
        const int code = errno;
        fail(FileErrorText(code != 0 ? SystemWords(code) : QString(), code));
    };
    if (!file.open(QIODevice::WriteOnly))
        failFile();
    // Qt's commit can rename a file whose last buffered block never reached
    // the disk (a full disk reports only at flush): every step is checked
    // before the old file is replaced, and the bytes are on disk first.
    Produce([&](const QByteArray &Chunk) {
        if (file.write(Chunk) != Chunk.size())
            failFile();
    });
    if (!file.flush() || file.error() != QFileDevice::NoError)
        failFile();
    if (::fsync(file.handle()) != 0) {
        const int code = errno;
        fail(FileErrorText(SystemWords(code), code));
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
        // The commonest causes have their words above; the system's words
        // (in Chinese too) only for the rest.
        words = QStringLiteral("写入文件出错。");
        if (!SystemText.isEmpty())
            words += QStringLiteral("（%1）").arg(SystemText);
    }
    return words;
}

void WriteReportText(const QByteArray &Header, qsizetype Count,
                     const std::function<QByteArray(qsizetype)> &Line, const TWriteChunk &Write)
{
    // Lines go out a few hundred kilobytes at a time, so a long range never
    // sits in memory as a whole file.
    constexpr qsizetype LinesPerChunk = 2048;
    QByteArray chunk;
    chunk.reserve((LinesPerChunk + 2) * (ReportRowsBuilder::LineWidth + 2));
    for (const QByteArray &line : {Header, ReportRowsBuilder::Rule()})
        chunk += line + "\r\n";
    for (qsizetype i = 0; i < Count; ++i) {
        chunk += Line(i);
        chunk += "\r\n";
        if ((i + 1) % LinesPerChunk == 0) {
            Write(chunk);
            chunk.resize(0); // keeps its room for the next piece
        }
    }
    if (!chunk.isEmpty())
        Write(chunk);
}
