#include "tools/simulator/moduleparams.h"

#include "tools/simulator/moduleframes.h"

#include <QHostAddress>

namespace irsim {

namespace {

QString dotted(const std::array<quint8, 4> &ip)
{
    return QStringLiteral("%1.%2.%3.%4").arg(ip[0]).arg(ip[1]).arg(ip[2]).arg(ip[3]);
}

template <std::size_t N> void appendBytes(QByteArray &out, const std::array<quint8, N> &bytes)
{
    for (quint8 b : bytes)
        out.append(static_cast<char>(b));
}

void appendPort(QByteArray &out, quint16 port)
{
    out.append(static_cast<char>(port >> 8));
    out.append(static_cast<char>(port & 0xFF));
}

template <std::size_t N> std::array<quint8, N> readBytes(const QByteArray &in, int offset)
{
    std::array<quint8, N> bytes{};
    for (std::size_t i = 0; i < N; ++i)
        bytes[i] = static_cast<quint8>(in[offset + static_cast<int>(i)]);
    return bytes;
}

quint16 readPort(const QByteArray &in, int offset)
{
    return static_cast<quint16>(static_cast<quint8>(in[offset]) << 8 | static_cast<quint8>(in[offset + 1]));
}

} // namespace

QString TModuleParams::TargetAddress() const
{
    return dotted(TargetIp);
}

QString TModuleParams::Describe() const
{
    QStringList mac;
    for (quint8 b : Mac)
        mac << QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
    const QString mode = WorkMode == 0 ? QStringLiteral("TCP server")
        : WorkMode == 1               ? QStringLiteral("TCP client")
                                      : QStringLiteral("mode %1").arg(WorkMode);
    return QStringLiteral("%1, IP %2 gateway %3 mask %4 port %5, target %6:%7, restart on time-out %8, MAC %9")
        .arg(mode, dotted(Ip), dotted(Gateway), dotted(Mask))
        .arg(Port)
        .arg(dotted(TargetIp))
        .arg(TargetPort)
        .arg(RestartOnTimeout ? QStringLiteral("on") : QStringLiteral("off"), mac.join(QLatin1Char('-')));
}

QByteArray ParameterFrame(const TModuleParams &params)
{
    QByteArray frame;
    frame.append(static_cast<char>(FrameStart));
    frame.append(static_cast<char>(0x20));
    frame.append(static_cast<char>(0x00));
    frame.append(static_cast<char>(TypeParameters));
    appendBytes(frame, params.Ip);
    appendBytes(frame, params.Gateway);
    appendBytes(frame, params.Mask);
    appendPort(frame, params.Port);
    appendBytes(frame, params.TargetIp);
    appendPort(frame, params.TargetPort);
    frame.append(static_cast<char>(params.WorkMode));
    frame.append(static_cast<char>(params.RestartOnTimeout ? 1 : 0));
    appendBytes(frame, params.Mac);
    frame.append(4, '\0');
    frame.append(static_cast<char>(TypeParameters));
    return frame;
}

QByteArray ParameterReadReply(const TModuleParams &params)
{
    QByteArray frame = ParameterFrame(params);
    frame[3] = frame[ParameterFrameSize - 1] = static_cast<char>(TypeParameterRead);
    return frame;
}

std::optional<TModuleParams> ParseParameterFrame(const QByteArray &frame)
{
    if (frame.size() != ParameterFrameSize || static_cast<quint8>(frame[0]) != FrameStart
        || static_cast<quint8>(frame[3]) != TypeParameters
        || static_cast<quint8>(frame[ParameterFrameSize - 1]) != TypeParameters)
        return std::nullopt;
    TModuleParams p;
    p.Ip = readBytes<4>(frame, 4);
    p.Gateway = readBytes<4>(frame, 8);
    p.Mask = readBytes<4>(frame, 12);
    p.Port = readPort(frame, 16);
    p.TargetIp = readBytes<4>(frame, 18);
    p.TargetPort = readPort(frame, 22);
    p.WorkMode = static_cast<quint8>(frame[24]);
    p.RestartOnTimeout = static_cast<quint8>(frame[25]) == 1;
    p.Mac = readBytes<6>(frame, 26);
    return p;
}

std::optional<std::array<quint8, 4>> ParseIpv4(const QString &text)
{
    QHostAddress address;
    if (!address.setAddress(text) || address.protocol() != QAbstractSocket::IPv4Protocol)
        return std::nullopt;
    const quint32 v = address.toIPv4Address();
    return std::array<quint8, 4>{static_cast<quint8>(v >> 24), static_cast<quint8>(v >> 16),
                                 static_cast<quint8>(v >> 8), static_cast<quint8>(v)};
}

} // namespace irsim
