#include "ui/unt_clsDatePicker.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QToolTip>

#include <utility>

TDatePicker::TDatePicker(QWidget *Parent) : QDateEdit(Parent)
{
    // Dates set by the program, or whole dates the user committed, are the
    // ones a refused date falls back to; dates passed on the way while
    // typing (2019-02-02 on the way to 2019-02-29) are not.
    connect(this, &QDateEdit::dateChanged, this, [this](const QDate &Date) {
        if (!FTyping)
            FLastWhole = Date;
    });
    // A click into the text lands on the line edit, not on the picker.
    lineEdit()->installEventFilter(this);
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
    if (TextIsDate() && !FDayStandIn) {
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

void TDatePicker::Settle()
{
    // What ends an entry (a click, Tab to the next part, Ctrl+A, an arrow)
    // makes the whole date on screen the one a later refusal goes back to:
    // after the year was typed over and Tab pressed, 2019-12-09 is what the
    // user saw last, not the date of the last Enter.
    if (FTyping && TextIsDate() && !FDayStandIn) {
        FTyping = false;
        FLastWhole = QDate::fromString(lineEdit()->text(), displayFormat());
    }
}

void TDatePicker::Unmark()
{
    if (std::exchange(FMarked, false))
        setPalette(QPalette());
}

void TDatePicker::Refuse()
{
    // Back to the last whole date, shown in red until the next key.
    FTyping = false;
    FDayStandIn = false;
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

bool TDatePicker::StandInDay(const QStringList &Typed, int TypedAt)
{
    if (Typed.size() != 3 || Typed[0].size() != 4 || Typed[1].size() != 2)
        return false;
    bool yearOk = false, monthOk = false, dayOk = false;
    const int year = Typed[0].toInt(&yearOk), month = Typed[1].toInt(&monthOk), day = Typed[2].toInt(&dayOk);
    const QDate first(year, month, 1);
    if (!yearOk || !monthOk || !dayOk || !first.isValid() || day <= first.daysInMonth() ||
        first < minimumDate() || first > maximumDate())
        return false;
    QLineEdit *edit = lineEdit();
    // Year typed: on to the month; month typed: on to the day, as Qt moves on
    // after a section's last digit.
    const int typedSection = TypedAt < 5 ? 0 : 1;
    FTyping = true;
    setDate(first);
    FDayStandIn = true;
    FTypedAt = typedSection == 0 ? 5 : 8;
    edit->setCursorPosition(FTypedAt);
    return true;
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
    if (Event->key() == Qt::Key_Return || Event->key() == Qt::Key_Enter) {
        // An Enter held by a refusal keeps the mark: the user is being shown
        // that the date went back.
        if (CommitTyped()) {
            Unmark();
            QDateEdit::keyPressEvent(Event);
        }
        return;
    }
    Unmark();
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
        const int daySection = int(before.lastIndexOf(QLatin1Char('-'))) + 1;
        if (from >= daySection)
            FDayStandIn = false;
        if (edit->text() == before || want != now) {
            // Qt would not take the digit, or changed what was typed to make
            // the date possible (2019-02-29 became 2019-02-28): a guess. A
            // month or year that only the old day does not fit (11 typed
            // over the month of a 31st) is taken, with the 1st standing in
            // for the day until the day is typed.
            if (from >= daySection || !StandInDay(want, from))
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
    // Backspace and Delete belong to the entry being typed; any other key
    // ends it.
    if (Event->key() != Qt::Key_Backspace && Event->key() != Qt::Key_Delete)
        Settle();
    FTypedAt = -1;
    QDateEdit::keyPressEvent(Event);
}

void TDatePicker::mousePressEvent(QMouseEvent *Event)
{
    Settle();
    QDateEdit::mousePressEvent(Event);
}

bool TDatePicker::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Watched == lineEdit() && Event->type() == QEvent::MouseButtonPress)
        Settle();
    return QDateEdit::eventFilter(Watched, Event);
}

bool TDatePicker::focusNextPrevChild(bool Next)
{
    // Tab moves from part to part of the date before it leaves the field.
    Settle();
    return QDateEdit::focusNextPrevChild(Next);
}

void TDatePicker::focusOutEvent(QFocusEvent *Event)
{
    // Qt would put a near date in place of one that cannot be; the last
    // whole date comes back instead, and the user sees why. A mark of an
    // earlier refusal goes once the field is left with a whole date.
    const bool wasMarked = FMarked;
    const int refusals = FRefusals;
    CommitTyped();
    if (wasMarked && FRefusals == refusals && TextIsDate())
        Unmark();
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
