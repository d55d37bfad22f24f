#pragma once
// The print preview: one prepared page at a time, paging buttons, printing.
#include <QDialog>

class QLabel;
class QToolButton;
class QWidget;
class TQRCompositeReport;
class TQRPreview;

class TfrmPreview : public QDialog
{
    Q_OBJECT
  public:
    // Composite: the document shown, which the print button prints.
    explicit TfrmPreview(TQRCompositeReport *Composite, QWidget *Parent = nullptr);

    QWidget *pnlTop, *pnlBottom;
    QToolButton *btnHeadPage, *btnBackPage, *btnNextPage, *btnTailPage, *btnPrint;
    TQRPreview *QRPreview1;
    QLabel *lblCurrentPage;

    void btnHeadPageClick();
    void btnBackPageClick();
    void btnNextPageClick();
    void btnTailPageClick();
    void btnPrintClick();

  protected:
    void showEvent(QShowEvent *Event) override;

  private:
    void FormCreate();
    void ShowPageLabel();
    QToolButton *MakeSpeedButton(const char *Name, const QString &Caption, int Left);
    TQRCompositeReport *FComposite;
};
