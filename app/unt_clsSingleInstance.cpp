#include "app/unt_clsSingleInstance.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QStandardPaths>

#include <sys/stat.h>
#include <unistd.h>

namespace
{
const qint32 MaxMessage = 4096;
}

QString TclsSingleInstance::RuntimeDir()
{
    // Qt makes or checks XDG_RUNTIME_DIR's folder and gives up when another
    // account owns it. Without it, Qt would pick /tmp/runtime-<user>, which
    // another account can make first; a folder under the user's own home
    // is one only the user can have made. There is no shared fallback: a
    // lock in a folder others can write could be planted.
    QString dir;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        dir = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
              QStringLiteral("/lumora");
        const QByteArray path = QFile::encodeName(dir);
        if (QDir().mkpath(dir))
            ::chmod(path.constData(), 0700);
    } else {
        dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    }
    if (dir.isEmpty())
        return {};
    struct stat info {
    };
    if (::lstat(QFile::encodeName(dir).constData(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        info.st_uid != ::geteuid() || (info.st_mode & 077) != 0)
        return {};
    return dir;
}

QString TclsSingleInstance::ServerName(const QString &Service)
{
    return RuntimeDir() + QLatin1Char('/') + Service + QStringLiteral(".ddeServer");
}

TclsSingleInstance::TclsSingleInstance(const QString &Lock, const QString &Service, QObject *Parent)
    : QObject(Parent), FService(Service)
{
    const QString dir = RuntimeDir();
    if (dir.isEmpty()) {
        FProblem = QStringLiteral("无法建立只属于您的运行文件夹，Lumora 不能确认是否已经有一份在运行，"
                                  "因此没有启动。\n\n请检查环境变量 XDG_RUNTIME_DIR 所指的文件夹"
                                  "（没有这个变量时是 %1）：它必须属于您，权限为 0700。")
                       .arg(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                            QStringLiteral("/lumora"));
        return;
    }
    FLock = std::make_unique<QLockFile>(dir + QLatin1Char('/') + Lock + QStringLiteral(".lock"));
    // No age limit: a lock is stale only when the copy that made it is gone,
    // which tryLock detects and takes over.
    FLock->setStaleLockTime(0);
    FIsFirst = FLock->tryLock(0);
    FServer.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&FServer, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = FServer.nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] { ReadFrom(socket); });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            ReadFrom(socket);
        }
    });
}

TclsSingleInstance::~TclsSingleInstance()
{
    FServer.close();
}

bool TclsSingleInstance::Listen()
{
    // We hold the lock, so a socket file left behind belongs to a crashed copy.
    if (!Usable())
        return false;
    const QString name = ServerName(FService);
    QLocalServer::removeServer(name);
    return FServer.listen(name);
}

void TclsSingleInstance::ReadFrom(QLocalSocket *Socket)
{
    // Messages are a 4-byte length and that many bytes of UTF-8.
    while (Socket->bytesAvailable() >= 4) {
        QByteArray head = Socket->peek(4);
        QDataStream in(head);
        qint32 length = 0;
        in >> length;
        if (length < 0 || length > MaxMessage) {
            Socket->abort();
            return;
        }
        if (Socket->bytesAvailable() < 4 + length)
            return;
        Socket->read(4);
        emit MacroReceived(QString::fromUtf8(Socket->read(length)));
    }
}

bool TclsSingleInstance::SendMacro(const QString &Service, const QString &Macro)
{
    if (RuntimeDir().isEmpty())
        return false;
    QLocalSocket socket;
    socket.connectToServer(ServerName(Service));
    if (!socket.waitForConnected(1000))
        return false; // nobody answers: the second copy just ends
    const QByteArray text = Macro.toUtf8().left(MaxMessage);
    QByteArray message;
    QDataStream out(&message, QIODevice::WriteOnly);
    out << qint32(text.size());
    message += text;
    socket.write(message);
    const bool sent = socket.waitForBytesWritten(1000);
    socket.disconnectFromServer();
    return sent;
}
