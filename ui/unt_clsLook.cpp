#include "ui/unt_clsLook.h"

#include "ui/unt_clsMessages.h"

#include <QApplication>
#include <QEvent>
#include <QFileDialog>
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

namespace
{
void PlaceInMiddle(QWidget *Window)
{
    const QScreen *screen = Window->screen() ? Window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    const QSize frame = Window->frameGeometry().size();
    Window->move(area.x() + (area.width() - frame.width()) / 2,
                 area.y() + (area.height() - frame.height()) / 2);
}

// Until the window manager has framed a window its title bar is unknown, and
// a window placed by its inner size alone stands half a title bar off the
// middle (a dialog below it, a box above it). Once the frame shows, it is
// placed again, once; later moves are the user's.
class TMiddleKeeper : public QObject
{
  public:
    explicit TMiddleKeeper(QWidget *Window) : QObject(Window), FWindow(Window)
    {
        setObjectName(QStringLiteral("middleKeeper"));
    }

  protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override
    {
        if (Watched != FWindow)
            return false;
        switch (Event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
        // A box placed where the window manager keeps it gets no move:
        // its first paint comes after the frame.
        case QEvent::Paint:
        case QEvent::WindowActivate:
            if (FWindow->isVisible() && FWindow->frameGeometry().size() != FWindow->size()) {
                FWindow->removeEventFilter(this);
                PlaceInMiddle(FWindow);
                deleteLater();
            }
            break;
        case QEvent::Hide:
            FWindow->removeEventFilter(this);
            deleteLater();
            break;
        default:
            break;
        }
        return false;
    }

  private:
    QWidget *FWindow;
};
} // namespace

void CenterOnScreen(QWidget *Window)
{
    PlaceInMiddle(Window);
    if (Window->frameGeometry().size() == Window->size() &&
        !Window->findChild<QObject *>(QStringLiteral("middleKeeper"), Qt::FindDirectChildrenOnly)) {
        auto *keeper = new TMiddleKeeper(Window);
        Window->installEventFilter(keeper);
    }
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

void PrepareFileDialog(QFileDialog *Dialog, const QString &Title)
{
    Dialog->setOption(QFileDialog::DontUseNativeDialog);
    Dialog->setWindowTitle(Title);
}
