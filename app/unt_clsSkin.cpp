#include "app/unt_clsSkin.h"

#include <QBitmap>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWindow>

#include <cmath>

namespace {
QPixmap PaintSkin(QSize Size)
{
    QPixmap picture(Size);
    // Outside the rounded outline the picture is see-through, for window
    // systems that draw the corners whatever the window's mask says.
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF outline(2.5, 3.5, Size.width() - 4.0, Size.height() - 5.0);
    QPainterPath body;
    body.addRoundedRect(outline, 13, 13);
    p.fillPath(body, Qt::white);

    // Wood: warm bands with fine grain, clipped to the rounded top.
    const int strip = 42;
    p.save();
    p.setClipPath(body);
    QLinearGradient wood(0, 0, 0, strip);
    wood.setColorAt(0.0, QColor(0xA8, 0x6A, 0x3A));
    wood.setColorAt(0.5, QColor(0x8B, 0x55, 0x2B));
    wood.setColorAt(1.0, QColor(0x6E, 0x41, 0x1F));
    p.fillRect(QRect(0, 0, Size.width(), strip), wood);
    for (int line = 0; line < 18; ++line) {
        QPainterPath grain;
        const double y0 = 3 + line * 2.2;
        grain.moveTo(0, y0);
        for (int x = 0; x <= Size.width(); x += 10)
            grain.lineTo(x, y0 + 1.6 * std::sin(x / (37.0 + line * 3) + line) + 0.8 * std::sin(x / 11.0 + line));
        p.setPen(QPen(QColor(0x5A, 0x32, 0x14, line % 3 ? 40 : 70), 1));
        p.drawPath(grain);
    }
    p.setPen(QPen(QColor(0x4A, 0x2A, 0x10), 1));
    p.drawLine(0, strip, Size.width(), strip);
    p.restore();

    QFont title(QStringLiteral("DejaVu Sans"));
    title.setPixelSize(17);
    title.setBold(true);
    p.setFont(title);
    p.setPen(QColor(0, 0, 0, 90));
    p.drawText(QPoint(27, 29), QStringLiteral("Lumora"));
    p.setPen(Qt::white);
    p.drawText(QPoint(26, 28), QStringLiteral("Lumora"));

    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0x80, 0x80, 0x80), 3));
    p.drawPath(body);
    return picture;
}
} // namespace

TclsSkin::TclsSkin(QWidget *Parent) : QWidget(Parent)
{
    setObjectName(QStringLiteral("imgBackground"));
}

void TclsSkin::paintEvent(QPaintEvent *)
{
    if (FPicture.size() != size())
        FPicture = PaintSkin(size());
    QPainter(this).drawPixmap(0, 0, FPicture);
}

void TclsSkin::mousePressEvent(QMouseEvent *Event)
{
    // The left button grabs the window as a title bar would. Other buttons
    // must not: the system's move would then end only at the next left click.
    if (Event->button() != Qt::LeftButton) {
        Event->ignore();
        return;
    }
    if (QWindow *handle = window()->windowHandle())
        handle->startSystemMove();
    Event->accept();
}

QRegion RoundedWindowRegion(int Left, int Top, int Right, int Bottom, int CornerWidth, int CornerHeight)
{
    QBitmap mask(Right, Bottom);
    mask.fill(Qt::color0);
    QPainter p(&mask);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::color1);
    // Right and Bottom are exclusive, as the system's region calls count them.
    p.drawRoundedRect(QRect(Left, Top, Right - Left, Bottom - Top), CornerWidth / 2.0, CornerHeight / 2.0);
    p.end();
    return QRegion(mask);
}
