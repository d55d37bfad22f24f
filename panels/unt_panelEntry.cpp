// The expense and income entry panels: pending rows collected by Add, saved
// together by Finish.
#include "app/unt_frmMain.h"
#include "data/unt_clsAmount.h"
#include "panels/unt_clsButtonCreator.h"
#include "panels/unt_frmEditProgramNames.h"
#include "panels/unt_importBill.h"
#include "ui/unt_clsWidgets.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QTreeWidget>

namespace
{
QString TotalText(const TEntryPanel &Panel, double Sum)
{
    return (Panel.Expense ? QStringLiteral("支出合计：") : QStringLiteral("收入合计：")) + FormatMoney(Sum);
}

bool IsEnter(const QKeyEvent *Event)
{
    return Event->key() == Qt::Key_Return || Event->key() == Qt::Key_Enter;
}
} // namespace

void TfrmMain::BuildEntryPanel(TEntryPanel &Panel, QWidget *Host)
{
    const QString p = Panel.Prefix();
    const bool out = Panel.Expense;
    const QString notices[] = {
        QStringLiteral("第1步，选择日期，例如：2007-01-01。"),
        out ? QStringLiteral("第2步，填写项目，例如：书籍及音像。")
            : QStringLiteral("第2步，填写项目，例如：亲属增与金。"),
        QStringLiteral("第3步，填写金额，例如：1000000.99。"),
        out ? QStringLiteral("第4步，填写备注，例如：9999张光碟。")
            : QStringLiteral("第4步，填写备注，例如：老丈人给的。"),
        QStringLiteral("第5步，确认无误，请点添加按钮即可。"),
        out ? QStringLiteral("第6步，添加完所有支出请点完成按钮。")
            : QStringLiteral("第6步，添加完所有收入请点完成按钮。"),
    };
    const int noticeY[] = {12, 34, 56, 78, 100, 123};
    for (int i = 0; i < 6; ++i)
        MakeLabel(Host, QStringLiteral("lbl%1_Notice%2").arg(p).arg(i + 1), notices[i], 18, noticeY[i]);
    MakeLabel(Host, QStringLiteral("lbl%1_Date").arg(p), QStringLiteral("日期："), 258, 12);
    MakeLabel(Host, QStringLiteral("lbl%1_Name").arg(p), QStringLiteral("项目："), 258, 42);
    MakeLabel(Host, QStringLiteral("lbl%1_Money").arg(p), QStringLiteral("金额："), 258, 72);
    MakeLabel(Host, QStringLiteral("lbl%1_Memo").arg(p), QStringLiteral("备注："), 258, 100);

    Panel.Date = MakeDatePicker(Host, QStringLiteral("dtp%1_Date").arg(p), 303, 8, 232, 20);
    Panel.Name = new QComboBox(Host);
    Panel.Name->setObjectName(QStringLiteral("cbo%1_Name").arg(p));
    Panel.Name->setGeometry(303, 38, 232, 20);
    Panel.Name->setEditable(true);
    Panel.Name->setCompleter(nullptr);
    Panel.Name->setInsertPolicy(QComboBox::NoInsert);
    Panel.Name->lineEdit()->setMaxLength(50);
    Panel.Name->setMaxVisibleItems(20);
    Panel.Money = new TAmountEdit(Host);
    Panel.Money->setObjectName(QStringLiteral("edt%1_Money").arg(p));
    Panel.Money->setGeometry(303, 68, 232, 20);
    Panel.Money->setMaxLength(MaxAmountLength);
    Panel.Memo = new QPlainTextEdit(Host);
    Panel.Memo->setObjectName(QStringLiteral("mem%1_Memo").arg(p));
    Panel.Memo->setGeometry(303, 98, 232, 42);
    Panel.Memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Panel.Memo->setTabChangesFocus(true);
    LimitPlainText(Panel.Memo, 255);

    MakeShapePair(Host, p + QStringLiteral("_Edit"), QStringLiteral("编辑"), 547, 37, 57, 22);
    MakeShapePair(Host, p + QStringLiteral("_Add"), QStringLiteral("添加"), 547, 118, 57, 22);
    Panel.List = MakeListView(Host, QStringLiteral("lvw%1_List").arg(p), 12, 151, 593, 185,
                              {{QStringLiteral("日期"), 85},
                               {QStringLiteral("类别"), 55},
                               {QStringLiteral("项目"), 135},
                               {QStringLiteral("金额"), 80, true},
                               {QStringLiteral("备注"), 205}});
    Panel.Total = MakeLabel(Host, QStringLiteral("lbl%1_Total").arg(p), TotalText(Panel, 0), 13, 349, Maroon);
    MakeShapePair(Host, p + QStringLiteral("_Delete"), QStringLiteral("删除"), 483, 344, 57, 22);
    MakeShapePair(Host, p + QStringLiteral("_Finish"), QStringLiteral("完成"), 547, 344, 57, 22);

    Host->setTabOrder(Panel.Date, Panel.Name);
    Host->setTabOrder(Panel.Name, Panel.Money);
    Host->setTabOrder(Panel.Money, Panel.Memo);
    Host->setTabOrder(Panel.Memo, Panel.List);
    for (QObject *field : {static_cast<QObject *>(Panel.Date), static_cast<QObject *>(Panel.Name),
                           static_cast<QObject *>(Panel.Name->lineEdit()),
                           static_cast<QObject *>(Panel.Money), static_cast<QObject *>(Panel.Memo)})
        field->installEventFilter(this);
}

bool TfrmMain::EntryKeyEvent(QObject *Watched, QKeyEvent *Event)
{
    for (TEntryPanel *panel : {&FOut, &FIn}) {
        // The amount field's own validator decides which characters get in.
        if (!IsEnter(Event))
            continue;
        if (Watched == panel->Money) {
            panel->Memo->setFocus();
            return true;
        }
        if (Watched == panel->Date) {
            // A date that cannot be keeps the focus here, refused.
            if (auto *picker = dynamic_cast<TDatePicker *>(panel->Date); picker && !picker->CommitTyped())
                return true;
            panel->Name->setFocus();
            return true;
        }
        if (Watched == panel->Name || Watched == panel->Name->lineEdit()) {
            panel->Money->setFocus();
            return true;
        }
        if (Watched == panel->Memo) {
            RunGuarded(this, [this, panel] { Entry_Add(*panel); });
            return true;
        }
    }
    return false;
}

void TfrmMain::Entry_Add(TEntryPanel &Panel)
{
    const QString date = Panel.Date->date().toString(QStringLiteral("yyyy-MM-dd"));
    const QString name = Panel.Name->currentText();
    const QString memo = Panel.Memo->toPlainText();
    if (name.trimmed().isEmpty()) {
        Say(Panel.Expense ? QStringLiteral("您没有填写支出项目名称！")
                          : QStringLiteral("您没有填写收入项目名称！"),
            TMessageStyle::Warning);
        Panel.Name->setFocus();
        return;
    }
    QString amount;
    switch (NormaliseAmount(Panel.Money->text(), amount)) {
    case TAmountCheck::BadFormat:
        Say(QStringLiteral("金额有错误，请重新填写！"), TMessageStyle::Warning);
        Panel.Money->clear();
        Panel.Money->setFocus();
        return;
    case TAmountCheck::NotPositive:
        Say(QStringLiteral("金额不能为空或为0，请重新填写！"), TMessageStyle::Warning);
        Panel.Money->clear();
        Panel.Money->setFocus();
        return;
    case TAmountCheck::Ok:
        break;
    }
    Panel.List->addTopLevelItem(MakeRow(Panel.List, {date, Panel.Type(), name, amount, memo}));
    Panel.Name->setCurrentIndex(-1);
    Panel.Name->clearEditText();
    Panel.Money->clear();
    Panel.Memo->clear();
    Panel.Name->setFocus();
    Entry_ShowTotal(Panel);
}

void TfrmMain::Entry_ShowTotal(TEntryPanel &Panel)
{
    double sum = 0;
    for (int i = 0; i < Panel.List->topLevelItemCount(); ++i)
        sum += ParseMoney(Panel.List->topLevelItem(i)->text(4));
    Panel.Total->setText(TotalText(Panel, sum));
    Panel.Total->adjustSize();
}

void TfrmMain::Entry_Delete(TEntryPanel &Panel)
{
    const QList<QTreeWidgetItem *> selected = Panel.List->selectedItems();
    if (selected.isEmpty()) {
        Say(QStringLiteral("请在上面的列表中选定一条记录，然后删除它。"), TMessageStyle::Warning);
        return;
    }
    if (!Say(QStringLiteral("您确定要删除指定的记录吗？"), TMessageStyle::Question))
        return;
    delete selected.first();
    // Qt moves the selection to a neighbour; a second Delete must never
    // remove a row the user did not choose.
    Panel.List->selectionModel()->clear();
    Entry_ShowTotal(Panel);
}

bool TfrmMain::Entry_Finish(TEntryPanel &Panel)
{
    QTreeWidget *list = Panel.List;
    if (list->topLevelItemCount() == 0) {
        Say(Panel.Expense ? QStringLiteral("上面的列表中没有支出记录需要保存!")
                          : QStringLiteral("上面的列表中没有收入记录需要保存!"),
            TMessageStyle::Warning);
        return false;
    }
    QStringList dates, names, amounts, memos;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *row = list->topLevelItem(i);
        dates << row->text(1);
        names << row->text(3);
        amounts << row->text(4);
        memos << CellText(row, 5);
    }
    WhileButtonBusy(Panel.Prefix() + QStringLiteral("_Finish"), [&] {
        // One transaction: on an error nothing is stored and every pending
        // row stays, so Finish can simply be pressed again.
        Database->AddRecords(CurrentUser, Panel.Type(), dates, names, amounts, memos,
                             PendingOriginsHook(list, CurrentUser, Panel.Type(), names));
    });
    list->clear();
    Entry_ShowTotal(Panel);
    Say((Panel.Expense ? QStringLiteral("支出记录保存成功！") : QStringLiteral("收入记录保存成功！")) +
            QStringLiteral("\r\n\r\n您可以到“收支目录”处查看这些记录。"),
        TMessageStyle::Information);
    return true;
}

void TfrmMain::Entry_Edit(TEntryPanel &Panel)
{
    QStringList outNames, inNames;
    WhileButtonBusy(Panel.Prefix() + QStringLiteral("_Edit"),
                    [&] { Database->GetProgramNames(CurrentUser, outNames, inNames); });
    TfrmEditProgramNames editor(this);
    editor.UserName = CurrentUser;
    editor.ListTitle = Panel.Expense ? QStringLiteral("支出项目名称") : QStringLiteral("收入项目名称");
    editor.SetLines(Panel.Expense ? outNames : inNames);
    editor.OnSaved = [this](bool Expense, const QStringList &Names) {
        QComboBox *combo = NameCombo(Expense);
        const QString typed = combo->currentText();
        combo->clear();
        combo->addItems(Names);
        combo->setCurrentIndex(-1);
        combo->setEditText(typed);
    };
    ExecDialog(&editor);
}
