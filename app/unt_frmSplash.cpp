#include "app/unt_frmSplash.h"

#include "ui/unt_clsLook.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QThread>
#include <QWindow>

TfrmSplash::TfrmSplash(QWidget *Parent) : QFrame(Parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    lblInformation = new QLabel(QStringLiteral("程序正在载入数据……"), this);
    lblInformation->setObjectName(QStringLiteral("lblInformation"));
    lblInformation->resize(120, 12);
    PinProgramLook(this);
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

void TfrmSplash::ShowPainted()
{
    show();
    // The window system maps the window some time after show(); until it is
    // exposed nothing painted reaches the screen.
    const QDeadlineTimer deadline(1000);
    while (!deadline.hasExpired() && !(windowHandle() && windowHandle()->isExposed())) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    repaint();
    QCoreApplication::processEvents();
}
