// The outputs of the browse panel's range: the rows they share, the file
// question of the exports, and the text export.
#include "reports/unt_clsOutputs.h"
#include "reports/unt_reportFiles.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QScopeGuard>

const TRangeRecords *TclsOutputs::ReadRange(TRangeRecords &Own)
{
    if (!FRange.IsValid())
        return nullptr;
    const TRangeRecords *shown = FSession.ShownRange;
    if (shown && FSession.ShownUser == FSession.CurrentUser && shown->From() == FRange.Start() && shown->To() == FRange.End() &&
        !FSession.ShownStamp.isEmpty() && FSession.ShownStamp == FSession.Database->ChangeStamp())
        return shown;
    FSession.Database->GetRangeRecords(FSession.CurrentUser, FRange.Start(), FRange.End(), Own);
    return &Own;
}

bool TclsOutputs::InAndOut_GetReportRows(ReportRows &Rows)
{
    TRangeRecords own;
    const TRangeRecords *range = ReadRange(own);
    if (!range)
        return false;
    Rows = ReportRowsBuilder::BuildRows1(*range);
    return true;
}

void TclsOutputs::InAndOut_ConvertRows2(ReportRows &Rows)
{
    ReportRowsBuilder::ConvertRows2(Rows);
}

QString SuggestedExportName(bool Layout2, const QDate &From, const QDate &To)
{
    const QString report = Layout2 ? QStringLiteral("收支明细(格式Ⅱ)") : QStringLiteral("收支明细");
    return QStringLiteral("%1_%2至%3")
        .arg(report, From.toString(QStringLiteral("yyyy-MM-dd")), To.toString(QStringLiteral("yyyy-MM-dd")));
}

bool TclsOutputs::Say(const QString &Text, TMessageStyle Style) const
{
    if (!FOwner)
        return FSession.Say(Text, Style);
    return ShowMessage(FOwner, FSession.AppTitle.isEmpty() ? ApplicationTitle() : FSession.AppTitle, Text,
                       Style);
}

int TclsOutputs::ExecSaveDialog()
{
    if (!FOwner)
        return FSession.ExecDialog(FSaveDialog);
    // Lent to the owner for this once, so it opens over it; the main window
    // keeps it for the next export.
    QWidget *home = FSaveDialog->parentWidget();
    const Qt::WindowFlags flags = FSaveDialog->windowFlags();
    FSaveDialog->setParent(FOwner, flags);
    auto back = qScopeGuard([&] { FSaveDialog->setParent(home, flags); });
    FSession.ActiveDialog = FSaveDialog;
    const int result = FSaveDialog->exec();
    FSession.ActiveDialog = nullptr;
    return result;
}

QString TclsOutputs::AskExportFile(const QString &Extension, const QString &Suggested)
{
    QString chosen;
    return AskExportFileOfTypes({Extension}, Suggested, chosen);
}

QString TclsOutputs::AskExportFileOfTypes(const QStringList &Extensions, const QString &Suggested,
                                          QString &Extension)
{
    QStringList filters;
    for (const QString &extension : Extensions)
        filters << QStringLiteral("*.") + extension;
    FSaveDialog->setNameFilters(filters);
    // A name the user typed is kept for the next export; a name we
    // suggested gives way to the one for the new range.
    if (!Suggested.isEmpty() && (FLastChosenName.isEmpty() || FLastChosenName == FLastSuggestedName)) {
        FSaveDialog->selectFile(Suggested + filters.first().mid(1));
        FLastSuggestedName = Suggested;
    }
    QString name = ExecSaveDialog() == QDialog::Accepted ? FSaveDialog->selectedFiles().value(0) : QString();
    // A blank name, or one that names a folder, writes nothing.
    const QFileInfo chosen(name);
    if (name.isEmpty() || chosen.fileName().trimmed().isEmpty() || chosen.isDir())
        return {};
    // The type the name ends in, else the one chosen in the dialog.
    QString suffix = FSaveDialog->selectedNameFilter();
    if (!filters.contains(suffix))
        suffix = filters.first();
    bool typed = false;
    for (const QString &filter : filters)
        if (chosen.fileName().endsWith(filter.mid(1), Qt::CaseInsensitive)) {
            suffix = filter;
            typed = true;
        }
    suffix = suffix.mid(1);
    Extension = suffix.mid(1);
    FLastChosenName = typed ? chosen.fileName().chopped(suffix.size()) : chosen.completeBaseName();
    // The next export starts in the folder of this one.
    FSaveDialog->setDirectory(chosen.absolutePath());
    if (!typed)
        name += suffix;
    if (QFileInfo::exists(name) &&
        !Say(QStringLiteral("有同名文件存在，您想覆盖它吗？"), TMessageStyle::Question))
        return {};
    return name;
}

const TRangeRecords *TclsOutputs::CollectRange(TRangeRecords &Own)
{
    TclsWaitCursor wait;
    return ReadRange(Own);
}

QString TclsOutputs::AskRangeExportFile(bool Layout2, const QString &Extension)
{
    return AskExportFile(Extension, SuggestedExportName(Layout2, FRange.Start(), FRange.End()));
}

void TclsOutputs::SaveReportText(bool Layout2)
{
    TRangeRecords own;
    const TRangeRecords *range = CollectRange(own);
    if (!range)
        return;
    const QString file = AskRangeExportFile(Layout2, QStringLiteral("txt"));
    if (file.isEmpty())
        return;
    const TReportSource source(*range, Layout2 ? TReportLayout::Layout2 : TReportLayout::Aligned1);
    ExportText(file, Layout2 ? ReportRowsBuilder::Header2() : ReportRowsBuilder::Header1(), source.Count(),
               [&](qsizetype I) { return source.Line(I); });
}

void TclsOutputs::ExportText(const QString &File, const QByteArray &Header, qsizetype Count,
                             const std::function<QByteArray(qsizetype)> &Line)
{
    {
        TclsWaitCursor wait;
        WriteWholeFile(File, [&](const TWriteChunk &Write) { WriteReportText(Header, Count, Line, Write); });
    }
    Say(QStringLiteral("导出成功！\r\n\r\n文件保存位置：\r\n") + File, TMessageStyle::Information);
}

void TclsOutputs::ConnectOutputItems()
{
    BindMoreItem("mnuInAndOut_More_SaveAsTxt_1", [this] { SaveReportText(false); });
    BindMoreItem("mnuInAndOut_More_SaveAsTxt_2", [this] { SaveReportText(true); });
    BindMoreItem("mnuInAndOut_More_Print_1", [this] { RunReport(false, QStringLiteral("打印")); });
    BindMoreItem("mnuInAndOut_More_Print_2", [this] { RunReport(true, QStringLiteral("打印")); });
    BindMoreItem("mnuInAndOut_More_Preview_1", [this] { RunReport(false, QStringLiteral("预览")); });
    BindMoreItem("mnuInAndOut_More_Preview_2", [this] { RunReport(true, QStringLiteral("预览")); });
    BindMoreItem("mnuInAndOut_More_SaveAsExcel_1", [this] { SaveReportExcel(false); });
    BindMoreItem("mnuInAndOut_More_SaveAsExcel_2", [this] { SaveReportExcel(true); });
}
