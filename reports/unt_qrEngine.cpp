#include "reports/unt_qrEngine.h"

#include "data/unt_clsBase64.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintEngine>
#include <QPrinterInfo>
#include <QScreen>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

double ScreenDpiX()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchX() : 96;
}

double ScreenDpiY()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchY() : 96;
}

namespace
{

int MmToPixels(double Mm, double Dpi)
{
    return static_cast<int>(std::lround(Dpi * Mm / 25.4));
}

bool EvenSpaced(const QString &Family)
{
    QFont font(Family);
    font.setPixelSize(48);
    const QFontMetricsF metrics(font);
    const double digit = metrics.horizontalAdvance(QLatin1Char('0'));
    auto near = [](double A, double B) { return std::abs(A - B) < 0.5; };
    return QFontInfo(font).family().compare(Family, Qt::CaseInsensitive) == 0 &&
           near(metrics.horizontalAdvance(QStringLiteral("中")), 2 * digit) &&
           near(metrics.horizontalAdvance(QLatin1Char('i')), digit) &&
           near(metrics.horizontalAdvance(QLatin1Char(' ')), digit);
}

// Cells of one character: its byte count in the stored-text encoding.
int CellsOf(char32_t CodePoint)
{
    if (CodePoint < 0x80)
        return 1;
    return static_cast<int>(Base64::ToGB18030(QString::fromUcs4(&CodePoint, 1)).size());
}

} // namespace

QString ReportFace(const QString &Requested)
{
    static QHash<QString, QString> chosen;
    if (const auto found = chosen.constFind(Requested); found != chosen.constEnd())
        return *found;
    const QStringList installed = QFontDatabase::families();
    QStringList candidates = {Requested, QStringLiteral("SimSun"), QStringLiteral("宋体"),
                              QStringLiteral("AR PL UMing CN"), QStringLiteral("Noto Sans Mono CJK SC")};
    candidates.removeIf([&](const QString &name) { return !installed.contains(name, Qt::CaseInsensitive); });
    QString face = candidates.value(0, Requested);
    for (const QString &name : candidates)
        if (EvenSpaced(name)) {
            face = name;
            break;
        }
    chosen.insert(Requested, face);
    return face;
}

QFont ReportFont(const QString &Name, int PointSize)
{
    QFont font(ReportFace(Name));
    font.setPixelSize(static_cast<int>(std::lround(PointSize * ScreenDpiY() / 72.0)));
    return font;
}

int TQRLabel::Width() const
{
    const double half = QFontMetricsF(ReportFont(FontName, FontSize)).horizontalAdvance(QLatin1Char('0'));
    int cells = 0;
    for (const char32_t c : Text().toUcs4())
        cells += CellsOf(c);
    return static_cast<int>(std::ceil(cells * half));
}

void TQRLabel::Paint(QPainter &Painter) const
{
    const QFont font = ReportFont(FontName, FontSize);
    const QFontMetricsF metrics(font);
    const double half = metrics.horizontalAdvance(QLatin1Char('0'));
    Painter.setFont(font);
    int cell = 0;
    for (const char32_t c : Text().toUcs4()) {
        if (c != U' ')
            Painter.drawText(QPointF(Left + cell * half, Top + metrics.ascent()), QString::fromUcs4(&c, 1));
        cell += CellsOf(c);
    }
}

TQRLabel *TQRBand::CreateLabel()
{
    FLabels.push_back(std::make_unique<TQRLabel>());
    return FLabels.back().get();
}

TQuickRep::TQuickRep(QObject *Parent) : QObject(Parent) {}

void TQRPrinter::PaintPage(QPainter &Painter, int Index) const
{
    if (Index < 0 || Index >= Pages.size())
        return;
    Painter.setPen(Qt::black);
    for (const TPlaced &placed : Pages[Index]) {
        Painter.save();
        Painter.translate(0, placed.Y);
        Painter.setClipRect(0, 0, placed.Band->Width, placed.Band->Height);
        // A full 120-cell line is a few pixels wider than the band in some
        // faces; the band is narrowed to fit rather than losing its last
        // column at the clip.
        int widest = 0;
        for (const auto &label : placed.Band->Labels())
            widest = std::max(widest, label->Left + label->Width());
        if (widest > placed.Band->Width)
            Painter.scale(double(placed.Band->Width) / widest, 1.0);
        for (const auto &label : placed.Band->Labels())
            label->Paint(Painter);
        Painter.restore();
    }
}

TQRCompositeReport::TQRCompositeReport(QObject *Owner) : QObject(Owner), FPrinter(QPrinter::HighResolution) {}

TQRCompositeReport::~TQRCompositeReport() = default;

void TQRCompositeReport::Prepare()
{
    Reports.clear();
    if (OnAddReports)
        OnAddReports();
    FPages = TQRPrinter();
    FPages.DpiX = ScreenDpiX();
    FPages.DpiY = ScreenDpiY();
    int y = 0;
    for (TQuickRep *report : Reports) {
        TQRBand *band = report->DetailBand();
        if (!band)
            continue;
        if (FPages.Pages.isEmpty()) {
            FPages.PageWidth = report->Width;
            FPages.PageHeight = report->Height;
            FPages.Margin = MmToPixels(report->MarginMm, FPages.DpiX);
        }
        // A band that does not fit below the previous one starts a new page.
        const int printable = report->Height - 2 * MmToPixels(report->MarginMm, FPages.DpiY);
        if (FPages.Pages.isEmpty() || y + band->Height > printable) {
            FPages.Pages.append(QList<TQRPrinter::TPlaced>());
            y = 0;
        }
        FPages.Pages.last().append(TQRPrinter::TPlaced{band, y});
        y += band->Height;
    }
}

QStringList PaperJobOptions(const QStringList &Options, QPageSize::PageSizeId Paper,
                            QPageLayout::Orientation Orientation)
{
    static const QStringList paperKeys = {QStringLiteral("PageSize"), QStringLiteral("PageRegion"),
                                          QStringLiteral("media"), QStringLiteral("landscape"),
                                          QStringLiteral("orientation-requested")};
    QStringList kept;
    for (qsizetype i = 0; i + 1 < Options.size(); i += 2)
        if (!paperKeys.contains(Options[i]))
            kept << Options[i] << Options[i + 1];
    const QString paper = QPageSize::key(Paper);
    kept << QStringLiteral("PageSize") << paper << QStringLiteral("media") << paper;
    kept << QStringLiteral("orientation-requested")
         << (Orientation == QPageLayout::Portrait ? QStringLiteral("3") : QStringLiteral("4"));
    return kept;
}

void TQRCompositeReport::ApplyPaper()
{
    FPrinter.setPageSize(QPageSize(PrinterSettings.PaperSize));
    FPrinter.setPageOrientation(PrinterSettings.Orientation);
    FPrinter.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
    FPrinter.setDocName(JobName);
    // The print dialog passes the queue's own paper (Letter on many queues)
    // to CUPS as a job option, and CUPS prefers it to the page size set
    // above: the paper options of the job are made to say the same.
    QPrintEngine *engine = FPrinter.printEngine();
    const auto cupsOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);
    const QStringList options = engine ? engine->property(cupsOptions).toStringList() : QStringList();
    if (options.isEmpty())
        return;
    engine->setProperty(cupsOptions,
                        PaperJobOptions(options, PrinterSettings.PaperSize, PrinterSettings.Orientation));
}

void TQRCompositeReport::PrinterSetup(QWidget *Parent)
{
    ApplyPaper();
    const int pages = std::max(1, FPages.PageCount());
    QPrintDialog dialog(&FPrinter, Parent);
    dialog.setOptions(QAbstractPrintDialog::PrintPageRange | QAbstractPrintDialog::PrintToFile |
                      QAbstractPrintDialog::PrintShowPageSize);
    dialog.setMinMax(1, pages);
    dialog.setFromTo(1, pages);
    if (dialog.exec() != QDialog::Accepted)
        return;
    PrinterSettings.PrinterIndex =
        std::max<qsizetype>(0, QPrinterInfo::availablePrinterNames().indexOf(FPrinter.printerName()));
}

void TQRCompositeReport::Print()
{
    ApplyPaper();
    PrintTo(FPrinter);
}

void TQRCompositeReport::PrintTo(QPrinter &Printer) const
{
    const int count = FPages.PageCount();
    int first = 1, last = count;
    if (Printer.printRange() == QPrinter::PageRange && Printer.fromPage() > 0) {
        first = std::max(1, Printer.fromPage());
        last = std::min(count, Printer.toPage() > 0 ? Printer.toPage() : count);
    }
    if (first > last)
        return;
    // Spoolers make the copies themselves; a file printer needs them drawn.
    const int copies = Printer.supportsMultipleCopies() ? 1 : std::max(1, Printer.copyCount());
    QPainter painter;
    if (!painter.begin(&Printer))
        throw std::runtime_error("无法开始打印，请检查打印机或输出文件。");
    const double sx = Printer.logicalDpiX() / FPages.DpiX, sy = Printer.logicalDpiY() / FPages.DpiY;
    bool firstSheet = true;
    for (int copy = 0; copy < copies; ++copy)
        for (int page = first; page <= last; ++page) {
            if (!firstSheet)
                Printer.newPage();
            firstSheet = false;
            painter.save();
            painter.scale(sx, sy);
            FPages.PaintPage(painter, page - 1);
            painter.restore();
        }
    painter.end();
}

namespace
{

// The sheet of paper in the preview: white page, margins, the page's bands.
class TPreviewSheet : public QWidget
{
  public:
    TPreviewSheet(QWidget *Parent, std::function<const TQRPrinter *()> Printer, std::function<int()> Page)
        : QWidget(Parent), FPrinter(std::move(Printer)), FPage(std::move(Page))
    {
    }
    static constexpr int Border = 10;

  protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(128, 128, 128));
        const TQRPrinter *printer = FPrinter();
        if (!printer)
            return;
        painter.fillRect(Border + 3, Border + 3, printer->PageWidth, printer->PageHeight, QColor(64, 64, 64));
        painter.fillRect(Border, Border, printer->PageWidth, printer->PageHeight, Qt::white);
        painter.translate(Border + printer->Margin, Border + printer->Margin);
        printer->PaintPage(painter, FPage() - 1);
    }

  private:
    std::function<const TQRPrinter *()> FPrinter;
    std::function<int()> FPage;
};

} // namespace

TQRPreview::TQRPreview(QWidget *Parent) : QScrollArea(Parent)
{
    FSheet = new TPreviewSheet(
        this, [this] { return FPrinter; }, [this] { return FPageNumber; });
    setWidget(FSheet);
    setWidgetResizable(false);
    setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    horizontalScrollBar()->setTracking(true);
    verticalScrollBar()->setTracking(true);
}

void TQRPreview::SetQRPrinter(TQRPrinter *Printer)
{
    FPrinter = Printer;
    FPageNumber = 1;
    Refresh();
}

void TQRPreview::Refresh()
{
    const int border = 2 * TPreviewSheet::Border;
    if (FPrinter)
        FSheet->resize(FPrinter->PageWidth + border + 3, FPrinter->PageHeight + border + 3);
    FSheet->update();
}

void TQRPreview::SetPageNumber(int Number)
{
    if (Number < 1 || Number > PageCount() || Number == FPageNumber)
        return;
    FPageNumber = Number;
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    FSheet->update();
}
