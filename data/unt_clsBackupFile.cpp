#include "data/unt_clsBackupFile.h"

#include "data/unt_clsBooksFile.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <sqlite3.h>

namespace
{
const int PagesPerStep = 1024;

// One SQLite handle, closed however the function ends.
class TRawDb
{
  public:
    // Every file opened here is the books or one of their copies: opened as
    // itself or not at all (see DatabaseFileProblem).
    TRawDb(const QString &File, int Flags)
    {
        TFileIdentity id;
        FProblem = DatabaseFileProblem(File, &id);
        if (!FProblem.isEmpty()) {
            FRc = SQLITE_CANTOPEN;
            return;
        }
        FRc = sqlite3_open_v2(QFile::encodeName(ResolvedFolderPath(File)).constData(), &FDb,
                              Flags | SQLITE_OPEN_NOFOLLOW, nullptr);
        if (FRc == SQLITE_OK && !SameFile(File, id)) {
            FProblem = SwappedText(File);
            FRc = SQLITE_CANTOPEN;
        }
    }
    ~TRawDb() { sqlite3_close_v2(FDb); }
    TRawDb(const TRawDb &) = delete;
    TRawDb &operator=(const TRawDb &) = delete;
    bool Ok() const { return FRc == SQLITE_OK; }
    sqlite3 *Handle() const { return FDb; }
    QString Error() const
    {
        if (!FProblem.isEmpty())
            return FProblem;
        return QString::fromUtf8(FDb ? sqlite3_errmsg(FDb) : sqlite3_errstr(FRc));
    }
    // Files the program writes are never reached through a link, and their
    // changes are journalled in memory: a journal file beside them would be
    // one more name in a shared folder.
    static TRawDb Writable(const QString &File)
    {
        TRawDb db(File, SQLITE_OPEN_READWRITE);
        if (db.Ok() && !db.Run("PRAGMA journal_mode=MEMORY"))
            db.FRc = SQLITE_CANTOPEN;
        return db;
    }
    TRawDb(TRawDb &&Other) noexcept : FDb(Other.FDb), FRc(Other.FRc), FProblem(std::move(Other.FProblem))
    {
        Other.FDb = nullptr;
    }
    // Runs Sql; the first column of each row goes to Rows.
    bool Run(const char *Sql, QStringList *Rows = nullptr)
    {
        sqlite3_stmt *statement = nullptr;
        if (sqlite3_prepare_v2(FDb, Sql, -1, &statement, nullptr) != SQLITE_OK)
            return false;
        int rc;
        while ((rc = sqlite3_step(statement)) == SQLITE_ROW)
            if (Rows)
                *Rows << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)));
        sqlite3_finalize(statement);
        return rc == SQLITE_DONE;
    }

  private:
    sqlite3 *FDb = nullptr;
    int FRc = SQLITE_OK;
    QString FProblem;
};
} // namespace

TCopyOutcome CopyDatabaseFile(const QString &Source, const QString &Target, const TCopyLimits &Limits)
{
    TCopyOutcome outcome;
    TRawDb from(Source, SQLITE_OPEN_READONLY);
    if (!from.Ok()) {
        outcome.Error = from.Error();
        return outcome;
    }
    TRawDb to = TRawDb::Writable(Target);
    if (!to.Ok()) {
        outcome.Error = to.Error();
        return outcome;
    }
    // Short waits only: the loop below decides how long to keep trying, and
    // between its steps the thread can be told to stop.
    sqlite3_busy_timeout(from.Handle(), 50);
    sqlite3_backup *backup = sqlite3_backup_init(to.Handle(), "main", from.Handle(), "main");
    if (!backup) {
        outcome.Error = to.Error();
        return outcome;
    }
    QElapsedTimer clock;
    clock.start();
    int rc;
    for (;;) {
        rc = sqlite3_backup_step(backup, PagesPerStep);
        if (rc == SQLITE_DONE || (rc != SQLITE_OK && rc != SQLITE_BUSY && rc != SQLITE_LOCKED))
            break;
        if (Limits.Cancel && Limits.Cancel->load()) {
            outcome.Status = TCopyStatus::Cancelled;
            break;
        }
        if (clock.elapsed() > Limits.DeadlineMs) {
            outcome.Status = TCopyStatus::Busy;
            break;
        }
        if (rc != SQLITE_OK)
            QThread::msleep(20);
    }
    sqlite3_backup_finish(backup);
    if (rc == SQLITE_DONE && sqlite3_errcode(to.Handle()) == SQLITE_OK)
        outcome.Status = TCopyStatus::Done;
    else if (outcome.Status == TCopyStatus::Failed)
        outcome.Error = QString::fromUtf8(sqlite3_errstr(rc));
    return outcome;
}

QString CheckDatabaseFile(const QString &File, bool Quick, bool *Busy)
{
    if (Busy)
        *Busy = false;
    TRawDb db(File, SQLITE_OPEN_READONLY);
    if (!db.Ok())
        return db.Error();
    sqlite3_busy_timeout(db.Handle(), 2000);
    QStringList rows;
    if (!db.Run(Quick ? "PRAGMA quick_check(1)" : "PRAGMA integrity_check(1)", &rows)) {
        const int code = sqlite3_errcode(db.Handle()) & 0xff;
        if (Busy)
            *Busy = code == SQLITE_BUSY || code == SQLITE_LOCKED;
        return db.Error();
    }
    return rows.value(0, QStringLiteral("no answer"));
}

QString WriteCopyStamp(const QString &File, const TCopyStamp &Stamp)
{
    TRawDb db = TRawDb::Writable(File);
    if (!db.Ok())
        return db.Error();
    sqlite3_stmt *insert = nullptr;
    const bool made = db.Run("DROP TABLE IF EXISTS Backup_Info") &&
                      db.Run("CREATE TABLE Backup_Info (Taken_At TEXT NOT NULL, Sequence INTEGER NOT NULL, "
                             "Kind TEXT NOT NULL, Source TEXT NOT NULL DEFAULT '')") &&
                      sqlite3_prepare_v2(db.Handle(), "INSERT INTO Backup_Info VALUES (?,?,?,?)", -1, &insert,
                                         nullptr) == SQLITE_OK;
    if (!made)
        return db.Error();
    const QByteArray when = Stamp.TakenAt.toString(Qt::ISODate).toUtf8();
    const QByteArray kind = Stamp.Kind.toUtf8();
    const QByteArray source = Stamp.Source.toUtf8();
    sqlite3_bind_text(insert, 1, when.constData(), int(when.size()), SQLITE_TRANSIENT);
    sqlite3_bind_int64(insert, 2, Stamp.Sequence);
    sqlite3_bind_text(insert, 3, kind.constData(), int(kind.size()), SQLITE_TRANSIENT);
    sqlite3_bind_text(insert, 4, source.constData(), int(source.size()), SQLITE_TRANSIENT);
    const int rc = sqlite3_step(insert);
    sqlite3_finalize(insert);
    return rc == SQLITE_DONE ? QString() : db.Error();
}

TCopyStamp ReadCopyStamp(const QString &File)
{
    TCopyStamp stamp;
    TRawDb db(File, SQLITE_OPEN_READONLY);
    sqlite3_stmt *query = nullptr;
    // Copies made before the stamp named its source have three columns.
    if (!db.Ok() ||
        sqlite3_prepare_v2(db.Handle(), "SELECT * FROM Backup_Info", -1, &query, nullptr) != SQLITE_OK)
        return stamp;
    if (sqlite3_step(query) == SQLITE_ROW) {
        stamp.TakenAt = QDateTime::fromString(
            QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(query, 0))), Qt::ISODate);
        stamp.Sequence = sqlite3_column_int64(query, 1);
        stamp.Kind = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(query, 2)));
        stamp.Valid = stamp.TakenAt.isValid();
        if (sqlite3_column_count(query) > 3)
            stamp.Source = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(query, 3)));
    }
    sqlite3_finalize(query);
    return stamp;
}

QString DropCopyStamp(const QString &File)
{
    TRawDb db = TRawDb::Writable(File);
    if (!db.Ok() || !db.Run("DROP TABLE IF EXISTS Backup_Info"))
        return db.Error();
    return {};
}

QString QueryReadOnly(const QString &File, const char *Sql, bool *Ok)
{
    TRawDb db(File, SQLITE_OPEN_READONLY);
    QStringList rows;
    const bool ok = db.Ok() && db.Run(Sql, &rows);
    if (Ok)
        *Ok = ok;
    return rows.value(0);
}
