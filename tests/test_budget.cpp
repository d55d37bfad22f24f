// Monthly budgets: kept per user in the books, through logins and restores;
// the budget dialog; the expense panel's line of the month's spending.
#include "app/unt_frmMain.h"
#include "data/unt_clsAmount.h"
#include "data/unt_clsBackup.h"
#include "data/unt_clsClock.h"
#include "data/unt_clsDatabaseUser.h"
#include "data/unt_clsRestore.h"
#include "data/unt_clsConnection.h"
#include "panels/unt_budgetLine.h"
#include "reports/unt_frmBudget.h"
#include "tests/support/unt_testGui.h"
#include "ui/unt_clsWidgets.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

namespace
{
const QString User = QStringLiteral("张三");

QDate D(const char *Text)
{
    return QDate::fromString(QString::fromLatin1(Text), Qt::ISODate);
}

QStringList Budgets(TclsDatabaseUser &Store, const QString &UserName = User)
{
    QStringList texts;
    for (const TBudget &budget : Store.GetBudgets(UserName))
        texts << budget.Name + '=' + FormatCents(budget.Cents);
    return texts;
}

void Spend(const QString &File, const QString &UserName, const QString &Date, const QString &Name,
           const QString &Money, const QString &Type = QStringLiteral("支出"))
{
    TclsDatabaseUser(File).AddRecords(UserName, Type, {Date}, {Name}, {Money}, {QString()});
}

QStringList Row(const QTreeWidgetItem *Item)
{
    QStringList cells;
    for (int c = 1; c <= 4; ++c)
        cells << Item->text(c);
    return cells;
}
} // namespace

class TestBudget : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase()
    {
        UsePrivateRuntimeDir();
        ApplyTestFont();
        TclsConnection::SetBusyTimeout(200);
    }

    void cleanup() { Clock::SetToday(QDate()); }

    void setChangedRemovedPerUser()
    {
        TTestDb db;
        TclsDatabaseUser store(db.File());
        store.AddUser(User, "pw");
        store.AddUser("李四", "pw");
        store.SetBudget(User, "餐饮", "1500.00");
        store.SetBudget(User, "交通", "200.50");
        store.SetBudget("李四", "餐饮", "9.00");
        store.SetBudget(User, "餐饮", "1800.00"); // changed, keeps its place
        QCOMPARE(Budgets(store), QStringList({"餐饮=1800.00", "交通=200.50"}));
        QCOMPARE(Budgets(store, "李四"), QStringList({"餐饮=9.00"}));
        QVERIFY_THROWS_EXCEPTION(TclsDatabaseError, store.SetBudget(User, "交通", "12abc"));
        QVERIFY_THROWS_EXCEPTION(TclsDatabaseError, store.SetBudget(User, "交通", "-5.00"));
        QCOMPARE(Budgets(store), QStringList({"餐饮=1800.00", "交通=200.50"}));
        store.SetBudget(User, "交通", "0.00");
        store.SetBudget(User, "不存在", "");
        QCOMPARE(Budgets(store), QStringList({"餐饮=1800.00"}));
        store.SetBudget(User, "餐饮", "");
        QVERIFY(Budgets(store).isEmpty());
        QCOMPARE(Budgets(store, "李四"), QStringList({"餐饮=9.00"}));
        // Kept in the books: another store object (the next login) sees them.
        store.SetBudget(User, "房租", "3000.00");
        TclsDatabaseUser later(db.File());
        QCOMPARE(Budgets(later), QStringList({"房租=3000.00"}));
        // A deleted user's budgets go with them: a new user of the same name
        // starts without any.
        QVERIFY(later.DeleteUser(User, "pw"));
        QVERIFY(later.AddUser(User, "new"));
        QVERIFY(Budgets(later).isEmpty());
        QCOMPARE(Budgets(later, "李四"), QStringList({"餐饮=9.00"}));
    }

    void restoredWithTheBooks()
    {
        TTestDb db;
        TclsDatabaseUser store(db.File());
        store.AddUser(User, "pw");
        store.SetBudget(User, "餐饮", "1500.00");
        const QString copy = MakeSafetyCopy(db.File(), "test");
        store.SetBudget(User, "餐饮", "");
        store.SetBudget(User, "交通", "10.00");
        // Another member's budget set since stays: the restore is the member's own.
        store.AddUser("李四", "pw2");
        store.SetBudget("李四", "餐饮", "9.00");
        QCOMPARE(RestoreBackup(db.File(), copy, User, "pw").Status, TRestoreStatus::Restored);
        QCOMPARE(Budgets(store), QStringList({"餐饮=1500.00"}));
        QCOMPARE(Budgets(store, "李四"), QStringList({"餐饮=9.00"}));
    }

    void monthSpendingByCategory()
    {
        TTestDb db;
        TclsDatabaseUser store(db.File());
        store.AddUser(User, "pw");
        store.AddUser("李四", "pw");
        Spend(db.File(), User, "2024-03-01", "餐饮", "0.10");
        Spend(db.File(), User, "2024-03-31", "餐饮", "0.20");
        Spend(db.File(), User, "2024-03-15", "交通", "5.00");
        Spend(db.File(), User, "2024-03-15", "餐饮", "100.00", "收入");
        Spend(db.File(), User, "2024-04-01", "餐饮", "7.00");
        Spend(db.File(), "李四", "2024-03-02", "餐饮", "50.00");
        const QHash<QString, qint64> sums = store.GetExpenseByName(User, D("2024-03-01"), D("2024-03-31"));
        QCOMPARE(sums.size(), 2);
        QCOMPARE(sums.value("餐饮"), 30);
        QCOMPARE(sums.value("交通"), 500);
        QVERIFY(store.GetExpenseByName(User, D("2024-03-02"), D("2024-03-01")).isEmpty());
    }

    void rowsAndLineTexts()
    {
        const QList<TBudgetRow> rows =
            BudgetRows({{"旧项目", 100}, {"交通", 20000}, {"餐饮", 150000}},
                       {{"餐饮", 160000}, {"交通", 5000}, {"零食", 99}}, {"餐饮", "交通", "零食"});
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[0].Name, QStringLiteral("餐饮"));
        QVERIFY(rows[0].Over());
        QCOMPARE(rows[0].Left(), -10000);
        QCOMPARE(rows[2].Name, QStringLiteral("旧项目"));
        QCOMPARE(rows[2].Used, 0);
        const TBudgetRow total = BudgetTotal(rows);
        QCOMPARE(total.Budget, 170100);
        QCOMPARE(total.Used, 165000);
        QVERIFY(!total.Over());
        bool over = true;
        QCOMPARE(BudgetLineText("午饭", 1234, -1, over), QStringLiteral("午饭：本月已用 12.34"));
        QVERIFY(!over);
        QCOMPARE(BudgetLineText("午饭", 1234, 1234, over),
                 QStringLiteral("午饭：本月已用 12.34 / 预算 12.34"));
        QVERIFY(!over);
        QCOMPARE(BudgetLineText("午饭", 1235, 1234, over),
                 QStringLiteral("午饭：本月已用 12.35 / 预算 12.34，超出 0.01"));
        QVERIFY(over);
    }

    void dialogSetsAndShows()
    {
        Clock::SetToday(D("2024-03-20"));
        TMainFixture f;
        Spend(f.Db.File(), User, "2024-03-02", "早饭", "1600.00");
        Spend(f.Db.File(), User, "2024-02-28", "房租", "80.00");
        Spend(f.Db.File(), User, "2024-03-05", "房租", "50.00");
        bool checked = false;
        TModalAnswerer answers;
        answers.OnDialog = [&](QWidget *Dialog) {
            auto close = qScopeGuard([Dialog] { Dialog->close(); });
            auto *dialog = qobject_cast<TfrmBudget *>(Dialog);
            if (!dialog)
                return;
            checked = true;
            QCOMPARE(dialog->windowTitle(), QStringLiteral("每月预算"));
            QCOMPARE(dialog->lvwBudget->topLevelItemCount(), 0);
            QVERIFY(dialog->cboBudget_Name->count() > 0);
            auto set = [dialog](const QString &Name, const QString &Money) {
                dialog->cboBudget_Name->setCurrentText(Name);
                dialog->edtBudget_Money->setText(Money);
                QTest::mouseClick(dialog->btnBudget_Set, Qt::LeftButton);
            };
            set("早饭", "1500");
            set("房租", "200.5");
            QCOMPARE(dialog->lvwBudget->topLevelItemCount(), 3);
            const QTreeWidgetItem *food = dialog->lvwBudget->findItems("早饭", Qt::MatchExactly, 1).value(0);
            const QTreeWidgetItem *travel =
                dialog->lvwBudget->findItems("房租", Qt::MatchExactly, 1).value(0);
            QVERIFY(food && travel);
            QCOMPARE(Row(food), QStringList({"早饭", "1500.00", "1600.00", "-100.00"}));
            QCOMPARE(Row(travel), QStringList({"房租", "200.50", "50.00", "150.50"}));
            QCOMPARE(Row(dialog->lvwBudget->topLevelItem(2)),
                     QStringList({"合计", "1700.50", "1650.00", "50.50"}));
            // Over budget in red; within it in the list's own colour.
            QCOMPARE(food->foreground(2).color().rgb(), QColor(0xD0, 0x20, 0x20).rgb());
            QVERIFY(travel->foreground(2).style() == Qt::NoBrush);
            // The bar column is painted.
            const QImage shot = dialog->lvwBudget->viewport()->grab().toImage();
            const QRect bar = dialog->lvwBudget->visualRect(dialog->lvwBudget->model()->index(0, 5));
            QCOMPARE(shot.pixelColor(bar.left() + 6, bar.center().y()).rgb(), QColor(0xD0, 0x20, 0x20).rgb());
            SaveShot(dialog, "budget");
            // Choosing a category shows its amount; 0 takes the budget away.
            dialog->cboBudget_Name->setCurrentText("房租");
            QCOMPARE(dialog->edtBudget_Money->text(), QStringLiteral("200.50"));
            // An empty or zero amount asks before the budget goes.
            {
                TModalAnswerer inner({QMessageBox::No, QMessageBox::Yes});
                set("房租", "");
                QCOMPARE(dialog->lvwBudget->topLevelItemCount(), 3);
                set("房租", "0");
                QCOMPARE(inner.Texts(), QStringList(2, "您确定要取消“房租”的每月预算吗？"));
            }
            QCOMPARE(dialog->lvwBudget->topLevelItemCount(), 2);
            {
                TModalAnswerer inner; // the outer one is busy with this dialog
                set("房租", "1..2");
                QCOMPARE(inner.Texts(), QStringList({"金额有错误，请重新填写！"}));
            }
            QCOMPARE(dialog->lvwBudget->topLevelItemCount(), 2);
            // Another month's spending.
            dialog->dtpBudget_Month->setDate(D("2024-02-01"));
            QCOMPARE(Row(dialog->lvwBudget->topLevelItem(0)),
                     QStringList({"早饭", "1500.00", "0.00", "1500.00"}));
        };
        f.Main->MoreMenu()->findChild<QAction *>("mnuInAndOut_More_Budget")->trigger();
        QVERIFY(checked);
        QVERIFY(answers.Seen.isEmpty());
        QCOMPARE(Budgets(*f.Main->Database), QStringList({"早饭=1500.00"}));
        // Another user of the same books sees none of them.
        QVERIFY(Budgets(*f.Main->Database, "李四").isEmpty());
    }

    void entryLineFollowsTheUser()
    {
        TMainFixture f;
        Spend(f.Db.File(), User, "2024-03-02", "餐饮", "100.00");
        Spend(f.Db.File(), User, "2024-04-02", "餐饮", "7.00");
        f.Main->Database->SetBudget(User, "餐饮", "150.00");
        auto *label = f.Find<QLabel>("lblOut_Budget");
        auto *date = f.Find<QDateEdit>("dtpOut_Date");
        auto *name = f.Find<QComboBox>("cboOut_Name");
        auto *money = f.Find<QLineEdit>("edtOut_Money");
        date->setDate(D("2024-03-10"));
        QTRY_COMPARE(label->text(), QString());
        name->setEditText("餐饮");
        QTRY_COMPARE(label->text(), QStringLiteral("餐饮：本月已用 100.00 / 预算 150.00"));
        auto add = [&](const QString &Amount) {
            name->setEditText("餐饮");
            money->setText(Amount);
            f.Main->Out_Add();
        };
        add("30");
        // Add empties the field, and the line with it.
        QCOMPARE(name->currentText(), QString());
        QTRY_COMPARE(label->text(), QString());
        name->setEditText("餐饮");
        QTRY_COMPARE(label->text(), QStringLiteral("餐饮：本月已用 130.00 / 预算 150.00"));
        add("40.5");
        name->setEditText("餐饮");
        QTRY_COMPARE(label->text(), QStringLiteral("餐饮：本月已用 170.50 / 预算 150.00，超出 20.50"));
        QTRY_COMPARE(label->palette().color(QPalette::Active, QPalette::WindowText).rgb(),
                     QColor(0xD0, 0x20, 0x20).rgb());
        // A pending row of another month or category does not count.
        date->setDate(D("2024-04-30"));
        QTRY_COMPARE(label->text(), QStringLiteral("餐饮：本月已用 7.00 / 预算 150.00"));
        add("1");
        name->setEditText("餐饮");
        QTRY_COMPARE(label->text(), QStringLiteral("餐饮：本月已用 8.00 / 预算 150.00"));
        name->setEditText("午饭");
        QTRY_COMPARE(label->text(), QStringLiteral("午饭：本月已用 0.00"));
        // A name on the way to a category, or none, says nothing.
        name->setEditText("午");
        QTRY_COMPARE(label->text(), QString());
        date->setDate(D("2024-03-01"));
        name->setEditText("餐饮");
        QTRY_COMPARE(label->text(), QStringLiteral("餐饮：本月已用 170.50 / 预算 150.00，超出 20.50"));
        // Delete the 40.50 row.
        auto *list = f.Find<QTreeWidget>("lvwOut_List");
        list->setCurrentItem(list->topLevelItem(1));
        {
            TModalAnswerer yes({QMessageBox::Yes});
            f.Main->Out_Delete();
        }
        QTRY_COMPARE(label->text(), QStringLiteral("餐饮：本月已用 130.00 / 预算 150.00"));
        QTRY_COMPARE(label->palette().color(QPalette::Active, QPalette::WindowText).rgb(), Maroon.rgb());
        // 完成 stores the rows: the same figures, now from the books.
        {
            TModalAnswerer ok;
            QVERIFY(f.Main->Out_Finish());
        }
        QCOMPARE(list->topLevelItemCount(), 0);
        QTRY_COMPARE(label->text(), QStringLiteral("餐饮：本月已用 130.00 / 预算 150.00"));
        date->setDate(D("2024-04-01"));
        QTRY_COMPARE(label->text(), QStringLiteral("餐饮：本月已用 8.00 / 预算 150.00"));
    }

    void entryLineLeavesRoom()
    {
        TMainFixture f;
        f.Main->Database->SetBudget(User, "餐饮", "99999999999.00");
        Spend(f.Db.File(), User, Clock::Today().toString(Qt::ISODate), "餐饮", "99999999999.00");
        Spend(f.Db.File(), User, Clock::Today().toString(Qt::ISODate), "餐饮", "99999999999.00");
        auto *label = f.Find<QLabel>("lblOut_Budget");
        f.Find<QComboBox>("cboOut_Name")->setEditText("餐饮");
        QTRY_VERIFY(label->toolTip().contains("超出 99999999999.00"));
        // Between the pending total and 删除, whatever the figures.
        const QRect line = label->geometry();
        QVERIFY(line.left() > f.Find<QLabel>("lblOut_Total")->geometry().right());
        QVERIFY(line.right() < f.Find<QWidget>("shpOut_Delete")->geometry().left());
        QVERIFY(label->fontMetrics().horizontalAdvance(label->text()) <= line.width());
        QVERIFY(line.top() > f.Find<QWidget>("lvwOut_List")->geometry().bottom());
    }
};

QTEST_MAIN(TestBudget)
#include "test_budget.moc"
