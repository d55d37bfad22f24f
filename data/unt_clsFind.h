#pragma once
// Finding records as the user types: one user's whole ledger held as a
// compact range, every distinct name and memo folded once (NFKC and case
// folding) into one long text, so each key costs a search through that text
// and one pass over the small fixed records, never a query.
#include "data/unt_clsRangeRecords.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <vector>

// What the user asked for: words and the filters that narrow them.
struct TFindQuery {
    QString Words;
    QDate From, To;   // invalid: that end is open
    QString Type;     // "支出", "收入" or empty for both
    QString Name;     // a category name, or empty for every one
    QString Min, Max; // amount texts of the entry panels' form; blank: no bound
    bool operator==(const TFindQuery &) const = default;
};

struct TFindResult {
    // Indices into the index's records, newest first.
    std::vector<qsizetype> Rows;
    // Summed as the browse panel sums: per day, each day's sum rounded to
    // two decimals before it is added.
    double Out = 0, In = 0;
};

// A text as words compare: compatibility forms (full-width letters and
// digits) made plain, and case folded.
QString FoldText(const QString &Text);
// The words of a search: folded, split at half- and full-width blanks.
QStringList FindWords(const QString &Text);
// A word that is an amount (digits with at most one point, at most two
// places that are not zero) in cents; -1 when it is none.
qint64 AmountWordCents(const QString &Word);
// The amounts a number word begins, in cents: 58 is 58.00 to 58.99, 58.2 is
// 58.20 to 58.29, 58.20 only itself; false when the word is no amount.
bool AmountWordRange(const QString &Word, qint64 &Low, qint64 &High);
// A date word: a day ("2026-11-30"), a month ("2026-11") or a day of any
// year ("11-30"); fields a word leaves open are 0. False for no date word.
struct TDateWord {
    int Year = 0, Month = 0, Day = 0;
    bool Matches(const QDate &Date) const;
};
bool DateWord(const QString &Word, TDateWord &Date);
// An amount bound typed as in the entry panels, in cents; -1 when blank or
// not an amount the entry panels would take.
qint64 AmountBoundCents(const QString &Text);

class TFindIndex
{
  public:
    // Takes the user's whole ledger as the store read it.
    void Reset(TRangeRecords Records);
    const TRangeRecords &Records() const { return FRecords; }
    TFindResult Run(const TFindQuery &Query) const;
    // Every category name the records use, in order of first use.
    QStringList Names() const;

    // Keep the index in step with a change made through the store; false
    // when the record is not in the index.
    bool Change(qint64 Id, const QString &Name, double Money, const QString &Memo);
    bool Remove(qint64 Id);

  private:
    void AddFolded(const QString &Text);
    // Marks in Masks the texts that contain Word with Bit.
    void MarkTexts(const QString &Word, quint64 Bit, std::vector<quint64> &Masks) const;

    TRangeRecords FRecords;
    // Text i folded is FFolded[FStarts[i], FStarts[i + 1] - 1); a line break
    // ends each, and no word holds one, so no match spans two texts.
    QString FFolded;
    std::vector<qsizetype> FStarts;
    std::vector<qsizetype> FNewestFirst;
    // Records deleted since the read: the range keeps its order meanwhile.
    std::vector<bool> FGone;
};
