// The data store on fresh temporary databases: results, orders, the stored
// form, and what happens when the database fails part-way.
#include "data/unt_clsBase64.h"
#include "data/unt_clsConnection.h"
#include "data/unt_clsDatabaseUser.h"
#include "data/unt_clsGb18030.h"
#include "data/unt_clsSchema.h"
#include "data/unt_clsUserTables.h"
#include "tests/support/unt_testDb.h"
#include "tests/support/unt_testServer.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>
#include <QtTest>

#include <iconv.h>

#include <thread>

#include <sqlite3.h>

class TestStore : public QObject
{
    Q_OBJECT

    static QDate D(const char *Text) { return QDate::fromString(QString::fromLatin1(Text), "yyyy-MM-dd"); }

  private slots:
    void initTestCase() { TclsConnection::SetBusyTimeout(200); }

    void codecLineBreaks()
    {
        // 57 bytes make exactly 76 characters, which still get their CR LF.
        const QByteArray b57(57, 'a');
        const QByteArray e57 = Base64::EncodeBytes(b57);
        QCOMPARE(e57.size(), 78);
        QVERIFY(e57.endsWith("\r\n"));
        const QByteArray e114 = Base64::EncodeBytes(QByteArray(114, 'b'));
        QCOMPARE(e114.count("\r\n"), 2);
        QVERIFY(e114.endsWith("\r\n"));
        QVERIFY(!Base64::EncodeBytes(QByteArray(54, 'c')).contains('\r'));
        QCOMPARE(Base64::EncodeBytes(QByteArray()), QByteArray());
        QCOMPARE(Base64::DecodeBytes(e57), b57);
        QCOMPARE(Base64::EncodeBytes("Ma"), QByteArray("TWE="));
        QCOMPARE(Base64::EncodeBytes("M"), QByteArray("TQ=="));
        QCOMPARE(Base64::DecodeBytes("T\r\nW E=!@#"), QByteArray("Ma"));
    }

    void codecTexts()
    {
        // 支出 in GBK is D6 A7 B3 F6; GB18030 keeps those bytes.
        QCOMPARE(Base64::EncodeText(QStringLiteral("支出")), QStringLiteral("1qez9g=="));
        for (const QString &text : {QStringLiteral("it's \"quoted\""), QStringLiteral("早饭😀𠀀"), QString(),
                                    QStringLiteral("a\r\nb")})
            QCOMPARE(Base64::DecodeText(Base64::EncodeText(text)), text);
    }

    void codecTableAgreesWithConverter()
    {
        // The reference: the C library's converter, a byte it refuses skipped.
        auto converted = [](const QByteArray &In) {
            iconv_t cd = iconv_open("UTF-8", "GB18030");
            QByteArray out(In.size() * 4 + 16, Qt::Uninitialized);
            char *inPtr = const_cast<char *>(In.constData()), *outPtr = out.data();
            size_t inLeft = size_t(In.size()), outLeft = size_t(out.size());
            while (inLeft > 0 && iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == size_t(-1))
                ++inPtr, --inLeft;
            iconv_close(cd);
            out.resize(outPtr - out.data());
            return QString::fromUtf8(out);
        };
        QByteArray all;
        for (int lead = 0x81; lead <= 0xFE; ++lead)
            for (int trail = 0x40; trail <= 0xFE; ++trail)
                all.append(char(lead)).append(char(trail)).append(trail % 7 ? "" : "a");
        for (int b1 = 0x81; b1 <= 0xFE; b1 += (b1 < 0x85 || (b1 >= 0x8F && b1 <= 0x91) || b1 >= 0xE2) ? 1 : 9)
            for (int b2 = 0x30; b2 <= 0x39; ++b2)
                for (int b3 = 0x81; b3 <= 0xFE; b3 += b1 < 0x85 ? 1 : 5)
                    for (int b4 = 0x30; b4 <= 0x39; b4 += b1 < 0x85 ? 1 : 3)
                        all.append(char(b1)).append(char(b2)).append(char(b3)).append(char(b4));
        QCOMPARE(Gb18030::Decode(all), converted(all));
        // Damage: stray and cut-off leads, bytes that begin nothing, a
        // four-byte form broken in each place.
        for (const QByteArray &damaged :
             {QByteArray("\x81"), QByteArray("a\x80" "b\xFF"), QByteArray("\xD6\xA7\xB3"), QByteArray("\x81\x30"),
              QByteArray("\x81\x30\x81"), QByteArray("\x81\x30\x20\x30"), QByteArray("\x81\x30\x81\x20x"),
              QByteArray("\x81\x7F\xE3\x32\x9A\x35\xE3\x32\x9A\x36")})
            QCOMPARE(Gb18030::Decode(damaged), converted(damaged));
    }

    void usersOrderAndLogin()
    {
        TTestDb t;
        TclsDatabaseUser db(t.File());
        QVERIFY(db.GetUserNames().isEmpty());
        QVERIFY(db.AddUser("A", "pa"));
        QVERIFY(db.AddUser("B", "pb"));
        QCOMPARE(db.GetUserNames(), QStringList({"B", "A"}));
        QVERIFY(!db.CheckLogin("A", "wrong"));
        QCOMPARE(db.GetUserNames(), QStringList({"B", "A"}));
        QVERIFY(db.CheckLogin("A", "pa"));
        QCOMPARE(db.GetUserNames(), QStringList({"A", "B"}));
        QVERIFY(!db.CheckLogin("a", "pa")); // names are exact
        QVERIFY(!db.AddUser("A", "other"));
        QCOMPARE(t.Count("select count(*) from Users_Table"), 2);
        QCOMPARE(t.Count("select count(*) from Programs_Table"), 2);
        // Only a salted hash is stored, never the password itself.
        const QString stored = t.Text("select User_Password from Users_Table limit 1");
        QVERIFY(stored.startsWith("$argon2id$"));
        QVERIFY(!db.AddUser("  ", "x")); // a name is trimmed: blanks are no name
        QCOMPARE(t.Count("select count(*) from Users_Table"), 2);
    }

    void changeAndDeleteUser()
    {
        TTestDb t;
        TclsDatabaseUser db(t.File());
        QVERIFY(db.AddUser("A", "old"));
        QVERIFY(db.AddUser("B", "pb"));
        QVERIFY(!db.ChangePassword("A", "bad", "new"));
        QVERIFY(db.CheckLogin("A", "old"));
        QVERIFY(db.ChangePassword("A", "old", "new"));
        QVERIFY(!db.CheckLogin("A", "old"));
        QVERIFY(db.CheckLogin("A", "new"));
        db.AddRecords("A", "支出", {"2026-01-01"}, {"早饭"}, {"3.00"}, {""});
        db.AddRecords("B", "支出", {"2026-01-01"}, {"早饭"}, {"4.00"}, {""});
        QVERIFY(!db.DeleteUser("A", "old"));
        QCOMPARE(t.Count("select count(*) from All_Table"), 2);
        QVERIFY(db.DeleteUser("A", "new"));
        QCOMPARE(db.GetUserNames(), QStringList({"B"}));
        QCOMPARE(t.Count("select count(*) from All_Table"), 1);
        QCOMPARE(t.Count("select count(*) from Programs_Table"), 1);
        QStringList out, in;
        db.GetProgramNames("B", out, in);
        QCOMPARE(out.size(), 33);
    }

    void categoryLists()
    {
        TTestDb t;
        TclsDatabaseUser db(t.File());
        QVERIFY(db.AddUser("U", "p"));
        QStringList out, in;
        db.GetProgramNames("U", out, in);
        QCOMPARE(out.size(), 33);
        QCOMPARE(out.first(), QStringLiteral("早饭"));
        QCOMPARE(out.last(), QStringLiteral("其他支出"));
        QCOMPARE(in.size(), 9);
        QCOMPARE(in.last(), QStringLiteral("其他收入"));
        db.SetProgramNames("U", "支出项目名称", "a\r\n\r\n   \r\n  b \r\nc\r\n");
        db.GetProgramNames("U", out, in);
        QCOMPARE(out, QStringList({"a", "  b ", "c"}));
        QCOMPARE(in.size(), 9);
        db.SetProgramNames("U", "收入项目名称", "");
        db.GetProgramNames("U", out, in);
        QVERIFY(in.isEmpty());
        QCOMPARE(out.size(), 3);
        db.GetProgramNames("nobody", out, in);
        QVERIFY(out.isEmpty() && in.isEmpty());
        QCOMPARE(TclsDatabaseUser::LoadTextResource("out_TXT").count("\r\n"), 32);
        QVERIFY(TclsDatabaseUser::LoadTextResource("none").isEmpty());
    }

    void dayRecords()
    {
        TTestDb t;
        TclsDatabaseUser db(t.File());
        DayLists days;
        DetailLists details;
        db.GetDayRecords("U", D("2026-03-05"), D("2026-03-05"), days, details);
        QCOMPARE(days[0], QStringList{"2026-03-05"});
        QCOMPARE(days[1], QStringList{"0.00"});
        QCOMPARE(days[3], QStringList{"0.00"});
        QVERIFY(details[0].isEmpty());

        db.AddRecords("U", "收入", {"2026-03-02"}, {"工资"}, {"25.50"}, {"it's"});
        db.AddRecords("U", "支出", {"2026-03-02", "2026-03-03"}, {"早饭", "午饭"}, {"10.00", "30.00"},
                      {"", "x"});
        db.AddRecords("V", "支出", {"2026-03-02"}, {"别人的"}, {"99.00"}, {""});
        db.GetDayRecords("U", QDateTime(D("2026-03-01"), QTime(23, 0)).date(), D("2026-03-03"), days,
                         details);
        QCOMPARE(days[0], QStringList({"2026-03-01", "2026-03-02", "2026-03-03"}));
        QCOMPARE(days[1], QStringList({"0.00", "10.00", "30.00"}));
        QCOMPARE(days[2], QStringList({"0.00", "25.50", "0.00"}));
        QCOMPARE(days[3], QStringList({"0.00", "15.50", "-30.00"}));
        QCOMPARE(details[2], QStringList({"支出", "收入", "支出"})); // the expense first
        QCOMPARE(details[3], QStringList({"早饭", "工资", "午饭"}));
        QCOMPARE(details[4], QStringList({"10.00", "25.50", "30.00"}));
        QCOMPARE(details[5], QStringList({"", "it's", "x"}));
        QCOMPARE(details[1], QStringList({"2026-03-02", "2026-03-02", "2026-03-03"}));

        db.GetDayRecords("U", D("2026-03-03"), D("2026-03-02"), days, details);
        QVERIFY(days[0].isEmpty() && details[0].isEmpty());
    }

    void noNegativeZero()
    {
        TTestDb t;
        TclsDatabaseUser db(t.File());
        db.AddRecords("U", "收入", {"2026-01-01"}, {"a"}, {"0.30"}, {""});
        db.AddRecords("U", "支出", {"2026-01-01", "2026-01-01"}, {"b", "c"}, {"0.10", "0.20"}, {"", ""});
        DayLists days;
        DetailLists details;
        db.GetDayRecords("U", D("2026-01-01"), D("2026-01-01"), days, details);
        QCOMPARE(days[3], QStringList{"0.00"});
    }

    void updateAndDelete()
    {
        TTestDb t;
        TclsDatabaseUser db(t.File());
        db.AddRecords("U", "支出", {"2026-02-01", "2026-02-01"}, {"a", "b"}, {"1.00", "2.00"}, {"m", "n"});
        DayLists days;
        DetailLists details;
        db.GetDayRecords("U", D("2026-02-01"), D("2026-02-01"), days, details);
        const QString id = details[0][0];
        db.UpdateRecord(id, "新'名", "25.00", "");
        db.GetDayRecords("U", D("2026-02-01"), D("2026-02-01"), days, details);
        QCOMPARE(details[3], QStringList({"新'名", "b"}));
        QCOMPARE(details[4], QStringList({"25.00", "2.00"}));
        QCOMPARE(details[5], QStringList({"", "n"}));
        QCOMPARE(details[1][0], QStringLiteral("2026-02-01"));
        QCOMPARE(details[2][0], QStringLiteral("支出"));
        db.DeleteRecord(id);
        db.DeleteRecord(id); // gone already: nothing happens
        db.DeleteRecord("999999");
        QCOMPARE(t.Count("select count(*) from All_Table"), 1);
        // IDs are never reused, so a stale one can never hit a newer record.
        db.AddRecords("U", "支出", {"2026-02-01"}, {"c"}, {"3.00"}, {""});
        QVERIFY(t.Count("select max(ID) from All_Table") > id.toLongLong() + 1);
        QVERIFY_THROWS_EXCEPTION(std::exception, db.DeleteRecord("1 or 1=1"));
        QVERIFY_THROWS_EXCEPTION(std::exception, db.UpdateRecord(details[0][1], "x", "abc", ""));
        QCOMPARE(t.Count("select count(*) from All_Table"), 2);
    }

    void programTotals()
    {
        TTestDb t;
        TclsDatabaseUser db(t.File());
        db.AddRecords("U", "支出", {"2026-04-01", "2026-04-02", "2026-04-03", "2026-04-03"},
                      {"x", "y", "z", "y"}, {"5.00", "3.00", "5.00", "4.00"}, {"", "", "", ""});
        db.AddRecords("U", "收入", {"2026-04-01"}, {"x"}, {"100.00"}, {""});
        TotalsLists totals;
        db.GetProgramTotals("U", "支出", D("2026-04-01"), D("2026-04-03"), totals);
        QCOMPARE(totals[0], QStringList({"y", "x", "z"}));
        QCOMPARE(totals[1], QStringList({"7.00", "5.00", "5.00"}));
        QCOMPARE(totals[2], QStringList({"41.18", "29.41", "29.41"}));
        db.GetProgramTotals("U", "支出", D("2026-04-02"), D("2026-04-02"), totals);
        QCOMPARE(totals[2], QStringList{"100.00"});
        db.GetProgramTotals("U", "支出", D("2026-04-03"), D("2026-04-02"), totals);
        QVERIFY(totals[0].isEmpty());
        db.GetProgramTotals("U", "收入", D("2026-05-01"), D("2026-05-02"), totals);
        QVERIFY(totals[0].isEmpty());
    }

    void longTextsKeepLineBreaks()
    {
        TTestDb t;
        TclsDatabaseUser db(t.File());
        const QString memo57(57, QLatin1Char('m'));
        db.AddRecords("U", "支出", {"2026-01-01"}, {"a"}, {"1.00"}, {memo57});
        QVERIFY(t.Text("select Program_Memo from All_Table").endsWith("\r\n"));
        DayLists days;
        DetailLists details;
        db.GetDayRecords("U", D("2026-01-01"), D("2026-01-01"), days, details);
        QCOMPARE(details[5][0], memo57);
        db.AddRecords("U", "支出", {}, {}, {}, {});
        QCOMPARE(t.Count("select count(*) from All_Table"), 1);
    }

    // Every table that holds a member's rows is in new books, on a server
    // too, with the columns the household's rules go by, at the newest layout.
    void everyMemberTableInNewBooks()
    {
        TTestDb t;
        TclsConnection db(t.File());
        for (const TUserTable &table : PerUserTables()) {
            const QStringList columns = db.Columns(table.Table);
            QVERIFY2(!columns.isEmpty(), qPrintable(table.Table + " is missing"));
            for (const QString &column : {table.UserColumn, table.NumberColumn})
                QVERIFY2(column.isEmpty() || columns.contains(column, Qt::CaseInsensitive),
                         qPrintable(table.Table + "." + column));
        }
        QCOMPARE(db.SchemaVersion(), CurrentSchemaVersion());
    }

    void serverThatDoesNotAnswer()
    {
        if (!OnTestServer())
            QSKIP("books on a server only");
        QUrl url(TestServer());
        url.setPath("/no_such_books");
        try {
            TclsDatabaseUser(url.toString()).GetUserNames();
            QFAIL("no error");
        } catch (const std::exception &e) {
            const QString text = QString::fromUtf8(e.what());
            QVERIFY2(text.startsWith("无法连接账本服务器 127.0.0.1:") &&
                         text.contains("服务器上没有这个数据库"),
                     qPrintable(text));
        }
        url = QUrl(TestServer());
        url.setPort(1); // nothing listens there
        try {
            TclsDatabaseUser(url.toString()).GetUserNames();
            QFAIL("no error");
        } catch (const std::exception &e) {
            const QString text = QString::fromUtf8(e.what());
            QVERIFY2(text.contains("127.0.0.1:1") && text.contains("服务器拒绝连接"), qPrintable(text));
        }
    }

    void missingFileIsNeverCreated()
    {
        if (OnTestServer())
            QSKIP("a file's books");
        QTemporaryDir dir;
        const QString file = dir.path() + "/pondo.sjk";
        TclsDatabaseUser db(file); // constructing touches nothing
        try {
            db.GetUserNames();
            QFAIL("no error");
        } catch (const std::exception &e) {
            const QString message = QString::fromUtf8(e.what());
            QVERIFY(message.contains("无法打开数据库文件"));
            QVERIFY(message.contains(file));
        }
        QVERIFY(!QFile::exists(file));
    }

    void failedAddRecordsSavesNothing()
    {
        TTestDb t;
        TclsDatabaseUser db(t.File());
        db.AddRecords("U", "支出", {"2026-01-01"}, {"kept"}, {"1.00"}, {""});
        // The third insert fails: the two before it must not stay behind.
        if (OnTestServer())
            t.Exec("create function boom() returns trigger language plpgsql as $$ begin if (select count(*) "
                   "from All_Table) >= 3 then raise exception 'disk trouble'; end if; return new; end $$; "
                   "create trigger boom before insert on All_Table for each row execute function boom();");
        else
            t.Exec("create trigger boom before insert on All_Table when "
                   "(select count(*) from All_Table) >= 3 begin select raise(abort, 'disk trouble'); end;");
        QVERIFY_THROWS_EXCEPTION(std::exception,
                                 db.AddRecords("U", "支出", {"2026-01-02", "2026-01-02", "2026-01-02"},
                                               {"a", "b", "c"}, {"1.00", "2.00", "3.00"}, {"", "", ""}));
        QCOMPARE(t.Count("select count(*) from All_Table"), 1);
        // A text that is not a number is refused before anything is written.
        t.Exec(OnTestServer() ? "drop trigger boom on All_Table;" : "drop trigger boom;");
        QVERIFY_THROWS_EXCEPTION(std::exception, db.AddRecords("U", "支出", {"2026-01-02", "2026-01-02"},
                                                               {"a", "b"}, {"1.00", "1.0'); --"}, {"", ""}));
        QCOMPARE(t.Count("select count(*) from All_Table"), 1);
    }

    void lockedDatabase()
    {
        TTestDb t;
        TclsDatabaseUser db(t.File());
        QVERIFY(db.AddUser("U", "p"));
        TclsConnection other(t.File());
        auto writer = std::make_unique<TclsTransaction>(other); // another machine's write
        try {
            db.AddRecords("U", "支出", {"2026-01-01"}, {"a"}, {"1.00"}, {""});
            QFAIL("no error");
        } catch (const TclsDatabaseError &e) {
            const QString text = QString::fromUtf8(e.what());
            QVERIFY(e.IsBusy());
            const QString place =
                OnTestServer() ? QUrl(t.File()).path().mid(1) : QFileInfo(t.File()).absoluteFilePath();
            QVERIFY2(text.contains("另一") && text.contains(place), qPrintable(text));
        }
        // A failed login must not take the account with it.
        QVERIFY_THROWS_EXCEPTION(std::exception, db.CheckLogin("U", "p"));
        writer.reset();
        QVERIFY(db.CheckLogin("U", "p"));
        QCOMPARE(t.Count("select count(*) from All_Table"), 0);
    }

    void readOnlyAndFullDisk()
    {
        if (OnTestServer())
            QSKIP("a file's disk");
        TSmallDisk disk(200);
        if (!disk.Ok)
            QSKIP("mounting a tmpfs is not permitted here");
        const QString dir = disk.Dir();
        const QString file = dir + "/pondo.sjk";
        MakeDatabaseFile(file);
        TclsDatabaseUser db(file);
        QVERIFY(db.AddUser("U", "p"));
        // Fill the disk: a big batch must fail as a whole.
        QStringList dates, names, moneys, memos;
        for (int i = 0; i < 3000; ++i) {
            dates << "2026-01-01";
            names << "n";
            moneys << "1.00";
            memos << QString(200, QLatin1Char('m'));
        }
        QVERIFY_THROWS_EXCEPTION(std::exception, db.AddRecords("U", "支出", dates, names, moneys, memos));
        {
            TclsConnection check(file);
            QCOMPARE(check.Query("select count(*) from All_Table").Field(0), QStringLiteral("0"));
        }
        QVERIFY(db.CheckLogin("U", "p"));
        QVERIFY(disk.MakeReadOnly());
        try {
            db.AddRecords("U", "支出", {"2026-01-01"}, {"a"}, {"1.00"}, {""});
            QFAIL("no error");
        } catch (const std::exception &e) {
            QVERIFY(QString::fromUtf8(e.what()).contains("readonly"));
            QVERIFY(QString::fromUtf8(e.what()).contains("只读"));
        }
        QCOMPARE(db.GetUserNames(), QStringList{"U"});
        // The login stands on read-only books; it only cannot reorder the list.
        TclsDatabaseUser reader(file);
        QVERIFY(reader.CheckLogin("U", "p"));
        QVERIFY(reader.ReadOnly());
        QVERIFY(!reader.CheckLogin("U", "wrong"));
    }

    // A login with the old password that runs while the password changes
    // must never write the old hash back.
    void loginDuringPasswordChange()
    {
        TTestDb t;
        QVERIFY(TclsDatabaseUser(t.File()).AddUser("U", "old"));
        for (int round = 0; round < 6; ++round) {
            const QString from = round % 2 ? "new" : "old", to = round % 2 ? "old" : "new";
            std::thread login([&] {
                std::this_thread::sleep_for(std::chrono::milliseconds(80 + 50 * round));
                try {
                    TclsDatabaseUser(t.File()).CheckLogin("U", from);
                } catch (const std::exception &) {
                }
            });
            QVERIFY(TclsDatabaseUser(t.File()).ChangePassword("U", from, to));
            login.join();
            TclsDatabaseUser db(t.File());
            QVERIFY2(db.CheckLogin("U", to), qPrintable(QString("round %1").arg(round)));
            QVERIFY(!db.CheckLogin("U", from));
            QCOMPARE(t.Count("select count(*) from Users_Table"), 1);
        }
    }
};

QTEST_GUILESS_MAIN(TestStore)
#include "test_store.moc"
