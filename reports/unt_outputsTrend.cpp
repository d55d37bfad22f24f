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
    dialog.Read = [this](const QDate &From, const QDate &To, TCategoryDays &Days) {
        FSession.Database->GetCategoryDays(FSession.CurrentUser, TrendReadStart(From), To, Days);
    };
    dialog.SetData(std::move(days), from, to, outNames, inNames);
    if (FSession.ExecDialog(&dialog) != QDialog::Accepted)
        return;
    // Once the dialog is gone: one category's records of the chosen period
    // in the find window, every record of it in the browse panel.
    if (!dialog.ChosenName.isEmpty() && FRange.ShowCategory)
        FRange.ShowCategory(dialog.ChosenName, dialog.ChosenFrom, dialog.ChosenTo);
    else if (FRange.Show)
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
