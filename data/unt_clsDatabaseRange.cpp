// Reading a range of the books: one query, one pass, nothing made per
// record but a small fixed entry.
#include "data/unt_clsDatabaseUser.h"

#include "data/unt_clsAmount.h"
#include "data/unt_clsBase64.h"
#include "data/unt_clsSqlite.h"

#include <QHash>

namespace
{
QString DateText(const QDate &Date)
{
    return Date.toString(QStringLiteral("yyyy-MM-dd"));
}

// Names, types and memos repeat endlessly across a ledger: each stored form
// is decoded once, and looked up by its raw bytes without a copy.
class TTextIndex
{
  public:
    explicit TTextIndex(TRangeRecords &Records) : FRecords(Records) {}

    quint32 Find(QByteArrayView Stored)
    {
        const QByteArray key = QByteArray::fromRawData(Stored.data(), Stored.size());
        auto it = FIndex.constFind(key);
        if (it == FIndex.constEnd())
            it = FIndex.insert(QByteArray(Stored.data(), Stored.size()),
                               FRecords.AddText(Stored.isEmpty()
                                                    ? QString()
                                                    : Base64::FromGB18030(Base64::DecodeBytes(key))));
        return it.value();
    }

  private:
    TRangeRecords &FRecords;
    QHash<QByteArray, quint32> FIndex;
};
} // namespace

TDayTotals SumDays(const DayLists &Days)
{
    TDayTotals totals;
    for (qsizetype i = 0; i < Days[0].size(); ++i) {
        totals.Out += ParseMoney(Days[1][i]);
        totals.In += ParseMoney(Days[2][i]);
        totals.Balance += ParseMoney(Days[3][i]);
    }
    return totals;
}

void TclsDatabaseUser::GetDayRecords(const QString &UserName, const QDate &DateFrom, const QDate &DateTo,
                                     DayLists &Days, DetailLists &Details)
{
    TRangeRecords records;
    GetRangeRecords(UserName, DateFrom, DateTo, Days, records);
    Details = records.Lists();
}

void TclsDatabaseUser::GetRangeRecords(const QString &UserName, const QDate &DateFrom, const QDate &DateTo,
                                       DayLists &Days, TRangeRecords &Records)
{
    for (auto &list : Days)
        list.clear();
    const qint64 dayCount = DateFrom.isValid() ? DateFrom.daysTo(DateTo) : -1;
    Records.Reset(DateFrom, dayCount < 0 ? DateFrom.addDays(-1) : DateTo);
    if (dayCount < 0)
        return;
    TclsConnection db(FDatabaseFile);
    // One query for the whole range; the stored type's order puts a day's
    // expenses before its income, each in the order they were entered.
    auto rs = db.Query("select ID,Program_Date,Program_Type,Program_Name,Program_Money,Program_Memo "
                       "from All_Table where User_Name=? and Program_Date>=? and Program_Date<=? "
                       "order by Program_Date asc,Program_Type asc,ID asc",
                       {Base64::EncodeText(UserName), DateText(DateFrom), DateText(DateTo)});
    const QByteArray expense = Base64::EncodeText(QStringLiteral("支出")).toUtf8();
    TTextIndex texts(Records);
    for (auto &list : Days)
        list.reserve(dayCount + 1);
    Records.Reserve(dayCount * 4);
    for (qint64 k = 0; k <= dayCount; ++k) {
        const QString day = DateText(DateFrom.addDays(k));
        const QByteArray dayBytes = day.toLatin1();
        double out = 0, in = 0;
        while (!rs.Eof()) {
            const QByteArrayView date = rs.RawField(1);
            if (date.compare(dayBytes) > 0)
                break;
            if (date == dayBytes) {
                TRangeRecord record;
                record.Id = rs.FieldInt64(0);
                record.Day = qint32(k);
                const QByteArrayView storedType = rs.RawField(2);
                record.Income = storedType != expense;
                record.Type = texts.Find(storedType);
                record.Name = texts.Find(rs.RawField(3));
                record.Money = rs.FieldDouble(4);
                record.Memo = texts.Find(rs.RawField(5));
                (record.Income ? in : out) += record.Money;
                Records.Append(record);
            }
            rs.MoveNext();
        }
        Days[0] << day;
        Days[1] << FormatMoney(out);
        Days[2] << FormatMoney(in);
        Days[3] << FormatMoney(in - out);
    }
}
