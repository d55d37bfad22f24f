// The More menu's analysis of where the money goes: the trend of the
// pickers' range, and the monthly budgets.
#include "data/unt_clsClock.h"
#include "reports/unt_clsOutputs.h"
#include "reports/unt_frmBudget.h"
#include "reports/unt_frmTrend.h"

#include <QApplication>

void TclsOutputs::ShowTrend()
{
    if (!FRange.IsValid())
        return;
    const QDate from = FRange.Start(), to = FRange.End();
    TCategoryDays days;
    QStringList outNames, inNames;
    {
        TclsWaitCursor wait;
        QApplication::processEvents();
        FSession.Database->GetCategoryDays(FSession.CurrentUser, TrendReadStart(from), to, days);
        FSession.Database->GetProgramNames(FSession.CurrentUser, outNames, inNames);
    }
    TfrmTrend dialog(FSession.Window());
    dialog.SetData(std::move(days), from, to, outNames + inNames);
    if (FSession.ExecDialog(&dialog) != QDialog::Accepted || !FRange.Show)
        return;
    // The chosen period in the browse panel, once the dialog is gone.
    FRange.Show(dialog.ChosenFrom, dialog.ChosenTo);
}

void TclsOutputs::ShowBudget()
{
    TfrmBudget dialog(FSession, FSession.Window());
    {
        TclsWaitCursor wait;
        dialog.Load(Clock::Today());
    }
    FSession.ExecDialog(&dialog);
}
