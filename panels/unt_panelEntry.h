#pragma once
// An entry panel: the expense and income panels are two of these. Rows are
// collected by Add and saved together by Finish.
#include "panels/unt_panelHost.h"

#include <QWidget>

#include <functional>

class QAbstractButton;
class QAction;
class QComboBox;
class QDateEdit;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QTreeWidget;
class QTreeWidgetItem;

class TEntryPanel : public QWidget
{
  public:
    TEntryPanel(bool Expense, TPanelHost Host, QWidget *Parent);
    // Makes the controls; the window calls it once its own are made.
    void Build();

    const bool Expense;
    QDateEdit *Date = nullptr;
    QComboBox *Name = nullptr;
    QLineEdit *Money = nullptr;
    QPlainTextEdit *Memo = nullptr;
    QTreeWidget *List = nullptr;
    QLabel *Total = nullptr;
    QString Prefix() const { return Expense ? QStringLiteral("Out") : QStringLiteral("In"); }
    QString Type() const { return Expense ? QStringLiteral("支出") : QStringLiteral("收入"); }

    void Edit();
    void Add();
    void Delete();
    bool Finish();
    void ShowTotal();
    // The names editor saves both lists: the combo of either panel.
    std::function<QComboBox *(bool Expense)> NameCombo;
    // The selected row, when a recurring entry proposed it: remembered as
    // skipped and taken out ("跳过本次").
    void Skip();
    QMenu *ListMenu = nullptr;
    QAction *SkipAction = nullptr;
    QAbstractButton *SkipButton = nullptr; // over the selected proposed row

  protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;
    void showEvent(QShowEvent *Event) override;

  private:
    bool KeyEvent(QObject *Watched, QKeyEvent *Event);
    void BuildSkip();
    void PlaceSkipButton();
    QTreeWidgetItem *SelectedProposal() const;
    TPanelHost FHost;
};
