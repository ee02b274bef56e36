#include "tools/simulator/modulesession.h"

#include "tools/simulator/durationcode.h"

#include <QRandomGenerator>
#include <QTcpSocket>

namespace irsim {

namespace {

// How long the start of a frame may wait for its rest before it is reported and dropped.
constexpr int StaleFrameMs = 500;
// A learned code made longer than any reply the program takes.
constexpr int OversizedDataBytes = 1100;

QByteArray garbage()
{
    QByteArray bytes(QRandomGenerator::global()->bounded(4, 33), '\0');
    for (char &b : bytes)
        b = static_cast<char>(QRandomGenerator::global()->bounded(256));
    return bytes;
}

std::vector<int> oversized(const std::vector<int> &durations)
{
    std::vector<int> longer;
    while (EncodeDurations(longer).size() <= OversizedDataBytes)
        longer.insert(longer.end(), durations.begin(), durations.end());
    return longer;
}

} // namespace

QString HexText(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

TModuleSession::TModuleSession(QTcpSocket *socket, const QString &moduleName, const TBehaviour &behaviour,
                               TCodePicker pickCode, TLog sink, QObject *parent)
    : QObject(parent), Socket(socket),
      Name(QStringLiteral("%1 [%2:%3]").arg(moduleName, socket->peerAddress().toString()).arg(socket->peerPort())),
      Behaviour(behaviour), PickCode(std::move(pickCode)), Log(std::move(sink))
{
    Socket->setParent(this);
    LearnTimer.setSingleShot(true);
    LearnTimer.setTimerType(Qt::PreciseTimer);
    PieceTimer.setSingleShot(true);
    PieceTimer.setTimerType(Qt::PreciseTimer);
    StaleTimer.setSingleShot(true);
    connect(&LearnTimer, &QTimer::timeout, this, &TModuleSession::learned);
    connect(&PieceTimer, &QTimer::timeout, this, &TModuleSession::sendNextPiece);
    connect(&StaleTimer, &QTimer::timeout, this, &TModuleSession::dropIncomplete);
    connect(Socket, &QTcpSocket::readyRead, this, &TModuleSession::readAvailable);
    connect(Socket, &QTcpSocket::disconnected, this, [this] {
        if (Ended)
            return;
        Ended = true;
        log(QStringLiteral("connection closed"));
        emit Closed();
        deleteLater();
    });
    log(QStringLiteral("connected"));
}

void TModuleSession::Close()
{
    Pieces.clear();
    Socket->disconnectFromHost();
}

void TModuleSession::readAvailable()
{
    Reader.Append(Socket->readAll());
    while (!Ended) {
        const std::optional<TFrame> frame = Reader.Next();
        if (!frame)
            break;
        handle(*frame);
    }
    if (Reader.HasPending())
        StaleTimer.start(StaleFrameMs);
    else
        StaleTimer.stop();
}

void TModuleSession::handle(const TFrame &frame)
{
    log(QStringLiteral("<- %1 (%2)").arg(HexText(frame.Bytes), FrameKindName(frame.Kind)));
    const bool command = frame.Kind == TFrameKind::Learn || frame.Kind == TFrameKind::KeepAlive
        || frame.Kind == TFrameKind::Code || frame.Kind == TFrameKind::ParameterWrite;
    if (command && Behaviour.Faults.Drop) {
        log(QStringLiteral("dropping the connection"));
        Ended = true;
        Socket->abort();
        emit Closed();
        deleteLater();
        return;
    }
    switch (frame.Kind) {
    case TFrameKind::Learn:
        log(QStringLiteral("learning, answer in %1 ms").arg(Behaviour.LearnDelayMs));
        LearnTimer.start(Behaviour.LearnDelayMs);
        break;
    case TFrameKind::KeepAlive:
        reply(frame.Bytes, QStringLiteral("keep-alive answer"));
        break;
    case TFrameKind::Code: {
        const int ms = static_cast<int>((CodeLength(frame.Bytes) + 99) / 100);
        log(QStringLiteral("emitting %1 durations, %2 ms").arg(CodeDurations(frame.Bytes).size()).arg(ms));
        QTimer::singleShot(ms, Qt::PreciseTimer, this,
                           [this] { reply(EmitDoneReply(), QStringLiteral("emission finished")); });
        break;
    }
    case TFrameKind::ParameterWrite:
        NewParams = ParseParameterFrame(frame.Bytes);
        if (!NewParams) {
            log(QStringLiteral("not a parameter frame of %1 bytes, ignored").arg(ParameterFrameSize));
            break;
        }
        log(QStringLiteral("new parameters: %1").arg(NewParams->Describe()));
        reply(ConfigDoneReply(), QStringLiteral("parameters taken"));
        afterSending();
        break;
    case TFrameKind::ParameterRead:
        log(QStringLiteral("parameters are read over the serial line only, ignored"));
        break;
    case TFrameKind::Clear:
    case TFrameKind::Unknown:
        break;
    }
}

void TModuleSession::learned()
{
    if (Behaviour.LearnTimesOut) {
        reply(DecodeTimeoutReply(), QStringLiteral("decode time-out"));
        return;
    }
    const TRemoteCode &code = PickCode();
    if (Behaviour.Faults.Oversized) {
        reply(DecodedDataReply(oversized(code.Durations)), QStringLiteral("oversized %1 code").arg(code.Name));
        return;
    }
    reply(DecodedDataReply(code.Durations), QStringLiteral("%1 code").arg(code.Name));
}

void TModuleSession::reply(const QByteArray &bytes, const QString &what)
{
    if (Behaviour.Faults.Silent) {
        log(QStringLiteral("silent, not sending the %1").arg(what));
        return;
    }
    QByteArray out = bytes;
    QString described = what;
    if (Behaviour.Faults.Garbage) {
        out = garbage();
        described = QStringLiteral("garbage instead of the %1").arg(what);
    }
    log(QStringLiteral("-> %1 (%2)").arg(HexText(out), described));
    const qsizetype pieces = std::min<qsizetype>(Behaviour.Faults.SplitPieces, out.size());
    const qsizetype pieceSize = (out.size() + pieces - 1) / pieces;
    for (qsizetype at = 0; at < out.size(); at += pieceSize)
        Pieces.append(out.mid(at, pieceSize));
    if (!PieceTimer.isActive())
        sendNextPiece();
}

void TModuleSession::sendNextPiece()
{
    if (Pieces.isEmpty() || Ended)
        return;
    const QByteArray piece = Pieces.takeFirst();
    if (Behaviour.Faults.SplitPieces > 1)
        log(QStringLiteral("-> piece %1").arg(HexText(piece)));
    Socket->write(piece);
    if (!Pieces.isEmpty())
        PieceTimer.start(Behaviour.Faults.SplitGapMs);
    else
        afterSending();
}

void TModuleSession::afterSending()
{
    if (!NewParams || !Pieces.isEmpty() || PieceTimer.isActive())
        return;
    const TModuleParams params = *NewParams;
    NewParams.reset();
    emit ParametersWritten(params);
}

void TModuleSession::dropIncomplete()
{
    log(QStringLiteral("<- %1 (incomplete frame, dropped)").arg(HexText(Reader.TakePending())));
}

void TModuleSession::log(const QString &line) const
{
    Log(QStringLiteral("%1 %2").arg(Name, line));
}

} // namespace irsim
