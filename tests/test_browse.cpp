// The browse panel, the record modify dialog and the statistics dialogs.
#include "app/unt_frmMain.h"
#include "data/unt_clsDatabaseUser.h"
#include "panels/unt_frmModifyRecord.h"
#include "tests/support/unt_testGui.h"

#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

class TestBrowse : public QObject
{
    Q_OBJECT

    static void SetRange(const TMainFixture &F, const QDate &From, const QDate &To)
    {
        F.Find<QDateEdit>("dtpInAndOut_Date1")->setDate(From);
        F.Find<QDateEdit>("dtpInAndOut_Date2")->setDate(To);
    }
    static QString Label(const TMainFixture &F, const char *Name) { return F.Find<QLabel>(Name)->text(); }
    // Two days of records in a ten-day range.
    static void Sample(const TMainFixture &F)
    {
        TclsDatabaseUser db(F.Db.File());
        db.AddRecords(F.User, "支出", {"2026-06-03", "2026-06-03", "2026-06-08"}, {"早饭", "午饭", "房租"},
                      {"10.00", "5.50", "30.00"}, {"", "x", "六月"});
        db.AddRecords(F.User, "收入", {"2026-06-03"}, {"工资"}, {"100.00"}, {""});
        SetRange(F, QDate(2026, 6, 1), QDate(2026, 6, 10));
    }
    static void SelectDetail(const TMainFixture &F, int Row)
    {
        auto *list = F.Find<QTreeWidget>("lvwInAndOut_List2");
        list->setCurrentItem(list->topLevelItem(Row));
    }
    static void SelectDay(const TMainFixture &F, int Row)
    {
        auto *list = F.Find<QTreeView>("lvwInAndOut_List1");
        list->setCurrentIndex(list->model()->index(Row, 1));
    }

  private slots:
    void initTestCase()
    {
        UsePrivateRuntimeDir();
        ApplyTestFont();
    }

    void oneDayRange()
    {
        TMainFixture f;
        TclsDatabaseUser(f.Db.File()).AddRecords(f.User, "支出", {"2026-06-01"}, {"a"}, {"7.00"}, {""});
        SetRange(f, QDate(2026, 6, 1), QDate(2026, 6, 1));
        f.Click("InAndOut_View");
        QCOMPARE(f.Find<QTreeView>("lvwInAndOut_List1")->model()->rowCount(), 1);
        QCOMPARE(Label(f, "lblInAndOut_Days"), QStringLiteral("查询天数：1"));
        QCOMPARE(Label(f, "lblInAndOut_OutMoney2"), QStringLiteral("7.00/天"));
        QCOMPARE(Label(f, "lblInAndOut_Surplus"), QStringLiteral("结余：-7.00"));
        QCOMPARE(f.Find<QLabel>("lblInAndOut_Surplus")->geometry().right() + 1, 604);
    }

    void tenDaysWithTwoRecordDays()
    {
        TMainFixture f;
        Sample(f);
        QTest::mouseClick(f.Main->findChild<QWidget *>("rdoInAndOut"), Qt::LeftButton);
        f.Click("InAndOut_View");
        auto *days = f.Find<QTreeView>("lvwInAndOut_List1");
        QCOMPARE(days->model()->rowCount(), 10);
        auto cell = [days](int Row, int Column) {
            return days->model()->index(Row, Column).data().toString();
        };
        int empty = 0;
        for (int i = 0; i < 10; ++i)
            empty += cell(i, 2) == "0.00" && cell(i, 3) == "0.00";
        QCOMPARE(empty, 8);
        QCOMPARE(cell(2, 2), QStringLiteral("15.50"));
        QCOMPARE(cell(2, 3), QStringLiteral("100.00"));
        QCOMPARE(Label(f, "lblInAndOut_Days"), QStringLiteral("查询天数：10"));
        QCOMPARE(Label(f, "lblInAndOut_OutMoney1"), QStringLiteral("支出合计：45.50"));
        QCOMPARE(Label(f, "lblInAndOut_OutMoney2"), QStringLiteral("4.55/天"));
        QCOMPARE(Label(f, "lblInAndOut_InMoney1"), QStringLiteral("收入合计：100.00"));
        QCOMPARE(Label(f, "lblInAndOut_InMoney2"), QStringLiteral("10.00/天"));
        QCOMPARE(Label(f, "lblInAndOut_Surplus"), QStringLiteral("结余：54.50"));
        // The last day is selected and focused, and it has no records.
        QCOMPARE(days->currentIndex().row(), 9);
        QVERIFY(days->selectionModel()->isRowSelected(9, QModelIndex()));
        QCOMPARE(f.Main->focusWidget(), days);
        QCOMPARE(f.Find<QTreeWidget>("lvwInAndOut_List2")->topLevelItemCount(), 0);
        SelectDay(f, 2);
        auto *details = f.Find<QTreeWidget>("lvwInAndOut_List2");
        QCOMPARE(details->topLevelItemCount(), 3);
        QCOMPARE(details->topLevelItem(0)->text(3), QStringLiteral("早饭"));
        QCOMPARE(details->topLevelItem(2)->text(2), QStringLiteral("收入"));
        SaveShot(f.Main.get(), "browse");
    }

    // Every day the pickers allow is a row of the daily list: millions of
    // rows, shown at once, with the sums of the few days that have records.
    void everyDayThePickersAllow()
    {
        TMainFixture f;
        Sample(f);
        SetRange(f, QDate(1900, 1, 1), QDate(9999, 12, 31));
        f.Main->InAndOut_View();
        const qint64 days = QDate(1900, 1, 1).daysTo(QDate(9999, 12, 31)) + 1;
        auto *list = f.Find<QTreeView>("lvwInAndOut_List1");
        QCOMPARE(list->model()->rowCount(), days);
        QCOMPARE(Label(f, "lblInAndOut_Days"), QStringLiteral("查询天数：%1").arg(days));
        QCOMPARE(Label(f, "lblInAndOut_OutMoney1"), QStringLiteral("支出合计：45.50"));
        QCOMPARE(Label(f, "lblInAndOut_Surplus"), QStringLiteral("结余：54.50"));
        QCOMPARE(list->currentIndex().row(), days - 1);
        QCOMPARE(list->model()->index(int(days - 1), 1).data().toString(), QStringLiteral("9999-12-31"));
        const int june3 = int(QDate(1900, 1, 1).daysTo(QDate(2026, 6, 3)));
        QCOMPARE(list->model()->index(june3, 1).data().toString(), QStringLiteral("2026-06-03"));
        QCOMPARE(list->model()->index(june3, 2).data().toString(), QStringLiteral("15.50"));
        list->setCurrentIndex(list->model()->index(june3, 1));
        QCOMPARE(f.Find<QTreeWidget>("lvwInAndOut_List2")->topLevelItemCount(), 3);
    }

    void reversedRangeChangesNothing()
    {
        TMainFixture f;
        Sample(f);
        f.Main->InAndOut_View();
        SetRange(f, QDate(2026, 6, 2), QDate(2026, 6, 1));
        for (auto action : {&TfrmMain::InAndOut_View, &TfrmMain::mnuInAndOut_More_ShowRecordClick}) {
            TModalAnswerer answers;
            (f.Main.get()->*action)();
            QCOMPARE(answers.Texts(), QStringList{"查看起始日期不能大于截止日期！"});
            QCOMPARE(answers.Seen[0].Icon, QMessageBox::Warning);
        }
        QCOMPARE(f.Find<QTreeView>("lvwInAndOut_List1")->model()->rowCount(), 10);
        QCOMPARE(Label(f, "lblInAndOut_Days"), QStringLiteral("查询天数：10"));
    }

    void deleteKeepsEverythingInStep()
    {
        TMainFixture f;
        Sample(f);
        f.Main->InAndOut_View();
        TModalAnswerer none;
        f.Main->InAndOut_Delete();
        QCOMPARE(none.Texts(), QStringList{"请在上面的列表中选定一条记录，然后删除它。"});
        SelectDay(f, 2);
        SelectDetail(f, 0);
        TModalAnswerer no({QMessageBox::No});
        f.Main->InAndOut_Delete();
        QCOMPARE(no.Texts(), QStringList{"您确定要删除指定的记录吗？"});
        QCOMPARE(f.Db.Count("select count(*) from All_Table"), 4);
        QCOMPARE(f.Find<QTreeWidget>("lvwInAndOut_List2")->topLevelItemCount(), 3);

        TModalAnswerer yes({QMessageBox::Yes});
        f.Click("InAndOut_Delete");
        QCOMPARE(f.Db.Count("select count(*) from All_Table"), 3);
        QCOMPARE(f.Find<QTreeWidget>("lvwInAndOut_List2")->topLevelItemCount(), 2);
        QCOMPARE(f.Find<QTreeView>("lvwInAndOut_List1")->model()->index(2, 2).data().toString(),
                 QStringLiteral("5.50"));
        QCOMPARE(Label(f, "lblInAndOut_OutMoney1"), QStringLiteral("支出合计：35.50"));
        QCOMPARE(Label(f, "lblInAndOut_OutMoney2"), QStringLiteral("3.55/天"));
        QCOMPARE(Label(f, "lblInAndOut_Surplus"), QStringLiteral("结余：64.50"));
        QCOMPARE(Label(f, "lblInAndOut_Days"), QStringLiteral("查询天数：10"));
        QCOMPARE(f.Main->Details()[0].size(), 3);
        // The range kept in memory lost the record too: the day shown again
        // lists only the two left.
        SelectDay(f, 0);
        SelectDay(f, 2);
        QCOMPARE(f.Find<QTreeWidget>("lvwInAndOut_List2")->topLevelItemCount(), 2);
    }

    void failedDeleteChangesNothingOnScreen()
    {
        TMainFixture f;
        Sample(f);
        f.Main->InAndOut_View();
        SelectDay(f, 2);
        SelectDetail(f, 0);
        f.Db.Exec("create trigger keep before delete on All_Table begin select raise(abort, 'database is "
                  "locked'); end;");
        TModalAnswerer answers({QMessageBox::Yes});
        f.Main->ShapeButtonClick(f.Find<QLabel>("lblInAndOut_Delete"));
        QCOMPARE(answers.Seen.size(), 2);
        QCOMPARE(answers.Seen[1].Icon, QMessageBox::Critical);
        QCOMPARE(f.Find<QTreeWidget>("lvwInAndOut_List2")->topLevelItemCount(), 3);
        QCOMPARE(Label(f, "lblInAndOut_OutMoney1"), QStringLiteral("支出合计：45.50"));
        QCOMPARE(f.Main->Details()[0].size(), 4);
        QVERIFY(f.Find<QLabel>("lblInAndOut_Delete")->isEnabled());
    }

    void modifyRaisesTotals()
    {
        TMainFixture f;
        Sample(f);
        f.Main->InAndOut_View();
        SelectDay(f, 2);
        TModalAnswerer none;
        f.Main->InAndOut_Modify();
        QCOMPARE(none.Texts(), QStringList{"请在上面的列表中选定一条记录，然后修改它。"});
        SelectDetail(f, 0);
        TModalAnswerer answers;
        answers.OnDialog = [](QWidget *Dialog) {
            QCOMPARE(Dialog->findChild<QLineEdit *>("edtDate")->text(), QStringLiteral("2026-06-03"));
            QVERIFY(Dialog->findChild<QLineEdit *>("edtDate")->isReadOnly());
            QCOMPARE(Dialog->findChild<QLineEdit *>("edtMoney")->text(), QStringLiteral("10.00"));
            SaveShot(Dialog, "modify");
            Dialog->findChild<QLineEdit *>("edtMoney")->setText("25");
            Dialog->findChild<QLineEdit *>("edtName")->setText("早餐 ");
            QTimer::singleShot(0, Dialog, [Dialog] { Dialog->findChild<QPushButton *>("btnSave")->click(); });
        };
        f.Main->InAndOut_Modify();
        QCOMPARE(answers.Texts(), QStringList{"修改成功！"});
        auto *row = f.Find<QTreeWidget>("lvwInAndOut_List2")->topLevelItem(0);
        QCOMPARE(row->text(4), QStringLiteral("25.00"));
        QCOMPARE(row->text(3), QStringLiteral("早餐 "));
        QCOMPARE(f.Find<QTreeView>("lvwInAndOut_List1")->model()->index(2, 2).data().toString(),
                 QStringLiteral("30.50"));
        QCOMPARE(Label(f, "lblInAndOut_OutMoney1"), QStringLiteral("支出合计：60.50"));
        DayLists days;
        DetailLists details;
        TclsDatabaseUser(f.Db.File())
            .GetDayRecords(f.User, QDate(2026, 6, 3), QDate(2026, 6, 3), days, details);
        QCOMPARE(details[3][0], QStringLiteral("早餐 "));
        QCOMPARE(details[4][0], QStringLiteral("25.00"));
        // The day shown again comes from the range kept in memory.
        SelectDay(f, 0);
        SelectDay(f, 2);
        row = f.Find<QTreeWidget>("lvwInAndOut_List2")->topLevelItem(0);
        QCOMPARE(row->text(3), QStringLiteral("早餐 "));
        QCOMPARE(row->text(4), QStringLiteral("25.00"));
        SelectDetail(f, 0);

        TModalAnswerer cancel;
        cancel.OnDialog = [](QWidget *Dialog) {
            Dialog->findChild<QLineEdit *>("edtMoney")->setText("99");
            static_cast<QDialog *>(Dialog)->reject();
        };
        f.Main->InAndOut_Modify();
        QCOMPARE(row->text(4), QStringLiteral("25.00"));
        QCOMPARE(Label(f, "lblInAndOut_OutMoney1"), QStringLiteral("支出合计：60.50"));
        QVERIFY(!f.Main->ActiveDialog);
    }

    void modifyDialogMessages()
    {
        TMainFixture f;
        TclsDatabaseUser(f.Db.File()).AddRecords(f.User, "支出", {"2026-06-01"}, {"a"}, {"1.00"}, {""});
        const QString id = f.Db.Text("select ID from All_Table");
        const QString zero = "金额不能为空或为0！", bad = "金额错误！请重新输入。";
        const QString decimals = "金额最多只能有两位小数！请重新输入。";
        const QList<std::pair<QString, QString>> cases{
            {"12", "12.00"}, {".5", "0.50"}, {"12.", "12.00"}, {"1.999", decimals}, {"0.001", decimals},
            {"", zero},      {"0", zero},    {"0.0", zero},    {".00", zero},       {"-1", bad},
            {"+1", bad},     {"1 2", bad},   {"1,000", bad},   {"1.2.3", bad},      {"x1A", bad},
            {"1.5e3", bad},  {"1e2", bad},
        };
        for (const auto &[typed, expected] : cases) {
            TfrmModifyRecord dialog;
            dialog.RecordID = id;
            dialog.UserName = f.User;
            dialog.SetFields("2026-06-01", "a", typed, "");
            dialog.show();
            TModalAnswerer answers;
            dialog.btnSaveClick();
            if (expected.endsWith("。") || expected.endsWith("！")) {
                QCOMPARE(answers.Texts(), QStringList{expected});
                QVERIFY(dialog.findChild<QLineEdit *>("edtMoney")->text().isEmpty());
                QVERIFY(dialog.result() != QDialog::Accepted);
            } else {
                QCOMPARE(answers.Texts(), QStringList{"修改成功！"});
                QCOMPARE(f.Db.Text("select printf('%.2f', Program_Money) from All_Table"), expected);
            }
        }
        TfrmModifyRecord dialog;
        dialog.RecordID = id;
        dialog.UserName = f.User;
        dialog.SetFields("2026-06-01", "  ", "3", "");
        dialog.show();
        TModalAnswerer answers;
        dialog.btnSaveClick();
        QCOMPARE(answers.Texts(), QStringList{"项目名称不能为空！"});
        QCOMPARE(dialog.findChild<QLineEdit *>("edtMoney")->text(), QStringLiteral("3"));
    }

    // After a failed save, Enter must save again, not cancel the edit.
    void failedModifyKeepsSaveTheDefault()
    {
        TMainFixture f;
        Sample(f);
        f.Db.Exec("create trigger keep before update on All_Table begin select raise(abort, 'database is "
                  "locked'); end;");
        TfrmModifyRecord dialog;
        dialog.RecordID = f.Db.Text("select min(ID) from All_Table");
        dialog.UserName = f.User;
        dialog.SetFields("2026-06-01", "a", "3", "");
        dialog.show();
        auto *name = dialog.findChild<QLineEdit *>("edtName");
        auto *save = dialog.findChild<QPushButton *>("btnSave");
        name->setFocus();
        {
            TModalAnswerer answers;
            QTest::keyClick(name, Qt::Key_Return);
            QCOMPARE(answers.Seen.size(), 1);
            QCOMPARE(answers.Seen[0].Icon, QMessageBox::Critical);
        }
        QVERIFY(dialog.isVisible());
        QVERIFY(save->isDefault());
        QVERIFY(!dialog.findChild<QPushButton *>("btnCancel")->isDefault());
        QCOMPARE(dialog.focusWidget(), name);
        f.Db.Exec("drop trigger keep;");
        TModalAnswerer answers;
        QTest::keyClick(name, Qt::Key_Return);
        QCOMPARE(answers.Texts(), QStringList{"修改成功！"});
    }

    void shareDialog()
    {
        TMainFixture f;
        TclsDatabaseUser db(f.Db.File());
        db.AddRecords(f.User, "支出", {"2026-07-01", "2026-07-02", "2026-07-31"}, {"a", "b", "c"},
                      {"60.00", "20.00", "120.00"}, {"", "", ""});
        db.AddRecords(f.User, "收入", {"2026-07-01"}, {"工资"}, {"1.00"}, {""});
        db.AddRecords(f.User, "支出", {"2026-08-01", "2026-08-01", "2026-08-01"}, {"x", "y", "z"},
                      {"1.00", "1.00", "1.00"}, {"", "", ""});
        f.Main->InAndOut_View(); // viewed range is not what the menu uses
        auto rows = [&](const QString &Type, QDate From, QDate To) {
            SetRange(f, From, To);
            QStringList seen;
            TModalAnswerer answers;
            answers.OnDialog = [&](QWidget *Dialog) {
                seen << Dialog->windowTitle() << Dialog->findChild<QLabel *>("lblDate")->text();
                auto *list = Dialog->findChild<QTreeWidget *>("lvwTotal");
                for (int i = 0; i < list->topLevelItemCount(); ++i)
                    seen << list->topLevelItem(i)->text(1) + "|" + list->topLevelItem(i)->text(2) + "|" +
                                list->topLevelItem(i)->text(3);
                if (Type == "支出" && list->topLevelItemCount() == 3)
                    SaveShot(Dialog, "share");
                static_cast<QDialog *>(Dialog)->reject();
            };
            f.Main->ShowProgramTotal(Type);
            return seen;
        };
        QCOMPARE(rows("支出", QDate(2026, 7, 1), QDate(2026, 7, 31)),
                 QStringList({"统计各个支出项目所占比例", "2026-07-01至2026-07-31：", "c|120.00|60.00",
                              "a|60.00|30.00", "b|20.00|10.00"}));
        QCOMPARE(rows("收入", QDate(2026, 7, 1), QDate(2026, 7, 31)),
                 QStringList({"统计各个收入项目所占比例", "2026-07-01至2026-07-31：", "工资|1.00|100.00"}));
        QCOMPARE(rows("支出", QDate(2026, 8, 1), QDate(2026, 8, 1)).mid(2),
                 QStringList({"x|1.00|33.33", "y|1.00|33.33", "z|1.00|33.33"}));
        QCOMPARE(rows("支出", QDate(2026, 9, 1), QDate(2026, 9, 2)).size(), 2);
    }

    // Totals of ten digits and more keep every figure readable.
    void hugeTotalsDoNotOverlap()
    {
        TMainFixture f;
        TclsDatabaseUser db(f.Db.File());
        db.AddRecords(f.User, "支出", {"2026-06-01", "2026-06-01"}, {"房", "车"},
                      {"99999999999.99", "99999999999.99"}, {"", ""});
        db.AddRecords(f.User, "收入", {"2026-06-01"}, {"奖"}, {"99999999999.99"}, {""});
        f.Find<QDateEdit>("dtpInAndOut_Date1")->setDate(QDate(2026, 6, 1));
        f.Find<QDateEdit>("dtpInAndOut_Date2")->setDate(QDate(2026, 6, 1));
        f.Main->InAndOut_View();
        QList<QRect> boxes;
        for (const char *name : {"lblInAndOut_OutMoney1", "lblInAndOut_OutMoney2", "lblInAndOut_InMoney1",
                                 "lblInAndOut_InMoney2"})
            boxes << f.Find<QLabel>(name)->geometry();
        for (int i = 1; i < boxes.size(); ++i)
            QVERIFY2(boxes[i].left() > boxes[i - 1].right(), qPrintable(QString("label %1").arg(i)));
        QVERIFY(Label(f, "lblInAndOut_OutMoney1").contains("199999999999.98"));
        QCOMPARE(
            f.Find<QTreeView>("lvwInAndOut_List1")->model()->index(0, 2).data(Qt::ToolTipRole).toString(),
            QStringLiteral("199999999999.98"));
        QVERIFY(
            !f.Find<QTreeView>("lvwInAndOut_List1")->model()->index(0, 1).data(Qt::ToolTipRole).isValid());
        // Ordinary totals keep their places.
        f.Find<QDateEdit>("dtpInAndOut_Date1")->setDate(QDate(2026, 6, 2));
        f.Find<QDateEdit>("dtpInAndOut_Date2")->setDate(QDate(2026, 6, 2));
        f.Main->InAndOut_View();
        QCOMPARE(f.Find<QLabel>("lblInAndOut_InMoney1")->x(), 246);
        QCOMPARE(f.Find<QLabel>("lblInAndOut_OutMoney2")->geometry().right() + 1, 219);
    }

    void detailDialog()
    {
        TMainFixture f;
        Sample(f);
        QStringList seen;
        TModalAnswerer answers;
        answers.OnDialog = [&](QWidget *Dialog) {
            seen << Dialog->windowTitle() << Dialog->findChild<QLabel *>("lblDate")->text()
                 << Dialog->findChild<QLabel *>("lblTotal")->text();
            auto *list = Dialog->findChild<QTreeView *>("lvwList");
            QCOMPARE(list->header()->sectionSize(4), 80);
            QVERIFY(!list->model()->index(0, 0).data(Qt::DecorationRole).isNull());
            for (int i = 0; i < list->model()->rowCount(); ++i)
                seen << list->model()->index(i, 3).data().toString();
            // Tips only where a cell may not show all: amounts, not names.
            QCOMPARE(list->model()->index(0, 4).data(Qt::ToolTipRole).toString(), QStringLiteral("10.00"));
            QVERIFY(!list->model()->index(0, 3).data(Qt::ToolTipRole).isValid());
            SaveShot(Dialog, "detail");
            static_cast<QDialog *>(Dialog)->reject();
        };
        f.Main->MoreMenu()->findChild<QAction *>("mnuInAndOut_More_ShowRecord")->trigger();
        QCOMPARE(seen, QStringList({"详细显示每天所有收支记录", "2026-06-01至2026-06-10：",
                                    "支出合计：45.50    收入合计：100.00    结余合计：54.50", "早饭", "午饭",
                                    "工资", "房租"}));
    }

    void moreMenuItems()
    {
        TMainFixture f;
        QStringList names;
        for (QAction *action : f.Main->MoreMenu()->findChildren<QAction *>())
            names << action->objectName();
        for (const char *name :
             {"mnuInAndOut_More_ShowRecord", "mnuInAndOut_More_OutTotal", "mnuInAndOut_More_InTotal",
              "mnuInAndOut_More_Print_1", "mnuInAndOut_More_Preview_2", "mnuInAndOut_More_SaveAsExcel_1",
              "mnuInAndOut_More_SaveAsTxt_2"})
            QVERIFY2(names.contains(name), name);
    }
};

QTEST_MAIN(TestBrowse)
#include "test_browse.moc"
