#include "data/unt_clsConnection.h"

#include "data/postgres/unt_clsPostgresBackend.h"
#include "data/sqlite/unt_clsSqliteBackend.h"

#include <QRegularExpression>

#include <atomic>

namespace
{
int BusyTimeoutMs = 3000;
std::atomic<quint64> LedgerWriteCount{0};
} // namespace

// ---- record set ----------------------------------------------------------

TclsRecordSet::TclsRecordSet(std::unique_ptr<TclsCursor> Cursor) : FCursor(std::move(Cursor))
{
    FEof = !FCursor->Next();
}

TclsRecordSet::~TclsRecordSet() = default;

void TclsRecordSet::NoRow()
{
    throw TclsDatabaseError("no current row", 0);
}

int TclsRecordSet::ColumnIndex(const QString &Column) const
{
    if (FColumns.isEmpty()) {
        const QStringList names = FCursor->ColumnNames();
        for (int i = 0; i < names.size(); ++i)
            FColumns.insert(names[i].toLower(), i);
    }
    const auto it = FColumns.constFind(Column.toLower());
    if (it == FColumns.constEnd())
        throw TclsDatabaseError(("no such column: " + Column).toStdString(), 0);
    return it.value();
}

QString TclsRecordSet::Field(int Column) const
{
    const QByteArrayView bytes = RawField(Column);
    return bytes.data() ? QString::fromUtf8(bytes.data(), bytes.size()) : QString();
}

// ---- connection ----------------------------------------------------------

bool TclsConnection::IsServer(const QString &Books)
{
    return Books.startsWith(QLatin1String("postgresql://")) || Books.startsWith(QLatin1String("postgres://"));
}

TclsConnection::TclsConnection(const QString &Books)
{
    FBackend = IsServer(Books) ? OpenPostgresBooks(Books) : OpenSqliteBooks(Books);
}

TclsConnection::~TclsConnection() = default;

void TclsConnection::SetBusyTimeout(int Milliseconds)
{
    BusyTimeoutMs = Milliseconds;
}

int TclsConnection::BusyTimeout()
{
    return BusyTimeoutMs;
}

quint64 TclsConnection::LedgerWrites()
{
    return LedgerWriteCount.load();
}

void TclsConnection::CountLedgerWrite()
{
    ++LedgerWriteCount;
}

// ---- transaction ---------------------------------------------------------

TclsTransaction::TclsTransaction(TclsConnection &Connection) : FConnection(Connection)
{
    FConnection.Backend().Begin();
}

TclsTransaction::~TclsTransaction()
{
    if (!FDone)
        FConnection.Backend().Rollback();
}

void TclsTransaction::Commit()
{
    FConnection.Backend().Commit();
    FDone = true;
}

// ---- value checks ----------------------------------------------------------

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
