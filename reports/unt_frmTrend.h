#pragma once
// How each month or year of a range went, against the same dates one year
// earlier: a chart above, the figures below. Switching the period or the
// category regroups what was read once.
#include "data/unt_clsCategoryDays.h"
#include "reports/unt_trendRows.h"

#include <QDate>
#include <QDialog>

#include <functional>

class QComboBox;
class QLabel;
class QModelIndex;
class QRadioButton;
class QTreeView;
class TTrendChart;
class TclsListModel;

class TfrmTrend : public QDialog
{
    Q_OBJECT
  public:
    explicit TfrmTrend(QWidget *Parent = nullptr);
    // Days must cover TrendReadStart(From)…To; Names are offered after
    // "全部项目", followed by any other category met in the range.
    void SetData(TCategoryDays Days, const QDate &From, const QDate &To, const QStringList &Names);
    const TTrend &Trend() const { return FTrend; }

    QRadioButton *rdoTrend_Month, *rdoTrend_Year;
    QComboBox *cboTrend_Name;
    QLabel *lblDate;
    TTrendChart *chtTrend;
    QTreeView *lvwTrend;

    // The dates of the row the user chose to see in the browse panel.
    QDate ChosenFrom, ChosenTo;

  protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;

  private:
    void Regroup();
    void Choose(const QModelIndex &Index);
    QString Cell(int Row, int Column) const;

    TCategoryDays FDays;
    QDate FFrom, FTo;
    TTrend FTrend;
    TclsListModel *FModel;
};
