#include "tools/simulator/moduleframes.h"

#include "tools/simulator/durationcode.h"

#include <numeric>

namespace irsim {

namespace {

const QByteArray ClearNotice("CLEAR");

QByteArray header(quint8 type, int length = 0)
{
    QByteArray frame;
    frame.append(static_cast<char>(FrameStart));
    frame.append(static_cast<char>(length % 255));
    frame.append(static_cast<char>(length / 255));
    frame.append(static_cast<char>(type));
    return frame;
}

int payloadLength(const QByteArray &frame)
{
    return static_cast<quint8>(frame[1]) + 255 * static_cast<quint8>(frame[2]);
}

bool couldStartFrame(char c)
{
    return static_cast<quint8>(c) == FrameStart || c == ClearNotice[0];
}

} // namespace

QByteArray LearnCommand() { return header(TypeLearn); }
QByteArray KeepAliveCommand() { return header(TypeKeepAlive); }
QByteArray EmitDoneReply() { return header(TypeCode); }
QByteArray ConfigDoneReply() { return header(TypeParameters); }
QByteArray DecodeTimeoutReply() { return header(TypeCode, 1); }

QByteArray DecodedDataReply(const std::vector<int> &durations)
{
    const QByteArray data = EncodeDurations(durations);
    QByteArray frame = header(TypeCode, static_cast<int>(data.size()));
    frame.append(data);
    frame.append(static_cast<char>(CodeEndMark));
    return frame;
}

std::vector<int> CodeDurations(const QByteArray &frame)
{
    if (frame.size() < 5 || static_cast<quint8>(frame[0]) != FrameStart
        || static_cast<quint8>(frame[3]) != TypeCode)
        return {};
    const int length = payloadLength(frame);
    if (frame.size() < 5 + length || static_cast<quint8>(frame[4 + length]) != CodeEndMark)
        return {};
    return DecodeDurations(frame.mid(4, length));
}

qint64 CodeLength(const QByteArray &frame)
{
    const std::vector<int> durations = CodeDurations(frame);
    return std::accumulate(durations.begin(), durations.end(), qint64{0});
}

QString FrameKindName(TFrameKind kind)
{
    switch (kind) {
    case TFrameKind::Learn: return QStringLiteral("learn");
    case TFrameKind::KeepAlive: return QStringLiteral("keep-alive");
    case TFrameKind::Code: return QStringLiteral("code to emit");
    case TFrameKind::ParameterWrite: return QStringLiteral("parameter write");
    case TFrameKind::ParameterRead: return QStringLiteral("parameter read request");
    case TFrameKind::Clear: return QStringLiteral("clear notice");
    case TFrameKind::Unknown: break;
    }
    return QStringLiteral("unknown bytes");
}

void TFrameReader::Append(const QByteArray &bytes)
{
    Buffer.append(bytes);
}

std::optional<TFrame> TFrameReader::Next()
{
    if (Buffer.isEmpty())
        return std::nullopt;
    if (Buffer[0] == ClearNotice[0]) {
        if (Buffer.startsWith(ClearNotice))
            return take(TFrameKind::Clear, ClearNotice.size());
        if (ClearNotice.startsWith(Buffer))
            return std::nullopt;
        return takeUnknown();
    }
    if (static_cast<quint8>(Buffer[0]) != FrameStart)
        return takeUnknown();
    if (Buffer.size() < 4)
        return std::nullopt;
    switch (static_cast<quint8>(Buffer[3])) {
    case TypeLearn: return take(TFrameKind::Learn, 4);
    case TypeKeepAlive: return take(TFrameKind::KeepAlive, 4);
    case TypeParameterRead: return take(TFrameKind::ParameterRead, 4);
    case TypeCode:
    case TypeParameters: {
        const int length = payloadLength(Buffer);
        if (length > MaxPayload)
            return takeUnknown();
        if (Buffer.size() < 5 + length)
            return std::nullopt;
        const bool code = static_cast<quint8>(Buffer[3]) == TypeCode;
        const quint8 trailer = code ? CodeEndMark : TypeParameters;
        if (static_cast<quint8>(Buffer[4 + length]) != trailer)
            return takeUnknown();
        return take(code ? TFrameKind::Code : TFrameKind::ParameterWrite, 5 + length);
    }
    default:
        return takeUnknown();
    }
}

QByteArray TFrameReader::TakePending()
{
    QByteArray pending;
    pending.swap(Buffer);
    return pending;
}

TFrame TFrameReader::take(TFrameKind kind, qsizetype count)
{
    TFrame frame{kind, Buffer.left(count)};
    Buffer.remove(0, count);
    return frame;
}

TFrame TFrameReader::takeUnknown()
{
    qsizetype end = 1;
    while (end < Buffer.size() && !couldStartFrame(Buffer[end]))
        ++end;
    return take(TFrameKind::Unknown, end);
}

} // namespace irsim
