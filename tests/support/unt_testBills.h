#pragma once
// Sample bills for the import tests, written the way each exporter lays
// them out: preambles, padding, trailing commas, encodings and containers.
#include <QByteArray>
#include <QFile>
#include <QStringEncoder>
#include <QStringList>

#include <zip.h>

namespace TestBills
{
// Date/time, category or kind, counterparty, item, direction, amount, state, order number.
struct TRow {
    QString Time, Kind, Party, Item, Dir, Money, Status, Order;
};

inline QByteArray Gb(const QString &Text)
{
    QStringEncoder encoder("GB18030");
    return encoder(Text);
}

inline QByteArray Alipay(const QList<TRow> &Rows)
{
    QString text =
        QStringLiteral(
            "------------------------------------------------------------------------------------\n"
            "导出信息：\n姓名：张三\n支付宝账户：zhang***@example.com\n"
            "起始时间：[2026-03-01 00:00:00]    终止时间：[2026-03-31 23:59:59]\n导出交易类型：[全部]\n"
            "共%1笔记录\n收入：1笔 100.00元\n支出：3笔 93.06元\n不计收支：2笔 33.16元\n\n"
            "特别提示：\n1.本回单内容可表明支付宝受理了交易，但不能作为交易已到账的依据；\n"
            "2.使用银行卡付款的交易，银行账单上也会出现，请不要重复记账；\n3.如有疑问请联系客服。\n"
            "------------------------电子客户回单------------------------\n"
            "交易时间,交易分类,交易对方,对方账号,商品说明,收/支,金额,收/"
            "付款方式,交易状态,交易订单号,商家订单号,备注,\n")
            .arg(Rows.size());
    for (const TRow &r : Rows)
        text += QStringLiteral("%1,%2,%3  ,abc***@x.com,%4,%5,%6,余额宝,%7,%8\t,T%8\t,,\n")
                    .arg(r.Time, r.Kind, r.Party, r.Item, r.Dir, r.Money, r.Status, r.Order);
    return Gb(text);
}

inline QByteArray AlipayWeb(const QList<TRow> &Rows)
{
    QString text = QStringLiteral(
        "支付宝交易记录明细查询\n账号:[20880000000000000156]\n"
        "起始日期:[2019-01-01 00:00:00]    终止日期:[2019-02-01 00:00:00]\n"
        "---------------------------------交易记录明细列表------------------------------------\n"
        "交易号                  ,商家订单号               ,交易创建时间              ,付款时间    "
        "            ,最近修改时间              ,交易来源地     ,类型              ,交易对方    "
        "        ,商品名称                ,金额（元）   ,收/支     ,交易状态    ,服务费（元）   "
        ",成功退款（元）  ,备注                  ,资金状态     ,\n");
    for (const TRow &r : Rows)
        text += QStringLiteral(
                    "%1 ,T%1 ,%2 ,%2 ,%2 ,其他（包括阿里巴巴和外部商家）,%3 ,%4 ,%5 ,%6 ,%7 ,%8 ,0.00 ,"
                    "0.00 , ,已支付 ,\n")
                    .arg(r.Order, r.Time, r.Kind, r.Party, r.Item, r.Money, r.Dir, r.Status);
    text += QStringLiteral(
                "------------------------------------------------------------------------------------\n"
                "共%1笔记录\n已收入:0笔,0.00元\n待收入:0笔,0.00元\n导出时间:[2019-02-01 10:00:00]\n")
                .arg(Rows.size());
    return Gb(text);
}

inline QStringList WeChatHeader()
{
    return {"交易时间", "交易类型", "交易对方", "商品",     "收/支", "金额(元)",
            "支付方式", "当前状态", "交易单号", "商户单号", "备注"};
}

inline QStringList WeChatCells(const TRow &r)
{
    return {r.Time, r.Kind, r.Party, r.Item, r.Dir, r.Money, "零钱", r.Status, r.Order, "M" + r.Order, "/"};
}

// The CSV generation: UTF-8 with a BOM, sixteen preamble lines.
inline QByteArray WeChatCsv(const QList<TRow> &Rows)
{
    QString text =
        QStringLiteral("微信支付账单明细,,,,,,,,\n微信昵称：[张三],,,,,,,,\n"
                       "起始时间：[2025-03-01 00:00:00] 终止时间：[2025-03-31 23:59:59],,,,,,,,\n"
                       "导出类型：[全部],,,,,,,,\n导出时间：[2025-04-01 10:00:00],,,,,,,,\n,,,,,,,,\n"
                       "共%1笔记录,,,,,,,,\n收入：1笔 100.00元,,,,,,,,\n支出：2笔 50.00元,,,,,,,,\n"
                       "中性交易：1笔 200.00元,,,,,,,,\n注：,,,,,,,,\n"
                       "1. 充值/提现/理财通购买/零钱通存取/信用卡还款等交易，将计入中性交易,,,,,,,,\n"
                       "2. 本明细仅展示当前账单中的交易,,,,,,,,\n,,,,,,,,\n"
                       "----------------------微信支付账单明细列表--------------------,,,,,,,,\n")
            .arg(Rows.size());
    text += WeChatHeader().join(',') + '\n';
    for (const TRow &r : Rows) {
        QStringList cells = WeChatCells(r);
        cells[4] = r.Dir;
        cells[2] = "\"" + r.Party + "\""; // quoted, as the exporter writes some cells
        text += cells.join(',') + '\n';
    }
    return "\xEF\xBB\xBF" + text.toUtf8();
}

inline QByteArray ZipOf(const QList<std::pair<QString, QByteArray>> &Files, const QByteArray &Password = {},
                        quint16 Method = ZIP_EM_AES_256)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_t *archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
    zip_source_keep(buffer);
    QList<QByteArray> keep; // the sources read from these until the close
    for (const auto &[name, bytes] : Files) {
        if (name.endsWith('/')) {
            zip_dir_add(archive, name.toUtf8().constData(), ZIP_FL_ENC_UTF_8);
            continue;
        }
        keep << bytes;
        zip_source_t *source =
            zip_source_buffer(archive, keep.last().constData(), zip_uint64_t(bytes.size()), 0);
        const zip_int64_t index = zip_file_add(archive, name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8);
        if (!Password.isEmpty())
            zip_file_set_encryption(archive, zip_uint64_t(index), Method, Password.constData());
    }
    zip_close(archive);
    QByteArray out;
    zip_source_open(buffer);
    zip_source_seek(buffer, 0, SEEK_END);
    const zip_int64_t size = zip_source_tell(buffer);
    zip_source_seek(buffer, 0, SEEK_SET);
    out.resize(qsizetype(size));
    zip_source_read(buffer, out.data(), zip_uint64_t(size));
    zip_source_close(buffer);
    zip_source_free(buffer);
    zip_error_fini(&error);
    return out;
}

inline QString XmlText(QString Text)
{
    return Text.replace('&', "&amp;").replace('<', "&lt;").replace('>', "&gt;");
}

// The XLSX generation: a preamble of 16 rows, shared strings for the texts,
// plain numbers for the amounts (the 2026 layout).
inline QByteArray WeChatXlsx(const QList<TRow> &Rows)
{
    QList<QStringList> table;
    table << QStringList{"微信支付账单明细"} << QStringList{"微信昵称：[张三]"};
    for (int i = 0; i < 14; ++i)
        table << QStringList{i == 5 ? QStringLiteral("共%1笔记录").arg(Rows.size()) : QString()};
    table << WeChatHeader();
    for (const TRow &r : Rows)
        table << WeChatCells(r);
    QStringList strings;
    QString sheet = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<worksheet "
                    "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>";
    for (int r = 0; r < table.size(); ++r) {
        sheet += QStringLiteral("<row r=\"%1\">").arg(r + 1);
        for (int c = 0; c < table[r].size(); ++c) {
            const QString value = table[r][c];
            if (value.isEmpty())
                continue;
            const QString ref = QChar('A' + c) + QString::number(r + 1);
            bool number = false;
            value.toDouble(&number);
            if (number && c == 5) {
                sheet += QStringLiteral("<c r=\"%1\"><v>%2</v></c>").arg(ref, value);
            } else {
                strings << value;
                sheet += QStringLiteral("<c r=\"%1\" t=\"s\"><v>%2</v></c>").arg(ref).arg(strings.size() - 1);
            }
        }
        sheet += "</row>";
    }
    sheet += "</sheetData></worksheet>";
    QString shared = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<sst "
                                    "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                                    "count=\"%1\" uniqueCount=\"%1\">")
                         .arg(strings.size());
    for (const QString &s : strings)
        shared += "<si><t>" + XmlText(s) + "</t></si>";
    shared += "</sst>";
    return ZipOf({{"[Content_Types].xml", "<?xml version=\"1.0\"?><Types/>"},
                  {"xl/workbook.xml", "<?xml version=\"1.0\"?><workbook/>"},
                  {"xl/sharedStrings.xml", shared.toUtf8()},
                  {"xl/worksheets/sheet1.xml", sheet.toUtf8()}});
}

inline QString Write(const QString &Dir, const QString &Name, const QByteArray &Bytes)
{
    QFile file(Dir + '/' + Name);
    file.open(QIODevice::WriteOnly);
    file.write(Bytes);
    return file.fileName();
}

// One March of a household's Alipay: meals, shopping, a transfer in, a
// top-up, a closed trade and the refund of the first meal.
inline QList<TRow> AlipayMonth()
{
    return {
        {"2026-03-05 12:34:56", "餐饮美食", "肯德基", "早餐套餐", "支出", "28.16", "交易成功",
         "2026030522001400001"},
        {"2026-03-02 08:00:00", "日用百货", "盒马", "买菜", "支出", "56.00", "交易成功",
         "2026030222001400002"},
        {"2026-03-03 19:20:00", "转账红包", "李四", "还钱", "收入", "100.00", "交易成功",
         "2026030322001400003"},
        {"2026-03-04 09:00:00", "投资理财", "余额宝", "转入", "不计收支", "5.00", "交易成功",
         "2026030422001400004"},
        {"2026-03-06 10:00:00", "服饰装扮", "某服装店", "T恤", "支出", "9.90", "交易关闭",
         "2026030622001400005"},
        {"2026-03-07 11:00:00", "退款", "肯德基", "退款-早餐套餐", "不计收支", "28.16", "退款成功",
         "2026030522001400001_refund"},
    };
}
} // namespace TestBills
