#pragma once
// irtool-cli and the module simulator as processes of their own, with what they print gathered, and
// peers that play a module inside the test. Every wait is bounded.
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <gtest/gtest.h>

#include "support/simulatorprocess.h"

#include <functional>
#include <memory>

namespace clitest {

constexpr int Patience = 20000;

// One run of the command line tool; started at once, waited for with Finish.
class TCliRun {
public:
    explicit TCliRun(const QStringList &arguments)
    {
        QObject::connect(&process_, &QProcess::readyReadStandardOutput, [this] { Out += process_.readAllStandardOutput(); });
        QObject::connect(&process_, &QProcess::readyReadStandardError, [this] { Err += process_.readAllStandardError(); });
        process_.start(QStringLiteral(IRTOOL_CLI_PATH), arguments);
        EXPECT_TRUE(process_.waitForStarted(Patience));
    }
    ~TCliRun()
    {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(Patience);
        }
    }

    // The exit code, or -1 when the tool did not end in time.
    int Finish()
    {
        if (!QTest::qWaitFor([this] { return process_.state() == QProcess::NotRunning; }, Patience))
            return -1;
        Out += process_.readAllStandardOutput();
        Err += process_.readAllStandardError();
        return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
    }
    // Waits for pattern on standard error and returns its first group.
    QString WaitErr(const QString &pattern)
    {
        const QRegularExpression re(pattern);
        QRegularExpressionMatch m;
        (void)QTest::qWaitFor([&] { return (m = re.match(QString::fromUtf8(Err))).hasMatch(); }, Patience);
        return m.captured(1);
    }
    QJsonObject Json() const { return QJsonDocument::fromJson(Out).object(); }
    QString Both() const { return QString::fromUtf8("stdout: " + Out + "\nstderr: " + Err); }

    QByteArray Out, Err;

private:
    QProcess process_;
};

// The simulator, as patient as the other waits here.
class TSimulator : public testsupport::TSimulatorProcess {
public:
    explicit TSimulator(QStringList arguments) : TSimulatorProcess(std::move(arguments), Patience) {}
};

// A module played by the test: it listens on a free port of 127.0.0.1 and answers each command
// it receives with what answer returns (nothing when empty).
class TPeerModule {
public:
    explicit TPeerModule(std::function<QByteArray(const QByteArray &command)> answer) : answer_(std::move(answer))
    {
        EXPECT_TRUE(server_.listen(QHostAddress::LocalHost, 0));
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            while (QTcpSocket *s = server_.nextPendingConnection()) {
                last_ = s;
                QObject::connect(s, &QTcpSocket::readyRead, s, [this, s] {
                    const QByteArray command = s->readAll();
                    Received += command;
                    const QByteArray reply = answer_(command);
                    if (!reply.isEmpty())
                        s->write(reply);
                });
            }
        });
    }
    QString Address() const { return QStringLiteral("127.0.0.1:%1").arg(server_.serverPort()); }
    // The connection accepted last, for writing to the tool at a moment the test chooses.
    QTcpSocket *Socket() const { return last_; }
    QByteArray Received;

private:
    QTcpServer server_;
    std::function<QByteArray(const QByteArray &)> answer_;
    QTcpSocket *last_ = nullptr;
};

// A port on 127.0.0.1 that nothing listens on (taken from the system, then given back).
inline quint16 ClosedPort()
{
    QTcpServer probe;
    EXPECT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

// The port of the simulator's first module, once it says it listens; empty (and a failure) if it never does.
inline QString ListeningPort(TSimulator &sim)
{
    const QString port = sim.WaitForCapture(QStringLiteral("module 1 listening on 127\\.0\\.0\\.1:(\\d+)"));
    EXPECT_FALSE(port.isEmpty()) << qPrintable(sim.Output());
    return port;
}

} // namespace clitest
