#pragma once
// The expense panel's line under its list: what the month of the date has
// spent on the category being entered, saved and pending rows together,
// against the category's monthly budget.
#include <QObject>
#include <QString>

class QLabel;
class TEntryPanel;
class TclsSession;

// "NAME：本月已用 X", "NAME：本月已用 X / 预算 Y" or "…，超出 Z"; Budget below 0
// when the category has none. Over: the budget is exceeded.
QString BudgetLineText(const QString &Name, qint64 Used, qint64 Budget, bool &Over);

class TBudgetLine : public QObject
{
  public:
    // Places lblOut_Budget on Panel and follows its fields and list.
    TBudgetLine(TEntryPanel &Panel, TclsSession &Session);
    // Reads the month and the budget afresh; Schedule does it once the
    // events of the change at hand are handled.
    void Update();
    void Schedule();
    // The category the line speaks of: the one typed or chosen, or after
    // Add has emptied the field, the one just added.
    QString Category() const { return FCategory; }

  protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;

  private:
    TEntryPanel &FPanel;
    TclsSession &FSession;
    QLabel *FLabel;
    QString FCategory;
    bool FScheduled = false;
};
