// CSV and text bills: decoding with its limits, the CSV split, our own
// fixed-column text export.
#include "fuzz/unt_fuzz.h"
#include "import/unt_clsBillTable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size)
{
    const QByteArray bytes = FuzzBytes(Data, Size);
    try {
        if (BillTable::IsLayoutText(bytes))
            BillTable::ParseLayoutText(bytes);
        QString note;
        BillTable::ParseCsv(BillTable::Decode(bytes, &note));
    } catch (const TclsImportError &) {
    }
    return 0;
}
