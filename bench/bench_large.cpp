// Large books (run with QT_QPA_PLATFORM=offscreen): a busy household or a
// small shop, 92 records a day for ten years. Each operation runs in a
// process of its own, so its peak resident memory is its own; the plain
// SQLite query of the same rows is the baseline of the same run.
//   bench_large [records-per-day [sample-file]]   (default 92; a sample file
//   that exists is used as it is, so a profiler can run one operation on it)
#include "app/unt_frmMain.h"
#include "bench/unt_benchSample.h"
#include "bench/unt_benchTiming.h"
#include "data/unt_clsBase64.h"
#include "data/unt_clsDatabaseUser.h"
#include "tests/support/unt_testDb.h"
#include "tests/support/unt_testGui.h"

#include <QAction>
#include <QApplication>
#include <QDateEdit>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QProcess>
#include <QTemporaryDir>
#include <QTreeView>

#include <cstdio>
#include <sqlite3.h>

namespace
{

int PerDayOf(const QString &File)
{
    TRangeRecords records;
    TclsDatabaseUser(File).GetRangeRecords(User, First, First, records);
    return std::max<int>(1, int(records.Count()));
}

// One operation in this process: prints "median-ms peak-kB".
int RunOne(const QString &Op, const QString &File)
{
    UsePrivateRuntimeDir();
    TclsDatabaseUser::SetDefaultDatabaseFile(File);
    TfrmMain::SetTemplateFolder(QStringLiteral(":/templates"));
    double ms = 0;
    if (Op == QLatin1String("query")) {
        ms = MedianMs(5, [&] { BenchSample::PlainRangeRead(File); });
    } else if (Op == QLatin1String("store")) {
        TclsDatabaseUser store(File);
        ms = MedianMs(5, [&] {
            TRangeRecords records;
            store.GetRangeRecords(User, First, Last, records);
        });
    } else if (Op == QLatin1String("lists")) {
        TclsDatabaseUser store(File);
        ms = MedianMs(5, [&] {
            DayLists days;
            DetailLists details;
            store.GetDayRecords(User, First, Last, days, details);
        });
    } else {
        TfrmMain main;
        main.CurrentUser = User;
        main.SetupAfterLogin();
        main.GuardFlag = 1;
        main.show();
        main.findChild<QDateEdit *>("dtpInAndOut_Date1")->setDate(First);
        main.findChild<QDateEdit *>("dtpInAndOut_Date2")->setDate(Last);
        QTemporaryDir out;
        const QString target = out.filePath(Op == QLatin1String("excel") ? "a.xls" : "a.txt");
        TModalAnswerer closeAll;
        closeAll.OnDialog = [](QWidget *Dialog) { Dialog->close(); };
        auto trigger = [&](const char *Item) {
            // One answerer a run: the overwrite question, then the success box.
            TModalAnswerer saving({QMessageBox::Yes});
            saving.OnDialog = [&](QWidget *Dialog) {
                if (qobject_cast<QFileDialog *>(Dialog))
                    AnswerSaveDialog(Dialog, target);
                else
                    Dialog->close();
            };
            main.MoreMenu()->findChild<QAction *>(Item)->trigger();
        };
        if (Op == QLatin1String("calendar")) {
            // Every day the pickers allow: each is a row of the daily list.
            main.findChild<QDateEdit *>("dtpInAndOut_Date1")->setDate(QDate(1900, 1, 1));
            main.findChild<QDateEdit *>("dtpInAndOut_Date2")->setDate(QDate(9999, 12, 31));
            ms = MedianMs(5, [&] {
                main.InAndOut_View();
                QApplication::processEvents();
            });
        } else if (Op == QLatin1String("view")) {
            ms = MedianMs(5, [&] {
                main.InAndOut_View();
                QApplication::processEvents();
            });
        } else {
            main.InAndOut_View();
            if (Op == QLatin1String("detail"))
                ms = MedianMs(5, [&] { main.mnuInAndOut_More_ShowRecordClick(); });
            else if (Op == QLatin1String("share"))
                ms = MedianMs(5, [&] { trigger("mnuInAndOut_More_OutTotal"); });
            else if (Op == QLatin1String("select")) {
                const QModelIndex row =
                    main.findChild<QTreeView *>("lvwInAndOut_List1")->model()->index(100, 1);
                ms = MedianMs(21, [&] { main.lvwInAndOut_List1SelectItem(row); });
            } else if (Op == QLatin1String("rows")) {
                ms = MedianMs(5, [&] {
                    ReportRows rows;
                    main.InAndOut_GetReportRows(rows);
                });
            } else if (Op == QLatin1String("text")) {
                ms = MedianMs(5, [&] { trigger("mnuInAndOut_More_SaveAsTxt_1"); });
            } else if (Op == QLatin1String("preview")) {
                ms = MedianMs(3, [&] { trigger("mnuInAndOut_More_Preview_1"); });
            } else if (Op == QLatin1String("text2")) {
                ms = MedianMs(5, [&] { trigger("mnuInAndOut_More_SaveAsTxt_2"); });
            } else if (Op == QLatin1String("excel")) {
                // A worksheet of the old format holds 65,536 rows: the
                // export covers the days that fit.
                main.findChild<QDateEdit *>("dtpInAndOut_Date1")
                    ->setDate(Last.addDays(-(60000 / PerDayOf(File))));
                ms = MedianMs(5, [&] { trigger("mnuInAndOut_More_SaveAsExcel_1"); });
            }
            // An export that was refused (a template missing, say) is fast
            // and would pass for a figure.
            if ((Op.startsWith(QLatin1String("text")) || Op == QLatin1String("excel")) &&
                QFileInfo(target).size() <= 0) {
                std::fprintf(stderr, "%s: the export wrote nothing\n", qPrintable(Op));
                return 1;
            }
        }
    }
    std::printf("%.2f %ld\n", ms, PeakKb());
    return 0;
}

void RunAll(const QString &File, QCoreApplication &App)
{
    std::printf("%-30s %10s %7s %9s\n", "operation", "median ms", "ratio", "peak MB");
    double base = 0;
    const std::pair<const char *, const char *> ops[] = {{"query", "plain SQLite query (baseline)"},
                                                         {"store", "store range read"},
                                                         {"lists", "the range as six lists"},
                                                         {"view", "View"},
                                                         {"calendar", "View of 1900-9999"},
                                                         {"detail", "detail dialog"},
                                                         {"share", "expense categories' shares"},
                                                         {"select", "selecting one day"},
                                                         {"rows", "report rows"},
                                                         {"text", "text export, layout I"},
                                                         {"text2", "text export, layout II"},
                                                         {"preview", "print preview, layout I"},
                                                         {"excel", "Excel export I, 60,000 rows"}};
    for (const auto &[op, caption] : ops) {
        QProcess child;
        child.start(App.applicationFilePath(), {"--one", op, File});
        child.waitForFinished(-1);
        if (child.exitCode() != 0) {
            std::printf("%-30s %10s   (%s)\n", caption, "failed",
                        qPrintable(QString::fromLocal8Bit(child.readAllStandardError()).trimmed()));
            continue;
        }
        const QStringList parts = QString::fromLatin1(child.readAllStandardOutput()).split(' ');
        const double ms = parts.value(0).toDouble();
        if (base == 0)
            base = ms;
        std::printf("%-30s %10.2f %7.2f %9.1f\n", caption, ms, base > 0 ? ms / base : 0.0,
                    parts.value(1).toDouble() / 1024);
        std::fflush(stdout);
    }
}
} // namespace

// bench_large [records-per-day [sample-file [unique-sample-file]]]: the second
// sample has the same records with every memo its own text, as imported
// bills make them.
int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == QLatin1String("--one"))
        return RunOne(args[2], args[3]);
    const int perDay = args.size() > 1 ? args[1].toInt() : 92;
    QTemporaryDir dir;
    const QString file = args.size() > 2 ? args[2] : dir.filePath("pondo.sjk");
    const QString unique = args.size() > 3 ? args[3] : dir.filePath("unique.sjk");
    if (!QFile::exists(file))
        MakeSample(file, perDay);
    if (!QFile::exists(unique))
        MakeUniqueSample(unique, perDay);
    std::printf("%d records a day, %lld days\n", perDay, qint64(First.daysTo(Last) + 1));
    RunAll(file, app);
    std::printf("\nthe same, every memo its own text\n");
    RunAll(unique, app);
    return 0;
}
