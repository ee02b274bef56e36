#include "bridge/modulesession.h"
#include "core/commandframes.h"

#include "core/replydecoder.h"

#include <QTcpSocket>

#include <algorithm>

namespace {

// Sent to a module when it dials in, as the main window does in server mode.
const QByteArray ClearNotice("CLEAR");
const QByteArray EmitDoneFrame("\xFF\x00\x00\xFD", 4);

} // namespace

TModuleSession::TModuleSession(QString id, QObject *parent) : QObject(parent), id_(std::move(id))
{
    quietGap_.setSingleShot(true);
    quietGap_.setTimerType(Qt::PreciseTimer);
    quietGap_.setInterval(ReplyQuietGapMs);
    connect(&quietGap_, &QTimer::timeout, this, &TModuleSession::replyComplete);
    connect(&keepAlive_, &QTimer::timeout, this, &TModuleSession::keepAlive);
    keepAliveAnswer_.setSingleShot(true);
    keepAliveAnswer_.setInterval(KeepAliveAnswerMs);
    connect(&keepAliveAnswer_, &QTimer::timeout, this, &TModuleSession::answerOverdue);
    jobDeadline_.setSingleShot(true);
    connect(&jobDeadline_, &QTimer::timeout, this, [this] {
        finish({TRequestError::Timeout,
                current_.Kind == TModuleJob::Send
                    ? QStringLiteral("module %1 did not report the emission finished within %2 ms").arg(id_).arg(current_.AnswerMs)
                    : QStringLiteral("module %1 learned no code within %2 s").arg(id_).arg(current_.AnswerMs / 1000),
                {}});
    });
    redial_.setSingleShot(true);
    connect(&redial_, &QTimer::timeout, this, &TModuleSession::redial);
}

TModuleSession::~TModuleSession()
{
    if (socket_) {
        socket_->disconnect(this);
        socket_->abort();
    }
}

void TModuleSession::Attach(QTcpSocket *socket)
{
    socket->setParent(this);
    setOnline(true);
    take(socket, ClearNotice);
    keepAlive_.start(FirstKeepAliveMs);
}

void TModuleSession::Dial(const QString &host, quint16 port)
{
    dialHost_ = host;
    dialPort_ = port;
    redial();
}

void TModuleSession::redial()
{
    auto *socket = new QTcpSocket(this);
    take(socket, {});
    connect(socket, &QTcpSocket::connected, this, [this] {
        redialMs_ = FirstRedialMs;
        setOnline(true);
        keepAlive_.start(FirstKeepAliveMs);
    });
    socket->connectToHost(dialHost_, dialPort_);
}

void TModuleSession::take(QTcpSocket *socket, const QByteArray &greeting)
{
    QTcpSocket *old = socket_;
    socket_ = socket;
    gathering_.Take();
    quietGap_.stop();
    connect(socket, &QTcpSocket::readyRead, this, &TModuleSession::readAll);
    connect(socket, &QTcpSocket::disconnected, this, &TModuleSession::closed);
    connect(socket, &QTcpSocket::errorOccurred, this, [this, socket] {
        if (socket == socket_ && socket->state() != QAbstractSocket::ConnectedState)
            closed();
    });
    if (!greeting.isEmpty())
        socket->write(greeting);
    if (!old)
        return;
    old->disconnect(this);
    old->abort();
    old->deleteLater();
    if (busy_)
        finish({TRequestError::Offline, QStringLiteral("module %1 dialled in again; its earlier link was closed").arg(id_), {}});
}

void TModuleSession::closed()
{
    if (!socket_)
        return;
    QTcpSocket *socket = socket_;
    socket_ = nullptr;
    socket->disconnect(this);
    socket->deleteLater();
    keepAlive_.stop();
    keepAliveAnswer_.stop();
    quietGap_.stop();
    gathering_.Take();
    setOnline(false);
    failAll(TRequestError::Offline, QStringLiteral("the link to module %1 closed").arg(id_));
    if (!dialHost_.isEmpty() && !redial_.isActive()) {
        redial_.start(redialMs_);
        redialMs_ = std::min(redialMs_ * 2, MaxRedialMs);
    }
}

void TModuleSession::setOnline(bool online)
{
    if (online_ == online)
        return;
    online_ = online;
    emit AvailabilityChanged(online);
}

bool TModuleSession::Enqueue(const TModuleJob &job)
{
    if (static_cast<int>(waiting_.size()) >= QueueDepth)
        return false;
    waiting_.push_back(job);
    if (!busy_)
        startNext();
    return true;
}

void TModuleSession::startNext()
{
    if (busy_ || waiting_.empty())
        return;
    if (!online_ || !socket_) {
        failAll(TRequestError::Offline, QStringLiteral("module %1 is not linked").arg(id_));
        return;
    }
    current_ = std::move(waiting_.front());
    waiting_.pop_front();
    busy_ = true;
    emitted_ = 0;
    // A command postpones the next keep-alive by a full period, as in the main window.
    keepAlive_.start(KeepAliveMs);
    keepAliveAnswer_.stop();
    quietGap_.stop();
    gathering_.Take();
    send(current_.Frame);
    jobDeadline_.start(current_.AnswerMs);
}

void TModuleSession::send(const QByteArray &frame)
{
    socket_->write(frame);
    // Out now rather than on the loop's next turn: one turn less on every command, and the socket's
    // writer is switched on and off again within the turn, which costs the loop nothing.
    socket_->flush();
}

void TModuleSession::readAll()
{
    if (!socket_)
        return;
    const QByteArray piece = socket_->readAll();
    if (piece.isEmpty())
        return;
    keepAliveAnswer_.stop();
    setOnline(true);
    const bool fresh = gathering_.IsEmpty();
    gathering_.Append(piece);
    // "Emission finished" is complete in itself (no learned code starts with these four bytes): a
    // send need not wait out the quiet gap that tells where other replies end.
    if (fresh && piece == EmitDoneFrame && busy_ && current_.Kind == TModuleJob::Send) {
        quietGap_.stop();
        replyComplete();
        return;
    }
    quietGap_.start();
}

void TModuleSession::replyComplete()
{
    const QByteArray reply = gathering_.Take();
    if (!busy_)
        return;
    const TReplyKind kind = ClassifyReply(reply);
    if (current_.Kind == TModuleJob::Send) {
        if (kind != rkEmitDone)
            return;
        if (++emitted_ < current_.Emissions) {
            send(current_.Frame);
            jobDeadline_.start(current_.AnswerMs);
            return;
        }
        finish({});
        return;
    }
    if (kind == rkDecodedData)
        finish({TRequestError::None, QString(), reply});
    else if (kind == rkDecodeTimeout)
        finish({TRequestError::Timeout, QStringLiteral("module %1 reported a decode time-out: it saw no signal it could decode").arg(id_), {}});
}

void TModuleSession::finish(const TJobEnd &end)
{
    if (!busy_)
        return;
    busy_ = false;
    jobDeadline_.stop();
    const TModuleJob job = std::move(current_);
    current_ = TModuleJob();
    emit Finished(job, end);
    startNext();
}

void TModuleSession::failAll(TRequestError error, const QString &message)
{
    finish({error, message, {}});
    while (!waiting_.empty()) {
        const TModuleJob job = std::move(waiting_.front());
        waiting_.pop_front();
        emit Finished(job, {error, message, {}});
    }
}

void TModuleSession::keepAlive()
{
    keepAlive_.setInterval(KeepAliveMs);
    if (!socket_ || busy_)
        return;
    send(KeepAliveCommandFrame);
    if (!keepAliveAnswer_.isActive())
        keepAliveAnswer_.start();
}

void TModuleSession::answerOverdue()
{
    // The main window shows the module as waiting for a connection; the link stays, and any byte
    // from the module makes it available again.
    setOnline(false);
}
