// The workbook component and the Excel export, read back by xlrd.
#include "app/unt_frmMain.h"
#include "data/unt_clsBase64.h"
#include "data/unt_clsDatabaseUser.h"
#include "reports/unt_clsExcelConnection.h"
#include "reports/unt_reportRows.h"
#include "reports/workbook/unt_clsWorkbook.h"
#include "tests/support/unt_testGui.h"

#include <QAction>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMenu>
#include <QProcess>
#include <QtTest>

namespace
{

const QString Templates = QStringLiteral(":/templates");
const QString Fixtures = QStringLiteral(LUMORA_SOURCE_DIR "/tests/fixtures");

QByteArray ReadFile(const QString &Name)
{
    QFile file(Name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFile(const QString &Name, const QByteArray &Bytes)
{
    QFile file(Name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(Bytes);
}

// Every sheet row as texts (numbers as xlrd shows them), through an
// independent reader; also the first font and the column widths.
struct TSheetDump {
    QList<QStringList> Rows;
    QString Font;
    QList<int> Widths;
};

TSheetDump ReadBack(const QString &File, const QString &Sheet = QStringLiteral("Sheet1"))
{
    QProcess python;
    python.start(
        "/usr/bin/python3",
        {"-c",
         "import sys, json, xlrd\n"
         "b = xlrd.open_workbook(sys.argv[1], formatting_info=True)\n"
         "s = b.sheet_by_name(sys.argv[2])\n"
         "rows = [[c if isinstance(c, str) else repr(c) for c in s.row_values(r)] for r in range(s.nrows)]\n"
         "widths = [s.colinfo_map[c].width if c in s.colinfo_map else -1 for c in range(s.ncols)]\n"
         "print(json.dumps({'rows': rows, 'font': b.font_list[0].name, 'widths': widths}))\n",
         File, Sheet});
    python.waitForFinished(120000);
    const QJsonObject dump = QJsonDocument::fromJson(python.readAllStandardOutput()).object();
    TSheetDump out;
    for (const auto &row : dump["rows"].toArray()) {
        QStringList cells;
        for (const auto &cell : row.toArray())
            cells << cell.toString();
        out.Rows << cells;
    }
    out.Font = dump["font"].toString();
    for (const auto &width : dump["widths"].toArray())
        out.Widths << width.toInt();
    if (out.Rows.isEmpty())
        qWarning() << python.readAllStandardError();
    return out;
}

QString Error(const std::function<void()> &Action)
{
    try {
        Action();
    } catch (const std::exception &e) {
        return QString::fromUtf8(e.what());
    }
    return {};
}

} // namespace

class TestExcel : public QObject
{
    Q_OBJECT

    static void Trigger(const TMainFixture &F, const QString &Item)
    {
        QAction *action = F.Main->MoreMenu()->findChild<QAction *>(Item);
        QVERIFY(action && action->isEnabled());
        action->trigger();
    }
    static void Export(const TMainFixture &F, const QString &Item, const QString &File,
                       TModalAnswerer &Answers)
    {
        Answers.OnDialog = [File](QWidget *w) { AnswerSaveDialog(w, File); };
        Trigger(F, Item);
    }
    static ReportRows Rows(const TMainFixture &F, bool Layout2)
    {
        ReportRows rows;
        F.Main->InAndOut_GetReportRows(rows);
        if (Layout2)
            F.Main->InAndOut_ConvertRows2(rows);
        return rows;
    }
    static void Sample(const TMainFixture &F)
    {
        TclsDatabaseUser db(F.Db.File());
        db.AddRecords(F.User, "支出", {"2026-06-01", "2026-06-02"}, {"Tom's 早饭", "书"}, {"3.50", "45.00"},
                      {"it's 'quoted'", "😀 表情"});
        db.AddRecords(F.User, "收入", {"2026-06-02"}, {"工资"}, {"100.00"}, {""});
        F.Find<QDateEdit>("dtpInAndOut_Date1")->setDate(QDate(2026, 6, 1));
        F.Find<QDateEdit>("dtpInAndOut_Date2")->setDate(QDate(2026, 6, 3));
    }

  private slots:
    void initTestCase()
    {
        UsePrivateRuntimeDir();
        ApplyTestFont();
        TfrmMain::SetTemplateFolder(Templates);
    }

    void templatesHaveTheirHeaders()
    {
        TclsWorkbook one(ReadFile(Templates + "/pondo.xls"), "Sheet1");
        QCOMPARE(one.Columns(), (QStringList{"日期", "类别", "项目", "金额", "备注"}));
        QCOMPARE(one.UsedRows(), 1);
        TclsWorkbook two(ReadFile(Templates + "/pondo2.xls"), "sheet1");
        QCOMPARE(two.Columns(), (QStringList{"日期", "项目", "收入", "支出", "备注"}));
    }

    void appendedRowsReadBackExactly()
    {
        QTemporaryDir dir;
        TclsWorkbook book(ReadFile(Templates + "/pondo.xls"), "Sheet1");
        const QStringList texts = {"2026-06-01    ", "café 'x'", "中文😀  ", "3.50            ",
                                   QString(58, ' ')};
        book.AppendRow(texts);
        book.AppendRow({"a", "", "c"});
        WriteFile(dir.filePath("a.xls"), book.Save());
        const TSheetDump dump = ReadBack(dir.filePath("a.xls"));
        QCOMPARE(dump.Rows.size(), 3);
        QCOMPARE(dump.Rows[0], (QStringList{"日期", "类别", "项目", "金额", "备注"}));
        QCOMPARE(dump.Rows[1], texts);
        QCOMPARE(dump.Rows[2].mid(0, 3), (QStringList{"a", "", "c"}));
        // The template's look survives: its face and column widths.
        QCOMPARE(dump.Font, QStringLiteral("宋体"));
        WriteFile(dir.filePath("template.xls"), ReadFile(Templates + "/pondo.xls")); // for python
        QCOMPARE(dump.Widths, ReadBack(dir.filePath("template.xls")).Widths);
        QVERIFY(dump.Widths[4] > dump.Widths[0]);
        // A saved workbook opens again and appends below its own rows.
        TclsWorkbook again(ReadFile(dir.filePath("a.xls")), "Sheet1");
        QCOMPARE(again.UsedRows(), 3);
    }

    void workbookOfAnotherProgram()
    {
        QTemporaryDir dir;
        TclsWorkbook book(ReadFile(Fixtures + "/calc-sheet1.xls"), "Sheet1");
        QCOMPARE(book.Columns(), (QStringList{"日期", "类别", "项目", "金额", "备注"}));
        QCOMPARE(book.UsedRows(), 2);
        book.AppendRow({"2026-06-01", "支出", "午饭", "5.00", "新行"});
        WriteFile(dir.filePath("b.xls"), book.Save());
        const TSheetDump dump = ReadBack(dir.filePath("b.xls"));
        QCOMPARE(dump.Rows.size(), 3);
        QCOMPARE(dump.Rows[1].value(4), QStringLiteral("旧行"));
        QCOMPARE(dump.Rows[1].value(3), QStringLiteral("3.5"));
        QCOMPARE(dump.Rows[2], (QStringList{"2026-06-01", "支出", "午饭", "5.00", "新行"}));
    }

    void sheetsAroundTheTarget()
    {
        // Sheet1 between two others, its header strings late in a shared
        // string table that runs on over CONTINUE records.
        QTemporaryDir dir;
        TclsWorkbook book(ReadFile(Fixtures + "/calc-three-sheets.xls"), "Sheet1");
        QCOMPARE(book.Columns(), (QStringList{"日期", "类别", "项目", "金额", "备注"}));
        for (int i = 0; i < 100; ++i)
            book.AppendRow({"2026-06-01", "支出", QString::number(i), "5.00", "新行"});
        WriteFile(dir.filePath("d.xls"), book.Save());
        const TSheetDump target = ReadBack(dir.filePath("d.xls"));
        QCOMPARE(target.Rows.size(), 102);
        QCOMPARE(target.Rows[1].value(4), QStringLiteral("旧行"));
        QCOMPARE(target.Rows.last().value(2), QStringLiteral("99"));
        const TSheetDump before = ReadBack(dir.filePath("d.xls"), "Data");
        QCOMPARE(before.Rows.size(), 400);
        QCOMPARE(before.Rows.last().value(0),
                 QStringLiteral("前表第0399行的一段文字，使共享字符串表超过一个记录"));
        QCOMPARE(ReadBack(dir.filePath("d.xls"), "After").Rows, (QList<QStringList>{{"后表", "保持不变"}}));
    }

    void refusedInputs()
    {
        QVERIFY(Error([] {
                    TclsWorkbook(QByteArray("not a workbook at all"), "Sheet1");
                }).contains("不是 Excel 97-2003"));
        QByteArray damaged = ReadFile(Templates + "/pondo.xls");
        damaged.truncate(1200);
        QVERIFY(!Error([&] { TclsWorkbook(damaged, "Sheet1"); }).isEmpty());
        QCOMPARE(Error([] { TclsWorkbook(ReadFile(Fixtures + "/calc-other.xls"), "Sheet1"); }),
                 QStringLiteral("工作簿中没有工作表“Sheet1”。"));
        QTemporaryDir dir;
        TclsExcelConnection connection;
        connection.Open("Extended Properties=Excel 8.0;Data Source=" + dir.filePath("c.xls"),
                        Templates + "/pondo.xls");
        QCOMPARE(Error([&] { connection.Execute("insert into [Sheet1$] (日期,金钱) values ('a','b')"); }),
                 QStringLiteral("工作表“Sheet1”的第一行中没有列“金钱”。"));
        QVERIFY(Error([&] {
                    connection.Execute("insert into [Sheet1$] (日期) values ('a");
                }).startsWith("无法执行语句"));
        QVERIFY(!QFile::exists(dir.filePath("c.xls")));
        // Apostrophes doubled in the statement arrive single.
        const auto insert = TclsExcelConnection::ParseInsert("insert into [Sheet1$] (日期, 项目) values ('" +
                                                             QuoteSql("it's") + "' , '''')");
        QCOMPARE(insert.Table, QStringLiteral("Sheet1"));
        QCOMPARE(insert.Columns, (QStringList{"日期", "项目"}));
        QCOMPARE(insert.Values, (QStringList{"it's", "'"}));
    }

    void largeWorkbookAndRowLimit()
    {
        QTemporaryDir dir;
        TclsWorkbook book(ReadFile(Templates + "/pondo.xls"), "Sheet1");
        const QString memo = QString(60, QChar(0x4E2D));
        for (int i = 0; i < 40000; ++i)
            book.AppendRow({QString::number(i), "支出", "项目" + QString::number(i), "1.00", memo});
        const QByteArray saved = book.Save();
        QVERIFY(saved.size() > 109 * 128 * 512); // more FAT sectors than the header lists
        WriteFile(dir.filePath("big.xls"), saved);
        const TSheetDump dump = ReadBack(dir.filePath("big.xls"));
        QCOMPARE(dump.Rows.size(), 40001);
        QCOMPARE(dump.Rows.last(), (QStringList{"39999", "支出", "项目39999", "1.00", memo}));
        TclsWorkbook full(saved, "Sheet1");
        for (int i = full.UsedRows(); i < 65536; ++i)
            full.AppendRow({"x"});
        QVERIFY(Error([&] { full.AppendRow({"x"}); }).contains("65536"));
    }

    // A range with more rows than a worksheet holds is refused before the
    // file question, saying what to do; one that just fits is exported whole.
    void rangeLongerThanAWorksheet()
    {
        TMainFixture f;
        const int room =
            TclsWorkbook::MaxRows - TclsWorkbook(ReadFile(Templates + "/pondo2.xls"), "Sheet1").UsedRows();
        QCOMPARE(TclsWorkbook(ReadFile(Templates + "/pondo.xls"), "Sheet1").UsedRows(),
                 TclsWorkbook::MaxRows - room);
        // Layout II has three summary rows, layout I four.
        const int records = room - 3;
        QStringList dates, names, moneys, memos;
        for (int i = 0; i < records; ++i) {
            dates << QDate(2026, 1, 1).addDays(i % 365).toString(Qt::ISODate);
            names << "早饭";
            moneys << "1.00";
            memos << QString();
        }
        TclsDatabaseUser(f.Db.File()).AddRecords(f.User, "支出", dates, names, moneys, memos);
        f.Find<QDateEdit>("dtpInAndOut_Date1")->setDate(QDate(2026, 1, 1));
        f.Find<QDateEdit>("dtpInAndOut_Date2")->setDate(QDate(2026, 12, 31));
        QTemporaryDir dir;
        {
            TModalAnswerer answers;
            Export(f, "mnuInAndOut_More_SaveAsExcel_1", dir.filePath("one.xls"), answers);
            QCOMPARE(answers.Seen.size(), 1);
            QCOMPARE(answers.Seen[0].Icon, QMessageBox::Warning);
            QVERIFY2(
                answers.Seen[0].Text.startsWith(QStringLiteral("所选时间段的报表共 %1 行").arg(room + 1)),
                qPrintable(answers.Seen[0].Text));
            QVERIFY(answers.Seen[0].Text.contains(QStringLiteral("导出为文本文件")));
        }
        QVERIFY(!QFile::exists(dir.filePath("one.xls")));
        {
            TModalAnswerer answers;
            Export(f, "mnuInAndOut_More_SaveAsExcel_2", dir.filePath("two.xls"), answers);
            QCOMPARE(answers.Texts().value(0).left(5), QStringLiteral("导出成功！"));
        }
        QCOMPARE(TclsWorkbook(ReadFile(dir.filePath("two.xls")), "Sheet1").UsedRows(), TclsWorkbook::MaxRows);
    }

    void exportBothLayouts()
    {
        TMainFixture f;
        Sample(f);
        QTemporaryDir dir;
        const QString name = dir.filePath("export");
        {
            TModalAnswerer answers;
            Export(f, "mnuInAndOut_More_SaveAsExcel_1", name, answers);
            QCOMPARE(answers.Texts(), QStringList{"导出成功！\r\n\r\n文件保存位置：\r\n" + name + ".xls"});
        }
        ReportRows rows = Rows(f, false);
        TSheetDump dump = ReadBack(name + ".xls");
        QCOMPARE(dump.Rows.size(), 1 + 3 + 4);
        QCOMPARE(dump.Rows[0], (QStringList{"日期", "类别", "项目", "金额", "备注"}));
        for (int r = 0; r < rows[0].size(); ++r)
            for (int c = 0; c < 5; ++c)
                QCOMPARE(Base64::ToGB18030(dump.Rows[r + 1][c]), rows[c][r]);
        QCOMPARE(dump.Rows[1][0], QStringLiteral("2026-06-01    "));
        QCOMPARE(dump.Rows[1][2].trimmed(), QStringLiteral("Tom's 早饭"));
        QCOMPARE(dump.Rows[1][4].trimmed(), QStringLiteral("it's 'quoted'"));
        QVERIFY(dump.Rows[2][4].startsWith("😀 表情"));
        QCOMPARE(dump.Rows[1][3], QStringLiteral("3.50            ")); // left-aligned here

        // Layout II over the same file: asked, and no row of the first remains.
        {
            TModalAnswerer answers({QMessageBox::Yes});
            Export(f, "mnuInAndOut_More_SaveAsExcel_2", name + ".XLS", answers);
            QCOMPARE(answers.Texts().size(), 1); // ".XLS" is another file here
        }
        {
            TModalAnswerer answers({QMessageBox::Yes});
            Export(f, "mnuInAndOut_More_SaveAsExcel_2", name + ".xls", answers);
            QCOMPARE(answers.Texts().value(0), QStringLiteral("有同名文件存在，您想覆盖它吗？"));
            QCOMPARE(answers.Texts().size(), 2);
        }
        rows = Rows(f, true);
        // Kept for a look in a spreadsheet program.
        QDir().mkpath(LUMORA_BINARY_DIR "/screenshots");
        QFile::remove(LUMORA_BINARY_DIR "/screenshots/export-layout2.xls");
        QFile::copy(name + ".xls", LUMORA_BINARY_DIR "/screenshots/export-layout2.xls");
        dump = ReadBack(name + ".xls");
        QCOMPARE(dump.Rows.size(), 1 + 3 + 3);
        QCOMPARE(dump.Rows[0], (QStringList{"日期", "项目", "收入", "支出", "备注"}));
        for (int r = 0; r < rows[0].size(); ++r)
            for (int c = 0; c < 5; ++c)
                QCOMPARE(Base64::ToGB18030(dump.Rows[r + 1][c]), rows[c][r]);
        QCOMPARE(dump.Rows[1][2], QString(16, ' '));
        QCOMPARE(dump.Rows[1][3], QStringLiteral("        3.50    "));
    }

    // The templates are the program's own: a workbook planted in the shared
    // Database/ folder (any member may write it) changes no export.
    void plantedTemplatesChangeNothing()
    {
        TMainFixture f;
        const QString shared = QCoreApplication::applicationDirPath() + "/Database";
        QVERIFY(QDir().mkpath(shared));
        auto clean = qScopeGuard([&] {
            QFile::remove(shared + "/pondo.xls");
            QDir().rmdir(shared);
            TfrmMain::SetTemplateFolder(Templates);
        });
        TclsWorkbook planted(ReadFile(Templates + "/pondo.xls"), "Sheet1");
        planted.AppendRow({"=HYPERLINK(\"http://example.com/\"&A1)"});
        WriteFile(shared + "/pondo.xls", planted.Save());
        TfrmMain::SetTemplateFolder(QString()); // the program's own choice
        QTemporaryDir dir;
        const QString file = dir.filePath("out.xls");
        TModalAnswerer answers;
        Export(f, "mnuInAndOut_More_SaveAsExcel_1", file, answers);
        const TSheetDump dump = ReadBack(file);
        QVERIFY(!dump.Rows.isEmpty());
        for (const QStringList &row : dump.Rows)
            QVERIFY2(!row.join("").contains("HYPERLINK"), qPrintable(row.join("|")));
    }

    void emptyRangeAndFailures()
    {
        TMainFixture f;
        f.Find<QDateEdit>("dtpInAndOut_Date1")->setDate(QDate(2026, 1, 1));
        f.Find<QDateEdit>("dtpInAndOut_Date2")->setDate(QDate(2026, 1, 1));
        QTemporaryDir dir;
        const QString file = dir.filePath("empty.xls");
        {
            TModalAnswerer answers;
            Export(f, "mnuInAndOut_More_SaveAsExcel_2", file, answers);
        }
        const TSheetDump dump = ReadBack(file);
        QCOMPARE(dump.Rows.size(), 1 + 3);
        QCOMPARE(dump.Rows[1].join(""), QString(120, ' '));
        QCOMPARE(dump.Rows[2][1].trimmed(), QStringLiteral("合计"));
        QCOMPARE(dump.Rows[3][1].trimmed(), QStringLiteral("结余"));

        // A broken template fails the export: the earlier file stays whole,
        // no success is claimed.
        QTemporaryDir templates;
        QFile::copy(Templates + "/pondo2.xls", templates.filePath("pondo2.xls"));
        WriteFile(templates.filePath("pondo.xls"), "broken");
        TfrmMain::SetTemplateFolder(templates.path());
        const QByteArray before = ReadFile(file);
        {
            TModalAnswerer answers({QMessageBox::Yes});
            Export(f, "mnuInAndOut_More_SaveAsExcel_1", file, answers);
            QCOMPARE(answers.Seen.size(), 2);
            QCOMPARE(answers.Seen[1].Icon, QMessageBox::Critical);
            QVERIFY(answers.Seen[1].Text.contains("不是 Excel 97-2003"));
        }
        QFile::remove(templates.filePath("pondo.xls"));
        {
            TModalAnswerer answers({QMessageBox::Yes});
            Export(f, "mnuInAndOut_More_SaveAsExcel_1", file, answers);
            QCOMPARE(answers.Seen.size(), 2);
            QVERIFY(answers.Seen[1].Text.contains("pondo.xls"));
        }
        TfrmMain::SetTemplateFolder(Templates);
        QCOMPARE(ReadFile(file), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"empty.xls"});
    }
};

QTEST_MAIN(TestExcel)
#include "test_excel.moc"
