#pragma once
// What becomes of each row of a bill: its type, proposed category, memo,
// state and whether it starts checked, judged against what the user's books
// already hold. Pure code: the store's answers come in as plain tables.
#include "import/unt_clsBillFormats.h"

#include <QHash>
#include <QSet>

struct TImportContext {
    QStringList OutNames, InNames;
    QHash<QString, QString> Imported; // order number saved before -> its record's category
    QHash<QString, int> Stored;       // StoredKey -> how many records the books hold
    QHash<QString, QString> Rules;    // RuleKey -> the category last given
    QSet<QString> Pending;            // order numbers of imported rows not saved yet
};

struct TImportRow {
    enum class TGroup { New, Duplicate, Skipped };
    TBillRow Bill;
    QString Type, Name, Memo, State;
    QString Key; // the order number saved with the record
    bool Checked = false;
    TGroup Group = TGroup::New;
};

struct TImportSummary {
    int All = 0, New = 0, Duplicate = 0, Skipped = 0;
    QString Text() const;
};

namespace ImportCheck
{
inline constexpr int MemoLimit = 255;
QString StoredKey(const QString &Date, const QString &Type, qint64 Cents);
QString RuleKey(const QString &Type, const QString &Counterparty);
// Counterparty and item text, cut to the memo's limit between characters.
QString BuildMemo(const QString &Counterparty, const QString &Item);
QList<TImportRow> Check(const TBill &Bill, const TImportContext &Context);
TImportSummary Summarise(const QList<TImportRow> &Rows);
} // namespace ImportCheck
