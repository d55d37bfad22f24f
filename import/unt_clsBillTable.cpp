#include "import/unt_clsBillTable.h"

#include <QStringDecoder>

namespace BillTable
{
namespace
{
const QString TooLong = QStringLiteral("文件中有一行超过 %1 个字符（也许是引号没有成对），不像是账单。");
const QString TooWide = QStringLiteral("文件中有一行超过 %1 列，不像是账单。");
const QString TooMany = QStringLiteral("文件超过 %1 行，请分成几个文件导入。");

// Layout I of the text export: 日期 14, 类别 8, 项目 24, 金额 16, 备注 58 bytes.
constexpr int LayoutWidths[] = {14, 8, 24, 16, 58};
constexpr int LayoutLine = 120;

QChar PickDelimiter(const QString &Text)
{
    // Count over the first lines only: a preamble or stray tabs inside
    // fields must not turn a comma file into a tab file.
    qsizetype commas = 0, tabs = 0, lines = 0;
    for (qsizetype i = 0; i < Text.size() && i < 256 * 1024 && lines < 60; ++i) {
        const QChar c = Text[i];
        if (c == QLatin1Char(','))
            ++commas;
        else if (c == QLatin1Char('\t'))
            ++tabs;
        else if (c == QLatin1Char('\n'))
            ++lines;
    }
    return tabs > commas * 2 ? QLatin1Char('\t') : QLatin1Char(',');
}
} // namespace

QString Decode(const QByteArray &Bytes)
{
    if (Bytes.trimmed().isEmpty())
        throw TclsImportError(QStringLiteral("文件是空的，没有可以导入的记录。"));
    if (Bytes.size() > MaxFileBytes)
        throw TclsImportError(QStringLiteral("文件超过 %1 MB，不像是账单。").arg(MaxFileBytes >> 20));
    if (Bytes.startsWith("\xFF\xFE") || Bytes.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(Bytes.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE
                                                          : QStringConverter::Utf16BE);
        const QString text = utf16(Bytes.mid(2));
        if (!utf16.hasError())
            return text;
    }
    const QByteArrayView head = QByteArrayView(Bytes).first(std::min<qsizetype>(Bytes.size(), 64 * 1024));
    int controls = 0;
    for (const char c : head) {
        const auto u = static_cast<unsigned char>(c);
        if (u == 0)
            throw TclsImportError(QStringLiteral("这不是文本格式的账单文件。"));
        if (u < 32 && u != '\r' && u != '\n' && u != '\t')
            ++controls;
    }
    if (controls > head.size() / 20)
        throw TclsImportError(QStringLiteral("这不是文本格式的账单文件。"));
    QStringDecoder utf8(QStringConverter::Utf8);
    QString text = utf8(Bytes);
    if (utf8.hasError()) {
        QStringDecoder gb("GB18030");
        text = gb(Bytes);
    }
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

TBillTable ParseCsv(const QString &Text)
{
    const QChar delimiter = PickDelimiter(Text);
    TBillTable rows;
    QStringList row;
    QString cell;
    qsizetype recordChars = 0;
    bool quoted = false;
    bool written = false; // the cell has more than blanks: a quote now is text
    auto endCell = [&] {
        if (row.size() >= MaxColumns)
            throw TclsImportError(TooWide.arg(MaxColumns));
        row << cell.trimmed();
        cell.clear();
        written = false;
    };
    auto endRow = [&] {
        endCell();
        if (rows.size() >= MaxRows)
            throw TclsImportError(TooMany.arg(MaxRows));
        bool blank = true;
        for (const QString &c : std::as_const(row))
            blank = blank && c.isEmpty();
        if (!blank)
            rows << row;
        row.clear();
        recordChars = 0;
    };
    const QChar *p = Text.constData();
    const QChar *end = p + Text.size();
    for (; p < end; ++p) {
        const QChar c = *p;
        if (++recordChars > MaxRecordChars)
            throw TclsImportError(TooLong.arg(MaxRecordChars));
        if (quoted) {
            written = true;
            if (c == QLatin1Char('"')) {
                if (p + 1 < end && p[1] == QLatin1Char('"')) {
                    cell += c;
                    ++p;
                } else {
                    quoted = false;
                }
            } else {
                cell += c;
            }
        } else if (c == QLatin1Char('"') && !written) {
            cell.clear();
            quoted = true;
        } else if (c == delimiter) {
            endCell();
        } else if (c == QLatin1Char('\n')) {
            endRow();
        } else if (c != QLatin1Char('\r')) {
            cell += c;
            written = written || !c.isSpace();
        }
    }
    if (quoted)
        throw TclsImportError(QStringLiteral("文件末尾有一个引号没有成对，文件可能不完整。"));
    if (!cell.isEmpty() || !row.isEmpty())
        endRow();
    return rows;
}

bool IsLayoutText(const QByteArray &Bytes)
{
    const qsizetype eol = Bytes.indexOf("\r\n");
    if (eol != LayoutLine || !Bytes.startsWith("\xC8\xD5\xC6\xDA")) // "日期" in GB18030
        return false;
    return Bytes.mid(eol + 2, LayoutLine) == QByteArray(LayoutLine, '-');
}

TBillTable ParseLayoutText(const QByteArray &Bytes)
{
    QStringDecoder gb("GB18030");
    TBillTable rows;
    qsizetype pos = 0;
    while (pos < Bytes.size()) {
        qsizetype eol = Bytes.indexOf('\n', pos);
        if (eol < 0)
            eol = Bytes.size();
        QByteArray line = Bytes.mid(pos, eol - pos);
        pos = eol + 1;
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.size() > MaxRecordChars)
            throw TclsImportError(TooLong.arg(MaxRecordChars));
        if (rows.size() >= MaxRows)
            throw TclsImportError(TooMany.arg(MaxRows));
        QStringList row;
        int at = 0;
        for (const int width : LayoutWidths) {
            row << QString(gb(line.mid(at, width))).trimmed();
            at += width;
        }
        if (!row.join(QString()).isEmpty() && !line.startsWith("----"))
            rows << row;
    }
    return rows;
}
} // namespace BillTable
