#include "reports/unt_frmShowRecord.h"

#include "app/unt_clsWidgets.h"
#include "reports/unt_donutChart.h"

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

TfrmGetProgramTotal::TfrmGetProgramTotal(QWidget *Parent) : QDialog(Parent)
{
    setObjectName(QStringLiteral("frmGetProgramTotal"));
    setFixedSize(483 + 300, 350);
    lblDate = MakeLabel(this, QStringLiteral("lblDate"), QString(), 15, 14);
    lvwTotal = MakeListView(this, QStringLiteral("lvwTotal"), 15, 34, 453, 296,
                            {{QStringLiteral("项目"), 200},
                             {QStringLiteral("金额"), 110, true},
                             {QStringLiteral("百分比（％）"), 105, true}});
    chtTotal = new TDonutChart(this);
    chtTotal->setObjectName(QStringLiteral("chtTotal"));
    chtTotal->setGeometry(483, 34, 285, 296);
}

QString RangeLabel(const QDate &From, const QDate &To)
{
    return From.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral("至") +
           To.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral("：");
}
