// Getting a backup back from the user management dialog, and a login that
// can read its list again after a failed start.
#include "app/unt_frmLogin.h"
#include "data/unt_clsBackup.h"
#include "data/unt_clsClock.h"
#include "data/unt_clsDatabaseUser.h"
#include "data/unt_clsRestore.h"
#include "data/unt_clsConnection.h"
#include "data/unt_clsUserTables.h"
#include "panels/unt_frmAccount.h"
#include "tests/support/unt_testGui.h"

#include <QComboBox>
#include <QCryptographicHash>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

namespace
{
QByteArray Hash(const QString &File)
{
    QFile file(File);
    file.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1);
}

template <class T> T *In(QWidget *Window, const char *Name)
{
    T *found = Window->findChild<T *>(QLatin1String(Name));
    if (!found)
        qFatal("no %s", Name);
    return found;
}

// The program pointed at books that are not there; Good holds 甲's books
// to put in their place.
struct TMissingBooks {
    TTestDb Good;
    QTemporaryDir Dir;
    QString File = Dir.path() + "/pondo.sjk";
    TMissingBooks()
    {
        TclsDatabaseUser(Good.File()).AddUser("甲", "pa");
        TclsDatabaseUser::SetDefaultDatabaseFile(File);
    }
    ~TMissingBooks() { TclsDatabaseUser::SetDefaultDatabaseFile(QString()); }
};

// The books of one day: 甲 with three records; then 乙 and two records more.
struct TBooks {
    TTestDb Db;
    QString Backup;
    TBooks()
    {
        TclsDatabaseUser::SetDefaultDatabaseFile(Db.File());
        TclsDatabaseUser(Db.File()).AddUser("甲", "pa");
        AddSampleRecords(Db.File(), "甲", 3);
        Clock::SetToday(QDate(2026, 5, 1));
        MakeDailyBackup(Db.File(), QDate(2026, 5, 1));
        Clock::SetToday(QDate());
        Backup = BackupFolder(Db.File()) + "/pondo-2026-05-01.sjk";
        TclsDatabaseUser(Db.File()).AddUser("乙", "pb");
        AddSampleRecords(Db.File(), "甲", 2);
    }
    ~TBooks() { TclsDatabaseUser::SetDefaultDatabaseFile(QString()); }
};

// Opens the dialog's restore page, picks the first backup and its first
// member (or User), types Password and presses OK; returns the dialog's result.
int RestoreThroughDialog(const QString &Password, QStringList *Rows = nullptr, const QString &User = {})
{
    TfrmAccount account;
    account.FormCreate();
    account.show();
    auto *pages = In<QTabWidget>(&account, "pgeAccount");
    if (pages->tabText(3) != QStringLiteral("恢复数据"))
        return -1;
    pages->setCurrentIndex(3);
    auto *list = In<QTreeWidget>(&account, "lvwBackups");
    if (list->topLevelItemCount() > 0)
        list->setCurrentItem(list->topLevelItem(0));
    auto *users = In<QComboBox>(&account, "cboRestore_UserName");
    if (!User.isEmpty())
        users->setCurrentIndex(users->findText(User));
    // 记录数 is the chosen member's.
    for (int i = 0; Rows && i < list->topLevelItemCount(); ++i)
        *Rows << list->topLevelItem(i)->text(1) + "|" + list->topLevelItem(i)->text(2) + "|" +
                     list->topLevelItem(i)->text(3);
    In<QLineEdit>(&account, "edtRestore_Password")->setText(Password);
    In<QPushButton>(&account, "btnOk")->click();
    return account.result();
}
} // namespace

class TestRestore : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase()
    {
        UsePrivateRuntimeDir();
        ApplyTestFont();
    }

    void wrongPasswordChangesNothing()
    {
        TBooks books;
        TModalAnswerer answers;
        QStringList rows;
        QCOMPARE(RestoreThroughDialog("pb", &rows),
                 int(QDialog::Rejected)); // 乙's password is no key to 甲's books
        QCOMPARE(rows.size(), 1);
        QVERIFY(rows[0].startsWith("2026-05-01 "));
        QVERIFY(rows[0].endsWith("|甲|3"));
        QCOMPARE(answers.Seen.size(), 2);
        QVERIFY(answers.Seen[1].Text.startsWith("您输入的密码不对！"));
        QCOMPARE(answers.Seen[1].Icon, QMessageBox::Critical);
        QCOMPARE(books.Db.Count("select count(*) from All_Table"), 5);
        QCOMPARE(books.Db.Count("select count(*) from Users_Table"), 2);
        QVERIFY(
            QDir(BackupFolder(books.Db.File())).entryList({"pondo-replaced-*", "pondo-before-*"}).isEmpty());
    }

    void memberRestoreTakesASafetyCopyAndLeavesTheOthers()
    {
        TBooks books;
        AddSampleRecords(books.Db.File(), "乙", 2);
        {
            // Asked first: No leaves everything as it is.
            TModalAnswerer answers({QMessageBox::No});
            QCOMPARE(RestoreThroughDialog("pa"), int(QDialog::Rejected));
            QCOMPARE(answers.Seen.size(), 1);
            QVERIFY(answers.Seen[0].Text.startsWith("把“甲”的数据恢复到 2026-05-01 "));
            QVERIFY(answers.Seen[0].Text.contains(" 的备份？"));
            QCOMPARE(books.Db.Count("select count(*) from All_Table"), 7);
        }
        const QByteArray before = Hash(books.Db.File());
        TModalAnswerer answers;
        QCOMPARE(RestoreThroughDialog("pa"), int(QDialog::Accepted));
        QCOMPARE(answers.Seen.size(), 2);
        QVERIFY(answers.Seen[1].Text.startsWith("数据已恢复到 2026-05-01 "));
        QVERIFY(answers.Seen[1].Text.contains("只恢复了“甲”的数据"));
        QCOMPARE(books.Db.Count("select count(*) from All_Table"), 5);
        QCOMPARE(TclsDatabaseUser(books.Db.File()).GetUserNames(), (QStringList{"乙", "甲"}));
        QCOMPARE(books.Db.Count("select count(*) from sqlite_master where name='Backup_Info'"), 0);
        const QDir folder(BackupFolder(books.Db.File()));
        QVERIFY(folder.entryList({"pondo-replaced-*.sjk"}).isEmpty()); // nothing replaced whole
        const QStringList safety = folder.entryList({"pondo-before-restore-*.sjk"});
        QCOMPARE(safety.size(), 1);
        QCOMPARE(Hash(folder.filePath(safety[0])).size(), before.size());
        QCOMPARE(QueryReadOnly(folder.filePath(safety[0]), "select count(*) from All_Table"),
                 QStringLiteral("7"));
        // The safety copy is listed as such, with each member's own count.
        {
            TModalAnswerer no({QMessageBox::No});
            QStringList rows;
            RestoreThroughDialog("pa", &rows, "乙");
            QCOMPARE(rows.size(), 2);
            const QString users = rows[0].section('|', 1, 1);
            QVERIFY(users == QStringLiteral("恢复前的安全副本：甲、乙") ||
                    users == QStringLiteral("恢复前的安全副本：乙、甲"));
            QCOMPARE(rows[0].section('|', 2), QStringLiteral("2"));
            QCOMPARE(rows[1].section('|', 1), QStringLiteral("甲|—"));
        }
        QVERIFY(folder.entryList({"*.part*"}, QDir::Files | QDir::Hidden).isEmpty());
        QVERIFY(QDir(books.Db.Dir()).entryList({"*.part*"}, QDir::Files | QDir::Hidden).isEmpty());
        QVERIFY(TclsDatabaseUser(books.Db.File()).CheckLogin("甲", "pa"));
        QVERIFY(TclsDatabaseUser(books.Db.File()).CheckLogin("乙", "pb"));
    }

    void damagedBackupIsMarkedAndRefused()
    {
        TBooks books;
        {
            QFile file(books.Backup);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.seek(4096));
            file.write(QByteArray(int(file.size()) - 4096, '\x55'));
        }
        const QByteArray before = Hash(books.Db.File());
        QCOMPARE(RestoreBackup(books.Db.File(), books.Backup, "甲", "pa").Status, TRestoreStatus::Damaged);
        const QList<TBackupEntry> entries = ListBackups(books.Db.File());
        QCOMPARE(entries.size(), 1);
        QVERIFY(entries[0].Damaged);
        TModalAnswerer answers;
        QStringList rows;
        QCOMPARE(RestoreThroughDialog("pa", &rows), int(QDialog::Rejected));
        QVERIFY(rows[0].endsWith("|已损坏|"));
        QCOMPARE(answers.Texts(), QStringList{"请在列表中选定一个备份，然后恢复它。"}); // not selectable
        QCOMPARE(Hash(books.Db.File()), before);
    }

    void booksInUseAreNotReplaced()
    {
        TBooks books;
        TclsConnection::SetBusyTimeout(200);
        auto reset = qScopeGuard([] { TclsConnection::SetBusyTimeout(3000); });
        TclsConnection other(books.Db.File());
        other.Execute("BEGIN IMMEDIATE");
        other.Execute("insert into Users_Table values ('x', 'y')");
        QVERIFY_THROWS_EXCEPTION(TclsDatabaseError, RestoreBackup(books.Db.File(), books.Backup, "甲", "pa"));
        other.Execute("COMMIT");
        QCOMPARE(books.Db.Count("select count(*) from All_Table"), 5);
        QCOMPARE(books.Db.Count("select count(*) from Users_Table"), 3);
        QVERIFY(QDir(BackupFolder(books.Db.File())).entryList({"pondo-replaced-*", "*.part"}).isEmpty());
        QVERIFY(QDir(books.Db.Dir()).entryList({"*.part*"}, QDir::Files | QDir::Hidden).isEmpty());
    }

    void missingBooksCanBeRestored()
    {
        TBooks books;
        QVERIFY(QFile::remove(books.Db.File()));
        TfrmAccount account;
        account.FormCreate(); // no error: the dialog opens on its restore page
        QCOMPARE(In<QTabWidget>(&account, "pgeAccount")->currentIndex(), 3);
        TModalAnswerer answers;
        QCOMPARE(RestoreThroughDialog("pa"), int(QDialog::Accepted));
        QCOMPARE(books.Db.Count("select count(*) from All_Table"), 3);
    }

    // A copy is any member's to plant: rows numbered at the end of the range
    // are refused before anything is written, for a member's books and for
    // the whole books, and the books go on giving numbers.
    void aPlantedCopyAtTheEndOfTheNumbersIsRefused()
    {
        TBooks books;
        const QString folder = BackupFolder(books.Db.File());
        const QString planted = folder + "/pondo-2026-05-02.sjk";
        QVERIFY(QFile::copy(books.Backup, planted));
        TclsConnection(planted).Execute("update All_Table set ID=9223372036854775807 where ID=3");
        const QByteArray before = Hash(books.Db.File());
        const QStringList files = QDir(folder).entryList(QDir::Files);
        QVERIFY_THROWS_EXCEPTION(TclsDatabaseError, RestoreBackup(books.Db.File(), planted, "甲", "pa"));
        QCOMPARE(Hash(books.Db.File()), before);
        QCOMPARE(QDir(folder).entryList(QDir::Files), files); // not even a safety copy
        AddSampleRecords(books.Db.File(), "乙", 1);
        QVERIFY(books.Db.Count("select max(ID) from All_Table") < MaxRowNumber);
        QVERIFY(QFile::remove(books.Db.File()));
        QVERIFY_THROWS_EXCEPTION(TclsDatabaseError, RestoreBackup(books.Db.File(), planted, "甲", "pa"));
        QVERIFY(!QFile::exists(books.Db.File()));
    }

    // On books a group shares, replacing them whole is the administrator's:
    // a member is told who may, and the books' owner or root does it with
    // lumora --restore-books, keeping what it replaced.
    void theWholeBooksAreTheAdministrators()
    {
        if (::geteuid() != 0)
            QSKIP("a member's account of its own needs root");
        TBooks books;
        const gid_t household = 47113;
        for (const QString &folder : {books.Db.Dir(), BackupFolder(books.Db.File())}) {
            QCOMPARE(::chown(QFile::encodeName(folder).constData(), 0, household), 0);
            QCOMPARE(::chmod(QFile::encodeName(folder).constData(), 02770), 0);
        }
        QCOMPARE(::chown(QFile::encodeName(books.Db.File()).constData(), 0, household), 0);
        QCOMPARE(::chmod(QFile::encodeName(books.Db.File()).constData(), 0660), 0);
        {
            QFile damage(books.Db.File());
            QVERIFY(damage.open(QIODevice::ReadWrite));
            damage.write(QByteArray(100, 'x'));
        }
        const QByteArray damaged = Hash(books.Db.File());
        const QString member = RunAs(47115, household, [&] {
            const TRestoreResult tried = RestoreBackup(books.Db.File(), books.Backup, "甲", "pa");
            QString text =
                tried.Status == TRestoreStatus::AdminOnly ? "admin only, " + tried.Owner : "not refused";
            try {
                RestoreWholeBooksAsAdmin(books.Db.File(), books.Backup);
            } catch (const TclsDatabaseError &error) {
                text += QStringLiteral("; ") + QString::fromUtf8(error.what());
            }
            return text;
        });
        QVERIFY2(member.startsWith("admin only, root; 只有 root 才能恢复整个数据库。"), qPrintable(member));
        QCOMPARE(Hash(books.Db.File()), damaged);
        const TRestoreResult done = RestoreWholeBooksAsAdmin(books.Db.File(), books.Backup);
        QCOMPARE(done.Status, TRestoreStatus::Restored);
        QCOMPARE(Hash(done.Replaced), damaged);
        QCOMPARE(books.Db.Count("select count(*) from All_Table"), 3);
        QVERIFY(TclsDatabaseUser(books.Db.File()).TakeRestoreNotice("甲").startsWith("数据已于 "));
    }

    void loginReadsItsListAgainAfterAFailedStart()
    {
        const TMissingBooks missing;
        const TTestDb &good = missing.Good;
        const QString &file = missing.File;
        TfrmLogin login;
        {
            TModalAnswerer answers;
            login.FormCreate();
            QCOMPARE(answers.Seen.size(), 1);
            QCOMPARE(answers.Seen[0].Icon, QMessageBox::Critical);
            QVERIFY(answers.Seen[0].Text.contains("重试"));
        }
        login.show();
        auto *names = In<QComboBox>(&login, "cboUserName");
        QCOMPARE(names->count(), 0);
        // The file is back: the login button reads the list again.
        QVERIFY(QFile::copy(good.File(), file));
        In<QLineEdit>(&login, "edtPassword")->setText("pa");
        TModalAnswerer answers;
        In<QPushButton>(&login, "btnOK")->click();
        QVERIFY2(answers.Seen.isEmpty(), qPrintable(answers.Texts().join(' ')));
        QCOMPARE(names->count(), 1);
        QCOMPARE(login.result(), int(QDialog::Accepted));
        QCOMPARE(login.UserName, QStringLiteral("甲"));
    }

    void retryFromTheErrorBox()
    {
        const TMissingBooks missing;
        const TTestDb &good = missing.Good;
        const QString &file = missing.File;
        int boxes = 0;
        QTimer answer;
        connect(&answer, &QTimer::timeout, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || !box->isVisible() || box->property("answered").toBool())
                return;
            box->setProperty("answered", true);
            ++boxes;
            QFile::copy(good.File(), file); // put back before the second reading
            box->button(QMessageBox::Retry)->click();
        });
        answer.start(5);
        TfrmLogin login;
        login.FormCreate();
        QCOMPARE(boxes, 1);
        QCOMPARE(In<QComboBox>(&login, "cboUserName")->count(), 1);
    }
};

QTEST_MAIN(TestRestore)
#include "test_restore.moc"
