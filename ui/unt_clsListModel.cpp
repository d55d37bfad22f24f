#include "ui/unt_clsListModel.h"

#include "data/unt_clsText.h"

#include <QTreeView>

TclsListModel::TclsListModel(QList<TColumn> Columns, int Rows, TCellText Cell, QObject *Parent)
    : QAbstractTableModel(Parent), FColumns(std::move(Columns)), FRows(Cell ? Rows : 0),
      FCell(std::move(Cell))
{
}

int TclsListModel::rowCount(const QModelIndex &Parent) const
{
    return Parent.isValid() ? 0 : FRows;
}

int TclsListModel::columnCount(const QModelIndex &Parent) const
{
    return Parent.isValid() ? 0 : static_cast<int>(FColumns.size()) + 1;
}

QVariant TclsListModel::data(const QModelIndex &Index, int Role) const
{
    if (!Index.isValid())
        return {};
    const int column = Index.column();
    if (column == 0)
        return Role == Qt::DecorationRole ? QVariant(RowIcon()) : QVariant();
    switch (Role) {
    case Qt::DisplayRole:
        return OneLineText(FCell(Index.row(), column - 1));
    case Qt::EditRole:
        return FCell(Index.row(), column - 1);
    case Qt::ToolTipRole: {
        // As in the item lists: a tip only where the cell may not show all
        // of its text, an amount cut short by its column or a memo of
        // several lines.
        const QString text = FCell(Index.row(), column - 1);
        return FColumns[column - 1].RightAligned || OneLineText(text) != text ? QVariant(text) : QVariant();
    }
    case Qt::TextAlignmentRole:
        return FColumns[column - 1].RightAligned ? QVariant(int(Qt::AlignRight | Qt::AlignVCenter))
                                                 : QVariant();
    default:
        return {};
    }
}

void TclsListModel::Reset(int Rows)
{
    beginResetModel();
    FRows = FCell ? Rows : 0;
    endResetModel();
}

void TclsListModel::RowChanged(int Row)
{
    emit dataChanged(index(Row, 0), index(Row, columnCount() - 1));
}

QVariant TclsListModel::headerData(int Section, Qt::Orientation Orientation, int Role) const
{
    if (Orientation != Qt::Horizontal || Section == 0)
        return {};
    const TColumn &column = FColumns[Section - 1];
    if (Role == Qt::DisplayRole)
        return column.Title;
    if (Role == Qt::TextAlignmentRole && column.RightAligned)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QTreeView *MakeModelListView(QWidget *Parent, const QString &Name, int X, int Y, int W, int H,
                             TclsListModel *Model)
{
    auto *view = new QTreeView(Parent);
    Model->setParent(view);
    view->setModel(Model);
    SetUpListView(view, Name, X, Y, W, H, Model->Columns());
    return view;
}
