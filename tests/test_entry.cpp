// The expense and income entry panels, their keys, and the category editor.
#include "app/unt_frmMain.h"
#include "data/unt_clsDatabaseUser.h"
#include "panels/unt_TShape.h"
#include "panels/unt_clsButtonCreator.h"
#include "tests/support/unt_testGui.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

class TestEntry : public QObject {
    Q_OBJECT

    static void Fill(const TMainFixture &F, const QString &P, const QString &Name, const QString &Money,
                     const QString &Memo = QString())
    {
        F.Find<QComboBox>("cbo" + P + "_Name")->setEditText(Name);
        F.Find<QLineEdit>("edt" + P + "_Money")->setText(Money);
        F.Find<QPlainTextEdit>("mem" + P + "_Memo")->setPlainText(Memo);
    }

private slots:
    void initTestCase()
    {
        UsePrivateRuntimeDir();
        ApplyTestFont();
    }

    void keyboardOnlyEntry()
    {
        TMainFixture f;
        auto *date = f.Find<QDateEdit>("dtpOut_Date");
        auto *name = f.Find<QComboBox>("cboOut_Name");
        auto *money = f.Find<QLineEdit>("edtOut_Money");
        auto *memo = f.Find<QPlainTextEdit>("memOut_Memo");
        date->setDate(QDate(2026, 3, 1));
        date->setFocus();
        QTest::keyClick(date, Qt::Key_Return);
        QCOMPARE(f.Main->focusWidget(), name);
        name->lineEdit()->insert("早饭");
        QTest::keyClick(name->lineEdit(), Qt::Key_Return);
        QCOMPARE(f.Main->focusWidget(), money);
        QTest::keyClicks(money, "a-+, 1x2.5");
        QCOMPARE(money->text(), QStringLiteral("12.5")); // only digits and the point get in
        QTest::keyClick(money, Qt::Key_Backspace);
        QCOMPARE(money->text(), QStringLiteral("12."));
        QTest::keyClick(money, Qt::Key_Return);
        QCOMPARE(f.Main->focusWidget(), memo);
        memo->insertPlainText("豆浆");
        QTest::keyClick(memo, Qt::Key_Return);
        auto *list = f.Find<QTreeWidget>("lvwOut_List");
        QCOMPARE(list->topLevelItemCount(), 1);
        const QTreeWidgetItem *row = list->topLevelItem(0);
        QCOMPARE(row->text(1), QStringLiteral("2026-03-01"));
        QCOMPARE(row->text(2), QStringLiteral("支出"));
        QCOMPARE(row->text(3), QStringLiteral("早饭"));
        QCOMPARE(row->text(4), QStringLiteral("12.00"));
        QCOMPARE(row->text(5), QStringLiteral("豆浆")); // Enter added the row, no line break
        QVERIFY(name->currentText().isEmpty() && money->text().isEmpty() && memo->toPlainText().isEmpty());
        QCOMPARE(f.Main->focusWidget(), name);
        QCOMPARE(date->date(), QDate(2026, 3, 1)); // the date stays for the next entry
        QCOMPARE(name->count(), 33);
        QCOMPARE(f.Find<QLabel>("lblOut_Total")->text(), QStringLiteral("支出合计：12.00"));
        SaveShot(f.Main.get(), "entry-expense");
    }

    void amountCases()
    {
        TMainFixture f;
        const QString empty = "金额不能为空或为0，请重新填写！", bad = "金额有错误，请重新填写！";
        const QString decimals = "金额最多只能有两位小数，请重新填写！";
        const QString large = "金额太大（整数部分最多11位），请重新填写！";
        const QList<std::pair<QString, QString>> cases{
            {"", empty},     {".", empty},      {"1.2.3", bad},         {"12", "12.00"},
            {".5", "0.50"},  {"3.", "3.00"},    {"0012", "12.00"},      {"0.001", decimals},
            {"0", empty},    {"99999999999", "99999999999.00"},         {"12.345", decimals},
            {"123456789012", large},
        };
        auto *list = f.Find<QTreeWidget>("lvwOut_List");
        auto *money = f.Find<QLineEdit>("edtOut_Money");
        for (const auto &[typed, expected] : cases) {
            Fill(f, "Out", " 午饭 ", typed, "m");
            const int before = list->topLevelItemCount();
            TModalAnswerer answers;
            f.Main->Out_Add();
            if (expected.endsWith("！")) {
                QCOMPARE(answers.Texts(), QStringList{expected});
                QCOMPARE(answers.Seen[0].Icon, QMessageBox::Warning);
                QCOMPARE(list->topLevelItemCount(), before);
                QVERIFY(money->text().isEmpty());
                QCOMPARE(f.Main->focusWidget(), money);
                QCOMPARE(f.Find<QComboBox>("cboOut_Name")->currentText(), QStringLiteral(" 午饭 "));
            } else {
                QVERIFY2(answers.Seen.isEmpty(), qPrintable(typed));
                QCOMPARE(list->topLevelItem(before)->text(4), expected);
                QCOMPARE(list->topLevelItem(before)->text(3), QStringLiteral(" 午饭 "));
            }
        }
        Fill(f, "Out", "   ", "5");
        TModalAnswerer answers;
        f.Main->Out_Add();
        QCOMPARE(answers.Texts(), QStringList{"您没有填写支出项目名称！"});
        QCOMPARE(f.Main->focusWidget(), f.Find<QComboBox>("cboOut_Name"));
        QCOMPARE(money->text(), QStringLiteral("5")); // nothing is cleared
        QCOMPARE(f.Find<QLabel>("lblOut_Total")->text(), QStringLiteral("支出合计：100000000026.50"));
    }

    void limitsHoldForPastedText()
    {
        TMainFixture f;
        auto *memo = f.Find<QPlainTextEdit>("memOut_Memo");
        memo->insertPlainText(QString(300, QLatin1Char('x')));
        QCOMPARE(memo->toPlainText().size(), 255);
        auto *name = f.Find<QComboBox>("cboOut_Name");
        name->lineEdit()->insert(QString(80, QLatin1Char('n')));
        QCOMPARE(name->currentText().size(), 50);
        auto *money = f.Find<QLineEdit>("edtOut_Money");
        money->setFocus();
        QTest::keyClicks(money, "123456789012345");
        QCOMPARE(money->text().size(), 11);
        QCOMPARE(money->contextMenuPolicy(), Qt::NoContextMenu);
    }

    void finishSavesInOrder()
    {
        TMainFixture f;
        TModalAnswerer empty;
        f.Main->Out_Finish();
        QCOMPARE(empty.Texts(), QStringList{"上面的列表中没有支出记录需要保存!"});
        f.Find<QDateEdit>("dtpOut_Date")->setDate(QDate(2026, 5, 2));
        for (const char *name : {"b", "a", "c"}) {
            Fill(f, "Out", name, "1.5", QString(name) + "'s");
            f.Main->Out_Add();
        }
        TModalAnswerer answers;
        f.Click("Out_Finish");
        QCOMPARE(answers.Texts(), QStringList{"支出记录保存成功！\r\n\r\n您可以到“收支目录”处查看这些记录。"});
        QCOMPARE(answers.Seen[0].Icon, QMessageBox::Information);
        QCOMPARE(f.Find<QTreeWidget>("lvwOut_List")->topLevelItemCount(), 0);
        QCOMPARE(f.Find<QLabel>("lblOut_Total")->text(), QStringLiteral("支出合计：0.00"));
        DayLists days;
        DetailLists details;
        TclsDatabaseUser(f.Db.File()).GetDayRecords(f.User, QDate(2026, 5, 2), QDate(2026, 5, 2), days, details);
        QCOMPARE(details[3], QStringList({"b", "a", "c"}));
        QCOMPARE(details[5], QStringList({"b's", "a's", "c's"}));
        QCOMPARE(days[1], QStringList{"4.50"});
    }

    void failedFinishKeepsEveryRow()
    {
        TMainFixture f;
        for (int i = 0; i < 3; ++i) {
            Fill(f, "In", "工资", "10");
            f.Main->In_Add();
        }
        f.Db.Exec("create trigger boom before insert on All_Table when "
                  "(select count(*) from All_Table) >= 1 begin select raise(abort, 'disk is full'); end;");
        TModalAnswerer answers;
        f.Click("In_Finish");
        QCOMPARE(answers.Seen.size(), 1);
        QCOMPARE(answers.Seen[0].Icon, QMessageBox::Critical);
        QVERIFY(answers.Seen[0].Text.contains("disk is full"));
        QCOMPARE(f.Find<QTreeWidget>("lvwIn_List")->topLevelItemCount(), 3);
        QCOMPARE(f.Db.Count("select count(*) from All_Table"), 0);
        QVERIFY(f.Find<QLabel>("lblIn_Finish")->isEnabled());
        QVERIFY(!QApplication::overrideCursor());
        f.Db.Exec("drop trigger boom;");
        TModalAnswerer again;
        f.Click("In_Finish");
        QCOMPARE(again.Texts(), QStringList{"收入记录保存成功！\r\n\r\n您可以到“收支目录”处查看这些记录。"});
        QCOMPARE(f.Db.Count("select count(*) from All_Table"), 3); // no duplicates
    }

    void deletePendingRow()
    {
        TMainFixture f;
        TModalAnswerer none;
        f.Main->Out_Delete();
        QCOMPARE(none.Texts(), QStringList{"请在上面的列表中选定一条记录，然后删除它。"});
        Fill(f, "Out", "a", "2");
        f.Main->Out_Add();
        Fill(f, "Out", "b", "3");
        f.Main->Out_Add();
        auto *list = f.Find<QTreeWidget>("lvwOut_List");
        list->setCurrentItem(list->topLevelItem(0));
        TModalAnswerer no({QMessageBox::No});
        f.Main->Out_Delete();
        QCOMPARE(no.Texts(), QStringList{"您确定要删除指定的记录吗？"});
        QCOMPARE(no.Seen[0].Icon, QMessageBox::Question);
        QCOMPARE(list->topLevelItemCount(), 2);
        TModalAnswerer yes({QMessageBox::Yes, QMessageBox::Yes});
        f.Main->Out_Delete();
        QCOMPARE(list->topLevelItemCount(), 1);
        QCOMPARE(list->topLevelItem(0)->text(3), QStringLiteral("b"));
        QCOMPARE(f.Find<QLabel>("lblOut_Total")->text(), QStringLiteral("支出合计：3.00"));
        list->setCurrentItem(list->topLevelItem(0));
        f.Main->Out_Delete();
        QCOMPARE(f.Find<QLabel>("lblOut_Total")->text(), QStringLiteral("支出合计：0.00"));
    }

    void closeAsksExpenseFirst()
    {
        TMainFixture f;
        Fill(f, "Out", "早饭", "1");
        f.Main->Out_Add();
        Fill(f, "In", "工资", "2");
        f.Main->In_Add();
        QCOMPARE(f.Find<QTreeWidget>("lvwIn_List")->topLevelItem(0)->text(2), QStringLiteral("收入"));
        TModalAnswerer answers({QMessageBox::Yes, QMessageBox::Ok, QMessageBox::Yes, QMessageBox::Ok});
        QVERIFY(f.Main->close());
        QCOMPARE(answers.Texts(), QStringList({"您有支出记录没有保存，现在要保存吗？",
                                               "支出记录保存成功！\r\n\r\n您可以到“收支目录”处查看这些记录。",
                                               "您有收入记录没有保存，现在要保存吗？",
                                               "收入记录保存成功！\r\n\r\n您可以到“收支目录”处查看这些记录。"}));
        QCOMPARE(f.Db.Count("select count(*) from All_Table"), 2);
    }

    void closeWithNoDropsRows()
    {
        TMainFixture f;
        Fill(f, "In", "工资", "2");
        f.Main->In_Add();
        TModalAnswerer answers({QMessageBox::No});
        QVERIFY(f.Main->close());
        QCOMPARE(answers.Texts(), QStringList{"您有收入记录没有保存，现在要保存吗？"});
        QCOMPARE(f.Db.Count("select count(*) from All_Table"), 0);
    }

    void shapeButtonLooks()
    {
        TMainFixture f;
        auto *shape = f.Main->findChild<TShape *>("shpOut_Add");
        auto *label = f.Find<QLabel>("lblOut_Add");
        QTest::mousePress(label, Qt::RightButton);
        QCOMPARE(shape->BrushStyle(), Qt::NoBrush);
        QTest::mouseRelease(label, Qt::RightButton);
        QTest::mousePress(shape, Qt::LeftButton);
        QCOMPARE(shape->BrushStyle(), Qt::SolidPattern);
        QCOMPARE(shape->PenStyle(), Qt::NoPen);
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(Qt::white));
        TModalAnswerer answers;
        QTest::mouseRelease(shape, Qt::LeftButton, {}, QPoint(200, 200)); // released off the button
        QCOMPARE(answers.Texts(), QStringList{"您没有填写支出项目名称！"});
        QCOMPARE(shape->BrushStyle(), Qt::NoBrush);
        QCOMPARE(shape->PenColor(), QColor(0x80, 0x80, 0x80));
        f.Main->Button("Out_Add")->SetEnabled(false);
        QCOMPARE(shape->PenColor(), QColor(0xC0, 0xC0, 0xC0));
        TModalAnswerer disabled;
        f.Main->ShapeButtonClick(nullptr);
        QTest::mouseClick(shape, Qt::LeftButton);
        QVERIFY(disabled.Seen.isEmpty());
    }

    void editorSaveAndCancel()
    {
        TMainFixture f;
        TModalAnswerer answers;
        answers.OnDialog = [](QWidget *Dialog) {
            QCOMPARE(Dialog->windowTitle(), QStringLiteral("支出项目名称 - 编辑"));
            auto *memo = Dialog->findChild<QPlainTextEdit *>("memEdit");
            QCOMPARE(memo->toPlainText().split('\n').size(), 33);
            SaveShot(Dialog, "editor");
            memo->setPlainText("新名\n\n   \n  两边 \n早饭\n");
            QTimer::singleShot(0, Dialog, [Dialog] { Dialog->findChild<QPushButton *>("btnSave")->click(); });
        };
        f.Main->Out_Edit();
        QCOMPARE(answers.Texts(), QStringList{"支出项目名称保存成功！"});
        auto *combo = f.Find<QComboBox>("cboOut_Name");
        QStringList items;
        for (int i = 0; i < combo->count(); ++i)
            items << combo->itemText(i);
        QCOMPARE(items, QStringList({"新名", "  两边 ", "早饭"}));
        QCOMPARE(f.Find<QComboBox>("cboIn_Name")->count(), 9);
        QVERIFY(!f.Main->ActiveDialog);

        TModalAnswerer cancel;
        cancel.OnDialog = [](QWidget *Dialog) {
            Dialog->findChild<QPlainTextEdit *>("memEdit")->setPlainText("");
            static_cast<QDialog *>(Dialog)->reject();
        };
        f.Main->Out_Edit();
        QCOMPARE(combo->count(), 3);

        TModalAnswerer clear;
        clear.OnDialog = [](QWidget *Dialog) {
            QCOMPARE(Dialog->windowTitle(), QStringLiteral("收入项目名称 - 编辑"));
            Dialog->findChild<QPlainTextEdit *>("memEdit")->setPlainText("");
            QTimer::singleShot(0, Dialog, [Dialog] { Dialog->findChild<QPushButton *>("btnSave")->click(); });
        };
        f.Main->In_Edit();
        QCOMPARE(f.Find<QComboBox>("cboIn_Name")->count(), 0);
        QStringList out, in;
        TclsDatabaseUser(f.Db.File()).GetProgramNames(f.User, out, in);
        QCOMPARE(out.size(), 3);
        QVERIFY(in.isEmpty());
    }

    void incomePanelLooks()
    {
        TMainFixture f;
        QTest::mouseClick(f.Main->findChild<QWidget *>("rdoIn"), Qt::LeftButton);
        QVERIFY(f.Main->findChild<QWidget *>("pnlIn")->isVisible());
        QVERIFY(!f.Main->findChild<QWidget *>("pnlOut")->isVisible());
        Fill(f, "In", "工资", "8000");
        f.Main->In_Add();
        SaveShot(f.Main.get(), "entry-income");
        QCOMPARE(f.Find<QLabel>("lblIn_Total")->text(), QStringLiteral("收入合计：8000.00"));
    }
};

QTEST_MAIN(TestEntry)
#include "test_entry.moc"
