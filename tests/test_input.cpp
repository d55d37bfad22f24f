// What a user can type, paste or drop into the main window's fields, and
// what a delete leaves selected.
#include "app/unt_frmMain.h"
#include "data/unt_clsAmount.h"
#include "data/unt_clsDatabaseUser.h"
#include "panels/unt_frmModifyRecord.h"
#include "tests/support/unt_testGui.h"
#include "ui/unt_clsWidgets.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLabel>
#include <QMimeData>
#include <QtTest>

#include <clocale>

namespace
{
const char *Pickers[] = {"dtpOut_Date", "dtpIn_Date", "dtpInAndOut_Date1", "dtpInAndOut_Date2"};

QLineEdit *EditOf(QDateEdit *Picker)
{
    return Picker->findChild<QLineEdit *>();
}

void Key(QWidget *Widget, Qt::Key KeyCode, const QString &Text, Qt::KeyboardModifiers Modifiers = {})
{
    QTest::sendKeyEvent(QTest::Press, Widget, KeyCode, Text, Modifiers);
    QTest::sendKeyEvent(QTest::Release, Widget, KeyCode, Text, Modifiers);
}
} // namespace

class TestInput : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase()
    {
        UsePrivateRuntimeDir();
        ApplyTestFont();
    }

    void typedDatesLandExactly()
    {
        TMainFixture f;
        f.Main->show();
        for (const char *name : Pickers) {
            auto *picker = dynamic_cast<TDatePicker *>(f.Find<QDateEdit>(name));
            QVERIFY(picker);
            picker->window()->activateWindow();
            picker->setDate(QDate(2026, 6, 1));
            picker->setFocus();
            // The whole text selected, a whole date typed.
            QTest::keyClick(picker, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(picker, "2016-12-09");
            QCOMPARE(picker->date(), QDate(2016, 12, 9));
            // A click into the year, then four digits.
            EditOf(picker)->setCursorPosition(2);
            QTest::keyClicks(picker, "2019");
            QCOMPARE(picker->date(), QDate(2019, 12, 9));
            // A click into the day, then two digits; the month with a
            // leading separator typed out of habit.
            EditOf(picker)->setCursorPosition(9);
            QTest::keyClicks(picker, "05");
            QCOMPARE(picker->date(), QDate(2019, 12, 5));
            EditOf(picker)->setCursorPosition(0);
            QTest::keyClicks(picker, "2020-02-29");
            QTest::keyClick(picker, Qt::Key_Return);
            picker->setFocus();
            QCOMPARE(picker->date(), QDate(2020, 2, 29));
            QCOMPARE(picker->Refusals(), 0);
            // A day that February 2019 does not have is refused, not moved:
            // the year over 2020-02-29, or a whole date typed and Enter.
            QTest::keyClick(picker, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(picker, "2019");
            QTest::keyClick(picker, Qt::Key_Return);
            QCOMPARE(picker->date(), QDate(2020, 2, 29));
            QVERIFY(picker->Refusals() > 0);
            // A month the old 31st does not fit, typed on: the typed date,
            // with or without separators; left at the month, refused.
            const int refusedBefore = picker->Refusals();
            for (const char *typed : {"20261116", "2026-11-16", "2025-02-28"}) {
                picker->setFocus();
                picker->setDate(QDate(2026, 10, 31));
                QTest::keyClick(picker, Qt::Key_A, Qt::ControlModifier);
                QTest::keyClicks(picker, typed);
                QTest::keyClick(picker, Qt::Key_Return);
                QCOMPARE(picker->date(),
                         QDate::fromString(QString::fromLatin1(typed).remove('-'), "yyyyMMdd"));
            }
            QCOMPARE(picker->Refusals(), refusedBefore);
            picker->setFocus();
            picker->setDate(QDate(2026, 10, 31));
            EditOf(picker)->setCursorPosition(6);
            QTest::keyClicks(picker, "11");
            QTest::keyClick(picker, Qt::Key_Return);
            QCOMPARE(picker->date(), QDate(2026, 10, 31));
            QCOMPARE(picker->Refusals(), refusedBefore + 1);
            picker->setDate(QDate(2026, 6, 1));
            const int refusals = picker->Refusals();
            QTest::keyClick(picker, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(picker, "2019-02-29");
            QTest::keyClick(picker, Qt::Key_Return);
            QCOMPARE(picker->date(), QDate(2026, 6, 1));
            QVERIFY(picker->Refusals() > refusals);
            QCOMPARE(picker->window()->focusWidget(), picker);
            // Typed over the month of a 31st, leaving the field.
            picker->setDate(QDate(2019, 1, 31));
            EditOf(picker)->setCursorPosition(6);
            QTest::keyClicks(picker, "02");
            picker->clearFocus();
            QVERIFY(picker->date() != QDate(2019, 2, 28));
        }
    }

    // The year typed over and Tab pressed, then an impossible date typed
    // over everything: the date on screen before it comes back, not the one
    // of the last Enter; the red mark goes when the field is left.
    void aRefusedDateGoesBackToTheDateOnScreen()
    {
        TMainFixture f;
        f.Main->show();
        for (const char *name : Pickers) {
            auto *picker = dynamic_cast<TDatePicker *>(f.Find<QDateEdit>(name));
            picker->window()->activateWindow();
            picker->setFocus();
            QTest::keyClick(picker, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(picker, "2016-12-09");
            QTest::keyClick(picker, Qt::Key_Return);
            picker->setFocus();
            EditOf(picker)->setCursorPosition(2);
            QTest::keyClicks(picker, "2019");
            QTest::keyClick(picker, Qt::Key_Tab);
            QCOMPARE(picker->date(), QDate(2019, 12, 9));
            QTest::keyClick(picker, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(picker, "2019-02-29");
            QTest::keyClick(picker, Qt::Key_Return);
            QCOMPARE(picker->date(), QDate(2019, 12, 9));
            QCOMPARE(EditOf(picker)->text(), QStringLiteral("2019-12-09"));
            QVERIFY(picker->IsMarked());
            picker->clearFocus();
            QVERIFY(!picker->IsMarked());
            // A click into the text ends what was typed before it, too.
            picker->setFocus();
            EditOf(picker)->setCursorPosition(2);
            QTest::keyClicks(picker, "2021");
            QTest::mouseClick(EditOf(picker), Qt::LeftButton, {}, QPoint(2, EditOf(picker)->height() / 2));
            QTest::keyClick(picker, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(picker, "2021-02-30");
            QTest::keyClick(picker, Qt::Key_Return);
            QCOMPARE(picker->date(), QDate(2021, 12, 9));
        }
    }

    void amountFieldsTakeOnlyDigitsAndPoints()
    {
        TMainFixture f;
        f.Main->show();
        for (const char *name : {"edtOut_Money", "edtIn_Money"}) {
            auto *money = f.Find<QLineEdit>(name);
            money->clear();
            money->setFocus();
            // Every way text can arrive: the middle-click paste and a drop
            // both end in insert(), Ctrl+V reads the clipboard.
            money->insert("ab-1,0 x");
            money->insert("1.5e3");
            QCOMPARE(money->text(), QString());
            QGuiApplication::clipboard()->setText("午饭2.5");
            QTest::keyClick(money, Qt::Key_V, Qt::ControlModifier);
            QCOMPARE(money->text(), QString());
            QGuiApplication::clipboard()->setText("12.5");
            QTest::keyClick(money, Qt::Key_V, Qt::ControlModifier);
            QCOMPARE(money->text(), QStringLiteral("12.5"));
            // An input method's composition and commit.
            QInputMethodEvent compose("wufan", {});
            QApplication::sendEvent(money, &compose);
            QInputMethodEvent commit;
            commit.setCommitString("午饭2.5");
            QApplication::sendEvent(money, &commit);
            QCOMPARE(money->text(), QStringLiteral("12.5"));
            QVERIFY(!money->inputMethodQuery(Qt::ImEnabled).toBool());
            QTest::keyClicks(money, "x+-e");
            QCOMPARE(money->text(), QStringLiteral("12.5"));
            // Delete as X11 sends it (with the DEL character), and Tab.
            money->setCursorPosition(0);
            Key(money, Qt::Key_Delete, QString(QChar(0x7f)));
            QCOMPARE(money->text(), QStringLiteral("2.5"));
            Key(money, Qt::Key_Tab, "\t");
            QVERIFY(money->window()->focusWidget() != money);
            QCOMPARE(money->text(), QStringLiteral("2.5"));
        }
    }

    void exponentsAndHugeAmountsAreRefused()
    {
        QString amount;
        for (const char *typed : {"1.5e3", "1e2", "1E300", "0x10", "1,5", " 1", "inf", "-1", "+1"})
            QCOMPARE(NormaliseAmount(typed, amount), TAmountCheck::BadFormat);
        QCOMPARE(NormaliseAmount("99999999999", amount), TAmountCheck::Ok);
        QCOMPARE(amount, QStringLiteral("99999999999.00"));
        // Leading zeros are not digits of the amount; the twelfth digit is.
        QCOMPARE(NormaliseAmount("0000012345678901.5", amount), TAmountCheck::Ok);
        QCOMPARE(amount, QStringLiteral("12345678901.50"));
        QCOMPARE(amount.size(), MaxAmountLength);
        QCOMPARE(NormaliseAmount("123456789012", amount), TAmountCheck::TooLarge);
        // Money has two decimals: a third is refused, never rounded away.
        for (const char *typed : {"0.001", "12.345", "1.999", "1.000", ".125"})
            QCOMPARE(NormaliseAmount(typed, amount), TAmountCheck::TooManyDecimals);
        QCOMPARE(NormaliseAmount("12.34", amount), TAmountCheck::Ok);
        QCOMPARE(amount, QStringLiteral("12.34"));
        QCOMPARE(NormaliseAmount("0.01", amount), TAmountCheck::Ok);
        QCOMPARE(amount, QStringLiteral("0.01"));
        QCOMPARE(NormaliseAmount("0.00", amount), TAmountCheck::NotPositive);

        // The store refuses the same, whoever calls it, and saves nothing.
        TMainFixture f;
        TclsDatabaseUser store(f.Db.File());
        for (const char *money :
             {"1.5e300", "123456789012.00", "0.00", "0", "0.001", "12.345", "-5.00", ""}) {
            bool refused = false;
            try {
                store.AddRecords(f.User, "支出", {"2026-06-01", "2026-06-01"}, {"a", "b"}, {"1.00", money},
                                 {"", ""});
            } catch (const std::exception &) {
                refused = true;
            }
            QVERIFY2(refused, money);
        }
        QCOMPARE(f.Db.Count("select count(*) from All_Table"), 0);
        store.AddRecords(f.User, "支出", {"2026-06-01"}, {"a"}, {"12345678901.25"}, {""});
        const QString id = f.Db.Text("select ID from All_Table");
        for (const char *money : {"0.00", "12.345", "123456789012.00"})
            QVERIFY_THROWS_EXCEPTION(std::exception, store.UpdateRecord(id, "a", money, ""));
        QCOMPARE(f.Db.Text("select printf('%.2f', Program_Money) from All_Table"),
                 QStringLiteral("12345678901.25"));
    }

    // Every amount field takes at most two decimals and eleven digits before
    // the point, as typed or pasted; the modify dialog's holds every amount
    // the store takes, so saving an unchanged amount keeps it whole.
    void amountFieldsHoldWhatTheStoreTakes()
    {
        TMainFixture f;
        f.Main->show();
        TclsDatabaseUser(f.Db.File())
            .AddRecords(f.User, "支出", {"2026-06-01"}, {"a"}, {"1234567890.25"}, {"m"});
        TfrmModifyRecord dialog;
        dialog.UserName = f.User;
        dialog.RecordID = f.Db.Text("select ID from All_Table");
        dialog.SetFields("2026-06-01", "a", "1234567890.25", "m");
        dialog.show();
        auto *modify = dialog.findChild<QLineEdit *>("edtMoney");
        QCOMPARE(modify->text(), QStringLiteral("1234567890.25"));
        for (QLineEdit *money :
             {f.Find<QLineEdit>("edtOut_Money"), f.Find<QLineEdit>("edtIn_Money"), modify}) {
            money->clear();
            money->setFocus();
            QTest::keyClicks(money, "12.345");
            QCOMPARE(money->text(), QStringLiteral("12.34"));
            money->clear();
            QTest::keyClicks(money, "1234567890123");
            QCOMPARE(money->text(), QStringLiteral("12345678901"));
            QTest::keyClicks(money, ".256");
            QCOMPARE(money->text(), QStringLiteral("12345678901.25"));
            money->clear();
            QGuiApplication::clipboard()->setText("0.001");
            QTest::keyClick(money, Qt::Key_V, Qt::ControlModifier);
            QCOMPARE(money->text(), QString());
        }
        modify->setText("1234567890.25");
        dialog.findChild<QPlainTextEdit *>("memMemo")->setPlainText("n");
        TModalAnswerer answers;
        dialog.btnSaveClick();
        QCOMPARE(answers.Texts(), QStringList{"修改成功！"});
        QCOMPARE(f.Db.Text("select printf('%.2f', Program_Money) from All_Table"),
                 QStringLiteral("1234567890.25"));
    }

    // After a delete nothing is selected, so a second Delete and Yes asks
    // for a choice instead of removing the neighbour.
    void deleteLeavesNothingSelected()
    {
        TMainFixture f;
        for (const char *name : {"a", "b", "c"}) {
            f.Find<QComboBox>("cboOut_Name")->setEditText(name);
            f.Find<QLineEdit>("edtOut_Money")->setText("2");
            f.Main->Out_Add();
        }
        auto *pending = f.Find<QTreeWidget>("lvwOut_List");
        pending->setCurrentItem(pending->topLevelItem(1));
        {
            TModalAnswerer answers({QMessageBox::Yes, QMessageBox::Yes});
            f.Main->Out_Delete();
            f.Main->Out_Delete();
            QCOMPARE(answers.Texts(), (QStringList{"您确定要删除指定的记录吗？",
                                                   "请在上面的列表中选定一条记录，然后删除它。"}));
        }
        QCOMPARE(pending->topLevelItemCount(), 2);
        QVERIFY(pending->selectedItems().isEmpty());

        TclsDatabaseUser(f.Db.File())
            .AddRecords(f.User, "支出", {"2026-06-01", "2026-06-01", "2026-06-01"}, {"x", "y", "z"},
                        {"1", "2", "3"}, {"", "", ""});
        f.Find<QDateEdit>("dtpInAndOut_Date1")->setDate(QDate(2026, 6, 1));
        f.Find<QDateEdit>("dtpInAndOut_Date2")->setDate(QDate(2026, 6, 1));
        f.Main->InAndOut_View();
        auto *days = f.Find<QTreeView>("lvwInAndOut_List1");
        days->setCurrentIndex(days->model()->index(0, 1));
        auto *details = f.Find<QTreeWidget>("lvwInAndOut_List2");
        QCOMPARE(details->topLevelItemCount(), 3);
        details->setCurrentItem(details->topLevelItem(1));
        {
            TModalAnswerer answers({QMessageBox::Yes, QMessageBox::Yes});
            f.Main->InAndOut_Delete();
            f.Main->InAndOut_Delete();
            QCOMPARE(answers.Texts().last(), QStringLiteral("请在上面的列表中选定一条记录，然后删除它。"));
        }
        QCOMPARE(f.Db.Count("select count(*) from All_Table"), 2);
        QVERIFY(details->selectedItems().isEmpty());
    }

    // A memo with line breaks shows on one line in every list and is
    // stored as typed.
    void memoLineBreaksShowOnOneLine()
    {
        TMainFixture f;
        f.Find<QDateEdit>("dtpOut_Date")->setDate(QDate(2026, 6, 1));
        f.Find<QComboBox>("cboOut_Name")->setEditText("a");
        f.Find<QLineEdit>("edtOut_Money")->setText("1");
        f.Find<QPlainTextEdit>("memOut_Memo")->setPlainText("line one\nline two");
        f.Main->Out_Add();
        auto *pending = f.Find<QTreeWidget>("lvwOut_List");
        QCOMPARE(pending->topLevelItem(0)->text(5), QStringLiteral("line one line two"));
        QCOMPARE(pending->topLevelItem(0)->icon(0).availableSizes(), QList<QSize>{QSize(16, 16)});
        {
            TModalAnswerer answers;
            QVERIFY(f.Main->Out_Finish());
        }
        QCOMPARE(f.Db.Count("select count(*) from All_Table"), 1);
        f.Find<QDateEdit>("dtpInAndOut_Date1")->setDate(QDate(2026, 6, 1));
        f.Find<QDateEdit>("dtpInAndOut_Date2")->setDate(QDate(2026, 6, 1));
        f.Main->InAndOut_View();
        QCOMPARE(f.Main->Details()[5].value(0), QStringLiteral("line one\nline two"));
        auto *days = f.Find<QTreeView>("lvwInAndOut_List1");
        days->setCurrentIndex(days->model()->index(0, 1));
        auto *details = f.Find<QTreeWidget>("lvwInAndOut_List2");
        QCOMPARE(details->topLevelItem(0)->text(5), QStringLiteral("line one line two"));
        QCOMPARE(CellText(details->topLevelItem(0), 5), QStringLiteral("line one\nline two"));
        QVERIFY(!details->topLevelItem(0)->icon(0).isNull());
        QVERIFY(!days->model()->index(0, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
    }

    // A household abroad: decimals written with a comma by the C library.
    void amountsKeepThePointInEveryLocale()
    {
        if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
            QSKIP("the de_DE.UTF-8 locale is not installed");
        auto restore = qScopeGuard([] { std::setlocale(LC_ALL, "C"); });
        QCOMPARE(FormatMoney(12.5), QStringLiteral("12.50"));
        TMainFixture f;
        f.Find<QDateEdit>("dtpOut_Date")->setDate(QDate(2026, 6, 1));
        f.Find<QComboBox>("cboOut_Name")->setEditText("a");
        f.Find<QLineEdit>("edtOut_Money")->setText("12.5");
        f.Main->Out_Add();
        auto *pending = f.Find<QTreeWidget>("lvwOut_List");
        QCOMPARE(pending->topLevelItem(0)->text(4), QStringLiteral("12.50"));
        {
            TModalAnswerer answers;
            QVERIFY(f.Main->Out_Finish());
        }
        f.Find<QDateEdit>("dtpInAndOut_Date1")->setDate(QDate(2026, 6, 1));
        f.Find<QDateEdit>("dtpInAndOut_Date2")->setDate(QDate(2026, 6, 1));
        f.Main->InAndOut_View();
        auto *days = f.Find<QTreeView>("lvwInAndOut_List1");
        QCOMPARE(days->model()->index(0, 2).data().toString(), QStringLiteral("12.50"));
        QVERIFY2(f.Find<QLabel>("lblInAndOut_OutMoney1")->text().contains("12.50"),
                 qPrintable(f.Find<QLabel>("lblInAndOut_OutMoney1")->text()));
        ReportRows rows;
        QVERIFY(f.Main->InAndOut_GetReportRows(rows));
        QVERIFY(ReportRowsBuilder::JoinRow(rows, 0).contains("12.50"));
    }
};

QTEST_MAIN(TestInput)
#include "test_input.moc"
