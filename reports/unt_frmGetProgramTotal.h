#pragma once
#include <QDialog>

class QLabel;
class QTreeWidget;
class TDonutChart;

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
