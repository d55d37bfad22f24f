#include "ui/unt_clsSession.h"

#include "ui/unt_clsLook.h"

#include <QDialog>

bool TclsSession::Say(const QString &Text, TMessageStyle Style) const
{
    return ShowMessage(FWindow, AppTitle.isEmpty() ? ApplicationTitle() : AppTitle, Text, Style);
}

int TclsSession::ExecDialog(QWidget *Dialog)
{
    FWindow->raise();
    FWindow->activateWindow();
    // The program's own dialogs have a fixed layout; the file dialog is the
    // desktop's and follows its theme.
    if (Dialog != SaveDialog)
        PrepareFixedDialog(Dialog, Dialog->objectName() != QLatin1String("frmPreview"));
    ActiveDialog = Dialog;
    const int result = static_cast<QDialog *>(Dialog)->exec();
    ActiveDialog = nullptr;
    return result;
}
