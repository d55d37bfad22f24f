#pragma once
// Thin RAII wrapper over the SQLite C library: the only code that talks to
// SQLite. Values always travel as bound parameters, never inside the text.
#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QVariant>

#include <memory>
#include <stdexcept>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

class TclsDatabaseError : public std::runtime_error
{
  public:
    TclsDatabaseError(const std::string &Message, int Code) : std::runtime_error(Message), FCode(Code) {}
    int Code() const { return FCode; }

  private:
    int FCode;
};

// A value bound to a "?" of a statement.
using TclsSqlValue = QVariant;
using TclsSqlValues = std::vector<TclsSqlValue>;

class TclsRecordSet
{
  public:
    TclsRecordSet(sqlite3 *Db, sqlite3_stmt *Statement);
    TclsRecordSet(TclsRecordSet &&) noexcept;
    TclsRecordSet(const TclsRecordSet &) = delete;
    TclsRecordSet &operator=(const TclsRecordSet &) = delete;
    ~TclsRecordSet();

    bool Eof() const { return FEof; }
    void MoveNext();
    // The named column of the current row as text; NULL reads as empty text.
    QString Field(const QString &Column) const;
    QString Field(int Column) const;
    double FieldDouble(int Column) const;
    qint64 FieldInt64(int Column) const;
    // The column's UTF-8 bytes, valid until the next MoveNext.
    QByteArrayView RawField(int Column) const;
    int ColumnIndex(const QString &Column) const;

  private:
    void Step();
    sqlite3 *FDb;
    sqlite3_stmt *FStatement;
    bool FEof = true;
    QHash<QString, int> FColumns;
};

class TclsConnection
{
  public:
    // Opens an existing database read-write; a missing file is an error, and
    // the file is never created.
    explicit TclsConnection(const QString &File);
    TclsConnection(const TclsConnection &) = delete;
    TclsConnection &operator=(const TclsConnection &) = delete;
    ~TclsConnection();

    void Execute(const char *Sql, const TclsSqlValues &Values = {});
    TclsRecordSet Query(const char *Sql, const TclsSqlValues &Values = {});
    void ExecuteScript(const char *Sql);
    qint64 LastInsertId() const;
    sqlite3 *Handle() const { return FDb; }

    // How long a statement waits for another program's lock before it fails.
    static void SetBusyTimeout(int Milliseconds);
    // Grows whenever a connection of this program inserts, changes or
    // deletes a ledger record (even in a transaction later rolled back): a
    // copy of the ledger kept in memory compares it to know it is stale.
    static quint64 LedgerWrites();

  private:
    sqlite3_stmt *Prepare(const char *Sql, const TclsSqlValues &Values);
    [[noreturn]] void Fail(int Code, const char *What = nullptr);
    sqlite3 *FDb = nullptr;
    QString FFile;
};

// BEGIN IMMEDIATE ... COMMIT; rolled back unless Commit() was reached.
class TclsTransaction
{
  public:
    explicit TclsTransaction(TclsConnection &Connection);
    TclsTransaction(const TclsTransaction &) = delete;
    TclsTransaction &operator=(const TclsTransaction &) = delete;
    ~TclsTransaction();
    void Commit();

  private:
    TclsConnection &FConnection;
    bool FDone = false;
};

// Whether this account may not enter or write the books' folder, or read
// and write the books (as a member outside the books' group).
bool IsAccessDenied(const QString &File);

// The amount and ID texts that may be bound to numeric columns.
bool IsPlainDecimal(const QString &Text);
bool IsPlainInteger(const QString &Text);
