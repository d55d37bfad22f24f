#include "reports/unt_reportFiles.h"

#include "reports/unt_reportRows.h"

#include <QSaveFile>

#include <stdexcept>

void WriteWholeFile(const QString &FileName, const QByteArray &Content)
{
    QSaveFile file(FileName);
    auto fail = [&] {
        const QString reason = file.errorString();
        file.cancelWriting();
        throw std::runtime_error(
            QStringLiteral("无法写入文件“%1”：\n%2").arg(FileName, reason).toStdString());
    };
    if (!file.open(QIODevice::WriteOnly))
        fail();
    if (file.write(Content) != Content.size())
        fail();
    if (!file.commit())
        fail();
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
