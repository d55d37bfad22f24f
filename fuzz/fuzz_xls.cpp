// Our own Excel 97-2003 reader: the compound file, the workbook's records,
// its rows read back; a row appended and the whole written again.
#include "fuzz/unt_fuzz.h"
#include "import/unt_clsBillTable.h"
#include "reports/workbook/unt_clsWorkbook.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size)
{
    try {
        TclsWorkbook book(FuzzBytes(Data, Size), QStringLiteral("Sheet1"));
        book.Rows(256, BillTable::MaxTableChars, BillTable::MaxTableCells); // as a bill import reads it
        book.Columns();
        book.AppendRow(
            {QStringLiteral("2026-03-01"), QStringLiteral("支出"), QString(), QStringLiteral("1.00")});
        book.Save();
    } catch (const TclsWorkbookError &) {
    }
    return 0;
}
