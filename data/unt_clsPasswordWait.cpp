#include "data/unt_clsPasswordWait.h"

#include "data/unt_clsConnection.h"

#include <QDateTime>
#include <QHash>

#include <algorithm>

namespace
{
struct TCount {
    int Failures = 0;
    qint64 LastMs = 0;
};

QHash<QString, TCount> &Memory()
{
    static QHash<QString, TCount> counts;
    return counts;
}

QString Key(const QString &Place, const QString &Name)
{
    return Place + QChar(0) + Name;
}

// The count the books keep; none when they are of an older layout or
// cannot be read: the memory's count stands then.
TCount InBooks(TclsConnection *Db, const QString &Name)
{
    TCount count;
    if (!Db)
        return count;
    try {
        auto rs = Db->Query("select Failures,Last_Failure from Password_Failures where User_Name=?", {Name});
        if (!rs.Eof())
            count = {int(rs.FieldInt64(0)), rs.FieldInt64(1)};
    } catch (const TclsDatabaseError &) {
    }
    return count;
}
} // namespace

namespace PasswordWait
{
int WaitAfter(int Failures)
{
    if (Failures < 3)
        return 0;
    return Failures - 3 >= 5 ? 30 : std::min(30, 1 << (Failures - 3));
}

int SecondsLeft(TclsConnection *Db, const QString &Place, const QString &Name)
{
    const TCount books = InBooks(Db, Name);
    const TCount memory = Memory().value(Key(Place, Name));
    const int wait = WaitAfter(std::max(books.Failures, memory.Failures));
    if (wait == 0)
        return 0;
    const qint64 last = std::max(books.LastMs, memory.LastMs);
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (now < last) // a clock set back: the whole wait, not a wait of hours
        return wait;
    const qint64 left = last + wait * 1000LL - now;
    return left > 0 ? int((left + 999) / 1000) : 0;
}

void Failed(TclsConnection *Db, const QString &Place, const QString &Name)
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    TCount &memory = Memory()[Key(Place, Name)];
    memory.Failures = std::max(memory.Failures, InBooks(Db, Name).Failures) + 1;
    memory.LastMs = now;
    if (!Db)
        return;
    try {
        Db->Execute("insert into Password_Failures (User_Name,Failures,Last_Failure) values (?,1,?) on "
                    "conflict(User_Name) do update set "
                    "Failures=Password_Failures.Failures+1,Last_Failure=excluded.Last_Failure",
                    {Name, now});
    } catch (const TclsDatabaseError &) {
        // Read-only or older books: the count in memory goes on alone.
    }
}

void Succeeded(TclsConnection *Db, const QString &Place, const QString &Name)
{
    Memory().remove(Key(Place, Name));
    if (!Db)
        return;
    try {
        Db->Execute("delete from Password_Failures where User_Name=?", {Name});
    } catch (const TclsDatabaseError &) {
    }
}
} // namespace PasswordWait
