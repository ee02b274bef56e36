#include "floodbench.h"

#include "eventwait.h"
#include "procmemory.h"

#include "app/Unit1.h"
#include "platform/qt/socketlink.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTextDocument>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int Rounds = 20;
constexpr int StepTimeoutMs = 30000;
const QByteArray ServerClear("CLEAR");
const QByteArray LearnFrame("\xFF\x00\x00\xFE", 4);

double Ms(const QElapsedTimer &clock)
{
    return static_cast<double>(clock.nsecsElapsed()) * 1e-6;
}

// The flooding module (floodpeer) as a child process.
class TFloodPeer {
public:
    ~TFloodPeer()
    {
        if (process_.state() == QProcess::NotRunning)
            return;
        process_.closeWriteChannel();
        if (!process_.waitForFinished(10000)) {
            process_.kill();
            process_.waitForFinished(10000);
        }
    }

    // Starts it and waits until its connection stands; false with the reason in error otherwise.
    bool Start(int port, QString &error)
    {
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(QCoreApplication::applicationDirPath() + "/floodpeer", {QString::number(port)});
        if (!process_.waitForStarted(10000)) {
            error = "cannot start floodpeer: " + process_.errorString();
            return false;
        }
        QByteArray said;
        RunUntil([&] {
            said += process_.readAllStandardOutput();
            return said.contains('\n') || process_.state() == QProcess::NotRunning;
        }, StepTimeoutMs);
        if (!said.startsWith("flooding")) {
            error = said.isEmpty() ? QString("floodpeer did not connect") : QString::fromUtf8(said.trimmed());
            return false;
        }
        return true;
    }

private:
    QProcess process_;
};

// What a user's press and release of the mouse would post: queued behind whatever the event loop
// has to do, not delivered at once as a direct call would be.
void PostClick(QWidget *button)
{
    const QPointF at(button->width() / 2.0, button->height() / 2.0);
    const QPointF global = button->mapToGlobal(at);
    QCoreApplication::postEvent(button, new QMouseEvent(QEvent::MouseButtonPress, at, global, Qt::LeftButton,
                                                        Qt::LeftButton, Qt::NoModifier));
    QCoreApplication::postEvent(button, new QMouseEvent(QEvent::MouseButtonRelease, at, global, Qt::LeftButton,
                                                        Qt::NoButton, Qt::NoModifier));
}

struct TRound {
    double ListedMs = -1;
    double ClearMs = -1;
    double LearnMs = -1;
};

// A second module connects, is listed and gets "CLEAR"; the user selects it and clicks " 学习",
// and the learn frame reaches it; then it leaves again.
bool RunRound(TForm1 &form, int port, TRound &round, QString &error)
{
    QTcpSocket module;
    QByteArray got;
    QObject::connect(&module, &QIODevice::readyRead, [&] { got += module.readAll(); });
    const int before = form.ListUserAddr->count();

    QElapsedTimer clock;
    clock.start();
    module.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
    const bool arrived = RunUntil([&] {
        if (round.ListedMs < 0 && form.ListUserAddr->count() > before)
            round.ListedMs = Ms(clock);
        if (round.ClearMs < 0 && got.contains(ServerClear))
            round.ClearMs = Ms(clock);
        return round.ListedMs >= 0 && round.ClearMs >= 0;
    }, StepTimeoutMs);
    if (!arrived) {
        error = "the second module was not listed and notified";
        return false;
    }

    form.ListUserAddr->setCurrentRow(form.ListUserAddr->count() - 1);
    got.clear();
    clock.restart();
    PostClick(form.BitBtn5);
    if (!RunUntil([&] { return got.contains(LearnFrame); }, StepTimeoutMs)) {
        error = "the learn command did not reach the selected module";
        return false;
    }
    round.LearnMs = Ms(clock);

    module.abort();
    if (!RunUntil([&] { return form.ListUserAddr->count() == before; }, StepTimeoutMs)) {
        error = "the second module was not taken off the list";
        return false;
    }
    return true;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double Max(const std::vector<double> &v)
{
    return *std::max_element(v.begin(), v.end());
}

void BM_Flood(benchmark::State &state, bool flood)
{
    for (auto _ : state) {
        TForm1 form;
        form.show();
        form.Edit21->setText("0");
        form.Button1Click();
        form.Timer3->stop();
        const int port = form.ServerSocket1->ListeningPort();

        TFloodPeer peer;
        QString error;
        if (flood && (!peer.Start(port, error) || !RunUntil([&] { return form.ReceivedCount > 0; }, StepTimeoutMs))) {
            state.SkipWithError((error.isEmpty() ? QString("no flood arrived") : error).toStdString().c_str());
            return;
        }
        const quint32 receivedBefore = static_cast<quint32>(form.ReceivedCount);
        QElapsedTimer clock;
        clock.start();
        std::vector<double> listed, clear, learn;
        // Round 0 warms up what the first connect of a process builds once; it is not counted.
        for (int i = 0; i <= Rounds; ++i) {
            TRound round;
            if (!RunRound(form, port, round, error)) {
                state.SkipWithError(error.toStdString().c_str());
                return;
            }
            if (i == 0)
                continue;
            listed.push_back(round.ListedMs);
            clear.push_back(round.ClearMs);
            learn.push_back(round.LearnMs);
        }
        const double seconds = static_cast<double>(clock.nsecsElapsed()) * 1e-9;
        const quint32 received = static_cast<quint32>(form.ReceivedCount) - receivedBefore;
        const TMemory memory = ReadMemory();
        state.SetIterationTime(seconds);
        state.counters["listed_med_ms"] = Median(listed);
        state.counters["listed_max_ms"] = Max(listed);
        state.counters["clear_med_ms"] = Median(clear);
        state.counters["clear_max_ms"] = Max(clear);
        state.counters["learn_med_ms"] = Median(learn);
        state.counters["learn_max_ms"] = Max(learn);
        state.counters["received_MBps"] = static_cast<double>(received) / seconds / 1e6;
        state.counters["rss_MiB"] = MiB(memory.ResidentKiB);
        state.counters["peak_MiB"] = MiB(memory.PeakKiB);
        state.counters["edit4_chars"] = static_cast<double>(form.Edit4->text().size());
    }
}

// A decoded-data reply of the largest size a reply may have: 995 one-byte durations.
QByteArray LargestReply()
{
    constexpr int durations = 995;
    QByteArray reply;
    reply.append(static_cast<char>(0xFF));
    reply.append(static_cast<char>(durations % 255));
    reply.append(static_cast<char>(durations / 255));
    reply.append(static_cast<char>(0xFD));
    for (int i = 0; i < durations; ++i)
        reply.append(static_cast<char>(0x38 + i % 64));
    reply.append(static_cast<char>(0x16));
    return reply;
}

// The log is measured in a fresh process so that it inherits no other scenario's heap.
void BM_LogMemory(benchmark::State &state)
{
    QList<qint64> figures;
    for (auto _ : state) {
        QProcess probe;
        probe.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        probe.start(QCoreApplication::applicationFilePath(), {"--log-probe", QString::number(state.range(0))});
        if (!probe.waitForFinished(300000) || probe.exitCode() != 0) {
            state.SkipWithError("the log probe failed");
            break;
        }
        figures.clear();
        for (const QByteArray &f : probe.readAllStandardOutput().trimmed().split(' '))
            figures.append(f.toLongLong());
    }
    if (figures.size() != 5)
        return;
    state.counters["base_MiB"] = MiB(figures[0]);
    state.counters["half_MiB"] = MiB(figures[1]);
    state.counters["rss_MiB"] = MiB(figures[2]);
    state.counters["peak_MiB"] = MiB(figures[3]);
    state.counters["second_half_growth_MiB"] = MiB(figures[2] - figures[1]);
    state.counters["log_lines"] = static_cast<double>(figures[4]);
}

} // namespace

void RegisterFloodBenchmarks()
{
    benchmark::RegisterBenchmark("flood_second_module/quiet", BM_Flood, false)
        ->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
    benchmark::RegisterBenchmark("flood_second_module/garbage", BM_Flood, true)
        ->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
    benchmark::RegisterBenchmark("log_memory/replies", BM_LogMemory)
        ->Arg(0)->Arg(3000)->Arg(6000)->Unit(benchmark::kMillisecond)->Iterations(1);
}

int RunLogProbe(int replies)
{
    TForm1 form;
    form.show();
    form.N2Click(); // client mode: one link, as in the field
    QTcpServer module;
    if (!module.listen(QHostAddress::LocalHost, 0)) {
        std::fprintf(stderr, "log probe: cannot listen\n");
        return 1;
    }
    form.Edit20->setText("127.0.0.1");
    form.Edit21->setText(QString::number(module.serverPort()));
    form.Button1Click();
    form.Timer3->stop();
    QTcpSocket *link = nullptr;
    if (!RunUntil([&] { return (link || (link = module.nextPendingConnection())) && form.ClientSocket->Active(); },
                  StepTimeoutMs)) {
        std::fprintf(stderr, "log probe: the window did not connect\n");
        return 1;
    }
    const QByteArray reply = LargestReply();
    const qint64 before = ReadMemory().ResidentKiB;
    qint64 half = before;
    for (int i = 0; i < replies; ++i) {
        const int expected = form.ReceivedCount + static_cast<int>(reply.size());
        link->write(reply);
        if (!RunUntil([&] { return form.ReceivedCount >= expected; }, StepTimeoutMs)) {
            std::fprintf(stderr, "log probe: reply %d did not arrive\n", i);
            return 1;
        }
        // The quiet gap is not waited for: the probe measures what a reply leaves behind.
        form.Timer2->stop();
        form.Timer2Timer();
        if (i + 1 == replies / 2)
            half = ReadMemory().ResidentKiB;
    }
    const TMemory m = ReadMemory();
    std::printf("%lld %lld %lld %lld %d\n", before, replies ? half : before, m.ResidentKiB, m.PeakKiB,
                form.Memo1->document()->blockCount() - 1);
    std::fflush(stdout);
    return 0;
}
