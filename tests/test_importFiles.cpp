// Bill files that are damaged, locked or hostile: each ends in a clear
// message, quickly and in bounded memory. No windows here.
#include "import/unt_clsBillFile.h"
#include "import/unt_clsBillFormats.h"
#include "tests/support/unt_hostileBills.h"
#include "tests/support/unt_testBills.h"

#include <QElapsedTimer>
#include <QtTest>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <ctime>

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

// The processor time this program used: what a reader costs, whatever
// else the machine is running at the time.
class TCpuTimer
{
  public:
    void start() { FStart = Now(); }
    qint64 elapsed() const { return Now() - FStart; }

  private:
    static qint64 Now()
    {
        timespec now{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
        return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
    }
    qint64 FStart = 0;
};

#ifdef __SANITIZE_ADDRESS__
// The sanitizer keeps freed memory aside for a while and maps its own.
constexpr long MemoryAllowanceKb = 1200 * 1024;
#else
constexpr long MemoryAllowanceKb = 400 * 1024;
#endif

// What a bill may cost: 200 MB and 5 s, the sanitizer's own share aside
// (it also maps terabytes of shadow, so the children get no address limit).
#ifdef __SANITIZE_ADDRESS__
constexpr double BillPeakMb = 600, BillCpuSeconds = 15;
constexpr long ChildLimitMb = 0;
#else
constexpr double BillPeakMb = 200, BillCpuSeconds = 5;
constexpr long ChildLimitMb = 4096;
#endif

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
        TCpuTimer timer;
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

        const QByteArray bomb = ZipOf({{"bomb.csv", QByteArray(40 * 1024 * 1024, '0')}});
        timer.start();
        QCOMPARE(ImportError(bomb), QStringLiteral("压缩包里的文件超过 32 MB，不像是账单。"));
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
        QVERIFY2(PeakKb() - before < MemoryAllowanceKb, qPrintable(QString::number(PeakKb() - before)));
    }

    // Small bills that declare huge ones: loops in the compound file's
    // chains, a shared string in every cell, elements nested millions deep,
    // millions of cells in a ZIP.
    // Each is refused within 200 MB and 5 s of the processor.
    void billsThatDeclareHugeOnesStayWithinBounds()
    {
        for (const HostileBills::TShape &shape : HostileBills::Shapes()) {
            const QByteArray bytes = shape.Make();
            QVERIFY(bytes.size() < 256 * 1024);
            const HostileBills::TCost cost = HostileBills::Measure(bytes, ChildLimitMb);
            const QString seen = QStringLiteral("%1: %2 MB, %3 s, %4")
                                     .arg(shape.Name)
                                     .arg(cost.PeakMb)
                                     .arg(cost.CpuSeconds)
                                     .arg(cost.Outcome);
            QVERIFY2(cost.PeakMb >= 0 && cost.PeakMb < BillPeakMb && cost.CpuSeconds < BillCpuSeconds,
                     qPrintable(seen));
            // Refused with a message of its own, not read and not out of memory.
            QVERIFY2(cost.Outcome.contains("损坏") || cost.Outcome.contains("万个"), qPrintable(seen));
        }
    }

    // Cell references steer where a value lands: any that is not letters
    // then digits, left to right within 256 columns, is a damaged file.
    void craftedCellReferences()
    {
        const QString damaged = QStringLiteral("文件已损坏或不完整，无法读取。");
        auto sheet = [](const QByteArray &Cells) {
            return ZipOf({{"xl/sharedStrings.xml", "<sst><si><t>x</t></si></sst>"},
                          {"xl/worksheets/sheet1.xml", "<worksheet><sheetData><row r=\"1\">" + Cells +
                                                           "</row></sheetData></worksheet>"}});
        };
        QCOMPARE(ImportError(sheet("<c r=\"1\" t=\"s\"><v>0</v></c>")), damaged);
        QCOMPARE(ImportError(sheet("<c r=\"A1\"><v>1</v></c><c r=\"1\"><v>2</v></c>")), damaged);
        QCOMPARE(ImportError(sheet("<c r=\"b1\"><v>1</v></c>")), damaged);
        QCOMPARE(ImportError(sheet("<c r=\"B\"><v>1</v></c>")), damaged);
        QCOMPARE(ImportError(sheet("<c r=\"B1x\"><v>1</v></c>")), damaged);
        QCOMPARE(ImportError(sheet("<c r=\"C1\"><v>1</v></c><c r=\"B1\"><v>2</v></c>")), damaged);
        QCOMPARE(ImportError(sheet("<c r=\"C1\"><v>1</v></c><c r=\"C1\"><v>2</v></c>")), damaged);
        QCOMPARE(ImportError(sheet("<v>1</v>")), damaged);
        QCOMPARE(ImportError(sheet("<c r=\"IW1\"><v>1</v></c>")),
                 QStringLiteral("文件中有一行超过 256 列，不像是账单。"));
        // Cells without a reference follow the one before; the last column fits.
        const auto table = BillFile::FromBytes(
            sheet("<c r=\"B1\" t=\"s\"><v>0</v></c><c><v>2</v></c><c r=\"IV1\"><v>3</v></c>"), {});
        QVERIFY(table && table->size() == 1);
        QCOMPARE(table->first().size(), 256);
        QCOMPARE(table->first().mid(0, 3), QStringList({"", "x", "2"}));
        QCOMPARE(table->first().last(), QStringLiteral("3"));
    }

    // Inputs the fuzzers found to upset a reader: each is refused as damaged.
    void fuzzFindingsRefused()
    {
        const QDir dir(QStringLiteral(LUMORA_SOURCE_DIR "/tests/fixtures/fuzz"));
        const QStringList files = dir.entryList(QDir::Files);
        QVERIFY(!files.isEmpty());
        for (const QString &name : files) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QString text = ImportError(file.readAll());
            QVERIFY2(text == QStringLiteral("文件不是 Excel 97-2003 工作簿，或者已经损坏。") ||
                         text == QStringLiteral("文件已损坏或不完整，无法读取。"),
                     qPrintable(name + ": " + text));
        }
    }

    // Only a regular file is read: a pipe would block the window for good,
    // a device would never end.
    void specialFilesAreRefused()
    {
        QTemporaryDir dir;
        const QString fifo = dir.path() + "/bill.csv";
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        const QString zero = dir.path() + "/zero.csv";
        QVERIFY(QFile::link("/dev/zero", zero));
        const QString socket = dir.path() + "/s.csv";
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, QFile::encodeName(socket).constData(), sizeof address.sun_path - 1);
        QCOMPARE(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
        const auto closer = qScopeGuard([fd] { ::close(fd); });
        const struct {
            QString Path, Expected;
        } cases[] = {
            {fifo, "“" + fifo + "”是一个管道，不是普通文件，不能作为账单导入。"},
            {zero, "“" + zero + "”是一个设备，不是普通文件，不能作为账单导入。"},
            {socket, "“" + socket + "”是一个套接字，不是普通文件，不能作为账单导入。"},
            {dir.path(), "“" + dir.path() + "”是一个文件夹，不是普通文件，不能作为账单导入。"},
            {dir.path() + "/none.csv", "无法打开文件“" + dir.path() + "/none.csv”：文件不存在。"},
        };
        QElapsedTimer timer;
        timer.start();
        for (const auto &c : cases) {
            try {
                BillFile::Read(c.Path, {});
                QFAIL(qPrintable(c.Path + " was read"));
            } catch (const TclsImportError &error) {
                QCOMPARE(error.Text(), c.Expected);
            }
        }
        QVERIFY(timer.elapsed() < 1000);
        // Whatever a file says of its size, no more than the limit and one
        // byte is read.
        const int zeroFd = ::open("/dev/zero", O_RDONLY);
        QVERIFY(zeroFd >= 0);
        QCOMPARE(BillFile::ReadBounded(zeroFd, 100000).size(), 100001);
        ::close(zeroFd);
    }

    // A BOM decides the encoding; without one, the encoding with fewer
    // invalid sequences. Lines that do not decode are told, not hidden.
    void encodingByCountAndBadLinesTold()
    {
        const QByteArray clean = WeChatCsv(
            {{"2025-03-01 10:00:00", "商户消费", "美团", "外卖", "支出", "30.00", "支付成功", "1"},
             {"2025-03-02 10:00:00", "商户消费", "超市", "买菜", "支出", "20.00", "支付成功", "2"}});
        QByteArray wechat = clean;
        const qsizetype memo = wechat.indexOf("买菜");
        wechat[memo + 1] = char(0xFF); // one bad byte in the last row
        QString note;
        auto table = BillFile::FromBytes(wechat, {}, &note);
        QVERIFY(table);
        QCOMPARE(BillFormats::Recognise(*table).Kind, BillFormats::TKnown::WeChat);
        QCOMPARE(note, QStringLiteral("文件按 UTF-8 编码读取，但有 1 行含有无法识别的字符（第 18 行），"
                                      "这些行的文字可能是乱码，请在导入前核对。"));
        // Without a BOM, a UTF-8 bill with a few GB18030 lines stays UTF-8.
        QByteArray mixed = clean.mid(3);
        mixed += Gb("2025-03-03 10:00:00,商户消费,面包店,早餐,支出,8.00,零钱,支付成功,3,M3,/\n");
        note.clear();
        table = BillFile::FromBytes(mixed, {}, &note);
        QVERIFY(table);
        const TBill bill = BillFormats::Read(*table, BillFormats::Recognise(*table));
        QCOMPARE(bill.Rows.size(), 3);
        QCOMPARE(bill.Rows[0].Item, QStringLiteral("外卖"));
        QVERIFY2(note.contains("有 1 行") && note.contains("第 19 行"), qPrintable(note));
        // A GB18030 bill with one stray UTF-8 line stays GB18030.
        note.clear();
        table = BillFile::FromBytes(Alipay(AlipayMonth()) + QByteArray("午饭了\n"), {}, &note);
        QVERIFY(table);
        QCOMPARE(BillFormats::Recognise(*table).Kind, BillFormats::TKnown::Alipay);
        QVERIFY2(note.startsWith("文件按 GB18030 编码读取，但有 1 行"), qPrintable(note));
        // Clean files say nothing.
        note.clear();
        QVERIFY(BillFile::FromBytes(Alipay(AlipayMonth()), {}, &note));
        QVERIFY(BillFile::FromBytes(WeChatCsv({}).mid(3), {}, &note));
        QVERIFY(note.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestImportFiles)
#include "test_importFiles.moc"
