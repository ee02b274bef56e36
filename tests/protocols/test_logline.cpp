// The texts the log and the channel hints show for a code.
#include "core/ircode.h"
#include "core/protocols/protocols.h"

#include "capture.h"

#include <gtest/gtest.h>

namespace {

TProtocolCode named(const char *protocol, uint32_t address, uint32_t command)
{
    TProtocolCode code;
    code.Protocol = QString::fromLatin1(protocol);
    code.Address = address;
    code.Command = command;
    return code;
}

TProtocolCode pulseDistance(int bits, const char *hex)
{
    TProtocolCode code;
    code.Protocol = QStringLiteral("Pulse distance");
    code.Bits = bits;
    code.Data = QByteArray::fromHex(hex);
    return code;
}

struct TextCase {
    const char *name;
    std::optional<TProtocolCode> code;
    int marks;
    const char *logLine;
    const char *hint;
};

class ProtocolTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(ProtocolTextTest, LogLineAndHint)
{
    const TextCase &c = GetParam();
    EXPECT_EQ(ProtocolLogLine(c.code, c.marks), QString::fromUtf8(c.logLine));
    if (c.code) {
        EXPECT_EQ(ProtocolHint(*c.code), QString::fromUtf8(c.hint));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Codes, ProtocolTextTest,
    ::testing::Values(
        TextCase{"TwoDigitsAtLeast", named("NEC", 0x04, 0x08), 34, "协议：NEC  地址 0x04  命令 0x08", "NEC 0x04/0x08"},
        TextCase{"UpperCaseDigits", named("Samsung32", 0xE0, 0xAB), 34, "协议：Samsung32  地址 0xE0  命令 0xAB",
                 "Samsung32 0xE0/0xAB"},
        TextCase{"WideAddressWhole", named("NECext", 0x7F00, 0xE916), 34, "协议：NECext  地址 0x7F00  命令 0xE916",
                 "NECext 0x7F00/0xE916"},
        TextCase{"KaseikyoVendorInTheAddress", named("Kaseikyo", 0x200280, 0x3D0), 50,
                 "协议：Kaseikyo  地址 0x200280  命令 0x3D0", "Kaseikyo 0x200280/0x3D0"},
        TextCase{"RepeatFrame", named("NEC repeat", 0, 0), 2, "协议：NEC 重复帧", "NEC 重复帧"},
        TextCase{"PulseDistanceData", pulseDistance(48, "23cb26010024"), 50,
                 "协议：脉冲间隔  48 位  数据 0x23CB26010024", "脉冲间隔 48 位"},
        TextCase{"Unidentified", std::nullopt, 7, "协议：未识别（7 个脉冲）", ""}),
    [](const auto &info) { return info.param.name; });

// What a module sends: a decoded-data reply in 10 µs units with its end mark.
QByteArray moduleReply(const std::vector<int> &durationsUs)
{
    QByteArray data;
    for (int us : durationsUs) {
        const int units = us / ModuleUnitUs;
        if (units >= 22 && units <= 255) {
            data.append(char(units));
        } else {
            data.append(char(units / 255));
            data.append(char(units % 255));
        }
    }
    QByteArray reply;
    reply.append(char(0xFF)).append(char(data.size() % 255)).append(char(data.size() / 255)).append(char(0xFD));
    return reply + data + char(0x16);
}

TEST(ProtocolLogLine, NamesALearnedReply)
{
    std::mt19937 random(5);
    std::vector<int> nec;
    capture::AppendPulseDistance(nec, {9000, 4500, 560, 560, 1690},
                                 capture::Bits({{0x04, 8}, {0xFB, 8}, {0x08, 8}, {0xF7, 8}}));
    capture::AppendGap(nec, 40000);
    const std::vector<int> repeat = {9000, 2250, 560};
    nec.insert(nec.end(), repeat.begin(), repeat.end());
    const QByteArray reply = moduleReply(capture::Captured(nec, random, 10, 60));
    EXPECT_EQ(ProtocolLogLine(CodeFromReply(reply).DurationsUs), QStringLiteral("协议：NEC  地址 0x04  命令 0x08"));
    EXPECT_EQ(ProtocolHint(CodeFromReply(reply).DurationsUs), QStringLiteral("NEC 0x04/0x08"));
}

TEST(ProtocolLogLine, CountsTheMarksOfAnUnnamedReply)
{
    const std::vector<int> durations = {3000, 700, 250, 1900, 1250};
    EXPECT_EQ(ProtocolLogLine(durations), QStringLiteral("协议：未识别（3 个脉冲）"));
    EXPECT_EQ(ProtocolHint(durations), QString());
}

} // namespace
