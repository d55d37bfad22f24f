#include "reports/unt_frmPreview.h"

#include "reports/unt_qrEngine.h"
#include "ui/unt_clsMessages.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

TfrmPreview::TfrmPreview(TQRCompositeReport *Composite, QWidget *Parent)
    : QDialog(Parent), FComposite(Composite)
{
    setObjectName(QStringLiteral("frmPreview"));
    setWindowTitle(QStringLiteral("打印预览"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFont(ProgramFont());
    resize(685, 468);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    pnlTop = new QWidget(this);
    pnlTop->setObjectName(QStringLiteral("pnlTop"));
    pnlTop->setFixedHeight(36);
    btnHeadPage = MakeSpeedButton("btnHeadPage", QStringLiteral("<< 最前页"), 10);
    btnBackPage = MakeSpeedButton("btnBackPage", QStringLiteral("< 上一页"), 87);
    btnNextPage = MakeSpeedButton("btnNextPage", QStringLiteral("下一页 >"), 164);
    btnTailPage = MakeSpeedButton("btnTailPage", QStringLiteral("最后页 >>"), 241);
    btnPrint = MakeSpeedButton("btnPrint", QStringLiteral("立即打印"), 324);
    QRPreview1 = new TQRPreview(this);
    QRPreview1->setObjectName(QStringLiteral("QRPreview1"));
    pnlBottom = new QWidget(this);
    pnlBottom->setObjectName(QStringLiteral("pnlBottom"));
    pnlBottom->setFixedHeight(26);
    lblCurrentPage = new QLabel(QStringLiteral("#"), pnlBottom);
    lblCurrentPage->setObjectName(QStringLiteral("lblCurrentPage"));
    lblCurrentPage->move(10, 7);
    layout->addWidget(pnlTop);
    layout->addWidget(QRPreview1, 1);
    layout->addWidget(pnlBottom);
    connect(btnHeadPage, &QToolButton::clicked, this, &TfrmPreview::btnHeadPageClick);
    connect(btnBackPage, &QToolButton::clicked, this, &TfrmPreview::btnBackPageClick);
    connect(btnNextPage, &QToolButton::clicked, this, &TfrmPreview::btnNextPageClick);
    connect(btnTailPage, &QToolButton::clicked, this, &TfrmPreview::btnTailPageClick);
    connect(btnPrint, &QToolButton::clicked, this, [this] { RunGuarded(this, [this] { btnPrintClick(); }); });
    FormCreate();
}

QToolButton *TfrmPreview::MakeSpeedButton(const char *Name, const QString &Caption, int Left)
{
    auto *button = new QToolButton(pnlTop);
    button->setObjectName(QLatin1String(Name));
    button->setText(Caption);
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoRaise(true);
    button->setGeometry(Left, 6, 71, 23);
    return button;
}

void TfrmPreview::FormCreate()
{
    // The preview takes the whole work area, so a page is seen at full size.
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        setGeometry(area);
        setFixedSize(area.size());
    }
}

void TfrmPreview::showEvent(QShowEvent *Event)
{
    QDialog::showEvent(Event);
    ShowPageLabel();
}

void TfrmPreview::ShowPageLabel()
{
    lblCurrentPage->setText(
        QStringLiteral("第 %1 页 / 共 %2 页").arg(QRPreview1->PageNumber()).arg(QRPreview1->PageCount()));
    lblCurrentPage->adjustSize();
}

void TfrmPreview::btnHeadPageClick()
{
    QRPreview1->SetPageNumber(1);
    ShowPageLabel();
}

void TfrmPreview::btnBackPageClick()
{
    QRPreview1->SetPageNumber(QRPreview1->PageNumber() - 1);
    ShowPageLabel();
}

void TfrmPreview::btnNextPageClick()
{
    QRPreview1->SetPageNumber(QRPreview1->PageNumber() + 1);
    ShowPageLabel();
}

void TfrmPreview::btnTailPageClick()
{
    QRPreview1->SetPageNumber(QRPreview1->PageCount());
    ShowPageLabel();
}

void TfrmPreview::btnPrintClick()
{
    FComposite->PrinterSettings.PrinterIndex = -1;
    FComposite->PrinterSettings.PaperSize = QPageSize::A4;
    FComposite->PrinterSettings.Orientation = QPageLayout::Portrait;
    FComposite->Prepare();
    QRPreview1->Refresh();
    FComposite->PrinterSetup(this);
    if (FComposite->PrinterSettings.PrinterIndex < 0)
        return;
    FComposite->Print();
}
