// The trend of a range: month and year tables against sums written by hand,
// the change against last year, the chart's pixels, and the dialog reached
// from the More menu.
#include "app/unt_frmMain.h"
#include "data/unt_clsAmount.h"
#include "data/unt_clsDatabaseUser.h"
#include "find/unt_frmFind.h"
#include "reports/unt_frmTrend.h"
#include "reports/unt_trendChart.h"
#include "reports/unt_trendRows.h"
#include "tests/support/unt_testGui.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>
#include <QtTest>

namespace
{
const QString User = QStringLiteral("张三");

QDate D(const char *Text)
{
    return QDate::fromString(QString::fromLatin1(Text), Qt::ISODate);
}

struct TRow {
    const char *Date;
    const char *Type;
    const char *Name;
    const char *Money;
};

void Add(const QString &File, const QString &UserName, const QList<TRow> &Rows)
{
    TclsDatabaseUser store(File);
    for (const TRow &row : Rows)
        store.AddRecords(UserName, QString::fromUtf8(row.Type), {QString::fromLatin1(row.Date)},
                         {QString::fromUtf8(row.Name)}, {QString::fromLatin1(row.Money)}, {QString()});
}

TTrend Trend(const QString &File, const QDate &From, const QDate &To, TTrendPeriod Period,
             const QString &Name = QString())
{
    TCategoryDays days;
    TclsDatabaseUser(File).GetCategoryDays(User, TrendReadStart(From), To, days);
    int name = -1;
    if (!Name.isEmpty()) {
        name = days.IndexOf(Name);
        if (name < 0)
            name = int(days.Names().size());
    }
    return MakeTrend(days, From, To, Period, name);
}

// label, expense, income, last year's expense, as the table shows them
QStringList Texts(const TTrendRow &Row)
{
    return {Row.Label, FormatCents(Row.Out), FormatCents(Row.In), FormatCents(Row.LastOut)};
}

int CountColour(const QImage &Image, const QColor &Colour)
{
    int n = 0;
    for (int y = 0; y < Image.height(); ++y)
        for (int x = 0; x < Image.width(); ++x)
            n += Image.pixelColor(x, y).rgb() == Colour.rgb();
    return n;
}

QList<TTrendRow> Months(int Count)
{
    QList<TTrendRow> rows;
    for (int i = 0; i < Count; ++i) {
        TTrendRow row;
        row.From = QDate(2016, 1, 1).addMonths(i);
        row.To = row.From.addMonths(1).addDays(-1);
        row.Label = row.From.toString("yyyy-MM");
        row.Out = 10000 + 100 * i;
        row.In = i % 2 ? 20000 : 0;
        rows << row;
    }
    return rows;
}
} // namespace

class TestTrend : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase()
    {
        UsePrivateRuntimeDir();
        ApplyTestFont();
    }

    void centsAreExact()
    {
        QCOMPARE(MoneyCents(0.1) + MoneyCents(0.2), 30);
        QCOMPARE(MoneyCents(99999999999.99), Q_INT64_C(9999999999999));
        QCOMPARE(FormatCents(0), QStringLiteral("0.00"));
        QCOMPARE(FormatCents(5), QStringLiteral("0.05"));
        QCOMPARE(FormatCents(-1234), QStringLiteral("-12.34"));
        QCOMPARE(FormatCents(std::numeric_limits<qint64>::min()), QStringLiteral("-92233720368547758.08"));
        // A thousand cents one by one add up to ten yuan, not a hair less.
        TTestDb db;
        TclsDatabaseUser(db.File()).AddUser(User, "pw");
        QStringList dates, names, moneys, memos;
        for (int i = 0; i < 1000; ++i) {
            dates << QStringLiteral("2024-05-%1").arg(1 + i % 31, 2, 10, QLatin1Char('0'));
            names << QStringLiteral("零食");
            moneys << (i % 2 ? QStringLiteral("0.10") : QStringLiteral("0.20"));
            memos << QString();
        }
        TclsDatabaseUser(db.File()).AddRecords(User, "支出", dates, names, moneys, memos);
        const TTrend trend = Trend(db.File(), D("2024-05-01"), D("2024-05-31"), TTrendPeriod::Month);
        QCOMPARE(FormatCents(trend.Total.Out), QStringLiteral("150.00"));
    }

    void monthsOfARangeThatCutsThem()
    {
        TTestDb db;
        TclsDatabaseUser(db.File()).AddUser(User, "pw");
        TclsDatabaseUser(db.File()).AddUser("李四", "pw");
        Add(db.File(), User,
            {{"2023-01-20", "支出", "早饭", "5.00"},  // last year's dates of the range
             {"2023-01-10", "支出", "早饭", "7.00"},  // before them
             {"2023-03-10", "支出", "午饭", "30.00"}, // the range's last day a year before
             {"2023-03-11", "支出", "午饭", "40.00"}, // after it
             {"2024-01-14", "支出", "早饭", "1.00"},  // before the range
             {"2024-01-15", "支出", "早饭", "2.50"},
             {"2024-01-31", "收入", "工资", "1000.00"},
             {"2024-03-10", "支出", "午饭", "12.30"},
             {"2024-03-11", "支出", "午饭", "99.00"}}); // after the range
        Add(db.File(), "李四", {{"2024-01-20", "支出", "早饭", "500.00"}});
        const TTrend trend = Trend(db.File(), D("2024-01-15"), D("2024-03-10"), TTrendPeriod::Month);
        QCOMPARE(trend.Rows.size(), 3);
        QCOMPARE(Texts(trend.Rows[0]), QStringList({"2024-01", "2.50", "1000.00", "5.00"}));
        QCOMPARE(Texts(trend.Rows[1]), QStringList({"2024-02", "0.00", "0.00", "0.00"}));
        QCOMPARE(Texts(trend.Rows[2]), QStringList({"2024-03", "12.30", "0.00", "30.00"}));
        QCOMPARE(trend.Rows[0].From, D("2024-01-15"));
        QCOMPARE(trend.Rows[1].To, D("2024-02-29"));
        QCOMPARE(trend.Rows[2].To, D("2024-03-10"));
        QCOMPARE(FormatCents(trend.Rows[0].Balance()), QStringLiteral("997.50"));
        QCOMPARE(Texts(trend.Total), QStringList({"合计", "14.80", "1000.00", "35.00"}));
        QCOMPARE(ChangeText(trend.Total.Out, trend.Total.LastOut), QStringLiteral("-57.7%"));
        QCOMPARE(ChangeText(trend.Rows[1].Out, trend.Rows[1].LastOut), QStringLiteral("—"));
    }

    void leapDaysAndYears()
    {
        QCOMPARE(LastYearDates(D("2025-02-01"), D("2025-02-28")),
                 std::make_pair(D("2024-02-01"), D("2024-02-29")));
        QCOMPARE(LastYearDates(D("2024-02-29"), D("2024-02-29")),
                 std::make_pair(D("2023-02-28"), D("2023-02-28")));
        QCOMPARE(LastYearDates(D("2024-03-01"), D("2024-03-15")),
                 std::make_pair(D("2023-03-01"), D("2023-03-15")));
        TTestDb db;
        TclsDatabaseUser(db.File()).AddUser(User, "pw");
        Add(db.File(), User,
            {{"2023-02-28", "支出", "房租", "8.00"},
             {"2024-02-28", "支出", "房租", "10.00"},
             {"2024-02-29", "支出", "房租", "20.00"},
             {"2024-12-31", "收入", "工资", "3.00"},
             {"2025-02-28", "支出", "房租", "45.00"},
             {"2025-03-01", "支出", "房租", "1.00"}});
        const TTrend months = Trend(db.File(), D("2025-02-01"), D("2025-03-31"), TTrendPeriod::Month);
        QCOMPARE(Texts(months.Rows[0]), QStringList({"2025-02", "45.00", "0.00", "30.00"}));
        QCOMPARE(ChangeText(months.Rows[0].Out, months.Rows[0].LastOut), QStringLiteral("+50.0%"));
        const TTrend leap = Trend(db.File(), D("2024-02-29"), D("2024-02-29"), TTrendPeriod::Month);
        QCOMPARE(Texts(leap.Rows[0]), QStringList({"2024-02", "20.00", "0.00", "8.00"}));
        const TTrend years = Trend(db.File(), D("2023-06-01"), D("2025-12-31"), TTrendPeriod::Year);
        QCOMPARE(years.Rows.size(), 3);
        QCOMPARE(Texts(years.Rows[0]), QStringList({"2023", "0.00", "0.00", "0.00"}));
        QCOMPARE(Texts(years.Rows[1]), QStringList({"2024", "30.00", "3.00", "8.00"}));
        QCOMPARE(Texts(years.Rows[2]), QStringList({"2025", "46.00", "0.00", "30.00"}));
        QCOMPARE(Texts(years.Total), QStringList({"合计", "76.00", "3.00", "38.00"}));
    }

    void oneCategory()
    {
        TTestDb db;
        TclsDatabaseUser(db.File()).AddUser(User, "pw");
        Add(db.File(), User,
            {{"2024-04-02", "支出", "交通", "3.00"},
             {"2024-04-03", "支出", "早饭", "4.00"},
             {"2024-05-02", "支出", "交通", "6.00"},
             {"2024-05-09", "收入", "交通", "1.00"}, // a refund under the same name
             {"2023-05-02", "支出", "交通", "4.00"}});
        const TTrend trend = Trend(db.File(), D("2024-04-01"), D("2024-05-31"), TTrendPeriod::Month, "交通");
        QCOMPARE(Texts(trend.Rows[0]), QStringList({"2024-04", "3.00", "0.00", "0.00"}));
        QCOMPARE(Texts(trend.Rows[1]), QStringList({"2024-05", "6.00", "1.00", "4.00"}));
        const TTrend none = Trend(db.File(), D("2024-04-01"), D("2024-05-31"), TTrendPeriod::Month, "房租");
        QCOMPARE(Texts(none.Total), QStringList({"合计", "0.00", "0.00", "0.00"}));
        QCOMPARE(none.Rows.size(), 2);
    }

    void changeRounding()
    {
        QCOMPARE(ChangeText(12500, 10000), QStringLiteral("+25.0%"));
        QCOMPARE(ChangeText(1300, 1400), QStringLiteral("-7.1%"));
        // Exactly half a tenth goes away from zero, either way.
        QCOMPARE(ChangeText(2001, 2000), QStringLiteral("+0.1%"));
        QCOMPARE(ChangeText(1999, 2000), QStringLiteral("-0.1%"));
        QCOMPARE(ChangeText(20009, 20000), QStringLiteral("0.0%"));
        QCOMPARE(ChangeText(5000, 5000), QStringLiteral("0.0%"));
        QCOMPARE(ChangeText(0, 5000), QStringLiteral("-100.0%"));
        QCOMPARE(ChangeText(5000, 0), QStringLiteral("—"));
        QCOMPARE(ChangeText(0, 0), QStringLiteral("—"));
        // Ten years of the largest amounts do not overflow.
        QCOMPARE(ChangeText(Q_INT64_C(3000000000000000000), 1), QStringLiteral("+299999999999999999900.0%"));
    }

    void chartOfNothing()
    {
        TTrendChart chart;
        chart.resize(593, 250);
        chart.SetRows({}, TTrendPeriod::Month);
        // The legend above the plot; in it, no bar and no line.
        const QImage image = chart.grab().toImage().copy(chart.Plot().toRect());
        QCOMPARE(CountColour(image, TTrendChart::OutColor()), 0);
        QCOMPARE(CountColour(image, TTrendChart::InColor()), 0);
        QCOMPARE(CountColour(image, TTrendChart::BalanceColor()), 0);
        SaveShot(&chart, "trend-empty");
    }

    void chartOfOnePeriod()
    {
        TTrendChart chart;
        chart.resize(593, 250);
        TTrendRow row;
        row.Label = "2024-03";
        row.From = D("2024-03-01");
        row.To = D("2024-03-31");
        row.Out = 30000;
        row.In = 10000;
        chart.SetRows({row}, TTrendPeriod::Month);
        const QImage image = chart.grab().toImage();
        const QRectF out = chart.BarRect(0, false), in = chart.BarRect(0, true);
        // The expense bar three times the income bar, both standing on zero.
        QVERIFY(out.height() > 50);
        QVERIFY(qAbs(out.height() - 3 * in.height()) < 2);
        QCOMPARE(out.bottom(), in.bottom());
        QCOMPARE(image.pixelColor(out.center().toPoint()).rgb(), TTrendChart::OutColor().rgb());
        QCOMPARE(image.pixelColor(in.center().toPoint()).rgb(), TTrendChart::InColor().rgb());
        // The balance lies below zero, under the bars.
        QVERIFY(chart.BalancePoint(0).y() > out.bottom());
        QCOMPARE(chart.LabelledPeriods(), QList<int>({0}));
        QCOMPARE(chart.PeriodAt(out.center().toPoint()), 0);
        QCOMPARE(chart.PeriodAt(QPoint(2, 2)), -1);
    }

    void chartOfTenYears()
    {
        TTrendChart chart;
        chart.resize(593, 250);
        chart.SetRows(Months(120), TTrendPeriod::Month);
        const QImage image = chart.grab().toImage();
        SaveShot(&chart, "trend-120");
        for (int i : {0, 59, 119}) {
            const QRectF out = chart.BarRect(i, false);
            QVERIFY(out.width() >= 1);
            QVERIFY(out.left() >= chart.Plot().left() && out.right() <= chart.Plot().right() + 1);
            // Most of the bar shows; the balance line may cross it.
            QVERIFY(CountColour(image.copy(out.toAlignedRect()), TTrendChart::OutColor()) > out.height() / 2);
        }
        // An empty income is drawn as nothing, not as a sliver.
        QCOMPARE(chart.BarRect(0, true).height(), 0.0);
        // Names stand apart, at the same months of each year, and every one
        // fits inside the chart.
        const QList<int> labelled = chart.LabelledPeriods();
        QVERIFY(labelled.size() >= 5 && labelled.size() <= 20);
        const int every = labelled[1] - labelled[0];
        for (int k = 1; k < labelled.size(); ++k)
            QCOMPARE(labelled[k] - labelled[k - 1], every);
        QVERIFY(chart.SlotWidth() * every > chart.fontMetrics().horizontalAdvance("2016-01"));
    }

    void dialogFromTheMoreMenu()
    {
        TMainFixture f;
        Add(f.Db.File(), User,
            {{"2023-02-10", "支出", "早饭", "8.00"},
             {"2024-02-10", "支出", "早饭", "10.00"},
             {"2024-02-11", "收入", "工资", "100.00"},
             {"2023-02-11", "收入", "工资", "80.00"},
             {"2024-03-05", "支出", "午饭", "20.00"},
             {"2024-04-01", "支出", "旧项目", "1.00"}});
        f.Find<QDateEdit>("dtpInAndOut_Date1")->setDate(D("2024-02-01"));
        f.Find<QDateEdit>("dtpInAndOut_Date2")->setDate(D("2024-04-30"));
        QStringList seen;
        bool checked = false;
        TModalAnswerer answers;
        answers.OnDialog = [&](QWidget *Dialog) {
            auto *trend = qobject_cast<TfrmTrend *>(Dialog);
            if (!trend) {
                Dialog->close();
                return;
            }
            checked = true;
            auto close = qScopeGuard([trend] {
                if (trend->isVisible())
                    trend->close();
            });
            QCOMPARE(trend->windowTitle(), QStringLiteral("收支趋势"));
            QVERIFY(trend->rdoTrend_Month->isChecked());
            QAbstractItemModel *model = trend->lvwTrend->model();
            QCOMPARE(model->rowCount(), 4);
            QCOMPARE(model->headerData(5, Qt::Horizontal).toString(), QStringLiteral("去年同期支出"));
            auto row = [model](int Row) {
                QStringList cells;
                for (int c = 1; c < model->columnCount(); ++c)
                    cells << model->index(Row, c).data().toString();
                return cells;
            };
            // Income's year before comes after the columns of expenses.
            QCOMPARE(model->headerData(7, Qt::Horizontal).toString(), QStringLiteral("去年同期收入"));
            QCOMPARE(model->headerData(8, Qt::Horizontal).toString(), QStringLiteral("收入同比"));
            QCOMPARE(row(0), QStringList({"2024-02", "10.00", "100.00", "90.00", "8.00", "+25.0%", "80.00",
                                          "+25.0%"}));
            QCOMPARE(row(3),
                     QStringList({"合计", "31.00", "100.00", "69.00", "8.00", "+287.5%", "80.00", "+25.0%"}));
            // A category met in the records but gone from the lists is offered too.
            QVERIFY(trend->cboTrend_Name->findText("旧项目") > 0);
            QCOMPARE(trend->cboTrend_Name->itemText(0), QStringLiteral("全部项目"));
            trend->cboTrend_Name->setCurrentText("午饭");
            QCOMPARE(row(3), QStringList({"合计", "20.00", "0.00", "-20.00", "0.00", "—", "0.00", "—"}));
            // An expense category has no income bars and no balance line.
            QVERIFY(trend->chtTrend->Shows(false) && !trend->chtTrend->Shows(true));
            QVERIFY(!trend->chtTrend->ShowsBalance());
            trend->rdoTrend_Year->setChecked(true);
            QCOMPARE(model->rowCount(), 2);
            QCOMPARE(row(0), QStringList({"2024", "20.00", "0.00", "-20.00", "0.00", "—", "0.00", "—"}));
            QCOMPARE(trend->chtTrend->Rows().size(), 1);
            trend->rdoTrend_Month->setChecked(true);
            trend->cboTrend_Name->setCurrentIndex(0);
            SaveShot(trend, "trend-dialog");
            // A double-click on March shows March in the browse panel.
            emit trend->lvwTrend->doubleClicked(model->index(1, 1));
        };
        f.Main->MoreMenu()->findChild<QAction *>("mnuInAndOut_More_Trend")->trigger();
        QVERIFY(checked);
        QCOMPARE(f.Find<QDateEdit>("dtpInAndOut_Date1")->date(), D("2024-03-01"));
        QCOMPARE(f.Find<QDateEdit>("dtpInAndOut_Date2")->date(), D("2024-03-31"));
        QCOMPARE(f.Find<QLabel>("lblInAndOut_OutMoney1")->text(), QStringLiteral("支出合计：20.00"));
        QCOMPARE(answers.Seen.size(), 0);
        // Another range from the dialog's own pickers; a double-click with one
        // category shows that category's records of the period.
        answers.OnDialog = [&](QWidget *Dialog) {
            auto *trend = qobject_cast<TfrmTrend *>(Dialog);
            if (!trend) {
                Dialog->close();
                return;
            }
            trend->dtpTrend_Date1->setDate(D("2024-02-01"));
            trend->dtpTrend_Date2->setDate(D("2024-04-30"));
            trend->btnTrend_View->click();
            QCOMPARE(trend->lvwTrend->model()->rowCount(), 4);
            trend->cboTrend_Name->setCurrentText("早饭");
            emit trend->lvwTrend->doubleClicked(trend->lvwTrend->model()->index(0, 1));
        };
        f.Main->MoreMenu()->findChild<QAction *>("mnuInAndOut_More_Trend")->trigger();
        TfrmFind *find = f.Main->FindWindow();
        QVERIFY(find);
        QCOMPARE(find->Query().Name, QStringLiteral("早饭"));
        QCOMPARE(find->Result().Rows.size(), size_t(1));
        QCOMPARE(find->findChild<QDateEdit *>("dtpFind_Date1")->date(), D("2024-02-01"));
        QCOMPARE(find->findChild<QDateEdit *>("dtpFind_Date2")->date(), D("2024-02-29"));
        find->close();
    }

    void reversedRangeIsRefused()
    {
        TMainFixture f;
        f.Find<QDateEdit>("dtpInAndOut_Date1")->setDate(D("2024-05-02"));
        f.Find<QDateEdit>("dtpInAndOut_Date2")->setDate(D("2024-05-01"));
        TModalAnswerer answers;
        bool opened = false;
        answers.OnDialog = [&](QWidget *Dialog) {
            opened = true;
            Dialog->close();
        };
        f.Main->MoreMenu()->findChild<QAction *>("mnuInAndOut_More_Trend")->trigger();
        QVERIFY(!opened);
        QCOMPARE(answers.Texts(), QStringList({"查看起始日期不能大于截止日期！"}));
    }
};

QTEST_MAIN(TestTrend)
#include "test_trend.moc"
