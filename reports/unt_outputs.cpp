// The outputs of the browse panel's range: the rows they share, the file
// question of the exports, and the text export.
#include "app/unt_frmMain.h"
#include "reports/unt_reportFiles.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>

bool TfrmMain::InAndOut_GetReportRows(ReportRows &Rows)
{
    if (!RangeIsValid())
        return false;
    const QDate from = RangeStart(), to = RangeEnd();
    DayLists days;
    DetailLists details;
    Database->GetDayRecords(CurrentUser, from, to, days, details);
    Rows = ReportRowsBuilder::BuildRows1(days, details, from, to);
    return true;
}

void TfrmMain::InAndOut_ConvertRows2(ReportRows &Rows)
{
    ReportRowsBuilder::ConvertRows2(Rows);
}

QString SuggestedExportName(bool Layout2, const QDate &From, const QDate &To)
{
    const QString report = Layout2 ? QStringLiteral("收支明细(格式Ⅱ)") : QStringLiteral("收支明细");
    return QStringLiteral("%1_%2至%3")
        .arg(report, From.toString(QStringLiteral("yyyy-MM-dd")), To.toString(QStringLiteral("yyyy-MM-dd")));
}

QString TfrmMain::AskExportFile(const QString &Extension, const QString &Suggested)
{
    const QString filter = QStringLiteral("*.") + Extension;
    dlgSave->setNameFilter(filter);
    // A name the user typed is kept for the next export; a name we
    // suggested gives way to the one for the new range.
    if (!Suggested.isEmpty() && (FLastChosenName.isEmpty() || FLastChosenName == FLastSuggestedName)) {
        dlgSave->selectFile(Suggested + filter.mid(1));
        FLastSuggestedName = Suggested;
    }
    QString name = ExecDialog(dlgSave) == QDialog::Accepted ? dlgSave->selectedFiles().value(0) : QString();
    // A blank name, or one that names a folder, writes nothing.
    const QFileInfo chosen(name);
    if (name.isEmpty() || chosen.fileName().trimmed().isEmpty() || chosen.isDir())
        return {};
    FLastChosenName = chosen.completeBaseName();
    if (chosen.fileName().endsWith(filter.mid(1), Qt::CaseInsensitive))
        FLastChosenName = chosen.fileName().chopped(filter.size() - 1);
    // The next export starts in the folder of this one.
    dlgSave->setDirectory(chosen.absolutePath());
    if (name.right(4).toLower() != filter.mid(1))
        name += filter.mid(1);
    if (QFileInfo::exists(name) &&
        !Say(QStringLiteral("有同名文件存在，您想覆盖它吗？"), TMessageStyle::Question))
        return {};
    return name;
}

bool TfrmMain::CollectReportRows(ReportRows &Rows)
{
    TclsWaitCursor wait;
    return InAndOut_GetReportRows(Rows);
}

bool TfrmMain::BeginExport(bool Layout2, const QString &Extension, ReportRows &Rows, QString &File)
{
    if (!CollectReportRows(Rows))
        return false;
    File = AskExportFile(Extension, SuggestedExportName(Layout2, RangeStart(), RangeEnd()));
    if (File.isEmpty())
        return false;
    if (Layout2)
        InAndOut_ConvertRows2(Rows);
    return true;
}

void TfrmMain::SaveReportText(bool Layout2)
{
    ReportRows rows;
    QString file;
    if (!BeginExport(Layout2, QStringLiteral("txt"), rows, file))
        return;
    if (!Layout2)
        ReportRowsBuilder::AlignAmounts1(rows);
    QList<QByteArray> lines;
    lines.reserve(rows[0].size());
    for (qsizetype i = 0; i < rows[0].size(); ++i)
        lines << ReportRowsBuilder::JoinRow(rows, i);
    const QByteArray header = Layout2 ? ReportRowsBuilder::Header2() : ReportRowsBuilder::Header1();
    WriteWholeFile(file, ReportText(header, lines));
    Say(QStringLiteral("导出成功！\r\n\r\n文件保存位置：\r\n") + file, TMessageStyle::Information);
}

void TfrmMain::ConnectOutputItems()
{
    BindMoreItem("mnuInAndOut_More_SaveAsTxt_1", [this] { mnuInAndOut_More_SaveAsTxt_1Click(); });
    BindMoreItem("mnuInAndOut_More_SaveAsTxt_2", [this] { mnuInAndOut_More_SaveAsTxt_2Click(); });
    BindMoreItem("mnuInAndOut_More_Print_1", [this] { mnuInAndOut_More_Print_1Click(); });
    BindMoreItem("mnuInAndOut_More_Print_2", [this] { mnuInAndOut_More_Print_2Click(); });
    BindMoreItem("mnuInAndOut_More_Preview_1", [this] { mnuInAndOut_More_Preview_1Click(); });
    BindMoreItem("mnuInAndOut_More_Preview_2", [this] { mnuInAndOut_More_Preview_2Click(); });
    BindMoreItem("mnuInAndOut_More_SaveAsExcel_1", [this] { mnuInAndOut_More_SaveAsExcel_1Click(); });
    BindMoreItem("mnuInAndOut_More_SaveAsExcel_2", [this] { mnuInAndOut_More_SaveAsExcel_2Click(); });
}
