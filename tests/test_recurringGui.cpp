// Recurring entries through the main window: due occurrences into the
// pending lists at login, 完成 remembering them, a new day while running,
// and the dialog that keeps the entries.
#include "app/unt_frmMain.h"
#include "data/unt_clsClock.h"
#include "data/unt_clsRecurringStore.h"
#include "panels/unt_frmRecurring.h"
#include "tests/support/unt_testGui.h"

#include <QAction>
#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

namespace
{
const QString Rent = QStringLiteral("房租");

QString Told(int Rows)
{
    return QStringLiteral("有 %1 条定期收支到期，已放入待保存列表，请检查后点“完成”保存。").arg(Rows);
}

qint64 AddEntry(const TMainFixture &F, const QString &Name, TRecurringCycle Cycle, const QDate &Start,
                const QString &Type = QStringLiteral("支出"), const QString &User = {})
{
    TRecurringEntry entry;
    entry.Type = Type;
    entry.Name = Name;
    entry.Money = QStringLiteral("1500.00");
    entry.Memo = Name + QStringLiteral("的备注");
    entry.Cycle = Cycle;
    entry.Start = Start;
    return RecurringStore::AddEntry(F.Db.File(), User.isEmpty() ? F.User : User, entry);
}

// The fixture's user logs in again, as at a new start of the program;
// returns what the user was told.
QStringList Login(TMainFixture &F)
{
    F.Main = std::make_unique<TfrmMain>();
    F.Main->CurrentUser = F.User;
    F.Main->SetupAfterLogin();
    F.Main->GuardFlag = 1;
    F.Main->show();
    TModalAnswerer answers;
    F.Main->StartRecurring();
    return answers.Texts();
}

QStringList Column(const TMainFixture &F, const char *List, int Column)
{
    QStringList cells;
    QTreeWidget *list = F.Find<QTreeWidget>(QLatin1String(List));
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        cells << list->topLevelItem(i)->text(Column);
    return cells;
}

void Finish(const TMainFixture &F, const QString &Prefix)
{
    TModalAnswerer answers;
    F.Click(Prefix + QStringLiteral("_Finish"));
    QCOMPARE(answers.Seen.size(), 1);
    QCOMPARE(answers.Seen.first().Icon, QMessageBox::Information);
}

// Opens the dialog from the More menu and hands it to Work.
void InDialog(TMainFixture &F, const std::function<void(TfrmRecurring *)> &Work, TModalAnswerer &Answers)
{
    // The work runs after the answerer's turn, so it can answer the boxes the
    // work opens.
    Answers.OnDialog = [Work](QWidget *Dialog) {
        QTimer::singleShot(0, Dialog, [Work, Dialog] {
            auto close = qScopeGuard([Dialog] { Dialog->close(); });
            if (auto *recurring = qobject_cast<TfrmRecurring *>(Dialog))
                Work(recurring);
        });
    };
    F.Main->MoreMenu()->findChild<QAction *>("mnuInAndOut_More_Recurring")->trigger();
}
} // namespace

class TestRecurringGui : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase()
    {
        UsePrivateRuntimeDir();
        ApplyTestFont();
    }
    void cleanup() { Clock::SetToday(QDate()); }

    void dueRowsAtLoginSavedOnceAcrossLogins()
    {
        TMainFixture f;
        Clock::SetToday(QDate(2026, 3, 6));
        AddEntry(f, Rent, TRecurringCycle::Monthly, QDate(2026, 1, 31));
        AddEntry(f, QStringLiteral("工资"), TRecurringCycle::Monthly, QDate(2026, 1, 15),
                 QStringLiteral("收入"));
        AddEntry(f, QStringLiteral("报纸"), TRecurringCycle::Weekly, QDate(2026, 2, 20));
        AddEntry(f, QStringLiteral("保险"), TRecurringCycle::Yearly, QDate(2026, 6, 1));
        QCOMPARE(Login(f), QStringList{Told(7)});
        QCOMPARE(Column(f, "lvwOut_List", 1),
                 QStringList({"2026-01-31", "2026-02-20", "2026-02-27", "2026-02-28", "2026-03-06"}));
        QCOMPARE(Column(f, "lvwOut_List", 3), QStringList({"房租", "报纸", "报纸", "房租", "报纸"}));
        QCOMPARE(Column(f, "lvwOut_List", 5).first(), QStringLiteral("房租的备注"));
        QCOMPARE(Column(f, "lvwIn_List", 1), QStringList({"2026-01-15", "2026-02-15"}));
        QCOMPARE(Column(f, "lvwIn_List", 2), QStringList({"收入", "收入"}));
        QCOMPARE(f.Find<QLabel>("lblOut_Total")->text(), QStringLiteral("支出合计：7500.00"));
        QVERIFY(f.Main->findChild<QRadioButton *>("rdoOut")->isChecked());
        SaveShot(f.Main.get(), "recurring-pending");
        Finish(f, "Out");
        Finish(f, "In");
        QCOMPARE(f.Db.Count("select count(*) from All_Table"), 7);
        QCOMPARE(f.Db.Text("select group_concat(Last_Date,' ') from (select Last_Date from Recurring_Table "
                           "order by ID)"),
                 QStringLiteral("2026-02-28 2026-02-15 2026-03-06 "));
        // The same day again: nothing, and nothing said.
        QCOMPARE(Login(f), QStringList());
        QCOMPARE(f.Find<QTreeWidget>("lvwOut_List")->topLevelItemCount(), 0);
        // A month later: only what came due since.
        Clock::SetToday(QDate(2026, 4, 1));
        QCOMPARE(Login(f), QStringList{Told(5)});
        QCOMPARE(Column(f, "lvwOut_List", 1),
                 QStringList({"2026-03-13", "2026-03-20", "2026-03-27", "2026-03-31"}));
        QCOMPARE(Column(f, "lvwIn_List", 1), QStringList({"2026-03-15"}));
    }

    // 跳过本次 from the list's menu; a Delete asks once: skipped, or
    // proposed again; an empty list after that has nothing to save.
    void skippedOnceNeverAgainDeletedComesBack()
    {
        TMainFixture f;
        Clock::SetToday(QDate(2026, 3, 6));
        AddEntry(f, Rent, TRecurringCycle::Monthly, QDate(2026, 1, 31));
        QCOMPARE(Login(f), QStringList{Told(2)});
        auto *list = f.Find<QTreeWidget>("lvwOut_List");
        auto *skip = f.Main->findChild<QAction *>("mnuOut_List_Skip");
        QVERIFY(skip);
        list->setCurrentItem(list->topLevelItem(1));
        QVERIFY(f.Main->findChild<QWidget *>("btnOut_Skip")->isVisible());
        skip->trigger();
        QCOMPARE(Column(f, "lvwOut_List", 1), QStringList{"2026-01-31"});
        list->setCurrentItem(list->topLevelItem(0));
        {
            TModalAnswerer answers({QMessageBox::No});
            f.Main->Out_Delete();
            QCOMPARE(answers.Texts(),
                     QStringList{"这一行是定期收支“房租”在 2026-01-31 的一次。\r\n\r\n要跳过本次吗？选“是”，"
                                 "这一次以后不再放入；选“否”，只从列表中删除，下次还会放入。"});
        }
        QCOMPARE(list->topLevelItemCount(), 0);
        QCOMPARE(Login(f), QStringList{Told(1)});
        QCOMPARE(Column(f, "lvwOut_List", 1), QStringList{"2026-01-31"});
        list = f.Find<QTreeWidget>("lvwOut_List");
        list->setCurrentItem(list->topLevelItem(0));
        {
            TModalAnswerer answers({QMessageBox::Yes});
            f.Main->Out_Delete();
        }
        QCOMPARE(Login(f), QStringList());
        QCOMPARE(f.Db.Count("select count(*) from All_Table"), 0);
        QCOMPARE(f.Db.Text("select Last_Date from Recurring_Table"), QStringLiteral("2026-02-28"));
        // A row saved while an earlier one is deleted: the earlier one comes back.
        Clock::SetToday(QDate(2026, 5, 1));
        QCOMPARE(Login(f), QStringList{Told(2)});
        list = f.Find<QTreeWidget>("lvwOut_List");
        list->setCurrentItem(list->topLevelItem(0));
        {
            TModalAnswerer answers({QMessageBox::No});
            f.Main->Out_Delete();
        }
        Finish(f, "Out");
        QCOMPARE(Login(f), QStringList{Told(1)});
        QCOMPARE(Column(f, "lvwOut_List", 1), QStringList{"2026-03-31"});
    }

    // 修改 plans the entry's waiting rows anew: the wrong ones go, the
    // corrected dates come (and only up to a new end); saved ones stay.
    void aChangedEntryIsPlannedAnew()
    {
        TMainFixture f;
        Clock::SetToday(QDate(2026, 12, 9));
        AddEntry(f, QStringLiteral("买菜"), TRecurringCycle::Weekly, QDate(2026, 10, 16));
        AddEntry(f, Rent, TRecurringCycle::Monthly, QDate(2026, 11, 30));
        QCOMPARE(Login(f), QStringList{Told(9)});
        const auto change = [&](const QDate &Start, const QDate &End) {
            TModalAnswerer answers;
            InDialog(
                f,
                [&](TfrmRecurring *Dialog) {
                    Dialog->lvwRecurring->setCurrentItem(Dialog->lvwRecurring->topLevelItem(0));
                    Dialog->dtpRecurring_Start->setDate(Start);
                    Dialog->chkRecurring_End->setChecked(End.isValid());
                    if (End.isValid())
                        Dialog->dtpRecurring_End->setDate(End);
                    Dialog->btnRecurring_Modify->click();
                },
                answers);
            return answers.Texts();
        };
        QCOMPARE(change(QDate(2026, 11, 16), {}), QStringList{Told(4)});
        QCOMPARE(Column(f, "lvwOut_List", 1),
                 QStringList({"2026-11-30", "2026-11-16", "2026-11-23", "2026-11-30", "2026-12-07"}));
        QCOMPARE(change(QDate(2026, 10, 1), QDate(2026, 10, 31)), QStringList{Told(5)});
        QCOMPARE(Column(f, "lvwOut_List", 1), QStringList({"2026-11-30", "2026-10-01", "2026-10-08",
                                                           "2026-10-15", "2026-10-22", "2026-10-29"}));
        Finish(f, "Out");
        // Saved stays saved: a later start proposes only what is new.
        QCOMPARE(change(QDate(2026, 11, 16), {}), QStringList{Told(4)});
        QCOMPARE(f.Db.Count("select count(*) from All_Table"), 6);
        QCOMPARE(Column(f, "lvwOut_List", 1),
                 QStringList({"2026-11-16", "2026-11-23", "2026-11-30", "2026-12-07"}));
    }

    void unsavedRowsComeBackAtTheNextLogin()
    {
        TMainFixture f;
        Clock::SetToday(QDate(2026, 3, 6));
        AddEntry(f, QStringLiteral("工资"), TRecurringCycle::Monthly, QDate(2026, 1, 15),
                 QStringLiteral("收入"));
        QCOMPARE(Login(f), QStringList{Told(2)});
        QVERIFY(f.Main->findChild<QRadioButton *>("rdoIn")->isChecked());
        {
            TModalAnswerer answers({QMessageBox::No});
            QVERIFY(f.Main->close());
            QCOMPARE(answers.Texts(), QStringList{"您有收入记录没有保存，现在要保存吗？"});
        }
        QCOMPARE(Login(f), QStringList{Told(2)});
        QCOMPARE(Column(f, "lvwIn_List", 1), QStringList({"2026-01-15", "2026-02-15"}));
        QCOMPARE(f.Db.Count("select count(*) from All_Table"), 0);
    }

    void aFailedFinishRemembersNothing()
    {
        TMainFixture f;
        Clock::SetToday(QDate(2026, 3, 6));
        AddEntry(f, Rent, TRecurringCycle::Monthly, QDate(2026, 1, 31));
        Login(f);
        f.Db.Exec("CREATE TRIGGER fail_second AFTER INSERT ON All_Table WHEN new.Program_Date='2026-02-28' "
                  "BEGIN SELECT RAISE(ABORT, 'disk trouble'); END");
        {
            TModalAnswerer answers;
            f.Click("Out_Finish");
            QCOMPARE(answers.Seen.size(), 1);
            QCOMPARE(answers.Seen.first().Icon, QMessageBox::Critical);
        }
        QCOMPARE(f.Db.Count("select count(*) from All_Table"), 0);
        QCOMPARE(f.Db.Text("select Last_Date from Recurring_Table"), QString());
        QCOMPARE(f.Find<QTreeWidget>("lvwOut_List")->topLevelItemCount(), 2);
        f.Db.Exec("DROP TRIGGER fail_second");
        Finish(f, "Out");
        QCOMPARE(f.Db.Count("select count(*) from All_Table"), 2);
        QCOMPARE(f.Db.Text("select Last_Date from Recurring_Table"), QStringLiteral("2026-02-28"));
    }

    void aLongLapseComesIn400AtATime()
    {
        TMainFixture f;
        Clock::SetToday(QDate(2026, 12, 8));
        AddEntry(f, QStringLiteral("报纸"), TRecurringCycle::Weekly, QDate(2010, 1, 4));
        const qint64 all = QDate(2010, 1, 4).daysTo(QDate(2026, 12, 8)) / 7 + 1;
        QCOMPARE(Login(f),
                 QStringList{Told(400) + QStringLiteral("\r\n\r\n“报纸”到期的太多，这次只放入了最早的 "
                                                        "400 条，其余 %1 条下次再放入。")
                                             .arg(all - 400)});
        QCOMPARE(f.Find<QTreeWidget>("lvwOut_List")->topLevelItemCount(), 400);
    }

    void anotherUsersEntriesNeverShown()
    {
        TMainFixture f;
        Clock::SetToday(QDate(2026, 3, 6));
        AddEntry(f, Rent, TRecurringCycle::Monthly, QDate(2026, 1, 31), QStringLiteral("支出"),
                 QStringLiteral("李四"));
        QCOMPARE(Login(f), QStringList());
        int listed = -1;
        TModalAnswerer answers;
        InDialog(
            f, [&](TfrmRecurring *Dialog) { listed = Dialog->lvwRecurring->topLevelItemCount(); }, answers);
        QCOMPARE(listed, 0);
    }

    void aNewDayWhileRunning()
    {
        TMainFixture f;
        Clock::SetToday(QDate(2026, 3, 10));
        AddEntry(f, QStringLiteral("报纸"), TRecurringCycle::Weekly, QDate(2026, 3, 10));
        QCOMPARE(Login(f), QStringList{Told(1)});
        f.Main->findChild<QTimer *>("tmrRecurringDay")->setInterval(5);
        TModalAnswerer answers;
        QTest::qWait(50);
        QCOMPARE(answers.Seen.size(), 0); // the same day: nothing new
        // The expense date still on the old day follows; one the user chose stays.
        QCOMPARE(f.Find<QDateEdit>("dtpOut_Date")->date(), QDate(2026, 3, 10));
        f.Find<QDateEdit>("dtpIn_Date")->setDate(QDate(2026, 3, 1));
        Clock::SetToday(QDate(2026, 3, 17));
        QTRY_COMPARE(answers.Texts(), QStringList{Told(1)});
        QCOMPARE(f.Find<QDateEdit>("dtpOut_Date")->date(), QDate(2026, 3, 17));
        QCOMPARE(f.Find<QDateEdit>("dtpIn_Date")->date(), QDate(2026, 3, 1));
        QTest::qWait(50);
        QCOMPARE(answers.Seen.size(), 1);
        QCOMPARE(Column(f, "lvwOut_List", 1), QStringList({"2026-03-10", "2026-03-17"}));
    }

    void theDialogAddsChangesAndDeletes()
    {
        TMainFixture f;
        Clock::SetToday(QDate(2026, 3, 6));
        QMenu *menu = f.Main->MoreMenu();
        const QList<QAction *> items = menu->actions();
        const qsizetype at = items.indexOf(menu->findChild<QAction *>("mnuInAndOut_More_Recurring"));
        QCOMPARE(items[at]->text(), QStringLiteral("定期收支(&G)..."));
        QVERIFY(items[at - 1]->isSeparator() && items[at + 1]->isSeparator());
        QStringList listed;
        TModalAnswerer answers({QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Yes});
        InDialog(
            f,
            [&](TfrmRecurring *Dialog) {
                QCOMPARE(Dialog->windowTitle(), QStringLiteral("定期收支"));
                Dialog->btnRecurring_Add->click(); // no name yet
                Dialog->cboRecurring_Type->setCurrentIndex(1);
                QVERIFY(Dialog->cboRecurring_Name->findText(QStringLiteral("工资")) >= 0);
                Dialog->cboRecurring_Name->setEditText(QStringLiteral("工资"));
                Dialog->edtRecurring_Money->setText(QStringLiteral("8000"));
                Dialog->edtRecurring_Memo->setText(QStringLiteral("公司"));
                Dialog->dtpRecurring_Start->setDate(QDate(2026, 1, 31));
                Dialog->chkRecurring_End->setChecked(true);
                Dialog->dtpRecurring_End->setDate(QDate(2026, 1, 1));
                Dialog->btnRecurring_Add->click(); // the end before the start
                Dialog->dtpRecurring_End->setDate(QDate(2026, 12, 31));
                Dialog->btnRecurring_Add->click();
                QTreeWidgetItem *row = Dialog->lvwRecurring->topLevelItem(0);
                for (int i = 1; i <= 6; ++i)
                    listed << row->text(i);
                SaveShot(Dialog, "recurring-dialog");
                // A change that brings no new date says nothing; the
                // waiting rows take the new amount.
                Dialog->edtRecurring_Money->setText(QStringLiteral("8500"));
                Dialog->btnRecurring_Modify->click();
                listed << Dialog->lvwRecurring->topLevelItem(0)->text(3);
                Dialog->lvwRecurring->setCurrentItem(Dialog->lvwRecurring->topLevelItem(0));
                Dialog->btnRecurring_Delete->click();
                listed << QString::number(Dialog->lvwRecurring->topLevelItemCount());
            },
            answers);
        QCOMPARE(answers.Texts(), QStringList({"您没有填写支出项目名称！", "结束日期不能早于开始日期！",
                                               Told(2), "您确定要删除选定的定期收支吗？"}));
        // The next date is the first not yet waiting in a pending list.
        QCOMPARE(listed,
                 QStringList({"收入", "工资", "8000.00", "公司", "每月", "2026-03-31", "8500.00", "0"}));
        QCOMPARE(Column(f, "lvwIn_List", 1), QStringList({"2026-01-31", "2026-02-28"}));
        QCOMPARE(Column(f, "lvwIn_List", 4), QStringList({"8500.00", "8500.00"}));
        QCOMPARE(f.Db.Count("select count(*) from Recurring_Table"), 0);
    }
};

QTEST_MAIN(TestRecurringGui)
#include "test_recurringGui.moc"
