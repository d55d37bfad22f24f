#pragma once
// The user's recurring entries (rent, salary, subscriptions): a list, and
// the fields that make a new one or change the one selected.
#include "data/unt_clsRecurring.h"
#include "ui/unt_clsMessages.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class TclsSession;

class TfrmRecurring : public QDialog
{
    Q_OBJECT
  public:
    TfrmRecurring(const QString &DatabaseFile, const QString &UserName, const QStringList &OutNames,
                  const QStringList &InNames, QWidget *Parent = nullptr);

    // Right after an entry was added (Changed 0) or changed: its due
    // occurrences go to the pending lists, those of a changed one planned
    // anew (the dialog is the parent of what is said then).
    std::function<void(QWidget *Dialog, qint64 Changed)> OnChanged;
    // Per entry, the occurrences already waiting in the pending lists.
    std::function<TPendingDates()> Pending;

    void FillList();
    void btnRecurring_AddClick();
    void btnRecurring_ModifyClick();
    void btnRecurring_DeleteClick();

    QTreeWidget *lvwRecurring;
    QComboBox *cboRecurring_Type, *cboRecurring_Name, *cboRecurring_Cycle;
    QLineEdit *edtRecurring_Money, *edtRecurring_Memo;
    QDateEdit *dtpRecurring_Start, *dtpRecurring_End;
    QCheckBox *chkRecurring_End;
    QPushButton *btnRecurring_Add, *btnRecurring_Modify, *btnRecurring_Delete, *btnRecurring_Close;

  private:
    bool Say(const QString &Text, TMessageStyle Style);
    // The fields as an entry; false (the user told) when one is wrong.
    bool ReadFields(TRecurringEntry &Entry);
    void ShowSelected();
    void FillNames();
    qint64 SelectedID() const;
    void Select(qint64 ID);

    QString FDatabaseFile, FUserName;
    QStringList FOutNames, FInNames;
    QList<TRecurringEntry> FEntries;
};

// The More menu's "定期收支": the dialog, as the window a second start
// brings forward.
void ShowRecurring(TclsSession &Session, const std::function<void(QWidget *, qint64)> &OnChanged,
                   const std::function<TPendingDates()> &Pending);
