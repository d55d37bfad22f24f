#pragma once
// The layouts of the bills a household brings in, recognised from the
// header row's column names wherever the row stands, and their rows read
// into one shape. Pure code: no store, no windows.
#include "import/unt_clsBillTable.h"

#include <QDate>

// One data row of a bill.
struct TBillRow {
    enum class TKind { Normal, Neutral, Closed, Refund };
    int Line = 0; // row number in the table, for the user
    QDate Date;
    QString Type; // "支出" or "收入"; a neutral row keeps its own direction text
    qint64 Cents = 0;
    QString Counterparty, Item, Category, Status, OrderNo;
    TKind Kind = TKind::Normal;
    QString Problem; // "无法识别的日期" or "无法识别的金额"
};

struct TBill {
    QString Source;            // kept with each saved record: "支付宝", "微信支付", ...
    bool KeepCategory = false; // our own exports: the category is the user's own name
    QList<TBillRow> Rows;
};

// The columns of a bill of no known layout, chosen by the user; -1 is none.
struct TBillMapping {
    int Date = -1, Amount = -1, Income = -1, Expense = -1, Direction = -1, Counterparty = -1, Memo = -1;
    bool IsUsable() const { return Date >= 0 && (Amount >= 0 || Income >= 0 || Expense >= 0); }
    QString Save() const;
    static TBillMapping Load(const QString &Text);
};

namespace BillFormats
{
enum class TKnown { None, Alipay, AlipayWeb, WeChat, Lumora };
struct TLayout {
    TKnown Kind = TKnown::None;
    int HeaderRow = -1;
};
TLayout Recognise(const TBillTable &Table);
TBill Read(const TBillTable &Table, const TLayout &Layout);
TBill ReadMapped(const TBillTable &Table, int HeaderRow, const TBillMapping &Mapping);

// For a bill of no known layout: the likely header row (-1 when the table
// has no row that looks like one), a first guess at its columns, and the
// key under which the user's choice is remembered.
int GuessHeaderRow(const TBillTable &Table);
TBillMapping GuessMapping(const QStringList &Header);
QString LayoutKey(const QStringList &Header);
// What an unknown layout's message lists.
QString LookedFor();

QDate ParseDate(const QString &Text);
bool ParseCents(const QString &Text, qint64 &Cents);
} // namespace BillFormats
