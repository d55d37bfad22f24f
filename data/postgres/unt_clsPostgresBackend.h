#pragma once
// Books on a PostgreSQL server, through libpq: the server's backend of the
// store's connection. The store's statements arrive written for both
// dialects; placeholders, the layout's types and the write lock are made
// the server's here.
#include "data/unt_clsConnection.h"

#include <memory>

// Connects to the database the URI names (postgresql://role@host:port/db).
std::unique_ptr<TclsBackend> OpenPostgresBooks(const QString &Uri);

// The store's statement with "?" and "?N" as the server's "$N" (texts in
// quotes left alone).
QByteArray PostgresPlaceholders(const char *Sql);
// A layout statement of the file's dialect in the server's: 64-bit integers,
// identity columns for numbered rows, texts in byte order, and a "rowid" of
// its own for a table without a number, which the file gives every table.
QByteArray PostgresLayout(const QByteArray &Sql);
