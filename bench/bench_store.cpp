// Store benchmark: builds a sample of 3 users x 10 years x ~12 records a day
// and prints medians, each beside a plain SQLite baseline from the same run;
// with LUMORA_TEST_SERVER set, the same on a server beside the file's.
#include "bench/unt_benchTiming.h"
#include "data/unt_clsBase64.h"
#include "data/unt_clsConnection.h"
#include "data/unt_clsDatabaseUser.h"
#include "tests/support/unt_testDb.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

static void Baseline(const QString &File, const QString &User, const QDate &From, const QDate &To)
{
    TclsConnection db(File);
    double sum = 0;
    for (auto rs =
             db.Query("select * from All_Table where User_Name=? and Program_Date>=? and Program_Date<=?",
                      {Base64::EncodeText(User), From.toString("yyyy-MM-dd"), To.toString("yyyy-MM-dd")});
         !rs.Eof(); rs.MoveNext()) {
        sum += rs.FieldDouble(4);
        rs.Field(3);
        rs.Field(5);
    }
    if (sum < 0)
        std::puts("");
}

namespace
{
const QDate First(2016, 1, 1), Last(2025, 12, 31);
const QStringList Users{"张三", "李四", "王五"};

// 3 users x 10 years: 11 expenses and one income a day each.
void MakeSample(TclsDatabaseUser &Db)
{
    QStringList outNames, inNames;
    QRandomGenerator random(42);
    for (const QString &user : Users) {
        Db.AddUser(user, "p");
        Db.GetProgramNames(user, outNames, inNames);
        for (int year = First.year(); year <= Last.year(); ++year) {
            QStringList dates, names, moneys, memos;
            for (QDate d(year, 1, 1); d.year() == year; d = d.addDays(1))
                for (int i = 0; i < 11; ++i) {
                    dates << d.toString("yyyy-MM-dd");
                    names << outNames[random.bounded(outNames.size())];
                    moneys << QString::asprintf("%.2f", random.bounded(10000) / 100.0 + 0.01);
                    memos << (i % 3 ? QString() : QStringLiteral("备注 %1").arg(i));
                }
            Db.AddRecords(user, "支出", dates, names, moneys, memos);
            dates.clear(), names.clear(), moneys.clear(), memos.clear();
            for (QDate d(year, 1, 1); d.year() == year; d = d.addDays(1)) {
                dates << d.toString("yyyy-MM-dd");
                names << inNames[random.bounded(inNames.size())];
                moneys << "300.00";
                memos << "";
            }
            Db.AddRecords(user, "收入", dates, names, moneys, memos);
        }
    }
}

struct TFigure {
    const char *Name;
    double Ms;
};

// The same operations on any books, each its median.
std::vector<TFigure> Measure(const QString &Books)
{
    TclsDatabaseUser db(Books);
    const QString user = Users[1];
    QStringList dates, names, moneys, memos;
    for (int i = 0; i < 1000; ++i) {
        dates << "2026-06-01";
        names << "早饭";
        moneys << "12.50";
        memos << "memo";
    }
    DayLists days;
    DetailLists details;
    TotalsLists totals;
    return {
        {"完成 (AddRecords), 1000 rows",
         MedianMs(9, [&] { db.AddRecords("bench", "支出", dates, names, moneys, memos); })},
        {"GetRangeRecords, 10 years", MedianMs(7,
                                               [&] {
                                                   TRangeRecords records;
                                                   db.GetRangeRecords(user, First, Last, records);
                                               })},
        {"GetDayRecords, 1 year",
         MedianMs(7, [&] { db.GetDayRecords(user, QDate(2025, 1, 1), Last, days, details); })},
        {"GetDayRecords, 10 years", MedianMs(7, [&] { db.GetDayRecords(user, First, Last, days, details); })},
        {"GetProgramTotals, 10 years",
         MedianMs(7, [&] { db.GetProgramTotals(user, "支出", First, Last, totals); })},
    };
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString file = dir.filePath("pondo.sjk");
    MakeDatabaseFile(file);
    std::printf("building sample (%lld days)...\n", First.daysTo(Last) + 1);
    {
        TclsDatabaseUser db(file);
        MakeSample(db);
    }
    std::printf("records: %s\n\n",
                qPrintable(TclsConnection(file).Query("select count(*) from All_Table").Field(0)));
    std::printf("%-34s %10s %12s %7s\n", "operation", "median ms", "baseline ms", "ratio");
    auto row = [](const char *Name, double Ms, double Base) {
        std::printf("%-34s %10.2f %12.2f %7.2f\n", Name, Ms, Base, Base > 0 ? Ms / Base : 0.0);
    };
    const std::vector<TFigure> onFile = Measure(file);
    QStringList dates, moneys;
    for (int i = 0; i < 1000; ++i)
        dates << "2026-06-01", moneys << "12.50";
    const double addBase = MedianMs(9, [&] {
        TclsConnection c(file);
        TclsTransaction tr(c);
        for (int i = 0; i < 1000; ++i)
            c.Execute(
                "insert into All_Table (Program_Date,Program_Type,Program_Name,Program_Money,Program_Memo,"
                "User_Name) values (?,?,?,?,?,?)",
                {dates[i], "x", "y", moneys[i], "z", "bench"});
        tr.Commit();
    });
    const QString user = Users[1];
    const double yearBase = MedianMs(7, [&] { Baseline(file, user, QDate(2025, 1, 1), Last); });
    const double tenBase = MedianMs(7, [&] { Baseline(file, user, First, Last); });
    const double bases[] = {addBase, tenBase, yearBase, tenBase, tenBase};
    for (size_t i = 0; i < onFile.size(); ++i)
        row(onFile[i].Name, onFile[i].Ms, bases[i]);

    // Books on a server (LUMORA_TEST_SERVER, as scripts/test-server.sh run
    // sets it): the same sample and operations, beside the file's.
    if (qEnvironmentVariableIsEmpty("LUMORA_TEST_SERVER"))
        return 0;
    TTestDb server;
    {
        TclsDatabaseUser db(server.File());
        MakeSample(db);
    }
    const std::vector<TFigure> onServer = Measure(server.File());
    std::printf("\n%-34s %10s %10s %7s\n", "operation", "file ms", "server ms", "ratio");
    for (size_t i = 0; i < onFile.size(); ++i)
        std::printf("%-34s %10.2f %10.2f %7.2f\n", onFile[i].Name, onFile[i].Ms, onServer[i].Ms,
                    onServer[i].Ms / onFile[i].Ms);
    return 0;
}
