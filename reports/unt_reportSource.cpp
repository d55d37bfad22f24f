#include "reports/unt_reportSource.h"

using namespace ReportRowsBuilder;

namespace
{
bool PlainType(const QString &Type)
{
    return Type == QStringLiteral("支出") || Type == QStringLiteral("收入");
}
} // namespace

TReportSource::TReportSource(const TRangeRecords &Records, TReportLayout Layout)
    : FRecords(Records), FLayout(Layout), FSummary(SummaryRows1(Records))
{
    for (auto &column : FScratch)
        column.resize(2);
    // The summary rows only ever reach back into each other (the income
    // total moves up a row), so they convert alone just as in a whole list.
    if (FLayout == TReportLayout::Layout2)
        ConvertRows2(FSummary);
    else if (FLayout == TReportLayout::Aligned1)
        AlignAmounts1(FSummary);
}

qsizetype TReportSource::Count() const
{
    return FRecords.Count() + FSummary[0].size();
}

std::array<QByteArray, 5> TReportSource::Row(qsizetype I) const
{
    const qsizetype records = FRecords.Count();
    if (I >= records) {
        std::array<QByteArray, 5> row;
        for (int c = 0; c < 5; ++c)
            row[c] = FSummary[c][I - records];
        return row;
    }
    if (FLayout == TReportLayout::Layout2 && PlainType(FRecords.TypeText(I)) &&
        (I + 1 >= records || PlainType(FRecords.TypeText(I + 1))))
        return PlainRow2(I);
    // Two rows of room, kept between calls: a long range asks for hundreds
    // of thousands of rows.
    ReportRows &rows = FScratch;
    auto put = [&rows](qsizetype At, std::array<QByteArray, 5> Row) {
        for (int c = 0; c < 5; ++c)
            rows[c][At] = std::move(Row[c]);
    };
    put(0, RecordRow1(FRecords, I, &FCells));
    switch (FLayout) {
    case TReportLayout::Rows1:
        break;
    case TReportLayout::Aligned1:
        AlignRow1(rows, 0);
        break;
    case TReportLayout::Layout2: {
        // A record of a type neither expense nor income whose item names an
        // income hands its amount to the row before, as in a whole list.
        // Such a record is rare: an expense or an income never is one.
        std::array<QByteArray, 5> next;
        const bool nextGives = I + 1 < records && !PlainType(FRecords.TypeText(I + 1)) &&
                               GivesToRowBefore2(next = RecordRow1(FRecords, I + 1, &FCells));
        ConvertRow2(rows, 0);
        if (nextGives) {
            put(1, std::move(next));
            ConvertRow2(rows, 1);
        }
        FinishRow2(rows, 0);
        break;
    }
    }
    return {rows[0][0], rows[1][0], rows[2][0], rows[3][0], rows[4][0]};
}

std::array<QByteArray, 5> TReportSource::PlainRow2(qsizetype I) const
{
    // What ConvertRow2 and FinishRow2 make of an expense or an income that
    // the next record hands nothing: the item moves into the type's place
    // and the amount into its own column, made directly.
    std::array<QByteArray, 5> row = RecordRow1(FRecords, I, &FCells);
    static const QByteArray blank(Widths2[2], ' ');
    const QByteArray amount = RightAmount(row[3]);
    const bool income = FRecords.TypeText(I) == QStringLiteral("收入");
    row[1] = std::move(row[2]);
    row[2] = income ? amount : blank;
    row[3] = income ? blank : amount;
    row[4] = Pad(row[4], Widths2[4]);
    qsizetype width = 0;
    for (const QByteArray &cell : row)
        width += cell.size();
    if (width > LineWidth)
        row[4] = Pad(row[4], int(std::max<qsizetype>(0, row[4].size() - (width - LineWidth))));
    return row;
}

QByteArray TReportSource::Line(qsizetype I) const
{
    QByteArray line;
    line.reserve(LineWidth);
    for (const QByteArray &cell : Row(I))
        line += cell;
    return line;
}
