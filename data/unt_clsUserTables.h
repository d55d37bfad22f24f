#pragma once
// Every table that holds rows of one member, and how a row is known to be
// theirs. A member's restore and a member's delete both go by this list
// alone, so a new per-user table is one more line in PerUserTables() (see
// the comment there).
#include <QList>
#include <QString>

class TclsConnection;

struct TUserTable {
    TUserTable(const QString &TableName, const QString &User, const QString &Number = {},
               const QString &NumberingName = {}, bool TakenFromCopy = true)
        : Table(TableName), UserColumn(User), NumberColumn(Number), Numbering(NumberingName),
          FromCopy(TakenFromCopy)
    {
    }
    // The table's name.
    QString Table;
    // The column that names the member (the stored, encoded name). Empty for
    // a table whose rows belong to the numbered rows of other tables: the
    // import's order numbers follow their records.
    QString UserColumn;
    // With UserColumn: the rows' own number, kept by a restore unless another
    // member's row has taken it since (then the restored row is given a new
    // one, and the rows that follow it go with it). Without: the number of
    // the row this one follows. Empty when rows are not numbered.
    QString NumberColumn;
    // Tables of one numbering share their numbers: a record keeps its
    // number in the trash, and an order number follows it there.
    QString Numbering;
    // False for what belongs to the member's account rather than to their
    // books (the password, the count of wrong passwords, notices): a
    // restore leaves the live rows as they are; a delete removes them.
    bool FromCopy = true;
};

const QList<TUserTable> &PerUserTables();

// Removes every row of the member (EncodedName as stored) from every table
// of the list that Db has; FromCopyOnly keeps the account's own rows. Runs
// inside the caller's transaction.
void DeleteMemberRows(TclsConnection &Db, const QString &EncodedName, bool FromCopyOnly);

// Removes the rows that follow the row numbered Number of Numbering (a
// purged record's order number). Runs inside the caller's transaction.
void DeleteFollowers(TclsConnection &Db, const QString &Numbering, qint64 Number);

// Replaces the member's books in the main database of Db by their rows in
// the attached database Schema, table by table of the list; a table the
// copy does not have is left as it is (the live rows stay), a column it
// lacks takes its default.
// Runs inside the caller's transaction. Returns how many of the member's
// rows were given a new number.
int ReplaceMemberRows(TclsConnection &Db, const QString &Schema, const QString &EncodedName);

// The largest number a restored row may carry. A household's books never
// come near it (a thousand records a second for eight thousand years), and
// it leaves the books' numbering almost all of its room: a copy may have
// been planted by another member, and a number at the end of the range
// would leave every member's next record without one.
inline constexpr qint64 MaxRowNumber = qint64(1) << 48;

// Empty when the member's rows in the attached copy Schema may be taken:
// every number a whole number from 1 to MaxRowNumber, and room left below
// it for the rows that must be given new numbers. Else a Chinese text
// saying why the copy is refused. Only reads. An empty EncodedName checks
// every row of the copy, for a copy that is to become the whole books.
QString CheckMemberRows(TclsConnection &Db, const QString &Schema, const QString &EncodedName);
