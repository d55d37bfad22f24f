#pragma once
#include <QDate>
#include <QDialog>

#include "data/unt_clsDatabaseUser.h"

class QLabel;
class QTreeView;

// Every record of a range, day by day, with the range's totals.
class TfrmShowRecord : public QDialog
{
    Q_OBJECT
  public:
    explicit TfrmShowRecord(QWidget *Parent = nullptr);
    QLabel *lblDate;
    // Many rows (years of a busy household): a view over the compact
    // records, not one widget item a record.
    QTreeView *lvwList;
    void SetRecords(TRangeRecords Records);
    QLabel *lblTotal;

  private:
    TRangeRecords FRecords;
};

// "yyyy-mm-dd至yyyy-mm-dd："
QString RangeLabel(const QDate &From, const QDate &To);
