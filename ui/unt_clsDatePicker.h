#pragma once
// The date fields of the entry and browse panels.
#include <QDate>
#include <QDateEdit>
#include <QString>

class QWidget;

// A "yyyy-MM-dd" picker in which typed digits always land: Qt's own date edit
// drops a digit typed where a section is not selected (a click into the
// year, or the whole text after Ctrl+A), which silently kept the old year.
// A date that cannot be is refused visibly and never guessed: the field goes
// back to the whole date it showed before the impossible one was begun.
class TDatePicker : public QDateEdit
{
  public:
    explicit TDatePicker(QWidget *Parent);
    // False while the text is not a whole, possible date.
    bool TextIsDate() const;
    // Takes a typed date when it is whole and possible; otherwise refuses it
    // and returns false. Enter and leaving the field call it.
    bool CommitTyped();
    // Puts the last whole date back and marks the field (red until the next
    // key or until the field is left with a whole date, a tip and a beep).
    void Refuse();
    int Refusals() const { return FRefusals; }
    bool IsMarked() const { return FMarked; }

  protected:
    void keyPressEvent(QKeyEvent *Event) override;
    void mousePressEvent(QMouseEvent *Event) override;
    void focusOutEvent(QFocusEvent *Event) override;
    bool focusNextPrevChild(bool Next) override;
    bool eventFilter(QObject *Watched, QEvent *Event) override;

  private:
    void SelectSectionAtCursor();
    void Settle();
    void Unmark();
    // Takes Typed (the text as typed at TypedAt, in sections) with the 1st
    // for a day the typed month or year does not have; false when that is
    // not the only thing wrong.
    bool StandInDay(const QStringList &Typed, int TypedAt);
    int FTypedAt = -1;
    int FRefusals = 0;
    bool FMarked = false;
    bool FTyping = false;
    // The day on screen is the 1st put in for one the typed month lacks: the
    // date is not whole until the day is typed.
    bool FDayStandIn = false;
    bool FRefusedSinceCommit = false;
    QDate FLastWhole;
};

QDateEdit *MakeDatePicker(QWidget *Parent, const QString &Name, int X, int Y, int W, int H);
