#pragma once
// How each month or year of a range went, against the same dates one year
// earlier: a chart above, the figures below. Switching the period or the
// category regroups what was read once; another range is read anew.
#include "data/unt_clsCategoryDays.h"
#include "reports/unt_trendRows.h"

#include <QDate>
#include <QDialog>

#include <functional>

class QComboBox;
class QDateEdit;
class QModelIndex;
class QPushButton;
class QRadioButton;
class QTreeView;
class TTrendChart;
class TclsListModel;

class TfrmTrend : public QDialog
{
    Q_OBJECT
  public:
    explicit TfrmTrend(QWidget *Parent = nullptr);
    // Days must cover TrendReadStart(From)…To; the expense and income names
    // are offered after "全部项目", followed by any other category met in
    // the range. The category and period chosen stay.
    void SetData(TCategoryDays Days, const QDate &From, const QDate &To, const QStringList &OutNames,
                 const QStringList &InNames);
    const TTrend &Trend() const { return FTrend; }
    // Reads the days of another range (TrendReadStart(From)…To) for 查看.
    std::function<void(const QDate &From, const QDate &To, TCategoryDays &Days)> Read;
    void btnTrend_ViewClick();

    QDateEdit *dtpTrend_Date1, *dtpTrend_Date2;
    QPushButton *btnTrend_View;
    QRadioButton *rdoTrend_Month, *rdoTrend_Year;
    QComboBox *cboTrend_Name;
    TTrendChart *chtTrend;
    QTreeView *lvwTrend;

    // The dates of the row the user chose to see, and its category (empty
    // for every one).
    QDate ChosenFrom, ChosenTo;
    QString ChosenName;

  protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;

  private:
    void Regroup();
    void Choose(const QModelIndex &Index);
    QString Cell(int Row, int Column) const;

    TCategoryDays FDays;
    QDate FFrom, FTo;
    QStringList FOutNames, FInNames;
    TTrend FTrend;
    TclsListModel *FModel;
};
