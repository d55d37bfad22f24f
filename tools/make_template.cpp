// Builds an export template workbook from its text source: one worksheet
// "Sheet1" whose first row holds the column names, in the face "宋体".
#include "reports/workbook/unt_clsWorkbook.h"

#include <QFile>
#include <QSaveFile>
#include <QTextStream>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_template <columns.txt> <template.xls>\n");
        return 2;
    }
    QFile source(QString::fromLocal8Bit(argv[1]));
    if (!source.open(QIODevice::ReadOnly | QIODevice::Text)) {
        std::fprintf(stderr, "make_template: cannot read %s\n", argv[1]);
        return 1;
    }
    QStringList columns;
    QList<int> widths;
    QTextStream in(&source);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList parts = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        columns << parts.value(0);
        widths << parts.value(1, QStringLiteral("10")).toInt();
    }
    QSaveFile out(QString::fromLocal8Bit(argv[2]));
    if (!out.open(QIODevice::WriteOnly) ||
        out.write(TclsWorkbook::NewWorkbook(QStringLiteral("Sheet1"), columns, widths,
                                            QStringLiteral("宋体"))) < 0 ||
        !out.commit()) {
        std::fprintf(stderr, "make_template: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
