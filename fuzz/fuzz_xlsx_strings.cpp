// The shared strings of an XLSX.
#include "fuzz/unt_fuzz.h"
#include "import/unt_clsBillFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size)
{
    try {
        BillFile::ReadSharedStrings(FuzzBytes(Data, Size));
    } catch (const TclsImportError &) {
    }
    return 0;
}
