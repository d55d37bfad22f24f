#pragma once
#include "data/unt_clsDatabaseUser.h"

#include <QDialog>

#include <memory>

class QComboBox;
class QLineEdit;
class QPushButton;
class TclsRetryWait;

class TfrmLogin : public QDialog {
    Q_OBJECT
public:
    explicit TfrmLogin(QWidget *Parent = nullptr);
    ~TfrmLogin() override;

    void FormCreate();
    void FillUserNames();
    void btnOKClick();
    void btnCancelClick();
    void btnAccountClick();
    void cboUserNameClick();

    std::unique_ptr<TclsDatabaseUser> Database;
    QString UserName;

private:
    // Fills the list and brings the books to the current layout; the error
    // text, or empty.
    QString TryLoadUserNames();
    bool AskRetry(const QString &Error);
    bool FLoadFailed = false;
    QComboBox *cboUserName;
    QLineEdit *edtPassword;
    QPushButton *btnOK;
    QPushButton *btnCancel;
    QPushButton *btnAccount;
    TclsRetryWait *FWait;
};
