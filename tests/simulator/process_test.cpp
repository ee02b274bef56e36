// The simulator as its own process, as the program meets it.
#include "simulator/simprocess.h"
#include "tools/simulator/moduleframes.h"
#include "tools/simulator/remotecodes.h"

#include <QTcpServer>
#include <QTcpSocket>

using namespace irsim;
using namespace simtest;

TEST_F(SimProcess, ListensLearnsAndLogsWhatItReceives)
{
    Start({"--listen", "--bind", "127.0.0.1", "--port", "0", "--learn-delay", "10", "--code", "sony"});
    QRegularExpressionMatch listening;
    ASSERT_TRUE(WaitOutput(QStringLiteral("module 1 listening on 127\\.0\\.0\\.1:(\\d+)"), &listening)) << Output.data();
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, listening.captured(1).toUShort());
    ASSERT_TRUE(socket.waitForConnected(Patience));
    socket.write(LearnCommand());
    const QByteArray expected = DecodedDataReply(FindRemoteCode(QStringLiteral("sony"))->Durations);
    QByteArray received;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            received += socket.readAll();
            return received.size() >= expected.size();
        },
        Patience));
    EXPECT_EQ(received, expected);
    EXPECT_TRUE(WaitOutput(QStringLiteral("<- FF 00 00 FE \\(learn\\)")));
}

TEST_F(SimProcess, SeveralModulesConnectToTheProgram)
{
    QTcpServer program;
    ASSERT_TRUE(program.listen(QHostAddress::LocalHost, 0));
    Start({"--connect", "--port", QString::number(program.serverPort()), "--modules", "2"});
    int connections = 0;
    QObject::connect(&program, &QTcpServer::newConnection, [&] {
        while (program.nextPendingConnection())
            ++connections;
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return connections == 2; }, Patience));
    EXPECT_TRUE(WaitOutput(QStringLiteral("module 2 \\[127\\.0\\.0\\.1:\\d+\\] connected")));
}

TEST_F(SimProcess, ABadCommandLineEndsWithAReason)
{
    Start({"--modules", "none"});
    ASSERT_TRUE(Sim.waitForFinished(Patience));
    EXPECT_EQ(Sim.exitCode(), 2);
    EXPECT_TRUE(Sim.readAllStandardError().contains("--modules"));
}
