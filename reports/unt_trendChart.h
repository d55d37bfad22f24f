#pragma once
// The trend drawn: per period an expense bar and an income bar, the balance
// as a line across them, a tip with the period's figures under the mouse.
#include "reports/unt_trendRows.h"

#include <QColor>
#include <QList>
#include <QWidget>

class TTrendChart : public QWidget
{
    Q_OBJECT
  public:
    explicit TTrendChart(QWidget *Parent = nullptr);
    void SetRows(const QList<TTrendRow> &Rows, TTrendPeriod Period);
    // What is drawn: one category of one type has no bars of the other type
    // and no balance line.
    void SetShown(bool Out, bool In, bool Balance);
    bool Shows(bool Income) const { return Income ? FShowIn : FShowOut; }
    bool ShowsBalance() const { return FShowBalance; }
    const QList<TTrendRow> &Rows() const { return FRows; }

    static QColor OutColor() { return {0xE1, 0x57, 0x59}; }
    static QColor InColor() { return {0x59, 0xA1, 0x4F}; }
    static QColor BalanceColor() { return {0x4E, 0x79, 0xA7}; }

    // Where the bars and axes go.
    QRectF Plot() const;
    // Period I's expense or income bar; no height when it is 0.00.
    QRectF BarRect(int I, bool Income) const;
    QPointF BalancePoint(int I) const;
    // The period under a point of the widget, or -1.
    int PeriodAt(const QPoint &Point) const;
    // The periods whose names stand under the axis.
    QList<int> LabelledPeriods() const;
    int Hovered() const { return FHovered; }
    // The width each period has.
    double SlotWidth() const;

  protected:
    void paintEvent(QPaintEvent *Event) override;
    void mouseMoveEvent(QMouseEvent *Event) override;
    void leaveEvent(QEvent *Event) override;

  private:
    struct TScale {
        qint64 Low = 0, High = 100, Step = 20; // cents
    };
    TScale Scale() const;
    double Y(qint64 Cents) const;
    QString AxisText(qint64 Cents) const;
    int AxisWidth() const;

    QList<TTrendRow> FRows;
    TTrendPeriod FPeriod = TTrendPeriod::Month;
    TScale FScale;
    int FHovered = -1;
    bool FShowOut = true, FShowIn = true, FShowBalance = true;
};
