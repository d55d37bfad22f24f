#pragma once
// GB18030 bytes to text by table, for the stored texts of long ranges: the
// C library's converter costs a call, a reset and a UTF-8 detour per value.
// The tables are read off that same converter once, so both always agree.
#include <QByteArrayView>
#include <QString>

namespace Gb18030
{
// As the C library decodes them, a byte that begins no character it knows
// skipped, so a damaged stored value still reads in part.
QString Decode(QByteArrayView Bytes, bool *Damaged = nullptr);
} // namespace Gb18030
