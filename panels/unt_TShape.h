#pragma once
// A flat drawn shape: a rounded rectangle or rectangle with its own pen and
// brush, the base of the skin's buttons.
#include <QWidget>

class TShape : public QWidget {
    Q_OBJECT
public:
    enum class TKind { RoundRect, Rectangle };
    explicit TShape(QWidget *Parent, TKind Kind = TKind::RoundRect);

    void SetPen(Qt::PenStyle Style, const QColor &Color);
    void SetPenStyle(Qt::PenStyle Style);
    void SetPenColor(const QColor &Color);
    void SetBrush(Qt::BrushStyle Style, const QColor &Color);
    void SetBrushStyle(Qt::BrushStyle Style);
    void SetBrushColor(const QColor &Color);
    Qt::PenStyle PenStyle() const { return FPenStyle; }
    QColor PenColor() const { return FPenColor; }
    Qt::BrushStyle BrushStyle() const { return FBrushStyle; }
    QColor BrushColor() const { return FBrushColor; }

protected:
    void paintEvent(QPaintEvent *Event) override;

private:
    TKind FKind;
    Qt::PenStyle FPenStyle = Qt::SolidLine;
    QColor FPenColor = Qt::black;
    Qt::BrushStyle FBrushStyle = Qt::SolidPattern;
    QColor FBrushColor = Qt::white;
};
