#include "app/unt_frmSplash.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

TfrmSplash::TfrmSplash(QWidget *Parent) : QFrame(Parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    lblInformation = new QLabel(QStringLiteral("程序正在载入数据……"), this);
    lblInformation->setObjectName(QStringLiteral("lblInformation"));
    lblInformation->resize(120, 12);
    FormCreate();
}

void TfrmSplash::FormCreate()
{
    // No title bar: a frame of the same thickness on all four sides.
    const int border = 3;
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(border);
    setFixedSize(222 + 2 * border, 51 + 2 * border);
    lblInformation->adjustSize();
    lblInformation->move((width() - lblInformation->width()) / 2, (height() - lblInformation->height()) / 2);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
}
