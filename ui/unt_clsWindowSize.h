#pragma once
// Windows the user may size: their absolutely placed controls follow the
// window's edges, the window offers to be maximised, and it comes back at
// the size it was left at (a per-user file under the desktop's config
// folder; a size that cannot be kept is only forgotten).
#include <QList>
#include <QObject>
#include <QRect>
#include <QSize>

class QWidget;

class TclsAnchors : public QObject
{
  public:
    // Base: the size the controls were placed for, also the smallest.
    TclsAnchors(QWidget *Window, const QSize &Base);
    // As the window grows by (dx, dy) beyond Base, Control moves by
    // (MoveX * dx, MoveY * dy) and grows by (GrowX * dx, GrowY * dy).
    void Add(QWidget *Control, double MoveX, double MoveY, double GrowX = 0, double GrowY = 0);
    void Apply();

  protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;

  private:
    struct TAnchor {
        QWidget *Control;
        QRect Base;
        double MoveX, MoveY, GrowX, GrowY;
    };
    QWidget *FWindow;
    QSize FBase;
    QList<TAnchor> FAnchors;
};

// The title bar's buttons of a window that can grow: minimise, maximise, close.
void UseSizableWindowButtons(QWidget *Window);
// Gives Window the size it had when last closed under Key (else its present
// size), and keeps the size it has when it is closed or hidden.
void KeepWindowSize(QWidget *Window, const QString &Key);
