#include "app/unt_clsSingleInstance.h"

#include <QDataStream>
#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>

namespace {
const qint32 MaxMessage = 4096;
}

QString TclsSingleInstance::RuntimeDir()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    QDir().mkpath(dir);
    return dir;
}

QString TclsSingleInstance::ServerName(const QString &Service)
{
    return RuntimeDir() + QLatin1Char('/') + Service + QStringLiteral(".ddeServer");
}

TclsSingleInstance::TclsSingleInstance(const QString &Lock, const QString &Service, QObject *Parent)
    : QObject(Parent), FService(Service)
{
    FLock = std::make_unique<QLockFile>(RuntimeDir() + QLatin1Char('/') + Lock + QStringLiteral(".lock"));
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
