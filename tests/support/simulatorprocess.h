#pragma once
// The module simulator started as a process of its own, with everything it printed gathered; it
// logs every frame it receives as hex. Every wait is bounded by the patience given.
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QTest>
#include <gtest/gtest.h>

namespace testsupport {

class TSimulatorProcess {
public:
    TSimulatorProcess(QStringList arguments, int patienceMs) : patience_(patienceMs)
    {
        // A short learn delay keeps the tests quick; the programs wait for the reply whatever it is.
        arguments << QStringLiteral("--learn-delay") << QStringLiteral("20");
        QObject::connect(&process_, &QProcess::readyReadStandardOutput,
                         [this] { output_ += QString::fromLocal8Bit(process_.readAllStandardOutput()); });
        process_.start(QStringLiteral(IRMODULE_SIM_PATH), arguments);
        EXPECT_TRUE(process_.waitForStarted(patience_));
    }
    ~TSimulatorProcess()
    {
        process_.kill();
        process_.waitForFinished(patience_);
    }

    // The first match of pattern in the output, waiting for it.
    QRegularExpressionMatch WaitFor(const QString &pattern)
    {
        const QRegularExpression re(pattern);
        QRegularExpressionMatch match;
        (void)QTest::qWaitFor([&] { return (match = re.match(output_)).hasMatch(); }, patience_);
        return match;
    }
    // The last captured group of the first match, waiting for it; empty when it never came.
    QString WaitForCapture(const QString &pattern)
    {
        const QRegularExpressionMatch m = WaitFor(pattern);
        return m.hasMatch() ? m.captured(m.lastCapturedIndex()) : QString();
    }
    bool Saw(const QString &pattern) { return WaitFor(pattern).hasMatch(); }
    qsizetype Count(const QString &pattern) const { return output_.count(QRegularExpression(pattern)); }
    const QString &Output() const { return output_; }

private:
    int patience_;
    QProcess process_;
    QString output_;
};

} // namespace testsupport
