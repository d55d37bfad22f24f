#include "app/unt_clsWidgets.h"

#include <QDateEdit>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QTreeWidget>

QLabel *MakeLabel(QWidget *Parent, const QString &Name, const QString &Text, int X, int Y, const QColor &Color)
{
    auto *label = new QLabel(Text, Parent);
    label->setObjectName(Name);
    if (Color.isValid())
        SetTextColor(label, Color);
    label->adjustSize();
    label->move(X, Y);
    return label;
}

QPushButton *MakeButton(QWidget *Parent, const QString &Name, const QString &Caption, int X, int Y, int W, int H)
{
    auto *button = new QPushButton(Caption, Parent);
    button->setObjectName(Name);
    button->setGeometry(X, Y, W, H);
    return button;
}

void SetTextColor(QLabel *Label, const QColor &Color)
{
    // The disabled group keeps its grey, so a disabled label is drawn greyed.
    QPalette palette = Label->palette();
    palette.setColor(QPalette::Active, QPalette::WindowText, Color);
    palette.setColor(QPalette::Inactive, QPalette::WindowText, Color);
    Label->setPalette(palette);
}

void SetRightAlignedText(QLabel *Label, const QString &Text, int RightEdge)
{
    Label->setText(Text);
    Label->adjustSize();
    Label->move(RightEdge - Label->width(), Label->y());
}

QDateEdit *MakeDatePicker(QWidget *Parent, const QString &Name, int X, int Y, int W, int H)
{
    auto *picker = new QDateEdit(Parent);
    picker->setObjectName(Name);
    picker->setGeometry(X, Y, W, H);
    picker->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    picker->setCalendarPopup(true);
    picker->setDateRange(QDate(1900, 1, 1), QDate(9999, 12, 31));
    return picker;
}

QTreeWidget *MakeListView(QWidget *Parent, const QString &Name, int X, int Y, int W, int H,
                          std::initializer_list<TColumn> Columns)
{
    auto *list = new QTreeWidget(Parent);
    list->setObjectName(Name);
    list->setGeometry(X, Y, W, H);
    list->setRootIsDecorated(false);
    list->setItemsExpandable(false);
    list->setUniformRowHeights(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setAllColumnsShowFocus(true);
    QStringList titles{QString()};
    for (const auto &column : Columns)
        titles << column.Title;
    list->setHeaderLabels(titles);
    QHeaderView *header = list->header();
    header->setMinimumSectionSize(0);
    header->setStretchLastSection(false);
    header->setSectionsMovable(false);
    header->resizeSection(0, 0);
    int i = 1;
    for (const auto &column : Columns) {
        header->resizeSection(i, column.Width);
        if (column.RightAligned)
            list->headerItem()->setTextAlignment(i, Qt::AlignRight | Qt::AlignVCenter);
        ++i;
    }
    return list;
}

QTreeWidgetItem *MakeRow(QTreeWidget *List, const QStringList &Cells)
{
    auto *item = new QTreeWidgetItem;
    for (int i = 0; i < Cells.size(); ++i) {
        item->setText(i + 1, Cells[i]);
        item->setTextAlignment(i + 1, Qt::Alignment(List->headerItem()->textAlignment(i + 1)));
    }
    return item;
}

void LimitPlainText(QPlainTextEdit *Edit, int MaxLength)
{
    QObject::connect(Edit, &QPlainTextEdit::textChanged, Edit, [Edit, MaxLength] {
        const QString text = Edit->toPlainText();
        if (text.size() <= MaxLength)
            return;
        QTextCursor cursor = Edit->textCursor();
        const int position = qMin(cursor.position(), MaxLength);
        // Cut the surplus off the end of what was just typed or pasted.
        const int surplus = int(text.size()) - MaxLength;
        QString kept = text;
        const int cutAt = qMax(0, cursor.position() - surplus);
        kept.remove(cutAt, surplus);
        Edit->setPlainText(kept);
        cursor = Edit->textCursor();
        cursor.setPosition(qMin(cutAt, position));
        Edit->setTextCursor(cursor);
    });
}
