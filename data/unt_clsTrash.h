#pragma once
// The trash of deleted ledger records: a deleted record moves here with the
// time of its deletion and waits for its owner to restore it (with its old
// ID, which the ledger never gives out again) or to purge it. Every
// operation is one transaction and touches the given user's records only.
#include <QString>
#include <QStringList>

#include <array>

class TclsConnection;

// ID, deleted at ("yyyy-MM-dd HH:mm:ss"), date, type, name, amount, memo.
using TrashLists = std::array<QStringList, 7>;

// Moves one record of All_Table into the trash, inside the caller's
// transaction; false when there is no such record, or, with EncodedUser
// given, when it is not that member's.
bool MoveRecordToTrash(TclsConnection &Db, qint64 ID, const QString &EncodedUser = {});

class TclsTrash
{
  public:
    explicit TclsTrash(const QString &DatabaseFile);
    // The user's deleted records, the latest deletion first.
    void GetTrash(const QString &UserName, TrashLists &Records);
    // Each returns how many of the IDs were the user's and were done.
    int Restore(const QString &UserName, const QStringList &IDs);
    int Purge(const QString &UserName, const QStringList &IDs);

  private:
    QString FDatabaseFile;
};
