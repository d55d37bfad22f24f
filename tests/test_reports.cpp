// Report rows, the text export, the printed reports and the print preview.
#include "app/unt_frmMain.h"
#include "data/unt_clsBase64.h"
#include "data/unt_clsDatabaseUser.h"
#include "reports/unt_frmPreview.h"
#include "reports/unt_qrEngine.h"
#include "reports/unt_reportRows.h"
#include "reports/unt_reportSource.h"
#include "tests/support/unt_testDb.h"
#include "tests/support/unt_testGui.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPrintDialog>
#include <QProcess>
#include <QToolButton>
#include <QtTest>

using namespace ReportRowsBuilder;

namespace
{

QByteArray G(const QString &Text)
{
    return Base64::ToGB18030(Text);
}

// A store answer for one day and the given records (type, name, amount, memo).
struct TAnswer {
    QList<QStringList> Rows;
    void Add(const QString &Type, const QString &Name, const QString &Money, const QString &Memo)
    {
        Rows << QStringList{"2026-03-05", Type, Name, Money, Memo};
    }
    TRangeRecords Range(const QDate &From, const QDate &To) const { return MakeRange(From, To, Rows); }
};

void CheckWidths(const ReportRows &Rows, const std::array<int, 5> &Widths)
{
    for (qsizetype i = 0; i < Rows[0].size(); ++i) {
        for (int c = 0; c < 5; ++c)
            QCOMPARE(Rows[c][i].size(), Widths[c]);
        QCOMPARE(JoinRow(Rows, i).size(), 120);
    }
}

void Records(const TMainFixture &F, int Count, const QDate &Day = QDate(2026, 6, 1))
{
    QStringList dates, names, moneys, memos;
    for (int i = 0; i < Count; ++i) {
        dates << Day.toString(Qt::ISODate);
        names << "早饭";
        moneys << "3.50";
        memos << QString();
    }
    TclsDatabaseUser(F.Db.File()).AddRecords(F.User, "支出", dates, names, moneys, memos);
    F.Find<QDateEdit>("dtpInAndOut_Date1")->setDate(Day);
    F.Find<QDateEdit>("dtpInAndOut_Date2")->setDate(Day);
}

void Trigger(const TMainFixture &F, const QString &Item)
{
    QAction *action = F.Main->MoreMenu()->findChild<QAction *>(Item);
    QVERIFY(action && action->isEnabled());
    action->trigger();
}

// The lines of a text export without their CR LF; empty when any line,
// the last included, lacks either.
QList<QByteArray> CrLfLines(const QByteArray &Text)
{
    QList<QByteArray> lines = Text.split('\n');
    if (!Text.endsWith("\r\n"))
        return {};
    lines.removeLast();
    for (QByteArray &line : lines) {
        if (!line.endsWith('\r'))
            return {};
        line.chop(1);
    }
    return lines;
}

QByteArray ReadFile(const QString &Name)
{
    QFile file(Name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString PdfText(const QString &Pdf)
{
    QProcess pdftotext;
    pdftotext.start("pdftotext", {"-layout", Pdf, "-"});
    pdftotext.waitForFinished(30000);
    return QString::fromUtf8(pdftotext.readAllStandardOutput());
}

// Accepts the printer dialog, printing to a PDF file (or cancels it).
void AnswerPrintDialog(QWidget *Dialog, const QString &Pdf, int From = 0, int To = 0)
{
    auto *print = qobject_cast<QPrintDialog *>(Dialog);
    if (!print) {
        Dialog->close();
        return;
    }
    if (Pdf.isEmpty()) {
        print->reject();
        return;
    }
    // done() rather than accept(): the dialog's own widgets would put back
    // their settings over the ones chosen here.
    print->printer()->setOutputFormat(QPrinter::PdfFormat);
    print->printer()->setOutputFileName(Pdf);
    print->printer()->setPageOrientation(QPageLayout::Landscape);
    if (From > 0) {
        print->printer()->setPrintRange(QPrinter::PageRange);
        print->printer()->setFromTo(From, To);
    }
    print->done(QDialog::Accepted);
}

} // namespace

class TestReports : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase()
    {
        UsePrivateRuntimeDir();
        ApplyTestFont();
    }

    void cellsPadAndCutByBytes()
    {
        QCOMPARE(Pad("ab", 4), QByteArray("ab  "));
        QCOMPARE(Pad(G("早饭"), 4), G("早饭"));
        // A cut inside a two-byte character keeps the width with a space.
        QCOMPARE(Pad(G("a早饭"), 4), G("a早") + " ");
        // An emoji is four bytes; a cut through it leaves spaces, never a part.
        QCOMPARE(Pad(G("a😀"), 3), QByteArray("a  "));
        QCOMPARE(Pad(G("a😀b"), 6), G("a😀b"));
        QCOMPARE(RightAmount("5.00"), QByteArray(8, ' ') + "5.00" + "    ");
        QCOMPARE(RightAmount("  "), QByteArray(16, ' '));
        // Too long for the column: every digit kept, or plainly overflowed.
        // Wide amounts keep every digit and one space before the next column.
        QCOMPARE(RightAmount("1000000000.00"), QByteArray("  1000000000.00 "));
        QCOMPARE(RightAmount("-100000000000.00"), QByteArray("-100000000000.00 "));
        QCOMPARE(RightAmount("123456789012345.00"), QByteArray("123456789012345.00 "));
        QCOMPARE(PeriodText(QDate(2007, 1, 1), QDate(2007, 1, 31)), G("2007-01-01至2007-01-31  31天"));
        QCOMPARE(PeriodText(QDate(2007, 1, 1), QDate(2007, 1, 1)), G("2007-01-01至2007-01-01  1天"));
    }

    void bothLayoutsFromRecords()
    {
        TAnswer a;
        a.Add("支出", "一二三四五六七八九十一", "12.50", QString(70, 'm'));
        a.Add("收入", "工资", "3000.00", "a" + QString(29, QChar(0x4E2D)));
        a.Add("支出", "咖啡", "4.00", "☕😀 it's");
        ReportRows rows = BuildRows1(a.Range(QDate(2026, 3, 5), QDate(2026, 3, 6)));
        QCOMPARE(rows[0].size(), 3 + 4);
        CheckWidths(rows, Widths1);
        QCOMPARE(rows[0][0], QByteArray("2026-03-05    "));
        QCOMPARE(rows[1][0], G("支出    "));
        // The category is cut to 20 bytes, then padded to 24.
        QCOMPARE(rows[2][0], G("一二三四五六七八九十") + "    ");
        QCOMPARE(rows[3][1], QByteArray("3000.00         "));
        QCOMPARE(rows[4][0], QByteArray(58, 'm'));
        QCOMPARE(rows[4][1], G("a" + QString(28, QChar(0x4E2D))) + " ");
        QCOMPARE(rows[4][2], G("☕😀 it's") + QByteArray(58 - G("☕😀 it's").size(), ' '));
        QCOMPARE(JoinRow(rows, 3), QByteArray(120, ' '));
        QCOMPARE(rows[2][4], G("支出合计") + QByteArray(16, ' '));
        QCOMPARE(rows[3][4], QByteArray("16.50           "));
        QCOMPARE(rows[3][5], QByteArray("3000.00         "));
        QCOMPARE(rows[3][6], QByteArray("2983.50         "));
        QCOMPARE(rows[4][6], Pad(G("2026-03-05至2026-03-06  2天"), 58));

        ConvertRows2(rows);
        QCOMPARE(rows[0].size(), 3 + 3);
        CheckWidths(rows, Widths2);
        // Expense: blank income column; income: blank expense column.
        QCOMPARE(rows[1][0], G("一二三四五六七八九十") + "    ");
        QCOMPARE(rows[2][0], QByteArray(16, ' '));
        QCOMPARE(rows[3][0], QByteArray("       12.50    "));
        QCOMPARE(rows[2][1], QByteArray("     3000.00    "));
        QCOMPARE(rows[3][1], QByteArray(16, ' '));
        QCOMPARE(rows[4][0], QByteArray(50, 'm'));
        QCOMPARE(JoinRow(rows, 3), QByteArray(120, ' '));
        QCOMPARE(rows[1][4], G("合计") + QByteArray(20, ' '));
        QCOMPARE(rows[2][4], QByteArray("     3000.00    "));
        QCOMPARE(rows[3][4], QByteArray("       16.50    "));
        QCOMPARE(rows[1][5], G("结余") + QByteArray(20, ' '));
        QCOMPARE(rows[2][5], QByteArray("     2983.50    "));
        QCOMPARE(rows[3][5], QByteArray(16, ' '));
        QCOMPARE(rows[4][5], Pad(G("2026-03-05至2026-03-06  2天"), 50));
    }

    // A memo with line breaks stays on its line; wide amounts and totals keep
    // a space on both sides and every line stays 120 bytes.
    void memoBreaksAndWideAmounts()
    {
        TAnswer a;
        a.Add("支出", "房", "99999999999.99", "第一行\n第二行\r\n第三行" + QString(60, 'm'));
        a.Add("支出", "车", "99999999999.99", "x");
        a.Add("收入", "奖", "5.00", "y");
        ReportRows rows = BuildRows1(a.Range(QDate(2026, 3, 5), QDate(2026, 3, 5)));
        QVERIFY(!rows[4][0].contains('\n') && !rows[4][0].contains('\r'));
        QVERIFY(rows[4][0].startsWith(G("第一行 第二行 第三行")));
        AlignAmounts1(rows);
        for (qsizetype i = 0; i < rows[0].size(); ++i) {
            const QByteArray line = JoinRow(rows, i);
            QCOMPARE(line.size(), 120);
            const QByteArray amount = rows[3][i].trimmed();
            if (amount.isEmpty())
                continue;
            const qsizetype at = line.indexOf(amount, 46);
            QVERIFY2(line[at - 1] == ' ' && line[at + amount.size()] == ' ', line.constData());
        }
        ConvertRows2(rows);
        for (qsizetype i = 0; i < rows[0].size(); ++i) {
            const QByteArray line = JoinRow(rows, i);
            QCOMPARE(line.size(), 120);
            for (int c : {2, 3}) {
                const QByteArray amount = rows[c][i].trimmed();
                if (amount.isEmpty())
                    continue;
                const qsizetype at = line.indexOf(amount, 38);
                QVERIFY2(line[at - 1] == ' ' && line[at + amount.size()] == ' ', line.constData());
            }
        }
    }

    void emptyRangeAndNegativeBalance()
    {
        TAnswer a;
        ReportRows empty = BuildRows1(a.Range(QDate(2026, 3, 5), QDate(2026, 3, 5)));
        QCOMPARE(empty[0].size(), 4);
        CheckWidths(empty, Widths1);
        for (int i = 1; i < 4; ++i)
            QCOMPARE(empty[3][i], QByteArray("0.00            "));
        ConvertRows2(empty);
        QCOMPARE(empty[0].size(), 3);
        CheckWidths(empty, Widths2);
        QVERIFY(JoinRow(empty, 1).startsWith(QByteArray(14, ' ') + G("合计")));
        QVERIFY(JoinRow(empty, 2).startsWith(QByteArray(14, ' ') + G("结余")));

        TAnswer b;
        b.Add("支出", "房租", "900.00", "");
        ReportRows rows = BuildRows1(b.Range(QDate(2026, 3, 5), QDate(2026, 3, 5)));
        QCOMPARE(rows[3][4], QByteArray("-900.00         "));
        ConvertRows2(rows);
        QCOMPARE(rows[2][3], QByteArray("     -900.00    "));
    }

    // The outputs take their rows one at a time; each must be the row the
    // whole-range functions make, in every layout, also for a record of a
    // type that is neither expense nor income (such a row whose item names
    // an income hands its amount to the row before in layout II).
    void rowsOneAtATimeMatchWholeRanges()
    {
        TAnswer a;
        a.Add("支出", "早饭", "3.50", "豆浆");
        a.Add("收入", "工资", "99999999999.99", "第一行\n第二行" + QString(60, 'm'));
        a.Add("支出", "房", "12.00", "");
        a.Add("转账", "收入合计", "7.00", "x"); // hands 7.00 to the row before
        a.Add("转账", "支出合计", "8.00", "y");
        a.Add("收入", "奖", "5.00", QString(30, QChar(0x4E2D)));
        const TRangeRecords records = a.Range(QDate(2026, 3, 5), QDate(2026, 3, 5));
        const ReportRows rows1 = BuildRows1(records);
        ReportRows aligned1 = rows1, rows2 = rows1;
        AlignAmounts1(aligned1);
        ConvertRows2(rows2);
        QVERIFY(rows2[2][2].contains("7.00")); // the hand-over took place
        const std::pair<TReportLayout, const ReportRows *> layouts[] = {{TReportLayout::Rows1, &rows1},
                                                                        {TReportLayout::Aligned1, &aligned1},
                                                                        {TReportLayout::Layout2, &rows2}};
        for (const auto &[layout, whole] : layouts) {
            const TReportSource source(records, layout);
            QCOMPARE(source.Count(), (*whole)[0].size());
            for (qsizetype i = 0; i < source.Count(); ++i) {
                const std::array<QByteArray, 5> row = source.Row(i);
                for (int c = 0; c < 5; ++c)
                    QCOMPARE(row[c], (*whole)[c][i]);
                QCOMPARE(source.Line(i), JoinRow(*whole, i));
            }
        }
    }

    void headerLines()
    {
        const QByteArray h1 = Header1(), h2 = Header2();
        QCOMPARE(h1.size(), 120);
        QCOMPARE(h2.size(), 120);
        QCOMPARE(h1.mid(54, 4), G("金额")); // bytes 55 to 58
        QCOMPARE(h2.mid(46, 4), G("收入"));
        QCOMPARE(h2.mid(62, 4), G("支出"));
        QCOMPARE(h1.mid(58, 4), QByteArray(4, ' '));
    }

    void textFileBytes()
    {
        TMainFixture f;
        TclsDatabaseUser(f.Db.File())
            .AddRecords(f.User, "支出", {"2026-06-01", "2026-06-02"}, {"早饭", "书"}, {"3.50", "45.00"},
                        {"豆浆", "it's 😀"});
        TclsDatabaseUser(f.Db.File()).AddRecords(f.User, "收入", {"2026-06-02"}, {"工资"}, {"100.00"}, {""});
        f.Find<QDateEdit>("dtpInAndOut_Date1")->setDate(QDate(2026, 6, 1));
        f.Find<QDateEdit>("dtpInAndOut_Date2")->setDate(QDate(2026, 6, 3));
        const QString name = f.Db.Dir() + "/report";
        {
            TModalAnswerer answers;
            answers.OnDialog = [&](QWidget *w) { AnswerSaveDialog(w, name); };
            Trigger(f, "mnuInAndOut_More_SaveAsTxt_1");
            QCOMPARE(answers.Texts(), QStringList{"导出成功！\r\n\r\n文件保存位置：\r\n" + name + ".txt"});
            QCOMPARE(answers.Seen[0].Icon, QMessageBox::Information);
        }
        const QList<QByteArray> lines = CrLfLines(ReadFile(name + ".txt"));
        QCOMPARE(lines.size(), 3 + 6);
        for (const QByteArray &line : lines)
            QCOMPARE(line.size(), 120);
        QCOMPARE(lines[0].mid(54, 4), G("金额"));
        QCOMPARE(lines[1], QByteArray(120, '-'));
        // A five-byte amount ends at byte 58, with spaces before and after.
        QCOMPARE(lines[2].mid(46, 16), QByteArray(8, ' ') + "3.50    ");
        QCOMPARE(lines[3].mid(53, 5), QByteArray("45.00"));
        QCOMPARE(lines[3].mid(46, 7), QByteArray(7, ' '));
        QVERIFY(lines[3].contains(G("it's 😀")));
        QCOMPARE(lines[5], QByteArray(120, ' '));
        QVERIFY(lines[8].contains(G("结余合计")));

        // Layout II into the same name: asked, answered Yes, wholly replaced.
        {
            TModalAnswerer answers({QMessageBox::Yes});
            answers.OnDialog = [&](QWidget *w) { AnswerSaveDialog(w, name + ".txt"); };
            Trigger(f, "mnuInAndOut_More_SaveAsTxt_2");
            QCOMPARE(answers.Texts().value(0), "有同名文件存在，您想覆盖它吗？");
            QCOMPARE(answers.Seen[0].Icon, QMessageBox::Question);
        }
        const QList<QByteArray> lines2 = CrLfLines(ReadFile(name + ".txt"));
        QCOMPARE(lines2.size(), 3 + 5);
        QCOMPARE(lines2[0].mid(46, 4), G("收入"));
        QCOMPARE(lines2[2].mid(38, 16), QByteArray(16, ' ')); // an expense: no income
        QCOMPARE(lines2[4].mid(54, 16), QByteArray(16, ' ')); // an income: no expense
        for (const QByteArray &line : lines2)
            QCOMPARE(line.size(), 120);

        // Declining the overwrite keeps the file; ".TxT" is kept as typed,
        // ".txt.bak" gets ".txt" added.
        {
            TModalAnswerer answers({QMessageBox::No});
            answers.OnDialog = [&](QWidget *w) { AnswerSaveDialog(w, name + ".txt"); };
            Trigger(f, "mnuInAndOut_More_SaveAsTxt_1");
            QCOMPARE(answers.Texts(), QStringList{"有同名文件存在，您想覆盖它吗？"});
        }
        QCOMPARE(ReadFile(name + ".txt").count('\n'), 8);
        {
            TModalAnswerer answers;
            answers.OnDialog = [&](QWidget *w) { AnswerSaveDialog(w, name + ".txt.bak"); };
            Trigger(f, "mnuInAndOut_More_SaveAsTxt_1");
        }
        QVERIFY(QFile::exists(name + ".txt.bak.txt"));
        {
            TModalAnswerer answers;
            answers.OnDialog = [&](QWidget *w) { AnswerSaveDialog(w, name + ".TxT"); };
            Trigger(f, "mnuInAndOut_More_SaveAsTxt_1");
            QCOMPARE(answers.Seen.size(), 1);
        }
        QCOMPARE(CrLfLines(ReadFile(name + ".TxT")).size(), 9);
    }

    void textExportFailuresKeepFiles()
    {
        TMainFixture f;
        Records(f, 3);
        // Cancelled dialog and a reversed range: nothing written, nothing said
        // but the range warning.
        {
            TModalAnswerer answers;
            answers.OnDialog = [](QWidget *w) { static_cast<QDialog *>(w)->reject(); };
            Trigger(f, "mnuInAndOut_More_SaveAsTxt_1");
            QVERIFY(answers.Seen.isEmpty());
            f.Find<QDateEdit>("dtpInAndOut_Date1")->setDate(QDate(2026, 6, 2));
            Trigger(f, "mnuInAndOut_More_SaveAsTxt_1");
            QCOMPARE(answers.Texts(), QStringList{"查看起始日期不能大于截止日期！"});
            f.Find<QDateEdit>("dtpInAndOut_Date1")->setDate(QDate(2026, 6, 1));
        }
        {
            TModalAnswerer answers;
            answers.OnDialog = [&](QWidget *w) { AnswerSaveDialog(w, f.Db.Dir() + "/missing/r.txt"); };
            Trigger(f, "mnuInAndOut_More_SaveAsTxt_1");
            QCOMPARE(answers.Texts().size(), 1);
            QCOMPARE(answers.Seen[0].Icon, QMessageBox::Critical);
            QVERIFY2(answers.Seen[0].Text.contains("missing/r.txt"), qPrintable(answers.Seen[0].Text));
        }
        TSmallDisk disk(64);
        if (!disk.Ok)
            QSKIP("mounting a tmpfs is not permitted here");
        const QString target = disk.Dir() + "/old.txt";
        {
            QFile old(target);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("earlier export");
        }
        Records(f, 600, QDate(2026, 6, 5));
        disk.Fill(8 * 1024);
        {
            TModalAnswerer answers({QMessageBox::Yes});
            answers.OnDialog = [&](QWidget *w) { AnswerSaveDialog(w, target); };
            Trigger(f, "mnuInAndOut_More_SaveAsTxt_1");
            QCOMPARE(answers.Seen.size(), 2);
            QCOMPARE(answers.Seen[1].Icon, QMessageBox::Critical);
        }
        QCOMPARE(ReadFile(target), QByteArray("earlier export"));
        QCOMPARE(QDir(disk.Dir()).entryList(QDir::Files | QDir::Hidden).size(), 2); // old.txt and the filler
    }

    // A full disk must fail the export visibly and keep the old file, both for
    // an export that fits Qt's write buffer (the error shows only at flush)
    // and a larger one, text and Excel alike; also for a text file that runs
    // out of room pieces after its start.
    void fullDiskFailsEveryExport_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("diskKb");
        QTest::addColumn<int>("freeKb");
        QTest::newRow("text under the buffer") << "mnuInAndOut_More_SaveAsTxt_1"
                                               << "txt" << 45 << 64 << 4;
        QTest::newRow("text over the buffer") << "mnuInAndOut_More_SaveAsTxt_2"
                                              << "txt" << 300 << 64 << 4;
        QTest::newRow("text of many pieces") << "mnuInAndOut_More_SaveAsTxt_1"
                                             << "txt" << 6000 << 1024 << 400;
        QTest::newRow("Excel under the buffer") << "mnuInAndOut_More_SaveAsExcel_1"
                                                << "xls" << 3 << 64 << 4;
        QTest::newRow("Excel over the buffer") << "mnuInAndOut_More_SaveAsExcel_2"
                                               << "xls" << 300 << 64 << 4;
    }

    void fullDiskFailsEveryExport()
    {
        QFETCH(QString, item);
        QFETCH(QString, extension);
        QFETCH(int, records);
        QFETCH(int, diskKb);
        QFETCH(int, freeKb);
        TfrmMain::SetTemplateFolder(QStringLiteral(":/templates"));
        TMainFixture f;
        TSmallDisk disk(diskKb);
        if (!disk.Ok)
            QSKIP("mounting a tmpfs is not permitted here");
        const QString target = disk.Dir() + "/keep." + extension;
        const QByteArray old(3000, 'k');
        {
            QFile file(target);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(old);
        }
        Records(f, records);
        disk.Fill(freeKb * 1024);
        TModalAnswerer answers({QMessageBox::Yes});
        answers.OnDialog = [&](QWidget *w) { AnswerSaveDialog(w, target); };
        Trigger(f, item);
        QCOMPARE(answers.Seen.size(), 2); // the overwrite question, then the failure
        QCOMPARE(answers.Seen[1].Icon, QMessageBox::Critical);
        QVERIFY2(answers.Seen[1].Text.contains("磁盘空间不足"), qPrintable(answers.Seen[1].Text));
        // Our words, then the system's own, never Qt's "Unknown error".
        QVERIFY2(!answers.Seen[1].Text.contains("Unknown error") &&
                     !answers.Seen[1].Text.contains("未知错误"),
                 qPrintable(answers.Seen[1].Text));
        QCOMPARE(ReadFile(target), old);
        QCOMPARE(QDir(disk.Dir()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 2);
    }

    void reportFaceKeepsColumns()
    {
        qInfo() << "report face" << ReportFace("宋体");
        const QFont font = ReportFont("宋体", 9);
        const QFontMetricsF metrics(font);
        // The grid is the digit width; the face's own glyphs fit in it.
        QVERIFY(metrics.horizontalAdvance("中") <= 2 * metrics.horizontalAdvance('0') + 0.5);
        TQRLabel label;
        label.Caption = Base64::FromGB18030(Header1());
        QCOMPARE(label.Width(), int(std::ceil(120 * metrics.horizontalAdvance('0'))));
    }

    // The last of the 120 cells is drawn whole even where the line is a few
    // pixels wider than the band (paper and preview share this painting).
    void lastColumnIsNotClipped()
    {
        TQRBand band;
        TQRLabel *label = band.CreateLabel();
        label->Caption = QString(119, ' ') + "8";
        band.Width = label->Width() - 4;
        band.Height = 40;
        TQRBand reference;
        reference.Width = band.Width;
        reference.Height = 40;
        reference.CreateLabel()->Caption = "8";
        auto inkColumns = [](const TQRBand &Band) {
            TQRPrinter printer;
            printer.Pages.append({TQRPrinter::TPlaced{&Band, 0}});
            QImage image(Band.Width + 40, 40, QImage::Format_RGB32);
            image.fill(Qt::white);
            QPainter painter(&image);
            printer.PaintPage(painter, 0);
            painter.end();
            int left = image.width(), right = -1;
            for (int x = 0; x < image.width(); ++x)
                for (int y = 0; y < image.height(); ++y)
                    if (qGray(image.pixel(x, y)) < 128) {
                        left = std::min(left, x);
                        right = std::max(right, x);
                    }
            return std::pair{left, right};
        };
        const auto [refLeft, refRight] = inkColumns(reference);
        const auto [left, right] = inkColumns(band);
        QVERIFY(right < band.Width);
        QVERIFY2(
            right - left >= refRight - refLeft - 1,
            qPrintable(QString("last glyph %1 px wide, whole %2").arg(right - left).arg(refRight - refLeft)));
    }

    void pagesAndPreview_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("pages");
        QTest::newRow("I 42") << "mnuInAndOut_More_Preview_1" << 42 << 1;
        QTest::newRow("I 43") << "mnuInAndOut_More_Preview_1" << 43 << 2;
        QTest::newRow("II 43") << "mnuInAndOut_More_Preview_2" << 43 << 1;
        QTest::newRow("I 100") << "mnuInAndOut_More_Preview_1" << 100 << 3;
        QTest::newRow("empty") << "mnuInAndOut_More_Preview_2" << 0 << 1;
    }

    void pagesAndPreview()
    {
        QFETCH(QString, item);
        QFETCH(int, records);
        QFETCH(int, pages);
        TMainFixture f;
        Records(f, records);
        QStringList labels;
        bool sawPreview = false;
        {
            TModalAnswerer answers;
            answers.OnDialog = CheckDialog<TfrmPreview>([&](TfrmPreview *preview) {
                sawPreview = true;
                QCOMPARE(preview->windowTitle(), QStringLiteral("打印预览"));
                QCOMPARE(f.Main->ActiveDialog.data(), preview);
                auto click = [&](const char *Name) {
                    QTest::mouseClick(preview->findChild<QToolButton *>(Name), Qt::LeftButton);
                    labels << preview->lblCurrentPage->text();
                };
                labels << preview->lblCurrentPage->text();
                click("btnBackPage");
                click("btnNextPage");
                click("btnTailPage");
                click("btnNextPage");
                click("btnHeadPage");
                if (pages == 3)
                    SaveShot(preview, "preview");
            });
            Trigger(f, item);
            QVERIFY(answers.Seen.isEmpty());
        }
        QVERIFY(sawPreview);
        QVERIFY(!f.Main->ActiveDialog);
        const QString of = QStringLiteral(" / 共 %1 页").arg(pages);
        const QString next = QStringLiteral("第 %1 页").arg(std::min(2, pages)) + of;
        const QString last = QStringLiteral("第 %1 页").arg(pages) + of;
        const QString first = "第 1 页" + of;
        QCOMPARE(labels, (QStringList{first, first, next, last, last, first}));
        QCOMPARE(f.Main->g_objReports.size(), pages);
        QCOMPARE(f.Main->g_objCompositeReport->QRPrinter()->PageCount(), pages);
        const TQRBand *band = f.Main->g_objReports.last()->DetailBand();
        QCOMPARE(band->Labels().size(), size_t(50));
        QCOMPARE(band->Labels()[49]->Caption, QStringLiteral("第 %1 页").arg(pages));
        QCOMPARE(band->Labels()[49]->Left, (band->Width + 1 - band->Labels()[49]->Width()) / 2);
        if (records == 43 && pages == 2) {
            // The second page holds only the last summary row below the header.
            QVERIFY(band->Labels()[3]->Text().contains("结余合计"));
            QVERIFY(band->Labels()[4]->Text().isEmpty());
            QCOMPARE(band->Labels()[1]->Caption, Base64::FromGB18030(Header1()));
        }
    }

    void printToPdf()
    {
        TMainFixture f;
        Records(f, 43);
        const QString pdf = f.Db.Dir() + "/report.pdf";
        {
            TModalAnswerer answers;
            answers.OnDialog = [&](QWidget *w) { AnswerPrintDialog(w, QString()); };
            Trigger(f, "mnuInAndOut_More_Print_1");
            QVERIFY(answers.Seen.isEmpty());
        }
        QVERIFY(!QFile::exists(pdf));
        {
            TModalAnswerer answers;
            answers.OnDialog = [&](QWidget *w) { AnswerPrintDialog(w, pdf); };
            Trigger(f, "mnuInAndOut_More_Print_1");
            QVERIFY(answers.Seen.isEmpty());
        }
        const QString text = PdfText(pdf);
        QCOMPARE(text.count("Lumora"), 2);
        QVERIFY(text.contains("第 1 页"));
        QVERIFY(text.contains("第 2 页"));
        QVERIFY(text.contains("结余合计"));
        QVERIFY(text.contains("日期"));
        QVERIFY(text.contains("金额"));
        // The paper stays A4 portrait whatever the dialog chose.
        QProcess info;
        info.start("pdfinfo", {pdf});
        info.waitForFinished(30000);
        const QString details = QString::fromUtf8(info.readAllStandardOutput());
        QVERIFY2(details.contains("595 x 842 pts (A4)"), qPrintable(details));
        QVERIFY2(details.contains("Lumora 格式Ⅰ 2026-06-01至2026-06-01"), qPrintable(details));
        // A queue whose default paper is Letter hands it over as a job
        // option; it must not win over A4.
        QCOMPARE(
            PaperJobOptions({"PageSize", "Letter", "Duplex", "None", "media", "Letter", "landscape", "true"},
                            QPageSize::A4, QPageLayout::Portrait),
            (QStringList{"Duplex", "None", "PageSize", "A4", "media", "A4", "orientation-requested", "3"}));
        QVERIFY(details.contains(QRegularExpression("Pages:\\s+2")));
        QProcess::execute("pdftoppm", {"-png", "-r", "60", "-f", "1", "-l", "1", pdf,
                                       QStringLiteral(LUMORA_BINARY_DIR) + "/screenshots/printed"});

        // Layout II: its own header and summary rows on the page.
        const QString pdf2 = f.Db.Dir() + "/report2.pdf";
        TclsDatabaseUser(f.Db.File())
            .AddRecords(f.User, "收入", {"2026-06-01"}, {"工资"}, {"900.00"}, {"六月"});
        {
            TModalAnswerer answers;
            answers.OnDialog = [&](QWidget *w) { AnswerPrintDialog(w, pdf2); };
            Trigger(f, "mnuInAndOut_More_Print_2");
        }
        const QString text2 = PdfText(pdf2);
        for (const char *word : {"收入", "支出", "合计", "结余", "900.00", "第 2 页"})
            QVERIFY2(text2.contains(QString::fromUtf8(word)), word);
        QProcess::execute("pdftoppm", {"-png", "-r", "60", "-f", "1", "-l", "1", pdf2,
                                       QStringLiteral(LUMORA_BINARY_DIR) + "/screenshots/printed2"});

        // From the preview: a page range prints only those pages; a second,
        // cancelled dialog leaves the window as it was.
        QFile::remove(pdf);
        QString labelAfter;
        {
            TModalAnswerer answers;
            answers.OnDialog = CheckDialog<TfrmPreview>([&](TfrmPreview *preview) {
                QTest::mouseClick(preview->btnTailPage, Qt::LeftButton);
                {
                    TModalAnswerer inner;
                    inner.OnDialog = [&](QWidget *d) { AnswerPrintDialog(d, pdf, 2, 2); };
                    QTest::mouseClick(preview->btnPrint, Qt::LeftButton);
                }
                {
                    TModalAnswerer inner;
                    inner.OnDialog = [&](QWidget *d) { AnswerPrintDialog(d, QString()); };
                    QTest::mouseClick(preview->btnPrint, Qt::LeftButton);
                }
                QVERIFY(preview->isVisible());
                labelAfter = preview->lblCurrentPage->text();
            });
            Trigger(f, "mnuInAndOut_More_Preview_1");
            QVERIFY(answers.Seen.isEmpty());
        }
        QCOMPARE(labelAfter, QStringLiteral("第 2 页 / 共 2 页"));
        const QString second = PdfText(pdf);
        QVERIFY(second.contains("第 2 页"));
        QVERIFY(!second.contains("第 1 页"));
    }
};

QTEST_MAIN(TestReports)
#include "test_reports.moc"
