#pragma once
// An Excel 97-2003 workbook (BIFF8) held in memory: rows of text cells are
// appended below the used rows of one worksheet, and everything else the
// file holds (fonts, column widths, other sheets) is written back as read.
#include "reports/workbook/unt_clsCompoundFile.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

class TclsWorkbook
{
  public:
    // A worksheet of this format holds no more rows.
    static constexpr int MaxRows = 65536;

    // Throws TclsWorkbookError when the bytes are not a BIFF8 workbook or
    // the worksheet is missing.
    TclsWorkbook(const QByteArray &File, const QString &SheetName);

    // The texts of the worksheet's first row, one per column from the first.
    QStringList Columns() const { return FColumns; }
    // Rows in use, the header row included; the next row goes below them.
    int UsedRows() const { return FNextRow; }
    // One text cell per value, from the first column on.
    void AppendRow(const QStringList &Values);
    QByteArray Save() const;
    // Every row of the worksheet as texts (text and number cells), for
    // reading a workbook back in; the first row is row 0, empty rows are
    // left out, columns past Columns are ignored.
    // MaxChars and MaxCells (-1: no limit) bound the characters of all
    // cells together, a shared string counted at each use, and the cells,
    // empty ones before a cell included; past them TclsWorkbookError.
    QList<QStringList> Rows(int Columns = 256, qint64 MaxChars = -1, qint64 MaxCells = -1) const;

    // A new workbook of one worksheet with a header row, each column Widths
    // characters wide, every cell in the face FontName.
    static QByteArray NewWorkbook(const QString &SheetName, const QStringList &Columns,
                                  const QList<int> &Widths, const QString &FontName);

  private:
    struct TRecord {
        quint16 Type;
        QByteArray Data;
    };
    struct TSheet {
        QString Name;
        qsizetype Bound; // index of its BOUNDSHEET in the globals
        QList<TRecord> Records;
    };
    void ReadHeader(const TSheet &Sheet);

    QList<TRecord> FGlobals;
    QList<TSheet> FSheets;
    qsizetype FTarget = -1;
    qsizetype FInsertAt = 0; // record index in the target sheet
    QStringList FColumns;
    QList<quint16> FColumnXf;
    int FNextRow = 0;
    int FFirstNewRow = 0;
    int FMaxColumns = 0;
    // Rows are stored in blocks of 32: their ROW records, then their cells.
    QByteArray FAppended;
    QByteArray FBlockRows, FBlockCells;
    int FBlockCount = 0;
};
