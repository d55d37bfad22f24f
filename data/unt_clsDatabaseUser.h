#pragma once
// The household's books: users, their category lists and their ledger. This
// class owns every statement; windows only ever see plain texts and lists.
#include "data/unt_clsCategoryDays.h"
#include "data/unt_clsRangeRecords.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>

using TotalsLists = std::array<QStringList, 3>; // name, total, percent

class TclsConnection;

// A category's monthly budget, in cents.
struct TBudget {
    QString Name;
    qint64 Cents = 0;
};

// Runs inside AddRecords' transaction after the inserts, given the new
// records' IDs in list order; an error in it undoes the whole save.
using TRecordsAddedHook = std::function<void(TclsConnection &Db, const QList<qint64> &Ids)>;

class TclsDatabaseUser
{
  public:
    TclsDatabaseUser(); // <executable dir>/Database/pondo.sjk
    explicit TclsDatabaseUser(const QString &DatabaseFile);

    QStringList GetUserNames();
    // A login on books that cannot be written succeeds and sets ReadOnly().
    // Every check of a password below answers false, without trying it,
    // while SecondsToWait(UserName) is above 0 (see PasswordWait).
    bool CheckLogin(const QString &UserName, const QString &Password);
    bool ReadOnly() const { return FReadOnly; }
    int SecondsToWait(const QString &UserName);
    // The password as it is in these books, counted like a login's.
    bool PasswordMatches(const QString &UserName, const QString &Password);
    // The name is trimmed; false when it equals an existing name once both
    // are NFKC-normalised and case-folded ("Alice", "ａｌｉｃｅ "), or looks
    // like one (UserNames::Skeleton), or has characters nobody sees
    // (UserNames::Problem).
    bool AddUser(const QString &UserName, const QString &Password);
    static QString NameKey(const QString &UserName);
    bool ChangePassword(const QString &UserName, const QString &OldPassword, const QString &NewPassword);
    // Removes every row of the member in every table (PerUserTables), after
    // a safety copy, in one transaction.
    bool DeleteUser(const QString &UserName, const QString &Password);
    // What the member is to be told once after a restore of the whole books,
    // or empty; it is not told again.
    QString TakeRestoreNotice(const QString &UserName);
    static QString LoadTextResource(const QString &Name);

    void GetProgramNames(const QString &UserName, QStringList &OutNames, QStringList &InNames);
    void SetProgramNames(const QString &UserName, const QString &ListKind, const QString &NamesText);
    static QStringList SplitLines(const QString &Text);

    void AddRecords(const QString &UserName, const QString &ProgramType, const QStringList &Dates,
                    const QStringList &Names, const QStringList &Moneys, const QStringList &Memos,
                    const TRecordsAddedHook &AfterInsert = {});
    void GetDayRecords(const QString &UserName, const QDate &DateFrom, const QDate &DateTo, DayLists &Days,
                       DetailLists &Details);
    // The same range kept compact: what the browse panel, the detail
    // dialog and the outputs read, however long the range.
    void GetRangeRecords(const QString &UserName, const QDate &DateFrom, const QDate &DateTo,
                         TRangeRecords &Records);
    // Changes whenever the books may have changed since: a write by this
    // program, or the file touched by another. A range read under one stamp
    // still holds while the stamp is the same.
    QByteArray ChangeStamp() const;
    // By number alone, for callers that hold no member.
    void DeleteRecord(const QString &ID);
    void UpdateRecord(const QString &ID, const QString &Name, const QString &Money, const QString &Memo);
    // The program's own: the record must be UserName's. A number that is not
    // (any more) theirs throws a Chinese message and changes nothing.
    void DeleteRecord(const QString &UserName, const QString &ID);
    void UpdateRecord(const QString &UserName, const QString &ID, const QString &Name, const QString &Money,
                      const QString &Memo);
    void GetProgramTotals(const QString &UserName, const QString &ProgramType, const QDate &DateFrom,
                          const QDate &DateTo, TotalsLists &Totals);
    // The range's amounts by day, category and kind, for the trends.
    void GetCategoryDays(const QString &UserName, const QDate &DateFrom, const QDate &DateTo,
                         TCategoryDays &Days);
    // The expense of each category over a range, in cents.
    QHash<QString, qint64> GetExpenseByName(const QString &UserName, const QDate &DateFrom,
                                            const QDate &DateTo);

    // Monthly budgets, one per expense category, in the order first set.
    QList<TBudget> GetBudgets(const QString &UserName);
    // Money is an amount text; blank or 0 removes the category's budget.
    void SetBudget(const QString &UserName, const QString &Name, const QString &Money);

    QString DatabaseFile() const { return FDatabaseFile; }
    // The file the no-argument constructor uses; tests point it elsewhere.
    static QString DefaultDatabaseFile();
    static void SetDefaultDatabaseFile(const QString &File);

  private:
    QString FDatabaseFile;
    bool FReadOnly = false;
};
