#include "core/protocols/protocols.h"

#include "core/protocols/biphase.h"
#include "core/protocols/pulsedistance.h"
#include "core/protocols/pulsewidth.h"
#include "core/protocols/unnamedpulsedistance.h"

#include <QCoreApplication>

namespace {

using TFrameDecoder = std::optional<TProtocolCode> (*)(TDurationReader &);
using TEncoder = std::optional<TIrCode> (*)(const TProtocolCode &);

// Tried in this order. SIRC goes before the biphase codes: a SIRC header and its bits can pass for
// RC5's double and single half-bits, while RC5 passes for SIRC only at the edge of the tolerance.
// Pioneer goes before NEC, whose reading its frames also pass. The unnamed pulse-distance reading
// comes last, as it takes any NEC-like train.
constexpr TFrameDecoder FrameDecoders[] = {DecodePioneerFrame, DecodeNecFrame,      DecodeSamsung32Frame,
                                           DecodeRcaFrame,     DecodeJvcFrame,      DecodeKaseikyoFrame,
                                           DecodeSharpFrame,   DecodeSircFrame,     DecodeRc5Frame,
                                           DecodeRc6Frame};

struct TEncoderEntry {
    const char *Protocol;
    TEncoder Encode;
};

constexpr TEncoderEntry Encoders[] = {
    {"NEC", EncodeNec},       {"NECext", EncodeNecExt},       {"NEC42", EncodeNec42},
    {"NEC42ext", EncodeNec42Ext}, {"Pioneer", EncodePioneer}, {"Samsung32", EncodeSamsung32},
    {"RCA", EncodeRca},       {"SIRC", EncodeSirc},           {"SIRC15", EncodeSirc},
    {"SIRC20", EncodeSirc},   {"RC5", EncodeRc5},             {"RC5X", EncodeRc5},
    {"RC6", EncodeRc6},       {"JVC", EncodeJvc},             {"Kaseikyo", EncodeKaseikyo},
    {"Sharp", EncodeSharp}};

const QString NecRepeat = QStringLiteral("NEC repeat");
const QString PulseDistance = QStringLiteral("Pulse distance");

// A frame after the first repeats it, or is the NEC repeat frame after a frame of the NEC family.
bool repeats(const TProtocolCode &first, const TProtocolCode &next)
{
    if (next == first)
        return true;
    return next.Protocol == NecRepeat && first.Protocol.startsWith(QLatin1String("NEC"));
}

// The first frame names the code; every later one must repeat it. A last frame that the end of the
// capture cut off may fail to read or, with fewer bits (SIRC), read as something else.
std::optional<TProtocolCode> identifyWith(TFrameDecoder decode, const std::vector<int> &durationsUs)
{
    TDurationReader reader(durationsUs);
    const auto first = decode(reader);
    if (!first)
        return std::nullopt;
    const std::size_t firstLength = reader.Position();
    while (!reader.AtEnd()) {
        const std::size_t start = reader.Position();
        const auto next = decode(reader);
        if (next && repeats(*first, *next))
            continue;
        const bool shorterAtTheEnd = reader.AtEnd() && durationsUs.size() - start + 1 < firstLength;
        if ((!next && reader.RanOut()) || (next && shorterAtTheEnd))
            break;
        return std::nullopt;
    }
    return first;
}

// Upper-case digits, at least two.
QString hex(uint32_t value)
{
    return QStringLiteral("0x") + QString::number(value, 16).toUpper().rightJustified(2, QLatin1Char('0'));
}

int markCount(const std::vector<int> &durationsUs)
{
    return int(durationsUs.size() + 1) / 2;
}

} // namespace

bool operator==(const TProtocolCode &a, const TProtocolCode &b)
{
    return a.Protocol == b.Protocol && a.Address == b.Address && a.Command == b.Command && a.Bits == b.Bits
        && a.Data == b.Data;
}

std::optional<TProtocolCode> IdentifyCode(const std::vector<int> &durationsUs)
{
    if (durationsUs.empty())
        return std::nullopt;
    for (TFrameDecoder decode : FrameDecoders) {
        if (auto code = identifyWith(decode, durationsUs))
            return code;
    }
    return DecodeUnnamedPulseDistance(durationsUs);
}

QString ProtocolLogLine(const std::vector<int> &durationsUs)
{
    return ProtocolLogLine(IdentifyCode(durationsUs), markCount(durationsUs));
}

QString ProtocolLogLine(const std::optional<TProtocolCode> &code, int marks)
{
    if (!code)
        return QCoreApplication::translate("ProtocolText", "协议：未识别（%1 个脉冲）").arg(marks);
    if (code->Protocol == PulseDistance)
        return QCoreApplication::translate("ProtocolText", "协议：脉冲间隔  %1 位  数据 0x%2")
            .arg(code->Bits)
            .arg(QString::fromLatin1(code->Data.toHex().toUpper()));
    if (code->Protocol == NecRepeat)
        return QCoreApplication::translate("ProtocolText", "协议：NEC 重复帧");
    return QCoreApplication::translate("ProtocolText", "协议：%1  地址 %2  命令 %3").arg(code->Protocol, hex(code->Address), hex(code->Command));
}

QString ProtocolHint(const std::vector<int> &durationsUs)
{
    const auto code = IdentifyCode(durationsUs);
    return code ? ProtocolHint(*code) : QString();
}

QString ProtocolHint(const TProtocolCode &code)
{
    if (code.Protocol == PulseDistance)
        return QStringLiteral("脉冲间隔 %1 位").arg(code.Bits);
    if (code.Protocol == NecRepeat)
        return QStringLiteral("NEC 重复帧");
    return QStringLiteral("%1 %2/%3").arg(code.Protocol, hex(code.Address), hex(code.Command));
}

std::optional<TIrCode> EncodeCode(const TProtocolCode &code)
{
    for (const TEncoderEntry &entry : Encoders) {
        if (code.Protocol == QLatin1String(entry.Protocol))
            return entry.Encode(code);
    }
    return std::nullopt;
}
