#include "reports/unt_frmShowRecord.h"

#include "ui/unt_clsListModel.h"
#include "ui/unt_clsWidgets.h"

#include <QDate>
#include <QLabel>
#include <QTreeView>

namespace
{
TclsListModel *MakeModel(const TRangeRecords &Records)
{
    return new TclsListModel({{QStringLiteral("日期"), 85},
                              {QStringLiteral("类别"), 55},
                              {QStringLiteral("项目"), 135},
                              {QStringLiteral("金额"), 80, true},
                              {QStringLiteral("备注"), 205}},
                             int(Records.Count()), [&Records](int Row, int Column) {
                                 switch (Column) {
                                 case 0:
                                     return Records.DateText(Row);
                                 case 1:
                                     return Records.TypeText(Row);
                                 case 2:
                                     return Records.Name(Row);
                                 case 3:
                                     return Records.MoneyText(Row);
                                 default:
                                     return Records.Memo(Row);
                                 }
                             });
}
} // namespace

TfrmShowRecord::TfrmShowRecord(QWidget *Parent) : QDialog(Parent)
{
    setObjectName(QStringLiteral("frmShowRecord"));
    setFixedSize(622, 431);
    lblDate = MakeLabel(this, QStringLiteral("lblDate"), QString(), 15, 14);
    lvwList = MakeModelListView(this, QStringLiteral("lvwList"), 15, 34, 593, 360, MakeModel(FRecords));
    lblTotal = MakeLabel(this, QStringLiteral("lblTotal"), QString(), 15, 404, Maroon);
}

QString RangeLabel(const QDate &From, const QDate &To)
{
    return From.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral("至") +
           To.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral("：");
}

void TfrmShowRecord::SetRecords(TRangeRecords Records)
{
    QAbstractItemModel *old = lvwList->model();
    // Both models read FRecords; nothing asks the old one again once the
    // view holds the new one.
    FRecords = std::move(Records);
    TclsListModel *model = MakeModel(FRecords);
    model->setParent(lvwList);
    lvwList->setModel(model);
    delete old;
}
