// Backup benchmark: the daily copy (online backup, stamp, integrity check,
// rename, rotation) of the ten-year sample of 3 users, beside a plain copy
// of the same file. Medians in milliseconds.
#include "bench/unt_benchTiming.h"
#include "data/unt_clsBackup.h"
#include "data/unt_clsDatabaseUser.h"
#include "data/unt_clsRestore.h"
#include "tests/support/unt_testDb.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    TTestDb t;
    TclsDatabaseUser db(t.File());
    const QStringList users{"张三", "李四", "王五"};
    QRandomGenerator random(42);
    std::printf("building sample...\n");
    for (const QString &user : users) {
        db.AddUser(user, "p");
        QStringList outNames, inNames;
        db.GetProgramNames(user, outNames, inNames);
        for (int year = 2016; year <= 2025; ++year) {
            QStringList dates, names, moneys, memos;
            for (QDate d(year, 1, 1); d.year() == year; d = d.addDays(1))
                for (int i = 0; i < 12; ++i) {
                    dates << d.toString("yyyy-MM-dd");
                    names << (i < 11 ? outNames[random.bounded(outNames.size())] : inNames[0]);
                    moneys << QString::asprintf("%.2f", random.bounded(10000) / 100.0 + 0.01);
                    memos << (i % 3 ? QString() : QStringLiteral("备注 %1").arg(i));
                }
            db.AddRecords(user, "支出", dates, names, moneys, memos);
        }
    }
    const QString folder = BackupFolder(t.File());
    std::printf("records: %lld, file: %.1f MB\n\n", t.Count("select count(*) from All_Table"),
                QFileInfo(t.File()).size() / 1e6);
    std::printf("%-44s %10s\n", "operation", "median ms");
    auto row = [](const char *Name, double Ms) { std::printf("%-44s %10.1f\n", Name, Ms); };
    const QString plain = t.Dir() + "/plain.sjk";
    row("plain file copy (QFile::copy)", MedianMs(7, [&] {
            QFile::remove(plain);
            QFile::copy(t.File(), plain);
        }));
    const QString copy = t.Dir() + "/copy.sjk";
    row("online backup copy only", MedianMs(7, [&] {
            QFile::remove(copy);
            CopyDatabaseFile(t.File(), copy);
        }));
    row("integrity_check of the copy", MedianMs(7, [&] { CheckDatabaseFile(copy); }));
    row("quick_check of the copy", MedianMs(7, [&] { CheckDatabaseFile(copy, true); }));
    QDate day(2026, 1, 1);
    for (int i = 0; i < 21; ++i)
        MakeDailyBackup(t.File(), day.addDays(i));
    row("daily copy: backup, stamp, check, rotation", MedianMs(7, [&] {
            day = day.addDays(1);
            MakeDailyBackup(t.File(), day.addDays(30));
        }));
    const int listed = int(ListBackups(t.File()).size());
    const double list = MedianMs(3, [&] { ListBackups(t.File()); });
    std::printf("%-44s %10.1f  (%d copies)\n", "restore page list (quick_check each)", list, listed);
    return 0;
}
