#include "core/moduleparams.h"

#include "core/convert.h"

namespace {

constexpr unsigned char Head = 0xFF;
constexpr unsigned char WriteType = 0xFC;
constexpr unsigned char ReadType = 0xFB;

// The edits as they appear in the frame: octet fields take one byte, the two ports two.
constexpr int ModulePortEdit = 13;
constexpr int TargetPortEdit = 18;

unsigned byteAt(const QByteArray &b, int i)
{
    return static_cast<unsigned char>(b[i]);
}

} // namespace

const char *const ParameterDefaults[ParameterEditCount] = {
    "192", "168", "0", "199", "192", "168", "0", "1", "255", "255", "255", "0",
    "5000", "192", "168", "0", "190", "6000", "100", "101", "102", "103", "0", "0"};

const QByteArray &ReadRequestFrame()
{
    static const QByteArray frame("\xFF\x11\x11\xFB", 4);
    return frame;
}

QByteArray BuildParameterFrame(const TParameterTexts &edits, int workMode, bool restartOnTimeout)
{
    QByteArray frame;
    frame.reserve(ParameterFrameSize);
    frame.append(static_cast<char>(Head)).append('\x20').append('\x00').append(static_cast<char>(WriteType));
    auto put = [&](int editNumber) {
        const int value = StrToInt(edits[editNumber - 1]);
        if (editNumber == ModulePortEdit || editNumber == TargetPortEdit)
            frame.append(static_cast<char>((value / 256) & 0xFF));
        frame.append(static_cast<char>(value & 0xFF));
    };
    for (int n = 1; n <= 18; ++n)
        put(n);
    frame.append(static_cast<char>(workMode & 0xFF));
    frame.append(static_cast<char>(restartOnTimeout ? 1 : 0));
    for (int n = 19; n <= 24; ++n)
        put(n);
    frame.append(QByteArray(4, '\0'));
    frame.append(static_cast<char>(WriteType));
    return frame;
}

std::optional<TReadReply> ParseReadReply(const QByteArray &package)
{
    if (package.size() < ParameterFrameSize || byteAt(package, 0) != Head || byteAt(package, 3) != ReadType
        || byteAt(package, 36) != ReadType)
        return std::nullopt;
    TReadReply reply;
    int at = 4;
    auto next = [&](int editNumber) {
        unsigned value = byteAt(package, at++);
        if (editNumber == ModulePortEdit || editNumber == TargetPortEdit)
            value = value * 256 + byteAt(package, at++);
        reply.Edits[editNumber - 1] = QString::number(value);
    };
    for (int n = 1; n <= 18; ++n)
        next(n);
    reply.WorkMode = static_cast<int>(byteAt(package, at++));
    reply.RestartOnTimeout = byteAt(package, at++) == 1;
    for (int n = 19; n <= 24; ++n)
        next(n);
    return reply;
}

bool IsWriteAcknowledgement(const QByteArray &package)
{
    return package.size() >= 4 && byteAt(package, 0) == Head && byteAt(package, 3) == WriteType;
}
