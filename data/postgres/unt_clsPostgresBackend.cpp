#include "data/postgres/unt_clsPostgresBackend.h"

#include <QRegularExpression>
#include <QUrl>

#include <charconv>
#include <cstring>
#include <libpq-fe.h>
#include <strings.h>

namespace
{
// Every writer of the books takes this lock first, as a file's writer takes
// the file's: a check made inside a write transaction still holds at its
// commit, whichever machine wrote last.
constexpr const char *WriteLock = "select pg_advisory_xact_lock(5863207114)";
constexpr int ServerVersionNeeded = 150000;
constexpr int MaxParameters = 30000; // the protocol allows 65,535 a statement

using TResult = std::unique_ptr<PGresult, decltype(&PQclear)>;

QString ServerName(PGconn *Db, const QString &Uri)
{
    const char *host = Db ? PQhost(Db) : nullptr;
    const char *port = Db ? PQport(Db) : nullptr;
    if (host && *host)
        return QStringLiteral("%1:%2").arg(QString::fromUtf8(host),
                                           QString::fromUtf8(port && *port ? port : "5432"));
    const QUrl url(Uri);
    return QStringLiteral("%1:%2").arg(url.host(), QString::number(url.port(5432)));
}

// What went wrong in the user's words, from libpq's own (English) text.
QString ConnectReason(const QString &Detail)
{
    const QString d = Detail.toLower();
    if (d.contains(QLatin1String("connection refused")))
        return QStringLiteral("服务器拒绝连接（服务器没有运行，或端口不对）。");
    if (d.contains(QLatin1String("could not translate host name")) ||
        d.contains(QLatin1String("name or service")))
        return QStringLiteral("找不到这个服务器名。");
    if (d.contains(QLatin1String("timeout")) || d.contains(QLatin1String("timed out")))
        return QStringLiteral("连接超时。");
    if (d.contains(QLatin1String("password")))
        return QStringLiteral("用户名或密码错误。");
    if (d.contains(QLatin1String("database")) && d.contains(QLatin1String("does not exist")))
        return QStringLiteral("服务器上没有这个数据库。");
    if (d.contains(QLatin1String("role")) && d.contains(QLatin1String("does not exist")))
        return QStringLiteral("服务器上没有这个用户（角色）。");
    if (d.contains(QLatin1String("ssl")))
        return QStringLiteral("加密连接（SSL）没有建立。");
    return {};
}

TDbFault FaultOf(const char *State)
{
    if (!State)
        return TDbFault::Missing; // no answer: the connection is gone
    if (!std::strcmp(State, "55P03") || !std::strcmp(State, "40001") || !std::strcmp(State, "40P01"))
        return TDbFault::Busy;
    if (!std::strcmp(State, "25006") || !std::strcmp(State, "42501"))
        return TDbFault::ReadOnly;
    if (!std::strncmp(State, "08", 2) || !std::strncmp(State, "57P", 3))
        return TDbFault::Missing;
    return TDbFault::Other;
}

QString StatementReason(TDbFault Fault, const char *State)
{
    switch (Fault) {
    case TDbFault::Busy:
        return QStringLiteral("账本正被另一台电脑或另一个程序修改，请稍后再试。");
    case TDbFault::ReadOnly:
        return QStringLiteral("没有在服务器上修改账本的权限。");
    case TDbFault::Missing:
        return QStringLiteral("与账本服务器的连接断开了。");
    default:
        if (State && !std::strncmp(State, "53", 2))
            return QStringLiteral("账本服务器的磁盘或内存不足。");
        return {};
    }
}

class TPostgresCursor final : public TclsCursor
{
  public:
    explicit TPostgresCursor(TResult Result) : FResult(std::move(Result)), FRows(PQntuples(FResult.get())) {}

    bool Next() override { return ++FAt < FRows; }

    QByteArrayView Text(int Column) override
    {
        if (PQgetisnull(FResult.get(), FAt, Column))
            return {};
        return QByteArrayView(PQgetvalue(FResult.get(), FAt, Column),
                              PQgetlength(FResult.get(), FAt, Column));
    }
    qint64 Int64(int Column) override
    {
        const QByteArrayView text = Text(Column);
        qint64 value = 0;
        std::from_chars(text.data(), text.data() + text.size(), value);
        return value;
    }
    double Double(int Column) override
    {
        const QByteArrayView text = Text(Column);
        double value = 0;
        std::from_chars(text.data(), text.data() + text.size(), value);
        return value;
    }

    QStringList ColumnNames() override
    {
        QStringList names;
        for (int i = 0, n = PQnfields(FResult.get()); i < n; ++i)
            names << QString::fromUtf8(PQfname(FResult.get(), i));
        return names;
    }

  private:
    TResult FResult;
    int FRows;
    int FAt = -1;
};

class TPostgresBackend final : public TclsBackend
{
  public:
    explicit TPostgresBackend(const QString &Uri) : FUri(Uri)
    {
        FDb = PQconnectdb(Uri.toUtf8().constData());
        if (PQstatus(FDb) != CONNECTION_OK) {
            const QString detail = QString::fromUtf8(PQerrorMessage(FDb)).trimmed();
            ConnectFailed(ConnectReason(detail), detail);
        }
        if (PQserverVersion(FDb) < ServerVersionNeeded)
            ConnectFailed(QStringLiteral("服务器版本太旧（需要 PostgreSQL 15 或更新的版本）。"),
                          QString::number(PQserverVersion(FDb)));
        PQsetClientEncoding(FDb, "UTF8");
        // The server's notices ("does not exist, skipping") are no one's
        // business on a desktop.
        PQsetNoticeProcessor(
            FDb, [](void *, const char *) {}, nullptr);
        Run(QByteArray("set lock_timeout=" + QByteArray::number(TclsConnection::BusyTimeout())).constData(),
            {});
    }
    ~TPostgresBackend() override { PQfinish(FDb); }

    void Execute(const char *Sql, const TclsSqlValues &Values) override
    {
        const TResult result = Run(PostgresPlaceholders(Sql).constData(), Values);
        Counted(Sql);
    }

    std::unique_ptr<TclsCursor> Query(const char *Sql, const TclsSqlValues &Values) override
    {
        return std::make_unique<TPostgresCursor>(Run(PostgresPlaceholders(Sql).constData(), Values));
    }

    void ExecuteScript(const char *Sql) override
    {
        const QByteArray script = PostgresLayout(Sql);
        Check(TResult(PQexec(FDb, script.constData()), &PQclear));
    }

    qint64 LastInsertId(const char *) override
    {
        TPostgresCursor rows(Run("select lastval()", {}));
        return rows.Next() ? rows.Int64(0) : 0;
    }

    QList<qint64> InsertRows(const char *Table, const char *Columns,
                             const std::vector<TclsSqlValues> &Rows) override
    {
        QList<qint64> ids;
        if (Rows.empty())
            return ids;
        const size_t width = Rows.front().size();
        const size_t chunk = std::max<size_t>(1, MaxParameters / width);
        ids.reserve(qsizetype(Rows.size()));
        for (size_t from = 0; from < Rows.size(); from += chunk) {
            const size_t to = std::min(Rows.size(), from + chunk);
            QByteArray sql = QByteArray("insert into ") + Table + " (" + Columns + ") values ";
            TclsSqlValues values;
            values.reserve((to - from) * width);
            for (size_t r = from; r < to; ++r) {
                sql += r == from ? "(" : ",(";
                for (size_t c = 0; c < width; ++c) {
                    values.push_back(Rows[r][c]);
                    sql += (c ? ",$" : "$") + QByteArray::number(qsizetype(values.size()));
                }
                sql += ')';
            }
            // The rows come back in the order of the values they were given.
            sql += " returning ID";
            TPostgresCursor rows(Run(sql.constData(), values));
            while (rows.Next())
                ids << rows.Int64(0);
        }
        Counted(QByteArray("insert into ") + Table);
        return ids;
    }

    qint64 Changes() override { return FChanges; }
    void Begin() override
    {
        Run("begin", {});
        try {
            Run(WriteLock, {});
        } catch (...) {
            Rollback(); // no transaction is left open behind a refused one
            throw;
        }
    }
    void Commit() override { Run("commit", {}); }
    void Rollback() noexcept override { PQclear(PQexec(FDb, "rollback")); }

    int SchemaVersion() override
    {
        TPostgresCursor rows(Run("select max(version) from lumora_schema", {}));
        return rows.Next() ? int(rows.Int64(0)) : 0;
    }

    void SetSchemaVersion(int Version) override { Run("update lumora_schema set version=$1", {Version}); }

    QStringList Columns(const QString &Table, const QString &Schema) override
    {
        QStringList columns;
        if (!Schema.isEmpty()) // a copy is attached to a file's books only
            return columns;
        TPostgresCursor rows(
            Run("select column_name from information_schema.columns where "
                "table_schema=current_schema() and table_name=lower($1) order by ordinal_position",
                {Table}));
        while (rows.Next())
            columns << QString::fromUtf8(rows.Text(0).toByteArray());
        return columns;
    }

    qint64 HighestNumber(const QString &Table) override
    {
        TPostgresCursor rows(
            Run("select coalesce((select last_value from pg_sequences where schemaname||'.'||"
                "sequencename=pg_get_serial_sequence(lower($1),'id')),0)",
                {Table}));
        return rows.Next() ? rows.Int64(0) : 0;
    }

    QString Place() const override
    {
        return ServerName(FDb, FUri) + QLatin1Char('/') + QString::fromUtf8(PQdb(FDb));
    }

  private:
    [[noreturn]] void ConnectFailed(const QString &Reason, const QString &Detail)
    {
        const QString text = QStringLiteral("无法连接账本服务器 %1：%2\n（PostgreSQL：%3）")
                                 .arg(ServerName(FDb, FUri), Reason.isEmpty() ? Detail : Reason, Detail);
        PQfinish(FDb);
        FDb = nullptr;
        throw TclsDatabaseError(text.toStdString(), 0, TDbFault::Missing);
    }

    TResult Run(const char *Sql, const TclsSqlValues &Values)
    {
        std::vector<QByteArray> texts(Values.size());
        std::vector<const char *> pointers(Values.size());
        std::vector<Oid> types(Values.size(), 0);
        for (size_t i = 0; i < Values.size(); ++i) {
            const QVariant &v = Values[i];
            switch (v.typeId()) {
            case QMetaType::LongLong:
            case QMetaType::Int:
                types[i] = 20; // int8
                texts[i] = QByteArray::number(v.toLongLong());
                break;
            case QMetaType::Double:
                types[i] = 701; // float8
                texts[i] = QByteArray::number(v.toDouble(), 'g', 17);
                break;
            default:
                texts[i] = v.toString().toUtf8(); // the column decides its type
            }
            pointers[i] = v.isNull() && v.typeId() != QMetaType::QString ? nullptr : texts[i].constData();
        }
        TResult result(
            PQexecParams(FDb, Sql, int(Values.size()), types.data(), pointers.data(), nullptr, nullptr, 0),
            &PQclear);
        Check(result);
        const char *tuples = PQcmdTuples(result.get());
        FChanges = tuples && *tuples ? std::atoll(tuples) : 0;
        return result;
    }

    void Check(const TResult &Result)
    {
        const ExecStatusType status = Result ? PQresultStatus(Result.get()) : PGRES_FATAL_ERROR;
        if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK)
            return;
        const char *state = Result ? PQresultErrorField(Result.get(), PG_DIAG_SQLSTATE) : nullptr;
        const TDbFault fault = PQstatus(FDb) == CONNECTION_OK ? FaultOf(state) : TDbFault::Missing;
        QString text = QStringLiteral("数据库操作失败：");
        if (const QString reason = StatementReason(fault, state); !reason.isEmpty())
            text += reason + QLatin1Char('\n');
        text += QStringLiteral("服务器：%1\n（PostgreSQL：%2）")
                    .arg(Place(), QString::fromUtf8(PQerrorMessage(FDb)).trimmed());
        throw TclsDatabaseError(text.toStdString(), 0, fault);
    }

    void Counted(const char *Sql)
    {
        if (FChanges > 0 && strcasestr(Sql, "All_Table"))
            TclsConnection::CountLedgerWrite();
    }

    PGconn *FDb = nullptr;
    QString FUri;
    qint64 FChanges = 0;
};
} // namespace

std::unique_ptr<TclsBackend> OpenPostgresBooks(const QString &Uri)
{
    return std::make_unique<TPostgresBackend>(Uri);
}

QByteArray PostgresPlaceholders(const char *Sql)
{
    QByteArray out;
    out.reserve(qsizetype(std::strlen(Sql)) + 16);
    int next = 0;
    char quote = 0;
    for (const char *p = Sql; *p; ++p) {
        if (quote) {
            quote = *p == quote ? 0 : quote;
            out += *p;
        } else if (*p == '\'' || *p == '"') {
            quote = *p;
            out += *p;
        } else if (*p == '?') {
            out += '$';
            if (p[1] >= '0' && p[1] <= '9')
                while (p[1] >= '0' && p[1] <= '9')
                    out += *++p;
            else
                out += QByteArray::number(++next);
        } else {
            out += *p;
        }
    }
    return out;
}

QByteArray PostgresLayout(const QByteArray &Sql)
{
    static const QRegularExpression comment(QStringLiteral("--[^\n]*"));
    static const QRegularExpression numbered(
        QStringLiteral("\\bINTEGER\\s+PRIMARY\\s+KEY\\s+AUTOINCREMENT\\b"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression integer(QStringLiteral("\\bINTEGER\\b"),
                                            QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression text(QStringLiteral("\\bTEXT\\b"),
                                         QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression keyed(QStringLiteral("\\bINTEGER\\s+PRIMARY\\s+KEY\\b"),
                                          QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression table(QStringLiteral("^\\s*CREATE\\s+TABLE\\b[^(]*\\("),
                                          QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression version(QStringLiteral("^\\s*PRAGMA\\s+user_version\\s*=\\s*(\\d+)\\s*$"),
                                            QRegularExpression::CaseInsensitiveOption);
    // A script with dollar-quoted bodies is written for the server already
    // (its semicolons are no statements' ends).
    if (Sql.contains("$$"))
        return Sql;
    QStringList out;
    for (QString statement : QString::fromUtf8(Sql).remove(comment).split(QLatin1Char(';'))) {
        if (statement.trimmed().isEmpty())
            continue;
        if (const auto m = version.match(statement); m.hasMatch()) {
            out << QStringLiteral("create table if not exists lumora_schema (version bigint not null)")
                << QStringLiteral("delete from lumora_schema")
                << QStringLiteral("insert into lumora_schema (version) values (%1)").arg(m.captured(1));
            continue;
        }
        if (const auto m = table.match(statement); m.hasMatch()) {
            const bool hasNumber = statement.contains(keyed);
            statement.replace(numbered,
                              QStringLiteral("BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY"));
            if (!hasNumber) // the file's implicit row number, which keeps the order rows were made in
                statement.insert(m.capturedEnd(),
                                 QStringLiteral("rowid BIGINT GENERATED BY DEFAULT AS IDENTITY, "));
            // Texts sort by their bytes, as in the file, whatever the
            // server's language: a day's expenses come before its income.
            statement.replace(text, QStringLiteral("TEXT COLLATE \"C\""));
        }
        out << statement.replace(integer, QStringLiteral("BIGINT"));
    }
    return out.join(QStringLiteral(";\n")).toUtf8();
}
