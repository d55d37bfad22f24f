// Store benchmark: builds a sample of 3 users x 10 years x ~12 records a day
// and prints medians, each beside a plain SQLite baseline from the same run.
#include "data/unt_clsBase64.h"
#include "data/unt_clsDatabaseUser.h"
#include "data/unt_clsConnection.h"
#include "bench/unt_benchTiming.h"
#include "tests/support/unt_testDb.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>
#include <functional>

static void Baseline(const QString &File, const QString &User, const QDate &From, const QDate &To)
{
    TclsConnection db(File);
    double sum = 0;
    for (auto rs = db.Query("select * from All_Table where User_Name=? and Program_Date>=? and Program_Date<=?",
                            {Base64::EncodeText(User), From.toString("yyyy-MM-dd"), To.toString("yyyy-MM-dd")});
         !rs.Eof(); rs.MoveNext()) {
        sum += rs.FieldDouble(4);
        rs.Field(3);
        rs.Field(5);
    }
    if (sum < 0)
        std::puts("");
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    TTestDb t;
    TclsDatabaseUser db(t.File());
    const QDate first(2016, 1, 1), last(2025, 12, 31);
    const QStringList users{"张三", "李四", "王五"};
    QStringList outNames, inNames;
    QRandomGenerator random(42);
    std::printf("building sample (%lld days)...\n", first.daysTo(last) + 1);
    for (const QString &user : users) {
        db.AddUser(user, "p");
        db.GetProgramNames(user, outNames, inNames);
        for (int year = first.year(); year <= last.year(); ++year) {
            QStringList dates, names, moneys, memos;
            for (QDate d(year, 1, 1); d.year() == year; d = d.addDays(1))
                for (int i = 0; i < 11; ++i) {
                    dates << d.toString("yyyy-MM-dd");
                    names << outNames[random.bounded(outNames.size())];
                    moneys << QString::asprintf("%.2f", random.bounded(10000) / 100.0 + 0.01);
                    memos << (i % 3 ? QString() : QStringLiteral("备注 %1").arg(i));
                }
            db.AddRecords(user, "支出", dates, names, moneys, memos);
            dates.clear(), names.clear(), moneys.clear(), memos.clear();
            for (QDate d(year, 1, 1); d.year() == year; d = d.addDays(1)) {
                dates << d.toString("yyyy-MM-dd");
                names << inNames[random.bounded(inNames.size())];
                moneys << "300.00";
                memos << "";
            }
            db.AddRecords(user, "收入", dates, names, moneys, memos);
        }
    }
    const QString user = users[1];
    std::printf("records: %lld\n\n", t.Count("select count(*) from All_Table"));
    std::printf("%-34s %10s %12s %7s\n", "operation", "median ms", "baseline ms", "ratio");
    auto row = [](const char *Name, double Ms, double Base) {
        std::printf("%-34s %10.2f %12.2f %7.2f\n", Name, Ms, Base, Base > 0 ? Ms / Base : 0.0);
    };

    QStringList dates, names, moneys, memos;
    for (int i = 0; i < 1000; ++i) {
        dates << "2026-06-01";
        names << "早饭";
        moneys << "12.50";
        memos << "memo";
    }
    const double add = MedianMs(9, [&] { db.AddRecords("bench", "支出", dates, names, moneys, memos); });
    const double addBase = MedianMs(9, [&] {
        TclsConnection c(t.File());
        TclsTransaction tr(c);
        for (int i = 0; i < 1000; ++i)
            c.Execute("insert into All_Table (Program_Date,Program_Type,Program_Name,Program_Money,Program_Memo,"
                      "User_Name) values (?,?,?,?,?,?)",
                      {dates[i], "x", "y", moneys[i], "z", "bench"});
        tr.Commit();
    });
    row("AddRecords, 1000 rows", add, addBase);

    DayLists days;
    DetailLists details;
    for (const auto &[label, from] : {std::pair{"GetDayRecords, 1 year", QDate(2025, 1, 1)},
                                      std::pair{"GetDayRecords, 10 years", first}}) {
        const double ms = MedianMs(7, [&] { db.GetDayRecords(user, from, last, days, details); });
        const double base = MedianMs(7, [&] { Baseline(t.File(), user, from, last); });
        row(label, ms, base);
    }
    std::printf("  (10 years: %lld days, %lld records)\n", qint64(days[0].size()), qint64(details[0].size()));
    TotalsLists totals;
    const double tot = MedianMs(7, [&] { db.GetProgramTotals(user, "支出", first, last, totals); });
    const double totBase = MedianMs(7, [&] { Baseline(t.File(), user, first, last); });
    row("GetProgramTotals, 10 years", tot, totBase);
    return 0;
}
