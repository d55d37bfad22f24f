#pragma once
// Fresh databases for tests, made from the same schema as the shipped file.
#include <QString>
#include <QTemporaryDir>

#include <memory>

class TTestDb {
public:
    TTestDb();
    QString File() const { return FFile; }
    QString Dir() const { return FDir->path(); }
    // Runs SQL on a connection of its own (triggers, direct checks).
    void Exec(const QString &Sql) const;
    qint64 Count(const QString &Sql) const;
    QString Text(const QString &Sql) const;

private:
    std::unique_ptr<QTemporaryDir> FDir;
    QString FFile;
};

// Creates an empty database with the program's schema at File.
void MakeDatabaseFile(const QString &File);
