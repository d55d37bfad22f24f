#include "panels/unt_frmImport.h"

#include "data/unt_clsAmount.h"
#include "ui/unt_clsWidgets.h"

#include <QComboBox>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTreeWidget>

#include <algorithm>

namespace
{
constexpr int ColCheck = 0, ColDate = 1, ColType = 2, ColName = 3, ColMoney = 4, ColMemo = 5, ColState = 6;

// 项目 is edited in a combo box of the row type's category list; any other
// text may be typed too.
class TNameDelegate : public QStyledItemDelegate
{
  public:
    TNameDelegate(QObject *Parent, QStringList OutNames, QStringList InNames)
        : QStyledItemDelegate(Parent), FOut(std::move(OutNames)), FIn(std::move(InNames))
    {
    }
    QWidget *createEditor(QWidget *Parent, const QStyleOptionViewItem &,
                          const QModelIndex &Index) const override
    {
        auto *combo = new QComboBox(Parent);
        combo->setObjectName(QStringLiteral("cboImport_Name"));
        combo->setEditable(true);
        combo->setCompleter(nullptr);
        combo->setInsertPolicy(QComboBox::NoInsert);
        const bool income = Index.siblingAtColumn(ColType).data().toString() == QStringLiteral("收入");
        combo->addItems(income ? FIn : FOut);
        return combo;
    }
    void setEditorData(QWidget *Editor, const QModelIndex &Index) const override
    {
        static_cast<QComboBox *>(Editor)->setEditText(Index.data().toString());
    }
    void setModelData(QWidget *Editor, QAbstractItemModel *Model, const QModelIndex &Index) const override
    {
        const QString text = static_cast<QComboBox *>(Editor)->currentText().left(50);
        if (!text.trimmed().isEmpty())
            Model->setData(Index, text);
    }

  private:
    QStringList FOut, FIn;
};

// A row outside income and expense (不计收支, a transfer between one's own
// accounts) says so; checked all the same, it shows the type it goes in as.
QString TypeCell(const TImportRow &Row, bool Checked)
{
    return Row.Bill.Kind == TBillRow::TKind::Neutral && !Checked ? QStringLiteral("不计收支") : Row.Type;
}
} // namespace

TfrmImport::TfrmImport(QWidget *Parent, const QList<TImportRow> &Rows, const QStringList &OutNames,
                       const QStringList &InNames)
    : QDialog(Parent), FRows(Rows)
{
    setObjectName(QStringLiteral("frmImport"));
    setWindowTitle(QStringLiteral("导入账单"));
    setFixedSize(760, 480);
    lvwImport = MakeListView(this, QStringLiteral("lvwImport"), 12, 12, 736, 400,
                             {{QStringLiteral("日期"), 85},
                              {QStringLiteral("类别"), 60},
                              {QStringLiteral("项目"), 120},
                              {QStringLiteral("金额"), 80, true},
                              {QStringLiteral("备注"), 275},
                              {QStringLiteral("状态"), 85}});
    lvwImport->setColumnWidth(ColCheck, 24);
    // Only 项目 is edited; the other cells are the bill's own.
    connect(lvwImport, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem *Item, int Column) {
        if (Column == ColName)
            lvwImport->editItem(Item, ColName);
    });
    lvwImport->setItemDelegateForColumn(ColName, new TNameDelegate(lvwImport, OutNames, InNames));
    QList<QTreeWidgetItem *> items;
    items.reserve(Rows.size());
    for (qsizetype i = 0; i < Rows.size(); ++i) {
        const TImportRow &row = Rows[i];
        const QString date = row.Bill.Date.isValid() ? row.Bill.Date.toString(Qt::ISODate) : QString();
        const QString money =
            row.Bill.Problem.isEmpty() ? FormatMoney(double(row.Bill.Cents) / 100.0) : QString();
        QTreeWidgetItem *item =
            MakeRow(lvwImport, {date, TypeCell(row, row.Checked), row.Name, money, row.Memo, row.State});
        item->setIcon(ColCheck, QIcon()); // the check box takes the icon's place
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable | Qt::ItemIsEditable);
        item->setCheckState(ColCheck, row.Checked ? Qt::Checked : Qt::Unchecked);
        item->setData(ColCheck, Qt::UserRole, int(i));
        if (!row.Bill.Problem.isEmpty())
            item->setFlags(item->flags() & ~Qt::ItemIsUserCheckable); // nothing to save
        items << item;
    }
    lvwImport->addTopLevelItems(items);
    connect(lvwImport, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem *Item, int Column) {
        if (Column != ColCheck)
            return;
        const QString type = TypeCell(FRows[Item->data(ColCheck, Qt::UserRole).toInt()],
                                      Item->checkState(ColCheck) == Qt::Checked);
        if (Item->text(ColType) != type)
            Item->setText(ColType, type);
    });
    lblImport_Summary =
        MakeLabel(this, QStringLiteral("lblImport_Summary"), ImportCheck::Summarise(Rows).Text(), 12, 424);
    btnImport_OK = MakeButton(this, QStringLiteral("btnImport_OK"), QStringLiteral("导入(&O)"), 592, 440);
    btnImport_Cancel =
        MakeButton(this, QStringLiteral("btnImport_Cancel"), QStringLiteral("取消(&C)"), 673, 440);
    btnImport_OK->setDefault(true);
    connect(btnImport_OK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnImport_Cancel, &QPushButton::clicked, this, &QDialog::reject);
}

QList<TImportRow> TfrmImport::CheckedRows() const
{
    QList<TImportRow> rows;
    for (int i = 0; i < lvwImport->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = lvwImport->topLevelItem(i);
        if (item->checkState(ColCheck) != Qt::Checked)
            continue;
        TImportRow row = FRows[item->data(ColCheck, Qt::UserRole).toInt()];
        if (!row.Bill.Problem.isEmpty())
            continue;
        row.Name = item->text(ColName);
        rows << row;
    }
    std::stable_sort(rows.begin(), rows.end(),
                     [](const TImportRow &A, const TImportRow &B) { return A.Bill.Date < B.Bill.Date; });
    return rows;
}
