#include "data/sqlite/unt_clsSqliteBackend.h"

#include "data/unt_clsBooksFile.h"

#include <QFile>
#include <QFileInfo>

#include <cstring>
#include <sqlite3.h>

#include <cerrno>
#include <unistd.h>

namespace
{
void CountLedgerWrite(void *, int, const char *, const char *Table, sqlite3_int64)
{
    if (std::strcmp(Table, "All_Table") == 0)
        TclsConnection::CountLedgerWrite();
}

TDbFault FaultOf(int Code)
{
    switch (Code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return TDbFault::Busy;
    case SQLITE_READONLY:
    case SQLITE_PERM:
        return TDbFault::ReadOnly;
    case SQLITE_CANTOPEN:
        return TDbFault::Missing;
    default:
        return TDbFault::Other;
    }
}

// A user's sentence for each kind of failure; SQLite's own text and the file
// follow it for the record.
QString Reason(int Code)
{
    switch (Code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("数据库正被另一个程序使用（已锁定），请关闭那个程序或稍后再试。");
    case SQLITE_READONLY:
        return QStringLiteral("数据库是只读的，无法保存更改（请检查文件和文件夹的写入权限）。");
    case SQLITE_FULL:
        return QStringLiteral("磁盘已满，无法保存更改。");
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return QStringLiteral("数据库文件已损坏，请从备份中恢复。");
    case SQLITE_CANTOPEN:
        return QStringLiteral("找不到或无法打开数据库文件。");
    case SQLITE_IOERR:
        return QStringLiteral("读写数据库文件时出错。");
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return QStringLiteral("没有访问数据库文件的权限。");
    case SQLITE_NOMEM:
        return QStringLiteral("内存不足。");
    default:
        return {};
    }
}

bool IsDeniedErrno(int Errno)
{
    return Errno == EACCES || Errno == EPERM;
}

// A member of the household outside the books' group meets "unable to open
// database file": neither missing nor damaged books, and a backup would not
// help. The folder's group says whom to ask for.
QString DeniedReason(const QString &File)
{
    const QFileInfo folder(QFileInfo(File).absolutePath());
    const QString group = folder.group();
    if (!group.isEmpty() && group != folder.owner() && group != QLatin1String("root"))
        return QStringLiteral("您的账户没有使用这个数据库的权限：文件夹“%1”只对 %2 组的成员开放。"
                              "请让管理员把您加入 %2 组，然后重新登录。")
            .arg(folder.filePath(), group);
    return QStringLiteral("您的账户没有读写数据库文件的权限（文件夹“%1”）。请让管理员给您的账户读写它的权限，"
                          "然后重试。")
        .arg(folder.filePath());
}

// The reason for Code, or the permission problem behind it: SQLite reports
// a folder closed to us as SQLITE_CANTOPEN, a file we may only read as
// SQLITE_READONLY; the system's error number or a look at the folder tells.
QString ReasonFor(int Code, int SystemErrno, const QString &File)
{
    switch (Code & 0xff) {
    case SQLITE_CANTOPEN:
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_IOERR:
        if (!File.isEmpty() && (IsDeniedErrno(SystemErrno) || IsAccessDenied(File)))
            return DeniedReason(File);
        break;
    default:
        break;
    }
    return Reason(Code);
}

std::string MessageFor(const QString &Prefix, const QString &ReasonText, const QString &File,
                       const char *Detail)
{
    QString text = Prefix;
    if (!ReasonText.isEmpty())
        text += ReasonText + QStringLiteral("\n");
    if (!File.isEmpty())
        text += QStringLiteral("文件：") + File + QStringLiteral("\n");
    text += QStringLiteral("（SQLite：%1）").arg(QString::fromUtf8(Detail ? Detail : ""));
    return text.toStdString();
}

QString FileOf(sqlite3 *Db)
{
    const char *name = Db ? sqlite3_db_filename(Db, "main") : nullptr;
    return QString::fromUtf8(name ? name : "");
}
[[noreturn]] void Throw(const QString &Prefix, int Code, sqlite3 *Db, const QString &File,
                        const char *What = nullptr)
{
    const QString path = File.isEmpty() ? File : QFileInfo(File).absoluteFilePath();
    throw TclsDatabaseError(MessageFor(Prefix, ReasonFor(Code, Db ? sqlite3_system_errno(Db) : 0, path), path,
                                       What ? What
                                       : Db ? sqlite3_errmsg(Db)
                                            : sqlite3_errstr(Code)),
                            Code, FaultOf(Code));
}

class TSqliteCursor final : public TclsCursor
{
  public:
    TSqliteCursor(sqlite3 *Db, sqlite3_stmt *Statement) : FDb(Db), FStatement(Statement) {}
    ~TSqliteCursor() override { sqlite3_finalize(FStatement); }

    bool Next() override
    {
        const int rc = sqlite3_step(FStatement);
        if (rc == SQLITE_ROW)
            return true;
        if (rc != SQLITE_DONE)
            Throw(QStringLiteral("数据库读取失败："), rc, FDb, FileOf(FDb));
        return false;
    }

    // A number's text is SQLite's own ("12.5", "100.0").
    QByteArrayView Text(int Column) override
    {
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(FStatement, Column));
        return QByteArrayView(text, text ? sqlite3_column_bytes(FStatement, Column) : 0);
    }
    qint64 Int64(int Column) override { return sqlite3_column_int64(FStatement, Column); }
    double Double(int Column) override { return sqlite3_column_double(FStatement, Column); }

    QStringList ColumnNames() override
    {
        QStringList names;
        for (int i = 0, n = sqlite3_column_count(FStatement); i < n; ++i)
            names << QString::fromUtf8(sqlite3_column_name(FStatement, i));
        return names;
    }

  private:
    sqlite3 *FDb;
    sqlite3_stmt *FStatement;
};

QString Quoted(const QString &Name)
{
    return QLatin1Char('"') + QString(Name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

class TSqliteBackend final : public TclsBackend
{
  public:
    explicit TSqliteBackend(const QString &File) : FFile(File)
    {
        const QString path = QFileInfo(File).absoluteFilePath();
        // Without SQLITE_OPEN_CREATE a missing file is refused rather than
        // made anew, so a moved or deleted database never turns into empty
        // books. A connection lives and dies on one thread (the backup job
        // opens its own), so SQLite's per-call locking is only cost: a long
        // range read takes two mutex calls for every column of every record.
        // The books are opened as what they are, never through a link, and
        // never when they are a pipe, a device or someone else's file.
        TFileIdentity id;
        if (const QString problem = DatabaseFileProblem(path, &id); !problem.isEmpty())
            throw TclsDatabaseError(problem.toStdString(), SQLITE_CANTOPEN, TDbFault::Missing);
        const int rc =
            sqlite3_open_v2(QFile::encodeName(ResolvedFolderPath(path)).constData(), &FDb,
                            SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_NOFOLLOW, nullptr);
        if (rc == SQLITE_OK && !SameFile(path, id)) {
            sqlite3_close(FDb);
            FDb = nullptr;
            throw TclsDatabaseError(SwappedText(path).toStdString(), SQLITE_CANTOPEN, TDbFault::Missing);
        }
        if (rc != SQLITE_OK) {
            const std::string message = MessageFor(QStringLiteral("无法打开数据库文件“%1”：").arg(path),
                                                   ReasonFor(rc, FDb ? sqlite3_system_errno(FDb) : 0, path),
                                                   {}, FDb ? sqlite3_errmsg(FDb) : sqlite3_errstr(rc));
            sqlite3_close(FDb);
            throw TclsDatabaseError(message, rc, FaultOf(rc));
        }
        sqlite3_extended_result_codes(FDb, 1);
        sqlite3_busy_timeout(FDb, TclsConnection::BusyTimeout());
        sqlite3_update_hook(FDb, CountLedgerWrite, nullptr);
    }
    ~TSqliteBackend() override { sqlite3_close_v2(FDb); }

    void Execute(const char *Sql, const TclsSqlValues &Values) override
    {
        sqlite3_stmt *statement = Prepare(Sql, Values);
        int rc;
        while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        }
        sqlite3_finalize(statement);
        if (rc != SQLITE_DONE)
            Fail(rc);
    }

    std::unique_ptr<TclsCursor> Query(const char *Sql, const TclsSqlValues &Values) override
    {
        return std::make_unique<TSqliteCursor>(FDb, Prepare(Sql, Values));
    }

    void ExecuteScript(const char *Sql) override
    {
        char *error = nullptr;
        const int rc = sqlite3_exec(FDb, Sql, nullptr, nullptr, &error);
        if (rc != SQLITE_OK) {
            const std::string message = error ? error : sqlite3_errmsg(FDb);
            sqlite3_free(error);
            Fail(rc, message.c_str());
        }
    }

    qint64 LastInsertId(const char *) override { return sqlite3_last_insert_rowid(FDb); }

    QList<qint64> InsertRows(const char *Table, const char *Columns,
                             const std::vector<TclsSqlValues> &Rows) override
    {
        QList<qint64> ids;
        if (Rows.empty())
            return ids;
        QByteArray sql = QByteArray("insert into ") + Table + " (" + Columns + ") values (?";
        for (size_t i = 1; i < Rows.front().size(); ++i)
            sql += ",?";
        sql += ')';
        sqlite3_stmt *statement = nullptr;
        if (const int rc = sqlite3_prepare_v2(FDb, sql.constData(), -1, &statement, nullptr); rc != SQLITE_OK)
            Fail(rc);
        ids.reserve(qsizetype(Rows.size()));
        for (const TclsSqlValues &row : Rows) {
            int rc = Bind(statement, row);
            if (rc == SQLITE_OK)
                rc = sqlite3_step(statement);
            if (rc != SQLITE_DONE) {
                sqlite3_finalize(statement);
                Fail(rc);
            }
            ids << sqlite3_last_insert_rowid(FDb);
            sqlite3_reset(statement);
        }
        sqlite3_finalize(statement);
        return ids;
    }
    qint64 Changes() override { return sqlite3_changes64(FDb); }
    // IMMEDIATE takes the write lock at once, so the busy timeout applies
    // here rather than failing half-way through the work.
    void Begin() override { Execute("BEGIN IMMEDIATE", {}); }
    void Commit() override { Execute("COMMIT", {}); }
    void Rollback() noexcept override { sqlite3_exec(FDb, "ROLLBACK", nullptr, nullptr, nullptr); }

    int SchemaVersion() override
    {
        TSqliteCursor cursor(FDb, Prepare("PRAGMA user_version", {}));
        return cursor.Next() ? int(cursor.Int64(0)) : 0;
    }

    void SetSchemaVersion(int Version) override
    {
        Execute(QByteArray("PRAGMA user_version=" + QByteArray::number(Version)).constData(), {});
    }

    QStringList Columns(const QString &Table, const QString &Schema) override
    {
        const QByteArray sql =
            QStringLiteral("PRAGMA %1.table_info(%2)")
                .arg(Quoted(Schema.isEmpty() ? QStringLiteral("main") : Schema), Quoted(Table))
                .toUtf8();
        QStringList columns;
        TSqliteCursor cursor(FDb, Prepare(sql.constData(), {}));
        while (cursor.Next())
            columns << QString::fromUtf8(cursor.Text(1).toByteArray());
        return columns;
    }

    qint64 HighestNumber(const QString &Table) override
    {
        // A number once given out by AUTOINCREMENT is never given again.
        if (Columns(QStringLiteral("sqlite_sequence"), {}).isEmpty())
            return 0;
        TSqliteCursor cursor(FDb, Prepare("select seq from main.sqlite_sequence where name=?", {Table}));
        return cursor.Next() ? cursor.Int64(0) : 0;
    }

    QString Place() const override { return QFileInfo(FFile).absoluteFilePath(); }

  private:
    sqlite3_stmt *Prepare(const char *Sql, const TclsSqlValues &Values)
    {
        sqlite3_stmt *statement = nullptr;
        int rc = sqlite3_prepare_v2(FDb, Sql, -1, &statement, nullptr);
        if (rc != SQLITE_OK)
            Fail(rc);
        if ((rc = Bind(statement, Values)) != SQLITE_OK) {
            sqlite3_finalize(statement);
            Fail(rc);
        }
        return statement;
    }

    static int Bind(sqlite3_stmt *statement, const TclsSqlValues &Values)
    {
        int rc = SQLITE_OK;
        for (size_t i = 0; i < Values.size() && rc == SQLITE_OK; ++i) {
            const QVariant &v = Values[i];
            const int at = int(i) + 1;
            switch (v.typeId()) {
            case QMetaType::LongLong:
            case QMetaType::Int:
                rc = sqlite3_bind_int64(statement, at, v.toLongLong());
                break;
            case QMetaType::Double:
                rc = sqlite3_bind_double(statement, at, v.toDouble());
                break;
            default: {
                const QByteArray text = v.toString().toUtf8();
                rc = sqlite3_bind_text(statement, at, text.constData(), int(text.size()), SQLITE_TRANSIENT);
            }
            }
        }
        return rc;
    }

    [[noreturn]] void Fail(int Code, const char *What = nullptr)
    {
        Throw(QStringLiteral("数据库操作失败："), Code, FDb, FFile, What);
    }

    sqlite3 *FDb = nullptr;
    QString FFile;
};
} // namespace

std::unique_ptr<TclsBackend> OpenSqliteBooks(const QString &File)
{
    return std::make_unique<TSqliteBackend>(File);
}

bool IsAccessDenied(const QString &File)
{
    // The folder must be entered and written (the journal is made beside
    // the books), the file read and written. Root passes every check.
    const QFileInfo info(File);
    if (::access(QFile::encodeName(info.absolutePath()).constData(), X_OK | W_OK) != 0 &&
        IsDeniedErrno(errno))
        return true;
    return ::access(QFile::encodeName(info.absoluteFilePath()).constData(), R_OK | W_OK) != 0 &&
           IsDeniedErrno(errno);
}
