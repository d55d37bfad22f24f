// The 查找记录 window on large books (run with QT_QPA_PLATFORM=offscreen):
// bench_large's ten years at 92 records a day. Each operation runs in a
// process of its own, so its peak memory is its own; the plain SQLite read
// of every record of the user is the baseline of the same run.
//   bench_find [sample-file [unique-sample-file]]   (made when missing;
//   bench_large's files fit)
// A second sample, every memo its own text, shows the words' search at its
// costliest.
#include "app/unt_frmMain.h"
#include "bench/unt_benchSample.h"
#include "bench/unt_benchTiming.h"
#include "data/unt_clsBase64.h"
#include "find/unt_frmFind.h"
#include "tests/support/unt_testGui.h"

#include <QAction>
#include <QApplication>
#include <QDateEdit>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <sqlite3.h>

namespace
{
// Every record of the user, every column read, in the store's order.
void PlainRead(const QString &File)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(File.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db,
                       "select ID,Program_Date,Program_Type,Program_Name,Program_Money,Program_Memo from "
                       "All_Table where User_Name=? order by Program_Date asc,Program_Type asc,ID asc",
                       -1, &st, nullptr);
    const QByteArray user = Base64::EncodeText(User).toUtf8();
    sqlite3_bind_text(st, 1, user.constData(), int(user.size()), SQLITE_TRANSIENT);
    qint64 bytes = 0;
    while (sqlite3_step(st) == SQLITE_ROW)
        for (int c = 0; c < 6; ++c) {
            sqlite3_column_text(st, c);
            bytes += sqlite3_column_bytes(st, c);
        }
    sqlite3_finalize(st);
    sqlite3_close(db);
    if (bytes == 0)
        std::fprintf(stderr, "no rows\n");
}

// One operation in this process: prints "median-ms peak-kB [max-ms]".
int RunOne(const QString &Op, const QString &File)
{
    UsePrivateRuntimeDir();
    TclsDatabaseUser::SetDefaultDatabaseFile(File);
    if (Op == QLatin1String("query")) {
        std::printf("%.2f %ld\n", MedianMs(5, [&] { PlainRead(File); }), PeakKb());
        return 0;
    }
    TfrmMain main;
    main.CurrentUser = User;
    main.SetupAfterLogin();
    main.GuardFlag = 1;
    main.show();
    QApplication::processEvents();
    if (Op == QLatin1String("view")) {
        main.findChild<QDateEdit *>("dtpInAndOut_Date1")->setDate(First);
        main.findChild<QDateEdit *>("dtpInAndOut_Date2")->setDate(Last);
        const double ms = MedianMs(3, [&] {
            main.InAndOut_View();
            QApplication::processEvents();
        });
        std::printf("%.2f %ld\n", ms, PeakKb());
        return 0;
    }
    QAction *item = main.MoreMenu()->findChild<QAction *>(QStringLiteral("mnuInAndOut_More_Find"));
    if (Op == QLatin1String("open")) {
        // Opened, every record listed and painted, closed again.
        const double ms = MedianMs(5, [&] {
            item->trigger();
            QApplication::processEvents();
            main.FindWindow()->close();
            QApplication::processEvents();
        });
        std::printf("%.2f %ld\n", ms, PeakKb());
        return 0;
    }
    item->trigger();
    TfrmFind *find = main.FindWindow();
    auto *edit = find->findChild<QLineEdit *>(QStringLiteral("edtFind_Text"));
    QApplication::processEvents();
    // Key by key, as typed: a word of a name, of a memo, an amount, several
    // words; the results and the summary painted after each key.
    const QStringList typed = {QStringLiteral("午饭"), QStringLiteral("和同事"), QStringLiteral("120.50"),
                               QStringLiteral("饭 超市 kfc"), QStringLiteral("第12345笔")};
    std::vector<double> times;
    for (int round = 0; round < 3; ++round)
        for (const QString &text : typed) {
            edit->clear();
            QApplication::processEvents();
            for (const QChar c : text) {
                const double ms = MedianMs(1, [&] {
                    if (c.unicode() < 0x80)
                        QTest::keyClicks(edit, QString(c));
                    else
                        edit->insert(QString(c)); // as an input method hands it over
                    find->repaint();
                    QApplication::processEvents();
                });
                times.push_back(ms);
            }
        }
    std::sort(times.begin(), times.end());
    std::printf("%.2f %ld %.2f\n", times[times.size() / 2], PeakKb(), times.back());
    return 0;
}

void RunAll(const QString &Caption, const QString &File, QCoreApplication &App)
{
    std::printf("%s\n%-34s %10s %7s %9s %8s\n", qPrintable(Caption), "operation", "median ms", "ratio",
                "peak MB", "max ms");
    double base = 0;
    const std::pair<const char *, const char *> ops[] = {{"query", "plain SQLite read (baseline)"},
                                                         {"view", "View of the ten years"},
                                                         {"open", "opening 查找记录, all listed"},
                                                         {"type", "each key typed"}};
    for (const auto &[op, caption] : ops) {
        QProcess child;
        child.start(App.applicationFilePath(), {"--one", op, File});
        child.waitForFinished(-1);
        const QStringList parts = QString::fromLatin1(child.readAllStandardOutput()).trimmed().split(' ');
        const double ms = parts.value(0).toDouble();
        if (base == 0)
            base = ms;
        std::printf("%-34s %10.2f %7.2f %9.1f %8s\n", caption, ms, base > 0 ? ms / base : 0.0,
                    parts.value(1).toDouble() / 1024, qPrintable(parts.value(2)));
        std::fflush(stdout);
    }
}
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == QLatin1String("--one"))
        return RunOne(args[2], args[3]);
    QTemporaryDir dir;
    const QString file = args.size() > 1 ? args[1] : dir.filePath("pondo.sjk");
    if (!QFile::exists(file))
        MakeSample(file, 92);
    RunAll(QStringLiteral("bench_large's sample, 92 records a day for ten years"), file, app);
    const QString unique = args.size() > 2 ? args[2] : dir.filePath("unique.sjk");
    if (!QFile::exists(unique))
        MakeUniqueSample(unique, 92);
    RunAll(QStringLiteral("the same, every memo its own text"), unique, app);
    return 0;
}
