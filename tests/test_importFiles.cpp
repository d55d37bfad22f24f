// Bill files that are damaged, locked or hostile: each ends in a clear
// message, quickly and in bounded memory. No windows here.
#include "import/unt_clsBillFile.h"
#include "import/unt_clsBillFormats.h"
#include "tests/support/unt_testBills.h"

#include <QElapsedTimer>
#include <QtTest>

#include <sys/resource.h>

using namespace TestBills;

namespace
{
QString ImportError(const QByteArray &Bytes)
{
    try {
        const auto table = BillFile::FromBytes(Bytes, [](bool, QString &) { return false; });
        return table ? QStringLiteral("read %1 rows").arg(table->size()) : QStringLiteral("cancelled");
    } catch (const TclsImportError &error) {
        return error.Text();
    }
}

long PeakKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}
} // namespace

class TestImportFiles : public QObject
{
    Q_OBJECT

  private slots:
    void zipWithPassword()
    {
        const QByteArray zip = ZipOf({{"alipay_record_20260401.csv", Alipay(AlipayMonth())}}, "s3cret");
        QList<bool> asked;
        QStringList answers{"wrong", "s3cret"};
        const auto table = BillFile::FromBytes(zip, [&](bool Again, QString &Password) {
            asked << Again;
            Password = answers.takeFirst();
            return true;
        });
        QVERIFY(table);
        QCOMPARE(asked, QList<bool>({false, true})); // the wrong one was said to be wrong
        QCOMPARE(BillFormats::Recognise(*table).Kind, BillFormats::TKnown::Alipay);
        // Giving up at the question reads nothing; a plain ZIP asks nothing.
        QVERIFY(!BillFile::FromBytes(zip, [](bool, QString &) { return false; }));
        int questions = 0;
        const auto plain =
            BillFile::FromBytes(ZipOf({{"a.csv", Alipay(AlipayMonth())}}), [&](bool, QString &) {
                ++questions;
                return false;
            });
        QVERIFY(plain && questions == 0);
        // The old ZIP cipher has only a one-byte check: a wrong password that
        // passes it still ends as a wrong password, never as a damaged file.
        const QByteArray old = ZipOf({{"a.csv", Alipay(AlipayMonth())}}, "s3cret", ZIP_EM_TRAD_PKWARE);
        for (int attempt = 0; attempt < 1500; ++attempt) { // about 6 pass the check
            QList<bool> again;
            QStringList tries{QStringLiteral("guess%1").arg(attempt), "s3cret"};
            const auto read = BillFile::FromBytes(old, [&](bool Again, QString &Password) {
                again << Again;
                Password = tries.takeFirst();
                return true;
            });
            QVERIFY(read && read->size() > 6);
            QCOMPARE(again, QList<bool>({false, true}));
        }
    }

    void badFiles()
    {
        QCOMPARE(ImportError(""), QStringLiteral("文件是空的，没有可以导入的记录。"));
        QCOMPARE(ImportError("  \r\n"), QStringLiteral("文件是空的，没有可以导入的记录。"));
        QByteArray binary(4096, '\0');
        binary[0] = 'M';
        QCOMPARE(ImportError(binary), QStringLiteral("这不是文本格式的账单文件。"));
        QByteArray xlsx = WeChatXlsx(
            {{"2025-08-01 10:00:00", "商户消费", "美团", "外卖", "支出", "30.00", "支付成功", "1"}});
        QCOMPARE(ImportError(xlsx.left(xlsx.size() / 2)), QStringLiteral("文件已损坏或不完整，无法读取。"));
        // Not a workbook after all.
        QByteArray fake("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
        fake += QByteArray(600, 'z');
        QCOMPARE(ImportError(fake), QStringLiteral("文件不是 Excel 97-2003 工作簿，或者已经损坏。"));
        QCOMPARE(ImportError(ZipOf({{"账单/", {}}})), QStringLiteral("压缩包里没有文件。"));
        // A text without a header row the program knows or can guess.
        const auto table = BillFile::FromBytes(Gb("你好\n这是一封信\n"), {});
        QVERIFY(table);
        QCOMPARE(BillFormats::Recognise(*table).Kind, BillFormats::TKnown::None);
        QCOMPARE(BillFormats::GuessHeaderRow(*table), -1);
    }

    void hostileFilesEndQuickly()
    {
        const long before = PeakKb();
        QElapsedTimer timer;
        struct TCase {
            const char *Name;
            QByteArray Bytes;
            QString Expected;
        };
        QByteArray columns = "a";
        columns.reserve(2'000'010);
        for (int i = 0; i < 1'000'000; ++i)
            columns += ",a";
        QByteArray longLine(20 * 1024 * 1024, 'x');
        QByteArray quote = "交易时间,金额\n\"2026-03-01," + QByteArray(8 * 1024 * 1024, 'y');
        // Quotes inside cells, line after line, up to the limit of a line.
        QByteArray quotes;
        for (int i = 0; i < 200; ++i)
            quotes += "a" + QByteArray(60000, '"') + "\n";
        const TCase cases[] = {
            {"a million columns", columns, "文件中有一行超过 256 列，不像是账单。"},
            {"a 20 MB line", longLine, "文件中有一行超过 65536 个字符（也许是引号没有成对），不像是账单。"},
            {"a quote never closed", quote,
             "文件中有一行超过 65536 个字符（也许是引号没有成对），不像是账单。"},
            {"a short quote never closed", "a,b\n\"c,d\n", "文件末尾有一个引号没有成对，文件可能不完整。"},
            {"quotes inside cells", quotes, "read 200 rows"},
        };
        for (const TCase &c : cases) {
            timer.start();
            QCOMPARE(ImportError(c.Bytes), c.Expected);
            QVERIFY2(timer.elapsed() < 3000, c.Name);
        }
        columns.clear();
        longLine.clear();
        quote.clear();
        // Workbooks and ZIPs: a cell far to the right, an entry that unpacks
        // to more than a bill can be.
        const QByteArray wide = ZipOf({{"xl/sharedStrings.xml", "<sst/>"},
                                       {"xl/worksheets/sheet1.xml",
                                        "<worksheet><sheetData><row r=\"1\"><c r=\"XFD1\"><v>1</v></c></row>"
                                        "</sheetData></worksheet>"}});
        QCOMPARE(ImportError(wide), QStringLiteral("文件中有一行超过 256 列，不像是账单。"));
        timer.start();
        QCOMPARE(ImportError(ZipOf({{"bomb.csv", QByteArray(40 * 1024 * 1024, '0')}})),
                 QStringLiteral("压缩包里的文件超过 32 MB，不像是账单。"));
        QVERIFY(timer.elapsed() < 3000);
        // 100 MB of one line: refused by its size before it is read.
        QTemporaryDir dir;
        const QString big = dir.path() + "/big.csv";
        {
            QFile file(big);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(file.resize(100LL * 1024 * 1024));
        }
        timer.start();
        try {
            BillFile::Read(big, {});
            QFAIL("a 100 MB file was read");
        } catch (const TclsImportError &error) {
            QCOMPARE(error.Text(), QStringLiteral("文件超过 32 MB，不像是账单。"));
        }
        QVERIFY(timer.elapsed() < 1000);
        // The peak stays a small multiple of the largest input above.
        QVERIFY2(PeakKb() - before < 400 * 1024, qPrintable(QString::number(PeakKb() - before)));
    }
};

QTEST_GUILESS_MAIN(TestImportFiles)
#include "test_importFiles.moc"
