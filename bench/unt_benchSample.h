#pragma once
// The large books of the benchmarks: a busy household or a small shop, a
// number of records a day for ten years, and a process's peak memory.
#include "data/unt_clsBase64.h"
#include "data/unt_clsDatabaseUser.h"
#include "tests/support/unt_testDb.h"

#include <QDate>
#include <QFile>
#include <QStringList>

#include <cstdio>
#include <sqlite3.h>

namespace BenchSample
{
inline const QDate First(2016, 1, 1), Last(2025, 12, 31);
inline const QString User = QStringLiteral("张三");

inline void MakeSample(const QString &File, int PerDay)
{
    MakeDatabaseFile(File);
    TclsDatabaseUser store(File);
    store.AddUser(User, QStringLiteral("pw"));
    const QStringList names = {"早饭", "午饭", "晚饭", "交通", "日用品", "水果", "零食", "话费"};
    const QStringList memos = {QString(), QString(), "备注", "和同事", "超市", QString()};
    QStringList dates, nameList, moneys, memoList;
    for (QDate d = First; d <= Last; d = d.addDays(1))
        for (int i = 0; i < PerDay; ++i) {
            dates << d.toString(Qt::ISODate);
            nameList << names[i % names.size()];
            moneys << QString::number(1 + (i * 37 + d.day()) % 400) + ".50";
            memoList << memos[i % memos.size()];
        }
    store.AddRecords(User, "支出", dates, nameList, moneys, memoList);
}

// Ten years with a memo of its own on every record.
inline void MakeUniqueSample(const QString &File, int PerDay)
{
    MakeDatabaseFile(File);
    TclsDatabaseUser store(File);
    store.AddUser(User, QStringLiteral("pw"));
    const QStringList names = {"早饭", "午饭", "晚饭", "交通", "日用品", "水果", "零食", "话费"};
    const QStringList words = {"超市", "和同事", "Kfc", "地铁", "房租", "燃气费", "快递", "医院"};
    QStringList dates, nameList, moneys, memoList;
    int n = 0;
    for (QDate d = First; d <= Last; d = d.addDays(1))
        for (int i = 0; i < PerDay; ++i, ++n) {
            dates << d.toString(Qt::ISODate);
            nameList << names[i % names.size()];
            moneys << QString::number(1 + (i * 37 + d.day()) % 400) + ".50";
            memoList << QStringLiteral("%1 第%2笔 %3").arg(words[n % words.size()]).arg(n).arg(words[n % 7]);
        }
    store.AddRecords(User, "支出", dates, nameList, moneys, memoList);
}

// The baseline of the benchmarks: the same rows as the range read of the ten
// years, stepped through with every column read.
inline void PlainRangeRead(const QString &File)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(File.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(
        db,
        "select ID,Program_Date,Program_Type,Program_Name,Program_Money,Program_Memo from All_Table "
        "where User_Name=? and Program_Date>=? and Program_Date<=? "
        "order by Program_Date asc,Program_Type asc,ID asc",
        -1, &st, nullptr);
    const QByteArray user = Base64::EncodeText(User).toUtf8();
    sqlite3_bind_text(st, 1, user.constData(), int(user.size()), SQLITE_TRANSIENT);
    sqlite3_bind_text(st, 2, "2016-01-01", -1, SQLITE_STATIC);
    sqlite3_bind_text(st, 3, "2025-12-31", -1, SQLITE_STATIC);
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

// The high-water mark of this program's own memory. Not getrusage: its
// maxrss survives exec, so a child would report the parent's size when the
// parent has just made a large sample.
inline long PeakKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}
} // namespace BenchSample

using namespace BenchSample;
