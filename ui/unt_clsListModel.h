#pragma once
// A read-only list of many rows for a QTreeView: the columns' texts kept as
// the store gave them (shared, not copied per row), each row's cells made
// only when the view paints them. Looks like the lists of MakeListView: the
// row icon in the untitled first column, right-aligned amounts, memos on one
// line.
#include "ui/unt_clsWidgets.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <vector>

class QTreeView;

class TclsListModel : public QAbstractTableModel
{
  public:
    // Columns[k] titles view column k + 1; Cells[k] holds its texts, one a row.
    TclsListModel(QList<TColumn> Columns, std::vector<QStringList> Cells, QObject *Parent = nullptr);
    int rowCount(const QModelIndex &Parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &Parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &Index, int Role) const override;
    QVariant headerData(int Section, Qt::Orientation Orientation, int Role) const override;
    const QList<TColumn> &Columns() const { return FColumns; }

  private:
    QList<TColumn> FColumns;
    std::vector<QStringList> FCells;
};

// A list view over such a model, placed and sized as MakeListView places its
// lists.
QTreeView *MakeModelListView(QWidget *Parent, const QString &Name, int X, int Y, int W, int H,
                             TclsListModel *Model);
