#pragma once
// Small bills that declare huge ones: the shapes a hostile sender builds by
// hand. Each is a few kilobytes; read naively, each takes gigabytes.
#include "import/unt_clsBillFile.h"
#include "tests/support/unt_testBills.h"
#include "tests/support/unt_testDb.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QtEndian>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace HostileBills
{
inline void Put32(QByteArray &Bytes, qsizetype At, quint32 Value)
{
    qToLittleEndian<quint32>(Value, Bytes.data() + At);
}

// A compound file header: Shift 9 (512-byte sectors) or 12, FatCount FAT
// sectors, all 109 header DIFAT entries naming sector 0, Difat the first
// DIFAT sector, the directory at sector 0.
inline QByteArray Header(int Shift, quint32 FatCount, quint32 Difat)
{
    QByteArray header(1 << Shift, '\0');
    header.replace(0, 8, QByteArray::fromHex("D0CF11E0A1B11AE1"));
    qToLittleEndian<quint16>(0x3E, header.data() + 24);
    qToLittleEndian<quint16>(Shift == 12 ? 4 : 3, header.data() + 26);
    qToLittleEndian<quint16>(0xFFFE, header.data() + 28);
    qToLittleEndian<quint16>(quint16(Shift), header.data() + 30);
    qToLittleEndian<quint16>(6, header.data() + 32);
    Put32(header, 44, FatCount);
    Put32(header, 48, 0);          // the directory's first sector
    Put32(header, 56, 4096);       // mini stream cutoff
    Put32(header, 60, 0xFFFFFFFE); // no mini FAT
    Put32(header, 68, Difat);
    Put32(header, 72, Difat == 0xFFFFFFFE ? 0 : 1);
    for (int i = 0; i < 109; ++i)
        Put32(header, 76 + 4 * i, 0);
    return header;
}

// Sector 0 read as a FAT sector says "sector 0 follows sector 0"; read as
// the directory it holds a root and a Workbook stream that starts there.
inline QByteArray LoopSector(int Size)
{
    QByteArray sector(Size, '\0');
    sector[66] = 5; // the root entry
    const QByteArray name = QByteArray("W\0o\0r\0k\0b\0o\0o\0k\0\0\0", 18);
    sector.replace(128, name.size(), name);
    qToLittleEndian<quint16>(18, sector.data() + 128 + 64);
    sector[128 + 66] = 2;
    Put32(sector, 128 + 116, 0);
    Put32(sector, 128 + 120, 0x7FFFFFFF);
    return sector;
}

// 8 KB of 4096-byte sectors: 109 FAT sectors, all of them sector 0, whose
// chain loops.
inline QByteArray FatLoopXls()
{
    return Header(12, 109, 0xFFFFFFFE) + LoopSector(4096);
}

// 12 KB of 4096-byte sectors: a DIFAT sector that names itself as the next
// one, declaring as many FAT sectors as the loop can list.
inline QByteArray DifatLoopXls()
{
    QByteArray difat(4096, '\0');
    Put32(difat, 4096 - 4, 1); // next DIFAT sector: itself
    return Header(12, 109 + 4 * 1023, 1) + LoopSector(4096) + difat;
}

// One shared string of 8 M characters (a space at its end, so every
// cell's trimmed copy is a copy), used by 2,000 cells.
inline QByteArray SharedStringXlsx()
{
    const QByteArray strings =
        "<sst><si><t xml:space=\"preserve\">" + QByteArray(8'000'000, 'x') + " </t></si></sst>";
    QByteArray sheet = "<worksheet><sheetData>";
    for (int r = 1; r <= 100; ++r) {
        sheet += "<row>";
        for (int c = 0; c < 20; ++c)
            sheet += "<c t=\"s\"><v>0</v></c>";
        sheet += "</row>";
    }
    sheet += "</sheetData></worksheet>";
    return TestBills::ZipOf({{"xl/sharedStrings.xml", strings}, {"xl/worksheets/sheet1.xml", sheet}});
}

// 4.5 million elements, each inside the one before.
inline QByteArray NestedXlsx()
{
    QByteArray sheet = "<worksheet><sheetData>";
    sheet.reserve(14'000'000);
    for (int i = 0; i < 4'500'000; ++i)
        sheet += "<a>";
    return TestBills::ZipOf({{"xl/worksheets/sheet1.xml", sheet}});
}

// A ZIP of 130 KB whose CSV bill of 32 MB (the most a bill may unpack to)
// is 33 million one-letter cells.
inline QByteArray ManyCellsZip()
{
    QByteArray line = "a";
    for (int c = 1; c < 128; ++c)
        line += ",a";
    line += '\n';
    QByteArray csv;
    csv.reserve(32 * 1024 * 1024);
    while (csv.size() + line.size() < 32 * 1024 * 1024)
        csv += line;
    return TestBills::ZipOf({{"bill.csv", csv}});
}

struct TShape {
    const char *Name;
    QByteArray (*Make)();
};
inline const QList<TShape> &Shapes()
{
    static const QList<TShape> shapes = {{"FAT sectors looping (.xls)", FatLoopXls},
                                         {"DIFAT loop (.xls)", DifatLoopXls},
                                         {"one shared string in every cell (.xlsx)", SharedStringXlsx},
                                         {"elements nested 4.5 M deep (.xlsx)", NestedXlsx},
                                         {"33 M one-letter cells (.zip of .csv)", ManyCellsZip}};
    return shapes;
}
// What reading one bill cost, measured in a child process of its own so
// one shape's pages never count for the next.
struct TCost {
    double PeakMb = -1; // the child's peak resident memory above its start
    double CpuSeconds = -1;
    QString Outcome; // the message, "read N rows", or how the child ended
};

inline long StatusKb(const char *Key)
{
    QFile file(QStringLiteral("/proc/self/status"));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : file.readAll().split('\n'))
        if (line.startsWith(Key))
            return line.mid(qsizetype(std::strlen(Key))).trimmed().split(' ').value(0).toLong();
    return -1;
}

// LimitMb bounds the child's address space (0: none), so a reader that
// runs away ends in "out of memory" instead of taking the machine.
inline TCost Measure(const QByteArray &Bytes, long LimitMb = 0)
{
    int out[2];
    if (::pipe(out) != 0)
        return {};
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(out[0]);
        if (LimitMb > 0) {
            const rlimit limit{rlim_t(LimitMb) << 20, rlim_t(LimitMb) << 20};
            ::setrlimit(RLIMIT_AS, &limit);
        }
        // The peak starts again from what the child has now.
        if (FILE *refs = std::fopen("/proc/self/clear_refs", "w")) {
            std::fputs("5", refs);
            std::fclose(refs);
        }
        const long start = StatusKb("VmRSS:");
        rusage before{}, after{};
        ::getrusage(RUSAGE_SELF, &before);
        QString outcome;
        try {
            const auto table = BillFile::FromBytes(Bytes, [](bool, QString &) { return false; });
            outcome = table ? QStringLiteral("read %1 rows").arg(table->size()) : QStringLiteral("cancelled");
        } catch (const TclsImportError &error) {
            outcome = error.Text();
        } catch (const std::bad_alloc &) {
            outcome = QStringLiteral("out of memory");
        }
        ::getrusage(RUSAGE_SELF, &after);
        auto seconds = [](const rusage &U) {
            return double(U.ru_utime.tv_sec + U.ru_stime.tv_sec) +
                   (U.ru_utime.tv_usec + U.ru_stime.tv_usec) / 1e6;
        };
        const QByteArray line = QStringLiteral("%1 %2 %3")
                                    .arg((StatusKb("VmHWM:") - start) / 1024.0, 0, 'f', 1)
                                    .arg(seconds(after) - seconds(before), 0, 'f', 2)
                                    .arg(outcome)
                                    .toUtf8();
        (void)!::write(out[1], line.constData(), size_t(line.size()));
        ::_exit(0);
    }
    ::close(out[1]);
    const QByteArray bytes = ReadToEnd(out[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    TCost cost;
    const QList<QByteArray> parts = bytes.split(' ');
    if (parts.size() < 3) {
        cost.Outcome = WIFSIGNALED(status) ? QStringLiteral("killed by signal %1").arg(WTERMSIG(status))
                                           : QStringLiteral("ended without an answer");
        return cost;
    }
    cost.PeakMb = parts[0].toDouble();
    cost.CpuSeconds = parts[1].toDouble();
    cost.Outcome = QString::fromUtf8(bytes.mid(parts[0].size() + parts[1].size() + 2));
    return cost;
}
} // namespace HostileBills
