// The More menu's wiring beyond the outputs: the trash, bill import,
// recurring entries, and the find window the menu and Ctrl+F open.
#include "app/unt_frmMain.h"
#include "find/unt_frmFind.h"
#include "panels/unt_frmTrash.h"
#include "ui/unt_clsLook.h"

#include <QShortcut>

void TfrmMain::ConnectMoreMenu()
{
    FOutputs.ConnectMenu(FBrowse->MoreMenu());
    FOutputs.BindMoreItem("mnuInAndOut_More_Trash", [this] {
        // Restored records show at once in a range already on screen.
        if (ShowTrash(FSession) > 0 && FBrowse->HasRange())
            InAndOut_View();
    });
    SetupImport();
    SetupRecurring();
    FOutputs.BindMoreItem("mnuInAndOut_More_Find", [this] { OpenFind(); });
    // Anywhere in the window, once a user is logged in.
    auto *find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, this, [this] {
        if (GuardFlag == 1)
            RunGuarded(this, [this] { OpenFind(); });
    });
}

TfrmFind *TfrmMain::FindWindow() const
{
    return FFind;
}

void TfrmMain::OpenFind()
{
    if (!FFind) {
        auto *find = new TfrmFind(FSession, FOutputs,
                                  {[this](qint64 Id, const QString &Name, double Money, const QString &Memo) {
                                       FBrowse->RecordChanged(Id, Name, Money, Memo);
                                   },
                                   [this](const QList<qint64> &Ids) { FBrowse->RecordsRemoved(Ids); }},
                                  this);
        FFind = find;
        CenterOnScreen(find);
        find->show();
        try {
            find->Load();
        } catch (...) {
            find->close();
            throw;
        }
    }
    FFind->showNormal();
    FFind->raise();
    FFind->activateWindow();
}

void TfrmMain::FindCategory(const QString &Name, const QDate &From, const QDate &To)
{
    OpenFind();
    TFindQuery query;
    query.Name = Name;
    query.From = From;
    query.To = To;
    FFind->SetQuery(query);
}
