#include "core/modulelink.h"

#include <QEventLoop>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

namespace {

// Sent to a module when it connects, as the main window does in server mode.
const QByteArray ClearNotice("CLEAR");

QString endpointText(const QString &host, quint16 port)
{
    return QStringLiteral("%1:%2").arg(host).arg(port);
}

QString listenRefusal(QAbstractSocket::SocketError error, quint16 port, const QString &detail)
{
    switch (error) {
    case QAbstractSocket::SocketAccessError:
        return QStringLiteral("cannot listen on port %1: permission denied; ports below 1024 are reserved "
                              "to the system administrator, choose one from 1024 up")
            .arg(port);
    case QAbstractSocket::AddressInUseError:
        return QStringLiteral("cannot listen on port %1: another program already listens there").arg(port);
    default:
        return QStringLiteral("cannot listen on port %1: %2").arg(port).arg(detail);
    }
}

QString connectFailure(QAbstractSocket::SocketError error, const QString &target, const QString &detail)
{
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return QStringLiteral("module %1 unreachable: connection refused (nothing listens on that port)").arg(target);
    case QAbstractSocket::HostNotFoundError:
        return QStringLiteral("module %1 unreachable: host not found").arg(target);
    default:
        return QStringLiteral("module %1 unreachable: %2").arg(target, detail);
    }
}

} // namespace

QString DottedAddress(const QString &address)
{
    const QHostAddress host(address);
    bool ok = false;
    const quint32 v4 = host.toIPv4Address(&ok);
    return ok ? QHostAddress(v4).toString() : address;
}

TModuleLink::TModuleLink(std::function<void(const QString &)> progress, QObject *parent)
    : QObject(parent), progress_(std::move(progress))
{
    quietGap_.setSingleShot(true);
    quietGap_.setTimerType(Qt::PreciseTimer);
    quietGap_.setInterval(ReplyQuietGapMs);
    connect(&quietGap_, &QTimer::timeout, this, &TModuleLink::replyComplete);
}

TModuleLink::~TModuleLink()
{
    if (socket_) {
        socket_->disconnect(this);
        socket_->abort();
    }
}

TLinkOutcome TModuleLink::Open(const TLinkEndpoint &endpoint, QDeadlineTimer deadline)
{
    if (endpoint.Mode == TLinkEndpoint::Client) {
        const QString target = endpointText(endpoint.Host, endpoint.Port);
        auto *socket = new QTcpSocket(this);
        take(socket);
        socket->connectToHost(endpoint.Host, endpoint.Port);
        runUntil([this] { return connected_ || !socketError_.isEmpty(); }, deadline);
        if (connected_)
            return {};
        if (cancelled_)
            return {TLinkFailure::Cancelled, QStringLiteral("cancelled")};
        if (!socketError_.isEmpty())
            return {TLinkFailure::Unreachable, connectFailure(socket->error(), target, socketError_)};
        socket->abort();
        return {TLinkFailure::Unreachable,
                QStringLiteral("module %1 unreachable: no answer to the connection request in time").arg(target)};
    }

    from_ = endpoint.From.isEmpty() ? QString() : DottedAddress(endpoint.From);
    server_ = new QTcpServer(this);
    if (!server_->listen(QHostAddress::Any, endpoint.Port))
        return {TLinkFailure::ListenRefused, listenRefusal(server_->serverError(), endpoint.Port, server_->errorString())};
    connect(server_, &QTcpServer::newConnection, this, &TModuleLink::accept);
    if (progress_)
        progress_(QStringLiteral("listening on port %1").arg(server_->serverPort()));
    if (runUntil([this] { return connected_; }, deadline))
        return {};
    if (cancelled_)
        return {TLinkFailure::Cancelled, QStringLiteral("cancelled")};
    const QString who = from_.isEmpty() ? QStringLiteral("no module") : QStringLiteral("module %1").arg(from_);
    return {TLinkFailure::TimedOut,
            QStringLiteral("time-out: %1 connected to port %2 in time").arg(who).arg(server_->serverPort())};
}

void TModuleLink::take(QTcpSocket *socket)
{
    socket_ = socket;
    connect(socket, &QTcpSocket::connected, this, [this] {
        connected_ = true;
        remember();
        wake();
    });
    connect(socket, &QTcpSocket::readyRead, this, &TModuleLink::readAll);
    // A module that closes the link right after answering (it restarts after a parameter write)
    // has ended its reply: the rest of the quiet gap is not waited for.
    connect(socket, &QTcpSocket::disconnected, this, [this] {
        readAll();
        if (!gathering_.IsEmpty()) {
            quietGap_.stop();
            replyComplete();
        }
        closed_ = true;
        wake();
    });
    connect(socket, &QTcpSocket::errorOccurred, this, [this, socket] {
        if (!connected_)
            socketError_ = socket->errorString();
        if (socket->state() != QAbstractSocket::ConnectedState && connected_)
            closed_ = true;
        wake();
    });
}

void TModuleLink::accept()
{
    while (QTcpSocket *socket = server_->nextPendingConnection()) {
        const QString address = DottedAddress(socket->peerAddress().toString());
        if (connected_ || (!from_.isEmpty() && address != from_)) {
            if (progress_ && !connected_)
                progress_(QStringLiteral("module %1 connected, waiting for %2").arg(address, from_));
            continue;
        }
        socket->setParent(this);
        take(socket);
        connected_ = true;
        remember();
        socket->write(ClearNotice);
        if (progress_)
            progress_(QStringLiteral("module %1 connected").arg(ModuleAddress()));
        wake();
    }
}

void TModuleLink::readAll()
{
    if (!socket_->isOpen())
        return;
    const QByteArray piece = socket_->readAll();
    if (piece.isEmpty())
        return;
    gathering_.Append(piece);
    quietGap_.start();
}

void TModuleLink::replyComplete()
{
    replies_.append(gathering_.Take());
    wake();
}

void TModuleLink::Send(const QByteArray &bytes)
{
    if (socket_)
        socket_->write(bytes);
}

TExchangeOutcome TModuleLink::Exchange(const QByteArray &command, const std::function<bool(TReplyKind)> &awaited,
                                       QDeadlineTimer deadline)
{
    TExchangeOutcome outcome;
    quietGap_.stop();
    gathering_.Take();
    replies_.clear();
    Send(command);
    bool got = false;
    auto answered = [&] {
        while (!replies_.isEmpty()) {
            const QByteArray reply = replies_.takeFirst();
            const TReplyKind kind = ClassifyReply(reply);
            if (awaited(kind)) {
                outcome.Reply = reply;
                outcome.Kind = kind;
                got = true;
                return true;
            }
            outcome.Ignored.append(reply);
        }
        return false;
    };
    if (runUntil([&] { return answered() || closed_; }, deadline) && got)
        return outcome;
    if (cancelled_) {
        outcome.Failure = TLinkFailure::Cancelled;
        outcome.Message = QStringLiteral("cancelled");
    } else if (closed_) {
        outcome.Failure = TLinkFailure::Closed;
        outcome.Message = QStringLiteral("module %1 closed the connection before answering").arg(ModuleAddress());
    } else {
        outcome.Failure = TLinkFailure::TimedOut;
        outcome.Message = outcome.Ignored.isEmpty()
            ? QStringLiteral("time-out: module %1 did not answer in time").arg(ModuleAddress())
            : QStringLiteral("time-out: module %1 sent %2 reply(s), none of the awaited kind")
                  .arg(ModuleAddress())
                  .arg(outcome.Ignored.size());
    }
    return outcome;
}

void TModuleLink::remember()
{
    address_ = endpointText(DottedAddress(socket_->peerAddress().toString()), socket_->peerPort());
}

QString TModuleLink::ModuleAddress() const
{
    return address_;
}

void TModuleLink::Cancel()
{
    cancelled_ = true;
    wake();
}

void TModuleLink::wake()
{
    if (loop_)
        loop_->quit();
}

bool TModuleLink::runUntil(const std::function<bool()> &done, QDeadlineTimer deadline)
{
    cancelled_ = false;
    while (!done()) {
        if (deadline.hasExpired() || cancelled_)
            return false;
        QEventLoop loop;
        QTimer expiry;
        expiry.setSingleShot(true);
        connect(&expiry, &QTimer::timeout, &loop, &QEventLoop::quit);
        if (!deadline.isForever())
            expiry.start(std::chrono::milliseconds(deadline.remainingTime()));
        loop_ = &loop;
        loop.exec();
        loop_ = nullptr;
    }
    return true;
}
