#include "reports/unt_reportRows.h"

#include "data/unt_clsAmount.h"
#include "data/unt_clsBase64.h"
#include "data/unt_clsText.h"

#include <algorithm>

namespace ReportRowsBuilder
{
namespace
{

// Byte length of the GB18030 character starting at Bytes[At].
int CharLength(const QByteArray &Bytes, qsizetype At)
{
    const auto lead = static_cast<unsigned char>(Bytes[At]);
    if (lead < 0x81 || lead == 0xFF || At + 1 >= Bytes.size())
        return 1;
    const auto second = static_cast<unsigned char>(Bytes[At + 1]);
    return (second >= 0x30 && second <= 0x39) ? 4 : 2;
}

// The words the conversion looks for, encoded once.
struct TWords {
    QByteArray Out = Bytes(QStringLiteral("支出"));
    QByteArray In = Bytes(QStringLiteral("收入"));
    QByteArray Total = Bytes(QStringLiteral("合计"));
    QByteArray Balance = Bytes(QStringLiteral("结余"));
};

const TWords &Words()
{
    static const TWords words;
    return words;
}

QByteArray Blank(int Width)
{
    return QByteArray(Width, ' ');
}

void AppendRow(ReportRows &Rows, std::array<QByteArray, 5> Cells)
{
    for (int c = 0; c < 5; ++c)
        Rows[c].append(std::move(Cells[c]));
}

void PadRow(ReportRows &Rows, qsizetype I, const std::array<int, 5> &Widths)
{
    for (int c = 0; c < 5; ++c)
        Rows[c][I] = Pad(Rows[c][I], Widths[c]);
}

} // namespace

QByteArray Bytes(const QString &Text)
{
    return Base64::ToGB18030(Text);
}

QByteArray Pad(const QByteArray &Cell, int Width)
{
    // Cells are padded again at every step of a layout: one that already
    // fits exactly is shared, not copied.
    if (Cell.size() == Width)
        return Cell;
    if (Cell.size() < Width) {
        QByteArray padded;
        padded.reserve(Width);
        padded.append(Cell).append(Width - Cell.size(), ' ');
        return padded;
    }
    qsizetype end = 0;
    while (end < Cell.size()) {
        const int length = CharLength(Cell, end);
        if (end + length > Width)
            break;
        end += length;
    }
    return Cell.left(end) + Blank(Width - static_cast<int>(end));
}

QByteArray RightAmount(const QByteArray &Value)
{
    const QByteArrayView value = QByteArrayView(Value).trimmed();
    // A value too long for its column keeps every digit by taking the
    // spaces behind it, but always leaves one before the next column; a
    // longer one still takes the memo's first bytes (FitMemo).
    const qsizetype before = value.size() <= 12 ? 12 - value.size() : value.size() <= 15 ? 15 - value.size() : 0;
    const qsizetype after = value.size() <= 12 ? 4 : 1;
    QByteArray cell(before + value.size() + after, ' ');
    std::copy(value.begin(), value.end(), cell.begin() + before);
    return cell;
}

void FitMemo(ReportRows &Rows, qsizetype Index)
{
    qsizetype width = 0;
    for (const auto &column : Rows)
        width += column[Index].size();
    QByteArray &memo = Rows[4][Index];
    if (width > LineWidth)
        memo = Pad(memo, static_cast<int>(std::max<qsizetype>(0, memo.size() - (width - LineWidth))));
}

QByteArray PeriodText(const QDate &From, const QDate &To)
{
    const qint64 days = From.daysTo(To) + 1;
    return Bytes(From.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral("至") +
                 To.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral("  %1天").arg(days));
}

std::array<QByteArray, 5> RecordRow1(const TRangeRecords &Records, qsizetype I, TRecordCells *Cells)
{
    // The texts' GB18030 bytes are their stored form decoded, never a
    // conversion of the text back again.
    const TRangeRecord &record = Records.At(I);
    auto date = [&] { return Pad(Records.DateText(I).toLatin1(), Widths1[0]); };
    auto type = [&] { return Pad(Records.TypeBytes(I), Widths1[1]); };
    auto name = [&] { return Pad(Pad(Records.NameBytes(I), NameLimit), Widths1[2]); };
    std::array<QByteArray, 5> row;
    if (Cells) {
        if (Cells->Day != record.Day) {
            Cells->Day = record.Day;
            Cells->DateCell = date();
        }
        row[0] = Cells->DateCell;
        auto cached = [&](std::vector<QByteArray> &Made, quint32 Text, auto Make) {
            if (Made.size() <= Text)
                Made.resize(size_t(Records.TextCount()));
            if (Made[Text].isNull())
                Made[Text] = Make();
            return Made[Text];
        };
        row[1] = cached(Cells->TypeCells, record.Type, type);
        row[2] = cached(Cells->NameCells, record.Name, name);
    } else {
        row = {date(), type(), name(), {}, {}};
    }
    row[3] = Pad(FormatMoneyBytes(record.Money), Widths1[3]);
    row[4] = Pad(OneLineBytes(Records.MemoBytes(I)), Widths1[4]);
    return row;
}

ReportRows SummaryRows1(const TRangeRecords &Records)
{
    const TDayTotals totals = Records.Totals();
    ReportRows rows;
    AppendRow(rows, {Blank(Widths1[0]), Blank(Widths1[1]), Blank(Widths1[2]), Blank(Widths1[3]),
                     Blank(Widths1[4])});
    const QByteArray period = Pad(PeriodText(Records.From(), Records.To()), Widths1[4]);
    const std::pair<const char *, double> sums[] = {
        {"支出合计", totals.Out}, {"收入合计", totals.In}, {"结余合计", totals.Balance}};
    for (const auto &[caption, value] : sums)
        AppendRow(rows,
                  {Blank(Widths1[0]), Blank(Widths1[1]), Pad(Bytes(QString::fromUtf8(caption)), Widths1[2]),
                   Pad(FormatMoney(value).toLatin1(), Widths1[3]), period});
    return rows;
}

ReportRows BuildRows1(const TRangeRecords &Records)
{
    ReportRows rows;
    const qsizetype count = Records.Count();
    for (auto &column : rows)
        column.reserve(count + 4);
    for (qsizetype j = 0; j < count; ++j)
        AppendRow(rows, RecordRow1(Records, j));
    const ReportRows summary = SummaryRows1(Records);
    for (int c = 0; c < 5; ++c)
        rows[c] += summary[c];
    return rows;
}

void ConvertRow2(ReportRows &L, qsizetype I)
{
    const TWords &w = Words();
    if (L[1][I].contains(w.Out)) {
        L[1][I] = L[2][I];
        L[2][I].clear();
    } else if (L[1][I].contains(w.In)) {
        L[1][I] = L[2][I];
        L[2][I] = L[3][I];
        L[3][I].clear();
    } else if (L[2][I].contains(w.Out)) {
        L[1][I] = w.Total;
    } else if (L[2][I].contains(w.In)) {
        if (I > 0)
            L[2][I - 1] = L[3][I];
    } else if (!L[3][I].trimmed().isEmpty()) {
        L[1][I] = w.Balance;
        L[2][I] = L[3][I];
        L[3][I].clear();
    }
    PadRow(L, I, Widths2);
}

bool GivesToRowBefore2(const std::array<QByteArray, 5> &Row)
{
    const TWords &w = Words();
    return !Row[1].contains(w.Out) && !Row[1].contains(w.In) && !Row[2].contains(w.Out) &&
           Row[2].contains(w.In);
}

void FinishRow2(ReportRows &L, qsizetype I)
{
    L[0][I] = Pad(L[0][I], Widths2[0]);
    L[1][I] = Pad(L[1][I], Widths2[1]);
    L[2][I] = RightAmount(L[2][I]);
    L[3][I] = RightAmount(L[3][I]);
    L[4][I] = Pad(L[4][I], Widths2[4]);
    FitMemo(L, I);
}

void ConvertRows2(ReportRows &L)
{
    const qsizetype count = L[0].size();
    for (qsizetype i = 0; i < count; ++i)
        ConvertRow2(L, i);
    // The income total now sits in the row before; its own row goes.
    if (count >= 2)
        for (auto &column : L)
            column.removeAt(count - 2);
    for (qsizetype i = 0; i < L[0].size(); ++i)
        FinishRow2(L, i);
}

void AlignRow1(ReportRows &Rows, qsizetype I)
{
    Rows[3][I] = RightAmount(Rows[3][I]);
    FitMemo(Rows, I);
}

void AlignAmounts1(ReportRows &Rows)
{
    for (qsizetype i = 0; i < Rows[3].size(); ++i)
        AlignRow1(Rows, i);
}

QByteArray Header1()
{
    return Pad(Bytes(QStringLiteral("日期")), 14) + Pad(Bytes(QStringLiteral("类别")), 8) +
           Pad(Bytes(QStringLiteral("项目")), 24) + RightAmount(Bytes(QStringLiteral("金额"))) +
           Pad(Bytes(QStringLiteral("备注")), 58);
}

QByteArray Header2()
{
    return Pad(Bytes(QStringLiteral("日期")), 14) + Pad(Bytes(QStringLiteral("项目")), 24) +
           RightAmount(Bytes(QStringLiteral("收入"))) + RightAmount(Bytes(QStringLiteral("支出"))) +
           Pad(Bytes(QStringLiteral("备注")), 50);
}

QByteArray Rule()
{
    return QByteArray(LineWidth, '-');
}

QByteArray JoinRow(const ReportRows &Rows, qsizetype Index)
{
    QByteArray line;
    line.reserve(LineWidth);
    for (const auto &column : Rows)
        line += column[Index];
    return line;
}

} // namespace ReportRowsBuilder
