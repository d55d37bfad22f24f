#pragma once
// Small builders for the absolutely placed controls of the program's windows.
#include <QColor>
#include <QString>

#include <initializer_list>

class QDateEdit;
class QLabel;
class QPlainTextEdit;
class QPushButton;
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

QDateEdit *MakeDatePicker(QWidget *Parent, const QString &Name, int X, int Y, int W, int H);

struct TColumn {
    QString Title;
    int Width;
    bool RightAligned = false;
};
// A read-only report-style list: an invisible first column, then Columns.
QTreeWidget *MakeListView(QWidget *Parent, const QString &Name, int X, int Y, int W, int H,
                          std::initializer_list<TColumn> Columns);
// A row of a list made by MakeListView: Cells go to columns 1, 2, ...
QTreeWidgetItem *MakeRow(QTreeWidget *List, const QStringList &Cells);

// The character limit of a memo, held for typed and pasted text alike.
void LimitPlainText(QPlainTextEdit *Edit, int MaxLength);

inline const QColor Maroon{0x80, 0x00, 0x00};
