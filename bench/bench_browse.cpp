// Browse panel benchmark (run with QT_QPA_PLATFORM=offscreen): View, the
// per-day detail dialog and the outputs of the range (report rows, text and
// Excel exports, the preview's pages) over ten years of one user's records,
// beside the store call alone as baseline.
#include "app/unt_frmMain.h"
#include "bench/unt_benchTiming.h"
#include "tests/support/unt_testGui.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QMenu>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    UsePrivateRuntimeDir();
    TMainFixture f;
    const QDate first(2016, 1, 1), last(2025, 12, 31);
    QStringList dates, names, moneys, memos;
    for (QDate d = first; d <= last; d = d.addDays(1))
        for (int i = 0; i < 12; ++i) {
            dates << d.toString("yyyy-MM-dd");
            names << (i % 2 ? "早饭" : "午饭");
            moneys << "12.50";
            memos << (i % 3 ? QString() : QStringLiteral("备注"));
        }
    TclsDatabaseUser(f.Db.File()).AddRecords(f.User, "支出", dates, names, moneys, memos);
    f.Find<QDateEdit>("dtpInAndOut_Date1")->setDate(first);
    f.Find<QDateEdit>("dtpInAndOut_Date2")->setDate(last);
    DayLists days;
    DetailLists details;
    TclsDatabaseUser store(f.Db.File());
    const double base = MedianMs(5, [&] { store.GetDayRecords(f.User, first, last, days, details); });
    const double view = MedianMs(5, [&] {
        f.Main->InAndOut_View();
        QApplication::processEvents();
    });
    TModalAnswerer answers;
    answers.OnDialog = [](QWidget *Dialog) { static_cast<QDialog *>(Dialog)->reject(); };
    const double detail = MedianMs(5, [&] { f.Main->mnuInAndOut_More_ShowRecordClick(); });
    TfrmMain::SetTemplateFolder(QStringLiteral(":/templates"));
    ReportRows rows;
    const double reportRows = MedianMs(5, [&] { f.Main->InAndOut_GetReportRows(rows); });
    QTemporaryDir out;
    auto exportTime = [&](const char *Item, const QString &File) {
        QAction *action = f.Main->MoreMenu()->findChild<QAction *>(QLatin1String(Item));
        return MedianMs(5, [&] {
            // One answerer a run: the save dialog is the same window each time.
            TModalAnswerer saving({QMessageBox::Yes});
            saving.OnDialog = [&](QWidget *Dialog) {
                if (qobject_cast<QFileDialog *>(Dialog))
                    AnswerSaveDialog(Dialog, out.filePath(File));
                else
                    Dialog->close();
            };
            action->trigger();
        });
    };
    const double text = exportTime("mnuInAndOut_More_SaveAsTxt_1", "a.txt");
    const double excel1 = exportTime("mnuInAndOut_More_SaveAsExcel_1", "a.xls");
    const double excel2 = exportTime("mnuInAndOut_More_SaveAsExcel_2", "b.xls");
    const double preview = exportTime("mnuInAndOut_More_Preview_1", "unused");
    const QModelIndex dayRow = f.Find<QTreeView>("lvwInAndOut_List1")->model()->index(100, 1);
    const double select = MedianMs(21, [&] { f.Main->lvwInAndOut_List1SelectItem(dayRow); });
    std::printf("%lld days, %lld records\n", qint64(days[0].size()), qint64(details[0].size()));
    std::printf("%-34s %10s %7s\n", "operation", "median ms", "ratio");
    std::printf("%-34s %10.2f %7.2f\n", "GetDayRecords alone (baseline)", base, 1.0);
    std::printf("%-34s %10.2f %7.2f\n", "View (store + lists + labels)", view, view / base);
    std::printf("%-34s %10.2f %7.2f\n", "Detail dialog (store + fill)", detail, detail / base);
    std::printf("%-34s %10.3f\n", "Selecting one day", select);
    std::printf("%-34s %10.2f %7.2f\n", "Report rows (store + cells)", reportRows, reportRows / base);
    std::printf("%-34s %10.2f %7.2f\n", "Text export, layout I", text, text / base);
    std::printf("%-34s %10.2f %7.2f\n", "Excel export, layout I", excel1, excel1 / base);
    std::printf("%-34s %10.2f %7.2f\n", "Excel export, layout II", excel2, excel2 / base);
    std::printf("%-34s %10.2f %7.2f\n", "Preview: pages built, shown", preview, preview / base);
    return 0;
}
