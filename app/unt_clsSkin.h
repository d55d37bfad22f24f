#pragma once
#include <QWidget>

// The main window's painted skin: a gray rounded frame, a wood-grain title
// strip with the program's name, and a white body. Dragging it moves the
// borderless window.
class TclsSkin : public QWidget {
    Q_OBJECT
public:
    explicit TclsSkin(QWidget *Parent);

protected:
    void paintEvent(QPaintEvent *Event) override;
    void mousePressEvent(QMouseEvent *Event) override;

private:
    QPixmap FPicture;
};

// The outline of the main window: a rounded rectangle with 26 x 26 corners.
QRegion RoundedWindowRegion(int Left, int Top, int Right, int Bottom, int CornerWidth, int CornerHeight);
