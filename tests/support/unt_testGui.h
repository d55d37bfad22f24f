#pragma once
// Answers the modal message boxes and dialogs that appear while a test drives
// the program, recording what they said.
#include <QList>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <functional>

struct TSeenBox {
    QString Title;
    QString Text;
    QMessageBox::Icon Icon;
};

class TModalAnswerer : public QObject {
public:
    // Each box takes the next answer (Yes, No, Ok); without one left it gets
    // its default button. A modal widget that is not a message box goes to
    // OnDialog, which must close it.
    explicit TModalAnswerer(QList<QMessageBox::StandardButton> Answers = {});
    ~TModalAnswerer() override;

    QList<TSeenBox> Seen;
    std::function<void(QWidget *)> OnDialog;
    QStringList Texts() const;

private:
    void Poll();
    QList<QMessageBox::StandardButton> FAnswers;
    QTimer FTimer;
    QList<QPointer<QWidget>> FHandled;
};

void ApplyTestFont();
// Saves a picture of the widget under the build tree's screenshots folder.
QString SaveShot(QWidget *Widget, const QString &Name);
