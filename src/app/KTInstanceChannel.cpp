#include "app/KTInstanceChannel.h"

#include <QLocalServer>
#include <QLocalSocket>

#include <memory>

#include <unistd.h>

namespace {

// A request is one UTF-8 path per line, ended by an empty line; anything larger is refused.
constexpr qint64 kMaxRequest = 1 << 20;

} // namespace

KTInstanceChannel::KTInstanceChannel(QObject* parent) : QObject(parent) {}

KTInstanceChannel::~KTInstanceChannel() = default;

QString KTInstanceChannel::ServerName()
{
    // The user's runtime folder is private to the user and to the session; without one the
    // socket goes into the temporary folder under a name that carries the user's id.
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty())
        return QString::fromLocal8Bit(runtime) + QStringLiteral("/ktgraph3.socket");
    return QStringLiteral("ktgraph3-%1").arg(static_cast<qulonglong>(getuid()));
}

bool KTInstanceChannel::SendToRunningInstance(const QStringList& paths, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(ServerName());
    if (!socket.waitForConnected(timeoutMs))
        return false;
    QByteArray request;
    for (const QString& path : paths)
        request += path.toUtf8() + '\n';
    request += '\n';
    socket.write(request);
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    // The running program answers "ok" once it has the request.
    if (!socket.waitForReadyRead(timeoutMs))
        return false;
    return socket.readAll().startsWith("ok");
}

bool KTInstanceChannel::Listen()
{
    if (m_server)
        return m_server->isListening();
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &KTInstanceChannel::OnNewConnection);
    if (m_server->listen(ServerName()))
        return true;
    // A socket left behind by a program that crashed: nobody answers on it, so it can go.
    QLocalSocket probe;
    probe.connectToServer(ServerName());
    if (probe.waitForConnected(200))
        return false; // another program is running and listening
    QLocalServer::removeServer(ServerName());
    return m_server->listen(ServerName());
}

bool KTInstanceChannel::IsListening() const
{
    return m_server && m_server->isListening();
}

void KTInstanceChannel::OnNewConnection()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        auto buffer = std::make_shared<QByteArray>();
        connect(socket, &QLocalSocket::readyRead, this, [this, socket, buffer] {
            *buffer += socket->readAll();
            if (buffer->size() > kMaxRequest) {
                socket->abort();
                return;
            }
            if (!buffer->endsWith("\n\n") && *buffer != "\n")
                return;
            QStringList paths;
            for (const QByteArray& line : buffer->split('\n'))
                if (!line.isEmpty())
                    paths.append(QString::fromUtf8(line));
            buffer->clear();
            socket->write("ok\n");
            socket->flush();
            socket->disconnectFromServer();
            emit openRequested(paths);
        });
    }
}
