#pragma once
#include "data/unt_clsDatabaseUser.h"

#include "ui/unt_clsMessages.h"

#include <QDialog>

#include <functional>
#include <memory>

class QComboBox;
class QLineEdit;
class QPushButton;
class QTabWidget;
class TclsRetryWait;
class TpageRestore;

// Creating users, changing a password and deleting a user; every action is
// authorised by the password typed here, since nobody is logged in yet.
class TfrmAccount : public QDialog
{
    Q_OBJECT
  public:
    explicit TfrmAccount(QWidget *Parent = nullptr);
    ~TfrmAccount() override;

    void FormCreate();
    void btnOkClick();
    void btnCancelClick();

  private:
    void NewUser();
    void ModifyPassword();
    void RemoveUser();
    bool Say(const QString &Text, TMessageStyle Style);
    bool WhileBusy(const std::function<bool()> &Call);
    // False, after saying how long, while Name has to wait for another try.
    bool MayTry(const QString &Name);
    // The refusal, with the wait that follows it when there is one.
    void SayWrong(const QString &Text, int Wait);

    std::unique_ptr<TclsDatabaseUser> Database;
    QTabWidget *pgeAccount;
    QLineEdit *edtNew_UserName, *edtNew_Password1, *edtNew_Password2;
    QComboBox *cboModify_UserName;
    QLineEdit *edtModify_OldPassword, *edtModify_NewPassword1, *edtModify_NewPassword2;
    QComboBox *cboDelete_UserName;
    QLineEdit *edtDelete_Password;
    TpageRestore *pgeRestore;
    QPushButton *btnOk, *btnCancel;
    TclsRetryWait *FWait;
};
