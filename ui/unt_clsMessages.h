#pragma once
// Every message box, the hourglass cursor and the one guard through which
// each user action runs, so a failing store or file never ends the program.
#include <QString>

#include <exception>
#include <utility>

class QWidget;
class QFont;
class QPushButton;

enum class TMessageStyle { Warning, Question, Information, Error };

// A modal box owned by Parent; true when the user answered Yes (or OK).
bool ShowMessage(QWidget *Parent, const QString &Title, const QString &Text, TMessageStyle Style);

// The text of an error for the user: our own errors say in Chinese what
// failed; the library's (no memory, say) are put in Chinese here.
QString ErrorText(const std::exception &Error);
// Shows the text of an error that reached a user action.
void ShowError(QWidget *Parent, const std::exception &Error);

template <class TAction> bool RunGuarded(QWidget *Parent, TAction &&Action)
{
    try {
        std::forward<TAction>(Action)();
        return true;
    } catch (const std::exception &error) {
        ShowError(Parent, error);
        return false;
    }
}

// The hourglass for the life of the object, restored even on an error.
class TclsWaitCursor
{
  public:
    TclsWaitCursor();
    ~TclsWaitCursor();
    TclsWaitCursor(const TclsWaitCursor &) = delete;
    TclsWaitCursor &operator=(const TclsWaitCursor &) = delete;
};

// A dialog's button disabled, with the hourglass, while a store call runs.
// Disabling the focused button hands the focus and the default role to the
// next button (取消); both come back here, so Enter after a failed save
// saves again instead of closing the dialog.
class TclsBusyButton
{
  public:
    explicit TclsBusyButton(QPushButton *Button);
    ~TclsBusyButton();
    TclsBusyButton(const TclsBusyButton &) = delete;
    TclsBusyButton &operator=(const TclsBusyButton &) = delete;

  private:
    QPushButton *FButton;
    QWidget *FFocus;
    bool FDefault;
    TclsWaitCursor FWait;
};

// The program's face: the first installed of the Song faces, 12 pixels.
QFont ProgramFont();
void ApplyProgramFont();

// The application's title, the caption of every message box.
QString ApplicationTitle();
