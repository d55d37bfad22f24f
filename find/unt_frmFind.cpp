#include "find/unt_frmFind.h"

#include "data/unt_clsAmount.h"
#include "data/unt_clsClock.h"
#include "data/unt_clsFindStore.h"
#include "ui/unt_clsListModel.h"
#include "ui/unt_clsLook.h"
#include "ui/unt_clsSession.h"
#include "ui/unt_clsWidgets.h"
#include "ui/unt_clsWindowSize.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QShortcut>
#include <QTimer>
#include <QTreeView>

#include <utility>

namespace
{
const QString AllNames = QStringLiteral("全部项目");
// How often the window looks whether the program changed a record: a look
// is one comparison of two numbers.
constexpr int StaleCheckMs = 400;

QComboBox *MakeCombo(QWidget *Parent, const char *Name, int X, int Y, int W)
{
    auto *combo = new QComboBox(Parent);
    combo->setObjectName(QLatin1String(Name));
    combo->setGeometry(X, Y, W, 20);
    return combo;
}

TAmountEdit *MakeBound(QWidget *Parent, const char *Name, int X, int Y)
{
    auto *edit = new TAmountEdit(Parent);
    edit->setObjectName(QLatin1String(Name));
    edit->setGeometry(X, Y, 112, 20);
    edit->setMaxLength(MaxAmountLength);
    return edit;
}
} // namespace

TfrmFind::TfrmFind(TclsSession &Session, TclsOutputs &Outputs, TFindFollow Follow, QWidget *Parent)
    : QWidget(Parent, Qt::Window), FSession(Session), FOutputs(Outputs), FFollow(std::move(Follow))
{
    setObjectName(QStringLiteral("frmFind"));
    setWindowTitle(QStringLiteral("查找记录"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(640, 440);
    PinProgramLook(this);
    UseSizableWindowButtons(this);
    BuildControls();
    ConnectControls();
    BuildSavedMenu();
    // Larger, the list takes the room; the fields keep their row.
    auto *anchors = new TclsAnchors(this, size());
    for (const char *name : {"lblFind_Saved", "cboFind_Saved", "btnFind_Save"})
        anchors->Add(findChild<QWidget *>(QLatin1String(name)), 1, 0);
    anchors->Add(edtFind_Text, 0, 0, 1, 0);
    anchors->Add(lvwFind, 0, 0, 1, 1);
    anchors->Add(lblFind_Summary, 0, 1);
    for (QWidget *button : {btnFind_Delete, btnFind_Export, btnFind_Close})
        anchors->Add(button, 1, 1);
    KeepWindowSize(this, QStringLiteral("frmFind"));
    FStaleCheck = new QTimer(this);
    FStaleCheck->setInterval(StaleCheckMs);
    connect(FStaleCheck, &QTimer::timeout, this, [this] { RunGuarded(this, [this] { ReloadIfStale(); }); });
}

TfrmFind::~TfrmFind()
{
    // The list goes after the results it reads: it must ask for none.
    delete lvwFind;
}

void TfrmFind::BuildControls()
{
    MakeLabel(this, QStringLiteral("lblFind_Text"), QStringLiteral("查找："), 12, 14);
    edtFind_Text = new QLineEdit(this);
    edtFind_Text->setObjectName(QStringLiteral("edtFind_Text"));
    edtFind_Text->setGeometry(72, 10, 372, 20);
    edtFind_Text->setMaxLength(255);
    edtFind_Text->setToolTip(QStringLiteral("在备注和项目中查找，多个词用空格分开；金额也可以查找"));
    MakeLabel(this, QStringLiteral("lblFind_Saved"), QStringLiteral("已保存："), 456, 14);
    cboFind_Saved = MakeCombo(this, "cboFind_Saved", 510, 10, 118);

    MakeLabel(this, QStringLiteral("lblFind_Date"), QStringLiteral("日期："), 12, 40);
    dtpFind_Date1 = MakeDatePicker(this, QStringLiteral("dtpFind_Date1"), 72, 36, 112, 20);
    MakeLabel(this, QStringLiteral("lblFind_DateTo"), QStringLiteral("-"), 189, 40);
    dtpFind_Date2 = MakeDatePicker(this, QStringLiteral("dtpFind_Date2"), 200, 36, 112, 20);
    MakeLabel(this, QStringLiteral("lblFind_Type"), QStringLiteral("类别："), 326, 40);
    cboFind_Type = MakeCombo(this, "cboFind_Type", 366, 36, 70);
    cboFind_Type->addItems({QStringLiteral("全部"), QStringLiteral("支出"), QStringLiteral("收入")});
    MakeLabel(this, QStringLiteral("lblFind_Name"), QStringLiteral("项目："), 448, 40);
    cboFind_Name = MakeCombo(this, "cboFind_Name", 488, 36, 140);
    cboFind_Name->setMaxVisibleItems(20);

    MakeLabel(this, QStringLiteral("lblFind_Money"), QStringLiteral("金额："), 12, 66);
    edtFind_Min = MakeBound(this, "edtFind_Min", 72, 62);
    MakeLabel(this, QStringLiteral("lblFind_MoneyTo"), QStringLiteral("-"), 189, 66);
    edtFind_Max = MakeBound(this, "edtFind_Max", 200, 62);
    btnFind_Save =
        MakeButton(this, QStringLiteral("btnFind_Save"), QStringLiteral("保存查找(&S)..."), 528, 61, 100);

    // A result may be every record of ten busy years: the list is a view
    // over the results, its texts made only for the rows it shows.
    FModel = new TclsListModel({{QStringLiteral("日期"), 85},
                                {QStringLiteral("类别"), 55},
                                {QStringLiteral("项目"), 135},
                                {QStringLiteral("金额"), 80, true},
                                {QStringLiteral("备注"), 205}},
                               0, [this](int Row, int Column) {
                                   const TRangeRecords &records = FIndex.Records();
                                   const qsizetype i = FResult.Rows[size_t(Row)];
                                   switch (Column) {
                                   case 0:
                                       return records.DateText(i);
                                   case 1:
                                       return records.TypeText(i);
                                   case 2:
                                       return records.Name(i);
                                   case 3:
                                       return records.MoneyText(i);
                                   default:
                                       return records.Memo(i);
                                   }
                               });
    lvwFind = MakeModelListView(this, QStringLiteral("lvwFind"), 12, 92, 616, 304, FModel);
    lvwFind->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lvwFind->header()->setStretchLastSection(true); // the memo takes a wider window's room

    lblFind_Summary = MakeLabel(this, QStringLiteral("lblFind_Summary"), QString(), 13, 410, Maroon);
    btnFind_Delete = MakeButton(this, QStringLiteral("btnFind_Delete"), QStringLiteral("删除(&D)"), 389, 405);
    btnFind_Export =
        MakeButton(this, QStringLiteral("btnFind_Export"), QStringLiteral("导出(&E)..."), 471, 405);
    btnFind_Close = MakeButton(this, QStringLiteral("btnFind_Close"), QStringLiteral("关闭(&C)"), 553, 405);

    setTabOrder(edtFind_Text, cboFind_Saved);
    setTabOrder(cboFind_Saved, dtpFind_Date1);
    setTabOrder(dtpFind_Date1, dtpFind_Date2);
    setTabOrder(dtpFind_Date2, cboFind_Type);
    setTabOrder(cboFind_Type, cboFind_Name);
    setTabOrder(cboFind_Name, edtFind_Min);
    setTabOrder(edtFind_Min, edtFind_Max);
    setTabOrder(edtFind_Max, btnFind_Save);
    setTabOrder(btnFind_Save, lvwFind);
    setTabOrder(lvwFind, btnFind_Delete);
    setTabOrder(btnFind_Delete, btnFind_Export);
    setTabOrder(btnFind_Export, btnFind_Close);
}

void TfrmFind::ConnectControls()
{
    const auto refresh = [this] {
        if (!FApplying)
            RunGuarded(this, [this] { Refresh(); });
    };
    connect(edtFind_Text, &QLineEdit::textChanged, this, refresh);
    connect(edtFind_Min, &QLineEdit::textChanged, this, refresh);
    connect(edtFind_Max, &QLineEdit::textChanged, this, refresh);
    connect(dtpFind_Date1, &QDateEdit::dateChanged, this, refresh);
    connect(dtpFind_Date2, &QDateEdit::dateChanged, this, refresh);
    connect(cboFind_Type, &QComboBox::currentIndexChanged, this, refresh);
    connect(cboFind_Name, &QComboBox::currentIndexChanged, this, refresh);
    for (QLineEdit *bound : {edtFind_Min, edtFind_Max})
        connect(bound, &QLineEdit::editingFinished, this, [this, bound] { CheckBound(bound); });
    connect(cboFind_Saved, &QComboBox::activated, this,
            [this](int Index) { RunGuarded(this, [&] { cboFind_SavedSelect(Index); }); });
    // Enter or a double-click (or a single click where the desktop opens
    // items so) corrects the record.
    connect(lvwFind, &QAbstractItemView::activated, this,
            [this] { RunGuarded(this, [this] { ModifyCurrent(); }); });
    connect(btnFind_Save, &QPushButton::clicked, this,
            [this] { RunGuarded(this, [this] { btnFind_SaveClick(); }); });
    connect(btnFind_Delete, &QPushButton::clicked, this,
            [this] { RunGuarded(this, [this] { btnFind_DeleteClick(); }); });
    connect(btnFind_Export, &QPushButton::clicked, this,
            [this] { RunGuarded(this, [this] { btnFind_ExportClick(); }); });
    connect(btnFind_Close, &QPushButton::clicked, this, &QWidget::close);
    // Ctrl+F inside the window goes back to the words.
    auto *words = new QShortcut(QKeySequence::Find, this);
    connect(words, &QShortcut::activated, this, [this] {
        edtFind_Text->setFocus();
        edtFind_Text->selectAll();
    });
}

void TfrmFind::Load()
{
    {
        TclsWaitCursor wait;
        ReadRecords();
    }
    FillNames();
    FillSaved();
    TFindQuery last;
    TclsFindStore(FSession.Database->DatabaseFile()).LoadSearch(FSession.CurrentUser, QString(), last);
    SetQuery(last);
    FLastSaved = Query();
    FStaleCheck->start();
    edtFind_Text->setFocus();
    edtFind_Text->selectAll();
}

void TfrmFind::ReadRecords()
{
    TclsFindStore store(FSession.Database->DatabaseFile());
    // Taken before the read: a change made meanwhile reads again.
    FGeneration = TclsFindStore::LedgerWrites();
    TRangeRecords records;
    store.GetAllRecords(*FSession.Database, FSession.CurrentUser, records);
    FFirst = records.From();
    FLast = records.To();
    if (!FFirst.isValid())
        FFirst = FLast = Clock::Today();
    FIndex.Reset(std::move(records));
}

void TfrmFind::FillNames()
{
    const QString current = cboFind_Name->currentIndex() > 0 ? cboFind_Name->currentText() : QString();
    QStringList outNames, inNames;
    FSession.Database->GetProgramNames(FSession.CurrentUser, outNames, inNames);
    QStringList names = outNames + inNames;
    names += FIndex.Names();
    names.removeDuplicates();
    names.removeAll(AllNames);
    const bool applying = std::exchange(FApplying, true);
    cboFind_Name->clear();
    cboFind_Name->addItem(AllNames);
    cboFind_Name->addItems(names);
    cboFind_Name->setCurrentIndex(current.isEmpty() ? 0 : std::max(0, int(names.indexOf(current)) + 1));
    FApplying = applying;
}

void TfrmFind::ReloadIfStale()
{
    if (FGeneration == TclsFindStore::LedgerWrites())
        return;
    // The picked dates that were the ends of the records stay the ends.
    TFindQuery query = Query();
    {
        TclsWaitCursor wait;
        ReadRecords();
    }
    FillNames();
    SetQuery(query);
}

TFindQuery TfrmFind::Query() const
{
    TFindQuery query;
    query.Words = edtFind_Text->text();
    // The first and last record's dates are kept as open ends, so a search
    // kept in the books still reaches records added after it.
    if (dtpFind_Date1->date() != FFirst)
        query.From = dtpFind_Date1->date();
    if (dtpFind_Date2->date() != FLast)
        query.To = dtpFind_Date2->date();
    if (cboFind_Type->currentIndex() > 0)
        query.Type = cboFind_Type->currentText();
    if (cboFind_Name->currentIndex() > 0)
        query.Name = cboFind_Name->currentText();
    query.Min = edtFind_Min->text();
    query.Max = edtFind_Max->text();
    return query;
}

void TfrmFind::SetQuery(const TFindQuery &Query)
{
    {
        const bool applying = std::exchange(FApplying, true);
        auto restore = qScopeGuard([&] { FApplying = applying; });
        edtFind_Text->setText(Query.Words);
        dtpFind_Date1->setDate(Query.From.isValid() ? Query.From : FFirst);
        dtpFind_Date2->setDate(Query.To.isValid() ? Query.To : FLast);
        cboFind_Type->setCurrentIndex(std::max(0, cboFind_Type->findText(Query.Type)));
        int name = Query.Name.isEmpty() ? 0 : cboFind_Name->findText(Query.Name);
        if (name < 0) { // a name no record or list has any more
            cboFind_Name->addItem(Query.Name);
            name = cboFind_Name->count() - 1;
        }
        cboFind_Name->setCurrentIndex(name);
        edtFind_Min->setText(Query.Min);
        edtFind_Max->setText(Query.Max);
    }
    Refresh();
}

void TfrmFind::Refresh()
{
    TFindQuery query = Query();
    // The pickers' dates are the filter whatever they are.
    query.From = dtpFind_Date1->date();
    query.To = dtpFind_Date2->date();
    ForgetShownNameIfChanged();
    FResult = FIndex.Run(query);
    FModel->Reset(int(FResult.Rows.size()));
    lblFind_Summary->setText(SummaryText());
    lblFind_Summary->adjustSize();
}

QString TfrmFind::SummaryText() const
{
    return QStringLiteral("找到 %1 条记录：支出合计 %2，收入合计 %3")
        .arg(FResult.Rows.size())
        .arg(FormatMoney(FResult.Out), FormatMoney(FResult.In));
}

void TfrmFind::CheckBound(QLineEdit *Edit)
{
    if (FChecking || Edit->text().isEmpty())
        return;
    QString amount;
    const TAmountCheck check = NormaliseAmount(Edit->text(), amount);
    if (check == TAmountCheck::Ok)
        return;
    const bool checking = std::exchange(FChecking, true);
    auto restore = qScopeGuard([&] { FChecking = checking; });
    Say(AmountProblem(check), TMessageStyle::Warning);
    Edit->clear();
    Edit->setFocus();
}

bool TfrmFind::Say(const QString &Text, TMessageStyle Style)
{
    return ShowMessage(this, FSession.AppTitle.isEmpty() ? ApplicationTitle() : FSession.AppTitle, Text,
                       Style);
}

void TfrmFind::closeEvent(QCloseEvent *Event)
{
    FStaleCheck->stop();
    SaveLastSearch();
    Event->accept();
}

void TfrmFind::keyPressEvent(QKeyEvent *Event)
{
    if (Event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(Event);
}

bool TfrmFind::event(QEvent *Event)
{
    // Coming back to the window shows the books as they are now.
    if (Event->type() == QEvent::WindowActivate && FStaleCheck && FStaleCheck->isActive())
        RunGuarded(this, [this] { ReloadIfStale(); });
    return QWidget::event(Event);
}
