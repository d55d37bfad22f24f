#pragma once
// A small report engine: pages built from absolutely positioned text labels,
// joined into one document that is previewed on screen and printed on A4.
// Positions are screen pixels within a page's band; printing scales them to
// the printer's resolution, so a page looks the same on paper as on screen.
#include <QList>
#include <QObject>
#include <QPointer>
#include <QPrinter>
#include <QScrollArea>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QPainter;

// The resolution page layouts are made at.
double ScreenDpiX();
double ScreenDpiY();

// The face that stands for a requested report font: the first installed of
// the Song faces whose Chinese characters are exactly two digits wide.
QString ReportFace(const QString &Requested);
// The font of a label at the screen's resolution.
QFont ReportFont(const QString &Name, int PointSize);

class TQRLabel
{
  public:
    bool AutoSize = true;
    QString FontName = QStringLiteral("宋体");
    int FontSize = 9;
    QString Caption;
    // A line of a long document made only when the label is measured or
    // painted, so years of rows are not held as page texts: Lines(LineIndex)
    // stands for Caption when Lines is set.
    using TLines = std::function<QString(qsizetype Index)>;
    std::shared_ptr<const TLines> Lines;
    qsizetype LineIndex = -1;
    QString Text() const { return Lines ? (*Lines)(LineIndex) : Caption; }
    int Top = 0;
    int Left = 0;
    // Characters are laid on a grid of half-width cells, one cell per byte of
    // the stored-text encoding, so the byte-aligned columns of a report line
    // up whatever the face's own spacing.
    int Width() const;
    void Paint(QPainter &Painter) const;
};

class TQRBand
{
  public:
    int Width = 0;
    int Height = 0;
    TQRLabel *CreateLabel();
    const std::vector<std::unique_ptr<TQRLabel>> &Labels() const { return FLabels; }

  private:
    std::vector<std::unique_ptr<TQRLabel>> FLabels;
};

// One report: a hidden A4 page with one detail band printed once.
class TQuickRep : public QObject
{
    Q_OBJECT
  public:
    explicit TQuickRep(QObject *Parent = nullptr);
    int Width = 0;
    int Height = 0;
    QString FontName = QStringLiteral("宋体");
    int FontSize = 9;
    double MarginMm = 10;
    bool HasDetail = false;
    TQRBand *DetailBand() { return HasDetail ? &FBand : nullptr; }

  private:
    TQRBand FBand;
};

// A prepared document: the bands placed on pages, with the screen
// resolution they were laid out at.
class TQRPrinter
{
  public:
    struct TPlaced {
        const TQRBand *Band;
        int Y;
    };
    QList<QList<TPlaced>> Pages;
    double DpiX = 96, DpiY = 96;
    int PageWidth = 0, PageHeight = 0, Margin = 0;
    int PageCount() const { return static_cast<int>(Pages.size()); }
    // Draws one page (0-based) in band pixels from the printable area's corner.
    void PaintPage(QPainter &Painter, int Index) const;
};

// CUPS job options (name, value pairs) with every paper and orientation
// option replaced by the given ones.
QStringList PaperJobOptions(const QStringList &Options, QPageSize::PageSizeId Paper,
                            QPageLayout::Orientation Orientation);

struct TQRPrinterSettings {
    int PrinterIndex = -1;
    QPageSize::PageSizeId PaperSize = QPageSize::A4;
    QPageLayout::Orientation Orientation = QPageLayout::Portrait;
};

class TQRCompositeReport : public QObject
{
    Q_OBJECT
  public:
    explicit TQRCompositeReport(QObject *Owner);
    ~TQRCompositeReport() override;
    QList<TQuickRep *> Reports;
    std::function<void()> OnAddReports;
    TQRPrinterSettings PrinterSettings;
    // The print job's name in the queue.
    QString JobName;
    // Renders the reports of OnAddReports, in order, into the pages of QRPrinter.
    void Prepare();
    // The printer dialog: printer, copies, pages 1 to the page count.
    void PrinterSetup(QWidget *Parent);
    void Print();
    // Prints the prepared pages on a printer already set up (page range, copies).
    void PrintTo(QPrinter &Printer) const;
    TQRPrinter *QRPrinter() { return &FPages; }
    QPrinter *Printer() { return &FPrinter; }

  private:
    void ApplyPaper();
    TQRPrinter FPages;
    QPrinter FPrinter;
};

// Shows one page of a prepared document at 100 per cent.
class TQRPreview : public QScrollArea
{
    Q_OBJECT
  public:
    explicit TQRPreview(QWidget *Parent = nullptr);
    void SetQRPrinter(TQRPrinter *Printer);
    int PageNumber() const { return FPageNumber; }
    // Outside 1..PageCount, or the current page: nothing changes.
    void SetPageNumber(int Number);
    int PageCount() const { return FPrinter ? FPrinter->PageCount() : 0; }
    // Redraws after the attached document was prepared anew.
    void Refresh();

  private:
    TQRPrinter *FPrinter = nullptr;
    int FPageNumber = 1;
    QWidget *FSheet;
};
