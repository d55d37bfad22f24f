#pragma once
// A read-only list of many rows for a QTreeView: a cell's text is asked for
// only when the view paints it, so a list of years of records costs what the
// caller keeps, not a string a cell. Looks like the lists of MakeListView:
// the row icon in the untitled first column, right-aligned amounts, memos on
// one line.
#include "ui/unt_clsWidgets.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <functional>

class QTreeView;

class TclsListModel : public QAbstractTableModel
{
  public:
    // Column, 0-based, is the entry of Columns; Columns[k] titles view column k + 1.
    using TCellText = std::function<QString(int Row, int Column)>;
    TclsListModel(QList<TColumn> Columns, int Rows, TCellText Cell, QObject *Parent = nullptr);
    int rowCount(const QModelIndex &Parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &Parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &Index, int Role) const override;
    QVariant headerData(int Section, Qt::Orientation Orientation, int Role) const override;
    const QList<TColumn> &Columns() const { return FColumns; }
    // The rows now number Rows and say anything anew.
    void Reset(int Rows);
    // Row's texts changed.
    void RowChanged(int Row);

  private:
    QList<TColumn> FColumns;
    int FRows;
    TCellText FCell;
};

// A list view over such a model, placed and sized as MakeListView places its
// lists.
QTreeView *MakeModelListView(QWidget *Parent, const QString &Name, int X, int Y, int W, int H,
                             TclsListModel *Model);
