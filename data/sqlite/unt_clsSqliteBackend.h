#pragma once
// Books in a file: the SQLite backend of the store's connection, and the
// only code of the store that talks to SQLite's statements.
#include "data/unt_clsConnection.h"

#include <memory>

// Opens the existing file read-write; a missing file is an error, and the
// file is never created.
std::unique_ptr<TclsBackend> OpenSqliteBooks(const QString &File);

// Whether this account may not enter or write the books' folder, or read
// and write the books (as a member outside the books' group).
bool IsAccessDenied(const QString &File);
