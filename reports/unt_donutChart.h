#pragma once
// A donut chart of the category shares: one slice per category in the
// list's order, the categories after the eighth merged into "其他".
#include "data/unt_clsDatabaseUser.h"

#include <QColor>
#include <QList>
#include <QWidget>

struct TSlice {
    QString Name;
    double Total = 0;
    double Percent = 0;
    // QPainter angles in sixteenths of a degree: from twelve o'clock, clockwise.
    int Start16 = 0;
    int Span16 = 0;
    QColor Color;
};

inline constexpr int OwnSlices = 8;
QList<TSlice> DonutSlices(const TotalsLists &Totals);

class TDonutChart : public QWidget
{
    Q_OBJECT
  public:
    explicit TDonutChart(QWidget *Parent = nullptr);
    void SetTotals(const TotalsLists &Totals);
    const QList<TSlice> &Slices() const { return FSlices; }
    int Hovered() const { return FHovered; }
    // The slice under a point of the widget, or -1.
    int SliceAt(const QPoint &Point) const;
    // Where each slice's legend entry is drawn.
    QList<QRect> LegendRects() const;

  protected:
    void paintEvent(QPaintEvent *Event) override;
    void mouseMoveEvent(QMouseEvent *Event) override;
    void leaveEvent(QEvent *Event) override;

  private:
    QRectF Ring() const;
    int LegendColumns() const;
    int LegendLineHeight() const;
    bool AllZero() const;
    QList<TSlice> FSlices;
    int FHovered = -1;
};
