// Files in the household's shared folders: links planted by another account
// are never written through, a backup folder that is a link or belongs to a
// stranger is refused, the books' mode and group go to their copies and to
// restored books (not to exports), and what an interrupted copy or restore
// left is cleared at the next start.
#include "app/unt_frmLogin.h"
#include "data/unt_clsBackup.h"
#include "data/unt_clsClock.h"
#include "data/unt_clsDatabaseUser.h"
#include "data/unt_clsRestore.h"
#include "data/unt_clsSharedFiles.h"
#include "data/unt_clsConnection.h"
#include "reports/unt_reportFiles.h"
#include "tests/support/unt_testGui.h"

#include <QRegularExpression>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

namespace
{
// A group no account of this machine has, so modes and groups are seen to
// be copied, not inherited (as root, any group can be given).
const gid_t HouseholdGroup = 47113;

// A private file of another member, outside the shared folders.
struct TVictim {
    QTemporaryDir Home;
    QString File = Home.path() + "/private.txt";
    TVictim()
    {
        QFile file(File);
        file.open(QIODevice::WriteOnly);
        file.write("alice's secret");
        file.close();
        ::chmod(QFile::encodeName(File).constData(), 0600);
    }
    bool Untouched() const
    {
        QFile file(File);
        struct stat info {
        };
        return file.open(QIODevice::ReadOnly) && file.readAll() == "alice's secret" &&
               ::stat(QFile::encodeName(File).constData(), &info) == 0 && (info.st_mode & 0777) == 0600;
    }
};

void Plant(const QString &Target, const QString &At)
{
    QVERIFY2(QFile::link(Target, At), qPrintable(At));
}

struct stat Info(const QString &Path)
{
    struct stat info {
    };
    ::lstat(QFile::encodeName(Path).constData(), &info);
    return info;
}

// 甲's books of 2026-05-01 with a daily copy.
struct TBooks {
    TTestDb Db;
    QString Folder = BackupFolder(Db.File());
    TBooks()
    {
        TclsDatabaseUser(Db.File()).AddUser("甲", "pa");
        AddSampleRecords(Db.File(), "甲", 3);
    }
};
} // namespace

class TestSharedFiles : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase()
    {
        UsePrivateRuntimeDir();
        ApplyTestFont();
    }
    void cleanup() { Clock::SetToday(QDate()); }

    void plantedLinksAreNeverFollowed()
    {
        TBooks books;
        TVictim victim;
        QDir().mkpath(books.Folder);
        // Every name the copies and the restore ever used, or will use.
        for (const char *name : {"pondo-2026-05-01.sjk", "pondo-2026-05-01.sjk.part",
                                 "pondo-2026-05-01.sjk.part-journal", "pondo-2026-05-01.sjk-journal"})
            Plant(victim.File, books.Folder + "/" + name);
        for (const char *name : {"pondo.sjk.restore.part", "pondo.sjk.restore.part-journal"})
            Plant(victim.File, books.Db.Dir() + "/" + name);
        // The daily copy replaces the link with a copy of its own.
        const TBackupResult daily = MakeDailyBackup(books.Db.File(), QDate(2026, 5, 1));
        QVERIFY2(daily.Made, qPrintable(daily.Error));
        QVERIFY(S_ISREG(Info(books.Folder + "/pondo-2026-05-01.sjk").st_mode));
        QCOMPARE(CheckDatabaseFile(books.Folder + "/pondo-2026-05-01.sjk"), QStringLiteral("ok"));
        // The safety copy, a member's restore and a whole restore.
        Plant(victim.File, books.Folder + "/pondo-2026-05-01.sjk.part");
        const QString safety = MakeSafetyCopy(books.Db.File(), "test");
        QVERIFY(S_ISREG(Info(safety).st_mode));
        const QString backup = books.Folder + "/pondo-2026-05-01.sjk";
        QCOMPARE(RestoreBackup(books.Db.File(), backup, "甲", "pa").Status, TRestoreStatus::Restored);
        QVERIFY(QFile::remove(books.Db.File()));
        const TRestoreResult whole = RestoreBackup(books.Db.File(), backup, "甲", "pa");
        QCOMPARE(whole.Status, TRestoreStatus::Restored);
        QVERIFY(whole.WholeBooks);
        QCOMPARE(books.Db.Count("select count(*) from All_Table"), 3);
        // An export's temporary file is made new too (QSaveFile: O_EXCL).
        QTemporaryDir exports;
        for (const char *name : {"out.txt.part", "out.txt.tmp", "out.txt~", "out.txt.new"})
            Plant(victim.File, exports.path() + "/" + name);
        WriteWholeFile(exports.path() + "/out.txt", QByteArray("rows"));
        QVERIFY(victim.Untouched());
        // The restore page lists no link.
        Plant(backup, books.Folder + "/pondo-2026-04-30.sjk");
        QCOMPARE(ListBackups(books.Db.File()).size(),
                 QDir(books.Folder).entryList({"pondo-*.sjk"}, QDir::Files | QDir::NoSymLinks).size());
        for (const TBackupEntry &entry : ListBackups(books.Db.File()))
            QVERIFY(!entry.File.endsWith("2026-04-30.sjk"));
        QCOMPARE(RestoreBackup(books.Db.File(), books.Folder + "/pondo-2026-04-30.sjk", "甲", "pa").Status,
                 TRestoreStatus::Damaged);
    }

    // A link at the books' name (to another member's private books), a pipe
    // there, or a second name of another file: refused with a message that
    // names the file, and nothing of the other file is read or copied.
    void theBooksAreOpenedAsWhatTheyAre()
    {
        TBooks victim; // the other member's private books
        TTestDb shared;
        const QString before = FileHash(victim.Db.File());
        auto opening = [&] {
            try {
                TclsDatabaseUser(shared.File()).GetUserNames();
                return QStringLiteral("opened");
            } catch (const TclsDatabaseError &error) {
                return QString::fromUtf8(error.what());
            }
        };
        QVERIFY(QFile::remove(shared.File()));
        Plant(victim.Db.File(), shared.File());
        QString message = opening();
        QVERIFY2(message.contains("是一个链接") && message.contains(shared.File()), qPrintable(message));
        const TBackupResult daily = MakeDailyBackup(shared.File(), QDate(2026, 5, 1));
        QVERIFY2(!daily.Made && !daily.Damaged && daily.Error.contains("是一个链接"),
                 qPrintable(daily.Error));
        QVERIFY(QDir(BackupFolder(shared.File())).entryList({"*.sjk"}, QDir::Files).isEmpty());
        // The system's words come in Chinese, never as strerror's English.
        const QString copied = CopyBytesExclusive(shared.File(), shared.Dir() + "/out", {});
        QVERIFY2(copied.contains("链接") && !copied.contains(QRegularExpression("[A-Za-z]{3}")),
                 qPrintable(copied));
        QVERIFY(QFile::remove(shared.File()));
        QCOMPARE(::mkfifo(QFile::encodeName(shared.File()).constData(), 0660), 0);
        message = opening();
        QVERIFY2(message.contains("是一个管道"), qPrintable(message));
        QVERIFY(QFile::remove(shared.File()));
        QCOMPARE(::link(QFile::encodeName(victim.Db.File()).constData(),
                        QFile::encodeName(shared.File()).constData()),
                 0);
        message = opening();
        QVERIFY2(message.contains("硬链接"), qPrintable(message));
        QCOMPARE(FileHash(victim.Db.File()), before);
    }

    // A pipe at the copies' lock leaves nobody waiting for a writer, junk
    // there is just a file to lock, and a lock that cannot be had is said.
    void theCopiesLockIsARegularFileOrNone()
    {
        TBooks books;
        QDir().mkpath(books.Folder);
        const QString lock = books.Folder + "/.backup.lock";
        {
            QFile junk(lock);
            QVERIFY(junk.open(QIODevice::WriteOnly));
            junk.write("4242\nlumora\nsomewhere\n");
        }
        const TBackupResult daily = MakeDailyBackup(books.Db.File(), QDate(2026, 5, 1));
        QVERIFY2(daily.Made, qPrintable(daily.Error));
        QVERIFY(QFile::remove(lock));
        QCOMPARE(::mkfifo(QFile::encodeName(lock).constData(), 0666), 0);
        QElapsedTimer clock;
        clock.start();
        const TBackupResult blocked = MakeDailyBackup(books.Db.File(), QDate(2026, 5, 2));
        QVERIFY(!blocked.Made);
        QVERIFY2(blocked.Error.contains("锁文件") && blocked.Error.contains(lock), qPrintable(blocked.Error));
        QVERIFY_THROWS_EXCEPTION(TclsDatabaseError, MakeSafetyCopy(books.Db.File(), "test"));
        ClearCopyLeftovers(books.Db.File());
        QVERIFY(clock.elapsed() < 5000);
    }

    // With the books missing, the backup folder of a setgid household
    // folder is the household's: its group is the folder's, not the
    // member's own.
    void withoutTheBooksTheFoldersGroupCounts()
    {
        if (::geteuid() != 0)
            QSKIP("giving a folder another owner needs root");
        TBooks books;
        QDir().mkpath(books.Folder);
        QCOMPARE(::chown(QFile::encodeName(books.Db.Dir()).constData(), 0, HouseholdGroup), 0);
        QCOMPARE(::chown(QFile::encodeName(books.Folder).constData(), 47114, HouseholdGroup), 0);
        QVERIFY(QFile::remove(books.Db.File()));
        QCOMPARE(UsableBackupFolder(books.Db.File()), QString());
    }

    void exclusiveFilesAreNewEveryTime()
    {
        QTemporaryDir dir;
        TBooksMode mode;
        QSet<QString> made;
        for (int i = 0; i < 50; ++i) {
            QString error;
            const QString file = MakeExclusiveFile(dir.path(), "pondo.sjk", mode, &error);
            QVERIFY2(!file.isEmpty(), qPrintable(error));
            QVERIFY(file.startsWith(dir.path() + "/pondo.sjk.") && file.endsWith(".part"));
            made << file;
        }
        QCOMPARE(made.size(), 50);
        QString error;
        QVERIFY(MakeExclusiveFile(dir.path() + "/missing", "x", mode, &error).isEmpty());
        QVERIFY(!error.isEmpty());
        // Copying onto a name that exists, a link among them, is refused.
        TVictim victim;
        Plant(victim.File, dir.path() + "/link");
        QVERIFY(!CopyBytesExclusive(*made.begin(), dir.path() + "/link", mode).isEmpty());
        QVERIFY(victim.Untouched());
    }

    void aBackupFolderThatIsALinkOrAStrangersIsRefused()
    {
        TBooks books;
        QTemporaryDir elsewhere;
        Plant(elsewhere.path(), books.Folder);
        const TBackupResult daily = MakeDailyBackup(books.Db.File(), QDate(2026, 5, 1));
        QVERIFY(!daily.Made);
        QVERIFY2(daily.Error.contains("是一个链接"), qPrintable(daily.Error));
        QVERIFY_THROWS_EXCEPTION(TclsDatabaseError, MakeSafetyCopy(books.Db.File(), "test"));
        QString problem;
        QVERIFY(ListBackups(books.Db.File(), &problem).isEmpty());
        QVERIFY(problem.contains("是一个链接"));
        QVERIFY(QDir(elsewhere.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
        // A real folder that belongs to neither the user nor the books' group.
        QVERIFY(QFile::remove(books.Folder));
        QVERIFY(QDir().mkpath(books.Folder));
        QCOMPARE(::chown(QFile::encodeName(books.Folder).constData(), 47114, 47114), 0);
        QVERIFY(MakeDailyBackup(books.Db.File(), QDate(2026, 5, 1)).Error.contains("既不属于您"));
        // Its group made the books' group: usable again.
        QCOMPARE(::chown(QFile::encodeName(books.Db.File()).constData(), 0, 47114), 0);
        QVERIFY(UsableBackupFolder(books.Db.File()).isEmpty());
        ::chmod(QFile::encodeName(books.Folder).constData(), 0777);
        QVERIFY(UsableBackupFolder(books.Db.File()).contains("所有人都可以写入"));
    }

    void theBooksModeAndGroupGoToCopiesAndRestoredBooks()
    {
        if (::geteuid() != 0)
            QSKIP("giving files a group of one's own making needs root");
        TBooks books;
        const QByteArray dir = QFile::encodeName(books.Db.Dir());
        const QByteArray file = QFile::encodeName(books.Db.File());
        QCOMPARE(::chown(dir.constData(), 0, HouseholdGroup), 0);
        QCOMPARE(::chmod(dir.constData(), 02770), 0);
        QCOMPARE(::chown(file.constData(), 0, HouseholdGroup), 0);
        QCOMPARE(::chmod(file.constData(), 0660), 0);
        const mode_t old = ::umask(022); // the user's own
        auto restore = qScopeGuard([old] { ::umask(old); });
        QVERIFY(MakeDailyBackup(books.Db.File(), QDate(2026, 5, 1)).Made);
        const struct stat folder = Info(books.Folder);
        QCOMPARE(folder.st_mode & 07777, mode_t(02770));
        QCOMPARE(folder.st_gid, HouseholdGroup);
        const QString daily = books.Folder + "/pondo-2026-05-01.sjk";
        QCOMPARE(Info(daily).st_mode & 0777, mode_t(0660));
        QCOMPARE(Info(daily).st_gid, HouseholdGroup);
        const QString safety = MakeSafetyCopy(books.Db.File(), "test");
        QCOMPARE(Info(safety).st_mode & 0777, mode_t(0660));
        QCOMPARE(Info(safety).st_gid, HouseholdGroup);
        // Books replaced whole keep the mode and group of those they replace,
        // even where the folder would give another group.
        QCOMPARE(::chown(dir.constData(), 0, 0), 0);
        {
            QFile damage(books.Db.File());
            QVERIFY(damage.open(QIODevice::ReadWrite));
            damage.write(QByteArray(100, 'x'));
        }
        const TRestoreResult whole = RestoreBackup(books.Db.File(), daily, "甲", "pa");
        QCOMPARE(whole.Status, TRestoreStatus::Restored);
        QVERIFY(whole.WholeBooks);
        QCOMPARE(Info(books.Db.File()).st_mode & 0777, mode_t(0660));
        QCOMPARE(Info(books.Db.File()).st_gid, HouseholdGroup);
        QCOMPARE(Info(whole.Replaced).st_mode & 0777, mode_t(0660));
        // A member's restore writes into the books: mode and group stay.
        QCOMPARE(RestoreBackup(books.Db.File(), daily, "甲", "pa").Status, TRestoreStatus::Restored);
        QCOMPARE(Info(books.Db.File()).st_mode & 0777, mode_t(0660));
        QCOMPARE(Info(books.Db.File()).st_gid, HouseholdGroup);
        // Exports are the user's own: the user's umask, not the books' mode.
        QTemporaryDir exports;
        WriteWholeFile(exports.path() + "/out.txt", QByteArray("rows"));
        QCOMPARE(Info(exports.path() + "/out.txt").st_mode & 0777, mode_t(0644));
    }

    void leftoversAreClearedAtStart()
    {
        TBooks books;
        QDir().mkpath(books.Folder);
        const QStringList home = {"pondo.sjk.restore.part", "pondo.sjk.restore.part-journal",
                                  "pondo.sjk.Ab12Cd.part", "pondo.sjk.Ab12Cd.part-journal"};
        const QStringList copies = {"pondo-2026-05-01.sjk.part", "pondo-2026-05-01.sjk.Xy34Zw.part",
                                    "pondo-before-upgrade-20260501-101010.sjk.Qq12Ww.part-journal"};
        auto make = [](const QString &File) {
            QFile file(File);
            file.open(QIODevice::WriteOnly);
            file.write(QByteArray(1000, 'x'));
        };
        for (const QString &name : home)
            make(books.Db.Dir() + "/" + name);
        for (const QString &name : copies)
            make(books.Folder + "/" + name);
        const QByteArray before = books.Db.Text("select count(*) from All_Table").toUtf8();
        {
            // Not while another copy of the program is making a copy.
            TCopyLock other(books.Db.File());
            QVERIFY(other.Take(0));
            QProcess child;
            child.start(QCoreApplication::applicationFilePath(), {"--clear", books.Db.File()});
            QVERIFY(child.waitForFinished());
            QCOMPARE(QDir(books.Db.Dir()).entryList({"*.part*"}, QDir::Files).size(), home.size());
        }
        TclsDatabaseUser::SetDefaultDatabaseFile(books.Db.File());
        auto reset = qScopeGuard([] { TclsDatabaseUser::SetDefaultDatabaseFile(QString()); });
        TfrmLogin login;
        login.FormCreate();
        QVERIFY(QDir(books.Db.Dir()).entryList({"*.part*"}, QDir::Files | QDir::Hidden).isEmpty());
        QVERIFY(QDir(books.Folder).entryList({"*.part*"}, QDir::Files | QDir::Hidden).isEmpty());
        QCOMPARE(books.Db.Text("select count(*) from All_Table").toUtf8(), before);
    }
};

int main(int argc, char **argv)
{
    // Another copy of the program starting while this one holds the lock.
    if (argc == 3 && qstrcmp(argv[1], "--clear") == 0) {
        QCoreApplication app(argc, argv);
        ClearCopyLeftovers(QString::fromLocal8Bit(argv[2]));
        return 0;
    }
    QApplication app(argc, argv);
    TestSharedFiles test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_sharedFiles.moc"
