// The serial side of a simulated module on real pseudo-terminals, driven by the serial library's
// engine as the program drives its port.
#include "serial/ptypair.h"
#include "simulator/programport.h"
#include "tools/simulator/moduleframes.h"
#include "tools/simulator/moduleparams.h"
#include "tools/simulator/serialline.h"
#include "tools/simulator/serialsession.h"
#include "tools/simulator/simmodule.h"

#include <QTcpServer>
#include <QTest>
#include "simulator/simprocess.h"
#include "support/bytes.h"

#include <gtest/gtest.h>
#include <memory>

using namespace irsim;
using namespace simtest;

using testsupport::Hex;

namespace {

using simtest::Patience;

// What a module with the starting parameters reports.
const QByteArray DefaultReply = Hex("FF 20 00 FB C0 A8 00 C7 C0 A8 00 01 FF FF FF 00 13 88 C0 A8 00 BE 17 70 00 01"
                                    " 64 65 66 67 00 C7 00 00 00 00 FB");

class SerialSide : public ::testing::Test {
protected:
    QStringList Log;
    std::unique_ptr<TSimModule> Module;
    std::unique_ptr<TSerialSession> Session;

    SerialSide()
    {
        TModuleSetup setup;
        setup.Bind = QHostAddress::LocalHost;
        setup.RetryMs = 50;
        setup.RestartDelayMs = 20;
        // Not started: the serial side works whether or not the module is on the network.
        Module = std::make_unique<TSimModule>(setup, [this](const QString &line) { Log << line; });
    }

    // The module's serial side on the named line; false when the line cannot be had.
    void Attach(const QString &lineName)
    {
        QString error;
        std::unique_ptr<TSerialLine> line = OpenSerialLine(lineName, error);
        ASSERT_TRUE(line) << error.toStdString();
        Session = std::make_unique<TSerialSession>(std::move(line), *Module, [this](const QString &l) { Log << l; });
    }
    QString Path() const { return Session->Line().Path(); }

    bool Logged(const QString &text) const
    {
        return std::any_of(Log.begin(), Log.end(), [&](const QString &line) { return line.contains(text); });
    }
    bool WaitLogged(const QString &text)
    {
        return QTest::qWaitFor([&] { return Logged(text); }, Patience);
    }
};

// Parameters unlike the starting ones in every field; the module port 0 lets a restarted module
// listen on a free port.
TModuleParams otherParams()
{
    TModuleParams p;
    p.Ip = {10, 1, 2, 3};
    p.Gateway = {10, 1, 2, 254};
    p.Mask = {255, 255, 0, 0};
    p.Port = 0;
    p.TargetIp = {127, 0, 0, 1};
    p.TargetPort = 6123;
    p.WorkMode = 0;
    p.RestartOnTimeout = false;
    p.Mac = {0x02, 0x11, 0x22, 0x33, 0x44, 0x55};
    return p;
}

} // namespace

TEST_F(SerialSide, TheReadRequestIsAnsweredWithTheModulesParametersInOneFrame)
{
    Attach(QStringLiteral("pty"));
    EXPECT_TRUE(Logged(QStringLiteral("module 1 serial port: %1 (115200 baud 8N1)").arg(Path())));
    TProgramPort program(Path());
    program.Send(Hex("FF 11 11 FB"));
    EXPECT_EQ(program.Receive(37), DefaultReply);
    EXPECT_TRUE(program.Rest().isEmpty());
    EXPECT_TRUE(Logged(QStringLiteral("<- FF 11 11 FB (parameter read request)")));
    EXPECT_TRUE(Logged(QStringLiteral("-> ") + QString::fromLatin1(DefaultReply.toHex(' ').toUpper())));
}

TEST_F(SerialSide, AWriteIsAcknowledgedAndTheModuleTakesTheParametersAsItsOwn)
{
    QTcpServer target;
    ASSERT_TRUE(target.listen(QHostAddress::LocalHost, 0));
    TModuleParams params = otherParams();
    params.WorkMode = static_cast<quint8>(TWorkMode::TcpClient);
    params.TargetPort = target.serverPort();
    const QByteArray write = ParameterFrame(params);

    Attach(QStringLiteral("pty"));
    TProgramPort program(Path());
    program.Send(write);
    EXPECT_EQ(program.Receive(4), Hex("FF 00 00 FC"));
    EXPECT_TRUE(program.Rest().isEmpty());

    program.Send(Hex("FF 11 11 FB"));
    QByteArray expected = write;
    expected[3] = expected[36] = static_cast<char>(0xFB);
    EXPECT_EQ(program.Receive(37), expected);
    // The network side restarts as the new parameters say: it dials the new target.
    EXPECT_TRUE(QTest::qWaitFor([&] { return target.hasPendingConnections(); }, Patience));
}

TEST_F(SerialSide, AFrameThatArrivesInPiecesIsAnswered)
{
    const QByteArray write = ParameterFrame(otherParams());
    const struct {
        const char *Name;
        QByteArray Frame;
        QList<int> Cuts;
        QByteArray Answer;
    } cases[] = {
        {"read request in halves", Hex("FF 11 11 FB"), {2}, DefaultReply},
        {"read request byte by byte", Hex("FF 11 11 FB"), {1, 2, 3}, DefaultReply},
        {"write cut inside the head", write, {3}, Hex("FF 00 00 FC")},
        {"write cut before its trailer", write, {20, 36}, Hex("FF 00 00 FC")},
    };
    Attach(QStringLiteral("pty"));
    TProgramPort program(Path());
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        int at = 0;
        for (int cut : c.Cuts) {
            program.Send(c.Frame.mid(at, cut - at));
            QTest::qWait(10);
            at = cut;
        }
        program.Send(c.Frame.mid(at));
        EXPECT_EQ(program.Receive(c.Answer.size()), c.Answer);
        EXPECT_TRUE(program.Rest().isEmpty());
    }
    EXPECT_FALSE(Logged(QStringLiteral("incomplete")));
}

TEST_F(SerialSide, BytesThatAreNoRequestGetNoAnswerAndLeaveTheParametersAlone)
{
    QByteArray badTrailer = ParameterFrame(otherParams());
    badTrailer[36] = 0;
    QByteArray shortWrite = ParameterFrame(otherParams());
    shortWrite[1] = 0x1F;
    shortWrite.chop(1);
    shortWrite[35] = static_cast<char>(TypeParameters);
    const struct {
        const char *Name;
        QByteArray Bytes;
        const char *LogText;
    } cases[] = {
        {"learn", LearnCommand(), "(learn)"},
        {"keep-alive", KeepAliveCommand(), "not answered on the serial line"},
        {"write with a wrong trailer", badTrailer, "(unknown bytes)"},
        {"write of 31 parameter bytes", shortWrite, "not a parameter frame of 37 bytes"},
        {"stray bytes", Hex("01 02 03"), "<- 01 02 03 (unknown bytes)"},
    };
    Attach(QStringLiteral("pty"));
    TProgramPort program(Path());
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        // The read request in the same write shows that nothing came before its answer.
        program.Send(c.Bytes + Hex("FF 11 11 FB"));
        EXPECT_EQ(program.Receive(DefaultReply.size()), DefaultReply);
        EXPECT_TRUE(program.Rest().isEmpty());
        EXPECT_TRUE(Logged(QString::fromLatin1(c.LogText)));
    }
}

TEST_F(SerialSide, AnUnfinishedFrameIsDroppedAfterSilenceAndTheNextOneIsAnswered)
{
    Attach(QStringLiteral("pty"));
    TProgramPort program(Path());
    program.Send(ParameterFrame(otherParams()).left(10));
    ASSERT_TRUE(WaitLogged(QStringLiteral("<- FF 20 00 FC 0A 01 02 03 0A 01 (incomplete frame, dropped)")));
    program.Send(Hex("FF 11 11 FB"));
    EXPECT_EQ(program.Receive(DefaultReply.size()), DefaultReply);
}

TEST_F(SerialSide, TheProgramMayCloseAndOpenItsPortAgain)
{
    Attach(QStringLiteral("pty"));
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        {
            TProgramPort program(Path());
            program.Send(Hex("FF 11 11 FB"));
            EXPECT_EQ(program.Receive(DefaultReply.size()), DefaultReply);
        }
        // The simulator gets to see the port closed before the program opens it again.
        QTest::qWait(100);
    }
    EXPECT_FALSE(Logged(QStringLiteral("failed")));
}

TEST_F(SerialSide, ADeviceGivenByPathIsDrivenAt115200)
{
    testing_serial::PtyPair device;
    Attach(QString::fromStdString(device.PortPath()));
    EXPECT_EQ(Path().toStdString(), device.PortPath());
    device.FarWrite("\xFF\x11", 2);
    QTest::qWait(10);
    device.FarWrite("\x11\xFB", 2);
    std::vector<uint8_t> reply;
    (void)QTest::qWaitFor(
        [&] {
            const std::vector<uint8_t> more = device.FarRead(37 - reply.size(), std::chrono::milliseconds(1));
            reply.insert(reply.end(), more.begin(), more.end());
            return reply.size() >= 37;
        },
        Patience);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char *>(reply.data()), static_cast<qsizetype>(reply.size())),
              DefaultReply);
}

TEST_F(SerialSide, ADeviceThatGoesAwayIsReported)
{
    testing_serial::PtyPair device;
    Attach(QString::fromStdString(device.PortPath()));
    device.CloseFar();
    EXPECT_TRUE(WaitLogged(QStringLiteral("module 1 [serial] the device went away; trying to open it again")));
}

TEST(SerialLine, ADeviceThatCannotBeOpenedGivesTheReason)
{
    QString error;
    EXPECT_FALSE(OpenSerialLine(QStringLiteral("/nonexistent/ttyUSB9"), error));
    EXPECT_FALSE(error.isEmpty());
}
