// Reading a range of the books: one query, one pass, nothing made per
// record but a small fixed entry.
#include "data/unt_clsDatabaseUser.h"

#include "data/unt_clsBase64.h"
#include "data/unt_clsConnection.h"

#include <QFile>

#include <sys/stat.h>

#include <algorithm>


void TclsDatabaseUser::GetDayRecords(const QString &UserName, const QDate &DateFrom, const QDate &DateTo,
                                     DayLists &Days, DetailLists &Details)
{
    TRangeRecords records;
    GetRangeRecords(UserName, DateFrom, DateTo, records);
    Days = records.Days();
    Details = records.Lists();
}

void TclsDatabaseUser::GetRangeRecords(const QString &UserName, const QDate &DateFrom, const QDate &DateTo,
                                       TRangeRecords &Records)
{
    Records.Reset(DateFrom, DateTo);
    if (Records.DayCount() == 0)
        return;
    TclsConnection db(FDatabaseFile);
    // One query for the whole range; the stored type's order puts a day's
    // expenses before its income, each in the order they were entered.
    auto rs = db.Query("select ID,Program_Date,Program_Type,Program_Name,Program_Money,Program_Memo "
                       "from All_Table where User_Name=? and Program_Date>=? and Program_Date<=? "
                       "order by Program_Date asc,Program_Type asc,ID asc",
                       {Base64::EncodeText(UserName), DayText(DateFrom), DayText(DateTo)});
    const QByteArray expense = Base64::EncodeText(QStringLiteral("支出")).toUtf8();
    // The count first: the index answers it alone, and the records then
    // land in one block of their size instead of one of up to twice it,
    // copied from block to block as the list grows.
    auto count = db.Query("select count(*) from All_Table where User_Name=? and Program_Date>=? and "
                          "Program_Date<=?",
                          {Base64::EncodeText(UserName), DayText(DateFrom), DayText(DateTo)});
    Records.Reserve(count.Eof() ? 0 : count.FieldInt64(0));
    // Dates come in text order, the same as day order; a stored date that
    // is no day of the calendar in its exact form belongs to no day.
    QByteArray lastDate;
    qint32 lastDay = -1;
    for (; !rs.Eof(); rs.MoveNext()) {
        const QByteArrayView date = rs.RawField(1);
        if (date != lastDate) {
            lastDate = date.toByteArray();
            const QDate parsed =
                QDate::fromString(QString::fromLatin1(lastDate), QStringLiteral("yyyy-MM-dd"));
            lastDay = parsed.isValid() && DayText(parsed).toLatin1() == lastDate
                          ? qint32(DateFrom.daysTo(parsed))
                          : -1;
            if (lastDay >= Records.DayCount())
                lastDay = -1;
        }
        if (lastDay < 0)
            continue;
        TRangeRecord record;
        record.Id = rs.FieldInt64(0);
        record.Day = lastDay;
        const QByteArrayView storedType = rs.RawField(2);
        record.Income = storedType != expense;
        record.Type = Records.AddStoredText(storedType);
        record.Name = Records.AddStoredText(rs.RawField(3));
        record.Money = rs.FieldDouble(4);
        record.Memo = Records.AddStoredText(rs.RawField(5));
        Records.Append(record);
    }
}

QByteArray TclsDatabaseUser::ChangeStamp() const
{
    struct stat info {
    };
    if (::stat(QFile::encodeName(FDatabaseFile).constData(), &info) != 0)
        return {}; // no stamp: nothing read before counts as current
    const qint64 parts[] = {qint64(TclsConnection::LedgerWrites()), qint64(info.st_dev), qint64(info.st_ino),
                            qint64(info.st_size), qint64(info.st_mtim.tv_sec), qint64(info.st_mtim.tv_nsec),
                            qint64(info.st_ctim.tv_sec), qint64(info.st_ctim.tv_nsec)};
    return QByteArray(reinterpret_cast<const char *>(parts), sizeof parts);
}
