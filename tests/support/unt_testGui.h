#pragma once
// Answers the modal message boxes and dialogs that appear while a test drives
// the program, recording what they said.
#include <QList>
#include <QMessageBox>
#include <QPointer>
#include <QScopeGuard>
#include <QTimer>
#include <QWidget>

#include <functional>

struct TSeenBox {
    QString Title;
    QString Text;
    QMessageBox::Icon Icon;
};

class TModalAnswerer : public QObject
{
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

#include "tests/support/unt_testDb.h"

#include <QTemporaryDir>

#include <memory>

class TfrmMain;

// A fresh database with one user and a main window logged in as that user.
struct TMainFixture {
    explicit TMainFixture(const QString &User = QStringLiteral("张三"));
    ~TMainFixture();
    TTestDb Db;
    QString User;
    std::unique_ptr<TfrmMain> Main;
    template <class T> T *Find(const QString &Name) const;
    // Presses and releases the left button on a shape button's caption.
    void Click(const QString &Key) const;
};

// Gives each test program a private runtime folder for locks and sockets.
void UsePrivateRuntimeDir();

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTreeWidget>

// An OnDialog that hands a dialog of type T to Check and closes it after,
// however Check ends, so a failed check cannot leave a test waiting; any
// other dialog is closed unseen.
template <class T> std::function<void(QWidget *)> CheckDialog(std::function<void(T *)> Check)
{
    return [Check](QWidget *Dialog) {
        auto close = qScopeGuard([Dialog] { Dialog->close(); });
        if (auto *typed = qobject_cast<T *>(Dialog))
            Check(typed);
    };
}

// Answers the save dialog of the exports with a file name.
void AnswerSaveDialog(QWidget *Dialog, const QString &File);
