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
std::optional<TBillTable> Read(const QString &Path, const TAskPassword &Ask);
std::optional<TBillTable> FromBytes(const QByteArray &Bytes, const TAskPassword &Ask, int Depth = 0);
TBillTable ReadXlsx(const QByteArray &Bytes);
TBillTable ReadXls(const QByteArray &Bytes);
} // namespace BillFile
