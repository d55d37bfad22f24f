// The import's cost on the small bills that declare huge ones: peak memory
// and processor time of each, read in a child process of its own.
//   bench_hostile [limit-MB]   (the children's address space, 4096 by default)
//   bench_hostile --write DIR  writes the shapes there (the fuzz seeds)
#include "tests/support/unt_hostileBills.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--write") == 0) {
        int n = 0;
        for (const HostileBills::TShape &shape : HostileBills::Shapes()) {
            QFile file(QString::fromLocal8Bit(argv[2]) + QStringLiteral("/hostile-%1").arg(++n));
            if (!file.open(QIODevice::WriteOnly) || file.write(shape.Make()) < 0)
                return 1;
        }
        return 0;
    }
    const long limit = argc > 1 ? std::atol(argv[1]) : 4096;
    for (const HostileBills::TShape &shape : HostileBills::Shapes()) {
        const QByteArray bytes = shape.Make();
        const HostileBills::TCost cost = HostileBills::Measure(bytes, limit);
        std::printf("%-42s %7.1f KB  peak %8.1f MB  %6.2f s  %s\n", shape.Name, bytes.size() / 1024.0,
                    cost.PeakMb, cost.CpuSeconds, cost.Outcome.toUtf8().constData());
    }
    return 0;
}
