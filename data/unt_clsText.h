#pragma once
// Texts shown in a single line: lists and fixed-width reports.
#include <QByteArray>
#include <QString>

// A memo's line breaks (pasted, or typed in the modify dialog) become
// spaces wherever a memo is shown on one line; the stored memo keeps them.
inline QString OneLineText(const QString &Text)
{
    if (!Text.contains(QLatin1Char('\n')) && !Text.contains(QLatin1Char('\r')))
        return Text;
    QString line = Text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    line.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return line;
}

// The same for GB18030 bytes: no byte of a wider character is a CR or LF.
inline QByteArray OneLineBytes(const QByteArray &Bytes)
{
    if (!Bytes.contains('\n') && !Bytes.contains('\r'))
        return Bytes;
    QByteArray line = Bytes;
    line.replace("\r\n", " ");
    line.replace('\n', ' ');
    line.replace('\r', ' ');
    return line;
}
