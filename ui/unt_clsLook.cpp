#include "ui/unt_clsLook.h"

#include "ui/unt_clsMessages.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

QPalette ProgramPalette()
{
    // Built from scratch, not from the application's palette, so that every
    // role and group is set and nothing of a dark theme shows through.
    const QColor face(0xF0, 0xF0, 0xF0), gray(0x80, 0x80, 0x80), silver(0xC0, 0xC0, 0xC0);
    QPalette palette(Qt::black, face, Qt::white, QColor(0xA0, 0xA0, 0xA0), silver, Qt::black, Qt::white,
                     Qt::white, face);
    palette.setColor(QPalette::ToolTipBase, QColor(0xFF, 0xFF, 0xE1));
    palette.setColor(QPalette::ToolTipText, Qt::black);
    palette.setColor(QPalette::Highlight, QColor(0x00, 0x78, 0xD7));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::AlternateBase, QColor(0xF5, 0xF5, 0xF5));
    palette.setColor(QPalette::PlaceholderText, gray);
    palette.setColor(QPalette::Link, Qt::blue);
    palette.setColor(QPalette::LinkVisited, Qt::magenta);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, gray);
    palette.setColor(QPalette::Disabled, QPalette::Base, face);
    palette.setColor(QPalette::Disabled, QPalette::Highlight, silver);
    return palette;
}

void PinProgramLook(QWidget *Window)
{
    Window->setPalette(ProgramPalette());
    Window->setFont(ProgramFont());
}

namespace
{
class TFontKeeper : public QObject
{
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override
    {
        if (Event->type() == QEvent::ApplicationFontChange && Watched == qApp &&
            QApplication::font() != ProgramFont())
            QApplication::setFont(ProgramFont());
        return false;
    }
};
} // namespace

void KeepProgramFont()
{
    static TFontKeeper *keeper = nullptr;
    if (keeper)
        return;
    keeper = new TFontKeeper(qApp);
    qApp->installEventFilter(keeper);
}

void CenterOnScreen(QWidget *Window)
{
    const QScreen *screen = Window->screen() ? Window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    const QSize frame = Window->frameGeometry().size();
    Window->move(area.x() + (area.width() - frame.width()) / 2,
                 area.y() + (area.height() - frame.height()) / 2);
}

void PrepareFixedDialog(QWidget *Dialog, bool Centered)
{
    PinProgramLook(Dialog);
    if (Dialog->minimumSize() == Dialog->maximumSize())
        UseFixedDialogButtons(Dialog);
    if (Centered)
        CenterOnScreen(Dialog);
}

void UseFixedDialogButtons(QWidget *Dialog)
{
    // Without the customise hint the window system picks the buttons, and a
    // Wayland decoration then offers to maximise a window that cannot grow.
    Qt::WindowFlags flags = Dialog->windowFlags();
    if (!flags.testFlag(Qt::CustomizeWindowHint))
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint;
    flags &= ~(Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint);
    if (flags != Dialog->windowFlags())
        Dialog->setWindowFlags(flags);
}
