// The 查找记录 window: opening it, results following the fields, acting on
// results with the browse panel following, the export, saved searches.
#include "app/unt_frmMain.h"
#include "data/unt_clsDatabaseUser.h"
#include "find/unt_frmFind.h"
#include "panels/unt_frmModifyRecord.h"
#include "reports/unt_reportRows.h"
#include "tests/support/unt_testGui.h"

#include <QAction>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

class TestFindGui : public QObject
{
    Q_OBJECT

    static void Sample(const TMainFixture &F)
    {
        TclsDatabaseUser store(F.Db.File());
        store.AddRecords(F.User, "支出", {"2026-06-01", "2026-06-03", "2026-06-03", "2026-06-08"},
                         {"外出就餐", "交通", "外出就餐", "水电"}, {"88.50", "12.00", "30.00", "120.00"},
                         {"ＫＦＣ 和同事", "打车", "kfc 午饭", "燃气费"});
        store.AddRecords(F.User, "收入", {"2026-06-03"}, {"工资"}, {"5000.00"}, {""});
        store.AddUser(QStringLiteral("李四"), QStringLiteral("pw"));
        store.AddRecords("李四", "支出", {"2026-06-03"}, {"外出就餐"}, {"1.00"}, {"kfc"});
    }

    static TfrmFind *Open(const TMainFixture &F)
    {
        F.Main->MoreMenu()->findChild<QAction *>("mnuInAndOut_More_Find")->trigger();
        return F.Main->FindWindow();
    }

    template <class T> static T *Child(TfrmFind *Find, const char *Name)
    {
        T *child = Find->findChild<T *>(QLatin1String(Name));
        if (!child)
            qFatal("no control %s", Name);
        return child;
    }

    static QString Summary(TfrmFind *Find) { return Child<QLabel>(Find, "lblFind_Summary")->text(); }
    static QString Cell(TfrmFind *Find, int Row, int Column)
    {
        return Child<QTreeView>(Find, "lvwFind")->model()->index(Row, Column).data().toString();
    }
    static int Rows(TfrmFind *Find) { return Child<QTreeView>(Find, "lvwFind")->model()->rowCount(); }
    static void Type(TfrmFind *Find, const QString &Words)
    {
        auto *edit = Child<QLineEdit>(Find, "edtFind_Text");
        edit->clear();
        // Key by key; QtTest types Latin-1 only, so Chinese arrives as an
        // input method would hand it over.
        for (const QChar c : Words)
            if (c.unicode() < 0x80)
                QTest::keyClicks(edit, QString(c));
            else
                edit->insert(QString(c));
    }
    static void ViewJune(const TMainFixture &F)
    {
        F.Find<QDateEdit>("dtpInAndOut_Date1")->setDate(QDate(2026, 6, 1));
        F.Find<QDateEdit>("dtpInAndOut_Date2")->setDate(QDate(2026, 6, 10));
        F.Main->InAndOut_View();
        auto *days = F.Find<QTreeView>("lvwInAndOut_List1");
        days->setCurrentIndex(days->model()->index(2, 1)); // 2026-06-03
    }

  private slots:
    void initTestCase()
    {
        UsePrivateRuntimeDir();
        ApplyTestFont();
        TfrmMain::SetTemplateFolder(QStringLiteral(":/templates"));
    }

    void opensFromTheMenuAndCtrlF()
    {
        TMainFixture f;
        Sample(f);
        TfrmFind *find = Open(f);
        QVERIFY(find && find->isVisible());
        QCOMPARE(find->windowTitle(), QStringLiteral("查找记录"));
        QVERIFY(!find->isModal());
        // Every record of the user, newest first, and the dates of the first
        // and last of them.
        QCOMPARE(Rows(find), 5);
        QCOMPARE(Cell(find, 0, 1), QStringLiteral("2026-06-08"));
        QCOMPARE(Cell(find, 4, 5), QStringLiteral("ＫＦＣ 和同事"));
        QCOMPARE(Summary(find), QStringLiteral("找到 5 条记录：支出合计 250.50，收入合计 5000.00"));
        QCOMPARE(Child<QDateEdit>(find, "dtpFind_Date1")->date(), QDate(2026, 6, 1));
        QCOMPARE(Child<QDateEdit>(find, "dtpFind_Date2")->date(), QDate(2026, 6, 8));
        auto *names = Child<QComboBox>(find, "cboFind_Name");
        QCOMPARE(names->itemText(0), QStringLiteral("全部项目"));
        QVERIFY(names->findText(QStringLiteral("外出就餐")) > 0); // a name only the records have
        QVERIFY(names->findText(QStringLiteral("工资")) > 0);
        // A second open, from Ctrl+F in the main window, raises the same one.
        f.Main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.Main.get()));
        QTest::keyClick(f.Main.get(), Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(f.Main->FindWindow(), find);
        QCOMPARE(f.Main->findChildren<TfrmFind *>().size(), 1);
        // The main window goes, and the find window with it.
        QPointer<TfrmFind> alive(find);
        f.Main->close();
        QTRY_VERIFY(!alive);
    }

    void resultsFollowEveryField()
    {
        TMainFixture f;
        Sample(f);
        TfrmFind *find = Open(f);
        Type(find, QStringLiteral("kfc"));
        QCOMPARE(Rows(find), 2);
        QCOMPARE(Summary(find), QStringLiteral("找到 2 条记录：支出合计 118.50，收入合计 0.00"));
        Type(find, QStringLiteral("外出 午饭"));
        QCOMPARE(Rows(find), 1);
        Type(find, QStringLiteral("88.5"));
        QCOMPARE(Cell(find, 0, 4), QStringLiteral("88.50"));
        Type(find, QString());
        Child<QComboBox>(find, "cboFind_Type")->setCurrentIndex(2);
        QCOMPARE(Summary(find), QStringLiteral("找到 1 条记录：支出合计 0.00，收入合计 5000.00"));
        Child<QComboBox>(find, "cboFind_Type")->setCurrentIndex(0);
        auto *names = Child<QComboBox>(find, "cboFind_Name");
        names->setCurrentIndex(names->findText(QStringLiteral("外出就餐")));
        QCOMPARE(Rows(find), 2);
        Child<QDateEdit>(find, "dtpFind_Date2")->setDate(QDate(2026, 6, 2));
        QCOMPARE(Rows(find), 1);
        names->setCurrentIndex(0);
        QTest::keyClicks(Child<QLineEdit>(find, "edtFind_Min"), QStringLiteral("13"));
        QCOMPARE(Rows(find), 1);
        Child<QDateEdit>(find, "dtpFind_Date2")->setDate(QDate(2026, 6, 8));
        QTest::keyClicks(Child<QLineEdit>(find, "edtFind_Max"), QStringLiteral("100"));
        QCOMPARE(Summary(find), QStringLiteral("找到 2 条记录：支出合计 118.50，收入合计 0.00"));
        // A record the program adds meanwhile shows up without asking.
        TclsDatabaseUser(f.Db.File())
            .AddRecords(f.User, "支出", {"2026-06-09"}, {"外出就餐"}, {"50.00"}, {""});
        QTRY_COMPARE(Rows(find), 3);
        QCOMPARE(Child<QDateEdit>(find, "dtpFind_Date2")->date(), QDate(2026, 6, 9));
    }

    void badBoundsRefusedAsInTheEntryPanels()
    {
        TMainFixture f;
        Sample(f);
        TfrmFind *find = Open(f);
        auto *min = Child<QLineEdit>(find, "edtFind_Min");
        // Letters never get in at all.
        QTest::keyClicks(min, QStringLiteral("a1b"));
        QCOMPARE(min->text(), QStringLiteral("1"));
        min->setText(QStringLiteral("1.2.3"));
        QCOMPARE(Rows(find), 5); // no bound meanwhile
        TModalAnswerer answers;
        find->CheckBound(min);
        QCOMPARE(answers.Texts(), QStringList({"金额有错误，请重新填写！"}));
        QVERIFY(min->text().isEmpty());
        min->setText(QStringLiteral("0"));
        find->CheckBound(min);
        QCOMPARE(answers.Texts().last(), QStringLiteral("金额不能为空或为0，请重新填写！"));
        QVERIFY(min->text().isEmpty());
        min->setText(QStringLiteral("13."));
        find->CheckBound(min);
        QCOMPARE(answers.Seen.size(), 2);
        QCOMPARE(Rows(find), 4);
    }

    void modifyFromResultsWithTheBrowsePanelFollowing()
    {
        TMainFixture f;
        Sample(f);
        ViewJune(f);
        QCOMPARE(f.Find<QLabel>("lblInAndOut_OutMoney1")->text(), QStringLiteral("支出合计：250.50"));
        TfrmFind *find = Open(f);
        Type(find, QStringLiteral("午饭"));
        auto *list = Child<QTreeView>(find, "lvwFind");
        list->setCurrentIndex(list->model()->index(0, 1));
        TModalAnswerer answers;
        answers.OnDialog = [](QWidget *Dialog) {
            QCOMPARE(Dialog->findChild<QLineEdit *>("edtMoney")->text(), QStringLiteral("30.00"));
            Dialog->findChild<QLineEdit *>("edtMoney")->setText(QStringLiteral("40"));
            Dialog->findChild<QPlainTextEdit *>("memMemo")->setPlainText(QStringLiteral("kfc 午饭 加饮料"));
            QTimer::singleShot(0, Dialog, [Dialog] { Dialog->findChild<QPushButton *>("btnSave")->click(); });
        };
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(answers.Texts(), QStringList({"修改成功！"}));
        QCOMPARE(Cell(find, 0, 4), QStringLiteral("40.00"));
        QCOMPARE(Cell(find, 0, 5), QStringLiteral("kfc 午饭 加饮料"));
        QCOMPARE(Summary(find), QStringLiteral("找到 1 条记录：支出合计 40.00，收入合计 0.00"));
        Type(find, QStringLiteral("饮料"));
        QCOMPARE(Rows(find), 1);
        // The browse panel: the day, its records shown and the totals.
        auto *days = f.Find<QTreeView>("lvwInAndOut_List1");
        QCOMPARE(days->model()->index(2, 2).data().toString(), QStringLiteral("52.00"));
        auto *detail = f.Find<QTreeWidget>("lvwInAndOut_List2");
        QCOMPARE(detail->topLevelItemCount(), 3);
        QCOMPARE(detail->topLevelItem(1)->text(4), QStringLiteral("40.00"));
        QCOMPARE(f.Find<QLabel>("lblInAndOut_OutMoney1")->text(), QStringLiteral("支出合计：260.50"));
        // What the books hold.
        QCOMPARE(f.Db.Text("select Program_Money from All_Table where Program_Money=40"),
                 QStringLiteral("40"));
    }

    void deleteFromResultsIntoTheTrash()
    {
        TMainFixture f;
        Sample(f);
        ViewJune(f);
        TfrmFind *find = Open(f);
        Type(find, QStringLiteral("外出"));
        auto *list = Child<QTreeView>(find, "lvwFind");
        {
            TModalAnswerer answers;
            Child<QPushButton>(find, "btnFind_Delete")->click();
            QCOMPARE(answers.Texts(), QStringList({"请在上面的列表中选定一条记录，然后删除它。"}));
        }
        list->selectAll();
        {
            TModalAnswerer answers({QMessageBox::No});
            Child<QPushButton>(find, "btnFind_Delete")->click();
            QCOMPARE(f.Db.Count("select count(*) from Trash_Table"), 0);
        }
        TModalAnswerer answers({QMessageBox::Yes});
        Child<QPushButton>(find, "btnFind_Delete")->click();
        QCOMPARE(answers.Texts(), QStringList({"您确定要删除指定的记录吗？"}));
        QCOMPARE(Rows(find), 0);
        QCOMPARE(Summary(find), QStringLiteral("找到 0 条记录：支出合计 0.00，收入合计 0.00"));
        QCOMPARE(f.Db.Count("select count(*) from Trash_Table"), 2);
        // The other user's record of that name stays.
        QCOMPARE(f.Db.Count("select count(*) from All_Table"), 4);
        Type(find, QString());
        QCOMPARE(Rows(find), 3);
        auto *days = f.Find<QTreeView>("lvwInAndOut_List1");
        QCOMPARE(days->model()->index(0, 2).data().toString(), QStringLiteral("0.00"));
        QCOMPARE(days->model()->index(2, 2).data().toString(), QStringLiteral("12.00"));
        QCOMPARE(f.Find<QTreeWidget>("lvwInAndOut_List2")->topLevelItemCount(), 2);
        QCOMPARE(f.Find<QLabel>("lblInAndOut_OutMoney1")->text(), QStringLiteral("支出合计：132.00"));
    }

    void exportOfTheResultsReadBack()
    {
        TMainFixture f;
        Sample(f);
        TfrmFind *find = Open(f);
        Type(find, QStringLiteral("kfc"));
        QTemporaryDir out;
        const QString text = out.filePath(QStringLiteral("结果.txt"));
        {
            TModalAnswerer answers;
            answers.OnDialog = [&](QWidget *Dialog) { AnswerSaveDialog(Dialog, text); };
            Child<QPushButton>(find, "btnFind_Export")->click();
            QCOMPARE(answers.Texts(), QStringList({"导出成功！\r\n\r\n文件保存位置：\r\n" + text}));
        }
        QFile file(text);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        QCOMPARE(lines.value(0), ReportRowsBuilder::Header1() + "\r");
        QVERIFY(lines.value(2).startsWith("2026-06-03"));
        QVERIFY(lines.value(3).startsWith("2026-06-01"));
        QCOMPARE(lines.value(4), QByteArray("\r"));
        QCOMPARE(lines.value(5), ReportRowsBuilder::Bytes(Summary(find)) + "\r");

        // The workbook, read back by an independent reader.
        const QString book = out.filePath(QStringLiteral("结果.xls"));
        {
            TModalAnswerer answers;
            answers.OnDialog = [&](QWidget *Dialog) { AnswerSaveDialog(Dialog, book); };
            Child<QPushButton>(find, "btnFind_Export")->click();
            QCOMPARE(answers.Texts(), QStringList({"导出成功！\r\n\r\n文件保存位置：\r\n" + book}));
        }
        QProcess python;
        python.start("/usr/bin/python3", {"-c",
                                          "import sys, xlrd\n"
                                          "s = xlrd.open_workbook(sys.argv[1]).sheet_by_name('Sheet1')\n"
                                          "for r in range(s.nrows): print('|'.join(str(c).strip() for c in "
                                          "s.row_values(r)))\n",
                                          book});
        QVERIFY(python.waitForFinished(60000));
        const QStringList rows = QString::fromUtf8(python.readAllStandardOutput()).split('\n');
        QVERIFY2(rows.size() >= 5, qPrintable(rows.join('\n')));
        QCOMPARE(rows[1], QStringLiteral("2026-06-03|支出|外出就餐|30.00|kfc 午饭"));
        QCOMPARE(rows[2], QStringLiteral("2026-06-01|支出|外出就餐|88.50|ＫＦＣ 和同事"));
        QCOMPARE(rows[4].section('|', 0, 0), Summary(find));

        // The overwrite question, answered No, keeps the old file.
        Type(find, QStringLiteral("燃气"));
        TModalAnswerer answers({QMessageBox::No});
        answers.OnDialog = [&](QWidget *Dialog) { AnswerSaveDialog(Dialog, text); };
        Child<QPushButton>(find, "btnFind_Export")->click();
        QCOMPARE(answers.Texts(), QStringList({"有同名文件存在，您想覆盖它吗？"}));
        QVERIFY(file.seek(0));
        QCOMPARE(file.readAll().split('\n').value(5), lines.value(5));
    }

    void savedSearchesSurviveARestart()
    {
        TMainFixture f;
        Sample(f);
        {
            TfrmFind *find = Open(f);
            Type(find, QStringLiteral("kfc"));
            Child<QComboBox>(find, "cboFind_Type")->setCurrentIndex(1);
            TModalAnswerer answers;
            answers.OnDialog = [](QWidget *Dialog) {
                auto *ask = qobject_cast<QInputDialog *>(Dialog);
                if (!ask) {
                    Dialog->close();
                    return;
                }
                ask->setTextValue(QStringLiteral("快餐"));
                ask->accept();
            };
            Child<QPushButton>(find, "btnFind_Save")->click();
            QCOMPARE(Child<QComboBox>(find, "cboFind_Saved")->currentText(), QStringLiteral("快餐"));
            // The last search differs from the saved one.
            Type(find, QStringLiteral("燃气"));
            find->close();
        }
        // The program starts again on the same books.
        f.Main.reset();
        f.Main = std::make_unique<TfrmMain>();
        f.Main->CurrentUser = f.User;
        f.Main->SetupAfterLogin();
        f.Main->GuardFlag = 1;
        f.Main->show();
        TfrmFind *find = Open(f);
        QCOMPARE(Child<QLineEdit>(find, "edtFind_Text")->text(), QStringLiteral("燃气"));
        QCOMPARE(Child<QComboBox>(find, "cboFind_Type")->currentIndex(), 1);
        QCOMPARE(Rows(find), 1);
        auto *saved = Child<QComboBox>(find, "cboFind_Saved");
        QCOMPARE(saved->count(), 2);
        QCOMPARE(saved->itemText(1), QStringLiteral("快餐"));
        saved->setCurrentIndex(1);
        find->cboFind_SavedSelect(1);
        QCOMPARE(Child<QLineEdit>(find, "edtFind_Text")->text(), QStringLiteral("kfc"));
        QCOMPARE(Rows(find), 2);
        // The name goes once the fields no longer are its search.
        Type(find, QStringLiteral("kfc 午饭"));
        QCOMPARE(saved->currentIndex(), 0);
        saved->setCurrentIndex(1);
        find->cboFind_SavedSelect(1);
        QCOMPARE(saved->currentIndex(), 1);
        // Renamed from its menu, deleted with the Delete key.
        {
            TModalAnswerer answers;
            answers.OnDialog = [](QWidget *Dialog) {
                auto *ask = qobject_cast<QInputDialog *>(Dialog);
                if (!ask) {
                    Dialog->close();
                    return;
                }
                ask->setTextValue(QStringLiteral("午饭"));
                ask->accept();
            };
            Child<QAction>(find, "mnuFind_Saved_Rename")->trigger();
        }
        QCOMPARE(saved->count(), 2);
        QCOMPARE(saved->currentText(), QStringLiteral("午饭"));
        {
            TModalAnswerer answers({QMessageBox::Yes});
            saved->setFocus();
            QTest::keyClick(saved, Qt::Key_Delete);
            QCOMPARE(answers.Texts(), QStringList{"您确定要删除名为“午饭”的查找吗？"});
        }
        QCOMPARE(saved->count(), 1);
        QCOMPARE(f.Db.Count("select count(*) from Saved_Searches where Search_Name<>''"), 0);
        // Another user sees none of them.
        TclsDatabaseUser(f.Db.File()).AddRecords("李四", "支出", {"2026-06-04"}, {"x"}, {"1"}, {""});
        f.Main.reset();
        f.Main = std::make_unique<TfrmMain>();
        f.Main->CurrentUser = QStringLiteral("李四");
        f.Main->SetupAfterLogin();
        f.Main->GuardFlag = 1;
        f.Main->show();
        find = Open(f);
        QCOMPARE(Child<QComboBox>(find, "cboFind_Saved")->count(), 1);
        QCOMPARE(Child<QLineEdit>(find, "edtFind_Text")->text(), QString());
        QCOMPARE(Rows(find), 2);
    }
};

QTEST_MAIN(TestFindGui)
#include "test_findGui.moc"
