#pragma once
// The real parts a bridge test runs: a mosquitto broker on a free loopback port with a
// configuration written by the test, the bridge as a process, and the broker's own command-line
// clients to publish and to watch what is published. Every wait is bounded by the patience given.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

namespace testsupport {

constexpr int Patience = 15000;

// Writes text to name in dir; returns the file's path.
inline QString WriteTestFile(const QTemporaryDir &dir, const QString &name, const QByteArray &text)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(text);
    return path;
}

inline quint16 FreeLoopbackPort()
{
    QTcpServer probe;
    EXPECT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    return probe.serverPort();
}

// A process whose output is gathered line by line.
class TWatchedProcess {
public:
    TWatchedProcess(const QString &program, const QStringList &arguments)
    {
        process_.setProcessChannelMode(QProcess::MergedChannels);
        QObject::connect(&process_, &QProcess::readyReadStandardOutput,
                         [this] { output_ += QString::fromUtf8(process_.readAllStandardOutput()); });
        process_.start(program, arguments);
        EXPECT_TRUE(process_.waitForStarted(Patience)) << program.toStdString();
    }
    ~TWatchedProcess() { Kill(); }
    void Kill()
    {
        if (process_.state() == QProcess::NotRunning)
            return;
        process_.kill();
        process_.waitForFinished(Patience);
    }
    void Terminate()
    {
        process_.terminate();
        EXPECT_TRUE(process_.waitForFinished(Patience));
    }
    QRegularExpressionMatch WaitFor(const QString &pattern, qsizetype from = 0)
    {
        const QRegularExpression re(pattern, QRegularExpression::MultilineOption);
        QRegularExpressionMatch match;
        (void)QTest::qWaitFor([&] { return (match = re.match(output_, from)).hasMatch(); }, Patience);
        return match;
    }
    bool Saw(const QString &pattern, qsizetype from = 0) { return WaitFor(pattern, from).hasMatch(); }
    qsizetype Count(const QString &pattern) const
    {
        return output_.count(QRegularExpression(pattern, QRegularExpression::MultilineOption));
    }
    const QString &Output() const { return output_; }
    qsizetype Mark() const { return output_.size(); }

private:
    QProcess process_;
    QString output_;
};

class TBroker {
public:
    // Anonymous clients are let in unless extra says otherwise.
    explicit TBroker(const QByteArray &extra = "allow_anonymous true\n") : port_(FreeLoopbackPort())
    {
        QFile config(dir_.filePath(QStringLiteral("mosquitto.conf")));
        EXPECT_TRUE(config.open(QIODevice::WriteOnly));
        // Started by root, the broker would drop to a user of its own that cannot read the test's files.
        const passwd *self = getpwuid(getuid());
        config.write(QStringLiteral("listener %1 127.0.0.1\nuser %2\n").arg(port_).arg(QString::fromLocal8Bit(self ? self->pw_name : "root")).toUtf8()
                     + extra);
        config.close();
        Start();
    }
    void Start()
    {
        process_ = std::make_unique<TWatchedProcess>(QStringLiteral("mosquitto"),
                                                     QStringList{QStringLiteral("-c"), dir_.filePath(QStringLiteral("mosquitto.conf"))});
        EXPECT_TRUE(QTest::qWaitFor([this] {
            QTcpSocket probe;
            probe.connectToHost(QHostAddress::LocalHost, port_);
            return probe.waitForConnected(200);
        }, Patience)) << "mosquitto did not start on port " << port_;
    }
    void Stop() { process_.reset(); }
    quint16 Port() const { return port_; }
    QString Url() const { return QStringLiteral("mqtt://127.0.0.1:%1").arg(port_); }

    // Publishes one message with mosquitto_pub and waits for it to be handed over.
    void Publish(const QString &topic, const QByteArray &payload)
    {
        QProcess pub;
        pub.start(QStringLiteral("mosquitto_pub"), {QStringLiteral("-p"), QString::number(port_), QStringLiteral("-q"),
                                                   QStringLiteral("1"), QStringLiteral("-t"), topic, QStringLiteral("-s")});
        EXPECT_TRUE(pub.waitForStarted(Patience));
        pub.write(payload);
        pub.closeWriteChannel();
        EXPECT_TRUE(pub.waitForFinished(Patience));
        EXPECT_EQ(pub.exitCode(), 0) << pub.readAllStandardError().toStdString();
    }
    // Watches topics with mosquitto_sub: one line "topic payload" per message.
    std::unique_ptr<TWatchedProcess> Watch(const QString &pattern)
    {
        auto watch = std::make_unique<TWatchedProcess>(
            QStringLiteral("mosquitto_sub"),
            QStringList{QStringLiteral("-p"), QString::number(port_), QStringLiteral("-q"), QStringLiteral("1"),
                        QStringLiteral("-v"), QStringLiteral("-t"), pattern});
        return watch;
    }

private:
    QTemporaryDir dir_;
    quint16 port_;
    std::unique_ptr<TWatchedProcess> process_;
};

} // namespace testsupport
