#pragma once
// Makes a shape and the caption label on it look and act like one flat
// button: a pressed look while the left button is held, a greyed look when
// disabled, and a click on the left button's release.
#include <QObject>

#include <functional>

class QLabel;
class TShape;

class TclsButtonCreator : public QObject {
    Q_OBJECT
public:
    using TClick = std::function<void(QObject *Sender)>;
    explicit TclsButtonCreator(QObject *Parent = nullptr);

    void Attach(TShape *Shape, QLabel *Label);
    void SetEnabled(bool Value);
    TClick OnButtonClick;

    TShape *Shape() const { return FShape; }
    QLabel *Label() const { return FLabel; }

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    void ButtonMouseDown();
    void ButtonMouseUp(QObject *Sender);
    TShape *FShape = nullptr;
    QLabel *FLabel = nullptr;
};

// The normal look of a pair as laid out: gray outline, no fill, plain caption.
void SetNormalButtonLook(TShape *Shape, QLabel *Label);
