#pragma once
// The 查找记录 window: words and filters over every record of the logged-in
// user, the results following each key. Not modal: the user keeps browsing
// and entering while it is open. It holds the user's ledger in memory and
// reads it again whenever the program has changed a record since.
#include "data/unt_clsFind.h"
#include "ui/unt_clsMessages.h"

#include <QList>
#include <QWidget>

#include <functional>

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTimer;
class QTreeView;
class TclsListModel;
class TclsOutputs;
class TclsSession;

// How the window that opened the find window follows the changes made in it.
struct TFindFollow {
    std::function<void(qint64 Id, const QString &Name, double Money, const QString &Memo)> Changed;
    std::function<void(const QList<qint64> &Ids)> Removed;
};

class TfrmFind : public QWidget
{
    Q_OBJECT
  public:
    TfrmFind(TclsSession &Session, TclsOutputs &Outputs, TFindFollow Follow, QWidget *Parent);
    ~TfrmFind() override;

    // Reads the user's records, their names and the last search.
    void Load();
    // Reads the records again when the program changed one since.
    void ReloadIfStale();
    // The results of the fields as they are.
    void Refresh();
    TFindQuery Query() const;
    void SetQuery(const TFindQuery &Query);
    const TFindResult &Result() const { return FResult; }
    const TFindIndex &Index() const { return FIndex; }
    QString SummaryText() const;

    void ModifyCurrent();
    void btnFind_DeleteClick();
    void btnFind_ExportClick();
    void btnFind_SaveClick();
    void cboFind_SavedSelect(int Index);
    // The saved search shown in cboFind_Saved (its menu, or Delete there).
    void DeleteSavedSearch();
    void RenameSavedSearch();
    // The amount bound's check when the user leaves it, as the entry panels
    // check an amount: a bad one is refused with their words and cleared.
    void CheckBound(QLineEdit *Edit);

  protected:
    void closeEvent(QCloseEvent *Event) override;
    bool eventFilter(QObject *Watched, QEvent *Event) override;
    void keyPressEvent(QKeyEvent *Event) override;
    bool event(QEvent *Event) override;

  private:
    void BuildControls();
    void ConnectControls();
    void ReadRecords();
    void FillNames();
    void FillSaved(const QString &Current = QString());
    void BuildSavedMenu();
    QString AskSearchName(const QString &Name, const QString &Label, const QString &Value);
    void ForgetShownNameIfChanged();
    void SaveLastSearch();
    bool Say(const QString &Text, TMessageStyle Style);
    QList<qint64> SelectedIds() const;
    // The store's changes, in one place: a record corrected through the
    // modify dialog, records moved to the trash. Each keeps the index, the
    // results and the window that follows in step.
    bool ModifyInStore(qsizetype Record);
    void DeleteInStore(const QList<qint64> &Ids);
    // Whether the index has every change the program made; after a change
    // of our own it still has when it had before.
    bool InStep() const;
    void KeepInStep(bool WasInStep);

    TclsSession &FSession;
    TclsOutputs &FOutputs;
    TFindFollow FFollow;
    TFindIndex FIndex;
    TFindResult FResult;
    quint64 FGeneration = 0;
    TFindQuery FLastSaved;   // the last search as the books hold it
    TFindQuery FShownSearch; // what the name shown in cboFind_Saved stands for
    QDate FFirst, FLast;     // the user's first and last record dates
    bool FApplying = false, FChecking = false;
    QLineEdit *edtFind_Text = nullptr, *edtFind_Min = nullptr, *edtFind_Max = nullptr;
    QDateEdit *dtpFind_Date1 = nullptr, *dtpFind_Date2 = nullptr;
    QComboBox *cboFind_Type = nullptr, *cboFind_Name = nullptr, *cboFind_Saved = nullptr;
    QTreeView *lvwFind = nullptr;
    TclsListModel *FModel = nullptr;
    QLabel *lblFind_Summary = nullptr;
    QPushButton *btnFind_Save = nullptr, *btnFind_Delete = nullptr, *btnFind_Export = nullptr,
                *btnFind_Close = nullptr;
    QTimer *FStaleCheck = nullptr;
    QMenu *FSavedMenu = nullptr;
};
