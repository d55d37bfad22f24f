// Members of one household cannot undo, overwrite or impersonate each other:
// a member's restore gives back that member's books alone, broken books are
// replaced whole with a notice for everyone, wrong passwords cost time,
// look-alike names are one name, a deleted member leaves no row, and a
// change by number is bound to the member.
#include "app/unt_frmLogin.h"
#include "data/unt_clsBackup.h"
#include "data/unt_clsBase64.h"
#include "data/unt_clsClock.h"
#include "data/unt_clsDatabaseUser.h"
#include "data/unt_clsPasswordWait.h"
#include "data/unt_clsRestore.h"
#include "data/unt_clsConnection.h"
#include "data/unt_clsTrash.h"
#include "data/unt_clsUserNames.h"
#include "data/unt_clsUserTables.h"
#include "tests/support/unt_testGui.h"

#include <QComboBox>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

namespace
{
QString Enc(const QString &Name)
{
    return Base64::EncodeText(Name);
}

// 甲 (pa) and 乙 (pb) on the day of the copy: 甲 has three records (one of
// them in the trash), their order numbers, rules and own category list; 乙
// has one record and a rule. After the copy both change their passwords
// (pa2, pb2) and write more.
struct THousehold {
    TTestDb Db;
    QString Backup;
    QStringList CopiedIds; // 甲's records in the copy
    THousehold()
    {
        TclsDatabaseUser store(Db.File());
        store.AddUser("甲", "pa");
        store.AddUser("乙", "pb");
        AddSampleRecords(Db.File(), "甲", 3);
        AddSampleRecords(Db.File(), "乙", 1);
        CopiedIds =
            Db.Text(QString("select group_concat(ID) from All_Table where User_Name='%1'").arg(Enc("甲")))
                .split(',');
        for (const QString &id : CopiedIds)
            Db.Exec(QString("insert into Import_Orders values (%1,'alipay','A%1')").arg(id));
        Db.Exec(QString("insert into Import_Rules values ('%1','支出','店','早饭'),('%2','支出','店','午饭')")
                    .arg(Enc("甲"), Enc("乙")));
        store.SetProgramNames("甲", "支出项目名称", "copy-time");
        store.DeleteRecord("甲", CopiedIds[2]);
        Clock::SetToday(QDate(2026, 5, 1));
        MakeDailyBackup(Db.File(), QDate(2026, 5, 1));
        Clock::SetToday(QDate());
        Backup = BackupFolder(Db.File()) + "/pondo-2026-05-01.sjk";
        // Later that day.
        QVERIFY(store.ChangePassword("甲", "pa", "pa2"));
        QVERIFY(store.ChangePassword("乙", "pb", "pb2"));
        AddSampleRecords(Db.File(), "甲", 2);
        AddSampleRecords(Db.File(), "乙", 2);
        TclsTrash(Db.File()).Purge("甲", {CopiedIds[2]});
        store.SetProgramNames("甲", "支出项目名称", "later");
        Db.Exec(QString("insert into Import_Rules values ('%1','支出','后来','x')").arg(Enc("甲")));
    }
    qint64 Rows(const QString &Table, const QString &User) const
    {
        return Db.Count(QString("select count(*) from %1 where User_Name='%2'").arg(Table, Enc(User)));
    }
};

// Every table of the books with a column that names a member.
QStringList TablesNamingMembers(const TTestDb &Db)
{
    return Db
        .Text("select group_concat(m.name) from sqlite_master m, pragma_table_info(m.name) p where "
              "m.type='table' and p.name='User_Name'")
        .split(',');
}
} // namespace

class TestHousehold : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase()
    {
        UsePrivateRuntimeDir();
        ApplyTestFont();
    }

    void memberRestoreGivesBackThatMembersBooksAlone()
    {
        THousehold h;
        const qint64 all = h.Db.Count("select count(*) from All_Table");
        // A password of the copy is no key: 甲's password is the one of now.
        QCOMPARE(RestoreBackup(h.Db.File(), h.Backup, "甲", "pa").Status, TRestoreStatus::WrongPassword);
        QCOMPARE(RestoreBackup(h.Db.File(), h.Backup, "甲", "pb2").Status, TRestoreStatus::WrongPassword);
        QCOMPARE(h.Db.Count("select count(*) from All_Table"), all);
        const TRestoreResult done = RestoreBackup(h.Db.File(), h.Backup, "甲", "pa2");
        QCOMPARE(done.Status, TRestoreStatus::Restored);
        QVERIFY(!done.WholeBooks);
        QCOMPARE(done.Renumbered, 0);
        QCOMPARE(done.TakenAt.date(), QDate(2026, 5, 1));
        // 甲: records, trash, import memory and category list as copied.
        QCOMPARE(h.Rows("All_Table", "甲"), 2);
        QCOMPARE(h.Db.Text(QString("select ID from Trash_Table where User_Name='%1'").arg(Enc("甲"))),
                 h.CopiedIds[2]);
        QCOMPARE(h.Db.Text(QString("select group_concat(Rule_Key) from Import_Rules where User_Name='%1'")
                               .arg(Enc("甲"))),
                 QStringLiteral("店"));
        QCOMPARE(h.Db.Count("select count(*) from Import_Orders"), 3);
        QStringList outNames, inNames;
        TclsDatabaseUser store(h.Db.File());
        store.GetProgramNames("甲", outNames, inNames);
        QCOMPARE(outNames, QStringList{"copy-time"});
        // 乙 and every password untouched.
        QCOMPARE(h.Rows("All_Table", "乙"), 3);
        QCOMPARE(h.Rows("Import_Rules", "乙"), 1);
        QVERIFY(store.CheckLogin("乙", "pb2"));
        QVERIFY(!store.CheckLogin("乙", "pb"));
        QVERIFY(store.CheckLogin("甲", "pa2"));
        QVERIFY(!store.CheckLogin("甲", "pa"));
        QCOMPARE(store.GetUserNames().size(), 2);
        // A record restored from the trash keeps its number and its order number.
        QCOMPARE(TclsTrash(h.Db.File()).Restore("甲", {h.CopiedIds[2]}), 1);
        QCOMPARE(h.Db.Text("select Order_No from Import_Orders where Record_ID=" + h.CopiedIds[2]),
                 "A" + h.CopiedIds[2]);
    }

    void aNumberTakenByAnotherMemberIsGivenAnew()
    {
        THousehold h;
        // As after a restore of the whole books: 甲's number went to 乙.
        const QString taken = h.CopiedIds[1];
        h.Db.Exec("delete from All_Table where ID=" + taken);
        h.Db.Exec(QString("insert into All_Table (ID,Program_Date,Program_Type,Program_Name,Program_Money,"
                          "User_Name) values (%1,'2026-05-09','x','乙的',7,'%2')")
                      .arg(taken, Enc("乙")));
        h.Db.Exec(QString("update Import_Orders set Order_No='B' where Record_ID=%1").arg(taken));
        const qint64 top = h.Db.Count("select max(seq) from sqlite_sequence where name='All_Table'");
        const TRestoreResult done = RestoreBackup(h.Db.File(), h.Backup, "甲", "pa2");
        QCOMPARE(done.Status, TRestoreStatus::Restored);
        QCOMPARE(done.Renumbered, 1);
        QCOMPARE(h.Db.Text("select Program_Name from All_Table where ID=" + taken), QStringLiteral("乙的"));
        QCOMPARE(h.Db.Text("select Order_No from Import_Orders where Record_ID=" + taken),
                 QStringLiteral("B"));
        const QString moved =
            h.Db.Text(QString("select max(ID) from All_Table where User_Name='%1'").arg(Enc("甲")));
        QVERIFY(moved.toLongLong() > top);
        QCOMPARE(h.Db.Text("select Order_No from Import_Orders where Record_ID=" + moved), "A" + taken);
        // Numbers handed out later stay above it.
        AddSampleRecords(h.Db.File(), "乙", 1);
        QVERIFY(h.Db.Count("select max(ID) from All_Table") > moved.toLongLong());
    }

    void aCopyWithoutLaterTablesLeavesThemAsTheyAre()
    {
        THousehold h;
        {
            TclsConnection copy(h.Backup);
            copy.ExecuteScript(
                "drop table Import_Rules; drop table Import_Orders; drop table Password_Failures;");
        }
        QCOMPARE(RestoreBackup(h.Db.File(), h.Backup, "甲", "pa2").Status, TRestoreStatus::Restored);
        QCOMPARE(h.Rows("All_Table", "甲"), 2);
        QCOMPARE(h.Rows("Import_Rules", "甲"), 2); // the live rows stay
        QCOMPARE(h.Db.Count("select count(*) from Import_Orders"), 2);
    }

    void membersAndDeletedMembers()
    {
        THousehold h;
        QCOMPARE(RestoreBackup(h.Db.File(), h.Backup, "丙", "x").Status, TRestoreStatus::NotInCopy);
        QVERIFY(TclsDatabaseUser(h.Db.File()).DeleteUser("乙", "pb2"));
        // Deleted members do not come back with a copy.
        QCOMPARE(RestoreBackup(h.Db.File(), h.Backup, "乙", "pb").Status, TRestoreStatus::NotInBooks);
        QCOMPARE(TclsDatabaseUser(h.Db.File()).GetUserNames(), QStringList{"甲"});
    }

    void brokenBooksAreReplacedWholeAndEveryMemberIsTold()
    {
        THousehold h;
        {
            QFile file(h.Db.File());
            QVERIFY(file.open(QIODevice::ReadWrite));
            file.write(QByteArray(100, 'x')); // the header
        }
        QCOMPARE(RestoreBackup(h.Db.File(), h.Backup, "甲", "pa2").Status, TRestoreStatus::WrongPassword);
        const TRestoreResult done = RestoreBackup(h.Db.File(), h.Backup, "甲", "pa");
        QCOMPARE(done.Status, TRestoreStatus::Restored);
        QVERIFY(done.WholeBooks);
        QVERIFY(QFile::exists(done.Replaced));
        TclsDatabaseUser store(h.Db.File());
        QVERIFY(store.CheckLogin("乙", "pb")); // the copy's passwords, for everyone
        QVERIFY(store.TakeRestoreNotice("乙").startsWith("数据已于 "));
        QVERIFY(store.TakeRestoreNotice("乙").isEmpty()); // told once
        TclsDatabaseUser::SetDefaultDatabaseFile(h.Db.File());
        auto reset = qScopeGuard([] { TclsDatabaseUser::SetDefaultDatabaseFile(QString()); });
        TfrmLogin login;
        login.FormCreate();
        login.show();
        login.findChild<QComboBox *>("cboUserName")->setCurrentText("甲");
        login.findChild<QLineEdit *>("edtPassword")->setText("pa");
        TModalAnswerer answers;
        login.findChild<QPushButton *>("btnOK")->click();
        QCOMPARE(login.result(), int(QDialog::Accepted));
        QCOMPARE(answers.Seen.size(), 1);
        QVERIFY(answers.Seen[0].Text.contains(done.TakenAt.toString("yyyy-MM-dd HH:mm:ss")));
    }

    // Books that cannot be opened keep no count: the whole-books restore's
    // count lives in a file of its own, so a new start waits as well.
    void theWholeRestoresWaitOutlivesTheProgram()
    {
        THousehold h;
        QVERIFY(QFile::remove(h.Db.File()));
        for (int i = 0; i < 3; ++i)
            QCOMPARE(RestoreBackup(h.Db.File(), h.Backup, "甲", "x").Status, TRestoreStatus::WrongPassword);
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {"--restore-wait", h.Db.File(), "甲"});
        QVERIFY(child.waitForFinished());
        QCOMPARE(child.readAllStandardOutput().trimmed(), QByteArray("1"));
        QVERIFY(!QFile::exists(h.Db.File()));
    }

    void wrongPasswordsCostTime()
    {
        QCOMPARE(
            (QList<int>{PasswordWait::WaitAfter(2), PasswordWait::WaitAfter(3), PasswordWait::WaitAfter(4),
                        PasswordWait::WaitAfter(5), PasswordWait::WaitAfter(7), PasswordWait::WaitAfter(8),
                        PasswordWait::WaitAfter(40)}),
            (QList<int>{0, 1, 2, 4, 16, 30, 30}));
        TTestDb db;
        TclsDatabaseUser store(db.File());
        store.AddUser("甲", "pa");
        for (int i = 0; i < 3; ++i)
            QVERIFY(!store.CheckLogin("甲", "x"));
        QCOMPARE(store.SecondsToWait("甲"), 1);
        QVERIFY(!store.CheckLogin("甲", "pa")); // not even tried while waiting
        QCOMPARE(store.SecondsToWait("乙"), 0);
        // A new start of the program reads the count from the books.
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {"--wait", db.File(), "甲"});
        QVERIFY(child.waitForFinished());
        QCOMPARE(child.readAllStandardOutput().trimmed(), QByteArray("1"));
        QTRY_COMPARE_WITH_TIMEOUT(store.SecondsToWait("甲"), 0, 2500);
        QVERIFY(!store.CheckLogin("甲", "y"));
        QCOMPARE(store.SecondsToWait("甲"), 2);
        QCOMPARE(db.Count("select Failures from Password_Failures"), 4);
        // The restore page counts the same way.
        QCOMPARE(RestoreWaitSeconds(db.File(), "甲"), 2);
        QTRY_COMPARE_WITH_TIMEOUT(store.SecondsToWait("甲"), 0, 3500);
        QVERIFY(store.CheckLogin("甲", "pa"));
        QCOMPARE(db.Count("select count(*) from Password_Failures"), 0);
    }

    void theLoginShowsTheWaitAndStaysAlive()
    {
        TTestDb db;
        TclsDatabaseUser(db.File()).AddUser("甲", "pa");
        TclsDatabaseUser::SetDefaultDatabaseFile(db.File());
        auto reset = qScopeGuard([] { TclsDatabaseUser::SetDefaultDatabaseFile(QString()); });
        TfrmLogin login;
        login.FormCreate();
        login.show();
        auto *ok = login.findChild<QPushButton *>("btnOK");
        login.findChild<QLineEdit *>("edtPassword")->setText("wrong");
        TModalAnswerer answers;
        for (int i = 0; i < 3; ++i)
            ok->click();
        QCOMPARE(answers.Seen.size(), 3);
        QVERIFY(answers.Seen[2].Text.contains("请等 1 秒后再试"));
        QVERIFY(!ok->isEnabled());
        QCOMPARE(ok->text(), QStringLiteral("等 1 秒"));
        // The window goes on with its events and the button comes back.
        QTRY_VERIFY_WITH_TIMEOUT(ok->isEnabled(), 2500);
        QCOMPARE(ok->text(), QStringLiteral("登录(&O)"));
        login.findChild<QLineEdit *>("edtPassword")->setText("pa");
        ok->click();
        QVERIFY2(answers.Seen.size() == 3, qPrintable(answers.Texts().join(' ')));
        QCOMPARE(login.result(), int(QDialog::Accepted));
    }

    void lookAlikeNamesAreOneName()
    {
        TTestDb db;
        TclsDatabaseUser store(db.File());
        QVERIFY(store.AddUser("alice", "p"));
        for (const QString name : {"alice ", " alice", "Alice", "ALICE", "ａｌｉｃｅ", "ａｌｉｃｅ　"})
            QVERIFY2(!store.AddUser(name, "q"), qPrintable(name));
        QVERIFY(store.AddUser("bob ", "p"));
        QCOMPARE(store.GetUserNames(), (QStringList{"bob", "alice"}));
        QVERIFY(store.CheckLogin("bob", "p"));
        // A name stored before keeps working as it was stored.
        db.Exec(QString("insert into Users_Table values ('%1','%2')")
                    .arg(Enc("Carol "), db.Text("select User_Password from Users_Table limit 1")));
        QVERIFY(store.CheckLogin("Carol ", "p"));
        QVERIFY(!store.AddUser("carol", "p"));
        // Characters nobody sees are refused outright; letters of other
        // scripts and accents that make "alice" look like "alice" are the
        // same name.
        for (const char16_t *name :
             {u"ali\u200Bce", u"al\u034Fice", u"alice\u200F", u"\u202Ealice", u"ali\u00ADce", u"alic\u2060e",
              u"\u200B", u"\u3164", u"\u2800", u"a\tb"})
            QVERIFY2(!UserNames::Problem(QString::fromUtf16(name)).isEmpty() &&
                         !store.AddUser(QString::fromUtf16(name), "q"),
                     qPrintable(QString::fromUtf16(name)));
        for (const char16_t *name : {u"a\u0301lice", u"\u0430lice", u"al\u0131ce", u"ALİCE"})
            QVERIFY2(UserNames::Problem(QString::fromUtf16(name)).isEmpty() &&
                         !store.AddUser(QString::fromUtf16(name), "q"),
                     qPrintable(QString::fromUtf16(name)));
        QVERIFY(store.AddUser(QStringLiteral("Алиса"), "p"));
        QVERIFY(store.AddUser(QStringLiteral("张 三"), "p"));
        QCOMPARE(store.GetUserNames().size(), 5);
    }

    void aDeletedMemberLeavesNoRowAnywhere()
    {
        THousehold h;
        // Every table that names a member is on the list both the restore
        // and the delete go by.
        QStringList listed;
        for (const TUserTable &t : PerUserTables())
            listed << t.Table;
        for (const QString &table : TablesNamingMembers(h.Db))
            QVERIFY2(listed.contains(table), qPrintable(table + " is not in PerUserTables()"));
        h.Db.Exec(QString("insert into Restore_Notices values ('%1','x','y')").arg(Enc("甲")));
        QVERIFY(TclsDatabaseUser(h.Db.File()).DeleteUser("甲", "pa2"));
        for (const QString &table : TablesNamingMembers(h.Db))
            QCOMPARE(h.Rows(table, "甲"), 0);
        for (const QString &id : h.CopiedIds)
            QCOMPARE(h.Db.Count("select count(*) from Import_Orders where Record_ID=" + id), 0);
        QCOMPARE(h.Rows("All_Table", "乙"), 3);
        QCOMPARE(h.Rows("Import_Rules", "乙"), 1);
        // A new member of that name starts with nothing of the old one.
        QVERIFY(TclsDatabaseUser(h.Db.File()).AddUser("甲", "new"));
        QCOMPARE(h.Rows("Import_Rules", "甲"), 0);
    }

    void aChangeByNumberIsBoundToTheMember()
    {
        THousehold h;
        TclsDatabaseUser store(h.Db.File());
        const QString id = h.CopiedIds[0];
        QVERIFY_THROWS_EXCEPTION(TclsDatabaseError, store.UpdateRecord("乙", id, "改", "9", ""));
        QVERIFY_THROWS_EXCEPTION(TclsDatabaseError, store.DeleteRecord("乙", id));
        QCOMPARE(h.Db.Text("select User_Name from All_Table where ID=" + id), Enc("甲"));
        QCOMPARE(h.Db.Count("select Program_Money from All_Table where ID=" + id), 2);
        store.UpdateRecord("甲", id, "改", "9", "");
        QCOMPARE(h.Db.Count("select Program_Money from All_Table where ID=" + id), 9);
        store.DeleteRecord("甲", id);
        QCOMPARE(h.Db.Count("select count(*) from Trash_Table where ID=" + id), 1);
        // Callers that hold no member still go by number.
        store.UpdateRecord(h.CopiedIds[1], "号", "3", "");
        QCOMPARE(h.Db.Count("select Program_Money from All_Table where ID=" + h.CopiedIds[1]), 3);
    }
};

int main(int argc, char **argv)
{
    // A second start of the program that asks how long a name must wait.
    if (argc == 4 && qstrcmp(argv[1], "--wait") == 0) {
        QCoreApplication app(argc, argv);
        std::printf(
            "%d\n",
            TclsDatabaseUser(QString::fromLocal8Bit(argv[2])).SecondsToWait(QString::fromUtf8(argv[3])));
        return 0;
    }
    if (argc == 4 && qstrcmp(argv[1], "--restore-wait") == 0) {
        QCoreApplication app(argc, argv);
        std::printf("%d\n", RestoreWaitSeconds(QString::fromLocal8Bit(argv[2]), QString::fromUtf8(argv[3])));
        return 0;
    }
    QApplication app(argc, argv);
    TestHousehold test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_household.moc"
