#include "reports/workbook/unt_clsWorkbook.h"

#include "reports/workbook/unt_clsBiff.h"

#include <QHash>
#include <QMap>
#include <QtEndian>

#include <algorithm>
#include <bit>

using namespace Binary;
using namespace Biff;

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

QList<QStringList> TclsWorkbook::Rows(int Columns, qint64 MaxChars, qint64 MaxCells) const
{
    qint64 chars = 0, cells = 0;
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
        if (MaxChars >= 0 && (chars += text.size()) > MaxChars)
            throw TclsWorkbookError(
                QStringLiteral("文件中的文字展开后超过 %1 万个字符，不像是账单。").arg(MaxChars / 10000));
        QStringList &row = rows[U16(d, 0)];
        if (MaxCells >= 0 && (cells += std::max<qsizetype>(1, U16(d, 2) + 1 - row.size())) > MaxCells)
            throw TclsWorkbookError(
                QStringLiteral("文件中的单元格超过 %1 万个，不像是账单。").arg(MaxCells / 10000));
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
        AddLabel(FBlockCells, quint16(FNextRow), quint16(c), FColumnXf[c], Values[c]);
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
        FAppended.append(FBlockRows).append(FBlockCells);
        FBlockRows.resize(0);
        FBlockCells.resize(0);
        FBlockCount = 0;
    }
}

QByteArray TclsWorkbook::Save() const
{
    // Each sheet's bytes first: the globals then learn where every sheet begins.
    QList<QByteArray> sheets;
    for (qsizetype s = 0; s < FSheets.size(); ++s) {
        QByteArray out;
        const QList<TRecord> &records = FSheets[s].Records;
        if (s == FTarget)
            out.reserve(FAppended.size() + FBlockRows.size() + FBlockCells.size() + 4096);
        for (qsizetype i = 0; i < records.size(); ++i) {
            if (s == FTarget && i == FInsertAt)
                out.append(FAppended).append(FBlockRows).append(FBlockCells);
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
