#pragma once
// Non-blocking TCP client and server whose events arrive on the user-interface thread, shaped after
// what the main window needs: an active flag, connections indexed in accept order, and error events
// whose code the handler may clear. An error code left non-zero by the handlers is raised as
// ESocketError right after the event.
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <stdexcept>

class QTcpServer;
class QTcpSocket;

namespace platform {

class ESocketError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One TCP connection: the client link's, or one the server accepted.
class TSocketConnection : public QObject {
    Q_OBJECT
public:
    // At most this much is taken from the system for one read event. A module's replies are far
    // smaller; a peer that sends without pause is held back by the connection's own flow control
    // instead of filling memory, and every read event stays short.
    static constexpr qint64 ReadBufferLimit = 64 * 1024;

    explicit TSocketConnection(QTcpSocket *socket, QObject *parent = nullptr);

    qint64 ReceiveLength() const;
    qint64 ReceiveBuf(char *buffer, qint64 count);
    // Drops up to count waiting bytes without copying them out; returns how many were dropped.
    qint64 Skip(qint64 count);
    // A frame a user asked for: handed to the system at once, not at the event loop's next turn,
    // which comes late while another connection keeps the loop busy.
    qint64 SendBuf(const char *buffer, qint64 length);
    qint64 SendText(const QByteArray &text);
    // A notice or keep-alive that nobody waits for: queued and handed to the system at the event
    // loop's next turn together with whatever else waits for this connection, so that a notice to
    // every module on every accept costs one system call per module and turn, not one per notice.
    qint64 PostBuf(const char *buffer, qint64 length);
    qint64 PostText(const QByteArray &text);
    QString RemoteAddress() const;
    QTcpSocket *Socket() const { return socket_; }

private:
    QTcpSocket *socket_;
};

class TClientSocket : public QObject {
    Q_OBJECT
public:
    explicit TClientSocket(QObject *parent = nullptr);
    ~TClientSocket() override;

    void SetHost(const QString &host) { host_ = host; }
    void SetPort(int port);
    QString Host() const { return host_; }
    int Port() const { return port_; }

    // true starts a background connect (a connect under way is replaced); false closes.
    void SetActive(bool active);
    // true from the connect event until the disconnect event.
    bool Active() const { return connected_; }
    TSocketConnection *Connection() { return connection_; }

signals:
    void Connecting(platform::TSocketConnection *connection);
    void Connect(platform::TSocketConnection *connection);
    void Disconnect(platform::TSocketConnection *connection);
    void Read(platform::TSocketConnection *connection);
    void Error(platform::TSocketConnection *connection, int &errorCode);

private:
    void onStateChanged();
    void onError();
    void close(bool announce);

    QTcpSocket *socket_;
    TSocketConnection *connection_;
    QString host_;
    int port_ = 0;
    bool connected_ = false;
    bool closing_ = false;
};

class TServerSocket : public QObject {
    Q_OBJECT
public:
    // Connects not yet accepted that the system holds for the server. Qt's default of 50 is too few
    // for a room of modules that power up together: once the queue overflows, the system answers
    // with SYN cookies and drops the module's final ACK, so the module believes it is connected
    // while the server never sees it, and a module that only listens never finds out.
    static constexpr int ListenBacklog = 1024;

    explicit TServerSocket(QObject *parent = nullptr);
    ~TServerSocket() override;

    void SetPort(int port);
    int Port() const { return port_; }
    // Starts listening on every interface; a port that cannot be bound raises ESocketError.
    void Open();
    // false stops listening and closes every connection (without disconnect events).
    void SetActive(bool active);
    bool Active() const;
    // The port actually listened on (differs from Port() when Port() is 0).
    int ListeningPort() const;

    int ConnectionCount() const { return static_cast<int>(connections_.size()); }
    TSocketConnection *Connection(int index) const { return connections_.value(index); }

signals:
    void ClientConnect(platform::TSocketConnection *connection);
    void Accept(platform::TSocketConnection *connection);
    void ClientDisconnect(platform::TSocketConnection *connection);
    void ClientRead(platform::TSocketConnection *connection);
    void ClientError(platform::TSocketConnection *connection, int &errorCode);

private:
    void onNewConnection();
    void onClosed(TSocketConnection *connection);

    QTcpServer *server_;
    QList<TSocketConnection *> connections_;
    int port_ = 6000;
};

} // namespace platform
