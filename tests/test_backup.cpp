// Daily database backups: made once a day, equal to the database, capped,
// and a failure that changes nothing but is reported.
#include "app/unt_frmMain.h"
#include "data/unt_clsBackup.h"
#include "data/unt_clsClock.h"
#include "data/unt_clsDatabaseUser.h"
#include "data/unt_clsConnection.h"
#include "tests/support/unt_testGui.h"

#include <QtTest>

#include <sys/stat.h>

namespace
{

// Every record, in a fixed order, as one text.
QString Contents(const QString &File)
{
    TclsConnection db(File);
    TclsRecordSet set = db.Query("select group_concat(User_Name || Program_Date || Program_Name || "
                                 "Program_Money || Program_Memo, '|') "
                                 "from (select * from All_Table order by ID)");
    return set.Field(0);
}

} // namespace

class TestBackup : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase()
    {
        UsePrivateRuntimeDir();
        ApplyTestFont();
    }

    void onceADayAndEqual()
    {
        TTestDb db;
        TclsDatabaseUser(db.File()).AddUser("U", "p");
        AddSampleRecords(db.File(), "U", 5);
        const QString copy = BackupFolder(db.File()) + "/pondo-2026-12-08.sjk";
        const TBackupResult first = MakeDailyBackup(db.File(), QDate(2026, 12, 8));
        QVERIFY2(first.Made && first.Error.isEmpty(), qPrintable(first.Error));
        QCOMPARE(Contents(copy), Contents(db.File()));
        QVERIFY(!Contents(copy).isEmpty());
        // Later the same day: the morning's copy stays as it was.
        AddSampleRecords(db.File(), "U", 1);
        const TBackupResult second = MakeDailyBackup(db.File(), QDate(2026, 12, 8));
        QVERIFY(!second.Made && second.Error.isEmpty());
        QVERIFY(Contents(copy) != Contents(db.File()));
        QVERIFY(MakeDailyBackup(db.File(), QDate(2026, 12, 9)).Made);
        QCOMPARE(Contents(BackupFolder(db.File()) + "/pondo-2026-12-09.sjk"), Contents(db.File()));
    }

    void consistentWhileAnotherWrites()
    {
        TTestDb db;
        TclsDatabaseUser(db.File()).AddUser("U", "p");
        AddSampleRecords(db.File(), "U", 3);
        const QString before = Contents(db.File());
        TclsConnection writer(db.File());
        writer.Execute("begin immediate");
        writer.Execute(
            "insert into All_Table (User_Name, Program_Type, Program_Date, Program_Name, Program_Money, "
            "Program_Memo) values ('x', 'x', 'x', 'x', 1, 'x')");
        const TBackupResult result = MakeDailyBackup(db.File(), QDate(2026, 1, 1));
        writer.Execute("rollback");
        QVERIFY2(result.Made, qPrintable(result.Error));
        QCOMPARE(Contents(BackupFolder(db.File()) + "/pondo-2026-01-01.sjk"), before);
    }

    void newestTenKept()
    {
        TTestDb db;
        const QString folder = BackupFolder(db.File());
        QDir().mkpath(folder);
        QFile other(folder + "/notes.txt");
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.close();
        for (int day = 1; day <= 12; ++day)
            QVERIFY(MakeDailyBackup(db.File(), QDate(2026, 3, day)).Made);
        // The newest ten, and the month's first copy besides.
        QStringList left = QDir(folder).entryList(QDir::Files, QDir::Name);
        QCOMPARE(left.size(), 12);
        QCOMPARE(left.first(), QStringLiteral("notes.txt"));
        QCOMPARE(left[1], QStringLiteral("pondo-2026-03-01.sjk"));
        QCOMPARE(left[2], QStringLiteral("pondo-2026-03-03.sjk"));
        QCOMPARE(left.last(), QStringLiteral("pondo-2026-03-12.sjk"));
    }

    void failureWarnsAndChangesNothing()
    {
        TMainFixture f;
        AddSampleRecords(f.Db.File(), f.User, 2);
        const QString before = Contents(f.Db.File());
        TSmallDisk disk(64, BackupFolder(f.Db.File()));
        if (!disk.Ok)
            QSKIP("mounting a tmpfs is not permitted here");
        // A fresh tmpfs is open to everyone (1777), which a backup folder may not be.
        QVERIFY(::chmod(QFile::encodeName(disk.Dir()).constData(), 0770) == 0);
        QVERIFY(disk.MakeReadOnly());
        Clock::SetToday(QDate(2026, 12, 8));
        {
            TModalAnswerer answers;
            f.Main->BackUpDatabase(); // beside the window: the warning comes when it is done
            QTRY_COMPARE(answers.Seen.size(), 1);
            QCOMPARE(answers.Seen[0].Icon, QMessageBox::Warning);
            QVERIFY(answers.Seen[0].Text.contains("pondo-2026-12-08.sjk"));
        }
        Clock::SetToday(QDate());
        QCOMPARE(Contents(f.Db.File()), before);
        QVERIFY(QDir(disk.Dir()).entryList(QDir::Files | QDir::Hidden).isEmpty());
        // The program goes on: the store still answers and writes.
        AddSampleRecords(f.Db.File(), f.User, 1);
        QVERIFY(Contents(f.Db.File()) != before);
    }
};

QTEST_MAIN(TestBackup)
#include "test_backup.moc"
