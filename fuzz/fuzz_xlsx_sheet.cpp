// The first worksheet of an XLSX, against a few shared strings.
#include "fuzz/unt_fuzz.h"
#include "import/unt_clsBillFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size)
{
    static const QStringList strings{"交易时间", "金额(元)", "", "x"};
    try {
        BillFile::ReadSheet(FuzzBytes(Data, Size), strings);
    } catch (const TclsImportError &) {
    }
    return 0;
}
