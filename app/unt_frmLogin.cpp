#include "app/unt_frmLogin.h"

#include "app/unt_frmSplash.h"
#include "data/unt_clsBackup.h"
#include "data/unt_clsSchema.h"
#include "data/sqlite/unt_clsSqliteBackend.h"
#include "data/unt_clsConnection.h"
#include "panels/unt_frmAccount.h"
#include "ui/unt_clsLook.h"
#include "ui/unt_clsMessages.h"
#include "ui/unt_clsRetryWait.h"
#include "ui/unt_clsWidgets.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>

TfrmLogin::TfrmLogin(QWidget *Parent)
    : QDialog(Parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("frmLogin"));
    setFixedSize(376, 197);
    MakeLabel(this, QStringLiteral("lblNotice1"), QStringLiteral("1.如果第一次使用，请点“用户”按钮。"), 17,
              19);
    MakeLabel(this, QStringLiteral("lblNotice2"), QStringLiteral("2.得到用户名和密码后，即可在此登录。"), 17,
              39);
    MakeLabel(this, QStringLiteral("lblNotice3"), QStringLiteral("3.如果多用户使用，请重复步骤1和步骤2。"),
              17, 60);
    MakeLabel(this, QStringLiteral("lblNotice4"), QStringLiteral("4.如果想修改密码，也请点“用户”按钮。"), 17,
              81);
    MakeLabel(this, QStringLiteral("lblUserName"), QStringLiteral("用户名："), 17, 124);
    MakeLabel(this, QStringLiteral("lblPassword"), QStringLiteral("密  码："), 17, 158);

    edtPassword = new QLineEdit(this);
    edtPassword->setObjectName(QStringLiteral("edtPassword"));
    edtPassword->setGeometry(75, 154, 281, 20);
    edtPassword->setEchoMode(QLineEdit::Password);
    edtPassword->setMaxLength(16);

    btnOK = MakeButton(this, QStringLiteral("btnOK"), QStringLiteral("登录(&O)"), 281, 14);
    btnOK->setDefault(true);
    btnCancel = MakeButton(this, QStringLiteral("btnCancel"), QStringLiteral("取消(&C)"), 281, 45);
    btnAccount = MakeButton(this, QStringLiteral("btnAccount"), QStringLiteral("用户(&U)"), 281, 76);

    cboUserName = new QComboBox(this);
    cboUserName->setObjectName(QStringLiteral("cboUserName"));
    cboUserName->setGeometry(75, 120, 281, 20);
    cboUserName->setFocusPolicy(Qt::ClickFocus);
    FWait = new TclsRetryWait(btnOK, true);

    setTabOrder(edtPassword, btnOK);
    setTabOrder(btnOK, btnCancel);
    setTabOrder(btnCancel, btnAccount);
    edtPassword->setFocus();

    connect(btnOK, &QPushButton::clicked, this, [this] { RunGuarded(this, [this] { btnOKClick(); }); });
    connect(btnCancel, &QPushButton::clicked, this, &TfrmLogin::btnCancelClick);
    connect(btnAccount, &QPushButton::clicked, this,
            [this] { RunGuarded(this, [this] { btnAccountClick(); }); });
    connect(cboUserName, &QComboBox::activated, this, &TfrmLogin::cboUserNameClick);
    setWindowTitle(ApplicationTitle() + QStringLiteral(" - 登录"));
    PrepareFixedDialog(this);
}

TfrmLogin::~TfrmLogin() = default;

void TfrmLogin::FormCreate()
{
    setWindowTitle(ApplicationTitle() + QStringLiteral(" - 登录"));
    Database = std::make_unique<TclsDatabaseUser>();
    QString error;
    {
        TfrmSplash splash;
        splash.ShowPainted();
        error = TryLoadUserNames();
        splash.close();
    }
    while (!error.isEmpty() && AskRetry(error))
        error = TryLoadUserNames();
}

QString TfrmLogin::TryLoadUserNames()
{
    // The list first: books of an older layout that cannot be upgraded
    // (read-only, say) can still be logged into.
    try {
        ClearCopyLeftovers(Database->DatabaseFile());
        FillUserNames();
        UpgradeSchema(Database->DatabaseFile());
        FLoadFailed = false;
        return {};
    } catch (const std::exception &error) {
        FLoadFailed = true;
        return ErrorText(error);
    }
}

bool TfrmLogin::AskRetry(const QString &Error)
{
    // After a failed start the list stays empty; the user can try again at
    // once, or later with the login button, or restore a backup. Books
    // closed to this account are neither missing nor damaged: the message
    // itself says what to do, and a backup would not help.
    QString text = Error + QStringLiteral("\n\n点“重试”再读一次数据库。");
    if (!IsAccessDenied(Database->DatabaseFile()))
        text += QStringLiteral("数据库文件丢失或损坏时，可以点“用户”按钮，在“恢复数据”页恢复一个备份。");
    return ::AskRetry(this, ApplicationTitle(), text);
}

void TfrmLogin::FillUserNames()
{
    cboUserName->clear();
    cboUserName->addItems(Database->GetUserNames());
    if (cboUserName->count() > 0)
        cboUserName->setCurrentIndex(0);
}

void TfrmLogin::cboUserNameClick()
{
    // The wait belongs to a name: another name may have none.
    RunGuarded(this, [this] { FWait->Start(Database->SecondsToWait(cboUserName->currentText())); });
    edtPassword->setFocus();
}

void TfrmLogin::btnOKClick()
{
    if (FLoadFailed && cboUserName->count() == 0) {
        // The list could not be read at the start: read it again now.
        QString error = TryLoadUserNames();
        while (!error.isEmpty() && AskRetry(error))
            error = TryLoadUserNames();
        if (!error.isEmpty())
            return;
    }
    UserName = cboUserName->currentText();
    const QString password = edtPassword->text();
    if (UserName.trimmed().isEmpty()) {
        ShowMessage(this, ApplicationTitle(), QStringLiteral("没有用户名，无法登录！"),
                    TMessageStyle::Warning);
        edtPassword->setFocus();
        return;
    }
    if (const int wait = Database->SecondsToWait(UserName); wait > 0) {
        FWait->Start(wait);
        ShowMessage(this, ApplicationTitle(), TclsRetryWait::Text(wait), TMessageStyle::Warning);
        edtPassword->setFocus();
        return;
    }
    bool ok = false;
    {
        TclsBusyButton busy(btnOK);
        ok = Database->CheckLogin(UserName, password);
    }
    if (ok) {
        if (const QString notice = Database->TakeRestoreNotice(UserName); !notice.isEmpty())
            ShowMessage(this, ApplicationTitle(), notice, TMessageStyle::Information);
        if (Database->ReadOnly())
            ShowMessage(
                this, ApplicationTitle(),
                QStringLiteral("数据库文件或其文件夹是只读的：您可以查看记录，但无法保存任何更改。\n文件：%1")
                    .arg(QDir::toNativeSeparators(QFileInfo(Database->DatabaseFile()).absoluteFilePath())),
                TMessageStyle::Warning);
        accept();
        return;
    }
    const int wait = Database->SecondsToWait(UserName);
    FWait->Start(wait);
    ShowMessage(this, ApplicationTitle(),
                wait > 0 ? QStringLiteral("登录密码错误！\n") + TclsRetryWait::Text(wait)
                         : QStringLiteral("登录密码错误！"),
                TMessageStyle::Error);
    edtPassword->setFocus();
}

void TfrmLogin::btnCancelClick()
{
    reject();
}

void TfrmLogin::btnAccountClick()
{
    TfrmAccount account(this);
    account.FormCreate();
    PrepareFixedDialog(&account);
    if (account.exec() == QDialog::Accepted) {
        QString error = TryLoadUserNames(); // a restore may have brought other books
        while (!error.isEmpty() && AskRetry(error))
            error = TryLoadUserNames();
    }
    // A window manager does not always hand the keyboard back to the login
    // when the dialog closes; the password typed next must land here.
    activateWindow();
    raise();
    edtPassword->setFocus();
}
