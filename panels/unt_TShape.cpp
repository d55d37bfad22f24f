#include "panels/unt_TShape.h"

#include <QPainter>

TShape::TShape(QWidget *Parent, TKind Kind) : QWidget(Parent), FKind(Kind)
{
    setAttribute(Qt::WA_TranslucentBackground);
}

void TShape::SetPen(Qt::PenStyle Style, const QColor &Color)
{
    FPenStyle = Style;
    FPenColor = Color;
    update();
}

void TShape::SetPenStyle(Qt::PenStyle Style)
{
    FPenStyle = Style;
    update();
}

void TShape::SetPenColor(const QColor &Color)
{
    FPenColor = Color;
    update();
}

void TShape::SetBrush(Qt::BrushStyle Style, const QColor &Color)
{
    FBrushStyle = Style;
    FBrushColor = Color;
    update();
}

void TShape::SetBrushStyle(Qt::BrushStyle Style)
{
    FBrushStyle = Style;
    update();
}

void TShape::SetBrushColor(const QColor &Color)
{
    FBrushColor = Color;
    update();
}

void TShape::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, FKind == TKind::RoundRect);
    painter.setPen(FPenStyle == Qt::NoPen ? QPen(Qt::NoPen) : QPen(FPenColor, 1, FPenStyle));
    painter.setBrush(QBrush(FBrushColor, FBrushStyle));
    // A one-pixel pen is centred on the pixel grid; without a pen the fill
    // covers the whole widget.
    const QRectF area =
        FPenStyle == Qt::NoPen ? QRectF(rect()) : QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    if (FKind == TKind::RoundRect) {
        const qreal radius = qMin(width(), height()) / 4.0;
        painter.drawRoundedRect(area, radius, radius);
    } else {
        painter.drawRect(area);
    }
}
