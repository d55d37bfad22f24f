// A new workbook of one worksheet, as the export templates are made.
#include "reports/workbook/unt_clsWorkbook.h"

#include "reports/workbook/unt_clsBiff.h"

#include <QtEndian>

#include <algorithm>

using namespace Biff;

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
