#include "ui/unt_clsWidgets.h"

#include "data/unt_clsText.h"

#include <QApplication>
#include <QDateEdit>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTextCursor>
#include <QToolTip>
#include <QTreeWidget>

#include <utility>

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

TDatePicker::TDatePicker(QWidget *Parent) : QDateEdit(Parent)
{
    // Dates set by the program, or whole dates the user committed, are the
    // ones a refused date falls back to; dates passed on the way while
    // typing (2019-02-02 on the way to 2019-02-29) are not.
    connect(this, &QDateEdit::dateChanged, this, [this](const QDate &Date) {
        if (!FTyping)
            FLastWhole = Date;
    });
}

bool TDatePicker::CommitTyped()
{
    // A refusal met while typing holds the first Enter too, so the user
    // sees the date went back before moving on.
    if (std::exchange(FRefusedSinceCommit, false))
        return false;
    if (!FTyping)
        return true;
    FTyping = false;
    if (TextIsDate()) {
        FLastWhole = QDate::fromString(lineEdit()->text(), displayFormat());
        setDate(FLastWhole);
        return true;
    }
    Refuse();
    return false;
}

bool TDatePicker::TextIsDate() const
{
    return QDate::fromString(lineEdit()->text(), displayFormat()).isValid();
}

void TDatePicker::Refuse()
{
    // Back to the last whole date, shown in red until the next key.
    FTyping = false;
    FRefusedSinceCommit = true;
    if (FLastWhole.isValid())
        setDate(FLastWhole);
    ++FRefusals;
    FMarked = true;
    QPalette palette = this->palette();
    palette.setColor(QPalette::Base, QColor(0xff, 0xd0, 0xd0));
    setPalette(palette);
    QToolTip::showText(mapToGlobal(QPoint(0, height())), QStringLiteral("日期无效，请重新输入。"), this);
    QApplication::beep();
}

void TDatePicker::SelectSectionAtCursor()
{
    // Sections are found by the separators, as the text may hold a partly
    // typed section ("201-06-01").
    QLineEdit *edit = lineEdit();
    const QString text = edit->text();
    const int cursor = edit->cursorPosition();
    const int start = cursor == 0 ? 0 : int(text.lastIndexOf(QLatin1Char('-'), cursor - 1)) + 1;
    int end = int(text.indexOf(QLatin1Char('-'), cursor));
    if (end < 0)
        end = int(text.size());
    edit->setSelection(start, end - start);
}

void TDatePicker::keyPressEvent(QKeyEvent *Event)
{
    QLineEdit *edit = lineEdit();
    if (std::exchange(FMarked, false))
        setPalette(QPalette());
    if (Event->key() == Qt::Key_Return || Event->key() == Qt::Key_Enter) {
        if (CommitTyped())
            QDateEdit::keyPressEvent(Event);
        return;
    }
    const QString typed = Event->text();
    const bool digit =
        typed.size() == 1 && typed.front().isDigit() && !(Event->modifiers() & Qt::ControlModifier);
    if (digit) {
        if (edit->selectedText() == edit->text()) {
            // A whole date typed over everything starts with the year.
            edit->setSelection(0, int(edit->text().indexOf(QLatin1Char('-'))));
        } else if (!edit->hasSelectedText()) {
            const QString text = edit->text();
            const int cursor = edit->cursorPosition();
            const bool sectionStart = cursor == 0 || text.at(cursor - 1) == QLatin1Char('-');
            if (cursor != FTypedAt || sectionStart)
                SelectSectionAtCursor();
        }
        const QString before = edit->text();
        const int from = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
        // What the text would be with the digit simply typed in.
        const QString expected =
            QString(before).replace(from, edit->hasSelectedText() ? edit->selectedText().size() : 0, typed);
        FTyping = true;
        QDateEdit::keyPressEvent(Event);
        FTypedAt = edit->cursorPosition();
        const QStringList want = expected.split(QLatin1Char('-')), now = edit->text().split(QLatin1Char('-'));
        if (edit->text() == before) {
            Refuse(); // Qt would not take the digit
        } else if (want != now) {
            // Qt changed what was typed to make the date possible
            // (2019-02-29 became 2019-02-28): that is a guess.
            FTypedAt = -1;
            Refuse();
        }
        return;
    }
    if (typed == QLatin1String("-") || typed == QLatin1String("/") || typed == QLatin1String(".")) {
        // A separator moves on to the next section, unless the year or month
        // just typed already moved there.
        const QString text = edit->text();
        const int cursor = edit->cursorPosition();
        if (!(cursor > 0 && text.at(cursor - 1) == QLatin1Char('-') && cursor == FTypedAt)) {
            const int next = int(text.indexOf(QLatin1Char('-'), cursor));
            if (next >= 0)
                edit->setCursorPosition(next + 1);
        }
        SelectSectionAtCursor();
        FTypedAt = -1;
        Event->accept();
        return;
    }
    FTypedAt = -1;
    QDateEdit::keyPressEvent(Event);
}

void TDatePicker::focusOutEvent(QFocusEvent *Event)
{
    // Qt would put a near date in place of one that cannot be; the last
    // whole date comes back instead, and the user sees why.
    CommitTyped();
    QDateEdit::focusOutEvent(Event);
}

QDateEdit *MakeDatePicker(QWidget *Parent, const QString &Name, int X, int Y, int W, int H)
{
    auto *picker = new TDatePicker(Parent);
    picker->setObjectName(Name);
    picker->setGeometry(X, Y, W, H);
    picker->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    picker->setCalendarPopup(true);
    picker->setDateRange(QDate(1900, 1, 1), QDate(9999, 12, 31));
    return picker;
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
        const auto alignment = Qt::Alignment(List->headerItem()->textAlignment(i + 1));
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
    // drop with any other character is refused whole rather than guessed at.
    setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("^[0-9.]*$")), this));
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
