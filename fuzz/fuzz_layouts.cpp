// The known bill layouts and the columns of an unknown one, over any table
// a CSV can give.
#include "fuzz/unt_fuzz.h"
#include "import/unt_clsBillFormats.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size)
{
    TBillTable table;
    try {
        table = BillTable::ParseCsv(BillTable::Decode(FuzzBytes(Data, Size)));
    } catch (const TclsImportError &) {
        return 0;
    }
    const BillFormats::TLayout layout = BillFormats::Recognise(table);
    if (layout.Kind != BillFormats::TKnown::None)
        BillFormats::Read(table, layout);
    const int header = BillFormats::GuessHeaderRow(table);
    if (header >= 0) {
        BillFormats::LayoutKey(table[header]);
        BillFormats::ReadMapped(table, header, BillFormats::GuessMapping(table[header]));
    }
    // A remembered mapping is text too: the first row's first cell as one.
    if (!table.isEmpty() && !table[0].isEmpty()) {
        const TBillMapping mapping = TBillMapping::Load(table[0][0]);
        BillFormats::ReadMapped(table, std::max(header, 0), mapping);
        mapping.Save();
    }
    return 0;
}
