#pragma once
// What the 查找记录 window keeps in the books: one user's whole ledger read
// through the store, and the user's searches: the named ones and, under
// the empty name, the last one. Searches live in Saved_Searches, whose
// User_Name is the owner's.
#include "data/unt_clsFind.h"

#include <QString>
#include <QStringList>

class TclsDatabaseUser;

class TclsFindStore
{
  public:
    explicit TclsFindStore(const QString &DatabaseFile);

    // The user's first and last record dates; false when there is none.
    bool GetRecordSpan(const QString &UserName, QDate &First, QDate &Last);
    // Every record of the user, through the store's range read.
    void GetAllRecords(TclsDatabaseUser &Store, const QString &UserName, TRangeRecords &Records);
    // Grows with every change of a ledger record made by this program.
    static quint64 LedgerWrites();

    // The names of the user's saved searches, in name order.
    QStringList SearchNames(const QString &UserName);
    // False when there is no search of that name; Name empty is the last search.
    bool LoadSearch(const QString &UserName, const QString &Name, TFindQuery &Query);
    void SaveSearch(const QString &UserName, const QString &Name, const TFindQuery &Query);
    bool SearchExists(const QString &UserName, const QString &Name);
    void DeleteSearch(const QString &UserName, const QString &Name);
    // A search of the new name is replaced.
    void RenameSearch(const QString &UserName, const QString &Name, const QString &NewName);

  private:
    QString FDatabaseFile;
};
