#include "reports/unt_frmGetProgramTotal.h"

#include "reports/unt_donutChart.h"
#include "ui/unt_clsWidgets.h"

#include <QLabel>
#include <QTreeWidget>

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
