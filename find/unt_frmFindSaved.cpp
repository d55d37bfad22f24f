// Searches kept under a name: saved, chosen, renamed and deleted, and the
// last search kept for the next opening.
#include "data/unt_clsFindStore.h"
#include "find/unt_frmFind.h"
#include "ui/unt_clsLook.h"
#include "ui/unt_clsSession.h"

#include <QAction>
#include <QComboBox>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLayout>
#include <QMenu>

#include <algorithm>

void TfrmFind::BuildSavedMenu()
{
    FSavedMenu = new QMenu(cboFind_Saved);
    FSavedMenu->setObjectName(QStringLiteral("mnuFind_Saved"));
    QAction *rename = FSavedMenu->addAction(QStringLiteral("重命名(&R)..."));
    rename->setObjectName(QStringLiteral("mnuFind_Saved_Rename"));
    QAction *remove = FSavedMenu->addAction(QStringLiteral("删除(&D)"));
    remove->setObjectName(QStringLiteral("mnuFind_Saved_Delete"));
    connect(rename, &QAction::triggered, this, [this] { RunGuarded(this, [this] { RenameSavedSearch(); }); });
    connect(remove, &QAction::triggered, this, [this] { RunGuarded(this, [this] { DeleteSavedSearch(); }); });
    cboFind_Saved->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(cboFind_Saved, &QWidget::customContextMenuRequested, this,
            [this, rename, remove](const QPoint &At) {
                const bool named = cboFind_Saved->currentIndex() > 0;
                rename->setEnabled(named);
                remove->setEnabled(named);
                FSavedMenu->popup(cboFind_Saved->mapToGlobal(At));
            });
    cboFind_Saved->installEventFilter(this);
}

bool TfrmFind::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Watched == cboFind_Saved && Event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(Event)->key() == Qt::Key_Delete) {
        RunGuarded(this, [this] { DeleteSavedSearch(); });
        return true;
    }
    return QWidget::eventFilter(Watched, Event);
}

QString TfrmFind::AskSearchName(const QString &Name, const QString &Label, const QString &Value)
{
    QInputDialog ask(this);
    ask.setObjectName(Name);
    ask.setWindowTitle(FSession.AppTitle.isEmpty() ? ApplicationTitle() : FSession.AppTitle);
    ask.setLabelText(Label);
    ask.setTextValue(Value);
    ask.setOkButtonText(QStringLiteral("确定"));
    ask.setCancelButtonText(QStringLiteral("取消"));
    // Fixed: a dialog that can be sized gets the window manager's grip bar
    // along its bottom, a strip under two buttons.
    if (QLayout *layout = ask.layout()) {
        layout->setSizeConstraint(QLayout::SetFixedSize);
        layout->activate();
    }
    PrepareFixedDialog(&ask);
    FSession.ActiveDialog = &ask;
    const int answer = ask.exec();
    FSession.ActiveDialog = nullptr;
    return answer == QDialog::Accepted ? ask.textValue().trimmed() : QString();
}

void TfrmFind::DeleteSavedSearch()
{
    const QString name = cboFind_Saved->currentIndex() > 0 ? cboFind_Saved->currentText() : QString();
    if (name.isEmpty() ||
        !Say(QStringLiteral("您确定要删除名为“%1”的查找吗？").arg(name), TMessageStyle::Question))
        return;
    TclsFindStore(FSession.Database->DatabaseFile()).DeleteSearch(FSession.CurrentUser, name);
    FillSaved();
}

void TfrmFind::RenameSavedSearch()
{
    const QString old = cboFind_Saved->currentIndex() > 0 ? cboFind_Saved->currentText() : QString();
    if (old.isEmpty())
        return;
    const QString name = AskSearchName(QStringLiteral("dlgFind_RenameName"),
                                       QStringLiteral("请为这个查找起一个新名字："), old);
    if (name.isEmpty() || name == old)
        return;
    TclsFindStore store(FSession.Database->DatabaseFile());
    if (store.SearchExists(FSession.CurrentUser, name) &&
        !Say(QStringLiteral("已有名为“%1”的查找，您想替换它吗？").arg(name), TMessageStyle::Question))
        return;
    store.RenameSearch(FSession.CurrentUser, old, name);
    FillSaved(name);
}

void TfrmFind::ForgetShownNameIfChanged()
{
    // The name stands for the search it was saved as; once a field differs
    // it would claim a search that is not on screen.
    if (cboFind_Saved->currentIndex() > 0 && !FApplying && Query() != FShownSearch)
        cboFind_Saved->setCurrentIndex(0);
}

void TfrmFind::FillSaved(const QString &Current)
{
    const QStringList names =
        TclsFindStore(FSession.Database->DatabaseFile()).SearchNames(FSession.CurrentUser);
    cboFind_Saved->clear();
    cboFind_Saved->addItem(QString());
    cboFind_Saved->addItems(names);
    cboFind_Saved->setCurrentIndex(std::max(0, int(names.indexOf(Current)) + (Current.isEmpty() ? 0 : 1)));
}

void TfrmFind::btnFind_SaveClick()
{
    const QString name =
        AskSearchName(QStringLiteral("dlgFind_SaveName"), QStringLiteral("请为这个查找起一个名字："),
                      cboFind_Saved->currentText());
    if (name.isEmpty())
        return;
    TclsFindStore store(FSession.Database->DatabaseFile());
    if (store.SearchExists(FSession.CurrentUser, name) &&
        !Say(QStringLiteral("已有名为“%1”的查找，您想替换它吗？").arg(name), TMessageStyle::Question))
        return;
    store.SaveSearch(FSession.CurrentUser, name, Query());
    FShownSearch = Query();
    FillSaved(name);
}

void TfrmFind::cboFind_SavedSelect(int Index)
{
    if (Index <= 0)
        return;
    TFindQuery query;
    if (!TclsFindStore(FSession.Database->DatabaseFile())
             .LoadSearch(FSession.CurrentUser, cboFind_Saved->itemText(Index), query))
        return;
    FShownSearch = query;
    SetQuery(query);
    FShownSearch = Query();
}

void TfrmFind::SaveLastSearch()
{
    // Books opened read-only keep nothing; the search is only lost.
    // An unchanged search is not written again.
    if (!FSession.Database || FSession.Database->ReadOnly() || Query() == FLastSaved)
        return;
    RunGuarded(this, [this] {
        const TFindQuery query = Query();
        TclsFindStore(FSession.Database->DatabaseFile()).SaveSearch(FSession.CurrentUser, QString(), query);
        FLastSaved = query;
    });
}
