#pragma once
// The browse panel's More menu and the outputs of a range: the statistics
// dialogs, the text and Excel exports, printing and the preview. It reads
// the range through the callbacks it is given and knows nothing of the
// window that holds the pickers.
#include "reports/unt_qrEngine.h"
#include "reports/unt_reportRows.h"
#include "reports/unt_reportSource.h"
#include "ui/unt_clsSession.h"

#include <QDate>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>

class QFileDialog;
class QMenu;

// The range an output reads: the pickers' dates and their check, which
// warns the user about a range that ends before it starts.
struct TclsRange {
    std::function<bool()> IsValid;
    std::function<QDate()> Start;
    std::function<QDate()> End;
    // Sets the pickers to a range and views it.
    std::function<void(const QDate &From, const QDate &To)> Show;
    // Shows the records of one category in a range.
    std::function<void(const QString &Name, const QDate &From, const QDate &To)> ShowCategory;
};

// The file name an export of the range offers first, e.g.
// "收支明细_2024-03-01至2024-03-31".
QString SuggestedExportName(bool Layout2, const QDate &From, const QDate &To);

class TclsOutputs : public QObject
{
  public:
    TclsOutputs(TclsSession &Session, TclsRange Range);

    // Binds the menu's statistics and output items; each runs guarded.
    void ConnectMenu(QMenu *Menu);
    // Connects the item Name of the menu to Handler, run guarded.
    void BindMoreItem(const char *Name, const std::function<void()> &Handler);
    // The desktop's save dialog the exports ask with.
    void SetSaveDialog(QFileDialog *Dialog) { FSaveDialog = Dialog; }

    void mnuInAndOut_More_ShowRecordClick();
    void ShowProgramTotal(const QString &ProgramType);
    // Each month or year of the range against the year before; budgets.
    void ShowTrend();
    void ShowBudget();

    bool InAndOut_GetReportRows(ReportRows &Rows);
    void InAndOut_ConvertRows2(ReportRows &Rows);
    void SaveReportText(bool Layout2);
    void SaveReportExcel(bool Layout2);
    void RunReport(bool Layout2, const QString &Action);
    void InAndOut_CreateReport1(const QString &Action, ReportRows &Rows);
    void InAndOut_CreateReport2(const QString &Action, ReportRows &Rows);
    void g_objCompositeReportAddReports();
    QList<TQuickRep *> g_objReports;
    TQRCompositeReport *g_objCompositeReport = nullptr;

    // Asks for the file of an export ("txt", "xls"): the extension added when
    // missing, the overwrite question; empty when the user stepped back.
    // Suggested: the name (without extension) offered unless the user typed
    // a name of their own last time.
    QString AskExportFile(const QString &Extension, const QString &Suggested = QString());
    // The same offering several types ("txt", "xls"); Extension gets the one
    // the name ends in or the dialog's chosen type.
    QString AskExportFileOfTypes(const QStringList &Extensions, const QString &Suggested, QString &Extension);
    // Writes Count lines under Header and the rule into File, all or
    // nothing, then says where it went.
    void ExportText(const QString &File, const QByteArray &Header, qsizetype Count,
                    const std::function<QByteArray(qsizetype)> &Line);
    // False, with the user told what to do instead, when Count rows (What:
    // the export's name for them) overflow the layout's worksheet.
    bool ExcelRowsFit(bool Layout2, qsizetype Count, const QString &What);
    // Writes Count rows of a layout into a copy of its template, all or
    // nothing, then says where it went.
    void ExportExcel(const QString &File, bool Layout2, qsizetype Count,
                     const std::function<std::array<QByteArray, 5>(qsizetype)> &Row);
    // Where the export templates pondo.xls and pondo2.xls are: "Database"
    // beside the program; tests point it elsewhere.
    static QString TemplateFolder();
    static void SetTemplateFolder(const QString &Folder);
    static QString ExcelTemplate(bool Layout2);

    // While one lives, the boxes and the save dialog of an output stand over
    // Owner (the find window exporting its results), not over the main window.
    class TOwnedBy
    {
      public:
        TOwnedBy(TclsOutputs &Outputs, QWidget *Owner) : FOutputs(Outputs), FWas(Outputs.FOwner)
        {
            Outputs.FOwner = Owner;
        }
        ~TOwnedBy() { FOutputs.FOwner = FWas; }
        TOwnedBy(const TOwnedBy &) = delete;
        TOwnedBy &operator=(const TOwnedBy &) = delete;

      private:
        TclsOutputs &FOutputs;
        QWidget *FWas;
    };

  private:
    bool Say(const QString &Text, TMessageStyle Style) const;
    int ExecSaveDialog();
    // The pickers' range; null (the user warned) when it ends before it
    // starts. The browse panel's when it shows the same range and nothing
    // was written since, else read from the store into Own (CollectRange
    // under the busy cursor, as every output does).
    const TRangeRecords *ReadRange(TRangeRecords &Own);
    const TRangeRecords *CollectRange(TRangeRecords &Own);
    // The file of an export of the pickers' range, its name suggested;
    // empty when the user stepped back.
    QString AskRangeExportFile(bool Layout2, const QString &Extension);
    // Pages of Count lines under Header; Lines(i) gives line i when a page
    // shows it.
    void CreateReport(const QString &Action, const QByteArray &Header, qsizetype Count,
                      const std::shared_ptr<const TQRLabel::TLines> &Lines);
    void ConnectOutputItems();

    TclsSession &FSession;
    TclsRange FRange;
    QMenu *FMenu = nullptr;
    QFileDialog *FSaveDialog = nullptr;
    QString FLastChosenName, FLastSuggestedName;
    QWidget *FOwner = nullptr;
};
