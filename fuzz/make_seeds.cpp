// Writes the seed corpora of the fuzz targets from the tests' sample bills:
//   make_seeds OUT_FOLDER   (fuzz/corpus in the source tree)
#include "reports/workbook/unt_clsWorkbook.h"
#include "tests/support/unt_testBills.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdio>

using namespace TestBills;

namespace
{
QString Out;

void Seed(const char *Target, const char *Name, const QByteArray &Bytes)
{
    const QString folder = Out + '/' + QString::fromLatin1(Target);
    QDir().mkpath(folder);
    QFile file(folder + '/' + QString::fromLatin1(Name));
    if (!file.open(QIODevice::WriteOnly) || file.write(Bytes) != Bytes.size())
        std::fprintf(stderr, "make_seeds: cannot write %s\n", qPrintable(file.fileName()));
}

QByteArray Entry(const QByteArray &Zip, const char *Name)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *source = zip_source_buffer_create(Zip.constData(), zip_uint64_t(Zip.size()), 0, &error);
    zip_t *archive = zip_open_from_source(source, ZIP_RDONLY, &error);
    QByteArray bytes;
    if (zip_file_t *file = zip_fopen(archive, Name, 0)) {
        char buffer[4096];
        for (zip_int64_t got; (got = zip_fread(file, buffer, sizeof buffer)) > 0;)
            bytes.append(buffer, qsizetype(got));
        zip_fclose(file);
    }
    zip_discard(archive);
    zip_error_fini(&error);
    return bytes;
}

// Our own text export, layout I: fixed byte columns of GB18030 text.
QByteArray LayoutText()
{
    auto line = [](const QStringList &Cells) {
        const int widths[] = {14, 8, 24, 16, 58};
        QByteArray out;
        for (int i = 0; i < 5; ++i)
            out += Gb(Cells.value(i)).leftJustified(widths[i], ' ', true);
        return out + "\r\n";
    };
    return line({"日期", "类别", "项目", "金额", "备注"}) + QByteArray(120, '-') + "\r\n" +
           line({"2026-03-01", "支出", "书籍及音像", "12.50", "旧书两本"}) +
           line({"2026-03-02", "收入", "工资", "3000.00", ""}) + line({"", "", "支出合计", "12.50", ""});
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds OUT_FOLDER\n");
        return 2;
    }
    Out = QString::fromLocal8Bit(argv[1]);
    const QList<TRow> month = AlipayMonth().mid(0, 4);
    const QList<TRow> wechat{
        {"2025-03-01 10:00:00", "商户消费", "美团", "外卖", "支出", "30.00", "支付成功", "1"},
        {"2025-03-02 10:00:00", "转账", "李四", "/", "收入", "20.00", "已存入零钱", "2"}};
    const QByteArray bank =
        Gb("某某银行账户明细\n账号：6222********1234\n\n记账日期,交易金额,余额,对方户名,摘要\n"
           "2024/3/5,-28.16,1000.00,财付通-美团,快捷支付\n2024/3/6,500.00,1500.00,张三,转账\n");
    const QByteArray xlsx = WeChatXlsx(wechat);
    const QStringList header{"日期", "类别", "项目", "金额", "备注"};
    TclsWorkbook own(TclsWorkbook::NewWorkbook("Sheet1", header, {14, 8, 24, 16, 58}, "宋体"), "Sheet1");
    own.AppendRow({"2026-03-01", "支出", "午饭", "15.50", "面条"});
    own.AppendRow({"", "", "支出合计", "15.50", ""});
    const QByteArray xls = own.Save();

    for (const char *target : {"csv", "layouts"}) {
        Seed(target, "alipay.csv", Alipay(month));
        Seed(target, "alipay-web.csv", AlipayWeb(month));
        Seed(target, "wechat.csv", WeChatCsv(wechat));
        Seed(target, "bank.csv", bank);
    }
    Seed("csv", "own-export.txt", LayoutText());
    Seed("xlsx_sheet", "sheet1.xml", Entry(xlsx, "xl/worksheets/sheet1.xml"));
    Seed("xlsx_strings", "sharedStrings.xml", Entry(xlsx, "xl/sharedStrings.xml"));
    Seed("bill_file", "wechat.xlsx", xlsx);
    Seed("bill_file", "alipay.zip", ZipOf({{"alipay.csv", Alipay(month)}}));
    Seed("bill_file", "alipay-aes.zip", ZipOf({{"alipay.csv", Alipay(month.mid(0, 1))}}, "pw"));
    Seed("bill_file", "alipay-old.zip",
         ZipOf({{"alipay.csv", Alipay(month.mid(0, 1))}}, "pw", ZIP_EM_TRAD_PKWARE));
    Seed("bill_file", "own.xls", xls);
    Seed("bill_file", "own-export.txt", LayoutText());
    Seed("xls", "own.xls", xls);
    return 0;
}
