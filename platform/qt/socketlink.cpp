#include "platform/qt/socketlink.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <utility>

namespace platform {

namespace {

void checkPort(int port)
{
    if (port < 0 || port > 65535)
        throw ESocketError("Invalid port number " + std::to_string(port));
}

QString dottedAddress(const QHostAddress &address)
{
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    return isV4 ? QHostAddress(v4).toString() : address.toString();
}

// Raised from an event of its own so that the exception never unwinds through the socket's
// signal emission; the application's event filter reports it.
void raiseIfLeft(QObject *context, int errorCode, const QString &what)
{
    if (errorCode == 0)
        return;
    const std::string message = "Socket error " + std::to_string(errorCode) + ": " + what.toStdString();
    QMetaObject::invokeMethod(context, [message] { throw ESocketError(message); }, Qt::QueuedConnection);
}

} // namespace

TSocketConnection::TSocketConnection(QTcpSocket *socket, QObject *parent) : QObject(parent), socket_(socket)
{
    socket_->setReadBufferSize(ReadBufferLimit);
}

qint64 TSocketConnection::ReceiveLength() const
{
    return socket_->bytesAvailable();
}

qint64 TSocketConnection::ReceiveBuf(char *buffer, qint64 count)
{
    return std::max<qint64>(0, socket_->read(buffer, count));
}

qint64 TSocketConnection::Skip(qint64 count)
{
    return count > 0 ? std::max<qint64>(0, socket_->skip(count)) : 0;
}

qint64 TSocketConnection::SendBuf(const char *buffer, qint64 length)
{
    const qint64 written = PostBuf(buffer, length);
    if (written >= 0)
        socket_->flush();
    return written;
}

qint64 TSocketConnection::SendText(const QByteArray &text)
{
    return SendBuf(text.constData(), text.size());
}

qint64 TSocketConnection::PostBuf(const char *buffer, qint64 length)
{
    if (socket_->state() != QAbstractSocket::ConnectedState)
        return -1;
    return socket_->write(buffer, length);
}

qint64 TSocketConnection::PostText(const QByteArray &text)
{
    return PostBuf(text.constData(), text.size());
}

QString TSocketConnection::RemoteAddress() const
{
    return dottedAddress(socket_->peerAddress());
}

TClientSocket::TClientSocket(QObject *parent)
    : QObject(parent), socket_(new QTcpSocket(this)), connection_(new TSocketConnection(socket_, this))
{
    connect(socket_, &QAbstractSocket::stateChanged, this, &TClientSocket::onStateChanged);
    connect(socket_, &QAbstractSocket::errorOccurred, this, &TClientSocket::onError);
    connect(socket_, &QIODevice::readyRead, this, [this] { emit Read(connection_); });
}

TClientSocket::~TClientSocket()
{
    closing_ = true;
    socket_->abort();
}

void TClientSocket::SetPort(int port)
{
    if (connected_)
        throw ESocketError("Cannot change the port of an active connection");
    checkPort(port);
    port_ = port;
}

void TClientSocket::SetActive(bool active)
{
    if (!active) {
        close(true);
        return;
    }
    if (connected_)
        return;
    close(false);
    socket_->connectToHost(host_, static_cast<quint16>(port_));
}

void TClientSocket::close(bool announce)
{
    if (socket_->state() == QAbstractSocket::UnconnectedState && !connected_)
        return;
    const bool wasConnected = connected_;
    closing_ = true;
    socket_->abort();
    closing_ = false;
    connected_ = false;
    if (announce && wasConnected)
        emit Disconnect(connection_);
}

void TClientSocket::onStateChanged()
{
    if (closing_)
        return;
    switch (socket_->state()) {
    case QAbstractSocket::ConnectingState:
        emit Connecting(connection_);
        break;
    case QAbstractSocket::ConnectedState:
        connected_ = true;
        emit Connect(connection_);
        break;
    case QAbstractSocket::UnconnectedState:
        if (connected_) {
            connected_ = false;
            emit Disconnect(connection_);
        }
        break;
    default:
        break;
    }
}

void TClientSocket::onError()
{
    // The peer closing is reported as a disconnect, not as an error.
    if (closing_ || socket_->error() == QAbstractSocket::RemoteHostClosedError)
        return;
    int code = static_cast<int>(socket_->error()) + 1;
    const QString what = socket_->errorString();
    emit Error(connection_, code);
    raiseIfLeft(this, code, what);
}

TServerSocket::TServerSocket(QObject *parent) : QObject(parent), server_(new QTcpServer(this))
{
    connect(server_, &QTcpServer::newConnection, this, &TServerSocket::onNewConnection);
}

TServerSocket::~TServerSocket()
{
    for (TSocketConnection *c : std::as_const(connections_))
        c->Socket()->disconnect(this);
}

void TServerSocket::SetPort(int port)
{
    if (server_->isListening())
        throw ESocketError("Cannot change the port of an active server");
    checkPort(port);
    port_ = port;
}

void TServerSocket::Open()
{
    if (server_->isListening())
        return;
    server_->setListenBacklogSize(ListenBacklog);
    if (!server_->listen(QHostAddress::AnyIPv4, static_cast<quint16>(port_)))
        throw ESocketError("Cannot listen on port " + std::to_string(port_) + ": "
                           + server_->errorString().toStdString());
}

void TServerSocket::SetActive(bool active)
{
    if (active) {
        Open();
        return;
    }
    server_->close();
    const QList<TSocketConnection *> closing = std::exchange(connections_, {});
    for (TSocketConnection *c : closing) {
        c->Socket()->disconnect(this);
        c->Socket()->abort();
        c->deleteLater();
    }
}

bool TServerSocket::Active() const
{
    return server_->isListening();
}

int TServerSocket::ListeningPort() const
{
    return server_->serverPort();
}

void TServerSocket::onNewConnection()
{
    while (QTcpSocket *socket = server_->nextPendingConnection()) {
        auto *connection = new TSocketConnection(socket, this);
        socket->setParent(connection);
        connections_.append(connection);
        connect(socket, &QIODevice::readyRead, this, [this, connection] { emit ClientRead(connection); });
        connect(socket, &QAbstractSocket::disconnected, this, [this, connection] { onClosed(connection); });
        connect(socket, &QAbstractSocket::errorOccurred, this, [this, connection, socket] {
            if (socket->error() == QAbstractSocket::RemoteHostClosedError)
                return;
            int code = static_cast<int>(socket->error()) + 1;
            const QString what = socket->errorString();
            emit ClientError(connection, code);
            raiseIfLeft(this, code, what);
        });
        emit ClientConnect(connection);
        emit Accept(connection);
    }
}

void TServerSocket::onClosed(TSocketConnection *connection)
{
    const qsizetype index = connections_.indexOf(connection);
    if (index < 0)
        return;
    emit ClientDisconnect(connection);
    connections_.removeAt(index);
    connection->Socket()->disconnect(this);
    connection->deleteLater();
}

} // namespace platform
