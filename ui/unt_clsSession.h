#pragma once
// What every panel and dialog needs of the logged-in window, and no more:
// the user, the store, the caption of the message boxes, and the dialog a
// second start of the program brings to the front.
#include "data/unt_clsDatabaseUser.h"
#include "ui/unt_clsMessages.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <memory>

class TclsSession
{
  public:
    explicit TclsSession(QWidget *Window) : FWindow(Window) {}
    TclsSession(const TclsSession &) = delete;
    TclsSession &operator=(const TclsSession &) = delete;

    QString CurrentUser;
    std::unique_ptr<TclsDatabaseUser> Database;
    QString AppTitle;
    QPointer<QWidget> ActiveDialog;
    // The range the browse panel shows, as read under ShownStamp: outputs
    // of the same range take it instead of reading it again while the
    // books' stamp is the same.
    const TRangeRecords *ShownRange = nullptr;
    QString ShownUser;
    QByteArray ShownStamp;
    // The desktop's save dialog: it follows the desktop's theme, so it is
    // opened without the program's fixed dialog look.
    QWidget *SaveDialog = nullptr;

    // The window the dialogs and message boxes belong to.
    QWidget *Window() const { return FWindow; }
    // A modal box of the window; true for Yes.
    bool Say(const QString &Text, TMessageStyle Style) const;
    // Opens a dialog as the one a second start brings to the front.
    int ExecDialog(QWidget *Dialog);

  private:
    QWidget *FWindow;
};
