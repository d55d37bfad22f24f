// The ledger's records: entry, correction, deletion into the trash, and the
// categories' totals of a range.
#include "data/unt_clsDatabaseUser.h"

#include "data/unt_clsAmount.h"
#include "data/unt_clsBase64.h"
#include "data/unt_clsConnection.h"
#include "data/unt_clsTrash.h"

#include <QHash>

using Base64::DecodeText;
using Base64::EncodeText;

namespace
{
QString DateText(const QDate &Date)
{
    return Date.toString(QStringLiteral("yyyy-MM-dd"));
}

void RequireDecimal(const QString &Money)
{
    // The last guard before the books: whatever a caller passes, no record
    // of nothing, and no amount a field could not show whole.
    QString problem;
    switch (IsPlainDecimal(Money) ? CheckAmount(Money) : TAmountCheck::BadFormat) {
    case TAmountCheck::Ok:
        return;
    case TAmountCheck::BadFormat:
        problem = QStringLiteral("金额“%1”不是有效的数字，记录没有保存。");
        break;
    case TAmountCheck::NotPositive:
        problem = QStringLiteral("金额“%1”不大于0，记录没有保存。");
        break;
    case TAmountCheck::TooManyDecimals:
        problem = QStringLiteral("金额“%1”超过两位小数，记录没有保存。");
        break;
    case TAmountCheck::TooLarge:
        problem = QStringLiteral("金额“%1”太大，记录没有保存。");
        break;
    }
    throw TclsDatabaseError(problem.arg(Money).toStdString(), 0);
}

// A record shown on the screen that is gone from the books, or is not the
// member's (numbers come back with a restore).
QString NotYours(const QString &ID)
{
    return QStringLiteral("您的数据中已经没有编号为 %1 的记录（可能已被删除，或数据刚刚恢复过），"
                          "什么也没有修改。请重新查看。")
        .arg(ID);
}

void RequireId(const QString &ID)
{
    if (!IsPlainInteger(ID))
        throw TclsDatabaseError(QStringLiteral("记录编号“%1”无效。").arg(ID).toStdString(), 0);
}

} // namespace

// ---- ledger ------------------------------------------------------------------

void TclsDatabaseUser::AddRecords(const QString &UserName, const QString &ProgramType,
                                  const QStringList &Dates, const QStringList &Names,
                                  const QStringList &Moneys, const QStringList &Memos,
                                  const TRecordsAddedHook &AfterInsert)
{
    const qsizetype n = Dates.size();
    if (n == 0)
        return;
    if (Names.size() < n || Moneys.size() < n || Memos.size() < n)
        throw TclsDatabaseError("AddRecords: the lists are of different lengths", 0);
    for (qsizetype i = 0; i < n; ++i) {
        RequireDecimal(Moneys[i]);
        if (!QDate::fromString(Dates[i], QStringLiteral("yyyy-MM-dd")).isValid())
            throw TclsDatabaseError(QStringLiteral("日期“%1”无效。").arg(Dates[i]).toStdString(), 0);
    }
    const QString user = EncodeText(UserName);
    const QString type = EncodeText(ProgramType);
    TclsConnection db(FDatabaseFile);
    TclsTransaction transaction(db); // all the rows or none of them
    std::vector<TclsSqlValues> rows;
    rows.reserve(size_t(n));
    for (qsizetype i = 0; i < n; ++i)
        rows.push_back({Dates[i], type, EncodeText(Names[i]), Moneys[i], EncodeText(Memos[i]), user});
    const QList<qint64> ids = db.InsertRows(
        "All_Table", "Program_Date,Program_Type,Program_Name,Program_Money,Program_Memo,User_Name", rows);
    if (AfterInsert)
        AfterInsert(db, ids);
    transaction.Commit();
}

void TclsDatabaseUser::DeleteRecord(const QString &ID)
{
    RequireId(ID);
    TclsConnection db(FDatabaseFile);
    // Into the trash, not gone: a mistaken delete can be taken back.
    TclsTransaction transaction(db);
    MoveRecordToTrash(db, ID.toLongLong());
    transaction.Commit();
}

void TclsDatabaseUser::UpdateRecord(const QString &ID, const QString &Name, const QString &Money,
                                    const QString &Memo)
{
    RequireId(ID);
    RequireDecimal(Money);
    TclsConnection db(FDatabaseFile);
    db.Execute("update All_Table set Program_Name=?,Program_Money=?,Program_Memo=? where ID=?",
               {EncodeText(Name), Money, EncodeText(Memo), ID.toLongLong()});
}

void TclsDatabaseUser::DeleteRecord(const QString &UserName, const QString &ID)
{
    RequireId(ID);
    TclsConnection db(FDatabaseFile);
    TclsTransaction transaction(db);
    if (!MoveRecordToTrash(db, ID.toLongLong(), EncodeText(UserName)))
        throw TclsDatabaseError(NotYours(ID).toStdString(), 0);
    transaction.Commit();
}

void TclsDatabaseUser::UpdateRecord(const QString &UserName, const QString &ID, const QString &Name,
                                    const QString &Money, const QString &Memo)
{
    RequireId(ID);
    RequireDecimal(Money);
    TclsConnection db(FDatabaseFile);
    db.Execute(
        "update All_Table set Program_Name=?,Program_Money=?,Program_Memo=? where ID=? and User_Name=?",
        {EncodeText(Name), Money, EncodeText(Memo), ID.toLongLong(), EncodeText(UserName)});
    if (db.Changes() == 0)
        throw TclsDatabaseError(NotYours(ID).toStdString(), 0);
}

void TclsDatabaseUser::GetProgramTotals(const QString &UserName, const QString &ProgramType,
                                        const QDate &DateFrom, const QDate &DateTo, TotalsLists &Totals)
{
    for (auto &list : Totals)
        list.clear();
    if (DateFrom.daysTo(DateTo) < 0)
        return;
    TclsConnection db(FDatabaseFile);
    double grand = 0;
    QStringList order; // stored names, first appearance first
    QHash<QString, double> sums;
    for (auto rs =
             db.Query("select Program_Name,Program_Money from All_Table where User_Name=? and "
                      "Program_Type=? and Program_Date>=? and Program_Date<=? order by ID",
                      {EncodeText(UserName), EncodeText(ProgramType), DateText(DateFrom), DateText(DateTo)});
         !rs.Eof(); rs.MoveNext()) {
        const QString name = rs.Field(0);
        const double money = rs.FieldDouble(1);
        grand += money;
        auto it = sums.find(name);
        if (it == sums.end()) {
            order << name;
            sums.insert(name, money);
        } else {
            it.value() += money;
        }
    }
    for (const QString &name : order) {
        const double total = sums.value(name);
        Totals[0] << DecodeText(name);
        Totals[1] << FormatMoney(total);
        Totals[2] << FormatMoney(grand > 0 ? total * 100 / grand : 0);
    }
    // Largest first by plain exchange; equal totals never change places.
    const qsizetype n = Totals[0].size();
    for (qsizetype i = 0; i + 1 < n; ++i)
        for (qsizetype j = i + 1; j < n; ++j)
            if (ParseMoney(Totals[1][i]) < ParseMoney(Totals[1][j]))
                for (auto &list : Totals)
                    list.swapItemsAt(i, j);
}
