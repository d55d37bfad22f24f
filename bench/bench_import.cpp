// Import benchmark: a 10,000-row Alipay bill (GB18030, with its preamble)
// read, recognised and checked against ten years of one user's books (half
// of them imported before, with order numbers and counterparty rules).
// Printed beside the time of reading the file's bytes alone.
#include "bench/unt_benchTiming.h"
#include "data/unt_clsDatabaseUser.h"
#include "data/unt_clsImportStore.h"
#include "data/unt_clsConnection.h"
#include "import/unt_clsBillFile.h"
#include "import/unt_clsImportCheck.h"
#include "tests/support/unt_testBills.h"
#include "tests/support/unt_testDb.h"

#include <QCoreApplication>
#include <QRandomGenerator>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    TTestDb t;
    TclsDatabaseUser db(t.File());
    const QString user = QStringLiteral("张三");
    db.AddUser(user, "p");
    QStringList outNames, inNames;
    db.GetProgramNames(user, outNames, inNames);
    QRandomGenerator random(7);
    const QStringList parties{"肯德基", "盒马", "美团", "滴滴出行", "中国石化", "京东", "拼多多", "星巴克"};
    qint64 serial = 0;
    std::printf("building sample (10 years, ~12 records a day)...\n");
    for (int year = 2016; year <= 2025; ++year) {
        QStringList dates, names, moneys, memos;
        QList<TImportOrigin> origins;
        for (QDate d(year, 1, 1); d.year() == year; d = d.addDays(1))
            for (int i = 0; i < 11; ++i) {
                dates << d.toString("yyyy-MM-dd");
                names << outNames[random.bounded(outNames.size())];
                moneys << QString::asprintf("%.2f", random.bounded(10000) / 100.0 + 0.01);
                memos << QString();
                const QString party = parties[random.bounded(parties.size())];
                origins << (i % 2 ? TImportOrigin{"支付宝", QString::number(2016000000000000000LL + ++serial),
                                                  party}
                                  : TImportOrigin{});
            }
        db.AddRecords(user, "支出", dates, names, moneys, memos,
                      [&](TclsConnection &Db, const QList<qint64> &Ids) {
                          ImportStore::SaveOrigins(Db, user, "支出", Ids, names, origins);
                      });
    }
    std::printf("records: %lld, saved order numbers: %lld\n\n", t.Count("select count(*) from All_Table"),
                t.Count("select count(*) from Import_Orders"));

    QList<TestBills::TRow> rows;
    for (int i = 0; i < 10000; ++i) {
        const QDate day = QDate(2025, 1, 1).addDays(i % 365);
        const bool neutral = i % 20 == 0;
        rows << TestBills::TRow{day.toString("yyyy-MM-dd") + " 12:00:00",
                                "餐饮美食",
                                parties[i % parties.size()],
                                QStringLiteral("商品%1").arg(i),
                                neutral ? "不计收支" : "支出",
                                QString::asprintf("%.2f", (i % 5000) / 100.0 + 1),
                                "交易成功",
                                QString::number(2025000000000000000LL + i)};
    }
    QTemporaryDir dir;
    const QString file = TestBills::Write(dir.path(), "alipay.csv", TestBills::Alipay(rows));

    const double readOnly = MedianMs(9, [&] {
        QFile f(file);
        f.open(QIODevice::ReadOnly);
        if (f.readAll().isEmpty())
            std::puts("empty");
    });
    int shown = 0;
    const double full = MedianMs(9, [&] {
        const auto table = BillFile::Read(file, {});
        const TBill bill = BillFormats::Read(*table, BillFormats::Recognise(*table));
        TImportContext context;
        db.GetProgramNames(user, context.OutNames, context.InNames);
        context.Imported = ImportStore::ImportedOrders(t.File(), user);
        context.Stored = ImportStore::StoredCounts(t.File(), user, QDate(2025, 1, 1), QDate(2025, 12, 31));
        context.Rules = ImportStore::CounterpartyRules(t.File(), user);
        shown = int(ImportCheck::Check(bill, context).size());
    });
    std::optional<TBillTable> table;
    const double parse = MedianMs(9, [&] { table = BillFile::Read(file, {}); });
    TBill bill;
    const double rowsMs =
        MedianMs(9, [&] { bill = BillFormats::Read(*table, BillFormats::Recognise(*table)); });
    TImportContext context;
    const double books = MedianMs(9, [&] {
        db.GetProgramNames(user, context.OutNames, context.InNames);
        context.Imported = ImportStore::ImportedOrders(t.File(), user);
        context.Stored = ImportStore::StoredCounts(t.File(), user, QDate(2025, 1, 1), QDate(2025, 12, 31));
        context.Rules = ImportStore::CounterpartyRules(t.File(), user);
    });
    const double check = MedianMs(9, [&] { shown = int(ImportCheck::Check(bill, context).size()); });
    std::printf("%-44s %10s\n", "operation (10,000 Alipay rows)", "median ms");
    std::printf("%-44s %10.2f\n", "reading the file alone", readOnly);
    std::printf("%-44s %10.2f\n", "read, recognise, check against the books", full);
    std::printf("  of which: decode and split %.2f, rows %.2f, the books' answers %.2f, check %.2f\n", parse,
                rowsMs, books, check);
    std::printf("  (%d rows checked)\n", shown);
    return 0;
}
