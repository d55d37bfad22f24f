#pragma once
// The browse panel: one View reads the whole range; selecting a day,
// deleting and modifying then keep the lists and labels in step in memory.
#include "panels/unt_panelHost.h"

#include <QDate>
#include <QWidget>

#include <functional>

class QDateEdit;
class QLabel;
class QListWidget;
class QMenu;
class QModelIndex;
class QTreeView;
class QTreeWidget;
class TclsListModel;

class TBrowsePanel : public QWidget
{
  public:
    // Made without a parent: the window adopts it where its panels are
    // made, so its children keep their order.
    explicit TBrowsePanel(TPanelHost Host);
    // Makes the controls and the More menu; the window calls it once its
    // own are made.
    void Build();

    void InAndOut_View();
    void InAndOut_ShowTotals();
    void lvwInAndOut_List1SelectItem(const QModelIndex &Item);
    void InAndOut_Delete();
    void InAndOut_Modify();
    void InAndOut_SyncLists(const QString &Action);
    void InAndOut_More();
    // A record changed or deleted elsewhere (the find window): the range on
    // screen, its day and its totals follow when the range holds it.
    void RecordChanged(qint64 Id, const QString &Name, double Money, const QString &Memo);
    void RecordsRemoved(const QList<qint64> &Ids);
    // The range of the pickers, and its check with the warning.
    QDate RangeStart() const;
    QDate RangeEnd() const;
    bool RangeIsValid();
    void SetRange(const QDate &From, const QDate &To);

    QTreeWidget *DetailList() const { return lvwInAndOut_List2; }
    QMenu *MoreMenu() const { return mnuInAndOut_More; }
    // The range on screen; its days are the rows of the daily list.
    TRangeRecords Records;
    // The records of the range as whole lists, made when asked for.
    DetailLists Details() const { return Records.Lists(); }
    bool HasRange() const { return Records.DayCount() > 0; }

  private:
    void FollowRecord(qint64 Id, const std::function<void(qsizetype At)> &Apply);
    TPanelHost FHost;
    QDateEdit *dtpInAndOut_Date1 = nullptr, *dtpInAndOut_Date2 = nullptr;
    QLabel *lblInAndOut_Days = nullptr, *lblInAndOut_Surplus = nullptr, *lblInAndOut_OutMoney1 = nullptr,
           *lblInAndOut_OutMoney2 = nullptr, *lblInAndOut_InMoney1 = nullptr, *lblInAndOut_InMoney2 = nullptr;
    // Every day of the range is a row, so a range of centuries is millions
    // of rows: the daily list reads them through a model.
    QTreeView *lvwInAndOut_List1 = nullptr;
    TclsListModel *FDayModel = nullptr;
    QTreeWidget *lvwInAndOut_List2 = nullptr;
    QListWidget *lstInAndOut_List2_ID = nullptr;
    QMenu *mnuInAndOut_More = nullptr;
};
