#pragma once
// The user management dialog's page "恢复数据": the copies in the backup
// folder, newest first, and the restore of one member's books from one of
// them, authorised by that member's password as it is now. Books that are
// missing or damaged are replaced whole, by the password kept in the copy.
#include "data/unt_clsRestore.h"
#include "ui/unt_clsMessages.h"

#include <QWidget>

class QComboBox;
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
    // Restores the selected member's books; true when done.
    bool Restore(const QString &DatabaseFile);
    // After a refused try: how long the chosen member has to wait.
    int WaitSeconds() const { return FWaitSeconds; }
    QString ChosenUser() const;

  private:
    bool Say(const QString &Text, TMessageStyle Style);
    void ShowUsersOf(int Index);
    void ShowCounts();
    QTreeWidget *lvwBackups;
    QComboBox *cboRestore_UserName;
    QLineEdit *edtRestore_Password;
    int FWaitSeconds = 0;
    QList<TBackupEntry> FEntries;
    bool FFilled = false;
};
