#pragma once
// The store's one way to its books, whichever backend holds them: open, run
// a statement with bound values, step through its rows, transactions, the
// rows a statement changed, a new row's number, the layout's version. The
// store's statements are written once, with "?" placeholders; what differs
// between the dialects stays in the backend (data/sqlite/, data/postgres/).
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <stdexcept>
#include <vector>

// What kind of failure an error is, for the callers that act on it.
enum class TDbFault { Other, Busy, ReadOnly, Missing };

class TclsDatabaseError : public std::runtime_error
{
  public:
    TclsDatabaseError(const std::string &Message, int Code, TDbFault Fault = TDbFault::Other)
        : std::runtime_error(Message), FCode(Code), FFault(Fault)
    {
    }
    // The backend's own code (SQLite's result code, or 0).
    int Code() const { return FCode; }
    TDbFault Fault() const { return FFault; }
    bool IsBusy() const { return FFault == TDbFault::Busy; }
    // The books can be read but not written (or not reached at all).
    bool IsReadOnly() const { return FFault == TDbFault::ReadOnly || FFault == TDbFault::Missing; }

  private:
    int FCode;
    TDbFault FFault;
};

// A value bound to a "?" of a statement.
using TclsSqlValue = QVariant;
using TclsSqlValues = std::vector<TclsSqlValue>;

// A backend's rows of one statement. A column is read straight from the
// backend's own row, in the form the caller asks for: a range read of a
// few hundred thousand records reads millions of them.
class TclsCursor
{
  public:
    virtual ~TclsCursor() = default;
    // Steps to the next row; false after the last.
    virtual bool Next() = 0;
    // UTF-8 bytes valid until the next step; a NULL has no data at all.
    virtual QByteArrayView Text(int Column) = 0;
    virtual qint64 Int64(int Column) = 0;
    virtual double Double(int Column) = 0;
    virtual QStringList ColumnNames() = 0;
};

// The column names a table has in the books, in order; none when the table
// is missing. Schema is the books' own ("") or an attached copy's.
class TclsBackend
{
  public:
    virtual ~TclsBackend() = default;
    virtual void Execute(const char *Sql, const TclsSqlValues &Values) = 0;
    virtual std::unique_ptr<TclsCursor> Query(const char *Sql, const TclsSqlValues &Values) = 0;
    // Several statements without values (a layout step, a test's set-up).
    virtual void ExecuteScript(const char *Sql) = 0;
    virtual qint64 LastInsertId(const char *Table) = 0;
    // Inserts many rows of Columns into Table at once and gives their new
    // numbers in order: a save of a thousand rows is not a thousand trips.
    virtual QList<qint64> InsertRows(const char *Table, const char *Columns,
                                     const std::vector<TclsSqlValues> &Rows) = 0;
    virtual qint64 Changes() = 0;
    virtual void Begin() = 0;
    virtual void Commit() = 0;
    virtual void Rollback() noexcept = 0;
    virtual int SchemaVersion() = 0;
    virtual void SetSchemaVersion(int Version) = 0;
    virtual QStringList Columns(const QString &Table, const QString &Schema) = 0;
    // The highest number a numbered table has ever given out, deleted rows
    // included (0 when it keeps no such count).
    virtual qint64 HighestNumber(const QString &Table) = 0;
    // Where the books are, for messages.
    virtual QString Place() const = 0;
};

class TclsRecordSet
{
  public:
    explicit TclsRecordSet(std::unique_ptr<TclsCursor> Cursor);
    TclsRecordSet(TclsRecordSet &&) noexcept = default;
    TclsRecordSet(const TclsRecordSet &) = delete;
    TclsRecordSet &operator=(const TclsRecordSet &) = delete;
    ~TclsRecordSet();

    bool Eof() const { return FEof; }
    void MoveNext()
    {
        if (!FEof)
            FEof = !FCursor->Next();
    }
    // The named column of the current row as text; NULL reads as empty text.
    QString Field(const QString &Column) const { return Field(ColumnIndex(Column)); }
    QString Field(int Column) const;
    double FieldDouble(int Column) const { return Current().Double(Column); }
    qint64 FieldInt64(int Column) const { return Current().Int64(Column); }
    // The column's UTF-8 bytes, valid until the next MoveNext.
    QByteArrayView RawField(int Column) const { return Current().Text(Column); }
    int ColumnIndex(const QString &Column) const;

  private:
    TclsCursor &Current() const
    {
        if (FEof)
            NoRow();
        return *FCursor;
    }
    [[noreturn]] static void NoRow();

    std::unique_ptr<TclsCursor> FCursor;
    bool FEof = true;
    mutable QHash<QString, int> FColumns;
};

class TclsConnection
{
  public:
    // Opens existing books read-write: a file (never created when missing)
    // or, given a postgresql:// URI, a database on a server.
    explicit TclsConnection(const QString &Books);
    TclsConnection(const TclsConnection &) = delete;
    TclsConnection &operator=(const TclsConnection &) = delete;
    ~TclsConnection();

    void Execute(const char *Sql, const TclsSqlValues &Values = {}) { FBackend->Execute(Sql, Values); }
    TclsRecordSet Query(const char *Sql, const TclsSqlValues &Values = {})
    {
        return TclsRecordSet(FBackend->Query(Sql, Values));
    }
    void ExecuteScript(const char *Sql) { FBackend->ExecuteScript(Sql); }
    // The number the last insert into Table gave its row.
    qint64 LastInsertId(const char *Table) { return FBackend->LastInsertId(Table); }
    // Columns as "A,B,C"; every row holds a value for each.
    QList<qint64> InsertRows(const char *Table, const char *Columns, const std::vector<TclsSqlValues> &Rows)
    {
        return FBackend->InsertRows(Table, Columns, Rows);
    }
    // The rows the last insert, update or delete touched.
    qint64 Changes() { return FBackend->Changes(); }
    int SchemaVersion() { return FBackend->SchemaVersion(); }
    void SetSchemaVersion(int Version) { FBackend->SetSchemaVersion(Version); }
    QStringList Columns(const QString &Table, const QString &Schema = {})
    {
        return FBackend->Columns(Table, Schema);
    }
    bool HasTable(const QString &Table, const QString &Schema = {})
    {
        return !Columns(Table, Schema).isEmpty();
    }
    qint64 HighestNumber(const QString &Table) { return FBackend->HighestNumber(Table); }
    TclsBackend &Backend() { return *FBackend; }

    // Whether Books names a database on a server rather than a file.
    static bool IsServer(const QString &Books);
    // How long a statement waits for another program's lock before it fails.
    static void SetBusyTimeout(int Milliseconds);
    static int BusyTimeout();
    // Grows whenever a connection of this program inserts, changes or
    // deletes a ledger record (even in a transaction later rolled back): a
    // copy of the ledger kept in memory compares it to know it is stale.
    static quint64 LedgerWrites();
    static void CountLedgerWrite();

  private:
    std::unique_ptr<TclsBackend> FBackend;
};

// A write transaction, rolled back unless Commit() was reached. It takes the
// books' write lock at once, so a wait for another program happens here
// rather than half-way through the work.
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

// The amount and ID texts that may be bound to numeric columns.
bool IsPlainDecimal(const QString &Text);
bool IsPlainInteger(const QString &Text);
