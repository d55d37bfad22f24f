#include "panels/unt_frmTrash.h"

#include "ui/unt_clsSession.h"
#include "ui/unt_clsWidgets.h"

#include <QPushButton>
#include <QTreeWidget>

TfrmTrash::TfrmTrash(const QString &DatabaseFile, const QString &UserName, QWidget *Parent)
    : QDialog(Parent), FTrash(DatabaseFile), FUserName(UserName)
{
    setObjectName(QStringLiteral("frmTrash"));
    setWindowTitle(QStringLiteral("回收站"));
    setFixedSize(640, 330);
    lvwTrash = MakeListView(this, QStringLiteral("lvwTrash"), 12, 12, 616, 270,
                            {{QStringLiteral("删除时间"), 130},
                             {QStringLiteral("日期"), 80},
                             {QStringLiteral("类别"), 40},
                             {QStringLiteral("项目"), 110},
                             {QStringLiteral("金额"), 80, true},
                             {QStringLiteral("备注"), 170}});
    lvwTrash->setSelectionMode(QAbstractItemView::ExtendedSelection);
    btnRestore = MakeButton(this, QStringLiteral("btnRestore"), QStringLiteral("恢复(&R)"), 389, 295);
    btnPurge = MakeButton(this, QStringLiteral("btnPurge"), QStringLiteral("彻底删除(&D)"), 471, 295, 75);
    btnClose = MakeButton(this, QStringLiteral("btnClose"), QStringLiteral("关闭(&C)"), 553, 295);
    btnClose->setDefault(true);
    connect(btnRestore, &QPushButton::clicked, this,
            [this] { RunGuarded(this, [this] { btnRestoreClick(); }); });
    connect(btnPurge, &QPushButton::clicked, this, [this] { RunGuarded(this, [this] { btnPurgeClick(); }); });
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
}

bool TfrmTrash::Say(const QString &Text, TMessageStyle Style)
{
    return ShowMessage(this, ApplicationTitle(), Text, Style);
}

void TfrmTrash::FillList()
{
    TrashLists records;
    {
        TclsWaitCursor wait;
        FTrash.GetTrash(FUserName, records);
    }
    lvwTrash->clear();
    QList<QTreeWidgetItem *> rows;
    for (qsizetype i = 0; i < records[0].size(); ++i) {
        QTreeWidgetItem *row = MakeRow(lvwTrash, {records[1][i], records[2][i], records[3][i], records[4][i],
                                                  records[5][i], records[6][i]});
        row->setData(0, Qt::UserRole, records[0][i]);
        rows << row;
    }
    lvwTrash->addTopLevelItems(rows);
}

QStringList TfrmTrash::SelectedIDs() const
{
    QStringList ids;
    for (const QTreeWidgetItem *row : lvwTrash->selectedItems())
        ids << row->data(0, Qt::UserRole).toString();
    return ids;
}

void TfrmTrash::btnRestoreClick()
{
    const QStringList ids = SelectedIDs();
    if (ids.isEmpty()) {
        Say(QStringLiteral("请在列表中选定要恢复的记录。"), TMessageStyle::Warning);
        return;
    }
    int restored = 0;
    {
        TclsWaitCursor wait;
        restored = FTrash.Restore(FUserName, ids);
    }
    FRestored += restored;
    FillList();
    Say(QStringLiteral("已恢复 %1 条记录。").arg(restored), TMessageStyle::Information);
}

void TfrmTrash::btnPurgeClick()
{
    const QStringList ids = SelectedIDs();
    if (ids.isEmpty()) {
        Say(QStringLiteral("请在列表中选定要彻底删除的记录。"), TMessageStyle::Warning);
        return;
    }
    if (!Say(QStringLiteral("彻底删除后将无法恢复，确定吗？"), TMessageStyle::Question))
        return;
    {
        TclsWaitCursor wait;
        FTrash.Purge(FUserName, ids);
    }
    FillList();
}

int ShowTrash(TclsSession &Session)
{
    TfrmTrash dialog(Session.Database->DatabaseFile(), Session.CurrentUser, Session.Window());
    dialog.FillList();
    Session.Window()->raise();
    Session.Window()->activateWindow();
    Session.ActiveDialog = &dialog;
    dialog.exec();
    Session.ActiveDialog = nullptr;
    return dialog.Restored();
}
