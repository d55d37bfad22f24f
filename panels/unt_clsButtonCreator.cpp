#include "panels/unt_clsButtonCreator.h"

#include "panels/unt_TShape.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>

namespace {
const QColor Gray(0x80, 0x80, 0x80);
const QColor Silver(0xC0, 0xC0, 0xC0);

void SetTextColor(QLabel *Label, const QColor &Color)
{
    // The disabled group keeps its grey, so a disabled label is drawn greyed.
    QPalette palette = Label->palette();
    palette.setColor(QPalette::Active, QPalette::WindowText, Color);
    palette.setColor(QPalette::Inactive, QPalette::WindowText, Color);
    Label->setPalette(palette);
}
} // namespace

void SetNormalButtonLook(TShape *Shape, QLabel *Label)
{
    Shape->SetPen(Qt::SolidLine, Gray);
    Shape->SetBrushStyle(Qt::NoBrush);
    SetTextColor(Label, Qt::black);
}

TclsButtonCreator::TclsButtonCreator(QObject *Parent) : QObject(Parent) {}

void TclsButtonCreator::Attach(TShape *Shape, QLabel *Label)
{
    FShape = Shape;
    FLabel = Label;
    Shape->installEventFilter(this);
    Label->installEventFilter(this);
}

void TclsButtonCreator::SetEnabled(bool Value)
{
    FShape->setEnabled(Value);
    FLabel->setEnabled(Value);
    FShape->SetPenColor(Value ? Gray : Silver);
}

bool TclsButtonCreator::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Event->type() != QEvent::MouseButtonPress && Event->type() != QEvent::MouseButtonRelease &&
        Event->type() != QEvent::MouseButtonDblClick)
        return QObject::eventFilter(Watched, Event);
    const auto *mouse = static_cast<QMouseEvent *>(Event);
    if (mouse->button() != Qt::LeftButton || !FLabel->isEnabled())
        return true; // other buttons and a disabled pair do nothing at all
    // The control that took the press keeps the mouse, so the release comes
    // here even when the pointer has left the button meanwhile.
    if (Event->type() == QEvent::MouseButtonRelease)
        ButtonMouseUp(Watched);
    else
        ButtonMouseDown();
    return true;
}

void TclsButtonCreator::ButtonMouseDown()
{
    FShape->SetPenStyle(Qt::NoPen);
    FShape->SetBrush(Qt::SolidPattern, Gray);
    SetTextColor(FLabel, Qt::white);
}

void TclsButtonCreator::ButtonMouseUp(QObject *Sender)
{
    SetNormalButtonLook(FShape, FLabel);
    if (OnButtonClick)
        OnButtonClick(Sender);
}
