// Reading a range for the trends and the budgets: amounts only, summed in
// whole cents, each stored category name decoded once.
#include "data/unt_clsDatabaseUser.h"

#include "data/unt_clsAmount.h"
#include "data/unt_clsBase64.h"
#include "data/unt_clsConnection.h"

namespace
{
// Stored names repeat endlessly across a ledger: each stored form is
// decoded once and looked up by its raw bytes without a copy.
template <class TValue> class TStoredNames
{
  public:
    explicit TStoredNames(std::function<TValue(const QString &)> Make) : FMake(std::move(Make)) {}
    TValue Find(QByteArrayView Stored)
    {
        const QByteArray key = QByteArray::fromRawData(Stored.data(), Stored.size());
        auto it = FIndex.constFind(key);
        if (it == FIndex.constEnd())
            it = FIndex.insert(
                QByteArray(Stored.data(), Stored.size()),
                FMake(Stored.isEmpty() ? QString() : Base64::FromGB18030(Base64::DecodeBytes(key))));
        return it.value();
    }

  private:
    std::function<TValue(const QString &)> FMake;
    QHash<QByteArray, TValue> FIndex;
};

// The day of a stored date within a range of Days days from From, or -1 for
// a date outside it or one that is no day of the calendar in its exact form.
class TStoredDays
{
  public:
    TStoredDays(const QDate &From, qsizetype Days) : FFrom(From), FDays(Days) {}
    qint32 Find(QByteArrayView Stored)
    {
        if (Stored != FLast) {
            FLast = Stored.toByteArray();
            const QDate parsed = QDate::fromString(QString::fromLatin1(FLast), QStringLiteral("yyyy-MM-dd"));
            FDay =
                parsed.isValid() && DayText(parsed).toLatin1() == FLast ? qint32(FFrom.daysTo(parsed)) : -1;
            if (FDay >= FDays)
                FDay = -1;
        }
        return FDay;
    }

  private:
    QDate FFrom;
    qsizetype FDays;
    QByteArray FLast;
    qint32 FDay = -1;
};
} // namespace

void TclsDatabaseUser::GetCategoryDays(const QString &UserName, const QDate &DateFrom, const QDate &DateTo,
                                       TCategoryDays &Days)
{
    Days.Reset(DateFrom, DateTo);
    if (Days.DayCount() == 0)
        return;
    const QString user = Base64::EncodeText(UserName);
    TclsConnection db(FDatabaseFile);
    auto count = db.Query("select count(*) from All_Table where User_Name=? and Program_Date>=? and "
                          "Program_Date<=?",
                          {user, DayText(DateFrom), DayText(DateTo)});
    Days.Reserve(count.Eof() ? 0 : count.FieldInt64(0));
    const QByteArray expense = Base64::EncodeText(QStringLiteral("支出")).toUtf8();
    TStoredNames<quint32> names([&Days](const QString &Name) { return Days.AddName(Name); });
    TStoredDays days(DateFrom, Days.DayCount());
    for (auto rs = db.Query("select Program_Date,Program_Type,Program_Name,Program_Money from All_Table "
                            "where User_Name=? and Program_Date>=? and Program_Date<=? "
                            "order by Program_Date",
                            {user, DayText(DateFrom), DayText(DateTo)});
         !rs.Eof(); rs.MoveNext()) {
        const qint32 day = days.Find(rs.RawField(0));
        if (day < 0)
            continue;
        TCategoryDays::TEntry entry;
        entry.Day = day;
        entry.Income = rs.RawField(1) != expense;
        entry.Name = names.Find(rs.RawField(2));
        entry.Cents = MoneyCents(rs.FieldDouble(3));
        Days.Append(entry);
    }
}

QHash<QString, qint64> TclsDatabaseUser::GetExpenseByName(const QString &UserName, const QDate &DateFrom,
                                                          const QDate &DateTo)
{
    QHash<QString, qint64> sums;
    if (!DateFrom.isValid() || DateFrom.daysTo(DateTo) < 0)
        return sums;
    TclsConnection db(FDatabaseFile);
    TStoredNames<QString> names([](const QString &Name) { return Name; });
    TStoredDays days(DateFrom, DateFrom.daysTo(DateTo) + 1);
    for (auto rs = db.Query("select Program_Date,Program_Name,Program_Money from All_Table where "
                            "User_Name=? and Program_Date>=? and Program_Date<=? and Program_Type=?",
                            {Base64::EncodeText(UserName), DayText(DateFrom), DayText(DateTo),
                             Base64::EncodeText(QStringLiteral("支出"))});
         !rs.Eof(); rs.MoveNext())
        if (days.Find(rs.RawField(0)) >= 0)
            sums[names.Find(rs.RawField(1))] += MoneyCents(rs.FieldDouble(2));
    return sums;
}
