#pragma once
// The fixed-width rows every output of a range is made of. Cells are bytes of
// the stored-text encoding (GB18030, the same bytes as GBK for every GBK
// character), so a Chinese character counts two and the columns of a printed
// or saved line stay aligned. Pure code: no store, no windows.
#include "data/unt_clsDatabaseUser.h"

#include <QByteArray>
#include <QDate>
#include <QList>

#include <array>
#include <vector>

// Five parallel columns; the entries at one index form a row.
using ReportRows = std::array<QList<QByteArray>, 5>;

namespace ReportRowsBuilder
{
// Widths of the layouts' columns, in bytes; each layout sums to 120.
inline constexpr std::array<int, 5> Widths1 = {14, 8, 24, 16, 58};
inline constexpr std::array<int, 5> Widths2 = {14, 24, 16, 16, 50};
inline constexpr int LineWidth = 120;
inline constexpr int NameLimit = 20;

QByteArray Bytes(const QString &Text);
// Fills with spaces or cuts to exactly Width bytes; a cut that would split a
// character leaves a space in place of the part that does not fit.
QByteArray Pad(const QByteArray &Cell, int Width);
// The trimmed value ending at byte 12 of a 16-byte cell, four spaces after
// it; a longer value ends at byte 15, or fills the cell and more, always
// with one space after it.
QByteArray RightAmount(const QByteArray &Value);
// Cuts the memo of a row whose wide amounts made it longer than a line.
void FitMemo(ReportRows &Rows, qsizetype Index);
QByteArray PeriodText(const QDate &From, const QDate &To);

// The layout I rows of a store answer: one per record, a blank row, and the
// expense, income and balance summary rows.
ReportRows BuildRows1(const TRangeRecords &Records);
// Cells that repeat from record to record (a day's date, a type's and a
// name's cell), made once for a caller that keeps this beside its rows.
struct TRecordCells {
    qint32 Day = -1;
    QByteArray DateCell;
    std::vector<QByteArray> TypeCells, NameCells; // by the range's text index
};
// Its parts: the row of record I, and the four rows after the records.
std::array<QByteArray, 5> RecordRow1(const TRangeRecords &Records, qsizetype I, TRecordCells *Cells = nullptr);
ReportRows SummaryRows1(const TRangeRecords &Records);

// Turns layout I rows, in place, into the rows of layout II.
void ConvertRows2(ReportRows &Rows);
// Its steps: the first moves row I's cells to their layout II columns (a row
// naming an income total in its item cell hands its amount to the row
// before); after the income total's own row is gone, the second pads row I.
void ConvertRow2(ReportRows &Rows, qsizetype I);
bool GivesToRowBefore2(const std::array<QByteArray, 5> &Row);
void FinishRow2(ReportRows &Rows, qsizetype I);

// Layout I as printed and saved as text: the amount column right-aligned.
void AlignAmounts1(ReportRows &Rows);
void AlignRow1(ReportRows &Rows, qsizetype I);

QByteArray Header1();
QByteArray Header2();
QByteArray Rule();
QByteArray JoinRow(const ReportRows &Rows, qsizetype Index);
} // namespace ReportRowsBuilder
