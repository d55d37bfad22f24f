#include "reports/unt_frmTrend.h"

#include "data/unt_clsAmount.h"
#include "reports/unt_trendChart.h"
#include "ui/unt_clsListModel.h"
#include "ui/unt_clsMessages.h"
#include "ui/unt_clsWidgets.h"
#include "ui/unt_clsWindowSize.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>

TfrmTrend::TfrmTrend(QWidget *Parent) : QDialog(Parent)
{
    setObjectName(QStringLiteral("frmTrend"));
    setWindowTitle(QStringLiteral("收支趋势"));
    resize(740, 540);
    UseSizableWindowButtons(this);
    MakeLabel(this, QStringLiteral("lblTrend_Date"), QStringLiteral("日期："), 15, 14);
    dtpTrend_Date1 = MakeDatePicker(this, QStringLiteral("dtpTrend_Date1"), 55, 10, 100, 20);
    MakeLabel(this, QStringLiteral("lblTrend_DateTo"), QStringLiteral("-"), 159, 14);
    dtpTrend_Date2 = MakeDatePicker(this, QStringLiteral("dtpTrend_Date2"), 168, 10, 100, 20);
    btnTrend_View =
        MakeButton(this, QStringLiteral("btnTrend_View"), QStringLiteral("查看(&V)"), 276, 9, 60, 22);
    rdoTrend_Month = new QRadioButton(QStringLiteral("按月"), this);
    rdoTrend_Month->setObjectName(QStringLiteral("rdoTrend_Month"));
    rdoTrend_Month->setGeometry(360, 11, 56, 20);
    rdoTrend_Month->setChecked(true);
    rdoTrend_Year = new QRadioButton(QStringLiteral("按年"), this);
    rdoTrend_Year->setObjectName(QStringLiteral("rdoTrend_Year"));
    rdoTrend_Year->setGeometry(420, 11, 56, 20);
    QLabel *name = MakeLabel(this, QStringLiteral("lblTrend_Name"), QStringLiteral("项目："), 500, 14);
    cboTrend_Name = new QComboBox(this);
    cboTrend_Name->setObjectName(QStringLiteral("cboTrend_Name"));
    cboTrend_Name->setGeometry(540, 10, 185, 20);
    cboTrend_Name->setMaxVisibleItems(20);
    chtTrend = new TTrendChart(this);
    chtTrend->setObjectName(QStringLiteral("chtTrend"));
    chtTrend->setGeometry(15, 38, 710, 250);
    // Income's columns come after those of expenses, so each column keeps
    // its place for whoever reads the list by position.
    FModel = new TclsListModel({{QStringLiteral("期间"), 70},
                                {QStringLiteral("支出"), 95, true},
                                {QStringLiteral("收入"), 95, true},
                                {QStringLiteral("结余"), 95, true},
                                {QStringLiteral("去年同期支出"), 100, true},
                                {QStringLiteral("同比"), 65, true},
                                {QStringLiteral("去年同期收入"), 100, true},
                                {QStringLiteral("收入同比"), 70, true}},
                               0, [this](int Row, int Column) { return Cell(Row, Column); });
    lvwTrend = MakeModelListView(this, QStringLiteral("lvwTrend"), 15, 298, 710, 227, FModel);
    lvwTrend->installEventFilter(this);
    // Larger, the chart and the list share the room.
    auto *anchors = new TclsAnchors(this, size());
    anchors->Add(name, 1, 0);
    anchors->Add(cboTrend_Name, 1, 0);
    anchors->Add(chtTrend, 0, 0, 1, 0.5);
    anchors->Add(lvwTrend, 0, 0.5, 1, 0.5);
    KeepWindowSize(this, QStringLiteral("frmTrend"));
    setTabOrder(dtpTrend_Date1, dtpTrend_Date2);
    setTabOrder(dtpTrend_Date2, btnTrend_View);
    setTabOrder(btnTrend_View, rdoTrend_Month);
    setTabOrder(rdoTrend_Month, rdoTrend_Year);
    setTabOrder(rdoTrend_Year, cboTrend_Name);
    setTabOrder(cboTrend_Name, lvwTrend);
    connect(rdoTrend_Month, &QRadioButton::toggled, this, [this] { Regroup(); });
    connect(cboTrend_Name, &QComboBox::currentIndexChanged, this, [this] { Regroup(); });
    connect(btnTrend_View, &QPushButton::clicked, this,
            [this] { RunGuarded(this, [this] { btnTrend_ViewClick(); }); });
    connect(lvwTrend, &QTreeView::doubleClicked, this, [this](const QModelIndex &Index) { Choose(Index); });
}

void TfrmTrend::SetData(TCategoryDays Days, const QDate &From, const QDate &To, const QStringList &OutNames,
                        const QStringList &InNames)
{
    FDays = std::move(Days);
    FFrom = From;
    FTo = To;
    FOutNames = OutNames;
    FInNames = InNames;
    {
        const QSignalBlocker quiet1(dtpTrend_Date1), quiet2(dtpTrend_Date2);
        dtpTrend_Date1->setDate(From);
        dtpTrend_Date2->setDate(To);
    }
    const QString chosen = cboTrend_Name->currentIndex() > 0 ? cboTrend_Name->currentText() : QString();
    QStringList names = {QStringLiteral("全部项目")};
    for (const QStringList &list : {OutNames, InNames, FDays.Names()})
        for (const QString &name : list)
            if (!name.trimmed().isEmpty() && !names.contains(name))
                names << name;
    const QSignalBlocker quiet(cboTrend_Name);
    cboTrend_Name->clear();
    cboTrend_Name->addItems(names);
    cboTrend_Name->setCurrentIndex(std::max(0, int(names.indexOf(chosen))));
    Regroup();
}

void TfrmTrend::btnTrend_ViewClick()
{
    const QDate from = dtpTrend_Date1->date(), to = dtpTrend_Date2->date();
    if (from > to) {
        ShowMessage(this, ApplicationTitle(), QStringLiteral("查看起始日期不能大于截止日期！"),
                    TMessageStyle::Warning);
        dtpTrend_Date1->setFocus();
        return;
    }
    if (!Read)
        return;
    TCategoryDays days;
    {
        TclsBusyButton busy(btnTrend_View);
        Read(from, to, days);
    }
    SetData(std::move(days), from, to, FOutNames, FInNames);
}

void TfrmTrend::Regroup()
{
    int name = -1;
    const QString chosen = cboTrend_Name->currentIndex() > 0 ? cboTrend_Name->currentText() : QString();
    if (!chosen.isEmpty()) {
        name = FDays.IndexOf(chosen);
        if (name < 0) // a category without records in the range
            name = int(FDays.Names().size());
    }
    const TTrendPeriod period = rdoTrend_Year->isChecked() ? TTrendPeriod::Year : TTrendPeriod::Month;
    FTrend = MakeTrend(FDays, FFrom, FTo, period, name);
    chtTrend->SetRows(FTrend.Rows, period);
    // One category shows only what its type can have; a name of both lists,
    // or of neither, shows what it has.
    bool out = FOutNames.contains(chosen), in = FInNames.contains(chosen);
    if (out == in) {
        out = FTrend.Total.Out != 0 || FTrend.Total.In == 0;
        in = FTrend.Total.In != 0;
    }
    if (chosen.isEmpty())
        chtTrend->SetShown(true, true, true);
    else
        chtTrend->SetShown(out, in, out && in);
    FModel->Reset(FFrom.isValid() ? int(FTrend.Rows.size()) + 1 : 0);
}

QString TfrmTrend::Cell(int Row, int Column) const
{
    const TTrendRow &row = Row < FTrend.Rows.size() ? FTrend.Rows[Row] : FTrend.Total;
    switch (Column) {
    case 0:
        return row.Label;
    case 1:
        return FormatCents(row.Out);
    case 2:
        return FormatCents(row.In);
    case 3:
        return FormatCents(row.Balance());
    case 4:
        return FormatCents(row.LastOut);
    case 5:
        return ChangeText(row.Out, row.LastOut);
    case 6:
        return FormatCents(row.LastIn);
    default:
        return ChangeText(row.In, row.LastIn);
    }
}

void TfrmTrend::Choose(const QModelIndex &Index)
{
    if (!Index.isValid())
        return;
    const TTrendRow &row = Index.row() < FTrend.Rows.size() ? FTrend.Rows[Index.row()] : FTrend.Total;
    ChosenFrom = row.From;
    ChosenTo = row.To;
    ChosenName = cboTrend_Name->currentIndex() > 0 ? cboTrend_Name->currentText() : QString();
    accept();
}

bool TfrmTrend::eventFilter(QObject *Watched, QEvent *Event)
{
    // Enter on a row does what a double-click does.
    if (Watched == lvwTrend && Event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(Event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Choose(lvwTrend->currentIndex());
            return true;
        }
    }
    return QDialog::eventFilter(Watched, Event);
}
