#pragma once
// The one top-level window: skin, caption buttons, user label, panel
// switch. The work panels and the outputs are classes of their own; the
// window keeps each operation's name as a call into the one that does it.
#include "panels/unt_panelBrowse.h"
#include "panels/unt_panelEntry.h"
#include "reports/unt_clsOutputs.h"
#include "ui/unt_clsMessages.h"
#include "ui/unt_clsSession.h"

#include <QHash>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

class QComboBox;
class QDateEdit;
class QFileDialog;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QRadioButton;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;
class TShape;
class TclsButtonCreator;
class TfrmFind;
struct TBill;

class TfrmMain : public QWidget
{
    Q_OBJECT
    // First of the members: the names below refer into it.
    TclsSession FSession{this};
    // The More menu and the outputs, reading the browse panel's range.
    TclsOutputs FOutputs{FSession, TclsRange{[this] { return RangeIsValid(); },
                                             [this] { return RangeStart(); }, [this] { return RangeEnd(); },
                                             [this](const QDate &From, const QDate &To) {
                                                 FBrowse->SetRange(From, To);
                                                 InAndOut_View();
                                             },
                                             [this](const QString &Name, const QDate &From, const QDate &To) {
                                                 FindCategory(Name, From, To);
                                             }}};
    TPanelHost PanelHost();
    // Adopted by the window where its panels are made (see BuildShell).
    TBrowsePanel *const FBrowse = new TBrowsePanel(PanelHost());

  public:
    explicit TfrmMain(QWidget *Parent = nullptr);
    ~TfrmMain() override;

    // Runs the login and sets the window up; false when the login was cancelled.
    bool FormCreate();
    bool Login();
    void SetupAfterLogin();
    // Today's copy of the database, once a day, after the login.
    void BackUpDatabase();
    void ddeServerExecuteMacro(const QStringList &Msg);

    // The session the panels and dialogs receive; the names below are its
    // members under the window's old names.
    TclsSession &Session() { return FSession; }
    QString &CurrentUser = FSession.CurrentUser;
    std::unique_ptr<TclsDatabaseUser> &Database = FSession.Database;
    QString &AppTitle = FSession.AppTitle;
    QPointer<QWidget> &ActiveDialog = FSession.ActiveDialog;
    int GuardFlag = 0;

    // A modal box of the main window; true for Yes.
    bool Say(const QString &Text, TMessageStyle Style);

    // Shape buttons and panel switching.
    void ShapeButtonClick(QObject *Sender);
    void SelectPanel(QRadioButton *Sender);
    TclsButtonCreator *Button(const QString &Name) const { return FButtons.value(Name); }

    // Entry panels.
    void Out_Edit() { FOut->Edit(); }
    void Out_Add() { FOut->Add(); }
    void Out_Delete() { FOut->Delete(); }
    bool Out_Finish() { return FOut->Finish(); }
    void Out_ShowTotal() { FOut->ShowTotal(); }
    void In_Edit() { FIn->Edit(); }
    void In_Add() { FIn->Add(); }
    void In_Delete() { FIn->Delete(); }
    bool In_Finish() { return FIn->Finish(); }
    void In_ShowTotal() { FIn->ShowTotal(); }
    QComboBox *NameCombo(bool Expense) const { return Expense ? FOut->Name : FIn->Name; }

    // Browse panel.
    void InAndOut_View() { FBrowse->InAndOut_View(); }
    void InAndOut_ShowTotals() { FBrowse->InAndOut_ShowTotals(); }
    void lvwInAndOut_List1SelectItem(const QModelIndex &Item) { FBrowse->lvwInAndOut_List1SelectItem(Item); }
    void InAndOut_Delete() { FBrowse->InAndOut_Delete(); }
    void InAndOut_Modify() { FBrowse->InAndOut_Modify(); }
    void InAndOut_SyncLists(const QString &Action) { FBrowse->InAndOut_SyncLists(Action); }
    void InAndOut_More() { FBrowse->InAndOut_More(); }
    void mnuInAndOut_More_ShowRecordClick() { FOutputs.mnuInAndOut_More_ShowRecordClick(); }
    void ShowProgramTotal(const QString &ProgramType) { FOutputs.ShowProgramTotal(ProgramType); }
    QTreeWidget *DetailList() const { return FBrowse->DetailList(); }
    // The range of the browse panel's pickers, and its check with the warning.
    QDate RangeStart() const { return FBrowse->RangeStart(); }
    QDate RangeEnd() const { return FBrowse->RangeEnd(); }
    bool RangeIsValid() { return FBrowse->RangeIsValid(); }
    QMenu *MoreMenu() const { return FBrowse->MoreMenu(); }
    QFileDialog *SaveDialog() const { return dlgSave; }

    // The outputs of a range: report rows, text files, printing and preview.
    bool InAndOut_GetReportRows(ReportRows &Rows) { return FOutputs.InAndOut_GetReportRows(Rows); }
    void InAndOut_ConvertRows2(ReportRows &Rows) { FOutputs.InAndOut_ConvertRows2(Rows); }
    void mnuInAndOut_More_SaveAsTxt_1Click() { SaveReportText(false); }
    void mnuInAndOut_More_SaveAsTxt_2Click() { SaveReportText(true); }
    void mnuInAndOut_More_SaveAsExcel_1Click() { SaveReportExcel(false); }
    void mnuInAndOut_More_SaveAsExcel_2Click() { SaveReportExcel(true); }
    void mnuInAndOut_More_Print_1Click() { RunReport(false, QStringLiteral("打印")); }
    void mnuInAndOut_More_Print_2Click() { RunReport(true, QStringLiteral("打印")); }
    void mnuInAndOut_More_Preview_1Click() { RunReport(false, QStringLiteral("预览")); }
    void mnuInAndOut_More_Preview_2Click() { RunReport(true, QStringLiteral("预览")); }
    void InAndOut_CreateReport1(const QString &Action, ReportRows &Rows)
    {
        FOutputs.InAndOut_CreateReport1(Action, Rows);
    }
    void InAndOut_CreateReport2(const QString &Action, ReportRows &Rows)
    {
        FOutputs.InAndOut_CreateReport2(Action, Rows);
    }
    void g_objCompositeReportAddReports() { FOutputs.g_objCompositeReportAddReports(); }
    QList<TQuickRep *> &g_objReports = FOutputs.g_objReports;
    TQRCompositeReport *&g_objCompositeReport = FOutputs.g_objCompositeReport;
    QString AskExportFile(const QString &Extension, const QString &Suggested = QString())
    {
        return FOutputs.AskExportFile(Extension, Suggested);
    }
    static QString TemplateFolder() { return TclsOutputs::TemplateFolder(); }
    static void SetTemplateFolder(const QString &Folder) { TclsOutputs::SetTemplateFolder(Folder); }
    // The browse panel's lists of the range last viewed.
    DetailLists Details() const { return FBrowse->Details(); }

    // The 查找记录 window (More menu, Ctrl+F): opened, or raised when open.
    void OpenFind();
    TfrmFind *FindWindow() const;
    // The find window showing one category's records of a range.
    void FindCategory(const QString &Name, const QDate &From, const QDate &To);

    // Bills into the pending rows: the More menu's item and file drops.
    void mnuInAndOut_More_ImportClick();
    void ImportBill(const QString &File);

    // Recurring entries: the More menu's dialog, and their due occurrences
    // into the pending rows at login, after a change and on each new day.
    void mnuInAndOut_More_RecurringClick();
    void StartRecurring();
    // Proposes what is due and tells the user (a box of Parent, else of the
    // window); returns the number of rows put into the pending lists.
    int ProposeRecurring(QWidget *Parent = nullptr, qint64 Changed = 0);

  protected:
    void closeEvent(QCloseEvent *Event) override;
    void showEvent(QShowEvent *Event) override;
    bool eventFilter(QObject *Watched, QEvent *Event) override;
    void dragEnterEvent(QDragEnterEvent *Event) override;
    void dropEvent(QDropEvent *Event) override;

  private:
    void BuildShell();
    void MakeShapePair(QWidget *Host, const QString &Key, const QString &Caption, int X, int Y, int W, int H);
    bool CaptionButtonEvent(QObject *Watched, QEvent *Event);
    // Opens a dialog as the one a second start brings to the front.
    int ExecDialog(QWidget *Dialog) { return FSession.ExecDialog(Dialog); }
    // Runs a store call with its own shape button disabled and the hourglass
    // shown (both painted first); both come back even when the call fails.
    void WhileButtonBusy(const QString &Key, const std::function<void()> &Work);

    void ConnectMoreMenu();
    void SetupImport();
    void SetupRecurring();
    void RecurringDayTick();
    QTimer *FRecurringDay = nullptr;
    QDate FRecurringChecked;
    QDate FEntryDay; // the day the entry panels' dates were last set to
    bool AskZipPassword(bool Again, QString &Password);
    // The bill's rows; Mapping gets the layout key and the columns the user
    // chose for a bill of no known layout.
    bool ReadBill(const QString &File, TBill &Bill, QStringList &Mapping);
    void SaveReportText(bool Layout2) { FOutputs.SaveReportText(Layout2); }
    void SaveReportExcel(bool Layout2) { FOutputs.SaveReportExcel(Layout2); }
    void RunReport(bool Layout2, const QString &Action) { FOutputs.RunReport(Layout2, Action); }

    QWidget *imgBackground;
    TShape *shpMinimize, *shpClose;
    QLabel *lblMinimize, *lblClose, *lblUserName;
    QRadioButton *rdoOut, *rdoIn, *rdoInAndOut;
    QWidget *pnlOut, *pnlIn, *pnlInAndOut;
    TEntryPanel *FOut, *FIn;
    QFileDialog *dlgSave;
    struct TShapePair {
        TShape *Shape;
        QLabel *Label;
    };
    QHash<QString, TShapePair> FPairs;
    QHash<QString, TclsButtonCreator *> FButtons;
    QPointer<TfrmFind> FFind;
};
