// Importing bills through the main window: the dialog, the pending rows,
// Finish with order numbers and rules, re-imports, and a failed Finish.
#include "app/unt_frmMain.h"
#include "data/unt_clsConnection.h"
#include "panels/unt_frmImport.h"
#include "panels/unt_frmImportMapping.h"
#include "tests/support/unt_testBills.h"
#include "tests/support/unt_testGui.h"
#include "ui/unt_clsMessages.h"

#include <QAction>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <new>
#include <stdexcept>

#include <sys/stat.h>

using namespace TestBills;

namespace
{
// What the import dialog showed, and what the test did in it.
struct TSeenImport {
    QStringList States, Names, Types;
    QList<bool> Checked;
    QString Summary;
};

// Answers the import dialog: Edit may change it, then OK (or Cancel).
std::function<void(QWidget *)> AnswerImport(TSeenImport &Seen, std::function<void(TfrmImport *)> Edit = {},
                                            bool Accept = true)
{
    return [&Seen, Edit, Accept](QWidget *Dialog) {
        auto *import = qobject_cast<TfrmImport *>(Dialog);
        if (!import) {
            Dialog->close();
            return;
        }
        for (int i = 0; i < import->lvwImport->topLevelItemCount(); ++i) {
            const QTreeWidgetItem *item = import->lvwImport->topLevelItem(i);
            Seen.States << item->text(6);
            Seen.Names << item->text(3);
            Seen.Types << item->text(2);
            Seen.Checked << (item->checkState(0) == Qt::Checked);
        }
        Seen.Summary = import->lblImport_Summary->text();
        if (Edit)
            Edit(import);
        (Accept ? import->btnImport_OK : import->btnImport_Cancel)->click();
    };
}

QStringList ListColumn(QTreeWidget *List, int Column)
{
    QStringList cells;
    for (int i = 0; i < List->topLevelItemCount(); ++i)
        cells << List->topLevelItem(i)->text(Column);
    return cells;
}

QTreeWidgetItem *RowWith(TfrmImport *Dialog, const QString &Memo)
{
    for (int i = 0; i < Dialog->lvwImport->topLevelItemCount(); ++i)
        if (Dialog->lvwImport->topLevelItem(i)->text(5).startsWith(Memo))
            return Dialog->lvwImport->topLevelItem(i);
    qFatal("no row %s", qPrintable(Memo));
}
} // namespace

class TestImportGui : public QObject
{
    Q_OBJECT

    QTemporaryDir FDir;

  private slots:
    void initTestCase()
    {
        UsePrivateRuntimeDir();
        ApplyTestFont();
    }

    void alipayIntoPendingRowsAndBack()
    {
        TMainFixture f;
        const QString file = Write(FDir.path(), "alipay.csv", Alipay(AlipayMonth()));
        TSeenImport seen;
        {
            TModalAnswerer answerer;
            answerer.OnDialog = AnswerImport(seen, [](TfrmImport *Dialog) {
                SaveShot(Dialog, "import-dialog");
                // A row outside income and expense shows no type of its own
                // until it is checked; then the one it goes in as.
                QTreeWidgetItem *neutral = Dialog->lvwImport->topLevelItem(3);
                neutral->setCheckState(0, Qt::Checked);
                QCOMPARE(neutral->text(2), QStringLiteral("支出"));
                neutral->setCheckState(0, Qt::Unchecked);
                QCOMPARE(neutral->text(2), QStringLiteral("不计收支"));
            });
            f.Main->ImportBill(file);
            QCOMPARE(answerer.Texts(), QStringList({"已导入 4 条记录到待保存列表，请检查后点“完成”保存。"}));
        }
        QCOMPARE(seen.Summary, QStringLiteral("共 6 条：新 4 条，重复 0 条，跳过 2 条"));
        QCOMPARE(seen.States[3], QStringLiteral("不计收支"));
        QCOMPARE(seen.Types[3], QStringLiteral("不计收支"));
        auto *out = f.Find<QTreeWidget>("lvwOut_List");
        auto *in = f.Find<QTreeWidget>("lvwIn_List");
        // Date order, whatever the file's order; the rows look like typed ones.
        QCOMPARE(ListColumn(out, 1), QStringList({"2026-03-02", "2026-03-05"}));
        QCOMPARE(ListColumn(out, 2), QStringList({"支出", "支出"}));
        QCOMPARE(ListColumn(out, 4), QStringList({"56.00", "28.16"}));
        QCOMPARE(ListColumn(out, 5), QStringList({"盒马 买菜", "肯德基 早餐套餐"}));
        QCOMPARE(ListColumn(in, 1), QStringList({"2026-03-03", "2026-03-07"}));
        QCOMPARE(ListColumn(in, 2), QStringList({"收入", "收入"}));
        QCOMPARE(f.Find<QLabel>("lblOut_Total")->text(), QStringLiteral("支出合计：84.16"));
        QCOMPARE(f.Find<QLabel>("lblIn_Total")->text(), QStringLiteral("收入合计：128.16"));
        QVERIFY(f.Main->findChild<QRadioButton *>("rdoOut")->isChecked());
        QVERIFY(f.Main->findChild<QWidget *>("pnlOut")->isVisible());
        SaveShot(f.Main.get(), "import-pending");
        {
            TModalAnswerer answerer;
            f.Click("Out_Finish");
            f.Click("In_Finish");
            QCOMPARE(answerer.Seen.size(), 2);
        }
        QCOMPARE(f.Db.Count("select count(*) from All_Table"), 4);
        QCOMPARE(f.Db.Count("select count(*) from Import_Orders o join All_Table a on a.ID=o.Record_ID"), 4);
        QCOMPARE(f.Db.Count("select count(*) from Import_Rules"),
                 4); // 盒马, 肯德基 (支出), 李四, 肯德基 (收入)
        // The same file again, even inside a ZIP: nothing new.
        TSeenImport again;
        {
            TModalAnswerer answerer;
            answerer.OnDialog = AnswerImport(again);
            f.Main->ImportBill(Write(FDir.path(), "again.zip", ZipOf({{"a.csv", Alipay(AlipayMonth())}})));
        }
        QCOMPARE(again.States, QStringList({"已导入", "已导入", "已导入", "不计收支", "交易关闭", "已导入"}));
        QCOMPARE(again.Checked, QList<bool>({false, false, false, false, false, false}));
        QCOMPARE(again.Summary, QStringLiteral("共 6 条：新 0 条，重复 4 条，跳过 2 条"));
        QCOMPARE(out->topLevelItemCount(), 0);
    }

    void rulesLearntAndDeletedRowsForgotten()
    {
        TMainFixture f;
        TSeenImport seen;
        {
            TModalAnswerer answerer({QMessageBox::Ok, QMessageBox::Yes});
            answerer.OnDialog = AnswerImport(seen, [](TfrmImport *Dialog) {
                // 项目 is picked from the expense list or typed.
                Dialog->lvwImport->editItem(RowWith(Dialog, "盒马"), 3);
                auto *combo = Dialog->findChild<QComboBox *>("cboImport_Name");
                QVERIFY(combo);
                QCOMPARE(combo->count(), 33);
                QVERIFY(combo->isEditable());
                combo->setEditText("买菜");
                QTest::keyClick(combo, Qt::Key_Return);
                QTRY_COMPARE(RowWith(Dialog, "盒马")->text(3), QStringLiteral("买菜"));
                RowWith(Dialog, "李四")->setCheckState(0, Qt::Unchecked);
            });
            f.Main->ImportBill(Write(FDir.path(), "rules.csv", Alipay(AlipayMonth())));
        }
        auto *out = f.Find<QTreeWidget>("lvwOut_List");
        QCOMPARE(ListColumn(out, 3), QStringList({"买菜", "其他支出"}));
        QCOMPARE(f.Find<QTreeWidget>("lvwIn_List")->topLevelItemCount(), 1); // only the refund
        // The meal is taken out of the pending rows before Finish.
        out->setCurrentItem(out->topLevelItem(1));
        {
            TModalAnswerer answerer({QMessageBox::Yes});
            f.Click("Out_Delete");
            f.Click("Out_Finish");
        }
        QCOMPARE(f.Db.Count("select count(*) from Import_Orders"), 1);
        // A new month: 盒马 gets 买菜 from the rule; the meal, never saved, is new.
        QList<TRow> april = AlipayMonth();
        april[1].Order = "2026040222001400099";
        april[1].Time = "2026-04-02 08:00:00";
        TSeenImport next;
        {
            TModalAnswerer answerer;
            answerer.OnDialog = AnswerImport(next, {}, false);
            f.Main->ImportBill(Write(FDir.path(), "april.csv", Alipay(april)));
        }
        QCOMPARE(next.Names[1], QStringLiteral("买菜"));
        QCOMPARE(next.States.mid(0, 3), QStringList({"新", "新", "新"}));
    }

    void sameCardPaymentInBankFileAndWeChat()
    {
        TMainFixture f;
        const QByteArray bank = Gb("某某银行 账户明细\n记账日期,交易金额,余额,对方户名,摘要\n"
                                   "2025/3/1,-30.00,970.00,财付通-美团,快捷支付\n"
                                   "2025/3/2,-12.00,958.00,地铁,乘车\n");
        const QString bankFile = Write(FDir.path(), "bank.csv", bank);
        int mappings = 0;
        auto answer = [&](TSeenImport &Seen) {
            return [&mappings, &Seen](QWidget *Dialog) {
                if (auto *map = qobject_cast<TfrmImportMapping *>(Dialog)) {
                    ++mappings;
                    QCOMPARE(map->Combo("Date")->currentText(), QStringLiteral("记账日期"));
                    QCOMPARE(map->Combo("Amount")->currentText(), QStringLiteral("交易金额"));
                    map->Combo("Memo")->setCurrentIndex(0); // no memo column
                    map->findChild<QPushButton *>("btnMap_OK")->click();
                    return;
                }
                AnswerImport(Seen)(Dialog);
            };
        };
        TSeenImport first, second, wechat;
        {
            TModalAnswerer answerer;
            answerer.OnDialog = answer(first);
            f.Main->ImportBill(bankFile);
            f.Click("Out_Finish");
        }
        QCOMPARE(first.States, QStringList({"新", "新"}));
        QCOMPARE(f.Db.Count("select count(*) from All_Table"), 2);
        {
            TModalAnswerer answerer;
            answerer.OnDialog = answer(second);
            f.Main->ImportBill(bankFile);
        }
        QCOMPARE(mappings, 1); // the columns were remembered for this layout
        QCOMPARE(second.States, QStringList({"已导入", "已导入"}));
        {
            TModalAnswerer answerer;
            answerer.OnDialog = answer(wechat);
            f.Main->ImportBill(Write(FDir.path(), "wechat.csv",
                                     WeChatCsv({{"2025-03-01 12:00:00", "商户消费", "美团", "外卖", "支出",
                                                 "¥30.00", "支付成功", "4200001"},
                                                {"2025-03-01 18:00:00", "商户消费", "美团", "外卖", "支出",
                                                 "¥30.00", "支付成功", "4200002"}})));
        }
        // One of two equal payments matches the one bank record.
        QCOMPARE(wechat.States, QStringList({"可能重复", "新"}));
        QCOMPARE(wechat.Checked, QList<bool>({false, true}));
    }

    void failedFinishSavesNothing()
    {
        TMainFixture f;
        {
            TModalAnswerer answerer;
            TSeenImport seen;
            answerer.OnDialog = AnswerImport(seen);
            f.Main->ImportBill(Write(FDir.path(), "locked.csv", Alipay(AlipayMonth())));
        }
        // Reading the bill and the books wrote nothing.
        QCOMPARE(f.Db.Count("select count(*) from Import_Rules"), 0);
        TclsConnection other(f.Db.File());
        other.Execute("BEGIN EXCLUSIVE");
        {
            TModalAnswerer answerer;
            f.Click("Out_Finish");
            QCOMPARE(answerer.Seen.size(), 1);
            QCOMPARE(answerer.Seen[0].Icon, QMessageBox::Critical);
        }
        other.Execute("ROLLBACK");
        QCOMPARE(f.Db.Count("select count(*) from All_Table"), 0);
        QCOMPARE(f.Db.Count("select count(*) from Import_Orders"), 0);
        QCOMPARE(f.Db.Count("select count(*) from Import_Rules"), 0);
        QCOMPARE(f.Find<QTreeWidget>("lvwOut_List")->topLevelItemCount(), 2); // still there to retry
        // The hook fails inside the transaction: the records go too.
        f.Db.Exec("CREATE TRIGGER no_orders BEFORE INSERT ON Import_Orders BEGIN SELECT RAISE(ABORT, "
                  "'full'); END;");
        {
            TModalAnswerer answerer;
            f.Click("Out_Finish");
        }
        QCOMPARE(f.Db.Count("select count(*) from All_Table"), 0);
        QCOMPARE(f.Db.Count("select count(*) from Import_Rules"), 0);
        f.Db.Exec("DROP TRIGGER no_orders;");
        {
            TModalAnswerer answerer;
            f.Click("Out_Finish");
        }
        QCOMPARE(f.Db.Count("select count(*) from Import_Orders"), 2);
    }

    void menuDropPasswordAndBadFiles()
    {
        TMainFixture f;
        QAction *item = f.Main->MoreMenu()->actions().last();
        QCOMPARE(item->objectName(), QStringLiteral("mnuInAndOut_More_Import"));
        QCOMPARE(item->text(), QStringLiteral("导入账单(&M)..."));
        QVERIFY(f.Main->MoreMenu()->actions().at(f.Main->MoreMenu()->actions().size() - 2)->isSeparator());
        const QString zip =
            Write(FDir.path(), "locked.zip", ZipOf({{"alipay.csv", Alipay(AlipayMonth())}}, "123456"));
        QStringList passwords{"000000", "123456"};
        QStringList labels;
        TSeenImport seen;
        {
            TModalAnswerer answerer;
            answerer.OnDialog = [&](QWidget *Dialog) {
                if (auto *files = qobject_cast<QFileDialog *>(Dialog)) {
                    QCOMPARE(files->objectName(), QStringLiteral("dlgImport"));
                    AnswerSaveDialog(files, zip);
                } else if (auto *ask = qobject_cast<QInputDialog *>(Dialog)) {
                    labels << ask->labelText();
                    ask->setTextValue(passwords.takeFirst());
                    ask->accept();
                } else {
                    AnswerImport(seen, {}, false)(Dialog);
                }
            };
            item->trigger();
            QTRY_VERIFY(!seen.Summary.isEmpty());
            QCOMPARE(answerer.Texts(), QStringList({"密码不正确，请重新输入。"}));
        }
        QCOMPARE(labels, QStringList({"请输入压缩包密码：", "请输入压缩包密码："}));
        QCOMPARE(f.Find<QTreeWidget>("lvwOut_List")->topLevelItemCount(), 0); // cancelled

        // A dropped file, on any panel, opens the same dialog.
        TSeenImport dropped;
        {
            TModalAnswerer answerer;
            answerer.OnDialog = AnswerImport(dropped);
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(Write(FDir.path(), "drop.csv", Alipay(AlipayMonth())))});
            QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(f.Main.get(), &enter);
            QVERIFY(enter.isAccepted());
            QDropEvent drop(QPointF(300, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(f.Main.get(), &drop);
            QTRY_COMPARE(answerer.Seen.size(), 1);
        }
        // The drop took the rows the menu's import did not.
        QCOMPARE(dropped.States, QStringList({"新", "新", "新", "不计收支", "交易关闭", "退款"}));
        // Dropped on a field that takes text, a bill is still imported, and
        // its path is not typed into the field.
        TSeenImport onField;
        {
            TModalAnswerer answerer;
            answerer.OnDialog = AnswerImport(onField, {}, false);
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(Write(FDir.path(), "field.csv", Alipay(AlipayMonth())))});
            data.setText(data.urls().first().toString());
            QWidget *memo = f.Find<QPlainTextEdit>("memIn_Memo")->viewport();
            QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(memo, &enter);
            QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(memo, &drop);
            QTRY_COMPARE(onField.States.size(), 6);
        }
        // The same bill again before Finish: its rows are already waiting.
        QCOMPARE(onField.States,
                 QStringList({"待保存", "待保存", "待保存", "不计收支", "交易关闭", "待保存"}));
        QCOMPARE(onField.Checked, QList<bool>({false, false, false, false, false, false}));
        QVERIFY(f.Find<QPlainTextEdit>("memIn_Memo")->toPlainText().isEmpty());
        // Closing with imported rows asks as for typed ones.
        {
            TModalAnswerer answerer({QMessageBox::No, QMessageBox::No});
            f.Main->close();
            QCOMPARE(answerer.Texts(), QStringList({"您有支出记录没有保存，现在要保存吗？",
                                                    "您有收入记录没有保存，现在要保存吗？"}));
        }

        const QList<std::pair<QByteArray, QString>> bad{
            {"", "文件是空的，没有可以导入的记录。"},
            {Gb("亲爱的用户：\n您好！\n"),
             "无法识别的账单格式。\r\n\r\n查找的列：\r\n" + BillFormats::LookedFor()},
            {Alipay({}), "文件里没有可以导入的记录。"},
        };
        for (const auto &[bytes, text] : bad) {
            TModalAnswerer answerer;
            f.Main->ImportBill(Write(FDir.path(), "bad.csv", bytes));
            QCOMPARE(answerer.Texts(), QStringList({text}));
        }
        // A row the program cannot read is listed, unchecked, with its reason.
        QList<TRow> rows = AlipayMonth().mid(0, 2);
        rows[0].Time = "昨天";
        rows[1].Money = "五十六";
        TSeenImport unreadable;
        {
            TModalAnswerer answerer;
            answerer.OnDialog = AnswerImport(unreadable, {}, false);
            f.Main->ImportBill(Write(FDir.path(), "unreadable.csv", Alipay(rows)));
        }
        QCOMPARE(unreadable.States, QStringList({"无法识别的日期", "无法识别的金额"}));
        QCOMPARE(unreadable.Checked, QList<bool>({false, false}));
    }

    // A pipe picked or dropped as a bill is refused at once; the window
    // goes on. A bill with lines that do not decode is read, and said so.
    void pipesRefusedAndBadLinesTold()
    {
        TMainFixture f;
        const QString fifo = FDir.path() + "/pipe.csv";
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        const QString refused = "“" + fifo + "”是一个管道，不是普通文件，不能作为账单导入。";
        {
            TModalAnswerer answerer;
            f.Main->ImportBill(fifo);
            QCOMPARE(answerer.Texts(), QStringList({refused}));
        }
        {
            TModalAnswerer answerer;
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(fifo)});
            QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(f.Main.get(), &enter);
            QVERIFY(enter.isAccepted());
            QDropEvent drop(QPointF(300, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(f.Main.get(), &drop);
            QTRY_COMPARE(answerer.Texts(), QStringList({refused}));
        }
        QByteArray bill = WeChatCsv(
            {{"2025-03-02 10:00:00", "商户消费", "超市", "买菜", "支出", "20.00", "支付成功", "2"}});
        bill[bill.indexOf("买菜") + 1] = char(0xFF);
        TSeenImport seen;
        {
            TModalAnswerer answerer;
            answerer.OnDialog = AnswerImport(seen, {}, false);
            f.Main->ImportBill(Write(FDir.path(), "bad-byte.csv", bill));
            QCOMPARE(answerer.Texts(),
                     QStringList({"文件按 UTF-8 编码读取，但有 1 行含有无法识别的字符（第 17 行），"
                                  "这些行的文字可能是乱码，请在导入前核对。"}));
        }
        QCOMPARE(seen.States.size(), 1);
        // Errors of the libraries reach the user in Chinese too.
        QCOMPARE(ErrorText(std::bad_alloc()),
                 QStringLiteral("内存不足，操作没有完成。请关闭一些程序后再试。"));
        QCOMPARE(ErrorText(std::out_of_range("vector::at")),
                 QStringLiteral("操作没有完成：程序内部出错（vector::at）。"));
        QCOMPARE(ErrorText(std::runtime_error("无法读取文件")), QStringLiteral("无法读取文件"));
    }
};

QTEST_MAIN(TestImportGui)
#include "test_importGui.moc"
