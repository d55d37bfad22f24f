#include "reports/unt_frmTrend.h"

#include "data/unt_clsAmount.h"
#include "reports/unt_frmShowRecord.h"
#include "reports/unt_trendChart.h"
#include "ui/unt_clsListModel.h"
#include "ui/unt_clsWidgets.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QRadioButton>
#include <QTreeView>

TfrmTrend::TfrmTrend(QWidget *Parent) : QDialog(Parent)
{
    setObjectName(QStringLiteral("frmTrend"));
    setWindowTitle(QStringLiteral("收支趋势"));
    setFixedSize(622, 540);
    lblDate = MakeLabel(this, QStringLiteral("lblDate"), QString(), 15, 14);
    rdoTrend_Month = new QRadioButton(QStringLiteral("按月"), this);
    rdoTrend_Month->setObjectName(QStringLiteral("rdoTrend_Month"));
    rdoTrend_Month->setGeometry(250, 11, 56, 20);
    rdoTrend_Month->setChecked(true);
    rdoTrend_Year = new QRadioButton(QStringLiteral("按年"), this);
    rdoTrend_Year->setObjectName(QStringLiteral("rdoTrend_Year"));
    rdoTrend_Year->setGeometry(310, 11, 56, 20);
    MakeLabel(this, QStringLiteral("lblTrend_Name"), QStringLiteral("项目："), 388, 14);
    cboTrend_Name = new QComboBox(this);
    cboTrend_Name->setObjectName(QStringLiteral("cboTrend_Name"));
    cboTrend_Name->setGeometry(428, 10, 180, 20);
    cboTrend_Name->setMaxVisibleItems(20);
    chtTrend = new TTrendChart(this);
    chtTrend->setObjectName(QStringLiteral("chtTrend"));
    chtTrend->setGeometry(15, 38, 593, 250);
    FModel = new TclsListModel({{QStringLiteral("期间"), 75},
                                {QStringLiteral("支出"), 100, true},
                                {QStringLiteral("收入"), 100, true},
                                {QStringLiteral("结余"), 100, true},
                                {QStringLiteral("去年同期支出"), 105, true},
                                {QStringLiteral("同比"), 70, true}},
                               0, [this](int Row, int Column) { return Cell(Row, Column); });
    lvwTrend = MakeModelListView(this, QStringLiteral("lvwTrend"), 15, 298, 593, 227, FModel);
    lvwTrend->installEventFilter(this);
    setTabOrder(rdoTrend_Month, rdoTrend_Year);
    setTabOrder(rdoTrend_Year, cboTrend_Name);
    setTabOrder(cboTrend_Name, lvwTrend);
    connect(rdoTrend_Month, &QRadioButton::toggled, this, [this] { Regroup(); });
    connect(cboTrend_Name, &QComboBox::currentIndexChanged, this, [this] { Regroup(); });
    connect(lvwTrend, &QTreeView::doubleClicked, this, [this](const QModelIndex &Index) { Choose(Index); });
}

void TfrmTrend::SetData(TCategoryDays Days, const QDate &From, const QDate &To, const QStringList &Names)
{
    FDays = std::move(Days);
    FFrom = From;
    FTo = To;
    lblDate->setText(RangeLabel(From, To));
    lblDate->adjustSize();
    QStringList names = {QStringLiteral("全部项目")};
    for (const QStringList &list : {Names, FDays.Names()})
        for (const QString &name : list)
            if (!name.trimmed().isEmpty() && !names.contains(name))
                names << name;
    const QSignalBlocker quiet(cboTrend_Name);
    cboTrend_Name->clear();
    cboTrend_Name->addItems(names);
    cboTrend_Name->setCurrentIndex(0);
    Regroup();
}

void TfrmTrend::Regroup()
{
    int name = -1;
    if (cboTrend_Name->currentIndex() > 0) {
        name = FDays.IndexOf(cboTrend_Name->currentText());
        if (name < 0) // a category without records in the range
            name = int(FDays.Names().size());
    }
    const TTrendPeriod period = rdoTrend_Year->isChecked() ? TTrendPeriod::Year : TTrendPeriod::Month;
    FTrend = MakeTrend(FDays, FFrom, FTo, period, name);
    chtTrend->SetRows(FTrend.Rows, period);
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
    default:
        return ChangeText(row.Out, row.LastOut);
    }
}

void TfrmTrend::Choose(const QModelIndex &Index)
{
    if (!Index.isValid())
        return;
    const TTrendRow &row = Index.row() < FTrend.Rows.size() ? FTrend.Rows[Index.row()] : FTrend.Total;
    ChosenFrom = row.From;
    ChosenTo = row.To;
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
