#pragma once
// The trash of the logged-in user's deleted records: restore them with
// their old numbers, or remove them for good.
#include "data/unt_clsTrash.h"
#include "ui/unt_clsMessages.h"

#include <QDialog>

class QPushButton;
class QTreeWidget;
class TclsSession;

class TfrmTrash : public QDialog
{
    Q_OBJECT
  public:
    TfrmTrash(const QString &DatabaseFile, const QString &UserName, QWidget *Parent = nullptr);
    void FillList();
    void btnRestoreClick();
    void btnPurgeClick();
    int Restored() const { return FRestored; }

  private:
    QStringList SelectedIDs() const;
    bool Say(const QString &Text, TMessageStyle Style);
    TclsTrash FTrash;
    QString FUserName;
    int FRestored = 0;
    QTreeWidget *lvwTrash;
    QPushButton *btnRestore, *btnPurge, *btnClose;
};

// The More menu's "回收站": the dialog, as the window a second start brings
// forward. Returns how many records came back.
int ShowTrash(TclsSession &Session);
