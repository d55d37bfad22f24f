#include "import/unt_clsBillFile.h"

#include "data/unt_clsSystemWords.h"
#include "reports/workbook/unt_clsWorkbook.h"

#include <QFile>
#include <QXmlStreamReader>

#include <QScopeGuard>

#include <zip.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// A cell reference is column letters, then the row number. Anything else
// (no letters, lower case, a column past what a bill can have) is a damaged
// or crafted file: the column steers where the cell is written.
int ColumnOf(QStringView Reference)
{
    int column = 0;
    qsizetype at = 0;
    for (; at < Reference.size() && Reference[at] >= QLatin1Char('A') && Reference[at] <= QLatin1Char('Z');
         ++at) {
        column = column * 26 + (Reference[at].unicode() - 'A' + 1);
        if (column > BillTable::MaxColumns)
            throw TclsImportError(
                QStringLiteral("文件中有一行超过 %1 列，不像是账单。").arg(BillTable::MaxColumns));
    }
    if (at == 0 || at == Reference.size())
        throw TclsImportError(Damaged);
    for (; at < Reference.size(); ++at)
        if (!Reference[at].isDigit() || Reference[at].unicode() > 0x7F)
            throw TclsImportError(Damaged);
    return column - 1;
}

// One more element inside the others; a file nested deeper than any sheet
// is refused before the reader's stack of open elements grows with it.
void Enter(int &Depth)
{
    if (++Depth > BillTable::MaxXmlDepth)
        throw TclsImportError(Damaged);
}

// The text of an <si> or <is> element, entered at Depth: its <t> parts,
// phonetic runs left out. Returns at the element's end.
QString ReadRichText(QXmlStreamReader &Xml, int Depth)
{
    QString text;
    const int outer = Depth;
    int skipping = 0; // inside a phonetic run, this deep
    while (!Xml.atEnd()) {
        Xml.readNext();
        if (Xml.isStartElement()) {
            Enter(Depth);
            if (skipping == 0 && Xml.name() == QLatin1String("rPh"))
                skipping = Depth;
            else if (skipping == 0 && Xml.name() == QLatin1String("t")) {
                text += Xml.readElementText();
                --Depth;
                if (text.size() > BillTable::MaxTableChars)
                    throw TclsImportError(BillTable::TooMuchTextText());
            }
        } else if (Xml.isEndElement()) {
            if (Depth == skipping)
                skipping = 0;
            if (--Depth < outer)
                break;
        }
    }
    return text;
}

// The system's reason in words of what a user does here; the rest in general words.
QString SystemError(int Error)
{
    switch (Error) {
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("文件不存在。");
    case EACCES:
    case EPERM:
        return QStringLiteral("没有读取这个文件的权限。");
    case ELOOP:
        return QStringLiteral("链接指向自己，找不到文件。");
    case EIO:
        return QStringLiteral("磁盘读写错误。");
    case EWOULDBLOCK:
        return QStringLiteral("文件正被其他程序占用。");
    default:
        return SystemWords(Error) + QStringLiteral("。");
    }
}

QString NotRegular(const QString &Path, mode_t Mode)
{
    QString kind = QStringLiteral("特殊文件");
    if (S_ISDIR(Mode))
        kind = QStringLiteral("文件夹");
    else if (S_ISFIFO(Mode))
        kind = QStringLiteral("管道");
    else if (S_ISSOCK(Mode))
        kind = QStringLiteral("套接字");
    else if (S_ISCHR(Mode) || S_ISBLK(Mode))
        kind = QStringLiteral("设备");
    return QStringLiteral("“%1”是一个%2，不是普通文件，不能作为账单导入。").arg(Path, kind);
}

bool IsZip(const QByteArray &Bytes)
{
    return Bytes.startsWith("PK\x03\x04") || Bytes.startsWith("PK\x05\x06");
}
} // namespace

QStringList ReadSharedStrings(const QByteArray &Xml)
{
    QStringList strings;
    if (Xml.isEmpty()) // a workbook of numbers only has none
        return strings;
    QXmlStreamReader xml(Xml);
    int depth = 0;
    qint64 chars = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            Enter(depth);
            if (xml.name() == QLatin1String("si")) {
                strings << ReadRichText(xml, depth--);
                if ((chars += strings.constLast().size()) > BillTable::MaxTableChars)
                    throw TclsImportError(BillTable::TooMuchTextText());
            }
        } else if (xml.isEndElement()) {
            --depth;
        }
    }
    if (xml.hasError())
        throw TclsImportError(Damaged);
    return strings;
}

TBillTable ReadXlsx(const QByteArray &Bytes)
{
    TZip zip = OpenZip(Bytes);
    const QStringList strings = ReadSharedStrings(EntryBytes(zip.get(), "xl/sharedStrings.xml"));
    const QByteArray sheet = EntryBytes(zip.get(), "xl/worksheets/sheet1.xml");
    if (sheet.isEmpty())
        throw TclsImportError(QStringLiteral("工作簿里没有找到第一个工作表。"));
    return ReadSheet(sheet, strings);
}

TBillTable ReadSheet(const QByteArray &Sheet, const QStringList &Strings)
{
    QXmlStreamReader xml(Sheet);
    TBillTable rows;
    QStringList row;
    int column = -1, lastColumn = -1;
    QString type;
    int depth = 0;
    qint64 chars = 0; // every cell's, a shared string counted at each use
    qint64 cells = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement())
            --depth;
        if (xml.isStartElement()) {
            Enter(depth);
            if (xml.name() == QLatin1String("row")) {
                row.clear();
                column = lastColumn = -1;
            } else if (xml.name() == QLatin1String("c")) {
                const QStringView ref = xml.attributes().value(QLatin1String("r"));
                // Cells of a row come left to right; one that goes back is
                // no workbook a program wrote.
                const int next = ref.isEmpty() ? lastColumn + 1 : ColumnOf(ref);
                if (next <= lastColumn)
                    throw TclsImportError(Damaged);
                if (next >= BillTable::MaxColumns)
                    throw TclsImportError(
                        QStringLiteral("文件中有一行超过 %1 列，不像是账单。").arg(BillTable::MaxColumns));
                column = lastColumn = next;
                type = xml.attributes().value(QLatin1String("t")).toString();
            } else if (xml.name() == QLatin1String("v") || xml.name() == QLatin1String("is")) {
                if (column < 0) // a value outside any cell
                    throw TclsImportError(Damaged);
                // Both read to the element's end, which the loop then never sees.
                QString value =
                    xml.name() == QLatin1String("is") ? ReadRichText(xml, depth) : xml.readElementText();
                --depth;
                if (type == QLatin1String("s")) {
                    const int index = value.toInt();
                    value = index >= 0 && index < Strings.size() ? Strings[index] : QString();
                }
                if ((chars += value.size()) > BillTable::MaxTableChars)
                    throw TclsImportError(BillTable::TooMuchTextText());
                while (row.size() <= column)
                    row << QString();
                row[column] = value.trimmed();
            }
        } else if (xml.isEndElement() && xml.name() == QLatin1String("c")) {
            column = -1;
        } else if (xml.isEndElement() && xml.name() == QLatin1String("row")) {
            bool blank = true;
            for (const QString &cell : std::as_const(row))
                blank = blank && cell.isEmpty();
            if (!blank) {
                if ((cells += row.size()) > BillTable::MaxTableCells)
                    throw TclsImportError(BillTable::TooManyCellsText());
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

std::optional<TBillTable> FromBytes(const QByteArray &Bytes, const TAskPassword &Ask, QString *Note,
                                    int Depth)
{
    if (Bytes.isEmpty())
        throw TclsImportError(QStringLiteral("文件是空的，没有可以导入的记录。"));
    if (Bytes.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"))
        return ReadXls(Bytes);
    if (!IsZip(Bytes)) {
        if (BillTable::IsLayoutText(Bytes))
            return BillTable::ParseLayoutText(Bytes);
        return BillTable::ParseCsv(BillTable::Decode(Bytes, Note));
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
    return FromBytes(inner, Ask, Note, Depth + 1);
}

QByteArray ReadBounded(int Fd, qint64 Limit)
{
    QByteArray bytes;
    char buffer[65536];
    while (bytes.size() <= Limit) {
        const auto wanted = std::min<qint64>(qint64(sizeof buffer), Limit + 1 - bytes.size());
        const ssize_t got = ::read(Fd, buffer, size_t(wanted));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw std::system_error(errno, std::generic_category());
        if (got == 0)
            break;
        bytes.append(buffer, qsizetype(got));
    }
    return bytes;
}

QByteArray ReadFile(const QString &Path)
{
    const QByteArray name = QFile::encodeName(Path);
    const QString tooBig = QStringLiteral("文件超过 %1 MB，不像是账单。").arg(BillTable::MaxFileBytes >> 20);
    // A pipe, a socket or a device would block the window or never end:
    // only a regular file is a bill. Asked before opening, since opening a
    // pipe already waits for a writer.
    struct stat info {
    };
    if (::stat(name.constData(), &info) != 0)
        throw TclsImportError(QStringLiteral("无法打开文件“%1”：%2").arg(Path, SystemError(errno)));
    if (!S_ISREG(info.st_mode))
        throw TclsImportError(NotRegular(Path, info.st_mode));
    if (info.st_size > BillTable::MaxFileBytes)
        throw TclsImportError(tooBig);
    // Without blocking, should something else have taken the name since.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        throw TclsImportError(QStringLiteral("无法打开文件“%1”：%2").arg(Path, SystemError(errno)));
    const auto closer = qScopeGuard([fd] { ::close(fd); });
    if (::fstat(fd, &info) != 0)
        throw TclsImportError(QStringLiteral("无法读取文件“%1”：%2").arg(Path, SystemError(errno)));
    if (!S_ISREG(info.st_mode))
        throw TclsImportError(NotRegular(Path, info.st_mode));
    QByteArray bytes;
    try {
        // The size said is no promise (files under /proc say 0): never more
        // than the limit and one byte more is read.
        bytes = ReadBounded(fd, BillTable::MaxFileBytes);
    } catch (const std::system_error &error) {
        throw TclsImportError(
            QStringLiteral("无法读取文件“%1”：%2").arg(Path, SystemError(error.code().value())));
    }
    if (bytes.size() > BillTable::MaxFileBytes)
        throw TclsImportError(tooBig);
    return bytes;
}

std::optional<TBillTable> Read(const QString &Path, const TAskPassword &Ask, QString *Note)
{
    return FromBytes(ReadFile(Path), Ask, Note);
}

TBillTable ReadXls(const QByteArray &Bytes)
{
    try {
        // Our own exports write their rows to Sheet1.
        TBillTable rows =
            TclsWorkbook(Bytes, QStringLiteral("Sheet1"))
                .Rows(BillTable::MaxColumns, BillTable::MaxTableChars, BillTable::MaxTableCells);
        for (QStringList &row : rows)
            for (QString &cell : row)
                cell = cell.trimmed();
        return rows;
    } catch (const TclsWorkbookError &error) {
        throw TclsImportError(QString::fromStdString(error.what()));
    }
}
} // namespace BillFile
