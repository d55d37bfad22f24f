#include "reports/workbook/unt_clsWorkbook.h"

#include "reports/workbook/unt_clsBinary.h"

#include <QHash>
#include <QMap>
#include <QtEndian>

#include <algorithm>
#include <bit>

namespace
{

using namespace Binary;

constexpr quint16 RecBof = 0x0809, RecEof = 0x000A, RecContinue = 0x003C, RecBoundSheet = 0x0085,
                  RecSst = 0x00FC, RecXf = 0x00E0, RecIndex = 0x020B, RecDimensions = 0x0200, RecRow = 0x0208,
                  RecDbCell = 0x00D7, RecColInfo = 0x007D, RecLabel = 0x0204, RecLabelSst = 0x00FD,
                  RecRString = 0x00D6;
// Records that carry a row index first: the cells of the cell table.
const quint16 CellTypes[] = {0x0201, 0x0203, 0x0204, 0x0205, 0x0006, 0x027E, 0x00BD, 0x00BE, 0x00FD, 0x00D6};
constexpr quint16 DefaultCellXf = 15;

void Add16(QByteArray &Bytes, quint16 Value)
{
    char raw[2];
    qToLittleEndian<quint16>(Value, raw);
    Bytes.append(raw, 2);
}

void Add32(QByteArray &Bytes, quint32 Value)
{
    char raw[4];
    qToLittleEndian<quint32>(Value, raw);
    Bytes.append(raw, 4);
}

void AddRecord(QByteArray &Out, quint16 Type, const QByteArray &Data)
{
    Add16(Out, Type);
    Add16(Out, quint16(Data.size()));
    Out += Data;
}

bool IsCell(quint16 Type)
{
    return std::find(std::begin(CellTypes), std::end(CellTypes), Type) != std::end(CellTypes);
}

// Characters of a BIFF8 string: Latin-1 when every one fits, else UTF-16LE.
void AddChars(QByteArray &Out, const QString &Text)
{
    const bool wide = std::any_of(Text.begin(), Text.end(), [](QChar c) { return c.unicode() > 0xFF; });
    Out.append(char(wide ? 1 : 0));
    for (const QChar c : Text) {
        if (wide)
            Add16(Out, c.unicode());
        else
            Out.append(char(c.unicode()));
    }
}

QByteArray ShortString(const QString &Text)
{
    QByteArray out(1, char(Text.size()));
    AddChars(out, Text);
    return out;
}

QByteArray LongString(const QString &Text)
{
    QByteArray out;
    Add16(out, quint16(Text.size()));
    AddChars(out, Text);
    return out;
}

// Reads strings that may run on into CONTINUE records; a run of characters
// split there starts again with its own flag byte.
class TStringReader
{
  public:
    TStringReader(QList<QByteArray> Parts, qsizetype Start) : FParts(std::move(Parts)), FPos(Start) {}

    QString Read(int Length, bool Rich)
    {
        const quint8 flags = Byte();
        int runs = 0;
        qint64 ext = 0;
        if (Rich && (flags & 0x08))
            runs = Word();
        if (Rich && (flags & 0x04))
            ext = qint32(Word() | (quint32(Word()) << 16));
        bool wide = flags & 0x01;
        QString text;
        text.reserve(Length);
        while (text.size() < Length) {
            if (FPos >= FParts[FPart].size()) {
                Next();
                wide = Byte() & 0x01;
            }
            if (wide)
                text += QChar(Word());
            else
                text += QChar(Byte());
        }
        Skip(qint64(runs) * 4 + ext);
        return text;
    }

    quint8 Byte()
    {
        while (FPos >= FParts[FPart].size())
            Next();
        return quint8(FParts[FPart][FPos++]);
    }
    quint16 Word() { return quint16(Byte() | (Byte() << 8)); }
    quint32 Long() { return Word() | (quint32(Word()) << 16); }

  private:
    void Next()
    {
        if (++FPart >= FParts.size())
            Damaged();
        FPos = 0;
    }
    void Skip(qint64 Count)
    {
        for (qint64 i = 0; i < Count; ++i)
            Byte();
    }
    QList<QByteArray> FParts;
    qsizetype FPart = 0;
    qsizetype FPos;
};

// Hands over the records of the substream at At, nested substreams (charts)
// included, up to its EOF.
void ReadSubstream(const QByteArray &Stream, qsizetype At, auto &&Take)
{
    int depth = 0;
    while (At + 4 <= Stream.size()) {
        const quint16 type = U16(Stream, At), size = U16(Stream, At + 2);
        if (At + 4 + size > Stream.size())
            Damaged();
        Take(type, Stream.mid(At + 4, size));
        At += 4 + size;
        if (type == RecBof)
            ++depth;
        else if (type == RecEof && --depth == 0)
            return;
    }
    Damaged();
}

} // namespace

TclsWorkbook::TclsWorkbook(const QByteArray &File, const QString &SheetName)
{
    const QByteArray stream = CompoundFile::ReadStream(File, QStringLiteral("Workbook"));
    if (stream.size() < 8 || U16(stream, 0) != RecBof || U16(stream, 4) != 0x0600 || U16(stream, 6) != 0x0005)
        Damaged();
    ReadSubstream(stream, 0, [&](quint16 Type, QByteArray Data) {
        FGlobals.append({Type, std::move(Data)});
    });
    for (qsizetype i = 0; i < FGlobals.size(); ++i) {
        if (FGlobals[i].Type != RecBoundSheet)
            continue;
        const QByteArray &data = FGlobals[i].Data;
        // Offset, visibility, kind, then the name: a length byte, flags, characters.
        TSheet sheet{TStringReader({data}, 7).Read(U8(data, 6), false), i, {}};
        const qsizetype at = U32(data, 0);
        if (at >= stream.size() || U16(stream, at) != RecBof)
            Damaged();
        ReadSubstream(stream, at, [&](quint16 Type, QByteArray Data) {
            sheet.Records.append({Type, std::move(Data)});
        });
        if (FTarget < 0 && sheet.Name.compare(SheetName, Qt::CaseInsensitive) == 0 && U8(data, 5) == 0)
            FTarget = FSheets.size();
        FSheets.append(std::move(sheet));
    }
    if (FTarget < 0)
        throw TclsWorkbookError(QStringLiteral("工作簿中没有工作表“%1”。").arg(SheetName));
    ReadHeader(FSheets[FTarget]);
}

QList<QStringList> TclsWorkbook::Rows(int Columns) const
{
    constexpr quint16 RecNumber = 0x0203, RecRk = 0x027E;
    QList<QByteArray> sst;
    for (qsizetype i = 0; i < FGlobals.size() && sst.isEmpty(); ++i)
        if (FGlobals[i].Type == RecSst)
            for (sst << FGlobals[i].Data; i + 1 < FGlobals.size() && FGlobals[i + 1].Type == RecContinue;)
                sst << FGlobals[++i].Data;
    QList<QString> strings;
    if (!sst.isEmpty()) {
        TStringReader reader(sst, 8);
        const quint32 unique = std::min<quint32>(U32(sst[0], 4), 1u << 20);
        for (quint32 s = 0; s < unique; ++s)
            strings << reader.Read(reader.Word(), true);
    }
    auto rk = [](quint32 Value) {
        const double number =
            (Value & 2) ? double(qint32(Value) >> 2) : std::bit_cast<double>(quint64(Value & ~3u) << 32);
        return (Value & 1) ? number / 100 : number;
    };
    QMap<int, QStringList> rows;
    for (const TRecord &record : FSheets[FTarget].Records) {
        const QByteArray &d = record.Data;
        if (!IsCell(record.Type) || U16(d, 2) >= Columns)
            continue;
        QString text;
        if (record.Type == RecLabel || record.Type == RecRString)
            text = TStringReader({d}, 8).Read(U16(d, 6), false);
        else if (record.Type == RecLabelSst)
            text = strings.value(U32(d, 6));
        else if (record.Type == RecNumber)
            text = QString::number(std::bit_cast<double>(quint64(U32(d, 6)) | quint64(U32(d, 10)) << 32), 'g',
                                   15);
        else if (record.Type == RecRk)
            text = QString::number(rk(U32(d, 6)), 'g', 15);
        if (text.isEmpty())
            continue;
        QStringList &row = rows[U16(d, 0)];
        while (row.size() <= U16(d, 2))
            row << QString();
        row[U16(d, 2)] = text;
    }
    return rows.values();
}

void TclsWorkbook::ReadHeader(const TSheet &Sheet)
{
    QHash<int, QString> header;
    QHash<int, quint32> headerSst;
    int lastRow = -1;
    FInsertAt = -1;
    qsizetype dimensions = -1, window = -1;
    for (qsizetype i = 0; i < Sheet.Records.size(); ++i) {
        const TRecord &record = Sheet.Records[i];
        if (record.Type == RecRow || IsCell(record.Type)) {
            lastRow = std::max<int>(lastRow, U16(record.Data, 0));
            FInsertAt = i + 1;
        } else if (record.Type == RecDbCell) {
            FInsertAt = i + 1;
        } else if (record.Type == RecDimensions) {
            dimensions = i;
        } else if (record.Type == 0x023E && window < 0) {
            window = i;
        } else if (record.Type == RecColInfo) {
            const int first = U16(record.Data, 0), last = std::min<int>(U16(record.Data, 2), 255);
            for (int c = first; c <= last; ++c) {
                while (FColumnXf.size() <= c)
                    FColumnXf << 0xFFFF;
                FColumnXf[c] = U16(record.Data, 6);
            }
        }
        if (!IsCell(record.Type) || U16(record.Data, 0) != 0)
            continue;
        const int column = U16(record.Data, 2);
        if (record.Type == RecLabel || record.Type == RecRString)
            header[column] = TStringReader({record.Data}, 8).Read(U16(record.Data, 6), false);
        else if (record.Type == RecLabelSst)
            headerSst[column] = U32(record.Data, 6);
    }
    if (FInsertAt < 0)
        FInsertAt = dimensions >= 0 ? dimensions + 1 : (window >= 0 ? window : Sheet.Records.size() - 1);
    if (!headerSst.isEmpty()) {
        // Shared strings live in the globals: SST and its CONTINUE records.
        QList<QByteArray> parts;
        for (qsizetype i = 0; i < FGlobals.size(); ++i)
            if (FGlobals[i].Type == RecSst) {
                parts << FGlobals[i].Data;
                while (i + 1 < FGlobals.size() && FGlobals[i + 1].Type == RecContinue)
                    parts << FGlobals[++i].Data;
                break;
            }
        if (parts.isEmpty())
            Damaged();
        TStringReader sst(parts, 8);
        const quint32 wanted = *std::max_element(headerSst.begin(), headerSst.end());
        const quint32 unique = U32(parts[0], 4);
        if (wanted >= unique)
            Damaged();
        QList<QString> strings;
        for (quint32 s = 0; s <= wanted; ++s)
            strings << sst.Read(sst.Word(), true);
        for (auto it = headerSst.cbegin(); it != headerSst.cend(); ++it)
            header[it.key()] = strings[it.value()];
    }
    for (int c = 0; header.contains(c); ++c)
        FColumns << header[c];
    FNextRow = lastRow + 1;
    FFirstNewRow = FNextRow;
    int xfCount = 0;
    for (const TRecord &record : FGlobals)
        xfCount += record.Type == RecXf;
    for (quint16 &xf : FColumnXf)
        if (xf >= xfCount)
            xf = 0xFFFF;
    FColumnXf.resize(std::max<qsizetype>(FColumnXf.size(), 256), 0xFFFF);
    for (quint16 &xf : FColumnXf)
        if (xf == 0xFFFF)
            xf = xfCount > DefaultCellXf ? DefaultCellXf : 0;
}

void TclsWorkbook::AppendRow(const QStringList &Values)
{
    if (FNextRow >= MaxRows)
        throw TclsWorkbookError(QStringLiteral("工作表已满：Excel 97-2003 工作表最多 %1 行。").arg(MaxRows));
    const int columns = std::min<int>(static_cast<int>(Values.size()), 256);
    int first = -1, last = -1;
    for (int c = 0; c < columns; ++c) {
        if (Values[c].isEmpty())
            continue;
        if (first < 0)
            first = c;
        last = c;
        QByteArray cell;
        Add16(cell, quint16(FNextRow));
        Add16(cell, quint16(c));
        Add16(cell, FColumnXf[c]);
        cell += LongString(Values[c]);
        AddRecord(FBlockCells, RecLabel, cell);
    }
    if (first >= 0) {
        QByteArray row;
        Add16(row, quint16(FNextRow));
        Add16(row, quint16(first));
        Add16(row, quint16(last + 1));
        Add16(row, 0x00FF); // default height
        Add16(row, 0);
        Add16(row, 0);
        Add32(row, 0x00000100);
        AddRecord(FBlockRows, RecRow, row);
        FMaxColumns = std::max(FMaxColumns, last + 1);
    }
    ++FNextRow;
    if (++FBlockCount == 32) {
        FAppended += FBlockRows + FBlockCells;
        FBlockRows.clear();
        FBlockCells.clear();
        FBlockCount = 0;
    }
}

QByteArray TclsWorkbook::Save() const
{
    const QByteArray appended = FAppended + FBlockRows + FBlockCells;
    // Each sheet's bytes first: the globals then learn where every sheet begins.
    QList<QByteArray> sheets;
    for (qsizetype s = 0; s < FSheets.size(); ++s) {
        QByteArray out;
        const QList<TRecord> &records = FSheets[s].Records;
        for (qsizetype i = 0; i < records.size(); ++i) {
            if (s == FTarget && i == FInsertAt)
                out += appended;
            const TRecord &record = records[i];
            // Stream positions of the cell table go stale once anything
            // before them moves; readers do without.
            if (record.Type == RecIndex)
                continue;
            if (s == FTarget && record.Type == RecDimensions && record.Data.size() >= 14) {
                QByteArray data = record.Data;
                const quint32 rows = std::max<quint32>(U32(data, 4), quint32(FNextRow));
                const quint16 cols = std::max<quint16>(U16(data, 10), quint16(FMaxColumns));
                qToLittleEndian<quint32>(rows, data.data() + 4);
                qToLittleEndian<quint16>(cols, data.data() + 10);
                AddRecord(out, record.Type, data);
                continue;
            }
            AddRecord(out, record.Type, record.Data);
        }
        sheets << out;
    }
    qsizetype globalsSize = 0;
    for (const TRecord &record : FGlobals)
        globalsSize += 4 + record.Data.size();
    QList<TRecord> globals = FGlobals;
    qsizetype offset = globalsSize;
    for (qsizetype s = 0; s < FSheets.size(); ++s) {
        qToLittleEndian<quint32>(quint32(offset), globals[FSheets[s].Bound].Data.data());
        offset += sheets[s].size();
    }
    QByteArray stream;
    stream.reserve(offset);
    for (const TRecord &record : globals)
        AddRecord(stream, record.Type, record.Data);
    for (const QByteArray &sheet : sheets)
        stream += sheet;
    return CompoundFile::WriteSingleStream(QStringLiteral("Workbook"), stream);
}

QByteArray TclsWorkbook::NewWorkbook(const QString &SheetName, const QStringList &Columns,
                                     const QList<int> &Widths, const QString &FontName)
{
    auto bof = [](quint16 Kind) {
        QByteArray data;
        for (quint16 v : {quint16(0x0600), Kind, quint16(0x0DBB), quint16(0x07CC)})
            Add16(data, v);
        Add32(data, 0);
        Add32(data, 0x06);
        return data;
    };
    auto font = [&](bool Bold) {
        QByteArray data;
        for (quint16 v : {quint16(220), quint16(0), quint16(0x7FFF), quint16(Bold ? 700 : 400), quint16(0)})
            Add16(data, v);
        data.append(char(0));    // no underline
        data.append(char(0));    // family
        data.append(char(0x86)); // GB2312 character set
        data.append(char(0));
        return data + ShortString(FontName);
    };
    auto xf = [](quint16 Font, quint16 Protection, quint8 Used) {
        QByteArray data;
        Add16(data, Font);
        Add16(data, 0);
        Add16(data, Protection);
        data.append(char(0x20)); // bottom aligned
        data.append(char(0));
        data.append(char(0));
        data.append(char(Used));
        data.append(8, '\0');
        Add16(data, 0x20C0); // automatic pattern colours
        return data;
    };
    QByteArray globals;
    AddRecord(globals, RecBof, bof(0x0005));
    QByteArray codepage;
    Add16(codepage, 1200);
    AddRecord(globals, 0x0042, codepage);
    QByteArray window1;
    for (quint16 v : {quint16(0x01E0), quint16(0x005A), quint16(0x3FCF), quint16(0x2A4E), quint16(0x0038),
                      quint16(0), quint16(0), quint16(1), quint16(0x0258)})
        Add16(window1, v);
    AddRecord(globals, 0x003D, window1);
    for (int i = 0; i < 4; ++i)
        AddRecord(globals, 0x0031, font(false));
    AddRecord(globals, 0x0031, font(true)); // index 5: index 4 is never used
    AddRecord(globals, RecXf, xf(0, 0xFFF5, 0x00));
    for (int i = 1; i < 15; ++i)
        AddRecord(globals, RecXf, xf(0, 0xFFF5, 0xF4));
    AddRecord(globals, RecXf, xf(0, 0x0001, 0x00)); // 15: the default cell
    AddRecord(globals, RecXf, xf(5, 0x0001, 0x08)); // 16: the header row, bold
    AddRecord(globals, 0x0293, QByteArray::fromHex("008000FF"));
    QByteArray bound;
    Add32(bound, 0); // the sheet's position, set once the globals are complete
    bound.append(char(0));
    bound.append(char(0));
    bound += ShortString(SheetName);
    const qsizetype boundAt = globals.size() + 4;
    AddRecord(globals, RecBoundSheet, bound);
    AddRecord(globals, RecEof, {});

    QByteArray sheet;
    AddRecord(sheet, RecBof, bof(0x0010));
    QByteArray defWidth;
    Add16(defWidth, 8);
    AddRecord(sheet, 0x0055, defWidth);
    for (int c = 0; c < Columns.size(); ++c) {
        QByteArray info;
        for (quint16 v :
             {quint16(c), quint16(c), quint16(std::clamp(Widths.value(c, 10), 1, 255) * 256 + 200),
              DefaultCellXf, quint16(0), quint16(0)})
            Add16(info, v);
        AddRecord(sheet, RecColInfo, info);
    }
    QByteArray dims;
    Add32(dims, 0);
    Add32(dims, 1);
    Add16(dims, 0);
    Add16(dims, quint16(Columns.size()));
    Add16(dims, 0);
    AddRecord(sheet, RecDimensions, dims);
    QByteArray row;
    for (quint16 v :
         {quint16(0), quint16(0), quint16(Columns.size()), quint16(0x00FF), quint16(0), quint16(0)})
        Add16(row, v);
    Add32(row, 0x00000100);
    AddRecord(sheet, RecRow, row);
    for (int c = 0; c < Columns.size(); ++c) {
        QByteArray cell;
        for (quint16 v : {quint16(0), quint16(c), quint16(16)})
            Add16(cell, v);
        AddRecord(sheet, RecLabel, cell + LongString(Columns[c]));
    }
    QByteArray window2;
    Add16(window2, 0x06B6);
    Add16(window2, 0);
    Add16(window2, 0);
    Add32(window2, 0x40);
    Add16(window2, 0);
    Add16(window2, 0);
    Add32(window2, 0);
    AddRecord(sheet, 0x023E, window2);
    AddRecord(sheet, RecEof, {});
    qToLittleEndian<quint32>(quint32(globals.size()), globals.data() + boundAt);
    return CompoundFile::WriteSingleStream(QStringLiteral("Workbook"), globals + sheet);
}
