// The donut chart of the category share dialog.
#include "app/unt_frmMain.h"
#include "data/unt_clsDatabaseUser.h"
#include "reports/unt_donutChart.h"
#include "reports/unt_frmGetProgramTotal.h"
#include "reports/unt_frmShowRecord.h"
#include "tests/support/unt_testGui.h"

#include <QtTest>

namespace
{

TotalsLists Totals(const QList<double> &Values)
{
    TotalsLists totals;
    for (int i = 0; i < Values.size(); ++i) {
        totals[0] << QStringLiteral("项目%1").arg(i + 1);
        totals[1] << QString::number(Values[i], 'f', 2);
        totals[2] << QString();
    }
    return totals;
}

int SpanSum(const QList<TSlice> &Slices)
{
    int sum = 0;
    for (const TSlice &slice : Slices)
        sum += slice.Span16;
    return sum;
}

} // namespace

class TestChart : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase()
    {
        UsePrivateRuntimeDir();
        ApplyTestFont();
    }

    void anglesFollowShares()
    {
        const QList<TSlice> slices = DonutSlices(Totals({50, 30, 20}));
        QCOMPARE(slices.size(), 3);
        QCOMPARE(slices[0].Start16, 90 * 16); // twelve o'clock, then clockwise
        QCOMPARE(slices[0].Span16, -180 * 16);
        QCOMPARE(slices[1].Start16, 90 * 16 - 180 * 16);
        QCOMPARE(slices[1].Span16, -108 * 16);
        QCOMPARE(slices[2].Span16, -72 * 16);
        QCOMPARE(slices[2].Start16 + slices[2].Span16, 90 * 16 - 360 * 16);
        QCOMPARE(slices[1].Percent, 30.0);
        // Shares that do not divide evenly still close the ring exactly.
        QCOMPARE(SpanSum(DonutSlices(Totals({1, 1, 1, 1, 1, 1, 1}))), -360 * 16);
    }

    void afterTheEighthMerged()
    {
        const QList<TSlice> slices = DonutSlices(Totals({30, 20, 10, 9, 8, 7, 6, 5, 2, 2, 1}));
        QCOMPARE(slices.size(), 9);
        QCOMPARE(slices[7].Name, QStringLiteral("项目8"));
        QCOMPARE(slices[8].Name, QStringLiteral("其他"));
        QCOMPARE(slices[8].Total, 5.0);
        QCOMPARE(slices[8].Percent, 5.0);
        QCOMPARE(slices[8].Span16, -18 * 16);
        QCOMPARE(SpanSum(slices), -360 * 16);
        QSet<QRgb> colours;
        for (const TSlice &slice : slices)
            colours << slice.Color.rgb();
        QCOMPARE(colours.size(), 9);
        // Exactly eight categories: no merged slice.
        QCOMPARE(DonutSlices(Totals({8, 7, 6, 5, 4, 3, 2, 1})).last().Name, QStringLiteral("项目8"));
    }

    // Every slice, "其他" included, has a legend entry inside the chart, and
    // long names are elided rather than drawn over their neighbours.
    void legendHoldsEverySlice()
    {
        TotalsLists totals = Totals({30, 20, 10, 9, 8, 7, 6, 5, 2, 2, 1});
        totals[0][0] = QString(50, QChar(0x957F));
        TDonutChart chart;
        chart.resize(285, 296);
        chart.SetTotals(totals);
        const QList<QRect> rects = chart.LegendRects();
        QCOMPARE(rects.size(), 9);
        QCOMPARE(chart.Slices().last().Name, QStringLiteral("其他"));
        for (int i = 0; i < rects.size(); ++i) {
            QVERIFY2(chart.rect().contains(rects[i]), qPrintable(QString("entry %1").arg(i)));
            for (int j = 0; j < i; ++j)
                QVERIFY(!rects[i].intersects(rects[j]));
        }
        SaveShot(&chart, "chart-legend");
    }

    void emptyRange()
    {
        QVERIFY(DonutSlices(TotalsLists()).isEmpty());
        // Amounts that round to nothing still have their slices (of no
        // span): the chart lists them instead of saying there is no record.
        const QList<TSlice> zero = DonutSlices(Totals({0, 0}));
        QCOMPARE(zero.size(), 2);
        QCOMPARE(SpanSum(zero), 0);
        TDonutChart chart;
        chart.resize(285, 296);
        chart.SetTotals(TotalsLists());
        QCOMPARE(chart.SliceAt(QPoint(142, 30)), -1);
        SaveShot(&chart, "chart-empty");
    }

    void dialogShowsAndHighlights()
    {
        TMainFixture f;
        TclsDatabaseUser(f.Db.File())
            .AddRecords(f.User, "支出", {"2026-06-01", "2026-06-01", "2026-06-02"}, {"房租", "早饭", "交通"},
                        {"600.00", "300.00", "100.00"}, {"", "", ""});
        f.Find<QDateEdit>("dtpInAndOut_Date1")->setDate(QDate(2026, 6, 1));
        f.Find<QDateEdit>("dtpInAndOut_Date2")->setDate(QDate(2026, 6, 2));
        QString hovered;
        TModalAnswerer answers;
        answers.OnDialog = CheckDialog<TfrmGetProgramTotal>([&](TfrmGetProgramTotal *dialog) {
            TDonutChart *chart = dialog->chtTotal;
            QVERIFY(chart->geometry().left() >= dialog->lvwTotal->geometry().right());
            QVERIFY(dialog->width() >= chart->geometry().right());
            QCOMPARE(chart->Slices().size(), 3);
            QCOMPARE(chart->Slices()[0].Name, QStringLiteral("房租"));
            // Just right of twelve o'clock on the ring: the first slice.
            const int y = 10 + 8;
            const QPoint onRing(chart->width() / 2 + 3, y);
            QCOMPARE(chart->SliceAt(onRing), 0);
            QMouseEvent move(QEvent::MouseMove, QPointF(onRing), chart->mapToGlobal(QPointF(onRing)),
                             Qt::NoButton, Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(chart, &move);
            QCOMPARE(chart->Hovered(), 0);
            hovered = chart->Slices()[chart->Hovered()].Name;
            QCOMPARE(chart->SliceAt(QPoint(chart->width() / 2, 10 + chart->width() / 4 + 40)),
                     -1); // the hole
            SaveShot(dialog, "share-chart");
        });
        f.Main->ShowProgramTotal(QStringLiteral("支出"));
        QCOMPARE(hovered, QStringLiteral("房租"));
    }
};

QTEST_MAIN(TestChart)
#include "test_chart.moc"
