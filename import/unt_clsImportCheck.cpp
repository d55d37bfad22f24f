#include "import/unt_clsImportCheck.h"

#include <QCryptographicHash>

namespace ImportCheck
{
namespace
{
const QString Expense = QStringLiteral("支出");
const QString Income = QStringLiteral("收入");

bool IsPlaceholder(const QString &Text)
{
    return Text.isEmpty() || Text == QStringLiteral("/");
}

QString Propose(const TBillRow &Row, const QString &Type, const TImportContext &Context)
{
    const QString rule = Context.Rules.value(RuleKey(Type, Row.Counterparty));
    if (!rule.isEmpty())
        return rule;
    const QStringList &names = Type == Expense ? Context.OutNames : Context.InNames;
    if (!Row.Category.isEmpty() && names.contains(Row.Category))
        return Row.Category;
    const QString other = Type == Expense ? QStringLiteral("其他支出") : QStringLiteral("其他收入");
    if (names.contains(other) || names.isEmpty())
        return other;
    return names.first();
}

// Bills without order numbers (bank files, our own exports) still need a
// key that a second import of the same file finds again: the row's content
// and how often that content came before it in the file.
QString ContentKey(const QString &Source, const TBillRow &Row, QHash<QString, int> &Seen)
{
    const QString content = QStringList{Source,           Row.Date.toString(Qt::ISODate),
                                        Row.Type,         QString::number(Row.Cents),
                                        Row.Counterparty, Row.Item}
                                .join(QLatin1Char('\x1f'));
    const QByteArray hash =
        QCryptographicHash::hash(content.toUtf8(), QCryptographicHash::Sha1).toHex().left(20);
    return QStringLiteral("%1:%2#%3").arg(Source, QString::fromLatin1(hash)).arg(Seen[content]++);
}

// The expenses of a bill a refund may give back, found by order number and
// by counterparty (the first in the file: bills list the newest first).
struct TExpenses {
    QHash<QString, QString> ByOrder, ByParty;
};

TExpenses IndexExpenses(const QList<TImportRow> &Rows)
{
    TExpenses e;
    for (const TImportRow &row : Rows) {
        if (row.Type != Expense)
            continue;
        if (!row.Bill.OrderNo.isEmpty())
            e.ByOrder.insert(row.Bill.OrderNo, row.Name);
        if (row.Bill.Kind == TBillRow::TKind::Normal && !row.Bill.Counterparty.isEmpty() &&
            !e.ByParty.contains(row.Bill.Counterparty))
            e.ByParty.insert(row.Bill.Counterparty, row.Name);
    }
    return e;
}

// The category of the expense a refund gives back: a refund's order number
// begins with the original's (in this bill or saved before); else the
// counterparty's expense in this bill, else its rule.
QString RefundCategory(const TBillRow &Refund, const TExpenses &Expenses, const TImportContext &Context)
{
    const QString &order = Refund.OrderNo;
    if (order.size() <= 64) // real order numbers are short; a long one is no reason to search
        for (qsizetype length = order.size() - 1; length >= 8; --length) {
            const QString prefix = order.left(length);
            if (auto it = Expenses.ByOrder.constFind(prefix); it != Expenses.ByOrder.constEnd())
                return it.value();
            if (auto it = Context.Imported.constFind(prefix); it != Context.Imported.constEnd())
                return it.value();
        }
    if (auto it = Expenses.ByParty.constFind(Refund.Counterparty); it != Expenses.ByParty.constEnd())
        return it.value();
    return Context.Rules.value(RuleKey(Expense, Refund.Counterparty));
}
} // namespace

QString StoredKey(const QString &Date, const QString &Type, qint64 Cents)
{
    return Date + QLatin1Char('|') + Type + QLatin1Char('|') + QString::number(Cents);
}

QString RuleKey(const QString &Type, const QString &Counterparty)
{
    return Type + QLatin1Char('\n') + Counterparty;
}

QString BuildMemo(const QString &Counterparty, const QString &Item)
{
    QStringList parts;
    for (const QString &part : {Counterparty, Item})
        if (!IsPlaceholder(part) && !parts.contains(part))
            parts << part;
    QString memo = parts.join(QLatin1Char(' '));
    // Stray tabs and line breaks inside cells (some WeChat exports have
    // them) would break the memo's one line.
    for (const char control : {'\r', '\n', '\t'})
        memo.replace(QLatin1Char(control), QLatin1Char(' '));
    if (memo.size() > MemoLimit) {
        qsizetype cut = MemoLimit;
        if (memo[cut - 1].isHighSurrogate())
            --cut; // never half a character
        memo.truncate(cut);
    }
    return memo;
}

QList<TImportRow> Check(const TBill &Bill, const TImportContext &Context)
{
    QList<TImportRow> rows;
    rows.reserve(Bill.Rows.size());
    QHash<QString, int> seen;
    QHash<QString, int> stored = Context.Stored;
    for (const TBillRow &bill : Bill.Rows) {
        TImportRow row;
        row.Bill = bill;
        row.Type = bill.Type == Income ? Income : Expense;
        row.Memo = BuildMemo(bill.Counterparty, bill.Item);
        row.Key = bill.OrderNo.isEmpty() ? ContentKey(Bill.Source, bill, seen) : bill.OrderNo;
        row.Name =
            Bill.KeepCategory && !bill.Category.isEmpty() ? bill.Category : Propose(bill, row.Type, Context);
        rows << row;
    }
    // Rows saved before take their own records out of the comparison, so
    // only records of other origin can make a row a likely duplicate.
    for (TImportRow &row : rows)
        if (auto saved = Context.Imported.constFind(row.Key); saved != Context.Imported.constEnd()) {
            row.State = QStringLiteral("已导入");
            row.Name = saved.value();
            row.Group = TImportRow::TGroup::Duplicate;
            const QString key = StoredKey(row.Bill.Date.toString(Qt::ISODate), row.Type, row.Bill.Cents);
            if (stored.value(key) > 0)
                --stored[key];
        } else if (row.Bill.Problem.isEmpty() && Context.Pending.contains(row.Key)) {
            // Taken by an earlier import and not saved yet.
            row.State = QStringLiteral("待保存");
            row.Group = TImportRow::TGroup::Duplicate;
        }
    const TExpenses expenses = IndexExpenses(rows);
    for (TImportRow &row : rows) {
        if (!row.State.isEmpty())
            continue;
        const TBillRow &bill = row.Bill;
        row.Group = TImportRow::TGroup::Skipped;
        if (!bill.Problem.isEmpty()) {
            row.State = bill.Problem;
        } else if (bill.Kind == TBillRow::TKind::Closed) {
            row.State = QStringLiteral("交易关闭");
        } else if (bill.Kind == TBillRow::TKind::Neutral) {
            row.State = QStringLiteral("不计收支");
        } else if (bill.Cents == 0) {
            row.State = QStringLiteral("金额为0");
        } else {
            const QString key = StoredKey(bill.Date.toString(Qt::ISODate), row.Type, bill.Cents);
            if (stored.value(key) > 0) {
                --stored[key];
                row.State = QStringLiteral("可能重复");
                row.Group = TImportRow::TGroup::Duplicate;
            } else {
                row.Checked = true;
                row.Group = TImportRow::TGroup::New;
                row.State =
                    bill.Kind == TBillRow::TKind::Refund ? QStringLiteral("退款") : QStringLiteral("新");
            }
        }
        if (bill.Kind == TBillRow::TKind::Refund) {
            const QString original = RefundCategory(bill, expenses, Context);
            if (!original.isEmpty())
                row.Name = original;
        }
    }
    return rows;
}

TImportSummary Summarise(const QList<TImportRow> &Rows)
{
    TImportSummary s;
    s.All = int(Rows.size());
    for (const TImportRow &row : Rows)
        ++(row.Group == TImportRow::TGroup::New
               ? s.New
               : (row.Group == TImportRow::TGroup::Duplicate ? s.Duplicate : s.Skipped));
    return s;
}
} // namespace ImportCheck

QString TImportSummary::Text() const
{
    return QStringLiteral("共 %1 条：新 %2 条，重复 %3 条，跳过 %4 条")
        .arg(All)
        .arg(New)
        .arg(Duplicate)
        .arg(Skipped);
}
