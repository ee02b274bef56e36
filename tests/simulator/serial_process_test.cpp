// The simulator's serial side as its own process: the program opens the path it prints.
#include "simulator/programport.h"
#include "simulator/simprocess.h"

using namespace simtest;

TEST_F(SimProcess, ItPrintsThePseudoTerminalItAnswersOn)
{
    Start({"--bind", "127.0.0.1", "--port", "0", "--serial", "pty"});
    QRegularExpressionMatch port;
    ASSERT_TRUE(WaitOutput(QStringLiteral("serial port: (\\S+)"), &port)) << Output.data();
    TProgramPort program(port.captured(1));
    program.Send(QByteArray::fromHex("FF1111FB"));
    const QByteArray reply = program.Receive(37);
    ASSERT_EQ(reply.size(), 37);
    EXPECT_EQ(reply.left(8).toHex(' ').toUpper(), "FF 20 00 FB C0 A8 00 C7");
    EXPECT_EQ(static_cast<quint8>(reply[36]), 0xFB);
    EXPECT_TRUE(WaitOutput(QStringLiteral("module 1 \\[serial\\] <- FF 11 11 FB")));
}

TEST_F(SimProcess, ADeviceThatCannotBeOpenedEndsItWithTheReason)
{
    Start({"--bind", "127.0.0.1", "--port", "0", "--serial", "/nonexistent/ttyUSB9"});
    ASSERT_TRUE(Sim.waitForFinished(Patience));
    EXPECT_EQ(Sim.exitCode(), 1);
    EXPECT_TRUE(Sim.readAllStandardError().contains("/nonexistent/ttyUSB9"));
}
