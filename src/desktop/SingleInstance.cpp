#include "desktop/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>

#include <unistd.h>

SingleInstance::SingleInstance(const QString& programFolder, QObject* parent)
    : QObject(parent)
{
    const QByteArray folderHash =
        QCryptographicHash::hash(programFolder.toUtf8(), QCryptographicHash::Sha1).toHex().left(12);
    m_name = QStringLiteral("netzpegel-%1-%2").arg(getuid()).arg(QString::fromLatin1(folderHash));
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    QDir().mkpath(dir);
    m_lock = std::make_unique<QLockFile>(dir + QLatin1Char('/') + m_name + QStringLiteral(".lock"));
    // A full path in the user's own runtime folder: no other user can take the name.
    m_name = dir + QLatin1Char('/') + m_name + QStringLiteral(".socket");
    m_lock->setStaleLockTime(0); // only a dead owner makes the lock stale, never its age
}

SingleInstance::~SingleInstance()
{
    m_server.close();
    m_lock->unlock();
}

bool SingleInstance::tryLock()
{
    return m_lock->tryLock(0);
}

bool SingleInstance::askRunningToRaise() const
{
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(1000))
        return false;
    socket.write("raise\n");
    socket.waitForBytesWritten(1000);
    socket.disconnectFromServer();
    return true;
}

void SingleInstance::listen()
{
    QLocalServer::removeServer(m_name); // a socket left by a killed instance
    m_server.listen(m_name);
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server.nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            emit raiseRequested();
        }
    });
}
