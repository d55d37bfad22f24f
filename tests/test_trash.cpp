// The trash: a deleted record comes back whole, or goes for good, and only
// its owner ever sees it.
#include "app/unt_frmMain.h"
#include "data/unt_clsDatabaseUser.h"
#include "data/unt_clsTrash.h"
#include "panels/unt_frmTrash.h"
#include "tests/support/unt_testGui.h"
#include "ui/unt_clsWidgets.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

class TestTrash : public QObject
{
    Q_OBJECT

    // The stored row of a record, every field, as one text.
    static QString Row(const TTestDb &Db, const QString &Table, const QString &ID)
    {
        return Db.Text(
            QStringLiteral("select ID||'|'||Program_Date||'|'||Program_Type||'|'||Program_Name||'|'||"
                           "Program_Money||'|'||Program_Memo||'|'||User_Name from %1 where ID=%2")
                .arg(Table, ID));
    }
    static QStringList Labels(const TMainFixture &F)
    {
        QStringList texts;
        for (const char *name : {"lblInAndOut_Days", "lblInAndOut_Surplus", "lblInAndOut_OutMoney1",
                                 "lblInAndOut_OutMoney2", "lblInAndOut_InMoney1", "lblInAndOut_InMoney2"})
            texts << F.Find<QLabel>(name)->text();
        return texts;
    }
    static void View(const TMainFixture &F)
    {
        F.Find<QDateEdit>("dtpInAndOut_Date1")->setDate(QDate(2026, 6, 1));
        F.Find<QDateEdit>("dtpInAndOut_Date2")->setDate(QDate(2026, 6, 10));
        F.Click("InAndOut_View");
    }
    // Deletes detail row Row of the day 2026-06-03 through the browse panel.
    static void DeleteOnPanel(const TMainFixture &F, int Row)
    {
        auto *days = F.Find<QTreeView>("lvwInAndOut_List1");
        days->setCurrentIndex(days->model()->index(2, 1));
        auto *details = F.Find<QTreeWidget>("lvwInAndOut_List2");
        details->setCurrentItem(details->topLevelItem(Row));
        TModalAnswerer answers({QMessageBox::Yes});
        F.Click("InAndOut_Delete");
        QCOMPARE(answers.Texts(), QStringList{"您确定要删除指定的记录吗？"});
    }
    // Works the trash dialog from its own event loop, so the boxes its
    // buttons open are answered too; closes it after, however Steps end.
    static std::function<void(QWidget *)> InTrash(std::function<void(TfrmTrash *)> Steps)
    {
        return [Steps](QWidget *Dialog) {
            QTimer::singleShot(0, Dialog, [Steps, Dialog] {
                auto close = qScopeGuard([Dialog] { Dialog->close(); });
                if (auto *trash = qobject_cast<TfrmTrash *>(Dialog))
                    Steps(trash);
            });
        };
    }
    static QAction *TrashItem(const TMainFixture &F)
    {
        return F.Main->MoreMenu()->findChild<QAction *>("mnuInAndOut_More_Trash");
    }

  private slots:
    void initTestCase()
    {
        UsePrivateRuntimeDir();
        ApplyTestFont();
    }

    void trashItemOfTheMoreMenu()
    {
        TMainFixture f;
        const QList<QAction *> items = f.Main->MoreMenu()->actions();
        // A group of its own, followed only by the bill import's group.
        const qsizetype at =
            items.indexOf(f.Main->MoreMenu()->findChild<QAction *>(QStringLiteral("mnuInAndOut_More_Trash")));
        QCOMPARE(at, items.size() - 3);
        QCOMPARE(items[at]->text(), QStringLiteral("回收站(&R)..."));
        QVERIFY(items[at - 1]->isSeparator());
        QVERIFY(items[at + 1]->isSeparator());
        QCOMPARE(items.last()->objectName(), QStringLiteral("mnuInAndOut_More_Import"));
    }

    void deleteThenRestoreGivesBackTheSameRecord()
    {
        TMainFixture f;
        TclsDatabaseUser db(f.Db.File());
        db.AddRecords(f.User, "支出", {"2026-06-03", "2026-06-03", "2026-06-08"}, {"早饭", "午饭", "房租"},
                      {"10.00", "5.50", "30.00"}, {"", "多行\r\n备注", "六月"});
        db.AddRecords(f.User, "收入", {"2026-06-03"}, {"工资"}, {"100.00"}, {""});
        View(f);
        const QStringList before = Labels(f);
        const QString id = f.Db.Text("select ID from All_Table where Program_Money=5.5");
        const QString stored = Row(f.Db, "All_Table", id);
        DeleteOnPanel(f, 1);
        QVERIFY(Row(f.Db, "All_Table", id).isEmpty());
        QVERIFY(Labels(f) != before);
        QCOMPARE(f.Db.Count(QStringLiteral("select count(*) from Trash_Table where ID=%1").arg(id)), 1);

        TModalAnswerer answers;
        answers.OnDialog = InTrash([&](TfrmTrash *Dialog) {
            QCOMPARE(Dialog->windowTitle(), QStringLiteral("回收站"));
            auto *list = Dialog->findChild<QTreeWidget *>("lvwTrash");
            QCOMPARE(list->topLevelItemCount(), 1);
            QTreeWidgetItem *row = list->topLevelItem(0);
            QCOMPARE(list->headerItem()->text(1), QStringLiteral("删除时间"));
            QCOMPARE(row->text(2), QStringLiteral("2026-06-03"));
            QCOMPARE(row->text(3), QStringLiteral("支出"));
            QCOMPARE(row->text(4), QStringLiteral("午饭"));
            QCOMPARE(row->text(5), QStringLiteral("5.50"));
            QCOMPARE(row->text(6), QStringLiteral("多行 备注")); // one line in the list
            QCOMPARE(CellText(row, 6), QStringLiteral("多行\r\n备注"));
            row->setSelected(true);
            Dialog->findChild<QPushButton *>("btnRestore")->click();
            QCOMPARE(list->topLevelItemCount(), 0);
        });
        TrashItem(f)->trigger();
        QCOMPARE(answers.Texts(), QStringList{"已恢复 1 条记录。"});
        QCOMPARE(Row(f.Db, "All_Table", id), stored);
        QCOMPARE(f.Db.Count("select count(*) from Trash_Table"), 0);
        // The range on screen shows the restored record at once.
        QCOMPARE(Labels(f), before);
        View(f);
        QCOMPARE(Labels(f), before);
    }

    void severalRestoredOrPurgedAtOnce()
    {
        TMainFixture f;
        TclsDatabaseUser db(f.Db.File());
        db.AddRecords(f.User, "支出", {"2026-06-03", "2026-06-03", "2026-06-03"}, {"a", "b", "c"},
                      {"1.00", "2.00", "3.00"}, {"", "", ""});
        View(f);
        for (int i = 0; i < 3; ++i)
            DeleteOnPanel(f, 0);
        QCOMPARE(f.Db.Count("select count(*) from All_Table"), 0);
        TModalAnswerer answers({QMessageBox::Ok, QMessageBox::No, QMessageBox::Yes});
        answers.OnDialog = InTrash([&](TfrmTrash *Dialog) {
            auto *list = Dialog->findChild<QTreeWidget *>("lvwTrash");
            QCOMPARE(list->topLevelItemCount(), 3);
            list->topLevelItem(0)->setSelected(true);
            list->topLevelItem(2)->setSelected(true);
            Dialog->findChild<QPushButton *>("btnRestore")->click();
            QCOMPARE(list->topLevelItemCount(), 1);
            list->topLevelItem(0)->setSelected(true);
            Dialog->findChild<QPushButton *>("btnPurge")->click(); // answered No
            QCOMPARE(list->topLevelItemCount(), 1);
            list->topLevelItem(0)->setSelected(true);
            Dialog->findChild<QPushButton *>("btnPurge")->click(); // answered Yes
            QCOMPARE(list->topLevelItemCount(), 0);
        });
        TrashItem(f)->trigger();
        QCOMPARE(answers.Texts(), (QStringList{"已恢复 2 条记录。", "彻底删除后将无法恢复，确定吗？",
                                               "彻底删除后将无法恢复，确定吗？"}));
        QCOMPARE(f.Db.Count("select count(*) from All_Table"), 2);
        QCOMPARE(f.Db.Count("select count(*) from Trash_Table"), 0);
    }

    void anotherUsersTrashIsNeverSeenNorTouched()
    {
        TTestDb t;
        TclsDatabaseUser db(t.File());
        db.AddRecords("甲", "支出", {"2026-06-03"}, {"a"}, {"1.00"}, {""});
        db.AddRecords("乙", "支出", {"2026-06-04"}, {"b"}, {"2.00"}, {""});
        const QString id = t.Text("select min(ID) from All_Table");
        db.DeleteRecord(id);
        TclsTrash trash(t.File());
        TrashLists records;
        trash.GetTrash("乙", records);
        QVERIFY(records[0].isEmpty());
        QCOMPARE(trash.Restore("乙", {id}), 0);
        QCOMPARE(trash.Purge("乙", {id}), 0);
        trash.GetTrash("甲", records);
        QCOMPARE(records[0], QStringList{id});
        // A user who goes takes the trash along.
        db.AddUser("甲", "p");
        QVERIFY(db.DeleteUser("甲", "p"));
        QCOMPARE(t.Count("select count(*) from Trash_Table"), 0);
        QCOMPARE(t.Count("select count(*) from All_Table"), 1);
    }

    void newestDeletionFirst()
    {
        TTestDb t;
        TclsDatabaseUser db(t.File());
        db.AddRecords("甲", "支出", {"2026-06-03", "2026-06-04"}, {"a", "b"}, {"1.00", "2.00"}, {"", ""});
        t.Exec("insert into Trash_Table select *, '2026-01-01 08:00:00' from All_Table where Program_Money=2;"
               "insert into Trash_Table select *, '2026-01-02 08:00:00' from All_Table where Program_Money=1;"
               "delete from All_Table;");
        TrashLists records;
        TclsTrash(t.File()).GetTrash("甲", records);
        QCOMPARE(records[4], (QStringList{"a", "b"}));
        QCOMPARE(records[1].first(), QStringLiteral("2026-01-02 08:00:00"));
    }

    void failedMoveKeepsTheRecord()
    {
        TTestDb t;
        TclsDatabaseUser db(t.File());
        db.AddRecords("甲", "支出", {"2026-06-03"}, {"a"}, {"1.00"}, {""});
        t.Exec("create trigger fail before delete on All_Table begin select raise(abort, 'boom'); end;");
        const QString id = t.Text("select ID from All_Table");
        QVERIFY_THROWS_EXCEPTION(std::exception, db.DeleteRecord(id));
        QCOMPARE(t.Count("select count(*) from All_Table"), 1);
        QCOMPARE(t.Count("select count(*) from Trash_Table"), 0);
    }
};

QTEST_MAIN(TestTrash)
#include "test_trash.moc"
