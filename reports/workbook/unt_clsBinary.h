#pragma once
// Checked little-endian reads of the workbook format: a read past the end of
// a buffer means a damaged file, reported as such, never a read outside it.
#include "reports/workbook/unt_clsCompoundFile.h"

#include <QByteArray>

namespace Binary
{

[[noreturn]] inline void Damaged()
{
    throw TclsWorkbookError(QStringLiteral("文件不是 Excel 97-2003 工作簿，或者已经损坏。"));
}

inline quint8 U8(const QByteArray &Bytes, qsizetype At)
{
    if (At < 0 || At >= Bytes.size())
        Damaged();
    return quint8(Bytes[At]);
}

inline quint16 U16(const QByteArray &Bytes, qsizetype At)
{
    if (At < 0 || At + 2 > Bytes.size())
        Damaged();
    return quint16(quint8(Bytes[At]) | quint8(Bytes[At + 1]) << 8);
}

inline quint32 U32(const QByteArray &Bytes, qsizetype At)
{
    if (At < 0 || At + 4 > Bytes.size())
        Damaged();
    return quint32(quint8(Bytes[At])) | quint32(quint8(Bytes[At + 1])) << 8 |
           quint32(quint8(Bytes[At + 2])) << 16 | quint32(quint8(Bytes[At + 3])) << 24;
}

} // namespace Binary
