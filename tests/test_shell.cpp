// Start-up, login, user management and the single-instance handshake.
#include "app/unt_clsSingleInstance.h"
#include "app/unt_frmLogin.h"
#include "app/unt_frmMain.h"
#include "data/unt_clsDatabaseUser.h"
#include "panels/unt_frmAccount.h"
#include "data/unt_clsClock.h"
#include "find/unt_frmFind.h"
#include "tests/support/unt_testGui.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

class TestShell : public QObject {
    Q_OBJECT

    template <class T> static T *In(QWidget *Window, const char *Name)
    {
        T *found = Window->findChild<T *>(QLatin1String(Name));
        if (!found)
            qFatal("no %s", Name);
        return found;
    }

private slots:
    void initTestCase()
    {
        UsePrivateRuntimeDir();
        ApplyTestFont();
    }

    // Each menu's Alt letters (the main window's, its submenus, the lists'
    // and the find window's) lead to one item each.
    void everyMenuHasUniqueMnemonics()
    {
        TMainFixture f;
        f.Main->MoreMenu()->findChild<QAction *>("mnuInAndOut_More_Find")->trigger();
        QVERIFY(f.Main->FindWindow());
        QList<QMenu *> menus = f.Main->findChildren<QMenu *>();
        menus += f.Main->FindWindow()->findChildren<QMenu *>();
        QVERIFY(menus.size() >= 8);
        for (const QMenu *menu : std::as_const(menus)) {
            QHash<QChar, QString> seen;
            for (const QAction *action : menu->actions()) {
                const QString text = QString(action->text()).remove(QStringLiteral("&&"));
                const qsizetype at = text.indexOf(QLatin1Char('&'));
                if (at < 0 || at + 1 >= text.size())
                    continue;
                const QChar key = text.at(at + 1).toUpper();
                QVERIFY2(!seen.contains(key), qPrintable(menu->objectName() + QStringLiteral(": ") +
                                                         seen.value(key) + QStringLiteral(" / ") + text));
                seen.insert(key, text);
            }
        }
    }

    void loginWithoutUsers()
    {
        TTestDb db;
        TclsDatabaseUser::SetDefaultDatabaseFile(db.File());
        TfrmLogin login;
        login.FormCreate();
        login.show();
        QCOMPARE(login.windowTitle(), QStringLiteral("Lumora - 登录"));
        QCOMPARE(In<QComboBox>(&login, "cboUserName")->count(), 0);
        TModalAnswerer answers;
        In<QPushButton>(&login, "btnOK")->click();
        QCOMPARE(answers.Texts(), QStringList{"没有用户名，无法登录！"});
        QCOMPARE(answers.Seen[0].Icon, QMessageBox::Warning);
        QCOMPARE(answers.Seen[0].Title, QStringLiteral("Lumora"));
        QVERIFY(login.isVisible());
        SaveShot(&login, "login");
    }

    void firstUserThroughAccountDialog()
    {
        TTestDb db;
        TclsDatabaseUser::SetDefaultDatabaseFile(db.File());
        TclsDatabaseUser(db.File()).AddUser("old", "x");
        TfrmLogin login;
        login.FormCreate();
        login.show();
        TModalAnswerer answers;
        answers.OnDialog = [](QWidget *Dialog) {
            auto *account = qobject_cast<TfrmAccount *>(Dialog);
            QVERIFY(account);
            SaveShot(account, "account");
            In<QLineEdit>(account, "edtNew_UserName")->setText("李四");
            In<QLineEdit>(account, "edtNew_Password1")->setText("secret");
            In<QLineEdit>(account, "edtNew_Password2")->setText("secret");
            QTimer::singleShot(0, account, [account] { In<QPushButton>(account, "btnOk")->click(); });
        };
        In<QPushButton>(&login, "btnAccount")->click();
        QCOMPARE(answers.Texts(), QStringList{"用户名和密码创建成功！"});
        QCOMPARE(answers.Seen[0].Icon, QMessageBox::Information);
        auto *names = In<QComboBox>(&login, "cboUserName");
        QCOMPARE(names->count(), 2);
        QCOMPARE(names->currentText(), QStringLiteral("李四"));
        // The password typed next goes to the login.
        QCOMPARE(login.focusWidget(), In<QLineEdit>(&login, "edtPassword"));

        // Leaving the account dialog any other way keeps the list.
        TclsDatabaseUser(db.File()).AddUser("third", "x");
        answers.OnDialog = [](QWidget *Dialog) { static_cast<QDialog *>(Dialog)->reject(); };
        In<QPushButton>(&login, "btnAccount")->click();
        QCOMPARE(names->count(), 2);
    }

    void wrongThenRightPassword()
    {
        TTestDb db;
        TclsDatabaseUser::SetDefaultDatabaseFile(db.File());
        TclsDatabaseUser(db.File()).AddUser("王五", "right");
        TfrmLogin login;
        login.FormCreate();
        login.show();
        auto *password = In<QLineEdit>(&login, "edtPassword");
        QCOMPARE(password->maxLength(), 16);
        QCOMPARE(password->echoMode(), QLineEdit::Password);
        password->setText("wrong");
        TModalAnswerer answers;
        QTest::keyClick(password, Qt::Key_Return); // Enter presses OK
        QCOMPARE(answers.Texts(), QStringList{"登录密码错误！"});
        QCOMPARE(answers.Seen[0].Icon, QMessageBox::Critical);
        QCOMPARE(password->text(), QStringLiteral("wrong"));
        QCOMPARE(login.focusWidget(), password);
        QVERIFY(login.isVisible());
        password->setText("right");
        In<QPushButton>(&login, "btnOK")->click();
        QCOMPARE(login.result(), int(QDialog::Accepted));
        QCOMPARE(login.UserName, QStringLiteral("王五"));
    }

    void accountMessages()
    {
        TTestDb db;
        TclsDatabaseUser::SetDefaultDatabaseFile(db.File());
        TclsDatabaseUser(db.File()).AddUser("A", "pa");
        TfrmAccount account;
        account.FormCreate();
        account.show();
        auto *tabs = In<QTabWidget>(&account, "pgeAccount");
        auto set = [&](const char *Name, const QString &Text) { In<QLineEdit>(&account, Name)->setText(Text); };
        struct TCase {
            int Page;
            QStringList Fields; // name=value pairs
            QString Message;
            QMessageBox::Icon Icon;
            const char *Focus;
        };
        const QList<TCase> cases{
            {0, {"edtNew_UserName=", "edtNew_Password1=a", "edtNew_Password2=a"}, "用户名不能为空！",
             QMessageBox::Warning, "edtNew_UserName"},
            {0, {"edtNew_UserName=   "}, "用户名不能为空！", QMessageBox::Warning, "edtNew_UserName"},
            {0, {"edtNew_UserName=B", "edtNew_Password1=", "edtNew_Password2=a"}, "密码不能为空！",
             QMessageBox::Warning, "edtNew_Password1"},
            {0, {"edtNew_Password1=a", "edtNew_Password2="}, "密码不能为空！", QMessageBox::Warning,
             "edtNew_Password2"},
            {0, {"edtNew_Password1=a", "edtNew_Password2=b"}, "您两次输入的密码不一样！", QMessageBox::Warning,
             "edtNew_Password2"},
            {0, {"edtNew_UserName=A", "edtNew_Password2=a"}, "您所输入的用户名已经被使用！", QMessageBox::Warning,
             "edtNew_UserName"},
            {1, {"edtModify_OldPassword=", "edtModify_NewPassword1=n", "edtModify_NewPassword2=n"},
             "密码不能为空！", QMessageBox::Warning, "edtModify_OldPassword"},
            {1, {"edtModify_OldPassword=pa", "edtModify_NewPassword1="}, "密码不能为空！", QMessageBox::Warning,
             "edtModify_NewPassword1"},
            {1, {"edtModify_NewPassword1=n", "edtModify_NewPassword2=m"}, "您两次输入的新密码不一样！",
             QMessageBox::Warning, "edtModify_NewPassword2"},
            {1, {"edtModify_OldPassword=bad", "edtModify_NewPassword2=n"}, "老密码不对！", QMessageBox::Critical,
             nullptr},
            {2, {"edtDelete_Password="}, "您输入的密码不对！", QMessageBox::Critical, "edtDelete_Password"},
        };
        for (const TCase &c : cases) {
            tabs->setCurrentIndex(c.Page);
            for (const QString &field : c.Fields)
                set(field.section('=', 0, 0).toLatin1().constData(), field.section('=', 1));
            TModalAnswerer answers;
            account.btnOkClick();
            QCOMPARE(answers.Texts(), QStringList{c.Message});
            QCOMPARE(answers.Seen[0].Icon, c.Icon);
            if (c.Focus)
                QCOMPARE(account.focusWidget()->objectName(), QLatin1String(c.Focus));
            QVERIFY(account.result() != QDialog::Accepted);
        }
        QVERIFY(TclsDatabaseUser(db.File()).CheckLogin("A", "pa")); // nothing changed
        // The successful change closes the dialog.
        tabs->setCurrentIndex(1);
        set("edtModify_OldPassword", "pa");
        TModalAnswerer answers;
        account.btnOkClick();
        QCOMPARE(answers.Texts(), QStringList{"密码修改成功！"});
        QCOMPARE(account.result(), int(QDialog::Accepted));
        QVERIFY(TclsDatabaseUser(db.File()).CheckLogin("A", "n"));
    }

    void deleteAndDisabledPages()
    {
        TTestDb db;
        TclsDatabaseUser::SetDefaultDatabaseFile(db.File());
        TclsDatabaseUser(db.File()).AddUser("A", "pa");
        {
            TfrmAccount account;
            account.FormCreate();
            In<QTabWidget>(&account, "pgeAccount")->setCurrentIndex(2);
            In<QLineEdit>(&account, "edtDelete_Password")->setText("pa");
            TModalAnswerer answers;
            account.btnOkClick();
            QCOMPARE(answers.Texts(), QStringList{"成功删除指定的用户！"});
            QCOMPARE(account.result(), int(QDialog::Accepted));
        }
        TfrmAccount account;
        account.FormCreate();
        auto *tabs = In<QTabWidget>(&account, "pgeAccount");
        QVERIFY(!tabs->isTabEnabled(1) && !tabs->isTabEnabled(2));
        QVERIFY(!In<QLineEdit>(&account, "edtDelete_Password")->isEnabled());
        tabs->setCurrentIndex(2);
        if (tabs->currentIndex() == 2) { // a disabled tab may refuse to be chosen
            TModalAnswerer answers;
            account.btnOkClick();
            QVERIFY(answers.Seen.isEmpty());
            QCOMPARE(account.result(), int(QDialog::Accepted));
        }
    }

    void missingDatabaseIsReportedNotCreated()
    {
        QTemporaryDir dir;
        const QString file = dir.path() + "/Database/pondo.sjk";
        TclsDatabaseUser::SetDefaultDatabaseFile(file);
        TfrmMain main;
        TModalAnswerer answers;
        answers.OnDialog = [](QWidget *Dialog) { In<QPushButton>(Dialog, "btnCancel")->click(); };
        QVERIFY(!main.FormCreate()); // cancelled: no main window
        QCOMPARE(answers.Seen.size(), 1);
        QCOMPARE(answers.Seen[0].Icon, QMessageBox::Critical);
        QVERIFY(answers.Seen[0].Text.contains("无法打开数据库文件"));
        QVERIFY(!QFile::exists(file));
        QVERIFY(!main.isVisible());
    }

    void loginThenMainWindow()
    {
        TTestDb db;
        TclsDatabaseUser::SetDefaultDatabaseFile(db.File());
        TclsDatabaseUser(db.File()).AddUser("赵六", "pw");
        TfrmMain main;
        TModalAnswerer answers;
        answers.OnDialog = [](QWidget *Dialog) {
            In<QLineEdit>(Dialog, "edtPassword")->setText("pw");
            In<QPushButton>(Dialog, "btnOK")->click();
        };
        QVERIFY(main.FormCreate());
        QCOMPARE(main.CurrentUser, QStringLiteral("赵六"));
        QCOMPARE(main.GuardFlag, 1);
        auto *user = main.findChild<QLabel *>("lblUserName");
        QCOMPARE(user->text(), QStringLiteral("当前用户：赵六"));
        QCOMPARE(user->geometry().right() + 1, 622);
        QVERIFY(main.findChild<QWidget *>("pnlOut")->isVisibleTo(&main));
        QVERIFY(!main.findChild<QWidget *>("pnlIn")->isVisibleTo(&main));
        QCOMPARE(main.findChild<QComboBox *>("cboOut_Name")->count(), 33);
        QCOMPARE(main.findChild<QComboBox *>("cboIn_Name")->count(), 9);
        QVERIFY(!main.mask().contains(QPoint(2, 3)));
        QVERIFY(main.mask().contains(QPoint(325, 240)));
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        SaveShot(&main, "main");
    }

    void pickersStartOnFirstOfMonth()
    {
        Clock::SetToday(QDate(2026, 2, 28));
        TMainFixture f;
        QCOMPARE(f.Find<QDateEdit>("dtpInAndOut_Date1")->date(), QDate(2026, 2, 1));
        QCOMPARE(f.Find<QDateEdit>("dtpInAndOut_Date2")->date(), QDate(2026, 2, 28));
        QCOMPARE(f.Find<QDateEdit>("dtpOut_Date")->date(), QDate(2026, 2, 28));
        QCOMPARE(f.Find<QDateEdit>("dtpIn_Date")->displayFormat(), QStringLiteral("yyyy-MM-dd"));
        Clock::SetToday(QDate());
    }

    void showMacro()
    {
        TMainFixture f;
        f.Main->showMinimized();
        QTRY_VERIFY(f.Main->isMinimized());
        f.Main->ddeServerExecuteMacro({"SHOW"});
        QVERIFY(f.Main->isMinimized());
        f.Main->GuardFlag = 0;
        f.Main->ddeServerExecuteMacro({"show"});
        QVERIFY(f.Main->isMinimized());
        f.Main->GuardFlag = 1;
        QDialog open(f.Main.get());
        f.Main->ActiveDialog = &open;
        f.Main->ddeServerExecuteMacro({"show"});
        QVERIFY(f.Main->isMinimized()); // the open dialog comes forward instead
        f.Main->ActiveDialog = nullptr;
        f.Main->ddeServerExecuteMacro({"show  \t"});
        QTRY_VERIFY(!f.Main->isMinimized());
    }

    void singleInstance()
    {
        TclsSingleInstance first("PONDO_OneCopyMutex", "Lumora");
        QVERIFY(first.IsFirst());
        QVERIFY(first.Listen());
        {
            TclsSingleInstance second("PONDO_OneCopyMutex", "Lumora");
            QVERIFY(!second.IsFirst());
        }
        QStringList received;
        connect(&first, &TclsSingleInstance::MacroReceived, this, [&](const QString &Text) { received << Text; });
        QVERIFY(TclsSingleInstance::SendMacro("Lumora", "show"));
        QTRY_COMPARE(received, QStringList{"show"});
        // The real program, started again, only passes the request on.
        QProcess copy;
        copy.start(QStringLiteral(LUMORA_BINARY_DIR "/Lumora"), {});
        QVERIFY(copy.waitForStarted());
        QTRY_COMPARE_WITH_TIMEOUT(received.size(), 2, 10000);
        QVERIFY(copy.state() == QProcess::NotRunning || copy.waitForFinished(10000));
        QCOMPARE(copy.exitCode(), 0);
        QCOMPARE(received.last(), QStringLiteral("show"));
        QVERIFY(!TclsSingleInstance::SendMacro("NoSuchService", "show"));
    }
};

QTEST_MAIN(TestShell)
#include "test_shell.moc"
