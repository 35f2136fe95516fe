#pragma once
// Hands "open" requests from a second start of the program to the one already running, over a
// Unix-domain socket named after the user. The running program listens; a second start that
// reaches it sends its documents' paths and ends. Plain sockets watched by the event loop, so that
// the network library and the libraries it brings do not load with the program.

#include <QByteArray>
#include <QObject>
#include <QStringList>

class QSocketNotifier;

class KTInstanceChannel : public QObject
{
    Q_OBJECT

public:
    explicit KTInstanceChannel(QObject* parent = nullptr);
    ~KTInstanceChannel() override;

    /// The socket for the current user: in $XDG_RUNTIME_DIR when there is one, else a name in
    /// the temporary folder.
    static QString ServerName();
    /// The socket file's path (ServerName, in the temporary folder when it is a bare name).
    static QString SocketPath();
    /// Sends the absolute paths to a running program; true when one took them.
    static bool SendToRunningInstance(const QStringList& paths, int timeoutMs = 1000);
    /// Starts listening; false when the socket cannot be made or another program listens on it
    /// (requests are then not taken).
    bool Listen();
    bool IsListening() const;

signals:
    /// A second start asked for these documents to be opened.
    void openRequested(const QStringList& paths);

private:
    void OnNewConnection();
    void Close();

    int m_listener = -1;
    QSocketNotifier* m_notifier = nullptr;
    /// The socket file this channel made, removed when it ends.
    QByteArray m_path;
};
