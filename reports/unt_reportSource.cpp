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

QByteArray TReportSource::Line(qsizetype I) const
{
    QByteArray line;
    line.reserve(LineWidth);
    for (const QByteArray &cell : Row(I))
        line += cell;
    return line;
}
