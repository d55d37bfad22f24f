#pragma once
// Fresh databases for tests, made from the same schema as the shipped file.
#include "data/unt_clsRangeRecords.h"

#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <memory>

class TTestDb
{
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
// Count expenses of 2.00 on 2026-05-01 for User, memos "0", "1", ...
void AddSampleRecords(const QString &File, const QString &User, int Count);
// A range as the store reads it; each row: date, type, name, amount, memo.
TRangeRecords MakeRange(const QDate &From, const QDate &To, const QList<QStringList> &Rows);

// A tiny tmpfs of our own: root ignores file modes, so a full or read-only
// disk is the only way to make writes fail. Ok is false where mounting is
// not permitted (tests skip then).
class TSmallDisk
{
  public:
    // Mounted on a folder of its own, or on At (made when missing).
    explicit TSmallDisk(int KiloBytes, const QString &At = {});
    ~TSmallDisk();
    bool Ok = false;
    QString Dir() const { return FAt; }
    // Fills the disk until fewer than Spare bytes remain.
    void Fill(qint64 Spare) const;
    bool MakeReadOnly() const;

  private:
    QTemporaryDir FMountPoint;
    QString FAt;
};

// Runs Work in a forked child as the account Uid with Group as its only
// group (the caller must be root), and returns the text Work returned, or
// why there was none.
QString RunAs(unsigned Uid, unsigned Group, const std::function<QString()> &Work);
// What a child wrote to the pipe's reading end Fd until it closed it; Fd is
// closed after.
QByteArray ReadToEnd(int Fd);
