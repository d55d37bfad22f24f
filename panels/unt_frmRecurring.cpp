#include "panels/unt_frmRecurring.h"

#include "data/unt_clsAmount.h"
#include "data/unt_clsClock.h"
#include "data/unt_clsRecurringStore.h"
#include "ui/unt_clsSession.h"
#include "ui/unt_clsWidgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

namespace
{
const QString Expense = QStringLiteral("支出");
const QString Income = QStringLiteral("收入");

QComboBox *MakeCombo(QWidget *Parent, const char *Name, int X, int Y, int W)
{
    auto *combo = new QComboBox(Parent);
    combo->setObjectName(QLatin1String(Name));
    combo->setGeometry(X, Y, W, 20);
    return combo;
}
} // namespace

TfrmRecurring::TfrmRecurring(const QString &DatabaseFile, const QString &UserName,
                             const QStringList &OutNames, const QStringList &InNames, QWidget *Parent)
    : QDialog(Parent), FDatabaseFile(DatabaseFile), FUserName(UserName), FOutNames(OutNames),
      FInNames(InNames)
{
    setObjectName(QStringLiteral("frmRecurring"));
    setWindowTitle(QStringLiteral("定期收支"));
    setFixedSize(600, 372);
    lvwRecurring = MakeListView(this, QStringLiteral("lvwRecurring"), 12, 12, 576, 200,
                                {{QStringLiteral("类别"), 40},
                                 {QStringLiteral("项目"), 110},
                                 {QStringLiteral("金额"), 80, true},
                                 {QStringLiteral("备注"), 205},
                                 {QStringLiteral("周期"), 50},
                                 {QStringLiteral("下次日期"), 85}});

    MakeLabel(this, QStringLiteral("lblRecurring_Type"), QStringLiteral("类别："), 12, 228);
    cboRecurring_Type = MakeCombo(this, "cboRecurring_Type", 57, 224, 70);
    cboRecurring_Type->addItems({Expense, Income});
    MakeLabel(this, QStringLiteral("lblRecurring_Name"), QStringLiteral("项目："), 145, 228);
    cboRecurring_Name = MakeCombo(this, "cboRecurring_Name", 190, 224, 180);
    cboRecurring_Name->setEditable(true);
    cboRecurring_Name->setCompleter(nullptr);
    cboRecurring_Name->setInsertPolicy(QComboBox::NoInsert);
    cboRecurring_Name->lineEdit()->setMaxLength(50);
    cboRecurring_Name->setMaxVisibleItems(20);
    MakeLabel(this, QStringLiteral("lblRecurring_Money"), QStringLiteral("金额："), 388, 228);
    edtRecurring_Money = new TAmountEdit(this);
    edtRecurring_Money->setObjectName(QStringLiteral("edtRecurring_Money"));
    edtRecurring_Money->setGeometry(433, 224, 155, 20);
    edtRecurring_Money->setMaxLength(MaxAmountLength);

    MakeLabel(this, QStringLiteral("lblRecurring_Memo"), QStringLiteral("备注："), 12, 258);
    edtRecurring_Memo = new QLineEdit(this);
    edtRecurring_Memo->setObjectName(QStringLiteral("edtRecurring_Memo"));
    edtRecurring_Memo->setGeometry(57, 254, 531, 20);
    edtRecurring_Memo->setMaxLength(255);

    MakeLabel(this, QStringLiteral("lblRecurring_Cycle"), QStringLiteral("周期："), 12, 288);
    cboRecurring_Cycle = MakeCombo(this, "cboRecurring_Cycle", 57, 284, 70);
    cboRecurring_Cycle->addItems(CycleNames());
    cboRecurring_Cycle->setCurrentIndex(int(TRecurringCycle::Monthly));
    MakeLabel(this, QStringLiteral("lblRecurring_Start"), QStringLiteral("开始日期："), 145, 288);
    dtpRecurring_Start = MakeDatePicker(this, QStringLiteral("dtpRecurring_Start"), 214, 284, 110, 20);
    dtpRecurring_Start->setDate(Clock::Today());
    chkRecurring_End = new QCheckBox(QStringLiteral("结束日期："), this);
    chkRecurring_End->setObjectName(QStringLiteral("chkRecurring_End"));
    chkRecurring_End->setGeometry(388, 286, 90, 17);
    dtpRecurring_End = MakeDatePicker(this, QStringLiteral("dtpRecurring_End"), 478, 284, 110, 20);
    dtpRecurring_End->setDate(Clock::Today());
    dtpRecurring_End->setEnabled(false);
    connect(chkRecurring_End, &QCheckBox::toggled, dtpRecurring_End, &QWidget::setEnabled);

    btnRecurring_Add =
        MakeButton(this, QStringLiteral("btnRecurring_Add"), QStringLiteral("添加(&A)"), 267, 334);
    btnRecurring_Modify =
        MakeButton(this, QStringLiteral("btnRecurring_Modify"), QStringLiteral("修改(&M)"), 349, 334);
    btnRecurring_Delete =
        MakeButton(this, QStringLiteral("btnRecurring_Delete"), QStringLiteral("删除(&D)"), 431, 334);
    btnRecurring_Close =
        MakeButton(this, QStringLiteral("btnRecurring_Close"), QStringLiteral("关闭(&C)"), 513, 334);
    btnRecurring_Add->setDefault(true);

    FillNames();
    setTabOrder(cboRecurring_Type, cboRecurring_Name);
    setTabOrder(cboRecurring_Name, edtRecurring_Money);
    setTabOrder(edtRecurring_Money, edtRecurring_Memo);
    setTabOrder(edtRecurring_Memo, cboRecurring_Cycle);
    setTabOrder(cboRecurring_Cycle, dtpRecurring_Start);
    setTabOrder(dtpRecurring_Start, chkRecurring_End);
    setTabOrder(chkRecurring_End, dtpRecurring_End);
    setTabOrder(dtpRecurring_End, btnRecurring_Add);
    setTabOrder(btnRecurring_Add, btnRecurring_Modify);
    setTabOrder(btnRecurring_Modify, btnRecurring_Delete);
    setTabOrder(btnRecurring_Delete, btnRecurring_Close);
    setTabOrder(btnRecurring_Close, lvwRecurring);

    connect(cboRecurring_Type, &QComboBox::currentIndexChanged, this, [this] { FillNames(); });
    connect(lvwRecurring, &QTreeWidget::itemSelectionChanged, this, [this] { ShowSelected(); });
    connect(btnRecurring_Add, &QPushButton::clicked, this,
            [this] { RunGuarded(this, [this] { btnRecurring_AddClick(); }); });
    connect(btnRecurring_Modify, &QPushButton::clicked, this,
            [this] { RunGuarded(this, [this] { btnRecurring_ModifyClick(); }); });
    connect(btnRecurring_Delete, &QPushButton::clicked, this,
            [this] { RunGuarded(this, [this] { btnRecurring_DeleteClick(); }); });
    connect(btnRecurring_Close, &QPushButton::clicked, this, &QDialog::reject);
}

bool TfrmRecurring::Say(const QString &Text, TMessageStyle Style)
{
    return ShowMessage(this, ApplicationTitle(), Text, Style);
}

void TfrmRecurring::FillNames()
{
    // The typed name stays: switching the type only changes the choices.
    const QString typed = cboRecurring_Name->currentText();
    cboRecurring_Name->clear();
    cboRecurring_Name->addItems(cboRecurring_Type->currentText() == Income ? FInNames : FOutNames);
    cboRecurring_Name->setCurrentIndex(-1);
    cboRecurring_Name->setEditText(typed);
}

void TfrmRecurring::FillList()
{
    const qint64 selected = SelectedID();
    {
        TclsWaitCursor wait;
        FEntries = RecurringStore::Entries(FDatabaseFile, FUserName);
    }
    const TPendingDates pending = Pending ? Pending() : TPendingDates();
    const QSignalBlocker quiet(lvwRecurring);
    lvwRecurring->clear();
    for (const TRecurringEntry &entry : std::as_const(FEntries)) {
        // The next date not yet in the books nor waiting in a pending list.
        const QDate next = NextOpenOccurrence(entry, pending.value(entry.ID));
        QTreeWidgetItem *row =
            MakeRow(lvwRecurring, {entry.Type, entry.Name, entry.Money, entry.Memo, CycleName(entry.Cycle),
                                   next.isValid() ? next.toString(QStringLiteral("yyyy-MM-dd")) : QString()});
        row->setData(0, Qt::UserRole, entry.ID);
        lvwRecurring->addTopLevelItem(row);
    }
    Select(selected);
}

qint64 TfrmRecurring::SelectedID() const
{
    const QList<QTreeWidgetItem *> selected = lvwRecurring->selectedItems();
    return selected.isEmpty() ? 0 : selected.first()->data(0, Qt::UserRole).toLongLong();
}

void TfrmRecurring::Select(qint64 ID)
{
    for (int i = 0; i < lvwRecurring->topLevelItemCount(); ++i) {
        QTreeWidgetItem *row = lvwRecurring->topLevelItem(i);
        if (ID != 0 && row->data(0, Qt::UserRole).toLongLong() == ID) {
            lvwRecurring->setCurrentItem(row);
            lvwRecurring->scrollToItem(row);
            return;
        }
    }
    lvwRecurring->selectionModel()->clear();
}

void TfrmRecurring::ShowSelected()
{
    const qint64 id = SelectedID();
    for (const TRecurringEntry &entry : std::as_const(FEntries)) {
        if (entry.ID != id)
            continue;
        cboRecurring_Type->setCurrentIndex(entry.Type == Income ? 1 : 0);
        FillNames();
        cboRecurring_Name->setEditText(entry.Name);
        edtRecurring_Money->setText(entry.Money);
        edtRecurring_Memo->setText(entry.Memo);
        cboRecurring_Cycle->setCurrentIndex(int(entry.Cycle));
        dtpRecurring_Start->setDate(entry.Start);
        chkRecurring_End->setChecked(entry.End.isValid());
        dtpRecurring_End->setDate(entry.End.isValid() ? entry.End : entry.Start);
        return;
    }
}

bool TfrmRecurring::ReadFields(TRecurringEntry &Entry)
{
    Entry.Type = cboRecurring_Type->currentText() == Income ? Income : Expense;
    Entry.Name = cboRecurring_Name->currentText();
    if (Entry.Name.trimmed().isEmpty()) {
        Say(Entry.Type == Expense ? QStringLiteral("您没有填写支出项目名称！")
                                  : QStringLiteral("您没有填写收入项目名称！"),
            TMessageStyle::Warning);
        cboRecurring_Name->setFocus();
        return false;
    }
    if (const QString problem = AmountProblem(NormaliseAmount(edtRecurring_Money->text(), Entry.Money));
        !problem.isEmpty()) {
        Say(problem, TMessageStyle::Warning);
        edtRecurring_Money->setFocus();
        return false;
    }
    Entry.Memo = edtRecurring_Memo->text();
    Entry.Cycle = TRecurringCycle(cboRecurring_Cycle->currentIndex());
    Entry.Start = dtpRecurring_Start->date();
    Entry.End = chkRecurring_End->isChecked() ? dtpRecurring_End->date() : QDate();
    if (Entry.End.isValid() && Entry.End < Entry.Start) {
        Say(QStringLiteral("结束日期不能早于开始日期！"), TMessageStyle::Warning);
        dtpRecurring_End->setFocus();
        return false;
    }
    return true;
}

void TfrmRecurring::btnRecurring_AddClick()
{
    TRecurringEntry entry;
    if (!ReadFields(entry))
        return;
    {
        TclsBusyButton busy(btnRecurring_Add);
        entry.ID = RecurringStore::AddEntry(FDatabaseFile, FUserName, entry);
    }
    if (OnChanged)
        OnChanged(this, 0);
    FillList();
    Select(entry.ID);
}

void TfrmRecurring::btnRecurring_ModifyClick()
{
    TRecurringEntry entry;
    entry.ID = SelectedID();
    if (entry.ID == 0) {
        Say(QStringLiteral("请在上面的列表中选定一条定期收支，然后修改它。"), TMessageStyle::Warning);
        return;
    }
    if (!ReadFields(entry))
        return;
    {
        TclsBusyButton busy(btnRecurring_Modify);
        RecurringStore::UpdateEntry(FDatabaseFile, FUserName, entry);
    }
    if (OnChanged)
        OnChanged(this, entry.ID);
    FillList();
}

void TfrmRecurring::btnRecurring_DeleteClick()
{
    const qint64 id = SelectedID();
    if (id == 0) {
        Say(QStringLiteral("请在上面的列表中选定一条定期收支，然后删除它。"), TMessageStyle::Warning);
        return;
    }
    if (!Say(QStringLiteral("您确定要删除选定的定期收支吗？"), TMessageStyle::Question))
        return;
    {
        TclsBusyButton busy(btnRecurring_Delete);
        RecurringStore::DeleteEntry(FDatabaseFile, FUserName, id);
    }
    FillList();
}

void ShowRecurring(TclsSession &Session, const std::function<void(QWidget *, qint64)> &OnChanged,
                   const std::function<TPendingDates()> &Pending)
{
    QStringList outNames, inNames;
    {
        TclsWaitCursor wait;
        Session.Database->GetProgramNames(Session.CurrentUser, outNames, inNames);
    }
    TfrmRecurring dialog(Session.Database->DatabaseFile(), Session.CurrentUser, outNames, inNames,
                         Session.Window());
    dialog.OnChanged = OnChanged;
    dialog.Pending = Pending;
    dialog.FillList();
    Session.ExecDialog(&dialog);
}
