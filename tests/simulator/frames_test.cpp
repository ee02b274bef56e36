#include "tools/simulator/durationcode.h"
#include "tools/simulator/moduleframes.h"
#include "tools/simulator/moduleparams.h"
#include "tools/simulator/remotecodes.h"

#include "support/bytes.h"

#include <gtest/gtest.h>

using namespace irsim;

using testsupport::Hex;

namespace {

struct TEncodingCase {
    int Duration;
    const char *Bytes;
};

} // namespace

TEST(DurationCode, EncodesOneOrTwoBytesAtTheBoundaries)
{
    const TEncodingCase cases[] = {
        {0, "00 00"},    {1, "00 01"},    {21, "00 15"},   {22, "16"},      {23, "17"},     {254, "FE"},
        {255, "FF"},     {256, "01 01"},  {509, "01 FE"},  {510, "02 00"},  {900, "03 87"}, {450, "01 C3"},
        {5609, "15 FE"}, {5610, "15 FF"}, {5611, "15 FF"}, {100000, "15 FF"}, {-5, "00 00"},
    };
    for (const TEncodingCase &c : cases)
        EXPECT_EQ(EncodeDurations({c.Duration}), Hex(c.Bytes)) << "duration " << c.Duration;
}

TEST(DurationCode, EveryReportableDurationReadsBackUnchanged)
{
    std::vector<int> all;
    for (int d = 0; d <= MaxDuration; ++d)
        all.push_back(d);
    EXPECT_EQ(DecodeDurations(EncodeDurations(all)), all);
}

TEST(DurationCode, AHighDigitWithoutItsLowByteEndsTheDecoding)
{
    EXPECT_EQ(DecodeDurations(Hex("38 03 87 02")), (std::vector<int>{56, 900}));
}

TEST(ModuleFrames, DecodedDataReplyIsLaidOutAsTheModuleSendsIt)
{
    EXPECT_EQ(DecodedDataReply({900, 450, 56, 56, 170, 56, 56, 56, 56, 56}),
              Hex("FF 0C 00 FD 03 87 01 C3 38 38 AA 38 38 38 38 38 16"));
}

TEST(ModuleFrames, LengthDigitsCountInBase255)
{
    const struct {
        int Bytes;
        quint8 Low, High;
    } cases[] = {{254, 254, 0}, {255, 0, 1}, {256, 1, 1}, {600, 90, 2}};
    for (const auto &c : cases) {
        const QByteArray frame = DecodedDataReply(std::vector<int>(static_cast<std::size_t>(c.Bytes), 100));
        ASSERT_EQ(frame.size(), c.Bytes + 5);
        EXPECT_EQ(static_cast<quint8>(frame[1]), c.Low) << c.Bytes;
        EXPECT_EQ(static_cast<quint8>(frame[2]), c.High) << c.Bytes;
        EXPECT_EQ(static_cast<quint8>(frame[frame.size() - 1]), CodeEndMark);
    }
}

TEST(ModuleFrames, ShortRepliesHaveTheirFixedBytes)
{
    EXPECT_EQ(EmitDoneReply(), Hex("FF 00 00 FD"));
    EXPECT_EQ(ConfigDoneReply(), Hex("FF 00 00 FC"));
    EXPECT_EQ(DecodeTimeoutReply(), Hex("FF 01 00 FD"));
    EXPECT_EQ(KeepAliveCommand(), Hex("FF 00 00 FA"));
    EXPECT_EQ(LearnCommand(), Hex("FF 00 00 FE"));
}

TEST(ModuleFrames, CodeLengthSumsTheDurationsBeforeTheEndMark)
{
    EXPECT_EQ(CodeLength(Hex("FF 0C 00 FD 03 87 01 C3 38 38 AA 38 38 38 38 38 16")), 1912);
    // What follows the end mark is not part of the signal.
    EXPECT_EQ(CodeLength(Hex("FF 02 00 FD 03 87 16 38 38")), 900);
    EXPECT_EQ(CodeLength(Hex("FF 02 00 FD 03 87 38")), 0);
    EXPECT_EQ(CodeLength(Hex("FF 00 00 FD")), 0);
}

// The program reads a data reply whose low length digit is below 10 as a decode time-out and
// takes at most 1000 bytes, so every built-in code must stay clear of both.
TEST(RemoteCodes, EveryCodeIsAReplyTheProgramTakesAsData)
{
    QStringList names;
    bool needsBothDigits = false;
    for (const TRemoteCode &code : RemoteCodes()) {
        SCOPED_TRACE(code.Name.toStdString());
        EXPECT_FALSE(names.contains(code.Name));
        names << code.Name;
        const QByteArray reply = DecodedDataReply(code.Durations);
        EXPECT_LE(reply.size(), 1000);
        EXPECT_GE(static_cast<quint8>(reply[1]), 10);
        EXPECT_EQ(CodeDurations(reply), code.Durations);
        EXPECT_EQ(code.Durations.size() % 2, 1u) << "a code starts and ends with a pulse";
        for (int d : code.Durations)
            EXPECT_TRUE(d > 0 && d <= MaxDuration) << d;
        needsBothDigits = needsBothDigits || static_cast<quint8>(reply[2]) > 0;
    }
    EXPECT_TRUE(needsBothDigits) << "one code should be longer than 254 data bytes";
    EXPECT_EQ(FindRemoteCode(QStringLiteral("nec")), &RemoteCodes()[0]);
    EXPECT_EQ(FindRemoteCode(QStringLiteral("none")), nullptr);
}

namespace {

struct TReaderCase {
    const char *Name;
    std::vector<QByteArray> Chunks;
    std::vector<std::pair<TFrameKind, QByteArray>> Frames;
    QByteArray Pending;
};

} // namespace

TEST(FrameReader, CutsTheStreamIntoFrames)
{
    const QByteArray code = Hex("FF 0C 00 FD 03 87 01 C3 38 38 AA 38 38 38 38 38 16");
    const QByteArray params = ParameterFrame(TModuleParams{});
    const TReaderCase cases[] = {
        {"one learn", {Hex("FF 00 00 FE")}, {{TFrameKind::Learn, Hex("FF 00 00 FE")}}, {}},
        {"learn in two pieces", {Hex("FF 00"), Hex("00 FE")}, {{TFrameKind::Learn, Hex("FF 00 00 FE")}}, {}},
        {"keep-alive and learn together",
         {Hex("FF 00 00 FA FF 00 00 FE")},
         {{TFrameKind::KeepAlive, Hex("FF 00 00 FA")}, {TFrameKind::Learn, Hex("FF 00 00 FE")}},
         {}},
        {"code in pieces", {code.left(3), code.mid(3, 7), code.mid(10)}, {{TFrameKind::Code, code}}, {}},
        {"code with bytes after the end mark",
         {code + Hex("55 66")},
         {{TFrameKind::Code, code}, {TFrameKind::Unknown, Hex("55 66")}},
         {}},
        {"parameter write", {params}, {{TFrameKind::ParameterWrite, params}}, {}},
        {"read request", {Hex("FF 11 11 FB")}, {{TFrameKind::ParameterRead, Hex("FF 11 11 FB")}}, {}},
        {"clear notice then learn",
         {QByteArray("CLE"), QByteArray("AR") + Hex("FF 00 00 FE")},
         {{TFrameKind::Clear, QByteArray("CLEAR")}, {TFrameKind::Learn, Hex("FF 00 00 FE")}},
         {}},
        {"noise before a learn",
         {Hex("01 02 03 FF 00 00 FE")},
         {{TFrameKind::Unknown, Hex("01 02 03")}, {TFrameKind::Learn, Hex("FF 00 00 FE")}},
         {}},
        {"a C that starts no notice", {QByteArray("CX")}, {{TFrameKind::Unknown, QByteArray("CX")}}, {}},
        {"unknown frame type", {Hex("FF 00 00 F0")}, {{TFrameKind::Unknown, Hex("FF 00 00 F0")}}, {}},
        {"code with a wrong end mark",
         {Hex("FF 01 00 FD 38 17")},
         {{TFrameKind::Unknown, Hex("FF 01 00 FD 38 17")}},
         {}},
        {"parameter frame with a wrong trailer",
         {Hex("FF 01 00 FC 11 00")},
         {{TFrameKind::Unknown, Hex("FF 01 00 FC 11 00")}},
         {}},
        {"absurd length is not waited for",
         {Hex("FF FE FE FD 38")},
         {{TFrameKind::Unknown, Hex("FF FE FE FD 38")}},
         {}},
        {"unfinished code waits", {code.left(9)}, {}, code.left(9)},
        {"unfinished header waits", {Hex("FF 00 00")}, {}, Hex("FF 00 00")},
    };
    for (const TReaderCase &c : cases) {
        SCOPED_TRACE(c.Name);
        TFrameReader reader;
        std::vector<std::pair<TFrameKind, QByteArray>> frames;
        for (const QByteArray &chunk : c.Chunks) {
            reader.Append(chunk);
            while (const auto frame = reader.Next())
                frames.emplace_back(frame->Kind, frame->Bytes);
        }
        EXPECT_EQ(frames, c.Frames);
        EXPECT_EQ(reader.TakePending(), c.Pending);
        EXPECT_FALSE(reader.HasPending());
    }
}

TEST(ModuleParams, TheWriteFrameOfTheDefaultsReadsBack)
{
    const QByteArray frame = Hex("FF 20 00 FC C0 A8 00 C7 C0 A8 00 01 FF FF FF 00 13 88 C0 A8 00 BE 17 70 00 01 "
                                 "64 65 66 67 00 C7 00 00 00 00 FC");
    EXPECT_EQ(ParameterFrame(TModuleParams{}), frame);
    const auto params = ParseParameterFrame(frame);
    ASSERT_TRUE(params);
    EXPECT_EQ(params->Port, 5000);
    EXPECT_EQ(params->TargetAddress(), QStringLiteral("192.168.0.190"));
    EXPECT_EQ(params->TargetPort, 6000);
    EXPECT_FALSE(params->IsClient());
    EXPECT_TRUE(params->RestartOnTimeout);

    TModuleParams client;
    client.WorkMode = static_cast<quint8>(TWorkMode::TcpClient);
    client.TargetIp = {127, 0, 0, 1};
    client.TargetPort = 0x1234;
    client.RestartOnTimeout = false;
    const auto back = ParseParameterFrame(ParameterFrame(client));
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->IsClient());
    EXPECT_EQ(back->TargetAddress(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(back->TargetPort, 0x1234);
    EXPECT_FALSE(back->RestartOnTimeout);
}

TEST(ModuleParams, MalformedWriteFramesAreRefused)
{
    const QByteArray good = ParameterFrame(TModuleParams{});
    QByteArray wrongTrailer = good;
    wrongTrailer[36] = 0;
    QByteArray wrongStart = good;
    wrongStart[0] = 0;
    QByteArray readReply = good;
    readReply[3] = static_cast<char>(0xFB);
    for (const QByteArray &frame : {good.left(36), good + Hex("00"), wrongTrailer, wrongStart, readReply})
        EXPECT_FALSE(ParseParameterFrame(frame)) << frame.toHex(' ').toStdString();
}

TEST(ModuleParams, OnlyDottedIpv4Parses)
{
    EXPECT_EQ(ParseIpv4(QStringLiteral("10.1.2.3")), (std::array<quint8, 4>{10, 1, 2, 3}));
    EXPECT_FALSE(ParseIpv4(QStringLiteral("localhost")));
    EXPECT_FALSE(ParseIpv4(QStringLiteral("::1")));
    EXPECT_FALSE(ParseIpv4(QStringLiteral("300.1.1.1")));
}
