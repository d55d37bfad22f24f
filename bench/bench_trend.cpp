// The trend and the budget line on large books (run with
// QT_QPA_PLATFORM=offscreen): 92 records a day for ten years, beside the
// plain SQLite read of the same range in the same run.
//   bench_trend [sample-file]   (a sample file that exists is used as it is)
#include "app/unt_frmMain.h"
#include "bench/unt_benchSample.h"
#include "bench/unt_benchTiming.h"
#include "data/unt_clsBase64.h"
#include "data/unt_clsDatabaseUser.h"
#include "reports/unt_frmTrend.h"
#include "reports/unt_trendChart.h"
#include "tests/support/unt_testDb.h"
#include "tests/support/unt_testGui.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QRadioButton>
#include <QTemporaryDir>

#include <cstdio>
#include <sqlite3.h>

namespace
{
const int PerDay = 92;

void MakeSample(const QString &File)
{
    MakeDatabaseFile(File);
    TclsDatabaseUser store(File);
    store.AddUser(User, QStringLiteral("pw"));
    const QStringList names = {"早饭", "午饭", "晚饭", "交通", "日用品", "水果", "零食", "话费"};
    const QStringList memos = {QString(), QString(), "备注", "和同事", "超市", QString()};
    QStringList dates, nameList, moneys, memoList, inDates;
    for (QDate d = First; d <= Last; d = d.addDays(1)) {
        for (int i = 0; i < PerDay; ++i) {
            dates << d.toString(Qt::ISODate);
            nameList << names[i % names.size()];
            moneys << QString::number(1 + (i * 37 + d.day()) % 400) + ".50";
            memoList << memos[i % memos.size()];
        }
        if (d.day() == 10)
            inDates << d.toString(Qt::ISODate);
    }
    store.AddRecords(User, "支出", dates, nameList, moneys, memoList);
    const auto n = inDates.size();
    store.AddRecords(User, "收入", inDates, QStringList(n, "工资"), QStringList(n, "30000.00"),
                     QStringList(n, QString()));
}

void Print(const char *Caption, double Ms, double Base)
{
    std::printf("%-40s %10.2f %7.2f\n", Caption, Ms, Base > 0 ? Ms / Base : 0.0);
    std::fflush(stdout);
}
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    UsePrivateRuntimeDir();
    const QStringList args = app.arguments();
    QTemporaryDir dir;
    const QString file = args.size() > 1 ? args[1] : dir.filePath("pondo.sjk");
    if (!QFile::exists(file))
        MakeSample(file);
    TclsDatabaseUser::SetDefaultDatabaseFile(file);
    TclsDatabaseUser store(file);
    std::printf("%d records a day, %lld days\n", PerDay, qint64(First.daysTo(Last) + 1));
    std::printf("%-40s %10s %7s\n", "operation", "median ms", "ratio");
    const double base = MedianMs(5, [&] { BenchSample::PlainRangeRead(file); });
    Print("plain SQLite read (baseline)", base, base);

    // The dialog as the More menu opens it: the read, the table, the chart drawn.
    TfrmTrend dialog;
    dialog.show();
    Print("trend dialog, ten years by month",
          MedianMs(5,
                   [&] {
                       TCategoryDays days;
                       QStringList outNames, inNames;
                       store.GetCategoryDays(User, TrendReadStart(First), Last, days);
                       store.GetProgramNames(User, outNames, inNames);
                       dialog.SetData(std::move(days), First, Last, outNames, inNames);
                       dialog.chtTrend->grab();
                   }),
          base);
    bool year = false;
    Print("switching month/year",
          MedianMs(9,
                   [&] {
                       year = !year;
                       (year ? dialog.rdoTrend_Year : dialog.rdoTrend_Month)->setChecked(true);
                       dialog.chtTrend->grab();
                   }),
          base);
    dialog.rdoTrend_Month->setChecked(true);
    int name = 0;
    Print("switching the category",
          MedianMs(9,
                   [&] {
                       name = name == 1 ? 2 : 1;
                       dialog.cboTrend_Name->setCurrentIndex(name);
                       dialog.chtTrend->grab();
                   }),
          base);

    // The expense panel's line as the category and the date change.
    TfrmMain main;
    main.CurrentUser = User;
    main.SetupAfterLogin();
    main.show();
    main.Database->SetBudget(User, "午饭", "3000.00");
    auto *date = main.findChild<QDateEdit *>("dtpOut_Date");
    auto *combo = main.findChild<QComboBox *>("cboOut_Name");
    date->setDate(QDate(2025, 6, 15));
    bool lunch = false;
    Print("budget line, category changed",
          MedianMs(21,
                   [&] {
                       combo->setEditText((lunch = !lunch) ? "午饭" : "晚饭");
                       QApplication::processEvents(); // the line reads once the change is handled
                   }),
          base);
    bool june = false;
    Print("budget line, date changed",
          MedianMs(21,
                   [&] {
                       date->setDate((june = !june) ? QDate(2025, 6, 15) : QDate(2025, 7, 15));
                       QApplication::processEvents();
                   }),
          base);
    Print("budget line's reads alone",
          MedianMs(21,
                   [&] {
                       store.GetExpenseByName(User, QDate(2025, 6, 1), QDate(2025, 6, 30)).value("午饭");
                       store.GetBudgets(User);
                   }),
          base);
    std::printf("budget line: %s\n", qPrintable(main.findChild<QLabel *>("lblOut_Budget")->text()));
    return 0;
}
