#include "import/unt_clsBillFile.h"

#include "reports/workbook/unt_clsWorkbook.h"

#include <QFile>
#include <QXmlStreamReader>

#include <zip.h>

#include <memory>

namespace BillFile
{
namespace
{
const QString Damaged = QStringLiteral("文件已损坏或不完整，无法读取。");

struct TZipCloser {
    void operator()(zip_t *Archive) const { zip_discard(Archive); }
};
struct TZipFileCloser {
    void operator()(zip_file_t *File) const { zip_fclose(File); }
};
using TZip = std::unique_ptr<zip_t, TZipCloser>;
using TZipFile = std::unique_ptr<zip_file_t, TZipFileCloser>;

TZip OpenZip(const QByteArray &Bytes)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *source = zip_source_buffer_create(Bytes.constData(), zip_uint64_t(Bytes.size()), 0, &error);
    if (!source)
        throw TclsImportError(Damaged);
    zip_t *archive = zip_open_from_source(source, ZIP_RDONLY, &error);
    zip_error_fini(&error);
    if (!archive) {
        zip_source_free(source);
        throw TclsImportError(Damaged);
    }
    return TZip(archive);
}

enum class TEntryRead { Ok, NeedPassword, WrongPassword };

// Reads one entry, never more than a bill can be: a ZIP bomb stops here.
TEntryRead ReadEntry(zip_t *Archive, zip_int64_t Index, const char *Password, QByteArray &Out)
{
    Out.clear();
    TZipFile file(zip_fopen_index_encrypted(Archive, zip_uint64_t(Index), 0, Password));
    if (!file) {
        const int code = zip_error_code_zip(zip_get_error(Archive));
        zip_error_clear(Archive);
        if (code == ZIP_ER_NOPASSWD)
            return TEntryRead::NeedPassword;
        if (code == ZIP_ER_WRONGPASSWD)
            return TEntryRead::WrongPassword;
        throw TclsImportError(Damaged);
    }
    char buffer[65536];
    for (;;) {
        const zip_int64_t got = zip_fread(file.get(), buffer, sizeof buffer);
        if (got < 0) {
            // An old-style password that passed the one-byte check still
            // fails later: garbage to inflate, or the checksum at the end.
            if (Password)
                return TEntryRead::WrongPassword;
            throw TclsImportError(Damaged);
        }
        if (got == 0)
            break;
        Out.append(buffer, qsizetype(got));
        if (Out.size() > BillTable::MaxFileBytes)
            throw TclsImportError(
                QStringLiteral("压缩包里的文件超过 %1 MB，不像是账单。").arg(BillTable::MaxFileBytes >> 20));
    }
    return TEntryRead::Ok;
}

zip_int64_t FindEntry(zip_t *Archive, const char *Name)
{
    return zip_name_locate(Archive, Name, ZIP_FL_NOCASE);
}

QByteArray EntryBytes(zip_t *Archive, const char *Name)
{
    const zip_int64_t index = FindEntry(Archive, Name);
    QByteArray bytes;
    if (index < 0)
        return bytes;
    if (ReadEntry(Archive, index, nullptr, bytes) != TEntryRead::Ok)
        throw TclsImportError(Damaged);
    return bytes;
}

int ColumnOf(QStringView Reference)
{
    int column = 0;
    for (const QChar c : Reference) {
        if (c < QLatin1Char('A') || c > QLatin1Char('Z'))
            break;
        column = column * 26 + (c.unicode() - 'A' + 1);
        if (column > BillTable::MaxColumns)
            throw TclsImportError(
                QStringLiteral("文件中有一行超过 %1 列，不像是账单。").arg(BillTable::MaxColumns));
    }
    return column - 1;
}

// The text of an <si> or <is> element: its <t> parts, phonetic runs left out.
QString ReadRichText(QXmlStreamReader &Xml)
{
    QString text;
    const QString end = Xml.name().toString();
    while (!Xml.atEnd()) {
        Xml.readNext();
        if (Xml.isStartElement() && Xml.name() == QLatin1String("rPh"))
            Xml.skipCurrentElement();
        else if (Xml.isStartElement() && Xml.name() == QLatin1String("t"))
            text += Xml.readElementText();
        else if (Xml.isEndElement() && Xml.name() == end)
            break;
    }
    return text;
}

bool IsZip(const QByteArray &Bytes)
{
    return Bytes.startsWith("PK\x03\x04") || Bytes.startsWith("PK\x05\x06");
}
} // namespace

TBillTable ReadXlsx(const QByteArray &Bytes)
{
    TZip zip = OpenZip(Bytes);
    QStringList strings;
    {
        QXmlStreamReader xml(EntryBytes(zip.get(), "xl/sharedStrings.xml"));
        while (!xml.atEnd())
            if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("si"))
                strings << ReadRichText(xml);
    }
    QByteArray sheet = EntryBytes(zip.get(), "xl/worksheets/sheet1.xml");
    if (sheet.isEmpty())
        throw TclsImportError(QStringLiteral("工作簿里没有找到第一个工作表。"));
    QXmlStreamReader xml(sheet);
    TBillTable rows;
    QStringList row;
    int column = 0;
    QString type;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.name() == QLatin1String("row")) {
                row.clear();
            } else if (xml.name() == QLatin1String("c")) {
                const QStringView ref = xml.attributes().value(QLatin1String("r"));
                column = ref.isEmpty() ? int(row.size()) : ColumnOf(ref);
                type = xml.attributes().value(QLatin1String("t")).toString();
            } else if (xml.name() == QLatin1String("v") || xml.name() == QLatin1String("is")) {
                QString value = xml.name() == QLatin1String("is") ? ReadRichText(xml) : xml.readElementText();
                if (type == QLatin1String("s")) {
                    const int index = value.toInt();
                    value = index >= 0 && index < strings.size() ? strings[index] : QString();
                }
                while (row.size() <= column)
                    row << QString();
                row[column] = value.trimmed();
            }
        } else if (xml.isEndElement() && xml.name() == QLatin1String("row")) {
            bool blank = true;
            for (const QString &cell : std::as_const(row))
                blank = blank && cell.isEmpty();
            if (!blank) {
                if (rows.size() >= BillTable::MaxRows)
                    throw TclsImportError(
                        QStringLiteral("文件超过 %1 行，请分成几个文件导入。").arg(BillTable::MaxRows));
                rows << row;
            }
        }
    }
    if (xml.hasError())
        throw TclsImportError(Damaged);
    return rows;
}

std::optional<TBillTable> FromBytes(const QByteArray &Bytes, const TAskPassword &Ask, int Depth)
{
    if (Bytes.isEmpty())
        throw TclsImportError(QStringLiteral("文件是空的，没有可以导入的记录。"));
    if (Bytes.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"))
        return ReadXls(Bytes);
    if (!IsZip(Bytes)) {
        if (BillTable::IsLayoutText(Bytes))
            return BillTable::ParseLayoutText(Bytes);
        return BillTable::ParseCsv(BillTable::Decode(Bytes));
    }
    TZip zip = OpenZip(Bytes);
    if (FindEntry(zip.get(), "xl/worksheets/sheet1.xml") >= 0)
        return ReadXlsx(Bytes);
    if (Depth > 0)
        throw TclsImportError(QStringLiteral("压缩包里又是压缩包，请先解开外层。"));
    // The bill inside: the first file that is not a folder.
    zip_int64_t index = -1;
    const zip_int64_t count = zip_get_num_entries(zip.get(), 0);
    for (zip_int64_t i = 0; i < count && index < 0; ++i) {
        const char *name = zip_get_name(zip.get(), zip_uint64_t(i), 0);
        if (name && !QByteArray(name).endsWith('/'))
            index = i;
    }
    if (index < 0)
        throw TclsImportError(QStringLiteral("压缩包里没有文件。"));
    QByteArray inner;
    TEntryRead read = ReadEntry(zip.get(), index, nullptr, inner);
    bool again = false;
    while (read != TEntryRead::Ok) {
        QString password;
        if (!Ask(again, password))
            return std::nullopt;
        const QByteArray bytes = password.toUtf8();
        read = ReadEntry(zip.get(), index, bytes.constData(), inner);
        again = true;
    }
    return FromBytes(inner, Ask, Depth + 1);
}

std::optional<TBillTable> Read(const QString &Path, const TAskPassword &Ask)
{
    QFile file(Path);
    if (!file.open(QIODevice::ReadOnly))
        throw TclsImportError(QStringLiteral("无法打开文件“%1”：%2").arg(Path, file.errorString()));
    if (file.size() > BillTable::MaxFileBytes)
        throw TclsImportError(
            QStringLiteral("文件超过 %1 MB，不像是账单。").arg(BillTable::MaxFileBytes >> 20));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw TclsImportError(QStringLiteral("无法读取文件“%1”：%2").arg(Path, file.errorString()));
    return FromBytes(bytes, Ask);
}

TBillTable ReadXls(const QByteArray &Bytes)
{
    try {
        // Our own exports write their rows to Sheet1.
        TBillTable rows = TclsWorkbook(Bytes, QStringLiteral("Sheet1")).Rows(BillTable::MaxColumns);
        for (QStringList &row : rows)
            for (QString &cell : row)
                cell = cell.trimmed();
        return rows;
    } catch (const TclsWorkbookError &error) {
        throw TclsImportError(QString::fromStdString(error.what()));
    }
}
} // namespace BillFile
