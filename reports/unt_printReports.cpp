// Printed reports and their preview: one page report of 50 labels per 46
// rows, joined into one document by a composite report.
#include "data/unt_clsBase64.h"
#include "reports/unt_clsOutputs.h"
#include "reports/unt_frmPreview.h"
#include "reports/unt_qrEngine.h"

#include <cmath>
#include <memory>

namespace
{

constexpr int RowsPerPage = 46;
constexpr int LayoutUnits = 1047;

int Round(double Value)
{
    return static_cast<int>(std::nearbyint(Value)); // halves to the even neighbour
}

} // namespace

void TclsOutputs::RunReport(bool Layout2, const QString &Action)
{
    // The pages keep the range and make their lines as they are shown.
    struct TPrinted {
        TRangeRecords Range;
        std::unique_ptr<TReportSource> Source;
    };
    auto printed = std::make_shared<TPrinted>();
    const TRangeRecords *range = CollectRange(printed->Range);
    if (!range)
        return;
    if (range != &printed->Range)
        printed->Range = *range; // the preview outlives what the panel shows
    printed->Source = std::make_unique<TReportSource>(printed->Range, Layout2 ? TReportLayout::Layout2
                                                                              : TReportLayout::Aligned1);
    CreateReport(Action, Layout2 ? ReportRowsBuilder::Header2() : ReportRowsBuilder::Header1(),
                 printed->Source->Count(), std::make_shared<const TQRLabel::TLines>([printed](qsizetype I) {
                     return Base64::FromGB18030(printed->Source->Line(I));
                 }));
}

namespace
{
std::shared_ptr<const TQRLabel::TLines> LinesOf(const ReportRows &Rows)
{
    auto rows = std::make_shared<const ReportRows>(Rows);
    return std::make_shared<const TQRLabel::TLines>(
        [rows](qsizetype I) { return Base64::FromGB18030(ReportRowsBuilder::JoinRow(*rows, I)); });
}
} // namespace

void TclsOutputs::InAndOut_CreateReport1(const QString &Action, ReportRows &Rows)
{
    ReportRowsBuilder::AlignAmounts1(Rows);
    CreateReport(Action, ReportRowsBuilder::Header1(), Rows[0].size(), LinesOf(Rows));
}

void TclsOutputs::InAndOut_CreateReport2(const QString &Action, ReportRows &Rows)
{
    CreateReport(Action, ReportRowsBuilder::Header2(), Rows[0].size(), LinesOf(Rows));
}

void TclsOutputs::CreateReport(const QString &Action, const QByteArray &Header, qsizetype Count,
                               const std::shared_ptr<const TQRLabel::TLines> &Lines)
{
    const double dpiX = ScreenDpiX(), dpiY = ScreenDpiY();
    const int W = Round(dpiX * 190 / 25.4), H = Round(dpiY * 277 / 25.4);
    const qsizetype rowCount = Count;
    const qsizetype pages = rowCount / RowsPerPage + (rowCount % RowsPerPage > 0 ? 1 : 0);

    // Nothing of the previous run is reused; the document it showed is gone.
    delete g_objCompositeReport;
    g_objCompositeReport = nullptr;
    qDeleteAll(g_objReports);
    g_objReports.clear();

    auto top = [H](int Units) { return Round(static_cast<double>(Units) * H / LayoutUnits); };
    const QString header = Base64::FromGB18030(Header);
    const QString rule = Base64::FromGB18030(ReportRowsBuilder::Rule());
    for (qsizetype p = 0; p < pages; ++p) {
        auto *report = new TQuickRep();
        g_objReports.append(report);
        report->Width = Round(dpiX * 210 / 25.4);
        report->Height = Round(dpiY * 297 / 25.4);
        report->setParent(FSession.Window());
        report->FontName = QStringLiteral("宋体");
        report->FontSize = 9;
        report->HasDetail = true;
        TQRBand *band = report->DetailBand();
        band->Width = W - 1;
        band->Height = H - 1;
        QList<TQRLabel *> labels;
        for (int i = 0; i < 50; ++i)
            labels << band->CreateLabel();
        auto centre = [W](TQRLabel *Label) { Label->Left = (W - Label->Width()) / 2; };
        labels[0]->FontSize = 20;
        labels[0]->Caption = QStringLiteral("Lumora");
        centre(labels[0]);
        labels[1]->Caption = header;
        labels[1]->Top = top(50);
        labels[2]->Caption = rule;
        labels[2]->Top = top(70);
        for (int k = 0; k < RowsPerPage; ++k) {
            const qsizetype row = p * RowsPerPage + k;
            if (row >= rowCount)
                break;
            labels[3 + k]->Lines = Lines;
            labels[3 + k]->LineIndex = row;
            labels[3 + k]->Top = top(90 + 20 * k);
        }
        labels[49]->Caption = QStringLiteral("第 %1 页").arg(p + 1);
        labels[49]->Top = top(1030);
        centre(labels[49]);
    }

    g_objCompositeReport = new TQRCompositeReport(FSession.Window());
    g_objCompositeReport->OnAddReports = [this] { g_objCompositeReportAddReports(); };
    g_objCompositeReport->PrinterSettings = TQRPrinterSettings{-1, QPageSize::A4, QPageLayout::Portrait};
    g_objCompositeReport->JobName =
        QStringLiteral("Lumora %1 %2至%3")
            .arg(Header == ReportRowsBuilder::Header2() ? QStringLiteral("格式Ⅱ") : QStringLiteral("格式Ⅰ"),
                 FRange.Start().toString(Qt::ISODate), FRange.End().toString(Qt::ISODate));
    g_objCompositeReport->Prepare();

    if (Action == QStringLiteral("打印")) {
        g_objCompositeReport->Prepare();
        g_objCompositeReport->PrinterSetup(FSession.Window());
        if (g_objCompositeReport->PrinterSettings.PrinterIndex < 0)
            return;
        g_objCompositeReport->PrinterSettings.PaperSize = QPageSize::A4;
        g_objCompositeReport->PrinterSettings.Orientation = QPageLayout::Portrait;
        g_objCompositeReport->Print();
        return;
    }
    TfrmPreview preview(g_objCompositeReport);
    preview.QRPreview1->SetQRPrinter(g_objCompositeReport->QRPrinter());
    FSession.ExecDialog(&preview);
}

void TclsOutputs::g_objCompositeReportAddReports()
{
    for (TQuickRep *report : g_objReports)
        g_objCompositeReport->Reports.append(report);
}
