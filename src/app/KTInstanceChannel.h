#pragma once
// Hands "open" requests from a second start of the program to the one already running, over a
// local socket named after the user. The running program listens; a second start that reaches
// it sends its documents' paths and ends.

#include <QObject>
#include <QStringList>

class QLocalServer;

class KTInstanceChannel : public QObject
{
    Q_OBJECT

public:
    explicit KTInstanceChannel(QObject* parent = nullptr);
    ~KTInstanceChannel() override;

    /// The socket for the current user: in $XDG_RUNTIME_DIR when there is one.
    static QString ServerName();
    /// Sends the absolute paths to a running program; true when one took them.
    static bool SendToRunningInstance(const QStringList& paths, int timeoutMs = 1000);
    /// Starts listening; false when the socket cannot be made (requests are then not taken).
    bool Listen();
    bool IsListening() const;

signals:
    /// A second start asked for these documents to be opened.
    void openRequested(const QStringList& paths);

private:
    void OnNewConnection();

    QLocalServer* m_server = nullptr;
};
