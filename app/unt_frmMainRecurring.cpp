// Recurring entries: the More menu's dialog, and their due occurrences into
// the entry panels' pending lists at login, right after an entry is added or
// changed, and when the program is still running on a new day.
#include "app/unt_frmMain.h"
#include "data/unt_clsClock.h"
#include "panels/unt_frmRecurring.h"
#include "panels/unt_panelEntry.h"
#include "panels/unt_recurringDue.h"

#include <QAction>
#include <QApplication>
#include <QDateEdit>
#include <QMenu>
#include <QRadioButton>
#include <QTimer>

namespace
{
// How often the window looks whether the day has changed.
constexpr int DayCheckMilliseconds = 60 * 1000;
} // namespace

void TfrmMain::SetupRecurring()
{
    // A group of its own just above the trash's, so the groups after it stay
    // as they are.
    QMenu *menu = FBrowse->MoreMenu();
    const QList<QAction *> items = menu->actions();
    const qsizetype trash =
        items.indexOf(menu->findChild<QAction *>(QStringLiteral("mnuInAndOut_More_Trash")));
    QAction *before = trash > 0 ? items[trash - 1] : nullptr;
    auto *action = new QAction(QStringLiteral("定期收支(&G)..."), menu);
    action->setObjectName(QStringLiteral("mnuInAndOut_More_Recurring"));
    menu->insertAction(before, action);
    menu->insertSeparator(action);
    connect(action, &QAction::triggered, this,
            [this] { RunGuarded(this, [this] { mnuInAndOut_More_RecurringClick(); }); });
    FRecurringDay = new QTimer(this);
    FRecurringDay->setObjectName(QStringLiteral("tmrRecurringDay"));
    FRecurringDay->setInterval(DayCheckMilliseconds);
    connect(FRecurringDay, &QTimer::timeout, this, [this] { RecurringDayTick(); });
}

void TfrmMain::mnuInAndOut_More_RecurringClick()
{
    ShowRecurring(
        FSession,
        [this](QWidget *Dialog, qint64 Changed) {
            RunGuarded(Dialog, [this, Dialog, Changed] { ProposeRecurring(Dialog, Changed); });
        },
        [this] { return PendingProposals(*FOut, *FIn); });
}

void TfrmMain::StartRecurring()
{
    FRecurringDay->start();
    RunGuarded(this, [this] { ProposeRecurring(); });
}

int TfrmMain::ProposeRecurring(QWidget *Parent, qint64 Changed)
{
    // Set first: a store that fails is reported once for the day, not at
    // every look at the clock.
    FRecurringChecked = Clock::Today();
    // A changed entry's waiting rows were planned by what it was: they go,
    // and what it is now proposes its own.
    const QSet<QDate> replaced = Changed != 0 ? WithdrawProposals(*FOut, *FIn, Changed) : QSet<QDate>();
    const TProposed proposed =
        ProposeDueRecurring(FSession, *FOut, *FIn, FRecurringChecked, Changed, replaced);
    if (proposed.Message.isEmpty())
        return proposed.Rows;
    QRadioButton *target = proposed.OutRows > 0 ? rdoOut : rdoIn;
    target->setChecked(true);
    SelectPanel(target);
    ShowMessage(Parent ? Parent : this, AppTitle, proposed.Message, TMessageStyle::Information);
    return proposed.Rows;
}

void TfrmMain::RecurringDayTick()
{
    if (!Database)
        return;
    // The entry panels' dates that still say what was today move to the new
    // day; a date the user chose stays.
    const QDate today = Clock::Today();
    if (FEntryDay.isValid() && today != FEntryDay) {
        for (TEntryPanel *panel : {FOut, FIn})
            if (panel->Date->date() == FEntryDay)
                panel->Date->setDate(today);
        FEntryDay = today;
    }
    if (today == FRecurringChecked)
        return;
    // A dialog or a box is open: the new day's rows wait until it closes.
    if (QApplication::activeModalWidget())
        return;
    RunGuarded(this, [this] { ProposeRecurring(); });
}
