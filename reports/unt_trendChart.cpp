#include "reports/unt_trendChart.h"

#include "data/unt_clsAmount.h"

#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace
{
constexpr int LegendHeight = 22, RightMargin = 12, TickGap = 6;

// A step of 1, 2 or 5 times a power of ten cents with about five steps
// between Low and High.
qint64 NiceStep(qint64 Span)
{
    const qint64 rough = std::max<qint64>(Span / 5, 1);
    for (qint64 power = 1;; power *= 10)
        for (qint64 factor : {1, 2, 5})
            if (power * factor >= rough || power > qint64(1) << 58)
                return power * factor;
}

qint64 FloorTo(qint64 Value, qint64 Step)
{
    const qint64 q = Value / Step;
    return (Value % Step != 0 && Value < 0 ? q - 1 : q) * Step;
}

qint64 CeilTo(qint64 Value, qint64 Step)
{
    const qint64 q = Value / Step;
    return (Value % Step != 0 && Value > 0 ? q + 1 : q) * Step;
}
} // namespace

TTrendChart::TTrendChart(QWidget *Parent) : QWidget(Parent)
{
    setMouseTracking(true);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    setPalette(palette);
}

void TTrendChart::SetRows(const QList<TTrendRow> &Rows, TTrendPeriod Period)
{
    FRows = Rows;
    FPeriod = Period;
    FScale = Scale();
    FHovered = -1;
    update();
}

void TTrendChart::SetShown(bool Out, bool In, bool Balance)
{
    FShowOut = Out;
    FShowIn = In;
    FShowBalance = Balance;
    FScale = Scale();
    update();
}

TTrendChart::TScale TTrendChart::Scale() const
{
    qint64 low = 0, high = 0;
    for (const TTrendRow &row : FRows)
        for (qint64 value :
             {FShowOut ? row.Out : 0, FShowIn ? row.In : 0, FShowBalance ? row.Balance() : 0}) {
            low = std::min(low, value);
            high = std::max(high, value);
        }
    if (low == high)
        high = low + 100;
    TScale scale;
    scale.Step = NiceStep(high - low);
    scale.Low = FloorTo(low, scale.Step);
    scale.High = CeilTo(high, scale.Step);
    return scale;
}

QString TTrendChart::AxisText(qint64 Cents) const
{
    // Whole yuan while the steps are, and 万 once the figures grow long.
    const bool tenThousands = std::max(std::abs(FScale.High), std::abs(FScale.Low)) >= 10'000'000;
    const qint64 unit = tenThousands ? 1'000'000 : 100;
    const int decimals = FScale.Step % unit == 0 ? 0 : (FScale.Step * 10) % unit == 0 ? 1 : 2;
    return QString::number(double(Cents) / double(unit), 'f', decimals) +
           (tenThousands ? QStringLiteral("万") : QString());
}

int TTrendChart::AxisWidth() const
{
    int widest = 0;
    for (qint64 tick = FScale.Low; tick <= FScale.High; tick += FScale.Step)
        widest = std::max(widest, fontMetrics().horizontalAdvance(AxisText(tick)));
    return widest + TickGap + 4;
}

QRectF TTrendChart::Plot() const
{
    const int left = AxisWidth(), bottom = fontMetrics().height() + 8;
    return QRectF(left, LegendHeight, std::max(10, width() - left - RightMargin),
                  std::max(10, height() - LegendHeight - bottom));
}

double TTrendChart::SlotWidth() const
{
    return FRows.isEmpty() ? Plot().width() : Plot().width() / double(FRows.size());
}

double TTrendChart::Y(qint64 Cents) const
{
    const QRectF plot = Plot();
    const double share = double(Cents - FScale.Low) / double(FScale.High - FScale.Low);
    return plot.bottom() - share * plot.height();
}

QRectF TTrendChart::BarRect(int I, bool Income) const
{
    const double slot = SlotWidth();
    const double bar = std::clamp(slot * 0.35, 1.0, 28.0); // a few periods keep slim bars
    const double left = Plot().left() + slot * I + (slot - 2 * bar) / 2 + (Income ? bar : 0);
    const qint64 value = Income ? FRows[I].In : FRows[I].Out;
    return QRectF(QPointF(left, Y(0)), QPointF(left + bar, Y(value))).normalized();
}

QPointF TTrendChart::BalancePoint(int I) const
{
    return {Plot().left() + SlotWidth() * (I + 0.5), Y(FRows[I].Balance())};
}

int TTrendChart::PeriodAt(const QPoint &Point) const
{
    const QRectF plot = Plot();
    if (FRows.isEmpty() || !plot.adjusted(0, 0, 0, fontMetrics().height() + 8).contains(Point))
        return -1;
    return std::clamp(int((Point.x() - plot.left()) / SlotWidth()), 0, int(FRows.size()) - 1);
}

QList<int> TTrendChart::LabelledPeriods() const
{
    // Every k-th period by the calendar (every January, every fifth year),
    // k the least that keeps the names apart.
    int widest = 0;
    for (const TTrendRow &row : FRows)
        widest = std::max(widest, fontMetrics().horizontalAdvance(row.Label));
    const double slot = SlotWidth();
    int every = 1;
    const int steps[] = {1, 2, 3, 4, 6, 12, 24, 36, 60, 120, 240, 600, 1200};
    for (int step : steps) {
        every = step;
        if (slot * step >= widest + 10)
            break;
    }
    QList<int> labelled;
    for (int i = 0; i < FRows.size(); ++i) {
        const QDate from = FRows[i].From;
        const int ordinal =
            FPeriod == TTrendPeriod::Month ? from.year() * 12 + from.month() - 1 : from.year();
        if (ordinal % every == 0 || FRows.size() == 1)
            labelled << i;
    }
    return labelled;
}

void TTrendChart::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRectF plot = Plot();
    const QFontMetrics metrics = fontMetrics();
    // The legend.
    int x = int(plot.left());
    const int legendY = 4, swatch = metrics.height() - 4;
    const std::pair<QColor, QString> legend[] = {{OutColor(), QStringLiteral("支出")},
                                                 {InColor(), QStringLiteral("收入")},
                                                 {BalanceColor(), QStringLiteral("结余")}};
    const bool shown[] = {FShowOut, FShowIn, FShowBalance};
    for (int k = 0; k < 3; ++k) {
        const auto &[color, text] = legend[k];
        if (!shown[k])
            continue;
        if (text == QStringLiteral("结余"))
            painter.fillRect(QRect(x, legendY + swatch / 2, swatch, 2), color);
        else
            painter.fillRect(QRect(x, legendY + 2, swatch, swatch - 2), color);
        painter.setPen(Qt::black);
        painter.drawText(QPoint(x + swatch + 4, legendY + metrics.ascent()), text);
        x += swatch + 4 + metrics.horizontalAdvance(text) + 16;
    }
    // The grid and the amounts beside it.
    for (qint64 tick = FScale.Low; tick <= FScale.High; tick += FScale.Step) {
        const double y = Y(tick);
        painter.setPen(tick == 0 ? QColor(0x60, 0x60, 0x60) : QColor(0xE4, 0xE4, 0xE4));
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        painter.setPen(Qt::black);
        const QString text = AxisText(tick);
        painter.drawText(QRectF(0, y - metrics.height() / 2.0, plot.left() - TickGap, metrics.height()),
                         Qt::AlignRight | Qt::AlignVCenter, text);
    }
    painter.setPen(QColor(0x60, 0x60, 0x60));
    painter.drawLine(plot.bottomLeft(), plot.topLeft());
    if (FRows.isEmpty()) {
        painter.setPen(QColor(0x80, 0x80, 0x80));
        painter.drawText(plot, Qt::AlignCenter, QStringLiteral("无记录"));
        return;
    }
    const double slot = SlotWidth();
    if (FHovered >= 0)
        painter.fillRect(QRectF(plot.left() + slot * FHovered, plot.top(), slot, plot.height()),
                         QColor(0xF0, 0xF0, 0xF0));
    for (int i = 0; i < FRows.size(); ++i) {
        if (FShowOut)
            painter.fillRect(BarRect(i, false), OutColor());
        if (FShowIn)
            painter.fillRect(BarRect(i, true), InColor());
    }
    // The balance over the bars, smoothed; dots while there is room.
    painter.setRenderHint(QPainter::Antialiasing);
    QPolygonF line;
    for (int i = 0; i < FRows.size(); ++i)
        line << BalancePoint(i);
    if (!FShowBalance)
        line.clear();
    painter.setPen(QPen(BalanceColor(), 2));
    painter.drawPolyline(line);
    if (slot >= 8) {
        painter.setBrush(BalanceColor());
        for (const QPointF &point : line)
            painter.drawEllipse(point, 2.5, 2.5);
    }
    painter.setRenderHint(QPainter::Antialiasing, false);
    // The periods' names under the axis.
    painter.setPen(Qt::black);
    const double labelTop = plot.bottom() + 4;
    for (int i : LabelledPeriods()) {
        const double centre = plot.left() + slot * (i + 0.5);
        const int w = metrics.horizontalAdvance(FRows[i].Label);
        const double left = std::clamp(centre - w / 2.0, 0.0, double(width() - w));
        painter.drawLine(QPointF(centre, plot.bottom()), QPointF(centre, plot.bottom() + 3));
        painter.drawText(QPointF(left, labelTop + metrics.ascent()), FRows[i].Label);
    }
}

void TTrendChart::mouseMoveEvent(QMouseEvent *Event)
{
    const int hovered = PeriodAt(Event->position().toPoint());
    if (hovered != FHovered) {
        FHovered = hovered;
        update();
    }
    if (hovered < 0) {
        QToolTip::hideText();
        return;
    }
    const TTrendRow &row = FRows[hovered];
    QToolTip::showText(
        Event->globalPosition().toPoint(),
        QStringLiteral("%1\n支出：%2\n收入：%3\n结余：%4")
            .arg(row.Label, FormatCents(row.Out), FormatCents(row.In), FormatCents(row.Balance())),
        this);
}

void TTrendChart::leaveEvent(QEvent *)
{
    FHovered = -1;
    QToolTip::hideText();
    update();
}
