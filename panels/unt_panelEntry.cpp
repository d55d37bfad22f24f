// The expense and income entry panels: pending rows collected by Add, saved
// together by Finish.
#include "panels/unt_panelEntry.h"

#include "data/unt_clsAmount.h"
#include "panels/unt_budgetLine.h"
#include "panels/unt_clsButtonCreator.h"
#include "panels/unt_frmEditProgramNames.h"
#include "panels/unt_importBill.h"
#include "panels/unt_recurringDue.h"
#include "ui/unt_clsWidgets.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QScrollBar>
#include <QToolButton>
#include <QTreeWidget>

namespace
{
QString TotalText(bool Expense, double Sum)
{
    return (Expense ? QStringLiteral("支出合计：") : QStringLiteral("收入合计：")) + FormatMoney(Sum);
}

bool IsEnter(const QKeyEvent *Event)
{
    return Event->key() == Qt::Key_Return || Event->key() == Qt::Key_Enter;
}
} // namespace

TEntryPanel::TEntryPanel(bool Expense, TPanelHost Host, QWidget *Parent)
    : QWidget(Parent), Expense(Expense), FHost(std::move(Host))
{
}

void TEntryPanel::Build()
{
    QWidget *Host = this;
    const QString p = Prefix();
    const bool out = Expense;
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

    Date = MakeDatePicker(Host, QStringLiteral("dtp%1_Date").arg(p), 303, 8, 232, 20);
    Name = new QComboBox(Host);
    Name->setObjectName(QStringLiteral("cbo%1_Name").arg(p));
    Name->setGeometry(303, 38, 232, 20);
    Name->setEditable(true);
    Name->setCompleter(nullptr);
    Name->setInsertPolicy(QComboBox::NoInsert);
    Name->lineEdit()->setMaxLength(50);
    Name->setMaxVisibleItems(20);
    Money = new TAmountEdit(Host);
    Money->setObjectName(QStringLiteral("edt%1_Money").arg(p));
    Money->setGeometry(303, 68, 232, 20);
    Memo = new QPlainTextEdit(Host);
    Memo->setObjectName(QStringLiteral("mem%1_Memo").arg(p));
    Memo->setGeometry(303, 98, 232, 42);
    Memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo->setTabChangesFocus(true);
    LimitPlainText(Memo, 255);

    FHost.MakeShapePair(Host, p + QStringLiteral("_Edit"), QStringLiteral("编辑"), 547, 37, 57, 22);
    FHost.MakeShapePair(Host, p + QStringLiteral("_Add"), QStringLiteral("添加"), 547, 118, 57, 22);
    List = MakeListView(Host, QStringLiteral("lvw%1_List").arg(p), 12, 151, 593, 185,
                        {{QStringLiteral("日期"), 85},
                         {QStringLiteral("类别"), 55},
                         {QStringLiteral("项目"), 135},
                         {QStringLiteral("金额"), 80, true},
                         {QStringLiteral("备注"), 205}});
    Total = MakeLabel(Host, QStringLiteral("lbl%1_Total").arg(p), TotalText(Expense, 0), 13, 349, Maroon);
    FHost.MakeShapePair(Host, p + QStringLiteral("_Delete"), QStringLiteral("删除"), 483, 344, 57, 22);
    FHost.MakeShapePair(Host, p + QStringLiteral("_Finish"), QStringLiteral("完成"), 547, 344, 57, 22);

    Host->setTabOrder(Date, Name);
    Host->setTabOrder(Name, Money);
    Host->setTabOrder(Money, Memo);
    Host->setTabOrder(Memo, List);
    for (QObject *field : {static_cast<QObject *>(Date), static_cast<QObject *>(Name),
                           static_cast<QObject *>(Name->lineEdit()), static_cast<QObject *>(Money),
                           static_cast<QObject *>(Memo)})
        field->installEventFilter(this);
    if (Expense)
        new TBudgetLine(*this, FHost.Session); // owned by the panel
    BuildSkip();
}

void TEntryPanel::BuildSkip()
{
    const QString p = Prefix();
    ListMenu = new QMenu(List);
    ListMenu->setObjectName(QStringLiteral("mnu%1_List").arg(p));
    SkipAction = ListMenu->addAction(QStringLiteral("跳过本次(&S)"));
    SkipAction->setObjectName(QStringLiteral("mnu%1_List_Skip").arg(p));
    connect(SkipAction, &QAction::triggered, this,
            [this] { RunGuarded(FHost.Session.Window(), [this] { Skip(); }); });
    List->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(List, &QWidget::customContextMenuRequested, this, [this](const QPoint &At) {
        if (QTreeWidgetItem *row = List->itemAt(At))
            List->setCurrentItem(row);
        SkipAction->setEnabled(SelectedProposal() != nullptr);
        ListMenu->popup(List->viewport()->mapToGlobal(At));
    });
    auto *button = new QToolButton(List->viewport());
    button->setObjectName(QStringLiteral("btn%1_Skip").arg(p));
    button->setText(QStringLiteral("跳过本次"));
    button->setToolTip(QStringLiteral("这一次不记账，以后也不再放入"));
    button->setAutoRaise(true);
    button->setCursor(Qt::PointingHandCursor);
    // Drawn as a link on the selected row: as low as the row, in its colours.
    button->setStyleSheet(QStringLiteral("QToolButton { border: none; padding: 0 6px; background: transparent; "
                                         "color: palette(highlighted-text); text-decoration: underline; }"));
    button->hide();
    SkipButton = button;
    connect(button, &QToolButton::clicked, this,
            [this] { RunGuarded(FHost.Session.Window(), [this] { Skip(); }); });
    connect(List, &QTreeWidget::itemSelectionChanged, this, [this] { PlaceSkipButton(); });
    connect(List->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { PlaceSkipButton(); });
    connect(List->horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { PlaceSkipButton(); });
    // Rows put in or taken out above the selected one move it.
    connect(List->model(), &QAbstractItemModel::rowsInserted, this, [this] { PlaceSkipButton(); });
    connect(List->model(), &QAbstractItemModel::rowsRemoved, this, [this] { PlaceSkipButton(); });
}

QTreeWidgetItem *TEntryPanel::SelectedProposal() const
{
    const QList<QTreeWidgetItem *> selected = List->selectedItems();
    qint64 id = 0;
    QDate date;
    return !selected.isEmpty() && ProposedOf(selected.first(), id, date) ? selected.first() : nullptr;
}

void TEntryPanel::PlaceSkipButton()
{
    QTreeWidgetItem *row = SelectedProposal();
    if (!row) {
        SkipButton->hide();
        return;
    }
    // At the right end of the row, inside it, so the row keeps its height.
    const QRect rect = List->visualItemRect(row);
    const int width = SkipButton->fontMetrics().horizontalAdvance(SkipButton->text()) + 14;
    const int right = qMin(List->viewport()->width(), rect.right() + 1);
    SkipButton->setGeometry(qMax(0, right - width), rect.top(), width, rect.height());
    SkipButton->show();
    SkipButton->raise();
}

void TEntryPanel::Skip()
{
    QTreeWidgetItem *row = SelectedProposal();
    if (!row)
        return;
    SkipProposed(FHost.Session, row);
    List->selectionModel()->clear();
    ShowTotal();
}

void TEntryPanel::showEvent(QShowEvent *Event)
{
    QWidget::showEvent(Event);
    // Rows put in while the panel was hidden (due recurring entries at
    // login) were measured before the list had its place: measured again,
    // they are as tall as the rows added on screen.
    List->doItemsLayout();
    PlaceSkipButton();
}

bool TEntryPanel::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Event->type() == QEvent::KeyPress && KeyEvent(Watched, static_cast<QKeyEvent *>(Event)))
        return true;
    return QWidget::eventFilter(Watched, Event);
}

bool TEntryPanel::KeyEvent(QObject *Watched, QKeyEvent *Event)
{
    // The amount field's own validator decides which characters get in.
    if (!IsEnter(Event))
        return false;
    if (Watched == Money) {
        Memo->setFocus();
        return true;
    }
    if (Watched == Date) {
        // A date that cannot be keeps the focus here, refused.
        if (auto *picker = dynamic_cast<TDatePicker *>(Date); picker && !picker->CommitTyped())
            return true;
        Name->setFocus();
        return true;
    }
    if (Watched == Name || Watched == Name->lineEdit()) {
        Money->setFocus();
        return true;
    }
    if (Watched == Memo) {
        RunGuarded(FHost.Session.Window(), [this] { Add(); });
        return true;
    }
    return false;
}

void TEntryPanel::Add()
{
    const QString date = Date->date().toString(QStringLiteral("yyyy-MM-dd"));
    const QString name = Name->currentText();
    const QString memo = Memo->toPlainText();
    if (name.trimmed().isEmpty()) {
        FHost.Session.Say(Expense ? QStringLiteral("您没有填写支出项目名称！")
                                  : QStringLiteral("您没有填写收入项目名称！"),
                          TMessageStyle::Warning);
        Name->setFocus();
        return;
    }
    QString amount;
    const QString problem = AmountProblem(NormaliseAmount(Money->text(), amount));
    if (!problem.isEmpty()) {
        FHost.Session.Say(problem, TMessageStyle::Warning);
        Money->clear();
        Money->setFocus();
        return;
    }
    List->addTopLevelItem(MakeRow(List, {date, Type(), name, amount, memo}));
    Name->setCurrentIndex(-1);
    Name->clearEditText();
    Money->clear();
    Memo->clear();
    Name->setFocus();
    ShowTotal();
}

void TEntryPanel::ShowTotal()
{
    double sum = 0;
    for (int i = 0; i < List->topLevelItemCount(); ++i)
        sum += ParseMoney(List->topLevelItem(i)->text(4));
    Total->setText(TotalText(Expense, sum));
    Total->adjustSize();
}

void TEntryPanel::Delete()
{
    const QList<QTreeWidgetItem *> selected = List->selectedItems();
    if (selected.isEmpty()) {
        FHost.Session.Say(QStringLiteral("请在上面的列表中选定一条记录，然后删除它。"),
                          TMessageStyle::Warning);
        return;
    }
    qint64 entry = 0;
    QDate date;
    if (ProposedOf(selected.first(), entry, date)) {
        // One question: a proposal deleted is either skipped or proposed
        // again, never lost without a word.
        if (FHost.Session.Say(SkipQuestion(selected.first()), TMessageStyle::Question))
            SkipProposed(FHost.Session, selected.first());
        else
            delete selected.first();
    } else {
        if (!FHost.Session.Say(QStringLiteral("您确定要删除指定的记录吗？"), TMessageStyle::Question))
            return;
        delete selected.first();
    }
    // Qt moves the selection to a neighbour; a second Delete must never
    // remove a row the user did not choose.
    List->selectionModel()->clear();
    ShowTotal();
}

bool TEntryPanel::Finish()
{
    QTreeWidget *list = List;
    if (list->topLevelItemCount() == 0) {
        FHost.Session.Say(Expense ? QStringLiteral("上面的列表中没有支出记录需要保存!")
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
    FHost.WhileButtonBusy(Prefix() + QStringLiteral("_Finish"), [&] {
        // One transaction: on an error nothing is stored and every pending
        // row stays, so Finish can simply be pressed again.
        FHost.Session.Database->AddRecords(
            FHost.Session.CurrentUser, Type(), dates, names, amounts, memos,
            WithRecurringHandled(PendingOriginsHook(list, FHost.Session.CurrentUser, Type(), names),
                                 FHost.Session.CurrentUser, ProposedIn(list)));
    });
    list->clear();
    ShowTotal();
    FHost.Session.Say(
        (Expense ? QStringLiteral("支出记录保存成功！") : QStringLiteral("收入记录保存成功！")) +
            QStringLiteral("\r\n\r\n您可以到“收支目录”处查看这些记录。"),
        TMessageStyle::Information);
    return true;
}

void TEntryPanel::Edit()
{
    QStringList outNames, inNames;
    FHost.WhileButtonBusy(Prefix() + QStringLiteral("_Edit"), [&] {
        FHost.Session.Database->GetProgramNames(FHost.Session.CurrentUser, outNames, inNames);
    });
    TfrmEditProgramNames editor(FHost.Session.Window());
    editor.UserName = FHost.Session.CurrentUser;
    editor.ListTitle = Expense ? QStringLiteral("支出项目名称") : QStringLiteral("收入项目名称");
    editor.SetLines(Expense ? outNames : inNames);
    editor.OnSaved = [this](bool Expense, const QStringList &Names) {
        QComboBox *combo = NameCombo(Expense);
        const QString typed = combo->currentText();
        combo->clear();
        combo->addItems(Names);
        combo->setCurrentIndex(-1);
        combo->setEditText(typed);
    };
    FHost.Session.ExecDialog(&editor);
}
