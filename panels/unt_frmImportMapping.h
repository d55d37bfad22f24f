#pragma once
// For a bill of no known layout: which column holds what. The choice is
// remembered for the layout, so the same bank's next file goes straight in.
#include "import/unt_clsBillFormats.h"

#include <QDialog>

class QComboBox;

class TfrmImportMapping : public QDialog
{
    Q_OBJECT
  public:
    TfrmImportMapping(QWidget *Parent, const QStringList &Columns, const TBillMapping &Guess);
    TBillMapping Mapping() const;
    QComboBox *Combo(const QString &Key) const;

  private:
    void Check();
    QList<QComboBox *> FCombos; // date, amount, income, expense, direction, counterparty, memo
};
