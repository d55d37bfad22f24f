#include "panels/unt_budgetLine.h"

#include "data/unt_clsAmount.h"
#include "panels/unt_panelEntry.h"
#include "ui/unt_clsSession.h"
#include "ui/unt_clsWidgets.h"

#include <QComboBox>
#include <QDateEdit>
#include <QEvent>
#include <QLabel>
#include <QTimer>
#include <QTreeWidget>

namespace
{
// Between the pending total and the Delete button, on the panel's last line.
constexpr int LineLeft = 190, LineRight = 475, LineTop = 349;
const QColor OverColor(0xD0, 0x20, 0x20);
} // namespace

QString BudgetLineText(const QString &Name, qint64 Used, qint64 Budget, bool &Over)
{
    Over = Budget >= 0 && Used > Budget;
    QString text = Name + QStringLiteral("：本月已用 ") + FormatCents(Used);
    if (Budget >= 0)
        text += QStringLiteral(" / 预算 ") + FormatCents(Budget);
    if (Over)
        text += QStringLiteral("，超出 ") + FormatCents(Used - Budget);
    return text;
}

TBudgetLine::TBudgetLine(TEntryPanel &Panel, TclsSession &Session)
    : QObject(&Panel), FPanel(Panel), FSession(Session)
{
    FLabel = MakeLabel(&Panel, QStringLiteral("lbl%1_Budget").arg(Panel.Prefix()), QString(), LineLeft,
                       LineTop, Maroon);
    FLabel->setFixedSize(LineRight - LineLeft, FLabel->fontMetrics().height());
    FLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    connect(Panel.Name, &QComboBox::currentTextChanged, this, [this](const QString &Text) {
        FCategory = Text.trimmed().isEmpty() ? QString() : Text;
        Schedule();
    });
    connect(Panel.Date, &QDateEdit::dateChanged, this, [this] { Schedule(); });
    // Add, Delete, 完成 and rows put in by other means all change the list.
    QAbstractItemModel *rows = Panel.List->model();
    connect(rows, &QAbstractItemModel::rowsInserted, this, [this] { Schedule(); });
    connect(rows, &QAbstractItemModel::rowsRemoved, this, [this] { Schedule(); });
    connect(rows, &QAbstractItemModel::modelReset, this, [this] { Schedule(); });
    connect(rows, &QAbstractItemModel::dataChanged, this, [this] { Schedule(); });
    // Records changed on the browse panel count once the panel is back.
    Panel.installEventFilter(this);
}

bool TBudgetLine::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Watched == &FPanel && Event->type() == QEvent::Show)
        Schedule();
    return QObject::eventFilter(Watched, Event);
}

void TBudgetLine::Schedule()
{
    // One read for the several changes of one action (Add adds a row and
    // empties the field), once the action is over. A line being destroyed
    // with its window never reads: its pending read goes with it.
    if (FScheduled)
        return;
    FScheduled = true;
    QTimer::singleShot(0, this, [this] {
        FScheduled = false;
        Update();
    });
}

void TBudgetLine::Update()
{
    if (!FSession.Database || FCategory.isEmpty()) {
        FLabel->clear();
        return;
    }
    const QDate day = FPanel.Date->date();
    const QDate first(day.year(), day.month(), 1), last(day.year(), day.month(), day.daysInMonth());
    qint64 used = 0, budget = -1;
    const bool read = RunGuarded(FSession.Window(), [&] {
        used = FSession.Database->GetExpenseByName(FSession.CurrentUser, first, last).value(FCategory);
        for (const TBudget &entry : FSession.Database->GetBudgets(FSession.CurrentUser))
            if (entry.Name == FCategory)
                budget = entry.Cents;
    });
    if (!read) {
        FLabel->clear();
        return;
    }
    const QString month = first.toString(QStringLiteral("yyyy-MM"));
    bool pending = false;
    for (int i = 0; i < FPanel.List->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *row = FPanel.List->topLevelItem(i);
        if (row->text(3) == FCategory)
            pending = true;
        if (row->text(1).startsWith(month) && row->text(3) == FCategory)
            used += MoneyCents(ParseMoney(row->text(4)));
    }
    // A name being typed ("午" on the way to "午饭") is no category yet:
    // one of the list, one with a budget or one with spending is.
    if (FPanel.Name->findText(FCategory, Qt::MatchExactly) < 0 && budget < 0 && used == 0 && !pending) {
        FLabel->clear();
        FLabel->setToolTip(QString());
        return;
    }
    bool over = false;
    const QString text = BudgetLineText(FCategory, used, budget, over);
    // Figures too long for the room are shortened in the middle; the tip
    // always has them whole.
    FLabel->setText(FLabel->fontMetrics().elidedText(text, Qt::ElideMiddle, FLabel->width()));
    FLabel->setToolTip(QStringLiteral("%1：%2").arg(month, text));
    SetTextColor(FLabel, over ? OverColor : Maroon);
}
