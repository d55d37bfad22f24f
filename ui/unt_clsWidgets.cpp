#include "ui/unt_clsWidgets.h"

#include "data/unt_clsAmount.h"
#include "data/unt_clsText.h"

#include <QHeaderView>
#include <QInputMethodEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTextCursor>
#include <QTreeWidget>

QLabel *MakeLabel(QWidget *Parent, const QString &Name, const QString &Text, int X, int Y,
                  const QColor &Color)
{
    auto *label = new QLabel(Text, Parent);
    label->setObjectName(Name);
    if (Color.isValid())
        SetTextColor(label, Color);
    label->adjustSize();
    label->move(X, Y);
    return label;
}

QPushButton *MakeButton(QWidget *Parent, const QString &Name, const QString &Caption, int X, int Y, int W,
                        int H)
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

void SetUpListView(QTreeView *List, const QString &Name, int X, int Y, int W, int H,
                   const QList<TColumn> &Columns)
{
    List->setObjectName(Name);
    List->setGeometry(X, Y, W, H);
    List->setRootIsDecorated(false);
    List->setItemsExpandable(false);
    // One row height for all: the view never measures rows it does not show.
    List->setUniformRowHeights(true);
    List->setSelectionMode(QAbstractItemView::SingleSelection);
    List->setSelectionBehavior(QAbstractItemView::SelectRows);
    List->setEditTriggers(QAbstractItemView::NoEditTriggers);
    List->setAllColumnsShowFocus(true);
    List->setIconSize(QSize(16, 16));
    QHeaderView *header = List->header();
    header->setMinimumSectionSize(0);
    header->setStretchLastSection(false);
    header->setSectionsMovable(false);
    header->resizeSection(0, 0);
    for (qsizetype i = 0; i < Columns.size(); ++i)
        header->resizeSection(static_cast<int>(i) + 1, Columns[i].Width);
}

QTreeWidget *MakeListView(QWidget *Parent, const QString &Name, int X, int Y, int W, int H,
                          std::initializer_list<TColumn> Columns)
{
    auto *list = new QTreeWidget(Parent);
    QStringList titles{QString()};
    for (const auto &column : Columns)
        titles << column.Title;
    list->setHeaderLabels(titles);
    int i = 1;
    for (const auto &column : Columns) {
        if (column.RightAligned)
            list->headerItem()->setTextAlignment(i, Qt::AlignRight | Qt::AlignVCenter);
        ++i;
    }
    SetUpListView(list, Name, X, Y, W, H, QList<TColumn>(Columns));
    return list;
}

void SetCell(QTreeWidgetItem *Item, int Column, const QString &Text)
{
    const QString line = OneLineText(Text);
    Item->setText(Column, line);
    Item->setData(Column, Qt::UserRole, line == Text ? QVariant() : QVariant(Text));
}

QString CellText(const QTreeWidgetItem *Item, int Column)
{
    const QVariant whole = Item->data(Column, Qt::UserRole);
    return whole.isValid() ? whole.toString() : Item->text(Column);
}

const QIcon &RowIcon()
{
    // The one 16 x 16 picture of every list row: a small ledger page.
    static const QIcon icon = [] {
        QPixmap picture(16, 16);
        picture.fill(Qt::transparent);
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QColor(0x80, 0x00, 0x00));
        painter.setBrush(QColor(0xff, 0xf8, 0xe7));
        painter.drawRect(2, 1, 11, 13);
        painter.setPen(QColor(0x99, 0x99, 0x99));
        for (int y : {4, 7, 10})
            painter.drawLine(5, y, 11, y);
        painter.fillRect(2, 1, 2, 14, QColor(0x80, 0x00, 0x00));
        return QIcon(picture);
    }();
    return icon;
}

QTreeWidgetItem *MakeRow(QTreeWidget *List, const QStringList &Cells)
{
    auto *item = new QTreeWidgetItem;
    item->setIcon(0, RowIcon());
    for (int i = 0; i < Cells.size(); ++i) {
        SetCell(item, i + 1, Cells[i]);
        // Every cell centred in the row's height, so a right-aligned amount
        // stands on the same line as the texts beside it.
        const auto alignment =
            (Qt::Alignment(List->headerItem()->textAlignment(i + 1)) & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter;
        item->setTextAlignment(i + 1, alignment);
        // An amount of ten digits and more is cut short by its column; the
        // whole figure shows when the pointer rests on it.
        if (alignment & Qt::AlignRight)
            item->setToolTip(i + 1, Cells[i]);
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

TAmountEdit::TAmountEdit(QWidget *Parent) : QLineEdit(Parent)
{
    // The validator guards every insertion path of QLineEdit: a paste or
    // drop with any other character, a third decimal or a twelfth digit
    // before the point is refused whole rather than guessed at. Several
    // points get in, and Add says what is wrong with them.
    const QString pattern =
        QStringLiteral("^[0-9]{0,%1}(\\.[0-9]{0,%2})*$").arg(MaxAmountDigits).arg(AmountDecimals);
    setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), this));
    setMaxLength(MaxAmountLength);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setInputMethodHints(Qt::ImhDigitsOnly | Qt::ImhNoPredictiveText);
    setContextMenuPolicy(Qt::NoContextMenu);
    setAcceptDrops(false);
}

void TAmountEdit::inputMethodEvent(QInputMethodEvent *Event)
{
    // No composing here: only committed text, and that through the validator.
    if (!Event->commitString().isEmpty())
        insert(Event->commitString());
    Event->accept();
}

QVariant TAmountEdit::inputMethodQuery(Qt::InputMethodQuery Query) const
{
    if (Query == Qt::ImEnabled)
        return false;
    return QLineEdit::inputMethodQuery(Query);
}
