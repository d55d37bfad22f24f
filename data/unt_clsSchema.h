#pragma once
// The layout of the books has a version, kept in SQLite's user_version. A
// file of an older layout is upgraded once, at its first open, in one
// transaction, after a verified safety copy. A new layout is one more step
// at the end of the list in unt_clsSchema.cpp and the same statements at the
// end of Database/schema.sql (which makes new files at the newest version);
// steps already shipped are never changed.
#include <QString>
#include <QStringList>

#include <vector>

// The statements that take a file from version i to i + 1, i the step's index.
using TSchemaStep = QStringList;
const std::vector<TSchemaStep> &SchemaSteps();
int CurrentSchemaVersion();

int SchemaVersion(const QString &DatabaseFile);
// Brings the file to the current version; true when it did. A missing file
// or a failed step throws TclsDatabaseError with a Chinese message, and the
// file then keeps its old layout and contents.
bool UpgradeSchema(const QString &DatabaseFile);
