#pragma once
// Monthly budgets per expense category, and how much of each a month has
// used: a painted bar per category, the categories over their budget in red.
#include "data/unt_clsDatabaseUser.h"

#include <QDate>
#include <QDialog>

class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class TclsSession;

// One budget's figures for a month, in cents.
struct TBudgetRow {
    QString Name;
    qint64 Budget = 0, Used = 0;
    qint64 Left() const { return Budget - Used; }
    bool Over() const { return Used > Budget; }
};
// The budgeted categories in the order of Names (the expense list), any
// others after, each with what Used says it spent; and their sum.
QList<TBudgetRow> BudgetRows(const QList<TBudget> &Budgets, const QHash<QString, qint64> &Used,
                             const QStringList &Names);
TBudgetRow BudgetTotal(const QList<TBudgetRow> &Rows);

class TfrmBudget : public QDialog
{
    Q_OBJECT
  public:
    TfrmBudget(TclsSession &Session, QWidget *Parent = nullptr);
    // Reads the categories, the budgets and the spending of Month's month.
    void Load(const QDate &Month);
    void btnBudget_SetClick();
    const QList<TBudgetRow> &Rows() const { return FRows; }

    QComboBox *cboBudget_Name;
    QLineEdit *edtBudget_Money;
    QPushButton *btnBudget_Set;
    QDateEdit *dtpBudget_Month;
    QTreeWidget *lvwBudget;

  private:
    void ShowRows();
    void ShowBudgetOf(const QString &Name);

    TclsSession &FSession;
    QDate FMonth;
    QList<TBudgetRow> FRows;
};
