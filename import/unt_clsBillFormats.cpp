#include "import/unt_clsBillFormats.h"

#include "data/unt_clsAmount.h"

#include <QCryptographicHash>
#include <QRegularExpression>

namespace BillFormats
{
namespace
{
const QString Expense = QStringLiteral("支出");
const QString Income = QStringLiteral("收入");

// Header cells compared without blanks and with half-width brackets: the
// exports write "金额(元)" and "金额（元）" in different years.
QString Norm(QString Text)
{
    Text.replace(QChar(0xFF08), QLatin1Char('(')).replace(QChar(0xFF09), QLatin1Char(')'));
    Text.remove(QLatin1Char(' ')).remove(QChar(0x3000));
    return Text;
}

int Find(const QStringList &Header, std::initializer_list<const char *> Names)
{
    for (const char *name : Names) {
        const QString wanted = Norm(QString::fromUtf8(name));
        for (int i = 0; i < Header.size(); ++i)
            if (Norm(Header[i]) == wanted)
                return i;
    }
    return -1;
}

bool Has(const QStringList &Header, std::initializer_list<const char *> Names)
{
    for (const char *name : Names)
        if (Find(Header, {name}) < 0)
            return false;
    return true;
}

TKnown KindOf(const QStringList &Header)
{
    if (Has(Header, {"交易时间", "交易分类", "交易对方", "商品说明", "收/支", "金额", "交易订单号"}))
        return TKnown::Alipay;
    if (Has(Header, {"交易号", "交易创建时间", "交易对方", "商品名称", "金额(元)", "收/支", "交易状态"}))
        return TKnown::AlipayWeb;
    if (Has(Header, {"交易时间", "交易类型", "交易对方", "商品", "收/支", "金额(元)", "交易单号"}))
        return TKnown::WeChat;
    if (Header.size() >= 5 && Norm(Header[0]) == QStringLiteral("日期") &&
        Norm(Header[1]) == QStringLiteral("类别") && Norm(Header[2]) == QStringLiteral("项目") &&
        Norm(Header[3]) == QStringLiteral("金额") && Norm(Header[4]) == QStringLiteral("备注"))
        return TKnown::Lumora;
    return TKnown::None;
}

QString Cell(const QStringList &Row, int Column)
{
    return Column >= 0 && Column < Row.size() ? Row[Column] : QString();
}

bool IsRefundStatus(const QString &Status)
{
    return Status.contains(QStringLiteral("退款成功")) || Status.contains(QStringLiteral("已全额退款")) ||
           Status.contains(QStringLiteral("已退款"));
}

// What every layout shares once its columns are known: the date, the
// amount, and what the direction and the state make of the row.
void Fill(TBillRow &Row, const QString &Date, const QString &Amount, const QString &Direction)
{
    Row.Date = ParseDate(Date);
    if (!Row.Date.isValid())
        Row.Problem = QStringLiteral("无法识别的日期");
    else if (!ParseCents(Amount, Row.Cents) || Row.Cents < 0)
        Row.Problem = QStringLiteral("无法识别的金额");
    Row.Type = Direction;
    if (Row.Status.contains(QStringLiteral("交易关闭")))
        Row.Kind = TBillRow::TKind::Closed;
    else if (IsRefundStatus(Row.Status) && Direction != Expense)
        // The money coming back; the paid row itself stays an expense.
        Row.Kind = TBillRow::TKind::Refund;
    else if (Direction != Expense && Direction != Income)
        Row.Kind = TBillRow::TKind::Neutral;
    if (Row.Kind == TBillRow::TKind::Refund)
        Row.Type = Income;
}

// The rows under the header until the first row that is neither data nor
// blank: the Alipay web export ends in a footer of totals.
template <class TRead> QList<TBillRow> Rows(const TBillTable &Table, int HeaderRow, int Width, TRead Read)
{
    QList<TBillRow> rows;
    for (int r = HeaderRow + 1; r < Table.size(); ++r) {
        const QStringList &cells = Table[r];
        if (cells.size() < Width / 2 + 1 || cells.first().startsWith(QStringLiteral("-----")))
            continue; // footers and separator lines
        TBillRow row;
        row.Line = r + 1;
        Read(cells, row);
        rows << row;
    }
    return rows;
}
} // namespace

TLayout Recognise(const TBillTable &Table)
{
    for (int r = 0; r < Table.size() && r < 200; ++r) {
        const TKnown kind = KindOf(Table[r]);
        if (kind != TKnown::None)
            return {kind, r};
    }
    return {};
}

TBill Read(const TBillTable &Table, const TLayout &Layout)
{
    TBill bill;
    const QStringList &h = Table[Layout.HeaderRow];
    const int width = int(h.size());
    switch (Layout.Kind) {
    case TKnown::Alipay: {
        bill.Source = QStringLiteral("支付宝");
        const int date = Find(h, {"交易时间"}), category = Find(h, {"交易分类"}),
                  party = Find(h, {"交易对方"}), item = Find(h, {"商品说明"}), dir = Find(h, {"收/支"}),
                  money = Find(h, {"金额"}), status = Find(h, {"交易状态"}), order = Find(h, {"交易订单号"});
        bill.Rows = Rows(Table, Layout.HeaderRow, width, [&](const QStringList &c, TBillRow &row) {
            row.Category = Cell(c, category);
            row.Counterparty = Cell(c, party);
            row.Item = Cell(c, item);
            row.Status = Cell(c, status);
            row.OrderNo = Cell(c, order);
            Fill(row, Cell(c, date), Cell(c, money), Cell(c, dir));
        });
        break;
    }
    case TKnown::AlipayWeb: {
        bill.Source = QStringLiteral("支付宝");
        const int order = Find(h, {"交易号"}), created = Find(h, {"交易创建时间"}),
                  paid = Find(h, {"付款时间"}), party = Find(h, {"交易对方"}), item = Find(h, {"商品名称"}),
                  money = Find(h, {"金额(元)"}), dir = Find(h, {"收/支"}), status = Find(h, {"交易状态"});
        bill.Rows = Rows(Table, Layout.HeaderRow, width, [&](const QStringList &c, TBillRow &row) {
            row.Counterparty = Cell(c, party);
            row.Item = Cell(c, item);
            row.Status = Cell(c, status);
            row.OrderNo = Cell(c, order);
            const QString when = Cell(c, paid).isEmpty() ? Cell(c, created) : Cell(c, paid);
            QString direction = Cell(c, dir);
            if (direction.isEmpty())
                direction = QStringLiteral("不计收支");
            Fill(row, when, Cell(c, money), direction);
        });
        break;
    }
    case TKnown::WeChat: {
        bill.Source = QStringLiteral("微信支付");
        const int date = Find(h, {"交易时间"}), kind = Find(h, {"交易类型"}), party = Find(h, {"交易对方"}),
                  item = Find(h, {"商品"}), dir = Find(h, {"收/支"}), money = Find(h, {"金额(元)"}),
                  status = Find(h, {"当前状态"}), order = Find(h, {"交易单号"});
        bill.Rows = Rows(Table, Layout.HeaderRow, width, [&](const QStringList &c, TBillRow &row) {
            row.Category = Cell(c, kind);
            row.Counterparty = Cell(c, party);
            row.Item = Cell(c, item);
            row.Status = Cell(c, status);
            row.OrderNo = Cell(c, order);
            Fill(row, Cell(c, date), Cell(c, money), Cell(c, dir));
        });
        break;
    }
    case TKnown::Lumora: {
        bill.Source = QStringLiteral("Lumora");
        bill.KeepCategory = true;
        for (int r = Layout.HeaderRow + 1; r < Table.size(); ++r) {
            const QStringList &c = Table[r];
            const QString type = Cell(c, 1);
            if (type != Expense && type != Income)
                continue; // the blank and summary rows below the records
            TBillRow row;
            row.Line = r + 1;
            row.Category = Cell(c, 2);
            row.Item = Cell(c, 4);
            Fill(row, Cell(c, 0), Cell(c, 3), type);
            bill.Rows << row;
        }
        break;
    }
    case TKnown::None:
        break;
    }
    return bill;
}

TBill ReadMapped(const TBillTable &Table, int HeaderRow, const TBillMapping &m)
{
    TBill bill;
    bill.Source = QStringLiteral("其他账单");
    const int width = HeaderRow >= 0 ? int(Table[HeaderRow].size()) : 0;
    bill.Rows = Rows(Table, HeaderRow, width, [&](const QStringList &c, TBillRow &row) {
        row.Counterparty = Cell(c, m.Counterparty);
        row.Item = Cell(c, m.Memo);
        QString amount = Cell(c, m.Amount);
        QString direction;
        if (m.Amount < 0) {
            // Split columns: whichever of 收入 and 支出 holds a number.
            qint64 cents = 0;
            const QString in = Cell(c, m.Income), out = Cell(c, m.Expense);
            const bool isIn = ParseCents(in, cents) && cents != 0;
            amount = isIn ? in : out;
            direction = isIn ? Income : Expense;
        }
        const QString said = Cell(c, m.Direction);
        if (!said.isEmpty()) {
            const bool in = said.contains(QStringLiteral("收")) || said.contains(QStringLiteral("入")) ||
                            said.contains(QStringLiteral("贷"));
            direction = in ? Income : Expense;
        }
        qint64 cents = 0;
        if (m.Amount >= 0 && ParseCents(amount, cents)) {
            if (direction.isEmpty())
                direction = cents < 0 ? Expense : Income;
            amount = amount.remove(QLatin1Char('-')).remove(QLatin1Char('+'));
        }
        if (direction.isEmpty())
            direction = Expense;
        Fill(row, Cell(c, m.Date), amount, direction);
    });
    return bill;
}

int GuessHeaderRow(const TBillTable &Table)
{
    // The header is the last row before the first row that has a date.
    for (int r = 1; r < Table.size() && r < 200; ++r) {
        if (Table[r - 1].size() < 2)
            continue;
        for (const QString &cell : Table[r])
            if (ParseDate(cell).isValid())
                return r - 1;
    }
    return -1;
}

TBillMapping GuessMapping(const QStringList &h)
{
    TBillMapping m;
    m.Date = Find(h, {"交易日期", "记账日期", "日期", "交易时间", "时间", "Date"});
    m.Amount = Find(h, {"交易金额", "金额", "发生额", "Amount"});
    m.Income = Find(h, {"收入金额", "收入", "贷方金额", "贷"});
    m.Expense = Find(h, {"支出金额", "支出", "借方金额", "借"});
    m.Direction = Find(h, {"收/支", "收支", "借贷", "借贷标志"});
    m.Counterparty = Find(h, {"对方户名", "交易对方", "对方名称", "商户名称"});
    m.Memo = Find(h, {"摘要", "备注", "用途", "交易摘要"});
    if (m.Amount >= 0)
        m.Income = m.Expense = -1;
    return m;
}

QString LayoutKey(const QStringList &Header)
{
    QStringList names;
    for (const QString &cell : Header)
        names << Norm(cell);
    return QString::fromLatin1(
        QCryptographicHash::hash(names.join(QLatin1Char('\n')).toUtf8(), QCryptographicHash::Sha1).toHex());
}

QString LookedFor()
{
    return QStringLiteral("支付宝：交易时间、交易分类、交易对方、商品说明、收/支、金额、交易订单号\n"
                          "支付宝（网页版）：交易号、交易创建时间、交易对方、商品名称、金额（元）、收/支\n"
                          "微信支付：交易时间、交易类型、交易对方、商品、收/支、金额(元)、交易单号\n"
                          "Lumora：日期、类别、项目、金额、备注");
}

QDate ParseDate(const QString &Text)
{
    static const QRegularExpression separated(
        QStringLiteral("^(\\d{4})[-/.年](\\d{1,2})[-/.月](\\d{1,2})日?(?:[ T].*)?$"));
    static const QRegularExpression compact(QStringLiteral("^(\\d{4})(\\d{2})(\\d{2})(?:[ T].*)?$"));
    static const QRegularExpression serial(QStringLiteral("^(\\d{5})(?:\\.\\d+)?$"));
    const QString t = Text.trimmed();
    if (t.size() < 5 || t.size() > 40)
        return {};
    QRegularExpressionMatch m = separated.match(t);
    if (!m.hasMatch())
        m = compact.match(t);
    if (m.hasMatch())
        return QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    m = serial.match(t);
    if (m.hasMatch()) // a spreadsheet's day number, as sheets of the XLSX bills keep it
        return QDate(1899, 12, 30).addDays(m.captured(1).toInt());
    return {};
}

bool ParseCents(const QString &Text, qint64 &Cents)
{
    QString t = Text.trimmed();
    t.remove(QChar(0x00A5)).remove(QChar(0xFFE5)).remove(QLatin1Char(',')).remove(QLatin1Char(' '));
    // Two decimals, as the books keep them; zeros after them say nothing,
    // any other digit there would be lost, so the amount is not read.
    static const QRegularExpression number(
        QStringLiteral("^([-+]?)(\\d{1,%1})(?:\\.(\\d{1,%2})0*)?$").arg(MaxAmountDigits).arg(AmountDecimals));
    const QRegularExpressionMatch m = number.match(t);
    if (!m.hasMatch())
        return false;
    QString fraction = m.captured(3);
    fraction = fraction.leftJustified(2, QLatin1Char('0'));
    Cents = m.captured(2).toLongLong() * 100 + fraction.toLongLong();
    if (m.captured(1) == QStringLiteral("-"))
        Cents = -Cents;
    return true;
}
} // namespace BillFormats

QString TBillMapping::Save() const
{
    return QStringLiteral("%1,%2,%3,%4,%5,%6,%7")
        .arg(Date)
        .arg(Amount)
        .arg(Income)
        .arg(Expense)
        .arg(Direction)
        .arg(Counterparty)
        .arg(Memo);
}

TBillMapping TBillMapping::Load(const QString &Text)
{
    const QStringList parts = Text.split(QLatin1Char(','));
    TBillMapping m;
    if (parts.size() != 7)
        return m;
    int *fields[] = {&m.Date, &m.Amount, &m.Income, &m.Expense, &m.Direction, &m.Counterparty, &m.Memo};
    for (int i = 0; i < 7; ++i)
        *fields[i] = parts[i].toInt();
    return m;
}
