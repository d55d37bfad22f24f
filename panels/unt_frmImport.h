#pragma once
// The import dialog: every row of a bill with a check box, its proposed
// category (editable) and its state; OK hands the checked rows back.
#include "import/unt_clsImportCheck.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTreeWidget;

class TfrmImport : public QDialog
{
    Q_OBJECT
  public:
    TfrmImport(QWidget *Parent, const QList<TImportRow> &Rows, const QStringList &OutNames,
               const QStringList &InNames);

    QTreeWidget *lvwImport;
    QLabel *lblImport_Summary;
    QPushButton *btnImport_OK, *btnImport_Cancel;

    // The checked rows as the user left them (category edited), in date
    // order; rows of one day keep the file's order.
    QList<TImportRow> CheckedRows() const;

  private:
    QList<TImportRow> FRows;
};
