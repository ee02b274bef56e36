#pragma once
// The simulator started as its own process, its standard output gathered for matching.
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <gtest/gtest.h>

namespace simtest {

constexpr int Patience = 10000;

class SimProcess : public ::testing::Test {
protected:
    QProcess Sim;
    QByteArray Output;

    void Start(const QStringList &args)
    {
        QObject::connect(&Sim, &QProcess::readyReadStandardOutput, [this] { Output += Sim.readAllStandardOutput(); });
        Sim.start(QStringLiteral(IRMODULE_SIM_PATH), args);
        ASSERT_TRUE(Sim.waitForStarted(Patience));
    }
    bool WaitOutput(const QString &pattern, QRegularExpressionMatch *match = nullptr)
    {
        const QRegularExpression re(pattern);
        return QTest::qWaitFor(
            [&] {
                const QRegularExpressionMatch m = re.match(QString::fromLocal8Bit(Output));
                if (match)
                    *match = m;
                return m.hasMatch();
            },
            Patience);
    }
    ~SimProcess() override
    {
        Sim.kill();
        Sim.waitForFinished(Patience);
    }
};

} // namespace simtest
