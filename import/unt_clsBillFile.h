#pragma once
// A bill file of any kind the household meets, read into a table: CSV and
// text files, XLSX workbooks, Excel 97-2003 workbooks, and a ZIP (with or
// without a password) holding one of them. The kind is told by the bytes,
// not by the name.
#include "import/unt_clsBillTable.h"

#include <functional>
#include <optional>

namespace BillFile
{
// Asks for a ZIP's password; Again is true after a wrong one. False when
// the user gave up.
using TAskPassword = std::function<bool(bool Again, QString &Password)>;

// Empty when the user gave up at the password; throws TclsImportError.
// Note, when given, gets what the user should know of a file that was read
// all the same (lines that did not decode).
std::optional<TBillTable> Read(const QString &Path, const TAskPassword &Ask, QString *Note = nullptr);
// The bytes of a bill the user picked: a regular file of no more than
// BillTable::MaxFileBytes, opened without ever waiting.
QByteArray ReadFile(const QString &Path);
// At most Limit + 1 bytes of an open file, whatever it is; throws
// std::system_error when the system fails to read.
QByteArray ReadBounded(int Fd, qint64 Limit);
std::optional<TBillTable> FromBytes(const QByteArray &Bytes, const TAskPassword &Ask, QString *Note = nullptr,
                                    int Depth = 0);
TBillTable ReadXlsx(const QByteArray &Bytes);
// The parts of an XLSX: its shared strings, and the first sheet's rows.
QStringList ReadSharedStrings(const QByteArray &Xml);
TBillTable ReadSheet(const QByteArray &Sheet, const QStringList &Strings);
TBillTable ReadXls(const QByteArray &Bytes);
} // namespace BillFile
