#include "reports/unt_frmShowRecord.h"

#include "app/unt_clsWidgets.h"

#include <QDate>
#include <QLabel>
#include <QTreeWidget>

TfrmShowRecord::TfrmShowRecord(QWidget *Parent) : QDialog(Parent)
{
    setObjectName(QStringLiteral("frmShowRecord"));
    setFixedSize(622, 431);
    lblDate = MakeLabel(this, QStringLiteral("lblDate"), QString(), 15, 14);
    lvwList = MakeListView(this, QStringLiteral("lvwList"), 15, 34, 593, 360,
                           {{QStringLiteral("日期"), 85},
                            {QStringLiteral("类别"), 55},
                            {QStringLiteral("项目"), 135},
                            {QStringLiteral("金额"), 80, true},
                            {QStringLiteral("备注"), 205}});
    lblTotal = MakeLabel(this, QStringLiteral("lblTotal"), QString(), 15, 404, Maroon);
}

QString RangeLabel(const QDate &From, const QDate &To)
{
    return From.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral("至") +
           To.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral("：");
}
