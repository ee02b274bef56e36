// Simulated modules on real TCP connections over 127.0.0.1, driven as the program drives them.
#include "tools/simulator/moduleframes.h"
#include "tools/simulator/moduleparams.h"
#include "tools/simulator/remotecodes.h"
#include "tools/simulator/simmodule.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include "simulator/simprocess.h"
#include "support/bytes.h"

#include <gtest/gtest.h>
#include <memory>

using namespace irsim;

using testsupport::Hex;

namespace {

using simtest::Patience;

// The program's end of one connection.
struct TPeer {
    std::unique_ptr<QTcpSocket> Socket;
    QByteArray Received;
    bool Closed = false;

    explicit TPeer(QTcpSocket *socket = new QTcpSocket) : Socket(socket)
    {
        Socket->setParent(nullptr);
        QObject::connect(Socket.get(), &QTcpSocket::readyRead, [this] { Received += Socket->readAll(); });
        QObject::connect(Socket.get(), &QTcpSocket::disconnected, [this] { Closed = true; });
    }
    bool Connect(quint16 port)
    {
        Socket->connectToHost(QHostAddress::LocalHost, port);
        return Socket->waitForConnected(Patience);
    }
    void Send(const QByteArray &bytes) { Socket->write(bytes); }
    bool WaitFor(qsizetype bytes) { return QTest::qWaitFor([&] { return Received.size() >= bytes; }, Patience); }
    bool WaitClosed() { return QTest::qWaitFor([&] { return Closed; }, Patience); }
};

class ModuleTest : public ::testing::Test {
protected:
    TModuleSetup Setup;
    QStringList Log;

    ModuleTest()
    {
        Setup.Params.Port = 0;
        Setup.Bind = QHostAddress::LocalHost;
        Setup.Behaviour.LearnDelayMs = 20;
        Setup.RetryMs = 50;
        Setup.RestartDelayMs = 20;
    }

    std::unique_ptr<TSimModule> StartModule()
    {
        auto module = std::make_unique<TSimModule>(Setup, [this](const QString &line) { Log << line; });
        EXPECT_TRUE(module->Start());
        return module;
    }

    bool Logged(const QString &text) const
    {
        return std::any_of(Log.begin(), Log.end(), [&](const QString &line) { return line.contains(text); });
    }
    bool WaitLogged(const QString &text)
    {
        return QTest::qWaitFor([&] { return Logged(text); }, Patience);
    }

    // The next connection to the program's server, with the event loop running meanwhile.
    static QTcpSocket *Accept(QTcpServer &program)
    {
        if (!QTest::qWaitFor([&] { return program.hasPendingConnections(); }, Patience))
            return nullptr;
        return program.nextPendingConnection();
    }

    // A port that was free a moment ago.
    static quint16 FreePort()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        return probe.serverPort();
    }
};

QByteArray replyOf(const char *codeName)
{
    return DecodedDataReply(FindRemoteCode(QLatin1String(codeName))->Durations);
}

} // namespace

TEST_F(ModuleTest, LearnIsAnsweredWithTheBuiltInCodesInTurn)
{
    auto module = StartModule();
    TPeer peer;
    ASSERT_TRUE(peer.Connect(module->ListeningPort()));

    for (const char *name : {"nec", "rc5"}) {
        peer.Received.clear();
        peer.Send(LearnCommand());
        const QByteArray expected = replyOf(name);
        ASSERT_TRUE(peer.WaitFor(expected.size())) << name;
        EXPECT_EQ(peer.Received, expected) << name;
    }
    EXPECT_TRUE(Logged(QStringLiteral("<- FF 00 00 FE (learn)")));
}

TEST_F(ModuleTest, ASecondModuleStartsWithAnotherCodeAndAFixedCodeStays)
{
    Setup.Number = 2;
    auto second = StartModule();
    TPeer peer;
    ASSERT_TRUE(peer.Connect(second->ListeningPort()));
    peer.Send(LearnCommand());
    ASSERT_TRUE(peer.WaitFor(replyOf("rc5").size()));
    EXPECT_EQ(peer.Received, replyOf("rc5"));

    Setup.Behaviour.CodeName = QStringLiteral("aircon");
    auto fixed = StartModule();
    TPeer other;
    ASSERT_TRUE(other.Connect(fixed->ListeningPort()));
    const QByteArray aircon = replyOf("aircon");
    other.Send(LearnCommand() + LearnCommand());
    ASSERT_TRUE(other.WaitFor(aircon.size()));
    other.Received.clear();
    other.Send(LearnCommand());
    ASSERT_TRUE(other.WaitFor(aircon.size()));
    EXPECT_EQ(other.Received, aircon);
}

TEST_F(ModuleTest, LearnTimesOutWhenAskedTo)
{
    Setup.Behaviour.LearnTimesOut = true;
    auto module = StartModule();
    TPeer peer;
    ASSERT_TRUE(peer.Connect(module->ListeningPort()));
    peer.Send(LearnCommand());
    ASSERT_TRUE(peer.WaitFor(4));
    EXPECT_EQ(peer.Received, Hex("FF 01 00 FD"));
}

TEST_F(ModuleTest, EmitIsAnsweredOnceTheSignalHasBeenSent)
{
    auto module = StartModule();
    TPeer peer;
    ASSERT_TRUE(peer.Connect(module->ListeningPort()));
    // 300 ms of signal, with bytes after the end mark as a stored code may carry them.
    const QByteArray code = DecodedDataReply({5000, 5000, 5000, 5000, 5000, 5000}) + Hex("AA BB");
    QElapsedTimer clock;
    clock.start();
    peer.Send(code);
    ASSERT_TRUE(peer.WaitFor(4));
    EXPECT_GE(clock.elapsed(), 300 - 5);
    EXPECT_EQ(peer.Received, Hex("FF 00 00 FD"));
    EXPECT_TRUE(Logged(QStringLiteral("(code to emit)")));
    EXPECT_TRUE(Logged(QStringLiteral("emitting 6 durations, 300 ms")));
    EXPECT_TRUE(Logged(QStringLiteral("<- AA BB (unknown bytes)")));
}

TEST_F(ModuleTest, KeepAliveIsEchoedAndTheClearNoticeOnlyLogged)
{
    auto module = StartModule();
    TPeer peer;
    ASSERT_TRUE(peer.Connect(module->ListeningPort()));
    peer.Send(QByteArray("CLEAR") + KeepAliveCommand());
    ASSERT_TRUE(peer.WaitFor(4));
    EXPECT_EQ(peer.Received, Hex("FF 00 00 FA"));
    EXPECT_TRUE(Logged(QStringLiteral("<- 43 4C 45 41 52 (clear notice)")));
}

TEST_F(ModuleTest, AnUnfinishedFrameIsReportedAndDoesNotBlockTheNextOne)
{
    auto module = StartModule();
    TPeer peer;
    ASSERT_TRUE(peer.Connect(module->ListeningPort()));
    peer.Send(Hex("FF 00"));
    ASSERT_TRUE(WaitLogged(QStringLiteral("<- FF 00 (incomplete frame, dropped)")));
    peer.Send(KeepAliveCommand());
    ASSERT_TRUE(peer.WaitFor(4));
    EXPECT_EQ(peer.Received, Hex("FF 00 00 FA"));
}

TEST_F(ModuleTest, AParameterWriteIsAcknowledgedAndTheModuleListensOnItsNewPort)
{
    auto module = StartModule();
    TPeer peer;
    ASSERT_TRUE(peer.Connect(module->ListeningPort()));
    TModuleParams params;
    params.Port = FreePort();
    peer.Send(ParameterFrame(params));
    ASSERT_TRUE(peer.WaitFor(4));
    EXPECT_EQ(peer.Received, Hex("FF 00 00 FC"));
    EXPECT_TRUE(peer.WaitClosed()) << "the module restarts";

    ASSERT_TRUE(QTest::qWaitFor([&] { return module->ListeningPort() == params.Port; }, Patience));
    TPeer again;
    ASSERT_TRUE(again.Connect(params.Port));
    again.Send(KeepAliveCommand());
    ASSERT_TRUE(again.WaitFor(4));
    EXPECT_EQ(module->Params().Port, params.Port);
}

TEST_F(ModuleTest, AParameterWriteInClientModeMakesTheModuleDialItsTarget)
{
    QTcpServer program;
    ASSERT_TRUE(program.listen(QHostAddress::LocalHost, 0));
    auto module = StartModule();
    TPeer peer;
    ASSERT_TRUE(peer.Connect(module->ListeningPort()));
    TModuleParams params;
    params.WorkMode = static_cast<quint8>(TWorkMode::TcpClient);
    params.TargetIp = {127, 0, 0, 1};
    params.TargetPort = program.serverPort();
    peer.Send(ParameterFrame(params));
    ASSERT_TRUE(peer.WaitFor(4));
    EXPECT_EQ(peer.Received, Hex("FF 00 00 FC"));
    EXPECT_TRUE(peer.WaitClosed());
    EXPECT_EQ(module->ListeningPort(), 0);

    QTcpSocket *dialledSocket = Accept(program);
    ASSERT_TRUE(dialledSocket);
    TPeer dialled(dialledSocket);
    dialled.Send(LearnCommand());
    ASSERT_TRUE(dialled.WaitFor(replyOf("nec").size()));
    EXPECT_EQ(dialled.Received, replyOf("nec"));
}

TEST_F(ModuleTest, AMalformedParameterFrameIsNotAcknowledged)
{
    auto module = StartModule();
    TPeer peer;
    ASSERT_TRUE(peer.Connect(module->ListeningPort()));
    QByteArray frame = ParameterFrame(TModuleParams{});
    // One parameter byte short, with its trailer where the shorter length puts it.
    frame[1] = 0x1F;
    frame.chop(1);
    frame[35] = static_cast<char>(TypeParameters);
    peer.Send(frame + KeepAliveCommand());
    ASSERT_TRUE(peer.WaitFor(4));
    EXPECT_EQ(peer.Received, Hex("FF 00 00 FA"));
    EXPECT_TRUE(Logged(QStringLiteral("not a parameter frame")));
}

TEST_F(ModuleTest, ConnectingModulesEachHaveTheirOwnConnection)
{
    QTcpServer program;
    ASSERT_TRUE(program.listen(QHostAddress::LocalHost, 0));
    Setup.Params.WorkMode = static_cast<quint8>(TWorkMode::TcpClient);
    Setup.Params.TargetPort = program.serverPort();
    Setup.TargetHost = QStringLiteral("127.0.0.1");
    auto first = StartModule();
    QTcpSocket *firstPeerSocket = Accept(program);
    ASSERT_TRUE(firstPeerSocket);
    TPeer firstPeer(firstPeerSocket);
    Setup.Number = 2;
    auto second = StartModule();
    QTcpSocket *secondPeerSocket = Accept(program);
    ASSERT_TRUE(secondPeerSocket);
    TPeer secondPeer(secondPeerSocket);

    secondPeer.Send(LearnCommand());
    ASSERT_TRUE(secondPeer.WaitFor(replyOf("rc5").size()));
    EXPECT_EQ(secondPeer.Received, replyOf("rc5"));
    EXPECT_TRUE(firstPeer.Received.isEmpty());
}

TEST_F(ModuleTest, AConnectingModuleKeepsTryingAndComesBackAfterBeingDropped)
{
    const quint16 port = FreePort();
    Setup.Params.WorkMode = static_cast<quint8>(TWorkMode::TcpClient);
    Setup.Params.TargetIp = {127, 0, 0, 1};
    Setup.Params.TargetPort = port;
    auto module = StartModule();
    ASSERT_TRUE(WaitLogged(QStringLiteral("cannot connect")));

    QTcpServer program;
    ASSERT_TRUE(program.listen(QHostAddress::LocalHost, port));
    {
        QTcpSocket *firstSocket = Accept(program);
        ASSERT_TRUE(firstSocket);
        TPeer peer(firstSocket);
        ASSERT_TRUE(QTest::qWaitFor([&] { return module->Connections() == 1; }, Patience));
        peer.Socket->abort();
    }
    QTcpSocket *peerSocket = Accept(program);
    ASSERT_TRUE(peerSocket);
    TPeer peer(peerSocket);
    peer.Send(KeepAliveCommand());
    ASSERT_TRUE(peer.WaitFor(4));
}

TEST_F(ModuleTest, SplitAnswersArriveInPiecesThatMakeTheWholeReply)
{
    Setup.Behaviour.Faults.SplitPieces = 3;
    Setup.Behaviour.Faults.SplitGapMs = 5;
    auto module = StartModule();
    TPeer peer;
    ASSERT_TRUE(peer.Connect(module->ListeningPort()));
    peer.Send(LearnCommand());
    const QByteArray expected = replyOf("nec");
    ASSERT_TRUE(peer.WaitFor(expected.size()));
    EXPECT_EQ(peer.Received, expected);
    EXPECT_EQ(Log.filter(QStringLiteral("-> piece")).size(), 3);
}

TEST_F(ModuleTest, AParameterWriteWithSplitAnswerRestartsOnlyAfterTheLastPiece)
{
    Setup.Behaviour.Faults.SplitPieces = 4;
    Setup.Behaviour.Faults.SplitGapMs = 20;
    auto module = StartModule();
    TPeer peer;
    ASSERT_TRUE(peer.Connect(module->ListeningPort()));
    peer.Send(ParameterFrame(TModuleParams{}));
    ASSERT_TRUE(peer.WaitClosed());
    EXPECT_EQ(peer.Received, Hex("FF 00 00 FC"));
}

TEST_F(ModuleTest, GarbageReplacesTheAnswer)
{
    Setup.Behaviour.Faults.Garbage = true;
    auto module = StartModule();
    TPeer peer;
    ASSERT_TRUE(peer.Connect(module->ListeningPort()));
    peer.Send(KeepAliveCommand());
    ASSERT_TRUE(WaitLogged(QStringLiteral("garbage instead of the keep-alive answer")));
    ASSERT_TRUE(peer.WaitFor(4));
    EXPECT_NE(peer.Received, Hex("FF 00 00 FA"));
}

TEST_F(ModuleTest, OversizedCodesAreWellFormedButLongerThanAReply)
{
    Setup.Behaviour.Faults.Oversized = true;
    auto module = StartModule();
    TPeer peer;
    ASSERT_TRUE(peer.Connect(module->ListeningPort()));
    peer.Send(LearnCommand());
    ASSERT_TRUE(WaitLogged(QStringLiteral("oversized nec code")));
    ASSERT_TRUE(peer.WaitFor(1001));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !CodeDurations(peer.Received).empty(); }, Patience));
    EXPECT_GT(peer.Received.size(), 1000);
}

TEST_F(ModuleTest, DropEndsTheConnectionInsteadOfAnswering)
{
    Setup.Behaviour.Faults.Drop = true;
    auto module = StartModule();
    TPeer peer;
    ASSERT_TRUE(peer.Connect(module->ListeningPort()));
    peer.Send(LearnCommand());
    ASSERT_TRUE(peer.WaitClosed());
    EXPECT_TRUE(peer.Received.isEmpty());
    TPeer next;
    EXPECT_TRUE(next.Connect(module->ListeningPort())) << "the module itself stays";
}

TEST_F(ModuleTest, ASilentModuleAnswersNothing)
{
    Setup.Behaviour.Faults.Silent = true;
    auto module = StartModule();
    TPeer peer;
    ASSERT_TRUE(peer.Connect(module->ListeningPort()));
    peer.Send(KeepAliveCommand() + LearnCommand());
    ASSERT_TRUE(WaitLogged(QStringLiteral("silent, not sending the nec code")));
    QTest::qWait(50);
    EXPECT_TRUE(peer.Received.isEmpty());
    EXPECT_TRUE(Logged(QStringLiteral("silent, not sending the keep-alive answer")));
}
