// Reading bills: each layout's rows, the states and categories proposed
// for them against the books. No windows here.
#include "data/unt_clsDatabaseUser.h"
#include "import/unt_clsBillFile.h"
#include "import/unt_clsImportCheck.h"
#include "reports/unt_reportRows.h"
#include "reports/workbook/unt_clsWorkbook.h"
#include "tests/support/unt_testBills.h"
#include "tests/support/unt_testDb.h"

#include <QtTest>

using namespace TestBills;

namespace
{
TBill BillOf(const QByteArray &Bytes)
{
    const auto table = BillFile::FromBytes(Bytes, [](bool, QString &) { return false; });
    if (!table)
        throw std::runtime_error("no table");
    const BillFormats::TLayout layout = BillFormats::Recognise(*table);
    if (layout.Kind == BillFormats::TKnown::None)
        throw std::runtime_error("layout not recognised");
    return BillFormats::Read(*table, layout);
}

TImportContext DefaultContext()
{
    TImportContext c;
    c.OutNames = TclsDatabaseUser::SplitLines(TclsDatabaseUser::LoadTextResource("OUT_TXT"));
    c.InNames = TclsDatabaseUser::SplitLines(TclsDatabaseUser::LoadTextResource("IN_TXT"));
    return c;
}

QStringList Column(const QList<TImportRow> &Rows, QString TImportRow::*Field)
{
    QStringList values;
    for (const TImportRow &row : Rows)
        values << row.*Field;
    return values;
}

} // namespace

class TestImport : public QObject
{
    Q_OBJECT

  private slots:
    void alipayRowsStatesAndRefund()
    {
        const TBill bill = BillOf(Alipay(AlipayMonth()));
        QCOMPARE(bill.Source, QStringLiteral("支付宝"));
        QCOMPARE(bill.Rows.size(), 6);
        QCOMPARE(bill.Rows[0].OrderNo, QStringLiteral("2026030522001400001")); // tab and padding gone
        QCOMPARE(bill.Rows[0].Counterparty, QStringLiteral("肯德基"));
        QCOMPARE(bill.Rows[0].Date, QDate(2026, 3, 5));
        QCOMPARE(bill.Rows[0].Cents, 2816);

        TImportContext context = DefaultContext();
        context.Rules.insert(ImportCheck::RuleKey("支出", "肯德基"), "外出就餐");
        const QList<TImportRow> rows = ImportCheck::Check(bill, context);
        QCOMPARE(Column(rows, &TImportRow::State),
                 QStringList({"新", "新", "新", "不计收支", "交易关闭", "退款"}));
        QCOMPARE(Column(rows, &TImportRow::Type),
                 QStringList({"支出", "支出", "收入", "支出", "支出", "收入"}));
        // The rule, then the list's catch-all, then the income catch-all;
        // the refund comes back in the category its meal got.
        QCOMPARE(rows[0].Name, QStringLiteral("外出就餐"));
        QCOMPARE(rows[1].Name, QStringLiteral("其他支出"));
        QCOMPARE(rows[2].Name, QStringLiteral("其他收入"));
        QCOMPARE(rows[5].Name, QStringLiteral("外出就餐"));
        QCOMPARE(rows[0].Memo, QStringLiteral("肯德基 早餐套餐"));
        QList<bool> checked;
        for (const TImportRow &row : rows)
            checked << row.Checked;
        QCOMPARE(checked, QList<bool>({true, true, true, false, false, true}));
        QCOMPARE(ImportCheck::Summarise(rows).Text(),
                 QStringLiteral("共 6 条：新 4 条，重复 0 条，跳过 2 条"));

        // The source's own category wins when the user's list has that name.
        context.OutNames << "日用百货";
        QCOMPARE(ImportCheck::Check(bill, context)[1].Name, QStringLiteral("日用百货"));
    }

    void savedOrdersAndStoredRecords()
    {
        const TBill bill = BillOf(Alipay(AlipayMonth()));
        TImportContext context = DefaultContext();
        // The meal was imported before; the shopping was typed by hand (a
        // record of that day, type and amount), twice the same is one match.
        context.Imported.insert("2026030522001400001", "外出就餐");
        context.Stored.insert(ImportCheck::StoredKey("2026-03-05", "支出", 2816), 1);
        context.Stored.insert(ImportCheck::StoredKey("2026-03-02", "支出", 5600), 1);
        const QList<TImportRow> rows = ImportCheck::Check(bill, context);
        QCOMPARE(Column(rows, &TImportRow::State),
                 QStringList({"已导入", "可能重复", "新", "不计收支", "交易关闭", "退款"}));
        QVERIFY(!rows[0].Checked && !rows[1].Checked && rows[2].Checked);
        QCOMPARE(rows[5].Name, QStringLiteral("外出就餐")); // the original's category, from the books
        QCOMPARE(ImportCheck::Summarise(rows).Text(),
                 QStringLiteral("共 6 条：新 2 条，重复 2 条，跳过 2 条"));
    }

    void olderAlipayWebExport()
    {
        const TBill bill = BillOf(AlipayWeb({{"2019-01-05 10:00:00", "即时到账交易", "张小明", "午饭AA",
                                              "支出", "35.50", "交易成功", "20190105200040011100"},
                                             {"2019-01-06 10:00:00", "即时到账交易", "王芳", "还款", "收入",
                                              "12.00", "交易成功", "20190106200040011101"},
                                             {"2019-01-07 10:00:00", "支付宝担保交易", "网店", "耳机", "",
                                              "99.00", "交易关闭", "20190107200040011102"}}));
        QCOMPARE(bill.Rows.size(), 3); // the footer of totals is no row
        QCOMPARE(bill.Rows[0].Cents, 3550);
        QCOMPARE(bill.Rows[1].Type, QStringLiteral("收入"));
        QCOMPARE(bill.Rows[1].OrderNo, QStringLiteral("20190106200040011101"));
        QCOMPARE(bill.Rows[2].Kind, TBillRow::TKind::Closed);
    }

    // A bill's amount with a third decimal that is not zero, or longer than
    // the books take, is not read: rounding it would store a different sum.
    void amountsBeyondTwoDecimalsAreUnreadable()
    {
        const QList<std::pair<const char *, qint64>> readable{
            {"12.34", 1234},   {"12.340", 1234},      {"12.3", 1230},
            {"-12.30", -1230}, {"¥1,234.50", 123450}, {"12345678901.25", 1234567890125}};
        for (const auto &[text, cents] : readable) {
            qint64 read = 0;
            QVERIFY2(BillFormats::ParseCents(QString::fromUtf8(text), read), text);
            QCOMPARE(read, cents);
        }
        for (const char *text : {"0.001", "12.345", "12.3401", "123456789012", "123456789012.00"}) {
            qint64 read = 0;
            QVERIFY2(!BillFormats::ParseCents(QString::fromUtf8(text), read), text);
        }
        const TBill bill = BillOf(AlipayWeb({{"2019-01-05 10:00:00", "即时到账交易", "张小明", "午饭AA",
                                              "支出", "35.505", "交易成功", "20190105200040011100"}}));
        QCOMPARE(bill.Rows.size(), 1);
        QCOMPARE(bill.Rows[0].Problem, QStringLiteral("无法识别的金额"));
    }

    void weChatCsvAndXlsxAgree()
    {
        const QList<TRow> month{
            {"2025-03-01 12:00:00", "商户消费", "美团", "外\t卖\t", "支出", "¥30.00", "支付成功", "4200001"},
            {"2025-03-02 12:00:00", "商户消费", "美团", "外卖", "支出", "￥20.00", "已全额退款", "4200002"},
            {"2025-03-03 12:00:00", "美团-退款", "美团", "/", "收入", "¥20.00", "已全额退款", "4200003"},
            {"2025-03-04 12:00:00", "零钱提现", "招商银行", "/", "/", "¥200.00", "提现已到账", "4200004"},
            {"2025-03-05 12:00:00", "转账", "李四", "/", "收入", "¥100.00", "已存入零钱", "4200005"},
        };
        QList<TRow> plain = month;
        for (TRow &r : plain)
            r.Money.remove(0, 1); // the 2026 sheets write bare numbers
        for (const QByteArray &bytes : {WeChatCsv(month), WeChatXlsx(plain)}) {
            const TBill bill = BillOf(bytes);
            QCOMPARE(bill.Source, QStringLiteral("微信支付"));
            QCOMPARE(bill.Rows.size(), 5);
            const QList<TImportRow> rows = ImportCheck::Check(bill, DefaultContext());
            QCOMPARE(Column(rows, &TImportRow::State), QStringList({"新", "新", "退款", "不计收支", "新"}));
            QCOMPARE(rows[1].Type, QStringLiteral("支出")); // the paid row stays an expense
            QCOMPARE(rows[2].Type, QStringLiteral("收入"));
            QCOMPARE(rows[2].Name, rows[1].Name);
            QCOMPARE(rows[2].Memo, QStringLiteral("美团"));       // "/" is no item text
            QCOMPARE(rows[0].Memo, QStringLiteral("美团 外 卖")); // stray tabs are no columns
            QCOMPARE(rows[4].Bill.Cents, 10000);
            QCOMPARE(rows[0].Key, QStringLiteral("4200001"));
        }
    }

    void ownTextExportComesBack()
    {
        using namespace ReportRowsBuilder;
        const TRangeRecords records = MakeRange(QDate(2026, 3, 1), QDate(2026, 3, 2),
                                                {{"2026-03-01", "支出", "书籍及音像", "12.50", "旧书两本"},
                                                 {"2026-03-02", "收入", "工资", "3000.00", ""}});
        ReportRows rows = BuildRows1(records);
        AlignAmounts1(rows);
        QByteArray text = Header1() + "\r\n" + Rule() + "\r\n";
        for (qsizetype i = 0; i < rows[0].size(); ++i)
            text += JoinRow(rows, i) + "\r\n";
        const TBill bill = BillOf(text);
        QCOMPARE(bill.Source, QStringLiteral("Lumora"));
        QCOMPARE(bill.Rows.size(), 2); // the summary rows are no records
        const QList<TImportRow> checked = ImportCheck::Check(bill, DefaultContext());
        QCOMPARE(Column(checked, &TImportRow::Name), QStringList({"书籍及音像", "工资"}));
        QCOMPARE(Column(checked, &TImportRow::Type), QStringList({"支出", "收入"}));
        QCOMPARE(Column(checked, &TImportRow::Memo), QStringList({"旧书两本", ""}));
        QCOMPARE(checked[1].Bill.Cents, 300000);
        // Without order numbers the key is the row's content: the same file
        // gives the same keys, two equal rows two keys.
        QCOMPARE(ImportCheck::Check(BillOf(text), DefaultContext())[0].Key, checked[0].Key);
        QVERIFY(checked[0].Key != checked[1].Key);
    }

    void ownExcelExportComesBack()
    {
        const QStringList header{"日期", "类别", "项目", "金额", "备注"};
        TclsWorkbook book(TclsWorkbook::NewWorkbook("Sheet1", header, {14, 8, 24, 16, 58}, "宋体"), "Sheet1");
        book.AppendRow({"2026-03-01", "支出", "午饭", "15.50", "面条"});
        book.AppendRow({"2026-03-02", "收入", "奖金", "800.00", ""});
        book.AppendRow({"", "", "支出合计", "15.50", ""});
        const TBill bill = BillOf(book.Save());
        QCOMPARE(bill.Source, QStringLiteral("Lumora"));
        QCOMPARE(bill.Rows.size(), 2);
        const QList<TImportRow> rows = ImportCheck::Check(bill, DefaultContext());
        QCOMPARE(Column(rows, &TImportRow::Name), QStringList({"午饭", "奖金"}));
        QCOMPARE(rows[1].Bill.Cents, 80000);
        // A workbook saved by LibreOffice Calc: shared strings, a number cell.
        QFile calc(QStringLiteral(LUMORA_SOURCE_DIR "/tests/fixtures/calc-sheet1.xls"));
        QVERIFY(calc.open(QIODevice::ReadOnly));
        const TBill saved = BillOf(calc.readAll());
        QCOMPARE(saved.Rows.size(), 1);
        QCOMPARE(saved.Rows[0].Date, QDate(2026, 1, 1)); // a day number in the sheet
        QCOMPARE(saved.Rows[0].Cents, 350);
        QCOMPARE(saved.Rows[0].Item, QStringLiteral("旧行"));
    }

    void bankCsvThroughMapping()
    {
        const QByteArray bytes = Gb("某某银行账户明细\n账号：6222********1234\n\n"
                                    "记账日期,交易金额,余额,对方户名,摘要\n"
                                    "2024/3/5,-28.16,1000.00,财付通-美团,快捷支付\n"
                                    "20240306,\"1,200.00\",2200.00,某公司,工资\n"
                                    "2024-03-07,abc,2200.00,某店,消费\n"
                                    "2024-13-07,5.00,2200.00,某店,消费\n");
        const auto table = BillFile::FromBytes(bytes, {});
        QVERIFY(table);
        QCOMPARE(BillFormats::Recognise(*table).Kind, BillFormats::TKnown::None);
        const int header = BillFormats::GuessHeaderRow(*table);
        QCOMPARE(header, 2);
        const TBillMapping guess = BillFormats::GuessMapping((*table)[header]);
        QCOMPARE(guess.Date, 0);
        QCOMPARE(guess.Amount, 1);
        QCOMPARE(guess.Counterparty, 3);
        QCOMPARE(guess.Memo, 4);
        QCOMPARE(TBillMapping::Load(guess.Save()).Save(), guess.Save());
        const TBill bill = BillFormats::ReadMapped(*table, header, guess);
        const QList<TImportRow> rows = ImportCheck::Check(bill, DefaultContext());
        QCOMPARE(rows.size(), 4);
        QCOMPARE(rows[0].Bill.Date, QDate(2024, 3, 5));
        QCOMPARE(rows[0].Type, QStringLiteral("支出"));
        QCOMPARE(rows[0].Bill.Cents, 2816);
        QCOMPARE(rows[1].Type, QStringLiteral("收入"));
        QCOMPARE(rows[1].Bill.Cents, 120000);
        QCOMPARE(rows[1].Bill.Date, QDate(2024, 3, 6));
        QCOMPARE(rows[2].State, QStringLiteral("无法识别的金额"));
        QCOMPARE(rows[3].State, QStringLiteral("无法识别的日期"));
        QVERIFY(!rows[2].Checked && !rows[3].Checked);

        // Split 收入/支出 columns.
        TBillMapping split;
        split.Date = 0;
        split.Income = 1;
        split.Expense = 2;
        const TBillTable splitTable{
            {"日期", "收入", "支出"}, {"2024-03-05", "", "8.00"}, {"2024-03-06", "9.50", ""}};
        const TBill splitBill = BillFormats::ReadMapped(splitTable, 0, split);
        QCOMPARE(splitBill.Rows[0].Type, QStringLiteral("支出"));
        QCOMPARE(splitBill.Rows[0].Cents, 800);
        QCOMPARE(splitBill.Rows[1].Type, QStringLiteral("收入"));
    }

    void csvCells()
    {
        // Quotes around cells with commas, doubled quotes, padding, a
        // trailing comma, CR LF, a line break inside quotes, blank lines.
        const TBillTable rows = BillTable::ParseCsv("a , \"b \"\"q\"\", c\" ,d,\r\n\r\n \"x\ny\",2\t\n");
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0], QStringList({"a", "b \"q\", c", "d", ""}));
        QCOMPARE(rows[1], QStringList({"x\ny", "2"}));
        // Tabs lead: a tab-separated file.
        QCOMPARE(BillTable::ParseCsv("日期\t金额\t摘要\n2024-03-05\t1,5\t午饭\n")[1],
                 QStringList({"2024-03-05", "1,5", "午饭"}));
    }

    void memoCutBetweenCharacters()
    {
        const QString party(200, QChar(0x5E97)); // 店
        QString item(53, QLatin1Char('x'));
        item += QString::fromUtf8("😀tail");
        const QString memo = ImportCheck::BuildMemo(party, item);
        QCOMPARE(memo.size(), 254); // the emoji would be split at 255: left out whole
        QVERIFY(!memo.back().isHighSurrogate());
        QCOMPARE(ImportCheck::BuildMemo("/", "/"), QString());
    }
};

QTEST_GUILESS_MAIN(TestImport)
#include "test_import.moc"
