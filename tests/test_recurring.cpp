// Recurring entries below the windows: the dates they fall due on, and the
// store that keeps them per user and remembers what was saved.
#include "data/unt_clsRecurring.h"
#include "data/unt_clsRecurringStore.h"
#include "data/unt_clsConnection.h"
#include "tests/support/unt_testDb.h"

#include <QtTest>

namespace
{
QList<QDate> Dates(const QDate &Start, TRecurringCycle Cycle, int Count)
{
    QList<QDate> dates;
    for (int i = 0; i < Count; ++i)
        dates << Occurrence(Start, Cycle, i);
    return dates;
}

TRecurringEntry Entry(const QString &Name, TRecurringCycle Cycle, const QDate &Start, const QDate &End = {},
                      const QString &Type = QStringLiteral("支出"))
{
    TRecurringEntry entry;
    entry.Type = Type;
    entry.Name = Name;
    entry.Money = QStringLiteral("100.00");
    entry.Memo = Name + QStringLiteral("备注");
    entry.Cycle = Cycle;
    entry.Start = Start;
    entry.End = End;
    return entry;
}

// The first occurrence after After, found by walking from the start.
QDate WalkedNext(const TRecurringEntry &Entry, const QDate &After)
{
    for (qint64 i = 0;; ++i) {
        const QDate date = Occurrence(Entry.Start, Entry.Cycle, i);
        if (!date.isValid() || (Entry.End.isValid() && date > Entry.End))
            return {};
        if (!After.isValid() || date > After)
            return date;
    }
}
} // namespace

class TestRecurring : public QObject
{
    Q_OBJECT

  private slots:
    void monthlyFromThe31stThroughFebruary()
    {
        const QDate start(2024, 1, 31);
        QCOMPARE(Dates(start, TRecurringCycle::Monthly, 5),
                 QList<QDate>({QDate(2024, 1, 31), QDate(2024, 2, 29), QDate(2024, 3, 31), QDate(2024, 4, 30),
                               QDate(2024, 5, 31)}));
        // Not a leap year: the 28th, and the 31st again in March.
        QCOMPARE(Occurrence(start, TRecurringCycle::Monthly, 13), QDate(2025, 2, 28));
        QCOMPARE(Occurrence(start, TRecurringCycle::Monthly, 14), QDate(2025, 3, 31));
        // The 29th of a February start: the last day in other years.
        QCOMPARE(Dates(QDate(2024, 2, 29), TRecurringCycle::Yearly, 5),
                 QList<QDate>({QDate(2024, 2, 29), QDate(2025, 2, 28), QDate(2026, 2, 28), QDate(2027, 2, 28),
                               QDate(2028, 2, 29)}));
        QCOMPARE(
            Dates(QDate(2025, 11, 30), TRecurringCycle::Quarterly, 4),
            QList<QDate>({QDate(2025, 11, 30), QDate(2026, 2, 28), QDate(2026, 5, 30), QDate(2026, 8, 30)}));
        QCOMPARE(Dates(QDate(2026, 2, 26), TRecurringCycle::Weekly, 3),
                 QList<QDate>({QDate(2026, 2, 26), QDate(2026, 3, 5), QDate(2026, 3, 12)}));
    }

    void nextOccurrenceAgreesWithAWalkFromTheStart()
    {
        // The direct estimate must land on the same date as a walk, for
        // every day of a few years after awkward starts.
        const QDate starts[] = {QDate(2023, 1, 31), QDate(2024, 2, 29), QDate(2023, 12, 30),
                                QDate(2024, 3, 1)};
        for (const QDate &start : starts)
            for (int cycle = 0; cycle < 4; ++cycle) {
                const TRecurringEntry entry = Entry(QStringLiteral("x"), TRecurringCycle(cycle), start);
                for (QDate after = start.addDays(-3); after < QDate(2027, 3, 1); after = after.addDays(1))
                    QCOMPARE(NextOccurrence(entry, after), WalkedNext(entry, after));
                QCOMPARE(NextOccurrence(entry, QDate()), start);
            }
    }

    void dueUpToTodayAndTheEndDate()
    {
        const TRecurringEntry rent =
            Entry(QStringLiteral("房租"), TRecurringCycle::Monthly, QDate(2026, 1, 15));
        QCOMPARE(DueOccurrences(rent, {}, QDate(2026, 3, 14), 400).Dates,
                 QList<QDate>({QDate(2026, 1, 15), QDate(2026, 2, 15)}));
        // Today's occurrence is due today.
        QCOMPARE(DueOccurrences(rent, QDate(2026, 2, 15), QDate(2026, 3, 15), 400).Dates,
                 QList<QDate>({QDate(2026, 3, 15)}));
        QVERIFY(DueOccurrences(rent, QDate(2026, 3, 15), QDate(2026, 4, 14), 400).Dates.isEmpty());
        QVERIFY(DueOccurrences(rent, {}, QDate(2026, 1, 14), 400).Dates.isEmpty());
        // The end date counts when an occurrence falls on it.
        TRecurringEntry ending = rent;
        ending.End = QDate(2026, 3, 15);
        QCOMPARE(DueOccurrences(ending, {}, QDate(2027, 1, 1), 400).Dates.size(), 3);
        ending.End = QDate(2026, 3, 14);
        QCOMPARE(DueOccurrences(ending, {}, QDate(2027, 1, 1), 400).Dates.size(), 2);
        QVERIFY(!NextOccurrence(ending, QDate(2026, 2, 15)).isValid());
    }

    void atMost400AtOnceTheRestCounted()
    {
        const TRecurringEntry weekly =
            Entry(QStringLiteral("报纸"), TRecurringCycle::Weekly, QDate(2010, 1, 4));
        const QDate today(2026, 12, 8);
        const qint64 all = QDate(2010, 1, 4).daysTo(today) / 7 + 1;
        const TDueOccurrences due = DueOccurrences(weekly, {}, today, MaxDuePerEntry);
        QCOMPARE(due.Dates.size(), 400);
        QCOMPARE(due.Left, all - 400);
        QCOMPARE(due.Dates.first(), QDate(2010, 1, 4));
        QCOMPARE(due.Dates.last(), QDate(2010, 1, 4).addDays(399 * 7));
        // The next round goes on after the last one proposed.
        const TDueOccurrences next = DueOccurrences(weekly, due.Dates.last(), today, MaxDuePerEntry);
        QCOMPARE(next.Dates.first(), QDate(2010, 1, 4).addDays(400 * 7));
        QCOMPARE(next.Left, all - 800);
    }

    void severalEntriesInDateOrderNothingTwice()
    {
        TRecurringEntry rent = Entry(QStringLiteral("房租"), TRecurringCycle::Monthly, QDate(2026, 1, 31));
        rent.ID = 1;
        TRecurringEntry salary = Entry(QStringLiteral("工资"), TRecurringCycle::Monthly, QDate(2026, 1, 15),
                                       {}, QStringLiteral("收入"));
        salary.ID = 2;
        salary.Last = QDate(2026, 1, 15); // saved before
        TRecurringEntry paper = Entry(QStringLiteral("报纸"), TRecurringCycle::Weekly, QDate(2026, 2, 20));
        paper.ID = 3;
        TRecurringEntry later = Entry(QStringLiteral("保险"), TRecurringCycle::Yearly, QDate(2026, 6, 1));
        later.ID = 4;
        const QDate today(2026, 3, 1);
        TDueRound round = CollectDue({rent, salary, paper, later}, {}, today);
        QStringList rows;
        for (const TDueRow &row : round.Rows)
            rows << row.Date.toString(Qt::ISODate) + QLatin1Char(' ') + row.Name;
        QCOMPARE(rows, QStringList({"2026-01-31 房租", "2026-02-15 工资", "2026-02-20 报纸",
                                    "2026-02-27 报纸", "2026-02-28 房租"}));
        QCOMPARE(round.Latest.value(1), QDate(2026, 2, 28));
        QCOMPARE(round.Latest.value(3), QDate(2026, 2, 27));
        QVERIFY(!round.Latest.contains(4));
        QVERIFY(round.Left.isEmpty());
        // Rows already waiting are not proposed again; a later day adds only
        // what came due since.
        TPendingDates pending;
        for (const TDueRow &row : round.Rows)
            pending[row.EntryID].insert(row.Date);
        round = CollectDue({rent, salary, paper, later}, pending, QDate(2026, 3, 6));
        QCOMPARE(round.Rows.size(), 1);
        QCOMPARE(round.Rows.first().Date, QDate(2026, 3, 6));
        QCOMPARE(round.Rows.first().EntryID, 3);
        // One taken out of the pending list (neither saved nor skipped) is
        // proposed again; one saved or skipped out of turn is not.
        pending[1].remove(QDate(2026, 1, 31));
        paper.Handled = {QDate(2026, 2, 27), QDate(2026, 3, 6)};
        round = CollectDue({rent, salary, paper, later}, pending, QDate(2026, 3, 6));
        QCOMPARE(round.Rows.size(), 1);
        QCOMPARE(round.Rows.first().Date, QDate(2026, 1, 31));
        QCOMPARE(NextOpenOccurrence(paper, {QDate(2026, 2, 20)}), QDate(2026, 3, 13));
    }

    void storeKeepsEachUsersEntries()
    {
        TTestDb db;
        TRecurringEntry rent =
            Entry(QStringLiteral("房租"), TRecurringCycle::Quarterly, QDate(2026, 1, 31), QDate(2027, 1, 31));
        rent.Memo = QStringLiteral("含物业费\r\n第二行");
        rent.ID = RecurringStore::AddEntry(db.File(), QStringLiteral("张三"), rent);
        const TRecurringEntry salary = Entry(QStringLiteral("工资"), TRecurringCycle::Monthly,
                                             QDate(2026, 1, 10), {}, QStringLiteral("收入"));
        const qint64 other = RecurringStore::AddEntry(db.File(), QStringLiteral("李四"), salary);
        QList<TRecurringEntry> entries = RecurringStore::Entries(db.File(), QStringLiteral("张三"));
        QCOMPARE(entries.size(), 1);
        QCOMPARE(entries[0].ID, rent.ID);
        QCOMPARE(entries[0].Name, rent.Name);
        QCOMPARE(entries[0].Memo, rent.Memo);
        QCOMPARE(entries[0].Money, QStringLiteral("100.00"));
        QCOMPARE(entries[0].Cycle, TRecurringCycle::Quarterly);
        QCOMPARE(entries[0].End, QDate(2027, 1, 31));
        QVERIFY(!entries[0].Last.isValid());
        QVERIFY(!RecurringStore::Entries(db.File(), QStringLiteral("李四")).first().End.isValid());
        // Another user's entry can be neither changed nor deleted.
        TRecurringEntry taken = salary;
        taken.ID = other;
        taken.Name = QStringLiteral("改了");
        QVERIFY(!RecurringStore::UpdateEntry(db.File(), QStringLiteral("张三"), taken));
        QVERIFY(!RecurringStore::DeleteEntry(db.File(), QStringLiteral("张三"), other));
        QCOMPARE(RecurringStore::Entries(db.File(), QStringLiteral("李四")).first().Name,
                 QStringLiteral("工资"));
        // Amounts and dates are checked before anything is stored.
        TRecurringEntry bad = rent;
        bad.Money = QStringLiteral("12abc");
        QVERIFY_THROWS_EXCEPTION(TclsDatabaseError, RecurringStore::AddEntry(db.File(), "张三", bad));
        bad = rent;
        bad.End = rent.Start.addDays(-1);
        QVERIFY_THROWS_EXCEPTION(TclsDatabaseError, RecurringStore::UpdateEntry(db.File(), "张三", bad));
        QCOMPARE(db.Count("select count(*) from Recurring_Table"), 2);
        QVERIFY(RecurringStore::DeleteEntry(db.File(), QStringLiteral("张三"), rent.ID));
        QVERIFY(RecurringStore::Entries(db.File(), QStringLiteral("张三")).isEmpty());
    }

    void handledDatesOnlyMoveForwardAndOnlyWithTheirTransaction()
    {
        TTestDb db;
        const QString user = QStringLiteral("张三");
        const qint64 id = RecurringStore::AddEntry(
            db.File(), user, Entry(QStringLiteral("房租"), TRecurringCycle::Monthly, QDate(2026, 1, 31)));
        const qint64 others = RecurringStore::AddEntry(
            db.File(), QStringLiteral("李四"),
            Entry(QStringLiteral("房租"), TRecurringCycle::Monthly, QDate(2026, 1, 31)));
        TclsConnection connection(db.File());
        const QHash<qint64, QList<QDate>> both = {{id, {QDate(2026, 1, 31), QDate(2026, 2, 28)}},
                                                  {others, {QDate(2026, 1, 31), QDate(2026, 2, 28)}}};
        {
            TclsTransaction transaction(connection);
            RecurringStore::SaveHandled(connection, user, both);
            // Not committed: nothing is remembered.
        }
        QVERIFY(RecurringStore::Entries(db.File(), user).first().Last.isNull());
        {
            TclsTransaction transaction(connection);
            RecurringStore::SaveHandled(connection, user, both);
            transaction.Commit();
        }
        QCOMPARE(RecurringStore::Entries(db.File(), user).first().Last, QDate(2026, 2, 28));
        QVERIFY(RecurringStore::Entries(db.File(), QStringLiteral("李四")).first().Last.isNull());
        // An older date (a second copy of the program saving late) is ignored.
        RecurringStore::SaveHandled(connection, user, {{id, {QDate(2026, 1, 31)}}});
        QCOMPARE(RecurringStore::Entries(db.File(), user).first().Last, QDate(2026, 2, 28));
        // April saved while March is open: kept apart, until March is
        // skipped and both are behind Last.
        RecurringStore::SaveHandled(connection, user, {{id, {QDate(2026, 4, 30)}}});
        TRecurringEntry entry = RecurringStore::Entries(db.File(), user).first();
        QCOMPARE(entry.Last, QDate(2026, 2, 28));
        QCOMPARE(entry.Handled, QSet<QDate>{QDate(2026, 4, 30)});
        RecurringStore::SkipOccurrence(db.File(), user, id, QDate(2026, 3, 31));
        entry = RecurringStore::Entries(db.File(), user).first();
        QCOMPARE(entry.Last, QDate(2026, 4, 30));
        QVERIFY(entry.Handled.isEmpty());
        QCOMPARE(db.Count("select count(*) from Recurring_Handled"), 0);
        // Another member's entry cannot be skipped; a deleted entry leaves
        // nothing behind.
        RecurringStore::SkipOccurrence(db.File(), user, others, QDate(2026, 4, 30));
        RecurringStore::SaveHandled(connection, user, {{id, {QDate(2026, 6, 30)}}});
        QCOMPARE(db.Count("select count(*) from Recurring_Handled"), 1);
        QVERIFY(RecurringStore::DeleteEntry(db.File(), user, id));
        QCOMPARE(db.Count("select count(*) from Recurring_Handled"), 0);
    }
};

QTEST_GUILESS_MAIN(TestRecurring)
#include "test_recurring.moc"
