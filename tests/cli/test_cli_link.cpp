// learn and send as a process, against the simulator and against modules played by the test, in
// both link modes, with every way the link can fail.
#include "cliprocess.h"
#include "support/bytes.h"

#include "tools/simulator/moduleframes.h"
#include "tools/simulator/remotecodes.h"

#include <QJsonArray>

#include <numeric>

using namespace clitest;
using testsupport::Bytes;

namespace {

QString spaced(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

// What learn must print for one of the simulator's codes.
void expectLearned(const QJsonObject &json, const QString &codeName)
{
    const irsim::TRemoteCode *code = irsim::FindRemoteCode(codeName);
    ASSERT_NE(code, nullptr);
    EXPECT_EQ(json.value("ok").toBool(), true);
    EXPECT_EQ(json.value("reply").toString(), spaced(irsim::DecodedDataReply(code->Durations)));
    const QJsonArray durations = json.value("durations_us").toArray();
    ASSERT_EQ(durations.size(), static_cast<qsizetype>(code->Durations.size()));
    for (size_t i = 0; i < code->Durations.size(); ++i)
        EXPECT_EQ(durations[static_cast<qsizetype>(i)].toInt(), code->Durations[i] * 10) << "duration " << i;
    const int totalUs = std::accumulate(code->Durations.begin(), code->Durations.end(), 0) * 10;
    EXPECT_EQ(json.value("total_us").toInt(), totalUs);
    EXPECT_EQ(json.value("total_ms").toInt(), totalUs / 1000);
}

TEST(CliLink, ClientModeLearnsAndSendsTheCodeBack)
{
    TSimulator sim({"--listen", "--bind", "127.0.0.1", "--port", "0", "--code", "rc5"});
    const QString module = "127.0.0.1:" + ListeningPort(sim);

    TCliRun learn({"learn", "--module", module, "--json"});
    ASSERT_EQ(learn.Finish(), 0) << qPrintable(learn.Both());
    expectLearned(learn.Json(), "rc5");
    EXPECT_EQ(learn.Json().value("module").toString(), module);
    EXPECT_TRUE(sim.Saw("<- FF 00 00 FE \\(learn\\)"));

    const QString reply = learn.Json().value("reply").toString();
    TCliRun send({"send", "--module", module, reply, "--json"});
    ASSERT_EQ(send.Finish(), 0) << qPrintable(send.Both());
    EXPECT_EQ(send.Json().value("bytes").toInt(), (reply.size() + 1) / 3);
    EXPECT_TRUE(sim.Saw(QRegularExpression::escape("<- " + reply + " (code to emit)"))) << qPrintable(sim.Output());
}

TEST(CliLink, HumanOutputNamesTheTotalAndTheDurations)
{
    TSimulator sim({"--listen", "--bind", "127.0.0.1", "--port", "0", "--code", "nec"});
    TCliRun learn({"learn", "--module", "127.0.0.1:" + ListeningPort(sim)});
    ASSERT_EQ(learn.Finish(), 0) << qPrintable(learn.Both());
    const irsim::TRemoteCode *code = irsim::FindRemoteCode("nec");
    const int totalUs = std::accumulate(code->Durations.begin(), code->Durations.end(), 0) * 10;
    const QString out = QString::fromUtf8(learn.Out);
    EXPECT_TRUE(out.contains(QStringLiteral("total: %1 ms (%2 us)").arg(totalUs / 1000).arg(totalUs))) << qPrintable(out);
    EXPECT_TRUE(out.contains("reply: " + spaced(irsim::DecodedDataReply(code->Durations)))) << qPrintable(out);
    EXPECT_TRUE(out.contains(QStringLiteral("durations (us): %1 %2 ").arg(code->Durations[0] * 10).arg(code->Durations[1] * 10)));
}

TEST(CliLink, ServerModeTakesTheFirstModuleThatConnects)
{
    TCliRun learn({"learn", "--listen", "0", "--json"});
    const QString port = learn.WaitErr(QStringLiteral("listening on port (\\d+)"));
    ASSERT_FALSE(port.isEmpty()) << qPrintable(learn.Both());
    TSimulator sim({"--connect", "--port", port, "--code", "sony"});
    ASSERT_EQ(learn.Finish(), 0) << qPrintable(learn.Both());
    expectLearned(learn.Json(), "sony");
    // A module connecting to a listener hears the clear notice first, as from the window.
    EXPECT_TRUE(sim.Saw("\\(clear notice\\)"));
}

TEST(CliLink, ServerModeSendsToTheModuleFromTheNamedAddress)
{
    const QByteArray reply = irsim::DecodedDataReply(irsim::FindRemoteCode("samsung")->Durations);
    TCliRun send({"send", "--listen", "0", "--from", "127.0.0.1", spaced(reply), "--json"});
    const QString port = send.WaitErr(QStringLiteral("listening on port (\\d+)"));
    ASSERT_FALSE(port.isEmpty()) << qPrintable(send.Both());
    TSimulator sim({"--connect", "--port", port});
    ASSERT_EQ(send.Finish(), 0) << qPrintable(send.Both());
    EXPECT_TRUE(sim.Saw(QRegularExpression::escape("<- " + spaced(reply) + " (code to emit)")));
}

TEST(CliLink, AReplyInPiecesIsGatheredIntoOne)
{
    TSimulator sim({"--listen", "--bind", "127.0.0.1", "--port", "0", "--code", "samsung", "--split", "6", "--split-gap", "1"});
    TCliRun learn({"learn", "--module", "127.0.0.1:" + ListeningPort(sim), "--json"});
    ASSERT_EQ(learn.Finish(), 0) << qPrintable(learn.Both());
    expectLearned(learn.Json(), "samsung");
}

struct TFailureCase {
    const char *Name;
    QStringList SimArguments; // empty: no simulator
    QStringList CliArguments; // "{module}" stands for the simulator's address
    const char *ErrorId;
    const char *MessagePart;
};

class CliLinkFailure : public ::testing::TestWithParam<TFailureCase> {};

TEST_P(CliLinkFailure, EndsWithExitCodeOneAndSaysWhy)
{
    const TFailureCase &c = GetParam();
    std::unique_ptr<TSimulator> sim;
    QString module = QStringLiteral("127.0.0.1:%1").arg(ClosedPort());
    if (!c.SimArguments.isEmpty()) {
        sim = std::make_unique<TSimulator>(c.SimArguments);
        module = "127.0.0.1:" + ListeningPort(*sim);
    }
    QStringList arguments = c.CliArguments;
    arguments.replaceInStrings(QStringLiteral("{module}"), module);
    const QString reply = spaced(irsim::DecodedDataReply(irsim::FindRemoteCode("nec")->Durations));
    arguments.replaceInStrings(QStringLiteral("{code}"), reply);

    TCliRun human(arguments);
    EXPECT_EQ(human.Finish(), 1) << qPrintable(human.Both());
    EXPECT_TRUE(human.Out.isEmpty()) << qPrintable(human.Both());
    EXPECT_TRUE(QString::fromUtf8(human.Err).contains(QString::fromUtf8(c.MessagePart))) << qPrintable(human.Both());

    TCliRun json(arguments + QStringList{"--json"});
    EXPECT_EQ(json.Finish(), 1) << qPrintable(json.Both());
    EXPECT_EQ(json.Json().value("ok").toBool(true), false) << qPrintable(json.Both());
    EXPECT_EQ(json.Json().value("error").toString(), QString::fromUtf8(c.ErrorId)) << qPrintable(json.Both());
    EXPECT_TRUE(json.Json().value("message").toString().contains(QString::fromUtf8(c.MessagePart)));
}

const QStringList listening{"--listen", "--bind", "127.0.0.1", "--port", "0"};

INSTANTIATE_TEST_SUITE_P(
    Cases, CliLinkFailure,
    ::testing::Values(
        TFailureCase{"NothingListens", {}, {"learn", "--module", "{module}"}, "unreachable", "connection refused"},
        TFailureCase{"UnknownHost", {}, {"learn", "--module", "no-such-host.invalid", "--timeout", "5"}, "unreachable",
                     "unreachable"},
        TFailureCase{"SilentModuleLearn", listening + QStringList{"--silent"}, {"learn", "--module", "{module}", "--timeout", "0.5"},
                     "timeout", "did not answer in time"},
        TFailureCase{"SilentModuleSend", listening + QStringList{"--silent"},
                     {"send", "--module", "{module}", "{code}", "--timeout", "0.5"}, "timeout", "did not answer in time"},
        TFailureCase{"DecodeTimeOut", listening + QStringList{"--timeout"}, {"learn", "--module", "{module}"},
                     "decode-timeout", "decode time-out"},
        TFailureCase{"GarbageOnly", listening + QStringList{"--garbage"}, {"learn", "--module", "{module}", "--timeout", "1"},
                     "timeout", "none of the awaited kind"},
        TFailureCase{"ModuleDropsTheLink", listening + QStringList{"--drop"}, {"learn", "--module", "{module}"}, "closed",
                     "closed the connection"},
        TFailureCase{"NoModuleConnects", {}, {"learn", "--listen", "0", "--timeout", "0.3"}, "timeout",
                     "no module connected"}),
    [](const ::testing::TestParamInfo<TFailureCase> &info) { return std::string(info.param.Name); });

TEST(CliLink, AListenPortInUseIsRefusedWithTheReason)
{
    QTcpServer holder;
    ASSERT_TRUE(holder.listen(QHostAddress::Any, 0));
    TCliRun learn({"learn", "--listen", QString::number(holder.serverPort()), "--json"});
    EXPECT_EQ(learn.Finish(), 1) << qPrintable(learn.Both());
    EXPECT_EQ(learn.Json().value("error").toString(), "refused");
    EXPECT_TRUE(learn.Json().value("message").toString().contains("another program already listens")) << qPrintable(learn.Both());
}

TEST(CliLink, AModuleFromAnotherAddressIsNotTaken)
{
    TCliRun learn({"learn", "--listen", "0", "--from", "127.0.0.2", "--timeout", "3", "--json"});
    const QString port = learn.WaitErr(QStringLiteral("listening on port (\\d+)"));
    ASSERT_FALSE(port.isEmpty()) << qPrintable(learn.Both());
    TSimulator sim({"--connect", "--port", port});
    EXPECT_EQ(learn.WaitErr(QStringLiteral("module (127\\.0\\.0\\.1) connected, waiting for 127\\.0\\.0\\.2")), "127.0.0.1")
        << qPrintable(learn.Both());
    EXPECT_EQ(learn.Finish(), 1);
    EXPECT_EQ(learn.Json().value("error").toString(), "timeout");
    EXPECT_FALSE(sim.Output().contains("(learn)")) << qPrintable(sim.Output());
}

// A module played here: the learn reply comes after an unrelated keep-alive echo, and bytes that
// follow within the quiet gap belong to the same reply.
TEST(CliLink, RepliesOfOtherKindsAreSkippedUntilTheAwaitedOne)
{
    const QByteArray data = Bytes({0xFF, 0x0C, 0x00, 0xFD, 0x03, 0x87, 0x01, 0xC3, 0x38, 0x38, 0xAA, 0x38, 0x38, 0x38, 0x38, 0x38, 0x16});
    TPeerModule peer([&](const QByteArray &command) -> QByteArray {
        if (command != Bytes({0xFF, 0x00, 0x00, 0xFE}))
            return {};
        return Bytes({0xFF, 0x00, 0x00, 0xFA});
    });
    // The data reply follows the echo after a pause well beyond the quiet gap.
    TCliRun learn({"learn", "--module", peer.Address(), "--json", "--timeout", "10"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !peer.Received.isEmpty(); }, Patience));
    QTest::qWait(300);
    auto *socket = peer.Socket();
    ASSERT_NE(socket, nullptr);
    socket->write(data.left(5));
    socket->flush();
    socket->write(data.mid(5));
    ASSERT_EQ(learn.Finish(), 0) << qPrintable(learn.Both());
    EXPECT_EQ(learn.Json().value("reply").toString(), spaced(data));
    EXPECT_EQ(learn.Json().value("total_ms").toInt(), 19);
    EXPECT_EQ(learn.Json().value("total_us").toInt(), 19120);
}

} // namespace
