#pragma once
// The large books of the benchmarks: a busy household or a small shop, a
// number of records a day for ten years, and a process's peak memory.
#include "data/unt_clsDatabaseUser.h"
#include "tests/support/unt_testDb.h"

#include <QDate>
#include <QFile>
#include <QStringList>

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
