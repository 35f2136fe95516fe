#include "app/KTInstanceChannel.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <memory>
#include <utility>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// A request is one UTF-8 path per line, ended by an empty line; anything larger is refused.
// The running program answers "ok" once it has the request.
constexpr qsizetype kMaxRequest = 1 << 20;

// Closes the socket it holds when it ends.
struct Socket
{
    int fd = -1;
    explicit Socket(int descriptor) : fd(descriptor) {}
    ~Socket()
    {
        if (fd >= 0)
            ::close(fd);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int Release() { return std::exchange(fd, -1); }
};

bool MakeAddress(const QByteArray& path, sockaddr_un& address, socklen_t& length)
{
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.isEmpty() || static_cast<std::size_t>(path.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
    length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + static_cast<std::size_t>(path.size()) + 1);
    return true;
}

int NewSocket()
{
    return ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
}

// Waits until the socket is ready for the events; false when the time runs out first.
bool WaitFor(int fd, short events, const QDeadlineTimer& deadline)
{
    for (;;) {
        pollfd watched{fd, events, 0};
        const qint64 left = deadline.remainingTime();
        const int ready = ::poll(&watched, 1, left < 0 ? -1 : static_cast<int>(left));
        if (ready > 0)
            return true; // a hang-up or error too: the next call on the socket reports it
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

// A socket connected to the running program's, or -1 when none answers in time.
int ConnectToRunning(const QByteArray& path, const QDeadlineTimer& deadline)
{
    sockaddr_un address;
    socklen_t length = 0;
    if (!MakeAddress(path, address, length))
        return -1;
    Socket socket(NewSocket());
    if (socket.fd < 0)
        return -1;
    if (::connect(socket.fd, reinterpret_cast<const sockaddr*>(&address), length) == 0)
        return socket.Release();
    // A listener whose queue is full makes a non-blocking connect wait (EAGAIN on this family).
    if (errno != EINPROGRESS && errno != EAGAIN && errno != EINTR)
        return -1;
    if (!WaitFor(socket.fd, POLLOUT, deadline))
        return -1;
    int error = 0;
    socklen_t size = sizeof error;
    if (::getsockopt(socket.fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0)
        return -1;
    return socket.Release();
}

bool SendAll(int fd, const QByteArray& bytes, const QDeadlineTimer& deadline)
{
    qsizetype sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.constData() + sent, static_cast<std::size_t>(bytes.size() - sent),
                                 MSG_NOSIGNAL);
        if (n > 0) {
            sent += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && WaitFor(fd, POLLOUT, deadline))
            continue;
        return false;
    }
    return true;
}

} // namespace

KTInstanceChannel::KTInstanceChannel(QObject* parent) : QObject(parent) {}

KTInstanceChannel::~KTInstanceChannel()
{
    Close();
}

QString KTInstanceChannel::ServerName()
{
    // The user's runtime folder is private to the user and to the session; without one the
    // socket goes into the temporary folder under a name that carries the user's id.
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty())
        return QString::fromLocal8Bit(runtime) + QStringLiteral("/ktgraph3.socket");
    return QStringLiteral("ktgraph3-%1").arg(static_cast<qulonglong>(getuid()));
}

QString KTInstanceChannel::SocketPath()
{
    const QString name = ServerName();
    return name.startsWith(QLatin1Char('/')) ? name : QDir::tempPath() + QLatin1Char('/') + name;
}

bool KTInstanceChannel::SendToRunningInstance(const QStringList& paths, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    Socket socket(ConnectToRunning(QFile::encodeName(SocketPath()), deadline));
    if (socket.fd < 0)
        return false;
    QByteArray request;
    for (const QString& path : paths)
        request += path.toUtf8() + '\n';
    request += '\n';
    if (!SendAll(socket.fd, request, deadline))
        return false;
    QByteArray answer;
    while (answer.size() < 2) {
        char bytes[16];
        const ssize_t n = ::recv(socket.fd, bytes, sizeof bytes, 0);
        if (n > 0) {
            answer.append(bytes, n);
            continue;
        }
        if (n == 0)
            break;
        if (errno == EINTR)
            continue;
        if ((errno == EAGAIN || errno == EWOULDBLOCK) && WaitFor(socket.fd, POLLIN, deadline))
            continue;
        break;
    }
    return answer.startsWith("ok");
}

bool KTInstanceChannel::Listen()
{
    if (m_listener >= 0)
        return true;
    const QByteArray path = QFile::encodeName(SocketPath());
    sockaddr_un address;
    socklen_t length = 0;
    if (!MakeAddress(path, address, length))
        return false;
    Socket socket(NewSocket());
    if (socket.fd < 0)
        return false;
    if (::bind(socket.fd, reinterpret_cast<const sockaddr*>(&address), length) != 0) {
        if (errno != EADDRINUSE)
            return false;
        // A socket left behind by a program that crashed: nobody answers on it, so it can go.
        Socket probe(ConnectToRunning(path, QDeadlineTimer(200)));
        if (probe.fd >= 0)
            return false; // another program is running and listening
        ::unlink(path.constData());
        if (::bind(socket.fd, reinterpret_cast<const sockaddr*>(&address), length) != 0)
            return false;
    }
    // Only the user may connect; nobody can before the listen below.
    if (::chmod(path.constData(), S_IRUSR | S_IWUSR) != 0 || ::listen(socket.fd, 16) != 0) {
        ::unlink(path.constData());
        return false;
    }
    m_listener = socket.Release();
    m_path = path;
    m_notifier = new QSocketNotifier(static_cast<qintptr>(m_listener), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &KTInstanceChannel::OnNewConnection);
    return true;
}

bool KTInstanceChannel::IsListening() const
{
    return m_listener >= 0;
}

void KTInstanceChannel::Close()
{
    if (m_listener < 0)
        return;
    delete m_notifier;
    m_notifier = nullptr;
    ::close(m_listener);
    m_listener = -1;
    // The socket file goes with the channel, as it would with a program that ends.
    ::unlink(m_path.constData());
    m_path.clear();
}

void KTInstanceChannel::OnNewConnection()
{
    for (;;) {
        const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            if (errno == EINTR)
                continue;
            return; // EAGAIN: no more waiting; anything else: that one is lost
        }
        auto* notifier = new QSocketNotifier(static_cast<qintptr>(fd), QSocketNotifier::Read, this);
        auto buffer = std::make_shared<QByteArray>();
        // Ends the connection: the notifier stops watching before its socket is closed.
        auto finish = [notifier, fd] {
            notifier->setEnabled(false);
            ::close(fd);
            notifier->deleteLater();
        };
        connect(notifier, &QSocketNotifier::activated, this, [this, fd, buffer, finish] {
            for (;;) {
                char bytes[4096];
                const ssize_t n = ::recv(fd, bytes, sizeof bytes, 0);
                if (n > 0) {
                    buffer->append(bytes, n);
                    if (buffer->size() > kMaxRequest)
                        return finish();
                    continue;
                }
                if (n < 0 && errno == EINTR)
                    continue;
                if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                    break;
                return finish(); // the other side ended before its request was whole
            }
            if (!buffer->endsWith("\n\n") && *buffer != "\n")
                return;
            QStringList paths;
            for (const QByteArray& line : buffer->split('\n'))
                if (!line.isEmpty())
                    paths.append(QString::fromUtf8(line));
            ::send(fd, "ok\n", 3, MSG_NOSIGNAL);
            finish();
            emit openRequested(paths);
        });
    }
}
