#include "reports/unt_donutChart.h"

#include "data/unt_clsAmount.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace
{

constexpr double HoleRatio = 0.55;

QColor SliceColor(int Index)
{
    static const QColor palette[] = {QColor(0x4E, 0x79, 0xA7), QColor(0xF2, 0x8E, 0x2B),
                                     QColor(0xE1, 0x57, 0x59), QColor(0x76, 0xB7, 0xB2),
                                     QColor(0x59, 0xA1, 0x4F), QColor(0xED, 0xC9, 0x48),
                                     QColor(0xB0, 0x7A, 0xA1), QColor(0xFF, 0x9D, 0xA7)};
    return Index < OwnSlices ? palette[Index] : QColor(0xBA, 0xB0, 0xAC);
}

} // namespace

QList<TSlice> DonutSlices(const TotalsLists &Totals)
{
    QList<TSlice> slices;
    for (qsizetype i = 0; i < Totals[0].size(); ++i) {
        const double value = std::max(0.0, ParseMoney(Totals[1][i]));
        if (i < OwnSlices)
            slices.append({Totals[0][i], value, 0, 0, 0, SliceColor(static_cast<int>(i))});
        else if (i == OwnSlices)
            slices.append({QStringLiteral("其他"), value, 0, 0, 0, SliceColor(OwnSlices)});
        else
            slices.last().Total += value;
    }
    double sum = 0;
    for (const TSlice &slice : slices)
        sum += slice.Total;
    // Amounts that all round to nothing still have their rows and legend
    // entries; only their ring stays grey.
    if (sum <= 0) {
        for (TSlice &slice : slices)
            slice.Start16 = 90 * 16;
        return slices;
    }
    // Ends are placed by the running share, so rounding never leaves a gap
    // and the last slice closes the ring exactly.
    double running = 0;
    int end16 = 90 * 16;
    for (TSlice &slice : slices) {
        slice.Percent = slice.Total / sum * 100;
        running += slice.Total;
        const int next16 = 90 * 16 - static_cast<int>(std::lround(running / sum * 360 * 16));
        slice.Start16 = end16;
        slice.Span16 = next16 - end16;
        end16 = next16;
    }
    return slices;
}

TDonutChart::TDonutChart(QWidget *Parent) : QWidget(Parent)
{
    setMouseTracking(true);
}

void TDonutChart::SetTotals(const TotalsLists &Totals)
{
    FSlices = DonutSlices(Totals);
    FHovered = -1;
    update();
}

int TDonutChart::LegendColumns() const
{
    return FSlices.size() > 5 ? 2 : 1;
}

int TDonutChart::LegendLineHeight() const
{
    return fontMetrics().height() + 2;
}

QRectF TDonutChart::Ring() const
{
    // The ring gives way to the legend, so every slice keeps its entry.
    const qsizetype rows = (FSlices.size() + LegendColumns() - 1) / LegendColumns();
    const double legend = rows * LegendLineHeight() + 12;
    const double side = std::max(40.0, std::min<double>(width() - 20, height() - 20 - legend));
    return QRectF((width() - side) / 2, 10, side, side);
}

QList<QRect> TDonutChart::LegendRects() const
{
    QList<QRect> rects;
    const int columns = LegendColumns(), lineHeight = LegendLineHeight();
    const int columnWidth = (width() - 16) / columns;
    const int top = static_cast<int>(Ring().bottom()) + 12;
    const qsizetype rows = (FSlices.size() + columns - 1) / columns;
    for (qsizetype i = 0; i < FSlices.size(); ++i)
        rects << QRect(8 + static_cast<int>(i / rows) * columnWidth,
                       top + static_cast<int>(i % rows) * lineHeight, columnWidth - 4, lineHeight);
    return rects;
}

bool TDonutChart::AllZero() const
{
    return std::all_of(FSlices.begin(), FSlices.end(), [](const TSlice &Slice) { return Slice.Span16 == 0; });
}

int TDonutChart::SliceAt(const QPoint &Point) const
{
    const QRectF ring = Ring();
    const QPointF d = QPointF(Point) - ring.center();
    const double r = std::hypot(d.x(), d.y()), outer = ring.width() / 2;
    if (r > outer || r < outer * HoleRatio)
        return -1;
    // Angle counter-clockwise from three o'clock, as QPainter counts.
    double degrees = std::atan2(-d.y(), d.x()) * 180 / std::numbers::pi;
    for (int i = 0; i < FSlices.size(); ++i) {
        const double start = FSlices[i].Start16 / 16.0, end = start + FSlices[i].Span16 / 16.0;
        for (double a : {degrees, degrees + 360, degrees - 360})
            if (a <= start && a >= end)
                return i;
    }
    return -1;
}

void TDonutChart::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF ring = Ring();
    const QRectF hole(ring.center().x() - ring.width() * HoleRatio / 2,
                      ring.center().y() - ring.height() * HoleRatio / 2, ring.width() * HoleRatio,
                      ring.height() * HoleRatio);
    QPainterPath holePath;
    holePath.addEllipse(hole);
    if (FSlices.isEmpty() || AllZero()) {
        QPainterPath empty;
        empty.addEllipse(ring);
        painter.fillPath(empty.subtracted(holePath), QColor(0xE0, 0xE0, 0xE0));
        painter.setPen(QColor(0x80, 0x80, 0x80));
        if (FSlices.isEmpty()) {
            painter.drawText(hole, Qt::AlignCenter, QStringLiteral("无记录"));
            return;
        }
    }
    for (int i = 0; i < FSlices.size(); ++i) {
        const TSlice &slice = FSlices[i];
        if (slice.Span16 == 0)
            continue;
        // The hovered slice stands out a little from the ring.
        const QRectF box = i == FHovered ? ring.adjusted(-6, -6, 6, 6) : ring;
        QPainterPath path;
        path.moveTo(box.center());
        path.arcTo(box, slice.Start16 / 16.0, slice.Span16 / 16.0);
        path.closeSubpath();
        painter.fillPath(path.subtracted(holePath), i == FHovered ? slice.Color.darker(115) : slice.Color);
    }
    if (FHovered >= 0) {
        // A long name is cut to the hole's width rather than running over
        // the ring.
        const QFontMetrics metrics = fontMetrics();
        const int room = static_cast<int>(hole.width() * 0.8);
        painter.setPen(Qt::black);
        painter.drawText(hole, Qt::AlignCenter,
                         metrics.elidedText(FSlices[FHovered].Name, Qt::ElideRight, room) +
                             QStringLiteral("\n%1%").arg(FSlices[FHovered].Percent, 0, 'f', 2));
    }
    // The legend below: a swatch, the name and the share of each slice.
    const QList<QRect> rects = LegendRects();
    for (int i = 0; i < FSlices.size(); ++i) {
        const TSlice &slice = FSlices[i];
        const QRect &text = rects[i];
        painter.fillRect(QRect(text.left(), text.top() + 2, 10, text.height() - 6), slice.Color);
        painter.setPen(Qt::black);
        const QString share = QStringLiteral("%1%").arg(slice.Percent, 0, 'f', 2);
        const QRect label = text.adjusted(14, 0, 0, 0);
        const int shareWidth = fontMetrics().horizontalAdvance(share) + 6;
        painter.drawText(label, Qt::AlignLeft | Qt::AlignVCenter,
                         fontMetrics().elidedText(slice.Name, Qt::ElideRight, label.width() - shareWidth));
        painter.drawText(label, Qt::AlignRight | Qt::AlignVCenter, share);
    }
}

void TDonutChart::mouseMoveEvent(QMouseEvent *Event)
{
    const int hovered = SliceAt(Event->position().toPoint());
    if (hovered != FHovered) {
        FHovered = hovered;
        update();
    }
    if (hovered < 0) {
        QToolTip::hideText();
        return;
    }
    const TSlice &slice = FSlices[hovered];
    QToolTip::showText(Event->globalPosition().toPoint(),
                       QStringLiteral("%1\n金额：%2\n占比：%3%")
                           .arg(slice.Name, FormatMoney(slice.Total))
                           .arg(slice.Percent, 0, 'f', 2),
                       this);
}

void TDonutChart::leaveEvent(QEvent *)
{
    FHovered = -1;
    QToolTip::hideText();
    update();
}
