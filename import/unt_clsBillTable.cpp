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
// The length of the valid sequence at At, 0 when it is none.
qsizetype Utf8Length(const QByteArray &Bytes, qsizetype At)
{
    const auto b = [&](qsizetype i) { return i < Bytes.size() ? quint8(Bytes[i]) : 0; };
    const quint8 lead = b(At);
    if (lead < 0x80)
        return 1;
    int more = 0;
    quint8 low = 0x80, high = 0xBF; // the second byte's range
    if (lead >= 0xC2 && lead <= 0xDF)
        more = 1;
    else if (lead >= 0xE0 && lead <= 0xEF)
        more = 2, low = lead == 0xE0 ? 0xA0 : 0x80, high = lead == 0xED ? 0x9F : 0xBF;
    else if (lead >= 0xF0 && lead <= 0xF4)
        more = 3, low = lead == 0xF0 ? 0x90 : 0x80, high = lead == 0xF4 ? 0x8F : 0xBF;
    else
        return 0;
    if (b(At + 1) < low || b(At + 1) > high)
        return 0;
    for (int i = 2; i <= more; ++i)
        if (b(At + i) < 0x80 || b(At + i) > 0xBF)
            return 0;
    return more + 1;
}

qsizetype Gb18030Length(const QByteArray &Bytes, qsizetype At)
{
    const auto b = [&](qsizetype i) { return i < Bytes.size() ? quint8(Bytes[i]) : 0; };
    const quint8 lead = b(At);
    if (lead < 0x80)
        return 1;
    if (lead == 0x80 || lead == 0xFF)
        return 0;
    const quint8 second = b(At + 1);
    if ((second >= 0x40 && second <= 0x7E) || (second >= 0x80 && second <= 0xFE))
        return 2;
    if (second >= 0x30 && second <= 0x39 && b(At + 2) >= 0x81 && b(At + 2) <= 0xFE && b(At + 3) >= 0x30 &&
        b(At + 3) <= 0x39)
        return 4;
    return 0;
}

// The lines (from 1) that hold invalid sequences in one encoding.
struct TScan {
    qsizetype BadLines = 0;
    QList<qsizetype> Lines; // the first few
};

TScan Scan(const QByteArray &Bytes, qsizetype (*Length)(const QByteArray &, qsizetype))
{
    TScan scan;
    qsizetype line = 1, lastBad = 0;
    for (qsizetype at = 0; at < Bytes.size();) {
        // Neither encoding uses a line feed inside a character.
        if (Bytes[at] == '\n')
            ++line;
        const qsizetype length = Length(Bytes, at);
        if (length > 0) {
            at += length;
            continue;
        }
        ++at;
        if (lastBad != line) {
            lastBad = line;
            ++scan.BadLines;
            if (scan.Lines.size() < 5)
                scan.Lines << line;
        }
    }
    return scan;
}
} // namespace

QString Decode(const QByteArray &Bytes, QString *Note)
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
    // A BOM decides. Without one, the encoding in which fewer lines hold an
    // invalid sequence: one bad byte must not turn a UTF-8 bill into
    // GB18030. Lines, not bytes: a GB18030 line is invalid UTF-8 at nearly
    // every byte, while UTF-8 text stumbles as GB18030 only here and there.
    const bool bom = Bytes.startsWith("\xEF\xBB\xBF");
    const TScan utf8 = Scan(Bytes, Utf8Length);
    const TScan gb = bom ? TScan{} : Scan(Bytes, Gb18030Length);
    const bool isUtf8 = bom || utf8.BadLines <= gb.BadLines;
    const TScan &chosen = isUtf8 ? utf8 : gb;
    QStringDecoder decoder = isUtf8 ? QStringDecoder(QStringConverter::Utf8) : QStringDecoder("GB18030");
    QString text = decoder(Bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    if (Note && !chosen.Lines.isEmpty()) {
        QStringList lines;
        for (qsizetype i = 0; i < chosen.Lines.size() && i < 5; ++i)
            lines << QString::number(chosen.Lines[i]);
        *Note = QStringLiteral("文件按 %1 编码读取，但有 %2 行含有无法识别的字符（第 %3 行%4），"
                               "这些行的文字可能是乱码，请在导入前核对。")
                    .arg(isUtf8 ? QStringLiteral("UTF-8") : QStringLiteral("GB18030"))
                    .arg(chosen.BadLines)
                    .arg(lines.join(QStringLiteral("、")),
                         chosen.BadLines > 5 ? QStringLiteral("等") : QString());
    }
    return text;
}

TBillTable ParseCsv(const QString &Text)
{
    const QChar delimiter = PickDelimiter(Text);
    TBillTable rows;
    QStringList row;
    QString cell;
    qsizetype recordChars = 0;
    qint64 cells = 0;
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
        if (!blank) {
            if ((cells += row.size()) > MaxTableCells)
                throw TclsImportError(TooManyCellsText());
            rows << row;
        }
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
QString TooManyCellsText()
{
    return QStringLiteral("文件中的单元格超过 %1 万个，不像是账单。").arg(MaxTableCells / 10000);
}

QString TooMuchTextText()
{
    return QStringLiteral("文件中的文字展开后超过 %1 万个字符，不像是账单。").arg(MaxTableChars / 10000);
}
} // namespace BillTable
