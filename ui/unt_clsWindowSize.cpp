#include "ui/unt_clsWindowSize.h"

#include <QEvent>
#include <QSettings>
#include <QWidget>

namespace
{
QSettings Sizes()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("lumora"),
                     QStringLiteral("windows"));
}

// Saves the window's size as it closes.
class TSizeKeeper : public QObject
{
  public:
    TSizeKeeper(QWidget *Window, const QString &Key) : QObject(Window), FWindow(Window), FKey(Key)
    {
        Window->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override
    {
        if (Watched == FWindow && (Event->type() == QEvent::Close || Event->type() == QEvent::Hide)) {
            // A maximised window keeps the size it comes back to.
            const QSize size = FWindow->isMaximized() ? FWindow->normalGeometry().size() : FWindow->size();
            if (size.isValid())
                Sizes().setValue(FKey, size);
        }
        return QObject::eventFilter(Watched, Event);
    }

  private:
    QWidget *FWindow;
    QString FKey;
};
} // namespace

TclsAnchors::TclsAnchors(QWidget *Window, const QSize &Base) : QObject(Window), FWindow(Window), FBase(Base)
{
    Window->setMinimumSize(Base);
    Window->installEventFilter(this);
}

void TclsAnchors::Add(QWidget *Control, double MoveX, double MoveY, double GrowX, double GrowY)
{
    FAnchors.append({Control, Control->geometry(), MoveX, MoveY, GrowX, GrowY});
}

void TclsAnchors::Apply()
{
    const int dx = qMax(0, FWindow->width() - FBase.width()),
              dy = qMax(0, FWindow->height() - FBase.height());
    for (const TAnchor &a : std::as_const(FAnchors)) {
        const QPoint at(a.Base.x() + qRound(a.MoveX * dx), a.Base.y() + qRound(a.MoveY * dy));
        // A control that only moves keeps the size it has now (a label
        // sized to its text).
        if (a.GrowX == 0 && a.GrowY == 0)
            a.Control->move(at);
        else
            a.Control->setGeometry(at.x(), at.y(), a.Base.width() + qRound(a.GrowX * dx),
                                   a.Base.height() + qRound(a.GrowY * dy));
    }
}

bool TclsAnchors::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Watched == FWindow && Event->type() == QEvent::Resize)
        Apply();
    return QObject::eventFilter(Watched, Event);
}

void UseSizableWindowButtons(QWidget *Window)
{
    Window->setWindowFlags(Window->windowFlags() | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                           Qt::WindowCloseButtonHint);
}

void KeepWindowSize(QWidget *Window, const QString &Key)
{
    const QSize saved = Sizes().value(Key).toSize();
    if (saved.isValid())
        Window->resize(saved.expandedTo(Window->minimumSize()));
    new TSizeKeeper(Window, Key); // owned by the window
}
