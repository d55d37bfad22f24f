#include "panels/unt_pageRestore.h"

#include "ui/unt_clsMessages.h"
#include "ui/unt_clsWidgets.h"

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
    MakeLabel(this, QStringLiteral("lblRestore_Password"), QStringLiteral("密  码："), 16, 172);
    edtRestore_Password = new QLineEdit(this);
    edtRestore_Password->setObjectName(QStringLiteral("edtRestore_Password"));
    edtRestore_Password->setGeometry(100, 168, 230, 20);
    edtRestore_Password->setMaxLength(16);
    edtRestore_Password->setEchoMode(QLineEdit::Password);
    QLabel *notice = MakeLabel(
        this, QStringLiteral("lblRestore_Notice"),
        QStringLiteral("说明：选定一个备份，输入其中任一用户的密码，点“确定”即可恢复。"), 16, 194, Maroon);
    notice->setWordWrap(true);
    notice->setFixedWidth(320);
    notice->adjustSize();
    setTabOrder(lvwBackups, edtRestore_Password);
}

void TpageRestore::Fill(const QString &DatabaseFile)
{
    TclsWaitCursor wait;
    FFilled = true;
    FEntries = ListBackups(DatabaseFile);
    lvwBackups->clear();
    for (const TBackupEntry &entry : FEntries) {
        QTreeWidgetItem *row = MakeRow(
            lvwBackups, {TimeText(entry.TakenAt),
                         entry.Damaged ? QStringLiteral("已损坏") : entry.Users.join(QStringLiteral("、")),
                         entry.Damaged ? QString() : QString::number(entry.Records)});
        row->setToolTip(1, entry.File);
        if (entry.Damaged) // shown, so the user knows of it, but never chosen
            row->setFlags(row->flags() & ~(Qt::ItemIsSelectable | Qt::ItemIsEnabled));
        lvwBackups->addTopLevelItem(row);
    }
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
    TRestoreResult result;
    {
        TclsWaitCursor wait;
        result = RestoreBackup(DatabaseFile, entry.File, edtRestore_Password->text());
    }
    switch (result.Status) {
    case TRestoreStatus::WrongPassword:
        Say(QStringLiteral("您输入的密码不对！"), TMessageStyle::Error);
        edtRestore_Password->setFocus();
        return false;
    case TRestoreStatus::Damaged:
        Say(QStringLiteral("这个备份已损坏，不能用来恢复。"), TMessageStyle::Warning);
        Fill(DatabaseFile);
        return false;
    case TRestoreStatus::Restored:
        break;
    }
    Say(QStringLiteral("数据已恢复到 %1 的备份。").arg(TimeText(result.TakenAt)), TMessageStyle::Information);
    return true;
}
