#include "panels/unt_pageRestore.h"

#include "ui/unt_clsMessages.h"
#include "ui/unt_clsRetryWait.h"
#include "ui/unt_clsWidgets.h"

#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>

namespace
{
QString TimeText(const QDateTime &When)
{
    return When.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

// What a copy taken before a change is, in front of its members.
QString KindText(const QString &Kind)
{
    if (Kind == QLatin1String("before-restore"))
        return QStringLiteral("恢复前的安全副本");
    if (Kind == QLatin1String("before-upgrade"))
        return QStringLiteral("升级前的安全副本");
    if (Kind == QLatin1String("before-deleteuser"))
        return QStringLiteral("删除用户前的安全副本");
    return QString();
}

QString UsersText(const TBackupEntry &Entry)
{
    if (Entry.Damaged)
        return QStringLiteral("已损坏");
    const QString users = Entry.Users.join(QStringLiteral("、"));
    const QString kind = KindText(Entry.Kind);
    if (kind.isEmpty() || users.isEmpty())
        return kind.isEmpty() ? users : kind;
    return kind + QStringLiteral("：") + users;
}
} // namespace

TpageRestore::TpageRestore(QWidget *Parent) : QWidget(Parent)
{
    setObjectName(QStringLiteral("TabSheet4"));
    lvwBackups = MakeListView(this, QStringLiteral("lvwBackups"), 8, 8, 335, 152,
                              {{QStringLiteral("备份时间"), 124},
                               {QStringLiteral("用户"), 125},
                               {QStringLiteral("记录数"), 56, true}});
    // The users' column takes what the scroll bar leaves, so 记录数 is never
    // pushed behind it.
    lvwBackups->header()->setSectionResizeMode(2, QHeaderView::Stretch);
    MakeLabel(this, QStringLiteral("lblRestore_UserName"), QStringLiteral("用户名："), 16, 172);
    cboRestore_UserName = new QComboBox(this);
    cboRestore_UserName->setObjectName(QStringLiteral("cboRestore_UserName"));
    cboRestore_UserName->setGeometry(64, 168, 100, 20);
    MakeLabel(this, QStringLiteral("lblRestore_Password"), QStringLiteral("密码："), 176, 172);
    edtRestore_Password = new QLineEdit(this);
    edtRestore_Password->setObjectName(QStringLiteral("edtRestore_Password"));
    edtRestore_Password->setGeometry(214, 168, 116, 20);
    edtRestore_Password->setMaxLength(16);
    edtRestore_Password->setEchoMode(QLineEdit::Password);
    QLabel *notice = MakeLabel(
        this, QStringLiteral("lblRestore_Notice"),
        QStringLiteral("说明：选定备份和用户名，输入该用户现在的密码，点“确定”即只恢复该用户的数据。"), 16,
        194, Maroon);
    notice->setWordWrap(true);
    notice->setFixedWidth(320);
    notice->adjustSize();
    setTabOrder(lvwBackups, cboRestore_UserName);
    setTabOrder(cboRestore_UserName, edtRestore_Password);
    connect(lvwBackups, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *Row) { ShowUsersOf(Row ? lvwBackups->indexOfTopLevelItem(Row) : -1); });
    connect(cboRestore_UserName, &QComboBox::activated, this, [this] { edtRestore_Password->setFocus(); });
    connect(cboRestore_UserName, &QComboBox::currentTextChanged, this, [this] { ShowCounts(); });
}

void TpageRestore::ShowCounts()
{
    // The chosen member's records in each copy: the ones a restore gives back.
    const QString user = cboRestore_UserName->currentText();
    for (int i = 0; i < lvwBackups->topLevelItemCount() && i < FEntries.size(); ++i) {
        const TBackupEntry &entry = FEntries[i];
        QString count;
        if (!entry.Damaged)
            count = user.isEmpty()               ? QString::number(entry.Records)
                    : entry.Users.contains(user) ? QString::number(entry.RecordsOf.value(user))
                                                 : QStringLiteral("—");
        lvwBackups->topLevelItem(i)->setText(3, count);
    }
}

void TpageRestore::ShowUsersOf(int Index)
{
    const QString chosen = cboRestore_UserName->currentText();
    cboRestore_UserName->clear();
    if (Index < 0 || Index >= FEntries.size() || FEntries[Index].Damaged)
        return;
    cboRestore_UserName->addItems(FEntries[Index].Users);
    // The member stays chosen while another copy is looked at.
    cboRestore_UserName->setCurrentIndex(std::max(0, int(cboRestore_UserName->findText(chosen))));
}

QString TpageRestore::ChosenUser() const
{
    return cboRestore_UserName->currentText();
}

void TpageRestore::Fill(const QString &DatabaseFile)
{
    TclsWaitCursor wait;
    FFilled = true;
    QString problem;
    FEntries = ListBackups(DatabaseFile, &problem);
    lvwBackups->clear();
    cboRestore_UserName->clear();
    for (const TBackupEntry &entry : FEntries) {
        QTreeWidgetItem *row =
            MakeRow(lvwBackups, {TimeText(entry.TakenAt), UsersText(entry),
                                 entry.Damaged ? QString() : QString::number(entry.Records)});
        row->setToolTip(1, entry.File);
        row->setToolTip(2, UsersText(entry));
        if (entry.Damaged) // shown, so the user knows of it, but never chosen
            row->setFlags(row->flags() & ~(Qt::ItemIsSelectable | Qt::ItemIsEnabled));
        lvwBackups->addTopLevelItem(row);
    }
    if (!problem.isEmpty())
        Say(problem, TMessageStyle::Warning);
}

bool TpageRestore::Say(const QString &Text, TMessageStyle Style)
{
    return ShowMessage(window(), ApplicationTitle(), Text, Style);
}

bool TpageRestore::Restore(const QString &DatabaseFile)
{
    QTreeWidgetItem *row = lvwBackups->currentItem();
    const int index = row ? lvwBackups->indexOfTopLevelItem(row) : -1;
    if (index < 0 || index >= FEntries.size() || !row->isSelected()) {
        Say(QStringLiteral("请在列表中选定一个备份，然后恢复它。"), TMessageStyle::Warning);
        lvwBackups->setFocus();
        return false;
    }
    const TBackupEntry entry = FEntries[index];
    if (entry.Damaged) {
        Say(QStringLiteral("这个备份已损坏，不能用来恢复。"), TMessageStyle::Warning);
        return false;
    }
    const QString user = cboRestore_UserName->currentText();
    if (user.isEmpty()) {
        Say(QStringLiteral("请选定要恢复哪个用户的数据。"), TMessageStyle::Warning);
        return false;
    }
    if (!Say(QStringLiteral("把“%1”的数据恢复到 %2 的备份？\n“%1”现在的数据将换成备份中的，恢复前会先保存一份"
                            "安全副本；其他用户的数据和所有密码都不变。")
                 .arg(user, TimeText(entry.TakenAt)),
             TMessageStyle::Question))
        return false;
    FWaitSeconds = 0;
    TRestoreResult result;
    {
        TclsWaitCursor wait;
        result = RestoreBackup(DatabaseFile, entry.File, user, edtRestore_Password->text());
    }
    FWaitSeconds = result.WaitSeconds;
    switch (result.Status) {
    case TRestoreStatus::MustWait:
        Say(TclsRetryWait::Text(result.WaitSeconds), TMessageStyle::Warning);
        edtRestore_Password->setFocus();
        return false;
    case TRestoreStatus::WrongPassword:
        Say(result.WholeBooks
                ? QStringLiteral("您输入的密码不对！\n数据库文件已损坏或丢失，要用备份中“%1”的密码。")
                      .arg(user)
                : QStringLiteral("您输入的密码不对！\n要输入“%1”现在的密码，备份中以前的密码不能用。")
                      .arg(user),
            TMessageStyle::Error);
        edtRestore_Password->setFocus();
        return false;
    case TRestoreStatus::NotInCopy:
        Say(QStringLiteral("这个备份中没有用户“%1”。").arg(user), TMessageStyle::Warning);
        return false;
    case TRestoreStatus::NotInBooks:
        Say(QStringLiteral("现在的数据中没有用户“%1”。请先在“新建用户”页用这个名字新建用户，"
                           "再用新的密码恢复他的数据。")
                .arg(user),
            TMessageStyle::Warning);
        return false;
    case TRestoreStatus::Damaged:
        Say(QStringLiteral("这个备份已损坏，不能用来恢复。"), TMessageStyle::Warning);
        Fill(DatabaseFile);
        return false;
    case TRestoreStatus::AdminOnly:
        Say(QStringLiteral(
                "数据库文件已损坏或丢失，只能用备份替换整个数据库。这个数据库由一个用户组的成员共用，"
                "整个替换会把每个成员的数据和密码都换回备份时的样子，所以只能由管理员来做：\n\n"
                "请让%1在终端中运行\n"
                "lumora --restore-books \"%2\"\n\n"
                "数据库修复以后，您可以在这里只恢复您自己的数据。")
                .arg(result.Owner == QLatin1String("root")
                         ? QStringLiteral("管理员（root）")
                         : QStringLiteral("数据库的所有者（%1）或 root ").arg(result.Owner),
                     QDir::toNativeSeparators(entry.File)),
            TMessageStyle::Warning);
        return false;
    case TRestoreStatus::Restored:
        break;
    }
    Say(result.WholeBooks
            ? QStringLiteral(
                  "数据已恢复到 %1 的备份。\n原来的数据库文件已损坏或丢失，整个数据库都换成了这个备份，"
                  "原来的文件保存为“%2”。每个用户下次登录时都会得到通知。")
                  .arg(TimeText(result.TakenAt), result.Replaced.isEmpty()
                                                     ? QStringLiteral("（无）")
                                                     : QDir::toNativeSeparators(result.Replaced))
            : QStringLiteral(
                  "数据已恢复到 %1 的备份。\n只恢复了“%2”的数据，其他用户的数据和所有密码都没有改变。")
                  .arg(TimeText(result.TakenAt), user),
        TMessageStyle::Information);
    return true;
}
