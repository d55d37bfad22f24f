#pragma once
// The user management dialog's page "恢复数据": the copies in the backup
// folder, newest first, and the restore of one of them, authorised by the
// password of any user stored in that copy. It needs nothing of the live
// books, so it works when they are missing or damaged.
#include "data/unt_clsRestore.h"
#include "ui/unt_clsMessages.h"

#include <QWidget>

class QLineEdit;
class QTreeWidget;

class TpageRestore : public QWidget
{
    Q_OBJECT
  public:
    explicit TpageRestore(QWidget *Parent = nullptr);
    // Reads the backup folder of DatabaseFile; only once, on the page's first showing.
    void Fill(const QString &DatabaseFile);
    bool IsFilled() const { return FFilled; }
    // Restores the selected copy; true when the books were replaced.
    bool Restore(const QString &DatabaseFile);

  private:
    bool Say(const QString &Text, TMessageStyle Style);
    QTreeWidget *lvwBackups;
    QLineEdit *edtRestore_Password;
    QList<TBackupEntry> FEntries;
    bool FFilled = false;
};
