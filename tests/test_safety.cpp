// Backups that never carry damage forward, never freeze the window, leave
// nothing behind when cut short and never lose the newest copy; safety
// copies before irreversible changes; the layout upgrade of older books.
#include "app/unt_frmLogin.h"
#include "app/unt_frmMain.h"
#include "data/unt_clsBackup.h"
#include "data/unt_clsBackupJob.h"
#include "data/unt_clsClock.h"
#include "data/unt_clsDatabaseUser.h"
#include "data/unt_clsRestore.h"
#include "data/unt_clsSchema.h"
#include "data/sqlite/unt_clsSqliteBackend.h"
#include "data/unt_clsConnection.h"
#include "tests/support/unt_testGui.h"

#include <QCryptographicHash>
#include <QProcess>
#include <QtTest>

#include <thread>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
// Count ledger rows of about 100 bytes each, made by SQL for speed.
void Fill(const TTestDb &Db, int Count)
{
    TclsDatabaseUser(Db.File()).AddUser("甲", "pa");
    Db.Exec(QStringLiteral("with recursive n(i) as (select 1 union all select i+1 from n where i<%1) "
                           "insert into All_Table (Program_Date,Program_Type,Program_Name,Program_Money,"
                           "Program_Memo,User_Name) select '2026-05-01','5pSv5Ye6','5pep6aWt',i,"
                           "printf('%%090d',i),(select User_Name from Users_Table) from n")
                .arg(Count));
}

// Turns a fresh file back into the layout of version 0, the three tables
// the program first shipped with, whatever later versions added.
void MakeFirstLayout(const TTestDb &Db)
{
    QStringList tables;
    {
        TclsConnection db(Db.File());
        for (auto rs =
                 db.Query("select name from sqlite_master where type='table' and name not like 'sqlite%'");
             !rs.Eof(); rs.MoveNext())
            tables << rs.Field(0);
    }
    for (const QString &table : tables)
        Db.Exec("drop table " + table);
    Db.Exec("CREATE TABLE Users_Table (User_Name TEXT NOT NULL, User_Password TEXT NOT NULL);"
            "CREATE TABLE Programs_Table (Out_Program_Names TEXT NOT NULL DEFAULT '', In_Program_Names TEXT "
            "NOT NULL DEFAULT '', User_Name TEXT NOT NULL);"
            "CREATE TABLE All_Table (ID INTEGER PRIMARY KEY AUTOINCREMENT, Program_Date TEXT NOT NULL, "
            "Program_Type TEXT NOT NULL, Program_Name TEXT NOT NULL, Program_Money NUMERIC NOT NULL, "
            "Program_Memo TEXT NOT NULL DEFAULT '', User_Name TEXT NOT NULL);"
            "CREATE INDEX All_Table_User_Date ON All_Table (User_Name, Program_Date, Program_Type, ID);"
            "CREATE INDEX Users_Table_Name ON Users_Table (User_Name);"
            "CREATE INDEX Programs_Table_Name ON Programs_Table (User_Name);"
            "PRAGMA user_version = 0;");
    // Free pages of the dropped tables would leave room for damage that no
    // check can see.
    Db.Exec("VACUUM");
}

// Overwrites one whole page in the middle of the file.
void Damage(const QString &File)
{
    QFile file(File);
    QVERIFY(file.open(QIODevice::ReadWrite));
    const qint64 pages = file.size() / 4096;
    QVERIFY(file.seek(pages / 2 * 4096));
    QVERIFY(file.write(QByteArray(4096, '\x55')) == 4096);
}

// Name and checksum of every file in the folder.
QStringList Snapshot(const QString &Folder)
{
    QStringList files;
    const QDir dir(Folder);
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden, QDir::Name)) {
        QFile file(dir.filePath(name));
        file.open(QIODevice::ReadOnly);
        files << name + QLatin1Char(' ') +
                     QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1).toHex();
    }
    return files;
}

QStringList Copies(const QString &Folder, const QString &Pattern = QStringLiteral("pondo-*.sjk"))
{
    return QDir(Folder).entryList({Pattern}, QDir::Files, QDir::Name);
}
} // namespace

class TestSafety : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase()
    {
        UsePrivateRuntimeDir();
        ApplyTestFont();
    }
    void cleanup() { Clock::SetToday(QDate()); }

    // A member of the household outside the books' group is told that, and
    // how to get in, not that the books are missing or damaged. Root enters
    // every folder, so the books are opened by a forked child that has given
    // up root for the account "nobody".
    void booksClosedToThisAccountSaySo()
    {
        const struct group *users = ::getgrnam("users");
        if (!users)
            QSKIP("no group users to close the folder to");
        QTemporaryDir root;
        QVERIFY(QFile::setPermissions(root.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                       QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                                       QFile::ExeOther));
        const QString folder = root.path() + "/Database", file = folder + "/pondo.sjk";
        QVERIFY(QDir().mkpath(folder));
        MakeDatabaseFile(file);
        QCOMPARE(::chown(folder.toLocal8Bit().constData(), ::geteuid(), users->gr_gid), 0);
        QCOMPARE(::chmod(folder.toLocal8Bit().constData(), 02770), 0);
        QString message;
        if (::geteuid() != 0) {
            if (!IsAccessDenied(file))
                QSKIP("this account is in the group users");
            try {
                TclsConnection db(file);
            } catch (const std::exception &error) {
                message = QString::fromUtf8(error.what());
            }
        } else {
            int out[2];
            QCOMPARE(::pipe(out), 0);
            const pid_t child = ::fork();
            if (child == 0) {
                ::close(out[0]);
                std::string text = "opened";
                if (::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0) {
                    try {
                        TclsConnection db(file);
                    } catch (const std::exception &error) {
                        text = error.what();
                    }
                    if (!IsAccessDenied(file))
                        text += "\nnot denied";
                } else {
                    text = "setuid failed";
                }
                (void)!::write(out[1], text.data(), text.size());
                ::_exit(0);
            }
            ::close(out[1]);
            const QByteArray bytes = ReadToEnd(out[0]);
            ::waitpid(child, nullptr, 0);
            message = QString::fromUtf8(bytes);
        }
        QVERIFY2(message.contains(QStringLiteral("请让管理员把您加入 users 组，然后重新登录。")),
                 qPrintable(message));
        QVERIFY2(!message.contains(QStringLiteral("找不到")) &&
                     !message.contains(QStringLiteral("not denied")),
                 qPrintable(message));
    }

    void damagedBooksNeverReplaceGoodCopies()
    {
        TMainFixture f;
        Fill(f.Db, 4000);
        const QString folder = BackupFolder(f.Db.File());
        const QDate first(2026, 3, 1);
        for (int day = 0; day < 10; ++day)
            QVERIFY(MakeDailyBackup(f.Db.File(), first.addDays(day)).Made);
        QCOMPARE(Copies(folder).size(), 10);
        for (const QString &name : Copies(folder))
            QCOMPARE(CheckDatabaseFile(folder + "/" + name), QStringLiteral("ok"));
        const QStringList good = Snapshot(folder);
        Damage(f.Db.File());
        QVERIFY(CheckDatabaseFile(f.Db.File()) != QStringLiteral("ok"));
        // Eleven more days, each start telling the user once.
        for (int day = 10; day < 21; ++day) {
            Clock::SetToday(first.addDays(day));
            TModalAnswerer answers;
            f.Main->BackUpDatabase();
            QTRY_COMPARE(answers.Seen.size(), 1);
            QVERIFY(answers.Seen[0].Text.contains("已损坏"));
            QVERIFY(answers.Seen[0].Text.contains("恢复数据"));
            QCOMPARE(Snapshot(folder), good);
        }
        const TBackupResult again = MakeDailyBackup(f.Db.File(), first.addDays(30));
        QVERIFY(again.Damaged && !again.Made);
        QCOMPARE(Snapshot(folder), good);
    }

    void lockedBooksDoNotFreezeTheWindow()
    {
        TMainFixture f;
        Fill(f.Db, 100);
        Clock::SetToday(QDate(2026, 4, 1));
        const QString copy = BackupFolder(f.Db.File()) + "/pondo-2026-04-01.sjk";
        // Another program holds the books for a while.
        std::atomic_bool locked{false};
        std::thread other([&] {
            TclsConnection db(f.Db.File());
            db.Execute("BEGIN EXCLUSIVE");
            locked = true;
            QThread::msleep(1500);
            db.Execute("ROLLBACK");
        });
        while (!locked)
            QThread::msleep(1);
        QElapsedTimer clock;
        clock.start();
        f.Main->BackUpDatabase();
        const qint64 blocked = clock.elapsed();
        int ticks = 0;
        QTimer tick;
        connect(&tick, &QTimer::timeout, [&] { ++ticks; });
        tick.start(10);
        QTest::qWait(500);
        other.join();
        QVERIFY2(blocked < 300, qPrintable(QString::number(blocked)));
        QVERIFY(ticks > 20);
        QTRY_VERIFY(QFile::exists(copy));
        QCOMPARE(CheckDatabaseFile(copy), QStringLiteral("ok"));
    }

    void aLockHeldTooLongGivesUpUntilNextStart()
    {
        TTestDb db;
        Fill(db, 100);
        TclsConnection other(db.File());
        other.Execute("BEGIN EXCLUSIVE");
        TBackupOptions options;
        options.Limits.DeadlineMs = 300;
        QElapsedTimer clock;
        clock.start();
        const TBackupResult busy = MakeDailyBackup(db.File(), QDate(2026, 4, 2), options);
        QVERIFY(busy.Busy && !busy.Made && busy.Error.isEmpty());
        QVERIFY(clock.elapsed() < 2000);
        QVERIFY(Copies(BackupFolder(db.File())).isEmpty());
        QVERIFY(QDir(BackupFolder(db.File())).entryList({"*.part*"}, QDir::Files).isEmpty());
        other.Execute("ROLLBACK");
        QVERIFY(MakeDailyBackup(db.File(), QDate(2026, 4, 2), options).Made);
    }

    void interruptedCopyLeavesNothingThatLooksFinished()
    {
        TTestDb db;
        Fill(db, 300000); // about 40 MB
        const QString folder = BackupFolder(db.File());
        QDir().mkpath(folder);
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {"--copy", db.File(), "2026-05-01"});
        QVERIFY(child.waitForStarted());
        // The copy's temporary file has letters of chance in its name.
        auto partialName = [&] {
            const QStringList found = QDir(folder).entryList({"pondo-2026-05-01.sjk.*.part"}, QDir::Files);
            return found.isEmpty() ? QString() : folder + "/" + found[0];
        };
        QString partial;
        QElapsedTimer clock;
        clock.start();
        while ((partial = partialName(), QFileInfo(partial).size() < 1000000) && clock.elapsed() < 20000 &&
               child.state() == QProcess::Running)
            QThread::usleep(200);
        child.kill();
        child.waitForFinished();
        QVERIFY2(QFile::exists(partial), "the copy was not caught half-way");
        QVERIFY(Copies(folder).isEmpty());
        // Made to look like a finished backup, the remains are refused.
        QVERIFY(QFile::copy(partial, folder + "/pondo-2026-04-30.sjk"));
        const QStringList live = Snapshot(db.Dir());
        QCOMPARE(RestoreBackup(db.File(), folder + "/pondo-2026-04-30.sjk", "甲", "pa").Status,
                 TRestoreStatus::Damaged);
        QVERIFY(ListBackups(db.File()).first().Damaged);
        QCOMPARE(Snapshot(db.Dir()), live); // the books untouched
        const TBackupResult next = MakeDailyBackup(db.File(), QDate(2026, 5, 1));
        QVERIFY2(next.Made, qPrintable(next.Error));
        QVERIFY(QDir(folder).entryList({"*.part*"}, QDir::Files).isEmpty());
        QCOMPARE(CheckDatabaseFile(folder + "/pondo-2026-05-01.sjk"), QStringLiteral("ok"));
    }

    void leftoversOfEarlierCopiesAreRemoved()
    {
        TTestDb db;
        const QString folder = BackupFolder(db.File());
        QDir().mkpath(folder);
        for (const char *name : {"pondo-2026-01-01.sjk.part", "pondo-2026-01-01.sjk.part-journal",
                                 "pondo-2025-12-31.sjk.part", "pondo-before-upgrade-x.sjk.part"}) {
            QFile file(folder + "/" + name);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray(1000, 'x'));
        }
        QVERIFY(MakeDailyBackup(db.File(), QDate(2026, 6, 1)).Made);
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{"pondo-2026-06-01.sjk"});
    }

    void aClockSetAheadNeverCostsTheNewestCopy()
    {
        TTestDb db;
        Fill(db, 10);
        const QString folder = BackupFolder(db.File());
        for (int day = 1; day <= 10; ++day) {
            Clock::SetToday(QDate(2030, 1, day));
            QVERIFY(MakeDailyBackup(db.File(), Clock::Today()).Made);
        }
        for (int day = 8; day <= 12; ++day) {
            Clock::SetToday(QDate(2026, 12, day));
            QVERIFY(MakeDailyBackup(db.File(), Clock::Today()).Made);
            const QString newest = QStringLiteral("pondo-2026-12-%1.sjk").arg(day, 2, 10, QLatin1Char('0'));
            QVERIFY2(Copies(folder).contains(newest), qPrintable(Copies(folder).join(' ')));
        }
        const QStringList left = Copies(folder);
        // The newest ten by the order of taking, and each month's first.
        QCOMPARE(left.size(), 11);
        for (const char *kept : {"pondo-2026-12-08.sjk", "pondo-2026-12-12.sjk", "pondo-2030-01-01.sjk",
                                 "pondo-2030-01-06.sjk", "pondo-2030-01-10.sjk"})
            QVERIFY2(left.contains(kept), kept);
        QVERIFY(!left.contains("pondo-2030-01-05.sjk"));
    }

    void firstCopyOfEachOfTwelveMonths()
    {
        TTestDb db;
        const QString folder = BackupFolder(db.File());
        for (int month = 0; month < 15; ++month)
            for (int day = 1; day <= 3; ++day) {
                Clock::SetToday(QDate(2025, 1, day).addMonths(month));
                QVERIFY(MakeDailyBackup(db.File(), Clock::Today()).Made);
            }
        const QStringList left = Copies(folder);
        QCOMPARE(left.size(), 10 + 12 - 3); // the last three months' firsts are among the newest ten
        QVERIFY(!left.contains("pondo-2025-03-01.sjk"));
        QVERIFY(left.contains("pondo-2025-04-01.sjk"));
        QVERIFY(!left.contains("pondo-2025-04-02.sjk"));
    }

    void deleteUserTakesASafetyCopyFirst()
    {
        TTestDb db;
        Fill(db, 50);
        TclsDatabaseUser store(db.File());
        const QString folder = BackupFolder(db.File());
        // No copy possible (the folder's place is taken by a file): nothing deleted.
        {
            QFile blocker(folder);
            QVERIFY(blocker.open(QIODevice::WriteOnly));
        }
        QVERIFY_THROWS_EXCEPTION(TclsDatabaseError, store.DeleteUser("甲", "pa"));
        QCOMPARE(db.Count("select count(*) from All_Table"), 50);
        QVERIFY(QFile::remove(folder));
        QVERIFY(store.DeleteUser("甲", "pa"));
        QCOMPARE(db.Count("select count(*) from All_Table"), 0);
        const QStringList copies = Copies(folder, "pondo-before-deleteuser-*.sjk");
        QCOMPARE(copies.size(), 1);
        QCOMPARE(QueryReadOnly(folder + "/" + copies[0], "select count(*) from All_Table"),
                 QStringLiteral("50"));
        QVERIFY(Copies(folder, "pondo-2*.sjk").isEmpty()); // not one of the daily copies
    }

    void olderBooksAreUpgradedOnceWithASafetyCopy()
    {
        TTestDb db;
        MakeFirstLayout(db);
        Fill(db, 20);
        const QString folder = BackupFolder(db.File());
        TclsDatabaseUser::SetDefaultDatabaseFile(db.File());
        auto cleanUp = qScopeGuard([] { TclsDatabaseUser::SetDefaultDatabaseFile(QString()); });
        for (int start = 0; start < 2; ++start) {
            TModalAnswerer answers;
            TfrmLogin login;
            login.FormCreate();
            QVERIFY2(answers.Seen.isEmpty(), qPrintable(answers.Texts().join(' ')));
        }
        QCOMPARE(SchemaVersion(db.File()), CurrentSchemaVersion());
        const QStringList copies = Copies(folder, "pondo-before-upgrade-*.sjk");
        QCOMPARE(copies.size(), 1);
        const QString copy = folder + "/" + copies[0];
        QCOMPARE(QueryReadOnly(copy, "pragma user_version"), QStringLiteral("0"));
        QCOMPARE(QueryReadOnly(copy, "select count(*) from All_Table"), QStringLiteral("20"));
        QCOMPARE(db.Count("select count(*) from All_Table"), 20);
        QVERIFY(TclsDatabaseUser(db.File()).CheckLogin("甲", "pa"));
        // The upgraded layout is the one a new file gets.
        TTestDb fresh;
        const char *columns =
            "select group_concat(c, ',') from (select m.name||'.'||p.name||' '||p.type||' "
            "'||p.\"notnull\"||' '||"
            "ifnull(p.dflt_value,'')||' '||p.pk as c from sqlite_master m, pragma_table_info(m.name) p "
            "where m.type='table' order by m.name, p.cid)";
        QCOMPARE(db.Text(columns), fresh.Text(columns));
        const char *indexes = "select group_concat(name, ',') from (select name from sqlite_master where "
                              "type='index' order by name)";
        QCOMPARE(db.Text(indexes), fresh.Text(indexes));
        QCOMPARE(SchemaVersion(fresh.File()), CurrentSchemaVersion());
    }

    void aFailedUpgradeChangesNothing()
    {
        TTestDb db;
        MakeFirstLayout(db);
        Fill(db, 5);
        db.Exec("create table Trash_Table_User (x);");
        // The index name is taken by a table: the step fails half-way.
        QVERIFY_THROWS_EXCEPTION(TclsDatabaseError, UpgradeSchema(db.File()));
        QCOMPARE(SchemaVersion(db.File()), 0);
        QCOMPARE(db.Count("select count(*) from sqlite_master where name='Trash_Table'"), 0);
        QCOMPARE(db.Count("select count(*) from All_Table"), 5);
        // Each further start on the same unchanged file keeps the one
        // verified copy; a changed file gets a copy of its own.
        const QString folder = BackupFolder(db.File());
        QVERIFY_THROWS_EXCEPTION(TclsDatabaseError, UpgradeSchema(db.File()));
        QCOMPARE(Copies(folder, "pondo-before-upgrade-*.sjk").size(), 1);
        Damage(folder + "/" + Copies(folder, "pondo-before-upgrade-*.sjk")[0]); // no longer verified
        QVERIFY_THROWS_EXCEPTION(TclsDatabaseError, UpgradeSchema(db.File()));
        QCOMPARE(Copies(folder, "pondo-before-upgrade-*.sjk").size(), 2);
        db.Exec("insert into All_Table (Program_Date,Program_Type,Program_Name,Program_Money,User_Name) "
                "values ('2026-05-02','a','b',1,'c')");
        QVERIFY_THROWS_EXCEPTION(TclsDatabaseError, UpgradeSchema(db.File()));
        QCOMPARE(Copies(folder, "pondo-before-upgrade-*.sjk").size(), 3);
        db.Exec("drop table Trash_Table_User;");
        QVERIFY(UpgradeSchema(db.File()));
        QCOMPARE(Copies(folder, "pondo-before-upgrade-*.sjk").size(), 4);
    }
};

int main(int argc, char **argv)
{
    // The child that a test kills half-way through a copy.
    if (argc == 4 && qstrcmp(argv[1], "--copy") == 0) {
        QCoreApplication app(argc, argv);
        MakeDailyBackup(QString::fromLocal8Bit(argv[2]),
                        QDate::fromString(QString::fromLatin1(argv[3]), Qt::ISODate));
        return 0;
    }
    QApplication app(argc, argv);
    TestSafety test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_safety.moc"
