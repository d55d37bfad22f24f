// Browse panel benchmark (run with QT_QPA_PLATFORM=offscreen): View and the
// per-day detail dialog over ten years of one user's records, beside the
// store call alone as baseline.
#include "app/unt_frmMain.h"
#include "bench/unt_benchTiming.h"
#include "tests/support/unt_testGui.h"

#include <QApplication>
#include <QElapsedTimer>

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
    const auto *list = f.Find<QTreeWidget>("lvwInAndOut_List1");
    auto *dayRow = list->topLevelItem(100);
    const double select = MedianMs(21, [&] { f.Main->lvwInAndOut_List1SelectItem(dayRow); });
    std::printf("%lld days, %lld records\n", qint64(days[0].size()), qint64(details[0].size()));
    std::printf("%-34s %10s %7s\n", "operation", "median ms", "ratio");
    std::printf("%-34s %10.2f %7.2f\n", "GetDayRecords alone (baseline)", base, 1.0);
    std::printf("%-34s %10.2f %7.2f\n", "View (store + lists + labels)", view, view / base);
    std::printf("%-34s %10.2f %7.2f\n", "Detail dialog (store + fill)", detail, detail / base);
    std::printf("%-34s %10.3f\n", "Selecting one day", select);
    return 0;
}
