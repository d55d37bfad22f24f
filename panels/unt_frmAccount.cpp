#include "panels/unt_frmAccount.h"

#include "data/unt_clsUserNames.h"
#include "panels/unt_pageRestore.h"
#include "ui/unt_clsMessages.h"
#include "ui/unt_clsRetryWait.h"
#include "ui/unt_clsWidgets.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

namespace
{
void AddLabel(QWidget *Page, const char *Name, const QString &Text, int Y, const QColor &Color = QColor())
{
    MakeLabel(Page, QLatin1String(Name), Text, 16, Y, Color);
}

QLineEdit *AddEdit(QWidget *Page, const char *Name, int Y, bool Password)
{
    auto *edit = new QLineEdit(Page);
    edit->setObjectName(QLatin1String(Name));
    edit->setGeometry(100, Y - 4, 230, 20);
    edit->setMaxLength(16);
    if (Password)
        edit->setEchoMode(QLineEdit::Password);
    return edit;
}

QComboBox *AddCombo(QWidget *Page, const char *Name, int Y)
{
    auto *combo = new QComboBox(Page);
    combo->setObjectName(QLatin1String(Name));
    combo->setGeometry(100, Y - 4, 230, 20);
    combo->setFocusPolicy(Qt::ClickFocus); // not a tab stop
    return combo;
}

QWidget *AddPage(QTabWidget *Tabs, const char *Name, const QString &Caption)
{
    auto *page = new QWidget;
    page->setObjectName(QLatin1String(Name));
    Tabs->addTab(page, Caption);
    return page;
}
} // namespace

TfrmAccount::TfrmAccount(QWidget *Parent) : QDialog(Parent)
{
    setObjectName(QStringLiteral("frmAccount"));
    setWindowTitle(QStringLiteral("用户管理"));
    // Taller than the account pages need: the restore page's list of copies
    // shows eight of them at a time.
    setFixedSize(380, 304);
    pgeAccount = new QTabWidget(this);
    pgeAccount->setObjectName(QStringLiteral("pgeAccount"));
    pgeAccount->setGeometry(12, 9, 355, 252);
    pgeAccount->setFocusPolicy(Qt::NoFocus);

    QWidget *page1 = AddPage(pgeAccount, "TabSheet1", QStringLiteral("新建用户"));
    AddLabel(page1, "lblNew_UserName", QStringLiteral("用户名："), 20);
    edtNew_UserName = AddEdit(page1, "edtNew_UserName", 20, false);
    AddLabel(page1, "lblNew_Password1", QStringLiteral("密  码："), 52);
    edtNew_Password1 = AddEdit(page1, "edtNew_Password1", 52, true);
    AddLabel(page1, "lblNew_Password2", QStringLiteral("重复密码："), 84);
    edtNew_Password2 = AddEdit(page1, "edtNew_Password2", 84, true);
    AddLabel(page1, "lblNew_Notice", QStringLiteral("说明：用户名长度为1～16个字符，密码长度为1～16个字符。"),
             124, Maroon);

    QWidget *page2 = AddPage(pgeAccount, "TabSheet2", QStringLiteral("修改密码"));
    AddLabel(page2, "lblModify_UserName", QStringLiteral("用户名："), 20);
    cboModify_UserName = AddCombo(page2, "cboModify_UserName", 20);
    AddLabel(page2, "lblModify_OldPassword", QStringLiteral("老密码："), 52);
    edtModify_OldPassword = AddEdit(page2, "edtModify_OldPassword", 52, true);
    AddLabel(page2, "lblModify_NewPassword1", QStringLiteral("新密码："), 84);
    edtModify_NewPassword1 = AddEdit(page2, "edtModify_NewPassword1", 84, true);
    AddLabel(page2, "lblModify_NewPassword2", QStringLiteral("重复新密码："), 116);
    edtModify_NewPassword2 = AddEdit(page2, "edtModify_NewPassword2", 116, true);

    QWidget *page3 = AddPage(pgeAccount, "TabSheet3", QStringLiteral("删除用户"));
    AddLabel(page3, "lblDelete_UserName", QStringLiteral("用户名："), 20);
    cboDelete_UserName = AddCombo(page3, "cboDelete_UserName", 20);
    AddLabel(page3, "lblDelete_Password", QStringLiteral("密  码："), 52);
    edtDelete_Password = AddEdit(page3, "edtDelete_Password", 52, true);
    AddLabel(page3, "lblDelete_Notice", QStringLiteral("说明：选定用户名，再输入密码，点“确定”按钮即可。"),
             124, Maroon);

    pgeRestore = new TpageRestore;
    pgeAccount->addTab(pgeRestore, QStringLiteral("恢复数据"));

    btnOk = MakeButton(this, QStringLiteral("btnOk"), QStringLiteral("确定(&O)"), 210, 271);
    btnOk->setDefault(true);
    btnCancel = MakeButton(this, QStringLiteral("btnCancel"), QStringLiteral("取消(&C)"), 292, 271);
    // The button serves every page: it shows the wait but stays usable.
    FWait = new TclsRetryWait(btnOk, false);

    setTabOrder(edtNew_UserName, edtNew_Password1);
    setTabOrder(edtNew_Password1, edtNew_Password2);
    setTabOrder(edtModify_OldPassword, edtModify_NewPassword1);
    setTabOrder(edtModify_NewPassword1, edtModify_NewPassword2);

    connect(btnOk, &QPushButton::clicked, this, [this] { RunGuarded(this, [this] { btnOkClick(); }); });
    connect(btnCancel, &QPushButton::clicked, this, &TfrmAccount::btnCancelClick);
    connect(pgeAccount, &QTabWidget::currentChanged, this, [this] {
        pgeAccount->setFocusPolicy(Qt::NoFocus);
        // The backups are read when first asked for: checking them takes a moment.
        if (pgeAccount->currentWidget() == pgeRestore && !pgeRestore->IsFilled() && Database)
            RunGuarded(this, [this] { pgeRestore->Fill(Database->DatabaseFile()); });
    });
    connect(cboModify_UserName, &QComboBox::activated, this, [this] { edtModify_OldPassword->setFocus(); });
    connect(cboDelete_UserName, &QComboBox::activated, this, [this] { edtDelete_Password->setFocus(); });
}

TfrmAccount::~TfrmAccount() = default;

void TfrmAccount::FormCreate()
{
    Database = std::make_unique<TclsDatabaseUser>();
    pgeAccount->setCurrentIndex(0);
    QStringList names;
    bool readable = true;
    {
        TclsWaitCursor wait;
        // Missing or damaged books: the login has said so; this dialog then
        // opens on its restore page.
        try {
            names = Database->GetUserNames();
        } catch (const std::exception &) {
            readable = false;
        }
    }
    cboModify_UserName->clear();
    cboDelete_UserName->clear();
    cboModify_UserName->addItems(names);
    cboDelete_UserName->addItems(names);
    if (!names.isEmpty()) {
        cboModify_UserName->setCurrentIndex(0);
        cboDelete_UserName->setCurrentIndex(0);
    } else {
        pgeAccount->setTabEnabled(1, false);
        pgeAccount->setTabEnabled(2, false);
    }
    edtNew_UserName->setFocus();
    if (!readable)
        pgeAccount->setCurrentWidget(pgeRestore);
}

bool TfrmAccount::WhileBusy(const std::function<bool()> &Call)
{
    // The button and the cursor come back even when the store fails.
    TclsBusyButton busy(btnOk);
    return Call();
}

bool TfrmAccount::Say(const QString &Text, TMessageStyle Style)
{
    return ShowMessage(this, ApplicationTitle(), Text, Style);
}

void TfrmAccount::btnOkClick()
{
    switch (pgeAccount->currentIndex()) {
    case 0:
        NewUser();
        break;
    case 1:
        ModifyPassword();
        break;
    case 2:
        RemoveUser();
        break;
    default:
        if (pgeRestore->Restore(Database->DatabaseFile()))
            accept();
        else
            FWait->Start(pgeRestore->WaitSeconds());
    }
}

bool TfrmAccount::MayTry(const QString &Name)
{
    const int wait = Database->SecondsToWait(Name);
    if (wait <= 0)
        return true;
    FWait->Start(wait);
    Say(TclsRetryWait::Text(wait), TMessageStyle::Warning);
    return false;
}

void TfrmAccount::SayWrong(const QString &Text, int Wait)
{
    FWait->Start(Wait);
    Say(Wait > 0 ? Text + QLatin1Char('\n') + TclsRetryWait::Text(Wait) : Text, TMessageStyle::Error);
}

void TfrmAccount::btnCancelClick()
{
    reject();
}

void TfrmAccount::NewUser()
{
    const QString name = edtNew_UserName->text();
    const QString password1 = edtNew_Password1->text();
    const QString password2 = edtNew_Password2->text();
    // A name of blanks only could be created but never chosen at the login.
    if (name.trimmed().isEmpty()) {
        Say(QStringLiteral("用户名不能为空！"), TMessageStyle::Warning);
        edtNew_UserName->setFocus();
        return;
    }
    if (const QString problem = UserNames::Problem(name.trimmed()); !problem.isEmpty()) {
        Say(problem, TMessageStyle::Warning);
        edtNew_UserName->setFocus();
        return;
    }
    if (password1.isEmpty() || password2.isEmpty()) {
        Say(QStringLiteral("密码不能为空！"), TMessageStyle::Warning);
        (password1.isEmpty() ? edtNew_Password1 : edtNew_Password2)->setFocus();
        return;
    }
    if (password1 != password2) {
        Say(QStringLiteral("您两次输入的密码不一样！"), TMessageStyle::Warning);
        edtNew_Password2->setFocus();
        return;
    }
    const bool added = WhileBusy([&] { return Database->AddUser(name, password1); });
    if (added) {
        Say(QStringLiteral("用户名和密码创建成功！"), TMessageStyle::Information);
        accept();
        return;
    }
    Say(QStringLiteral("您所输入的用户名已经被使用！"), TMessageStyle::Warning);
    edtNew_UserName->setFocus();
}

void TfrmAccount::ModifyPassword()
{
    if (!pgeAccount->isTabEnabled(1)) {
        accept();
        return;
    }
    const QString name = cboModify_UserName->currentText();
    const QString oldPassword = edtModify_OldPassword->text();
    const QString new1 = edtModify_NewPassword1->text();
    const QString new2 = edtModify_NewPassword2->text();
    if (oldPassword.isEmpty() || new1.isEmpty() || new2.isEmpty()) {
        Say(QStringLiteral("密码不能为空！"), TMessageStyle::Warning);
        (oldPassword.isEmpty() ? edtModify_OldPassword
         : new1.isEmpty()      ? edtModify_NewPassword1
                               : edtModify_NewPassword2)
            ->setFocus();
        return;
    }
    if (new1 != new2) {
        Say(QStringLiteral("您两次输入的新密码不一样！"), TMessageStyle::Warning);
        edtModify_NewPassword2->setFocus();
        return;
    }
    if (!MayTry(name))
        return;
    const bool changed = WhileBusy([&] { return Database->ChangePassword(name, oldPassword, new1); });
    if (changed) {
        Say(QStringLiteral("密码修改成功！"), TMessageStyle::Information);
        accept();
        return;
    }
    SayWrong(QStringLiteral("老密码不对！"), Database->SecondsToWait(name));
}

void TfrmAccount::RemoveUser()
{
    if (!pgeAccount->isTabEnabled(2)) {
        accept();
        return;
    }
    const QString name = cboDelete_UserName->currentText();
    if (!MayTry(name))
        return;
    const bool removed = WhileBusy([&] { return Database->DeleteUser(name, edtDelete_Password->text()); });
    if (removed) {
        Say(QStringLiteral("成功删除指定的用户！"), TMessageStyle::Information);
        accept();
        return;
    }
    SayWrong(QStringLiteral("您输入的密码不对！"), Database->SecondsToWait(name));
    edtDelete_Password->setFocus();
}
