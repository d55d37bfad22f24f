#include "reports/unt_frmBudget.h"

#include "data/unt_clsAmount.h"
#include "ui/unt_clsSession.h"
#include "ui/unt_clsWidgets.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTreeWidget>

#include <algorithm>

namespace
{
constexpr int BarColumn = 5, ShareRole = Qt::UserRole + 1;
const QColor OverColor(0xD0, 0x20, 0x20);

// Black or white, whichever reads better on Background.
QColor ContrastOf(const QColor &Background)
{
    const double light = 0.299 * Background.red() + 0.587 * Background.green() + 0.114 * Background.blue();
    return light < 150 ? QColor(Qt::white) : QColor(Qt::black);
}

// The budget's share already used, drawn as a bar with its percentage.
class TBudgetBar : public QStyledItemDelegate
{
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *Painter, const QStyleOptionViewItem &Option, const QModelIndex &Index) const override
    {
        QStyledItemDelegate::paint(Painter, Option, Index); // the row's selection; the cell has no text
        const QVariant share = Index.data(ShareRole);
        if (!share.isValid())
            return;
        const double used = share.toDouble();
        // As tall as the row leaves room for: the figure stands inside the bar.
        const QRect frame = Option.rect.adjusted(4, 1, -4, -1);
        Painter->save();
        Painter->fillRect(frame, QColor(0xE8, 0xE8, 0xE8));
        QRect filled = frame;
        filled.setWidth(int(frame.width() * std::clamp(used, 0.0, 1.0)));
        Painter->fillRect(filled, used > 1 ? OverColor : QColor(0x59, 0xA1, 0x4F));
        // The figure in the colour that stands out from what lies under each
        // part of it: the filled share, and the rest of the bar.
        const QString figure = QString::number(used * 100, 'f', 0) + QLatin1Char('%');
        const QColor fill = used > 1 ? OverColor : QColor(0x59, 0xA1, 0x4F);
        Painter->setClipRect(filled);
        Painter->setPen(ContrastOf(fill));
        Painter->drawText(Option.rect, Qt::AlignCenter, figure);
        Painter->setClipRect(
            QRect(filled.right() + 1, frame.top(), frame.right() - filled.right(), frame.height()));
        Painter->setPen(ContrastOf(QColor(0xE8, 0xE8, 0xE8)));
        Painter->drawText(Option.rect, Qt::AlignCenter, figure);
        Painter->restore();
    }
};
} // namespace

QList<TBudgetRow> BudgetRows(const QList<TBudget> &Budgets, const QHash<QString, qint64> &Used,
                             const QStringList &Names)
{
    QList<TBudgetRow> rows;
    for (const TBudget &budget : Budgets)
        rows.append({budget.Name, budget.Cents, Used.value(budget.Name)});
    std::stable_sort(rows.begin(), rows.end(), [&Names](const TBudgetRow &A, const TBudgetRow &B) {
        const auto place = [&Names](const QString &Name) {
            const qsizetype at = Names.indexOf(Name);
            return at < 0 ? Names.size() : at;
        };
        return place(A.Name) < place(B.Name);
    });
    return rows;
}

TBudgetRow BudgetTotal(const QList<TBudgetRow> &Rows)
{
    TBudgetRow total{QStringLiteral("合计")};
    for (const TBudgetRow &row : Rows) {
        total.Budget += row.Budget;
        total.Used += row.Used;
    }
    return total;
}

TfrmBudget::TfrmBudget(TclsSession &Session, QWidget *Parent) : QDialog(Parent), FSession(Session)
{
    setObjectName(QStringLiteral("frmBudget"));
    setWindowTitle(QStringLiteral("每月预算"));
    setFixedSize(622, 380);
    MakeLabel(this, QStringLiteral("lblBudget_Name"), QStringLiteral("项目："), 15, 16);
    cboBudget_Name = new QComboBox(this);
    cboBudget_Name->setObjectName(QStringLiteral("cboBudget_Name"));
    cboBudget_Name->setGeometry(55, 12, 170, 20);
    cboBudget_Name->setMaxVisibleItems(20);
    MakeLabel(this, QStringLiteral("lblBudget_Money"), QStringLiteral("金额："), 240, 16);
    edtBudget_Money = new TAmountEdit(this);
    edtBudget_Money->setObjectName(QStringLiteral("edtBudget_Money"));
    edtBudget_Money->setGeometry(280, 12, 120, 20);
    edtBudget_Money->setMaxLength(MaxAmountLength);
    btnBudget_Set = MakeButton(this, QStringLiteral("btnBudget_Set"), QStringLiteral("设定(&S)"), 408, 10);
    btnBudget_Set->setDefault(true);
    MakeLabel(this, QStringLiteral("lblBudget_Month"), QStringLiteral("月份："), 492, 16);
    dtpBudget_Month = new QDateEdit(this);
    dtpBudget_Month->setObjectName(QStringLiteral("dtpBudget_Month"));
    dtpBudget_Month->setDisplayFormat(QStringLiteral("yyyy-MM"));
    dtpBudget_Month->setCalendarPopup(true);
    dtpBudget_Month->setGeometry(530, 12, 78, 20);
    lvwBudget = MakeListView(this, QStringLiteral("lvwBudget"), 15, 44, 593, 320,
                             {{QStringLiteral("项目"), 135},
                              {QStringLiteral("每月预算"), 95, true},
                              {QStringLiteral("本月已用"), 95, true},
                              {QStringLiteral("剩余"), 95, true},
                              {QStringLiteral("进度"), 150}});
    lvwBudget->setItemDelegateForColumn(BarColumn, new TBudgetBar(lvwBudget));
    setTabOrder(cboBudget_Name, edtBudget_Money);
    setTabOrder(edtBudget_Money, btnBudget_Set);
    setTabOrder(btnBudget_Set, dtpBudget_Month);
    setTabOrder(dtpBudget_Month, lvwBudget);
    connect(btnBudget_Set, &QPushButton::clicked, this,
            [this] { RunGuarded(this, [this] { btnBudget_SetClick(); }); });
    connect(cboBudget_Name, &QComboBox::currentTextChanged, this,
            [this](const QString &Name) { ShowBudgetOf(Name); });
    connect(lvwBudget, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *Item) {
        if (Item && lvwBudget->indexOfTopLevelItem(Item) < FRows.size())
            cboBudget_Name->setCurrentText(Item->text(1));
    });
    connect(dtpBudget_Month, &QDateEdit::dateChanged, this,
            [this](const QDate &Month) { RunGuarded(this, [&] { Load(Month); }); });
}

void TfrmBudget::Load(const QDate &Month)
{
    FMonth = QDate(Month.year(), Month.month(), 1);
    {
        const QSignalBlocker quiet(dtpBudget_Month);
        dtpBudget_Month->setDate(FMonth);
    }
    QStringList outNames, inNames;
    FSession.Database->GetProgramNames(FSession.CurrentUser, outNames, inNames);
    const QList<TBudget> budgets = FSession.Database->GetBudgets(FSession.CurrentUser);
    const QHash<QString, qint64> used = FSession.Database->GetExpenseByName(
        FSession.CurrentUser, FMonth, FMonth.addDays(FMonth.daysInMonth() - 1));
    FRows = BudgetRows(budgets, used, outNames);
    // The expense categories, and any budgeted one the list no longer has.
    QStringList names = outNames;
    for (const TBudgetRow &row : FRows)
        if (!names.contains(row.Name))
            names << row.Name;
    const QString chosen = cboBudget_Name->currentText();
    {
        const QSignalBlocker quiet(cboBudget_Name);
        cboBudget_Name->clear();
        cboBudget_Name->addItems(names);
        cboBudget_Name->setCurrentIndex(std::max<int>(0, int(names.indexOf(chosen))));
    }
    ShowRows();
    ShowBudgetOf(cboBudget_Name->currentText());
}

void TfrmBudget::ShowRows()
{
    lvwBudget->clear();
    QList<TBudgetRow> rows = FRows;
    if (!rows.isEmpty())
        rows << BudgetTotal(FRows);
    for (const TBudgetRow &row : rows) {
        QTreeWidgetItem *item = MakeRow(lvwBudget, {row.Name, FormatCents(row.Budget), FormatCents(row.Used),
                                                    FormatCents(row.Left()), QString()});
        item->setData(BarColumn, ShareRole, row.Budget > 0 ? double(row.Used) / double(row.Budget) : 0.0);
        if (row.Over())
            for (int column = 1; column < BarColumn; ++column)
                item->setForeground(column, OverColor);
        lvwBudget->addTopLevelItem(item);
    }
}

void TfrmBudget::ShowBudgetOf(const QString &Name)
{
    edtBudget_Money->clear();
    for (const TBudgetRow &row : FRows)
        if (row.Name == Name)
            edtBudget_Money->setText(FormatCents(row.Budget));
}

void TfrmBudget::btnBudget_SetClick()
{
    const QString name = cboBudget_Name->currentText();
    if (name.trimmed().isEmpty()) {
        ShowMessage(this, FSession.AppTitle, QStringLiteral("您没有选择支出项目！"), TMessageStyle::Warning);
        cboBudget_Name->setFocus();
        return;
    }
    QString amount;
    if (!edtBudget_Money->text().isEmpty()) {
        const TAmountCheck check = NormaliseAmount(edtBudget_Money->text(), amount);
        if (check == TAmountCheck::NotPositive) {
            amount.clear(); // 0 takes the budget away
        } else if (check != TAmountCheck::Ok) {
            ShowMessage(this, FSession.AppTitle, AmountProblem(check), TMessageStyle::Warning);
            edtBudget_Money->setFocus();
            edtBudget_Money->selectAll();
            return;
        }
    }
    if (amount.isEmpty()) {
        // An empty or zero amount takes a budget away: never without a word.
        const bool has = std::any_of(FRows.cbegin(), FRows.cend(),
                                     [&name](const TBudgetRow &Row) { return Row.Name == name; });
        if (!has ||
            !ShowMessage(this, FSession.AppTitle, QStringLiteral("您确定要取消“%1”的每月预算吗？").arg(name),
                         TMessageStyle::Question)) {
            edtBudget_Money->setFocus();
            return;
        }
    }
    {
        TclsBusyButton busy(btnBudget_Set);
        FSession.Database->SetBudget(FSession.CurrentUser, name, amount);
    }
    Load(FMonth);
    edtBudget_Money->setFocus();
    edtBudget_Money->selectAll();
}
