#include "reports/unt_frmShowRecord.h"

#include "ui/unt_clsListModel.h"
#include "ui/unt_clsWidgets.h"

#include <QDate>
#include <QLabel>
#include <QTreeView>

namespace
{
TclsListModel *MakeModel(const DetailLists &Details)
{
    return new TclsListModel({{QStringLiteral("日期"), 85},
                              {QStringLiteral("类别"), 55},
                              {QStringLiteral("项目"), 135},
                              {QStringLiteral("金额"), 80, true},
                              {QStringLiteral("备注"), 205}},
                             {Details[1], Details[2], Details[3], Details[4], Details[5]});
}
} // namespace

TfrmShowRecord::TfrmShowRecord(QWidget *Parent) : QDialog(Parent)
{
    setObjectName(QStringLiteral("frmShowRecord"));
    setFixedSize(622, 431);
    lblDate = MakeLabel(this, QStringLiteral("lblDate"), QString(), 15, 14);
    lvwList = MakeModelListView(this, QStringLiteral("lvwList"), 15, 34, 593, 360, MakeModel({}));
    lblTotal = MakeLabel(this, QStringLiteral("lblTotal"), QString(), 15, 404, Maroon);
}

QString RangeLabel(const QDate &From, const QDate &To)
{
    return From.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral("至") +
           To.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral("：");
}

void TfrmShowRecord::SetRecords(const DetailLists &Details)
{
    QAbstractItemModel *old = lvwList->model();
    TclsListModel *model = MakeModel(Details);
    model->setParent(lvwList);
    lvwList->setModel(model);
    delete old;
}
