#include "moduleswarm.h"

#include "eventwait.h"

#include <QCoreApplication>

TModuleSwarm::~TModuleSwarm()
{
    Stop();
}

bool TModuleSwarm::Start(int port, int count, TMode mode)
{
    connect(&process_, &QProcess::readyReadStandardOutput, this, &TModuleSwarm::onOutput);
    connect(&process_, &QProcess::finished, this, [this] {
        if (error_.isEmpty() && !ready_)
            error_ = "the module load program ended before it was ready";
    });
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(QCoreApplication::applicationDirPath() + "/moduleload",
                   {QString::number(port), QString::number(count), mode == Burst ? "burst" : "serial"});
    if (!process_.waitForStarted(10000)) {
        error_ = "cannot start moduleload: " + process_.errorString();
        return false;
    }
    RunUntil([this] { return ready_ || !error_.isEmpty(); }, 30000);
    if (!ready_ && error_.isEmpty())
        error_ = "moduleload did not get ready";
    return ready_ && error_.isEmpty();
}

void TModuleSwarm::Go()
{
    process_.write("go\n");
}

void TModuleSwarm::Stop()
{
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.closeWriteChannel();
    if (!process_.waitForFinished(10000)) {
        process_.kill();
        process_.waitForFinished(10000);
    }
}

void TModuleSwarm::onOutput()
{
    output_ += process_.readAllStandardOutput();
    qsizetype end;
    while ((end = output_.indexOf('\n')) >= 0) {
        const QByteArray line = output_.left(end).trimmed();
        output_.remove(0, end + 1);
        if (line == "ready")
            ready_ = true;
        else if (line == "notified")
            notified_ = true;
        else if (line.startsWith("error"))
            error_ = QString::fromUtf8(line);
    }
}
