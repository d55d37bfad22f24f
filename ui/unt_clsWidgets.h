#pragma once
// Small builders for the absolutely placed controls of the program's windows.
#include "ui/unt_clsDatePicker.h"

#include <QColor>
#include <QIcon>
#include <QLineEdit>
#include <QString>

#include <initializer_list>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTreeView;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

QLabel *MakeLabel(QWidget *Parent, const QString &Name, const QString &Text, int X, int Y,
                  const QColor &Color = QColor());
void SetTextColor(QLabel *Label, const QColor &Color);
QPushButton *MakeButton(QWidget *Parent, const QString &Name, const QString &Caption, int X, int Y,
                        int W = 75, int H = 23);
// Keeps a label's right edge where the layout puts it as its text changes.
void SetRightAlignedText(QLabel *Label, const QString &Text, int RightEdge);

struct TColumn {
    QString Title;
    int Width;
    bool RightAligned = false;
};
// A read-only report-style list: an invisible first column, then Columns.
QTreeWidget *MakeListView(QWidget *Parent, const QString &Name, int X, int Y, int W, int H,
                          std::initializer_list<TColumn> Columns);
// The look and place every list shares, whether it holds items or shows a
// model: no tree decoration, whole-row single selection, the 0-pixel first
// column, then Columns' widths.
void SetUpListView(QTreeView *List, const QString &Name, int X, int Y, int W, int H,
                   const QList<TColumn> &Columns);
// The row icon of every list (image 0 of the lists' image list), drawn in
// the untitled first column.
const QIcon &RowIcon();
// A row of a list made by MakeListView: the row icon, then Cells in
// columns 1, 2, ...
QTreeWidgetItem *MakeRow(QTreeWidget *List, const QStringList &Cells);
// A cell shown on one line (a memo's line breaks as spaces, so every row
// keeps one line's height); CellText gives back the whole text.
void SetCell(QTreeWidgetItem *Item, int Column, const QString &Text);
QString CellText(const QTreeWidgetItem *Item, int Column);

// An amount field: whatever way text arrives (keys, Ctrl+V, the middle-click
// paste of X11, a drop, an input method), only digits and points get in.
// Tab, Delete and the other editing keys work as in any edit.
class TAmountEdit : public QLineEdit
{
  public:
    explicit TAmountEdit(QWidget *Parent);

  protected:
    void inputMethodEvent(QInputMethodEvent *Event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery Query) const override;
};

// The character limit of a memo, held for typed and pasted text alike.
void LimitPlainText(QPlainTextEdit *Edit, int MaxLength);

inline const QColor Maroon{0x80, 0x00, 0x00};
