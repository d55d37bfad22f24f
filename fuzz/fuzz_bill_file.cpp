// A bill file of any kind as the import reads it: told by its bytes, ZIPs
// (libzip) with or without a password and what they hold, XLSX, .xls, text.
#include "fuzz/unt_fuzz.h"
#include "import/unt_clsBillFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size)
{
    int asked = 0;
    const auto ask = [&](bool, QString &Password) {
        Password = QStringLiteral("pw");
        return ++asked < 3;
    };
    try {
        QString note;
        BillFile::FromBytes(FuzzBytes(Data, Size), ask, &note);
    } catch (const TclsImportError &) {
    }
    return 0;
}
