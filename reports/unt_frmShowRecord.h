#pragma once
#include <QDate>
#include <QDialog>

class QLabel;
class QTreeWidget;

// Every record of a range, day by day, with the range's totals.
class TfrmShowRecord : public QDialog
{
    Q_OBJECT
  public:
    explicit TfrmShowRecord(QWidget *Parent = nullptr);
    QLabel *lblDate;
    QTreeWidget *lvwList;
    QLabel *lblTotal;
};

// "yyyy-mm-dd至yyyy-mm-dd："
QString RangeLabel(const QDate &From, const QDate &To);
