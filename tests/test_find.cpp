// Finding records: words, amounts and filters over the index kept in
// memory, and the searches kept in the books.
#include "data/unt_clsDatabaseUser.h"
#include "data/unt_clsFind.h"
#include "data/unt_clsFindStore.h"
#include "data/unt_clsSchema.h"
#include "data/unt_clsConnection.h"
#include "tests/support/unt_testDb.h"

#include <QtTest>

class TestFind : public QObject
{
    Q_OBJECT

    // Six records of one user and one of another, whose memo would match.
    static void Sample(const TTestDb &Db)
    {
        TclsDatabaseUser store(Db.File());
        store.AddUser(QStringLiteral("张三"), QStringLiteral("pw"));
        store.AddUser(QStringLiteral("李四"), QStringLiteral("pw"));
        store.AddRecords(
            "张三", "支出", {"2026-03-01", "2026-03-02", "2026-04-10", "2026-04-11", "2026-05-01"},
            {"外出就餐", "交通", "水电", "外出就餐", "交通"}, {"88.50", "12.00", "120.00", "30.00", "2.00"},
            {"和ＫＦＣ同事", "打车 Kfc", "燃气费 三月", "kfc 午饭", "地铁２号线"});
        store.AddRecords("张三", "收入", {"2026-03-05"}, {"工资"}, {"5000.00"}, {""});
        store.AddRecords("李四", "支出", {"2026-03-01"}, {"外出就餐"}, {"88.50"}, {"KFC"});
    }

    static TFindIndex Index(const TTestDb &Db, const QString &User = QStringLiteral("张三"))
    {
        TclsDatabaseUser store(Db.File());
        TRangeRecords records;
        TclsFindStore(Db.File()).GetAllRecords(store, User, records);
        TFindIndex index;
        index.Reset(std::move(records));
        return index;
    }

    // The found records' memos, newest first.
    static QStringList Memos(const TFindIndex &Index, const TFindQuery &Query)
    {
        QStringList memos;
        for (const qsizetype i : Index.Run(Query).Rows)
            memos << Index.Records().Memo(i);
        return memos;
    }

    static TFindQuery Words(const QString &Text)
    {
        TFindQuery query;
        query.Words = Text;
        return query;
    }

  private slots:
    void foldingAsTheGeneralWay()
    {
        // The short way for plain memos must give what compatibility forms
        // and case folding give; the rest goes the general way.
        for (const QString &text :
             {QStringLiteral("超市 第123笔 Kfc"), QStringLiteral("ABC xyz ~!@"), QStringLiteral("㐀䶵一龥"),
              QStringLiteral("ＫＦＣ　１２３，"), QStringLiteral("Straße ǅ"), QStringLiteral("e\u0301 K\u212A"),
              QStringLiteral("⼀㍻"), QString()})
            QCOMPARE(FoldText(text), text.normalized(QString::NormalizationForm_KC).toCaseFolded());
    }

    void wordsAcrossMemoAndName()
    {
        TTestDb db;
        Sample(db);
        const TFindIndex index = Index(db);
        // Full-width and any case are one word, typed either way.
        const QStringList kfc = {"kfc 午饭", "打车 Kfc", "和ＫＦＣ同事"};
        QCOMPARE(Memos(index, Words("kfc")), kfc);
        QCOMPARE(Memos(index, Words("ＫＦＣ")), kfc);
        QCOMPARE(Memos(index, Words("KfC")), kfc);
        // A name's word, and one character.
        QCOMPARE(Memos(index, Words("外出")), QStringList({"kfc 午饭", "和ＫＦＣ同事"}));
        QCOMPARE(Memos(index, Words("就")), QStringList({"kfc 午饭", "和ＫＦＣ同事"}));
        // Every word must occur, each in the memo or the name; a full-width
        // blank parts words too.
        QCOMPARE(Memos(index, Words("kfc 午饭")), QStringList({"kfc 午饭"}));
        QCOMPARE(Memos(index, Words("外出　kfc")), QStringList({"kfc 午饭", "和ＫＦＣ同事"}));
        QCOMPARE(Memos(index, Words("交通 kfc 三月")), QStringList());
        // No words: every record of the user, newest first.
        QCOMPARE(Memos(index, Words("  ")),
                 QStringList({"地铁２号线", "kfc 午饭", "燃气费 三月", "", "打车 Kfc", "和ＫＦＣ同事"}));
        // A word never spans two texts.
        QCOMPARE(Memos(index, Words("餐和")), QStringList());
    }

    void amounts()
    {
        TTestDb db;
        Sample(db);
        const TFindIndex index = Index(db);
        QCOMPARE(Memos(index, Words("88.5")), QStringList({"和ＫＦＣ同事"}));
        QCOMPARE(Memos(index, Words("88.50")), QStringList({"和ＫＦＣ同事"}));
        QCOMPARE(Memos(index, Words("８８.５")), QStringList({"和ＫＦＣ同事"}));
        // A number finds the amounts it begins: 88 is 88.00-88.99, 88.5
        // 88.50-88.59, 12.0 12.00-12.09, never 120.00 or 2.00.
        QCOMPARE(Memos(index, Words("88")), QStringList({"和ＫＦＣ同事"}));
        QCOMPARE(Memos(index, Words("88.6")), QStringList());
        QCOMPARE(Memos(index, Words("12.0")), QStringList({"打车 Kfc"}));
        QCOMPARE(Memos(index, Words("12")), QStringList({"打车 Kfc"}));
        // "2" is the amount 2.00 and the "２" of a memo: one record, once.
        QCOMPARE(Memos(index, Words("2")), QStringList({"地铁２号线"}));
        // A day, a month, a day of any year; full-width typed too.
        QCOMPARE(Memos(index, Words("2026-04-11")), QStringList({"kfc 午饭"}));
        QCOMPARE(Memos(index, Words("2026-4")), QStringList({"kfc 午饭", "燃气费 三月"}));
        QCOMPARE(Memos(index, Words("０３－０２")), QStringList({"打车 Kfc"}));
        QCOMPARE(Memos(index, Words("2026-03 kfc")), QStringList({"打车 Kfc", "和ＫＦＣ同事"}));
        QCOMPARE(Memos(index, Words("2025-03-01")), QStringList());
        QCOMPARE(Memos(index, Words("02-30")), QStringList());
        QCOMPARE(Memos(index, Words("5000 工资")), QStringList({""}));

        QCOMPARE(AmountWordCents("88.5"), 8850);
        QCOMPARE(AmountWordCents("88.500"), 8850);
        QCOMPARE(AmountWordCents(".5"), 50);
        QCOMPARE(AmountWordCents("7."), 700);
        QCOMPARE(AmountWordCents("88.505"), -1);
        QCOMPARE(AmountWordCents("."), -1);
        QCOMPARE(AmountWordCents("1.2.3"), -1);
        QCOMPARE(AmountWordCents("1e3"), -1);
        // Bounds follow the entry panels: nothing, zero or a bad text is no bound.
        QCOMPARE(AmountBoundCents(""), -1);
        QCOMPARE(AmountBoundCents("0"), -1);
        QCOMPARE(AmountBoundCents("1.2.3"), -1);
        QCOMPARE(AmountBoundCents("1."), 100);
        QCOMPARE(AmountBoundCents(".25"), 25);
    }

    void filtersAloneAndCombined()
    {
        TTestDb db;
        Sample(db);
        const TFindIndex index = Index(db);
        TFindQuery query;
        query.Type = QStringLiteral("收入");
        QCOMPARE(Memos(index, query), QStringList({""}));
        query = {};
        query.Type = QStringLiteral("支出");
        QCOMPARE(Memos(index, query).size(), 5);
        query = {};
        query.Name = QStringLiteral("交通");
        QCOMPARE(Memos(index, query), QStringList({"地铁２号线", "打车 Kfc"}));
        query = {};
        query.From = QDate(2026, 4, 1);
        query.To = QDate(2026, 4, 30);
        QCOMPARE(Memos(index, query), QStringList({"kfc 午饭", "燃气费 三月"}));
        query = {};
        query.To = QDate(2026, 3, 1); // both ends included
        QCOMPARE(Memos(index, query), QStringList({"和ＫＦＣ同事"}));
        query = {};
        query.Min = QStringLiteral("30");
        query.Max = QStringLiteral("120");
        QCOMPARE(Memos(index, query), QStringList({"kfc 午饭", "燃气费 三月", "和ＫＦＣ同事"}));
        query.Max = QStringLiteral("1.2.3"); // no bound while it is not an amount
        QCOMPARE(Memos(index, query).size(), 4);

        query = Words("kfc");
        query.Type = QStringLiteral("支出");
        query.Min = QStringLiteral("20");
        QCOMPARE(Memos(index, query), QStringList({"kfc 午饭", "和ＫＦＣ同事"}));
        query.From = QDate(2026, 4, 1);
        QCOMPARE(Memos(index, query), QStringList({"kfc 午饭"}));
        query.Name = QStringLiteral("交通");
        QCOMPARE(Memos(index, query), QStringList());
    }

    void anotherUsersRecordsNeverFound()
    {
        TTestDb db;
        Sample(db);
        const TFindIndex index = Index(db);
        QCOMPARE(Memos(index, Words("KFC")).size(), 3);
        QCOMPARE(index.Run({}).Rows.size(), size_t(6));
        const TFindIndex other = Index(db, QStringLiteral("李四"));
        QCOMPARE(Memos(other, {}), QStringList({"KFC"}));
        QCOMPARE(Memos(Index(db, QStringLiteral("王五")), {}), QStringList());
    }

    void sumsAsTheBrowsePanelSums()
    {
        TTestDb db;
        TclsDatabaseUser store(db.File());
        store.AddUser("张三", "pw");
        // Sums of tenths that are not exact in binary, spread over days.
        QStringList dates, names, moneys, memos;
        for (int i = 0; i < 300; ++i) {
            dates << QDate(2026, 1, 1).addDays(i / 7).toString(Qt::ISODate);
            names << (i % 2 ? "甲" : "乙");
            moneys << QString::number(0.1 + (i % 10) * 0.1, 'f', 2);
            memos << QString();
        }
        store.AddRecords("张三", "支出", dates, names, moneys, memos);
        store.AddRecords("张三", "收入", dates.mid(0, 50), names.mid(0, 50), moneys.mid(0, 50),
                         memos.mid(0, 50));
        const TFindIndex index = Index(db);
        const TFindResult all = index.Run({});
        const TDayTotals totals = index.Records().Totals();
        QCOMPARE(all.Out, totals.Out);
        QCOMPARE(all.In, totals.In);
        // A narrowed result sums its own records the same way.
        TRangeRecords some;
        store.GetRangeRecords("张三", QDate(2026, 1, 1), QDate(2026, 12, 31), some);
        TFindQuery query;
        query.Name = QStringLiteral("甲");
        const TFindResult found = index.Run(query);
        TRangeRecords expected;
        expected.Reset(some.From(), some.To());
        for (qsizetype i = 0; i < some.Count(); ++i)
            if (some.Name(i) == QStringLiteral("甲")) {
                TRangeRecord record = some.At(i);
                record.Name = record.Type = record.Memo = expected.AddText(QString());
                expected.Append(record);
            }
        QCOMPARE(found.Out, expected.Totals().Out);
        QCOMPARE(found.In, expected.Totals().In);
        QCOMPARE(qsizetype(found.Rows.size()), expected.Count());
    }

    void changesKeptInStep()
    {
        TTestDb db;
        Sample(db);
        TFindIndex index = Index(db);
        const qint64 id = index.Records().At(index.Run(Words("燃气")).Rows[0]).Id;
        QVERIFY(index.Change(id, QStringLiteral("燃气"), 99, QStringLiteral("ＡＢＣ")));
        QCOMPARE(index.Run(Words("abc")).Rows.size(), size_t(1));
        QCOMPARE(index.Run(Words("燃气")).Rows.size(), size_t(1)); // now its name
        QCOMPARE(index.Run(Words("99")).Rows.size(), size_t(1));
        QVERIFY(index.Names().contains(QStringLiteral("燃气")));
        QVERIFY(index.Remove(id));
        QVERIFY(!index.Remove(id));
        QCOMPARE(index.Run(Words("abc")).Rows.size(), size_t(0));
        QCOMPARE(index.Run({}).Rows.size(), size_t(5));
        QVERIFY(!index.Change(id, "x", 1, "y"));
    }

    void storeSpanAndWritesCounted()
    {
        TTestDb db;
        Sample(db);
        // A date that is no day of the calendar is no end of the span.
        db.Exec("insert into All_Table (Program_Date,Program_Type,Program_Name,Program_Money,Program_Memo,"
                "User_Name) select '2026-02-30',Program_Type,Program_Name,1,'',User_Name from All_Table "
                "where ID=1");
        QDate first, last;
        TclsFindStore store(db.File());
        QVERIFY(store.GetRecordSpan("张三", first, last));
        QCOMPARE(first, QDate(2026, 3, 1));
        QCOMPARE(last, QDate(2026, 5, 1));
        QVERIFY(!store.GetRecordSpan("王五", first, last));

        TclsDatabaseUser books(db.File());
        quint64 before = TclsFindStore::LedgerWrites();
        books.UpdateRecord("1", "a", "1.00", "");
        QVERIFY(TclsFindStore::LedgerWrites() > before);
        before = TclsFindStore::LedgerWrites();
        books.DeleteRecord("1");
        QVERIFY(TclsFindStore::LedgerWrites() > before);
        before = TclsFindStore::LedgerWrites();
        books.SetProgramNames("张三", "支出项目名称", "a");
        QCOMPARE(TclsFindStore::LedgerWrites(), before);
    }

    void savedSearches()
    {
        TTestDb db;
        Sample(db);
        TclsFindStore store(db.File());
        TFindQuery query = Words("kfc 午饭");
        query.From = QDate(2026, 1, 2);
        query.Type = QStringLiteral("支出");
        query.Name = QStringLiteral("外出就餐");
        query.Min = QStringLiteral("1.5");
        store.SaveSearch("张三", "午饭", query);
        store.SaveSearch("张三", QString(), Words("最后"));
        store.SaveSearch("李四", "别人的", Words("x"));
        QCOMPARE(store.SearchNames("张三"), QStringList({"午饭"}));
        TFindQuery back;
        QVERIFY(store.LoadSearch("张三", "午饭", back));
        QVERIFY(back == query);
        QVERIFY(store.LoadSearch("张三", QString(), back));
        QCOMPARE(back.Words, QStringLiteral("最后"));
        QVERIFY(!back.From.isValid());
        QVERIFY(!store.LoadSearch("张三", "别人的", back));
        // Saving under a name again replaces it.
        store.SaveSearch("张三", "午饭", Words("晚饭"));
        QVERIFY(store.LoadSearch("张三", "午饭", back));
        QCOMPARE(back.Words, QStringLiteral("晚饭"));
        QCOMPARE(store.SearchNames("张三").size(), 1);
        // A deleted user's searches go with the user.
        QVERIFY(TclsDatabaseUser(db.File()).DeleteUser("李四", "pw"));
        QCOMPARE(db.Count("select count(*) from Saved_Searches"), 2);
    }

    void olderBooksGainTheTable()
    {
        TTestDb db;
        // Books of the layout before saved searches: later tables go too.
        db.Exec("drop table Saved_Searches; drop table Budget_Table; drop table Recurring_Table; drop table "
                "Recurring_Handled; "
                "pragma user_version=2;");
        QVERIFY(UpgradeSchema(db.File()));
        TclsFindStore(db.File()).SaveSearch("张三", "a", Words("b"));
        QCOMPARE(TclsFindStore(db.File()).SearchNames("张三"), QStringList({"a"}));
    }
};

QTEST_GUILESS_MAIN(TestFind)
#include "test_find.moc"
