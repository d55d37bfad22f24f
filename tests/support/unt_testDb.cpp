#include "tests/support/unt_testDb.h"
#include "tests/support/unt_testServer.h"

#include "data/unt_clsConnection.h"
#include "data/unt_clsDatabaseUser.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QUrl>

#include <sqlite3.h>
#include <stdexcept>

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

void MakeDatabaseFile(const QString &File)
{
    QFile schema(QStringLiteral(LUMORA_SCHEMA_FILE));
    if (!schema.open(QIODevice::ReadOnly))
        throw std::runtime_error("schema missing");
    sqlite3 *db = nullptr;
    sqlite3_open_v2(File.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    const int rc = sqlite3_exec(db, schema.readAll().constData(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
    if (rc != SQLITE_OK)
        throw std::runtime_error("schema failed");
}

QString TestServer()
{
    return qEnvironmentVariable("LUMORA_TEST_SERVER");
}

TTestDb::TTestDb() : FDir(std::make_unique<QTemporaryDir>())
{
    const QString server = TestServer();
    if (server.isEmpty()) {
        FFile = FDir->path() + QStringLiteral("/pondo.sjk");
        MakeDatabaseFile(FFile);
        return;
    }
    // A database of its own for every case, made from the same layout as
    // the file; the whole test server is thrown away afterwards.
    static int made = 0;
    const QString name = QStringLiteral("t%1_%2").arg(QCoreApplication::applicationPid()).arg(++made);
    TclsConnection(server).Execute(QStringLiteral("create database %1").arg(name).toUtf8().constData());
    QUrl url(server);
    url.setPath(QLatin1Char('/') + name);
    FFile = url.toString();
    QFile schema(QStringLiteral(LUMORA_SCHEMA_FILE));
    if (!schema.open(QIODevice::ReadOnly))
        throw std::runtime_error("schema missing");
    TclsConnection(FFile).ExecuteScript(schema.readAll().constData());
}

void TTestDb::Exec(const QString &Sql) const
{
    TclsConnection db(FFile);
    db.ExecuteScript(Sql.toUtf8().constData());
}

qint64 TTestDb::Count(const QString &Sql) const
{
    return Text(Sql).toLongLong();
}

QString TTestDb::Text(const QString &Sql) const
{
    TclsConnection db(FFile);
    auto rs = db.Query(Sql.toUtf8().constData());
    return rs.Eof() ? QString() : rs.Field(0);
}

#include <QFile>
#include <QProcess>
#include <QStorageInfo>

TSmallDisk::TSmallDisk(int KiloBytes, const QString &At) : FAt(At.isEmpty() ? FMountPoint.path() : At)
{
    QDir().mkpath(FAt);
    Ok = QProcess::execute(
             "mount", {"-t", "tmpfs", "-o", QStringLiteral("size=%1k").arg(KiloBytes), "tmpfs", FAt}) == 0;
}

TSmallDisk::~TSmallDisk()
{
    if (Ok)
        QProcess::execute("umount", {FAt});
}

void TSmallDisk::Fill(qint64 Spare) const
{
    QFile filler(Dir() + QStringLiteral("/filler"));
    filler.open(QIODevice::WriteOnly);
    const QByteArray block(1024, 'f');
    while (QStorageInfo(Dir()).bytesAvailable() > Spare && filler.write(block) == block.size())
        filler.flush();
}

bool TSmallDisk::MakeReadOnly() const
{
    return QProcess::execute("mount", {"-o", "remount,ro", FAt}) == 0;
}

TRangeRecords MakeRange(const QDate &From, const QDate &To, const QList<QStringList> &Rows)
{
    TRangeRecords range;
    range.Reset(From, To);
    for (const QStringList &row : Rows) {
        TRangeRecord record;
        record.Id = range.Count() + 1;
        record.Day = qint32(From.daysTo(QDate::fromString(row[0], Qt::ISODate)));
        record.Type = range.AddText(row[1]);
        record.Income = row[1] != QStringLiteral("支出");
        record.Name = range.AddText(row[2]);
        record.Money = row[3].toDouble();
        record.Memo = range.AddText(row[4]);
        range.Append(record);
    }
    return range;
}

void AddSampleRecords(const QString &File, const QString &User, int Count)
{
    QStringList dates, names, moneys, memos;
    for (int i = 0; i < Count; ++i) {
        dates << QStringLiteral("2026-05-01");
        names << QStringLiteral("早饭");
        moneys << QStringLiteral("2.00");
        memos << QString::number(i);
    }
    TclsDatabaseUser(File).AddRecords(User, QStringLiteral("支出"), dates, names, moneys, memos);
}

QByteArray ReadToEnd(int Fd)
{
    QByteArray bytes;
    char buffer[4096];
    for (ssize_t n; (n = ::read(Fd, buffer, sizeof buffer)) > 0;)
        bytes.append(buffer, n);
    ::close(Fd);
    return bytes;
}

QString RunAs(unsigned Uid, unsigned Group, const std::function<QString()> &Work)
{
    int out[2];
    if (::pipe(out) != 0)
        return QStringLiteral("no pipe");
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(out[0]);
        const gid_t group = Group;
        QByteArray text = "setuid failed";
        if (::setgroups(1, &group) == 0 && ::setgid(Group) == 0 && ::setuid(Uid) == 0) {
            try {
                text = Work().toUtf8();
            } catch (const std::exception &error) {
                text = QByteArray("exception: ") + error.what();
            }
        }
        (void)!::write(out[1], text.constData(), size_t(text.size()));
        ::_exit(0);
    }
    ::close(out[1]);
    const QByteArray bytes = ReadToEnd(out[0]);
    ::waitpid(child, nullptr, 0);
    return QString::fromUtf8(bytes);
}
