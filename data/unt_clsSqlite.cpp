#include "data/unt_clsSqlite.h"

#include "data/unt_clsBooksFile.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <atomic>
#include <cstring>
#include <sqlite3.h>

#include <cerrno>
#include <unistd.h>

namespace
{
int BusyTimeoutMs = 3000;
std::atomic<quint64> LedgerWriteCount{0};

void CountLedgerWrite(void *, int, const char *, const char *Table, sqlite3_int64)
{
    if (std::strcmp(Table, "All_Table") == 0)
        ++LedgerWriteCount;
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
} // namespace

// ---- record set ----------------------------------------------------------

TclsRecordSet::TclsRecordSet(sqlite3 *Db, sqlite3_stmt *Statement) : FDb(Db), FStatement(Statement)
{
    const int n = sqlite3_column_count(FStatement);
    for (int i = 0; i < n; ++i)
        FColumns.insert(QString::fromUtf8(sqlite3_column_name(FStatement, i)), i);
    Step();
}

TclsRecordSet::TclsRecordSet(TclsRecordSet &&Other) noexcept
    : FDb(Other.FDb), FStatement(Other.FStatement), FEof(Other.FEof), FColumns(std::move(Other.FColumns))
{
    Other.FStatement = nullptr;
    Other.FEof = true;
}

TclsRecordSet::~TclsRecordSet()
{
    sqlite3_finalize(FStatement);
}

void TclsRecordSet::Step()
{
    const int rc = sqlite3_step(FStatement);
    if (rc == SQLITE_ROW) {
        FEof = false;
        return;
    }
    FEof = true;
    if (rc != SQLITE_DONE)
        throw TclsDatabaseError(MessageFor(QStringLiteral("数据库读取失败："),
                                           ReasonFor(rc, sqlite3_system_errno(FDb), FileOf(FDb)), FileOf(FDb),
                                           sqlite3_errmsg(FDb)),
                                rc);
}

void TclsRecordSet::MoveNext()
{
    if (!FEof)
        Step();
}

int TclsRecordSet::ColumnIndex(const QString &Column) const
{
    const auto it = FColumns.constFind(Column);
    if (it == FColumns.constEnd())
        throw TclsDatabaseError(("no such column: " + Column).toStdString(), SQLITE_ERROR);
    return it.value();
}

QString TclsRecordSet::Field(int Column) const
{
    if (FEof)
        throw TclsDatabaseError("no current row", SQLITE_MISUSE);
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(FStatement, Column));
    if (!text)
        return {};
    return QString::fromUtf8(text, sqlite3_column_bytes(FStatement, Column));
}

QString TclsRecordSet::Field(const QString &Column) const
{
    return Field(ColumnIndex(Column));
}

QByteArrayView TclsRecordSet::RawField(int Column) const
{
    if (FEof)
        throw TclsDatabaseError("no current row", SQLITE_MISUSE);
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(FStatement, Column));
    return QByteArrayView(text, text ? sqlite3_column_bytes(FStatement, Column) : 0);
}

qint64 TclsRecordSet::FieldInt64(int Column) const
{
    if (FEof)
        throw TclsDatabaseError("no current row", SQLITE_MISUSE);
    return sqlite3_column_int64(FStatement, Column);
}

double TclsRecordSet::FieldDouble(int Column) const
{
    if (FEof)
        throw TclsDatabaseError("no current row", SQLITE_MISUSE);
    return sqlite3_column_double(FStatement, Column);
}

// ---- connection ----------------------------------------------------------

void TclsConnection::SetBusyTimeout(int Milliseconds)
{
    BusyTimeoutMs = Milliseconds;
}

TclsConnection::TclsConnection(const QString &File) : FFile(File)
{
    const QString path = QFileInfo(File).absoluteFilePath();
    const QString prefix = QStringLiteral("无法打开数据库文件“%1”：").arg(path);
    // Without SQLITE_OPEN_CREATE a missing file is refused rather than made
    // anew, so a moved or deleted database never turns into empty books.
    // A connection lives and dies on one thread (the backup job opens its
    // own), so SQLite's per-call locking is only cost: a long range read
    // takes two mutex calls for every column of every record.
    // The books are opened as what they are, never through a link, and
    // never when they are a pipe, a device or someone else's file.
    TFileIdentity id;
    if (const QString problem = DatabaseFileProblem(path, &id); !problem.isEmpty())
        throw TclsDatabaseError(problem.toStdString(), SQLITE_CANTOPEN);
    const int rc =
        sqlite3_open_v2(QFile::encodeName(ResolvedFolderPath(path)).constData(), &FDb,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_NOFOLLOW, nullptr);
    if (rc == SQLITE_OK && !SameFile(path, id)) {
        sqlite3_close(FDb);
        FDb = nullptr;
        throw TclsDatabaseError(SwappedText(path).toStdString(), SQLITE_CANTOPEN);
    }
    if (rc != SQLITE_OK) {
        const std::string message =
            MessageFor(prefix, ReasonFor(rc, FDb ? sqlite3_system_errno(FDb) : 0, path), {},
                       FDb ? sqlite3_errmsg(FDb) : sqlite3_errstr(rc));
        sqlite3_close(FDb);
        FDb = nullptr;
        throw TclsDatabaseError(message, rc);
    }
    sqlite3_extended_result_codes(FDb, 1);
    sqlite3_busy_timeout(FDb, BusyTimeoutMs);
    sqlite3_update_hook(FDb, CountLedgerWrite, nullptr);
}

quint64 TclsConnection::LedgerWrites()
{
    return LedgerWriteCount.load();
}

TclsConnection::~TclsConnection()
{
    sqlite3_close_v2(FDb);
}

void TclsConnection::Fail(int Code, const char *What)
{
    const QString path = QFileInfo(FFile).absoluteFilePath();
    throw TclsDatabaseError(MessageFor(QStringLiteral("数据库操作失败："),
                                       ReasonFor(Code, sqlite3_system_errno(FDb), path), path,
                                       What ? What : sqlite3_errmsg(FDb)),
                            Code);
}

sqlite3_stmt *TclsConnection::Prepare(const char *Sql, const TclsSqlValues &Values)
{
    sqlite3_stmt *statement = nullptr;
    int rc = sqlite3_prepare_v2(FDb, Sql, -1, &statement, nullptr);
    if (rc != SQLITE_OK)
        Fail(rc);
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
    if (rc != SQLITE_OK) {
        sqlite3_finalize(statement);
        Fail(rc);
    }
    return statement;
}

void TclsConnection::Execute(const char *Sql, const TclsSqlValues &Values)
{
    sqlite3_stmt *statement = Prepare(Sql, Values);
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
    }
    sqlite3_finalize(statement);
    if (rc != SQLITE_DONE)
        Fail(rc);
}

TclsRecordSet TclsConnection::Query(const char *Sql, const TclsSqlValues &Values)
{
    return TclsRecordSet(FDb, Prepare(Sql, Values));
}

void TclsConnection::ExecuteScript(const char *Sql)
{
    char *error = nullptr;
    const int rc = sqlite3_exec(FDb, Sql, nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        const std::string message = error ? error : sqlite3_errmsg(FDb);
        sqlite3_free(error);
        Fail(rc, message.c_str());
    }
}

qint64 TclsConnection::LastInsertId() const
{
    return sqlite3_last_insert_rowid(FDb);
}

// ---- transaction ---------------------------------------------------------

TclsTransaction::TclsTransaction(TclsConnection &Connection) : FConnection(Connection)
{
    // IMMEDIATE takes the write lock at once, so the busy timeout applies
    // here rather than failing half-way through the work.
    FConnection.Execute("BEGIN IMMEDIATE");
}

TclsTransaction::~TclsTransaction()
{
    if (!FDone)
        sqlite3_exec(FConnection.Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void TclsTransaction::Commit()
{
    FConnection.Execute("COMMIT");
    FDone = true;
}

// ---- value checks ----------------------------------------------------------

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

bool IsPlainDecimal(const QString &Text)
{
    static const QRegularExpression pattern(QStringLiteral("^[+-]?([0-9]+(\\.[0-9]*)?|\\.[0-9]+)$"));
    return pattern.match(Text).hasMatch();
}

bool IsPlainInteger(const QString &Text)
{
    static const QRegularExpression pattern(QStringLiteral("^[0-9]{1,18}$"));
    return pattern.match(Text).hasMatch();
}
