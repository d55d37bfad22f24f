// The browse panel's More menu and its statistics dialogs. Every item reads
// the pickers afresh.
#include "data/unt_clsAmount.h"
#include "reports/unt_clsOutputs.h"
#include "reports/unt_donutChart.h"
#include "reports/unt_frmGetProgramTotal.h"
#include "reports/unt_frmShowRecord.h"
#include "ui/unt_clsWidgets.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QTreeWidget>

void TclsOutputs::BindMoreItem(const char *Name, const std::function<void()> &Handler)
{
    QAction *action = FMenu->findChild<QAction *>(QLatin1String(Name));
    connect(action, &QAction::triggered, this, [this, Handler] { RunGuarded(FSession.Window(), Handler); });
}

TclsOutputs::TclsOutputs(TclsSession &Session, TclsRange Range) : FSession(Session), FRange(std::move(Range))
{
}

void TclsOutputs::ConnectMenu(QMenu *Menu)
{
    FMenu = Menu;
    BindMoreItem("mnuInAndOut_More_ShowRecord", [this] { mnuInAndOut_More_ShowRecordClick(); });
    BindMoreItem("mnuInAndOut_More_OutTotal", [this] { ShowProgramTotal(QStringLiteral("支出")); });
    BindMoreItem("mnuInAndOut_More_InTotal", [this] { ShowProgramTotal(QStringLiteral("收入")); });
    BindMoreItem("mnuInAndOut_More_Trend", [this] { ShowTrend(); });
    BindMoreItem("mnuInAndOut_More_Budget", [this] { ShowBudget(); });
    ConnectOutputItems();
}

void TclsOutputs::mnuInAndOut_More_ShowRecordClick()
{
    if (!FRange.IsValid())
        return;
    const QDate from = FRange.Start(), to = FRange.End();
    TRangeRecords records;
    {
        TclsWaitCursor wait;
        QApplication::processEvents();
        // The range on screen is copied, not read again; the dialog keeps
        // its own while the panel may change under it.
        const TRangeRecords *range = ReadRange(records);
        if (range != &records)
            records = *range;
    }
    TfrmShowRecord dialog(FSession.Window());
    dialog.setWindowTitle(QStringLiteral("详细显示每天所有收支记录"));
    dialog.lblDate->setText(RangeLabel(from, to));
    dialog.lblDate->adjustSize();
    const auto [out, in, balance] = records.Totals();
    dialog.SetRecords(std::move(records));
    dialog.lblTotal->setText(QStringLiteral("支出合计：%1    收入合计：%2    结余合计：%3")
                                 .arg(FormatMoney(out), FormatMoney(in), FormatMoney(balance)));
    dialog.lblTotal->adjustSize();
    FSession.ExecDialog(&dialog);
}

void TclsOutputs::ShowProgramTotal(const QString &ProgramType)
{
    if (!FRange.IsValid())
        return;
    const QDate from = FRange.Start(), to = FRange.End();
    TotalsLists totals;
    {
        TclsWaitCursor wait;
        FSession.Database->GetProgramTotals(FSession.CurrentUser, ProgramType, from, to, totals);
    }
    TfrmGetProgramTotal dialog(FSession.Window());
    dialog.setWindowTitle(ProgramType == QStringLiteral("支出") ? QStringLiteral("统计各个支出项目所占比例")
                                                                : QStringLiteral("统计各个收入项目所占比例"));
    dialog.lblDate->setText(RangeLabel(from, to));
    dialog.lblDate->adjustSize();
    for (qsizetype i = 0; i < totals[0].size(); ++i)
        dialog.lvwTotal->addTopLevelItem(
            MakeRow(dialog.lvwTotal, {totals[0][i], totals[1][i], totals[2][i]}));
    dialog.chtTotal->SetTotals(totals);
    FSession.ExecDialog(&dialog);
}
