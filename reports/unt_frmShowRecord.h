#pragma once
#include <QDialog>

class QLabel;
class QTreeWidget;
class TDonutChart;

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

// Each category of one type in a range, with its total and share, and the
// shares drawn as a donut beside the list.
class TfrmGetProgramTotal : public QDialog
{
    Q_OBJECT
  public:
    explicit TfrmGetProgramTotal(QWidget *Parent = nullptr);
    QLabel *lblDate;
    QTreeWidget *lvwTotal;
    TDonutChart *chtTotal;
};

// "yyyy-mm-dd至yyyy-mm-dd："
QString RangeLabel(const QDate &From, const QDate &To);
