// config read|write as a process: over the simulator's serial line (a pseudo-terminal), over TCP,
// parameter files, and the failures of ports and files.
#include "cliprocess.h"

#include "platform/sys/pseudoterminal.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QFile>
#include <QTemporaryDir>

using namespace clitest;

namespace {

class CliConfig : public ::testing::Test {
protected:
    // A simulated module listening on a free port with its serial side on a new pseudo-terminal.
    void startModule()
    {
        sim = std::make_unique<TSimulator>(
            QStringList{"--listen", "--bind", "127.0.0.1", "--port", "0", "--serial", "pty", "--restart-delay", "50"});
        tcpPort = sim->WaitForCapture(QStringLiteral("module 1 listening on 127\\.0\\.0\\.1:(\\d+)"));
        pty = sim->WaitForCapture(QStringLiteral("serial port: (\\S+)"));
        ASSERT_FALSE(tcpPort.isEmpty()) << qPrintable(sim->Output());
        ASSERT_FALSE(pty.isEmpty()) << qPrintable(sim->Output());
    }
    QString file(const QString &name, const QByteArray &content = {})
    {
        const QString path = dir.filePath(name);
        if (!content.isNull()) {
            QFile f(path);
            EXPECT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        return path;
    }

    QTemporaryDir dir;
    std::unique_ptr<TSimulator> sim;
    QString tcpPort, pty;
};

TEST_F(CliConfig, ReadOverTheSerialLineGivesTheModulesParameters)
{
    startModule();
    TCliRun read({"config", "read", "--port", pty, "--json"});
    ASSERT_EQ(read.Finish(), 0) << qPrintable(read.Both());
    const QJsonObject p = read.Json().value("parameters").toObject();
    EXPECT_EQ(p.value("work-mode").toString(), "server");
    EXPECT_EQ(p.value("ip").toString(), "192.168.0.199");
    EXPECT_EQ(p.value("gateway").toString(), "192.168.0.1");
    EXPECT_EQ(p.value("mask").toString(), "255.255.255.0");
    EXPECT_EQ(p.value("port").toInt(), tcpPort.toInt());
    EXPECT_EQ(p.value("target-port").toInt(), 6000);
    EXPECT_EQ(p.value("restart-on-timeout").toBool(), true);
    EXPECT_EQ(p.value("mac").toString(), "64:65:66:67:00:C7");
    EXPECT_TRUE(sim->Saw("\\[serial\\] <- FF 11 11 FB"));

    TCliRun human({"config", "read", "--port", pty});
    ASSERT_EQ(human.Finish(), 0) << qPrintable(human.Both());
    EXPECT_TRUE(human.Out.startsWith("work-mode: server\nip: 192.168.0.199\n")) << human.Out.constData();
    EXPECT_TRUE(human.Out.contains("\nmac: 64:65:66:67:00:C7\n")) << human.Out.constData();
}

TEST_F(CliConfig, WriteOverTheSerialLineSendsTheWindowsFrame)
{
    startModule();
    TCliRun write({"config", "write", "--port", pty, "--set", "ip=10.0.0.7", "--set", "work-mode=client", "--set",
                   "target-port=7000", "--set", "restart-on-timeout=off", "--json"});
    ASSERT_EQ(write.Finish(), 0) << qPrintable(write.Both());
    // The rest are the window's defaults; the MAC's last two bytes follow the new IP.
    EXPECT_TRUE(sim->Saw(QRegularExpression::escape(
        "[serial] <- FF 20 00 FC 0A 00 00 07 C0 A8 00 01 FF FF FF 00 13 88 C0 A8 00 BE 1B 58 01 00 64 65 66 67 00 07 "
        "00 00 00 00 FC (parameter write)")))
        << qPrintable(sim->Output());
    EXPECT_EQ(write.Json().value("parameters").toObject().value("mac").toString(), "64:65:66:67:00:07");
}

TEST_F(CliConfig, ParametersReadIntoAFileAreWrittenBackUnchanged)
{
    startModule();
    const QString saved = file("module.V12");
    TCliRun read({"config", "read", "--port", pty, "--out", saved, "--json"});
    ASSERT_EQ(read.Finish(), 0) << qPrintable(read.Both());
    ASSERT_TRUE(QFile::exists(saved));
    EXPECT_FALSE(QFile::exists(saved + ".part"));

    TCliRun write({"config", "write", "--port", pty, "--file", saved, "--json"});
    ASSERT_EQ(write.Finish(), 0) << qPrintable(write.Both());
    EXPECT_EQ(write.Json().value("parameters").toObject(), read.Json().value("parameters").toObject());
}

TEST_F(CliConfig, WriteOverTcpWaitsForTheModulesAnswer)
{
    startModule();
    TCliRun write({"config", "write", "--module", "127.0.0.1:" + tcpPort, "--set", "gateway=192.168.0.254", "--json"});
    ASSERT_EQ(write.Finish(), 0) << qPrintable(write.Both());
    EXPECT_TRUE(sim->Saw("new parameters: .*gateway 192\\.168\\.0\\.254")) << qPrintable(sim->Output());
    EXPECT_EQ(write.Json().value("via").toString(), "127.0.0.1:" + tcpPort);
}

TEST_F(CliConfig, AFileValueThatIsNoNumberIsReportedWithItsLine)
{
    const QString bad = file("bad.V12", QByteArray("[模块设置]\r\nIn1=192\r\nIn2=168\r\nIn3=zero\r\n"));
    TCliRun write({"config", "write", "--port", "/dev/null", "--file", bad, "--json"});
    EXPECT_EQ(write.Finish(), 1) << qPrintable(write.Both());
    EXPECT_EQ(write.Json().value("error").toString(), "bad-file");
    EXPECT_TRUE(write.Json().value("message").toString().startsWith(bad + ":4: In3=\"zero\"")) << qPrintable(write.Both());
}

TEST_F(CliConfig, FileFailures)
{
    struct TCase {
        const char *Name;
        QByteArray Content; // null: no file at all
        const char *MessagePart;
    };
    const TCase cases[] = {
        {"missing", QByteArray(), ": no such file"},
        {"octet out of range", QByteArray("[模块设置]\nIn9=256\n"), ":2: In9=\"256\" is not a number from 0 to 255"},
        {"port out of range", QByteArray("[模块设置]\nIn13=70000\n"), ":2: In13=\"70000\" is not a number from 0 to 65535"},
        {"no work mode", QByteArray("[基本参数]\n工作模式=-1\n"), ":2: 工作模式=\"-1\" is no work mode"},
        {"restart not a number", QByteArray("\n[基本参数]\n超时重启=yes\n"), ":3: 超时重启=\"yes\" is not a number"},
    };
    for (const TCase &c : cases) {
        const QString path = dir.filePath(QString::fromUtf8(c.Name).replace(' ', '_') + ".V12");
        if (!c.Content.isNull())
            file(QFileInfo(path).fileName(), c.Content);
        TCliRun write({"config", "write", "--module", "127.0.0.1:1", "--file", path, "--json"});
        EXPECT_EQ(write.Finish(), 1) << c.Name << qPrintable(write.Both());
        EXPECT_EQ(write.Json().value("error").toString(), "bad-file") << c.Name;
        EXPECT_TRUE(write.Json().value("message").toString().contains(QString::fromUtf8(c.MessagePart)))
            << c.Name << qPrintable(write.Both());
    }
}

TEST_F(CliConfig, AFileThatCannotBeWrittenLeavesNothingBehind)
{
    startModule();
    const QString target = dir.filePath("no-such-folder/module.V12");
    TCliRun read({"config", "read", "--port", pty, "--out", target, "--json"});
    EXPECT_EQ(read.Finish(), 1) << qPrintable(read.Both());
    EXPECT_EQ(read.Json().value("error").toString(), "write");
    EXPECT_TRUE(QDir(dir.filePath("no-such-folder")).isEmpty());
}

TEST_F(CliConfig, AMissingPortIsNamedWithTheReason)
{
    TCliRun read({"config", "read", "--port", "/dev/ttyNoSuchPort9", "--json"});
    EXPECT_EQ(read.Finish(), 1) << qPrintable(read.Both());
    EXPECT_EQ(read.Json().value("error").toString(), "port");
    EXPECT_EQ(read.Json().value("message").toString(),
              "/dev/ttyNoSuchPort9: no such port; check the name and that the adapter is plugged in");
}

// A port the user may not open names the group that owns it and how to join it. Run as the
// administrator, who may open anything, the tool runs as the unprivileged user "nobody" instead.
TEST_F(CliConfig, ARefusedPortNamesItsGroupAndHowToJoinIt)
{
    QTemporaryFile port(QDir::tempPath() + QStringLiteral("/cli-port-XXXXXX"));
    ASSERT_TRUE(port.open());
    port.close();
    ASSERT_TRUE(port.setPermissions(QFileDevice::Permissions()));
    QStringList command{IRTOOL_CLI_PATH, "config", "read", "--port", port.fileName(), "--json"};
    if (QFile probe(port.fileName()); probe.open(QIODevice::ReadOnly)) {
        const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
        if (setpriv.isEmpty())
            GTEST_SKIP() << "running privileged without setpriv to drop the privileges";
        command = QStringList{"--reuid=65534", "--regid=65534", "--clear-groups"} + command;
        command.prepend(setpriv);
    }
    QProcess run;
    run.start(command.takeFirst(), command);
    ASSERT_TRUE(run.waitForFinished(Patience));
    EXPECT_EQ(run.exitCode(), 1) << run.readAllStandardError().constData();
    const QJsonObject json = QJsonDocument::fromJson(run.readAllStandardOutput()).object();
    const QString group = QFileInfo(port.fileName()).group();
    EXPECT_EQ(json.value("error").toString(), "port");
    EXPECT_EQ(json.value("message").toString(), port.fileName() + ": permission denied; the port belongs to group " + group
                                                    + ", join it with `sudo usermod -aG " + group + " $USER` and log in again");
}

TEST_F(CliConfig, AFileThatIsNoTerminalIsNoPort)
{
    const QString notAPort = file("plain", QByteArray("x"));
    TCliRun read({"config", "read", "--port", notAPort, "--json"});
    EXPECT_EQ(read.Finish(), 1) << qPrintable(read.Both());
    EXPECT_EQ(read.Json().value("message").toString(), notAPort + ": not a serial port");
}

TEST_F(CliConfig, APortWithoutModuleTimesOut)
{
    std::string error;
    const std::unique_ptr<platform::PseudoTerminal> line = platform::PseudoTerminal::Open(error);
    ASSERT_TRUE(line) << error;
    const QString port = QString::fromStdString(line->portPath());
    for (const QStringList &command : {QStringList{"config", "read"}, QStringList{"config", "write", "--set", "ip=10.0.0.2"}}) {
        TCliRun run(command + QStringList{"--port", port, "--timeout", "0.4", "--json"});
        EXPECT_EQ(run.Finish(), 1) << qPrintable(run.Both());
        EXPECT_EQ(run.Json().value("error").toString(), "timeout");
        EXPECT_EQ(run.Json().value("message").toString(), "time-out: no answer on " + port + " in time");
    }
}

} // namespace
