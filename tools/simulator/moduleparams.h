#pragma once
// The module's block of network parameters and the 37-byte frame that writes it:
// FF 20 00 FC, IP, gateway, mask, port (high byte first), target IP, target port, work mode,
// restart-on-time-out flag, MAC, four reserved bytes, FC. The module reports its parameters in a
// frame of the same layout.
#include <QByteArray>
#include <QString>
#include <array>
#include <optional>

namespace irsim {

constexpr int ParameterFrameSize = 37;

enum class TWorkMode : quint8 { TcpServer = 0, TcpClient = 1 };

struct TModuleParams {
    std::array<quint8, 4> Ip{192, 168, 0, 199};
    std::array<quint8, 4> Gateway{192, 168, 0, 1};
    std::array<quint8, 4> Mask{255, 255, 255, 0};
    quint16 Port = 5000;
    std::array<quint8, 4> TargetIp{192, 168, 0, 190};
    quint16 TargetPort = 6000;
    // Kept as received: values other than the two modes (a module may report 2) stay visible.
    quint8 WorkMode = static_cast<quint8>(TWorkMode::TcpServer);
    bool RestartOnTimeout = true;
    std::array<quint8, 6> Mac{0x64, 0x65, 0x66, 0x67, 0x00, 0xC7};

    bool IsClient() const { return WorkMode == static_cast<quint8>(TWorkMode::TcpClient); }
    QString TargetAddress() const;
    QString Describe() const;
};

QByteArray ParameterFrame(const TModuleParams &params);
// The answer to a read request: the write frame's layout with FB in place of both FC bytes.
QByteArray ParameterReadReply(const TModuleParams &params);
// The parameters of a well-formed write frame (37 bytes, FF .. FC head, FC trailer), else nothing.
std::optional<TModuleParams> ParseParameterFrame(const QByteArray &frame);
// Dotted IPv4 text into four bytes; nothing for anything else.
std::optional<std::array<quint8, 4>> ParseIpv4(const QString &text);

} // namespace irsim
