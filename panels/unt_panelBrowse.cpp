#include "panels/unt_panelBrowse.h"

#include "data/unt_clsAmount.h"
#include "panels/unt_clsButtonCreator.h"
#include "panels/unt_frmModifyRecord.h"
#include "ui/unt_clsListModel.h"
#include "ui/unt_clsWidgets.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QDateEdit>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QScopeGuard>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>

namespace
{
const int SurplusRight = 604, OutPerDayRight = 219, InPerDayRight = 453;
const int InTotalLeft = 246, TotalsGap = 6;

QAction *AddAction(QMenu *Menu, const char *Name, const QString &Caption)
{
    QAction *action = Menu->addAction(Caption);
    action->setObjectName(QLatin1String(Name));
    return action;
}

QMenu *AddSubmenu(QMenu *Menu, const char *Name, const QString &Caption)
{
    QMenu *sub = Menu->addMenu(Caption);
    sub->setObjectName(QLatin1String(Name));
    sub->menuAction()->setObjectName(QLatin1String(Name));
    return sub;
}

} // namespace

TBrowsePanel::TBrowsePanel(TPanelHost Host) : FHost(std::move(Host)) {}

void TBrowsePanel::Build()
{
    QWidget *Host = this;
    dtpInAndOut_Date1 = MakeDatePicker(Host, QStringLiteral("dtpInAndOut_Date1"), 12, 8, 112, 20);
    MakeLabel(Host, QStringLiteral("lblInAndOut_Separator"), QStringLiteral("-"), 132, 12);
    dtpInAndOut_Date2 = MakeDatePicker(Host, QStringLiteral("dtpInAndOut_Date2"), 147, 8, 112, 20);
    FHost.MakeShapePair(Host, QStringLiteral("InAndOut_View"), QStringLiteral("查看"), 271, 7, 57, 22);
    FHost.MakeShapePair(Host, QStringLiteral("InAndOut_More"), QStringLiteral("↓"), 333, 7, 16, 22);
    lblInAndOut_Days =
        MakeLabel(Host, QStringLiteral("lblInAndOut_Days"), QStringLiteral("查询天数：0"), 375, 12, Maroon);
    lblInAndOut_Surplus = MakeLabel(Host, QStringLiteral("lblInAndOut_Surplus"), QString(), 544, 12, Maroon);
    FDayModel = new TclsListModel({{QStringLiteral("日期"), 186},
                                   {QStringLiteral("支出"), 186, true},
                                   {QStringLiteral("收入"), 188, true}},
                                  0, [this](int Row, int Column) {
                                      switch (Column) {
                                      case 0:
                                          return DayText(Records.DayDate(Row));
                                      case 1:
                                          return FormatMoney(Records.DayOut(Row));
                                      default:
                                          return FormatMoney(Records.DayIn(Row));
                                      }
                                  });
    lvwInAndOut_List1 =
        MakeModelListView(Host, QStringLiteral("lvwInAndOut_List1"), 12, 37, 593, 133, FDayModel);
    lvwInAndOut_List2 = MakeListView(Host, QStringLiteral("lvwInAndOut_List2"), 12, 179, 593, 157,
                                     {{QStringLiteral("日期"), 85},
                                      {QStringLiteral("类别"), 55},
                                      {QStringLiteral("项目"), 135},
                                      {QStringLiteral("金额"), 80, true},
                                      {QStringLiteral("备注"), 205}});
    lstInAndOut_List2_ID = new QListWidget(Host);
    lstInAndOut_List2_ID->setObjectName(QStringLiteral("lstInAndOut_List2_ID"));
    lstInAndOut_List2_ID->setFocusPolicy(Qt::NoFocus);
    lstInAndOut_List2_ID->hide();
    lblInAndOut_OutMoney1 = MakeLabel(Host, QStringLiteral("lblInAndOut_OutMoney1"),
                                      QStringLiteral("支出合计：0.00"), 13, 349, Maroon);
    lblInAndOut_OutMoney2 =
        MakeLabel(Host, QStringLiteral("lblInAndOut_OutMoney2"), QString(), 177, 349, Maroon);
    lblInAndOut_InMoney1 = MakeLabel(Host, QStringLiteral("lblInAndOut_InMoney1"),
                                     QStringLiteral("收入合计：0.00"), InTotalLeft, 349, Maroon);
    lblInAndOut_InMoney2 =
        MakeLabel(Host, QStringLiteral("lblInAndOut_InMoney2"), QString(), 411, 349, Maroon);
    SetRightAlignedText(lblInAndOut_Surplus, QStringLiteral("结余：0.00"), SurplusRight);
    SetRightAlignedText(lblInAndOut_OutMoney2, QStringLiteral("0.00/天"), OutPerDayRight);
    SetRightAlignedText(lblInAndOut_InMoney2, QStringLiteral("0.00/天"), InPerDayRight);
    FHost.MakeShapePair(Host, QStringLiteral("InAndOut_Delete"), QStringLiteral("删除"), 483, 344, 57, 22);
    FHost.MakeShapePair(Host, QStringLiteral("InAndOut_Modify"), QStringLiteral("修改"), 547, 344, 57, 22);
    Host->setTabOrder(dtpInAndOut_Date1, dtpInAndOut_Date2);
    Host->setTabOrder(dtpInAndOut_Date2, lvwInAndOut_List1);
    Host->setTabOrder(lvwInAndOut_List1, lvwInAndOut_List2);
    connect(lvwInAndOut_List1->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        const QModelIndexList selected = lvwInAndOut_List1->selectionModel()->selectedRows();
        if (!selected.isEmpty())
            lvwInAndOut_List1SelectItem(selected.first());
    });

    mnuInAndOut_More = new QMenu(FHost.Session.Window());
    mnuInAndOut_More->setObjectName(QStringLiteral("mnuInAndOut_More"));
    AddAction(mnuInAndOut_More, "mnuInAndOut_More_ShowRecord",
              QStringLiteral("详细显示每天所有收支记录(&S)..."));
    AddAction(mnuInAndOut_More, "mnuInAndOut_More_Find", QStringLiteral("查找记录(&F)..."));
    mnuInAndOut_More->addSeparator();
    AddAction(mnuInAndOut_More, "mnuInAndOut_More_OutTotal",
              QStringLiteral("统计各个支出项目所占比例(&O)..."));
    AddAction(mnuInAndOut_More, "mnuInAndOut_More_InTotal",
              QStringLiteral("统计各个收入项目所占比例(&I)..."));
    AddAction(mnuInAndOut_More, "mnuInAndOut_More_Trend", QStringLiteral("收支趋势(&Q)..."));
    AddAction(mnuInAndOut_More, "mnuInAndOut_More_Budget", QStringLiteral("每月预算(&B)..."));
    mnuInAndOut_More->addSeparator();
    const QString layout1 = QStringLiteral("格式Ⅰ：日期、类别、项目、金额、备注(&1)...");
    const QString layout2 = QStringLiteral("格式Ⅱ：日期、项目、收入、支出、备注(&2)...");
    struct TSub {
        const char *Name;
        const char *Caption;
    };
    const TSub subs[] = {{"mnuInAndOut_More_Print", "打印(&P)"},
                         {"mnuInAndOut_More_Preview", "打印预览(&V)"},
                         {"mnuInAndOut_More_SaveAsExcel", "导出为Excel文件(&E)"},
                         {"mnuInAndOut_More_SaveAsTxt", "导出为文本文件(&T)"}};
    for (const TSub &sub : subs) {
        if (qstrcmp(sub.Name, "mnuInAndOut_More_SaveAsExcel") == 0)
            mnuInAndOut_More->addSeparator();
        QMenu *menu = AddSubmenu(mnuInAndOut_More, sub.Name, QString::fromUtf8(sub.Caption));
        AddAction(menu, (QByteArray(sub.Name) + "_1").constData(), layout1);
        AddAction(menu, (QByteArray(sub.Name) + "_2").constData(), layout2);
    }
    mnuInAndOut_More->addSeparator();
    AddAction(mnuInAndOut_More, "mnuInAndOut_More_Trash", QStringLiteral("回收站(&R)..."));
}

QDate TBrowsePanel::RangeStart() const
{
    return dtpInAndOut_Date1->date();
}

QDate TBrowsePanel::RangeEnd() const
{
    return dtpInAndOut_Date2->date();
}

void TBrowsePanel::SetRange(const QDate &From, const QDate &To)
{
    dtpInAndOut_Date1->setDate(From);
    dtpInAndOut_Date2->setDate(To);
}

bool TBrowsePanel::RangeIsValid()
{
    if (RangeStart().daysTo(RangeEnd()) >= 0)
        return true;
    FHost.Session.Say(QStringLiteral("查看起始日期不能大于截止日期！"), TMessageStyle::Warning);
    return false;
}

void TBrowsePanel::InAndOut_View()
{
    if (!RangeIsValid())
        return;
    FHost.WhileButtonBusy(QStringLiteral("InAndOut_View"), [&] {
        TRangeRecords records;
        // The stamp before the read: a change during it makes it stale.
        QByteArray stamp = FHost.Session.Database->ChangeStamp();
        FHost.Session.ShownRange = nullptr;
        FHost.Session.Database->GetRangeRecords(FHost.Session.CurrentUser, RangeStart(), RangeEnd(), records);
        Records = std::move(records);
        FHost.Session.ShownRange = &Records;
        FHost.Session.ShownUser = FHost.Session.CurrentUser;
        FHost.Session.ShownStamp = std::move(stamp);
        FDayModel->Reset(int(Records.DayCount()));
        InAndOut_ShowTotals();
    });
    // The last day is selected (which shows its records), focused and
    // scrolled into view once the list has been laid out.
    lvwInAndOut_List1->setFocus();
    if (FDayModel->rowCount() > 0) {
        lvwInAndOut_List1->setCurrentIndex(FDayModel->index(FDayModel->rowCount() - 1, 1));
        QTimer::singleShot(0, lvwInAndOut_List1,
                           [this] { lvwInAndOut_List1->scrollTo(lvwInAndOut_List1->currentIndex()); });
    }
}

void TBrowsePanel::InAndOut_ShowTotals()
{
    const qsizetype n = Records.DayCount();
    const auto [out, in, balance] = Records.Totals();
    const double days = n > 0 ? double(n) : 1.0;
    lblInAndOut_Days->setText(QStringLiteral("查询天数：%1").arg(n));
    lblInAndOut_Days->adjustSize();
    SetRightAlignedText(lblInAndOut_Surplus, QStringLiteral("结余：") + FormatMoney(balance), SurplusRight);
    lblInAndOut_OutMoney1->setText(QStringLiteral("支出合计：") + FormatMoney(out));
    lblInAndOut_OutMoney1->adjustSize();
    SetRightAlignedText(lblInAndOut_OutMoney2, FormatMoney(out / days) + QStringLiteral("/天"),
                        OutPerDayRight);
    lblInAndOut_InMoney1->setText(QStringLiteral("收入合计：") + FormatMoney(in));
    lblInAndOut_InMoney1->adjustSize();
    SetRightAlignedText(lblInAndOut_InMoney2, FormatMoney(in / days) + QStringLiteral("/天"), InPerDayRight);
    // Totals of ten digits and more would run into their neighbours: each
    // label moves right just enough to keep a gap, so every figure stays
    // readable.
    lblInAndOut_InMoney1->move(InTotalLeft, lblInAndOut_InMoney1->y());
    const QLabel *previous = lblInAndOut_OutMoney1;
    for (QLabel *label : {lblInAndOut_OutMoney2, lblInAndOut_InMoney1, lblInAndOut_InMoney2}) {
        const int least = previous->geometry().right() + 1 + TotalsGap;
        if (label->x() < least)
            label->move(least, label->y());
        previous = label;
    }
}

void TBrowsePanel::lvwInAndOut_List1SelectItem(const QModelIndex &Item)
{
    lvwInAndOut_List2->clear();
    lstInAndOut_List2_ID->clear();
    const auto [first, last] = Records.DayRange(Item.row());
    QList<QTreeWidgetItem *> rows;
    QStringList ids;
    for (qsizetype i = first; i < last; ++i) {
        rows << MakeRow(lvwInAndOut_List2, {Records.DateText(i), Records.TypeText(i), Records.Name(i),
                                            Records.MoneyText(i), Records.Memo(i)});
        ids << Records.IdText(i);
    }
    lvwInAndOut_List2->addTopLevelItems(rows);
    lstInAndOut_List2_ID->addItems(ids);
}

void TBrowsePanel::InAndOut_Delete()
{
    QTreeWidgetItem *row = lvwInAndOut_List2->currentItem();
    if (!row || !row->isSelected()) {
        FHost.Session.Say(QStringLiteral("请在上面的列表中选定一条记录，然后删除它。"),
                          TMessageStyle::Warning);
        return;
    }
    if (!FHost.Session.Say(QStringLiteral("您确定要删除指定的记录吗？"), TMessageStyle::Question))
        return;
    const int index = lvwInAndOut_List2->indexOfTopLevelItem(row);
    FHost.WhileButtonBusy(QStringLiteral("InAndOut_Delete"), [&] {
        // The store first: if it fails, the screen still shows the truth.
        FHost.Session.Database->DeleteRecord(FHost.Session.CurrentUser,
                                             lstInAndOut_List2_ID->item(index)->text());
    });
    InAndOut_SyncLists(QStringLiteral("删除"));
    delete lstInAndOut_List2_ID->takeItem(index);
    delete row;
    // Qt moves the selection to a neighbour; a second Delete must never
    // remove a record the user did not choose.
    lvwInAndOut_List2->selectionModel()->clear();
}

void TBrowsePanel::InAndOut_Modify()
{
    QTreeWidgetItem *row = lvwInAndOut_List2->currentItem();
    if (!row || !row->isSelected()) {
        FHost.Session.Say(QStringLiteral("请在上面的列表中选定一条记录，然后修改它。"),
                          TMessageStyle::Warning);
        return;
    }
    const int index = lvwInAndOut_List2->indexOfTopLevelItem(row);
    TfrmModifyRecord dialog(FHost.Session.Window());
    dialog.RecordID = lstInAndOut_List2_ID->item(index)->text();
    dialog.UserName = FHost.Session.CurrentUser;
    dialog.TargetRow = row;
    dialog.SetFields(row->text(1), row->text(3), row->text(4), CellText(row, 5));
    if (FHost.Session.ExecDialog(&dialog) == QDialog::Accepted)
        InAndOut_SyncLists(QStringLiteral("修改"));
}

void TBrowsePanel::InAndOut_SyncLists(const QString &Action)
{
    QTreeWidgetItem *row = lvwInAndOut_List2->currentItem();
    if (!row)
        return;
    const qint64 id =
        lstInAndOut_List2_ID->item(lvwInAndOut_List2->indexOfTopLevelItem(row))->text().toLongLong();
    const qsizetype at = Records.IndexOfId(id);
    // The record's day sums follow the change in the range kept in memory.
    if (at >= 0) {
        const int day = Records.At(at).Day;
        if (Action == QStringLiteral("修改"))
            Records.Change(at, row->text(3), ParseMoney(row->text(4)), CellText(row, 5));
        else
            Records.Remove(at);
        FDayModel->RowChanged(day);
    }
    InAndOut_ShowTotals();
}

void TBrowsePanel::FollowRecord(qint64 Id, const std::function<void(qsizetype At)> &Apply)
{
    const qsizetype at = Records.IndexOfId(Id);
    if (at < 0)
        return;
    const int day = Records.At(at).Day;
    Apply(at);
    FDayModel->RowChanged(day);
    const QModelIndexList selected = lvwInAndOut_List1->selectionModel()->selectedRows();
    if (!selected.isEmpty() && selected.first().row() == day)
        lvwInAndOut_List1SelectItem(selected.first());
    InAndOut_ShowTotals();
}

void TBrowsePanel::RecordChanged(qint64 Id, const QString &Name, double Money, const QString &Memo)
{
    FollowRecord(Id, [&](qsizetype At) { Records.Change(At, Name, Money, Memo); });
}

void TBrowsePanel::RecordsRemoved(const QList<qint64> &Ids)
{
    for (const qint64 id : Ids)
        FollowRecord(id, [&](qsizetype At) { Records.Remove(At); });
}

void TBrowsePanel::InAndOut_More()
{
    mnuInAndOut_More->popup(QCursor::pos());
}
