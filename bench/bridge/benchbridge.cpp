// irtool-bridge under load, every figure beside the broker's own in the same run:
// - latency from a send's publish to the code arriving at the module, against the time a message
//   takes from publish back to the same client through the broker (both p50 and p99, interleaved);
// - commands per second spread over every module, against messages per second through the broker
//   with the same number in flight;
// - the bridge's resident memory per linked module, against a bridge serving none;
// - the time from the bridge's start to every module's discovery document, against the broker
//   taking and delivering as many documents of the same size from one client;
// - the CPU time the broker, the bridge and this process spend per command, and the broker and this
//   process per baseline message, which tell where the command rate is bound.
//
//   bench_bridge [modules=1000] [samples=2000] [commands=20000]
//
// Needs mosquitto on the PATH; starts it on a free loopback port with a configuration of its own.
#include "bench/bridge/modulepack.h"
#include "platform/loop/epolldispatcher.h"
#include "platform/mqtt/mqttclient.h"
#include "platform/sys/openfiles.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <set>

#include <pwd.h>
#include <unistd.h>

namespace {

using namespace std::chrono;

[[noreturn]] void fail(const QString &what)
{
    std::fprintf(stderr, "bench_bridge: %s\n", what.toUtf8().constData());
    std::exit(1);
}

// Runs the event loop until done holds; fails the run after seconds.
void waitUntil(const std::function<bool()> &done, int seconds, const QString &what)
{
    const QDeadlineTimer deadline(seconds * 1000);
    QTimer wake;
    wake.start(20);
    while (!done()) {
        if (deadline.hasExpired())
            fail(QStringLiteral("no %1 within %2 s").arg(what).arg(seconds));
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

qint64 residentKiB(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    return -1;
}

// CPU time a process (all its threads) has used so far, in microseconds.
double cpuUs(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    // The fields after the command name, which may hold blanks, start behind its closing parenthesis.
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    const double ticks = fields.value(11).toDouble() + fields.value(12).toDouble(); // utime, stime
    return ticks * 1e6 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// Where the CPU time of a stretch of the run went, per command or message.
struct TCpuShare {
    std::vector<qint64> Pids;
    std::vector<double> Start;
    void Begin()
    {
        Start.clear();
        for (const qint64 pid : Pids)
            Start.push_back(cpuUs(pid));
    }
    std::vector<double> PerItem(int items) const
    {
        std::vector<double> used;
        for (size_t i = 0; i < Pids.size(); ++i)
            used.push_back((cpuUs(Pids[i]) - Start[i]) / items);
        return used;
    }
};

double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(p * static_cast<double>(values.size() - 1))];
}

double us(TBenchClock::duration d)
{
    return duration<double, std::micro>(d).count();
}

struct TProbe {
    platform::TMqttClient *Client;
    std::map<QString, int> Seen;      // topic -> messages
    std::set<QString> Documents;      // discovery topics with a document
    std::map<int, QByteArray> Results; // send id -> result
    int Echoes = 0;
    TBenchClock::time_point LastEcho;
};

} // namespace

int main(int argc, char *argv[])
{
    // The thousand modules live in this process: on Qt's own loop, polling their links would cost
    // this process more than the bridge spends, and slow the broker's baseline as much.
    QCoreApplication::setEventDispatcher(new platform::TEpollEventDispatcher);
    QCoreApplication app(argc, argv);
    const int modules = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int samples = argc > 2 ? std::atoi(argv[2]) : 2000;
    const int commands = argc > 3 ? std::atoi(argv[3]) : 20000;
    platform::RaiseOpenFilesLimit(4 * modules + 256);

    QTemporaryDir dir;
    const quint16 brokerPort = freePort();
    {
        QFile config(dir.filePath(QStringLiteral("mosquitto.conf")));
        config.open(QIODevice::WriteOnly);
        const passwd *self = getpwuid(getuid());
        config.write(QStringLiteral("listener %1 127.0.0.1\nallow_anonymous true\nuser %2\nmax_queued_messages 100000\nset_tcp_nodelay true\n")
                         .arg(brokerPort)
                         .arg(QString::fromLocal8Bit(self ? self->pw_name : "root"))
                         .toUtf8());
    }
    QProcess broker;
    broker.start(QStringLiteral("mosquitto"), {QStringLiteral("-c"), dir.filePath(QStringLiteral("mosquitto.conf"))});
    waitUntil([&] {
        QTcpSocket s;
        s.connectToHost(QHostAddress::LocalHost, brokerPort);
        return s.waitForConnected(100);
    }, 10, QStringLiteral("broker"));
    const QString url = QStringLiteral("mqtt://127.0.0.1:%1").arg(brokerPort);

    platform::TMqttSettings settings;
    settings.Port = brokerPort;
    settings.ClientId = QStringLiteral("bench");
    platform::TMqttClient client(settings);
    TProbe probe{&client, {}, {}, {}, 0, {}};
    QObject::connect(&client, &platform::TMqttClient::Message, [&](const QString &topic, const QByteArray &payload) {
        if (topic == QLatin1String("bench/echo")) {
            ++probe.Echoes;
            probe.LastEcho = TBenchClock::now();
            return;
        }
        if (topic.endsWith(QLatin1String("/result"))) {
            probe.Results[QJsonDocument::fromJson(payload).object().value(QStringLiteral("id")).toInt()] = payload;
            return;
        }
        if (topic.endsWith(QLatin1String("/config")) && !payload.isEmpty())
            probe.Documents.insert(topic);
        ++probe.Seen[topic];
    });
    bool connected = false;
    QObject::connect(&client, &platform::TMqttClient::Connected, [&] {
        client.Subscribe(QStringLiteral("bench/#"), 0);
        client.Subscribe(QStringLiteral("irtool/bench/+/result"), 0);
        client.Subscribe(QStringLiteral("homeassistant/device/+/config"), 0);
        connected = true;
    });
    client.Start();
    waitUntil([&] { return connected; }, 10, QStringLiteral("connection to the broker"));

    // A bridge with nothing to serve, for the memory baseline.
    QProcess idle;
    idle.start(QStringLiteral(IRTOOL_BRIDGE_PATH), {QStringLiteral("--broker"), url, QStringLiteral("--id"), QStringLiteral("idle"),
                                                    QStringLiteral("--listen"), QStringLiteral("off"), QStringLiteral("--discovery"), QStringLiteral("off")});
    waitUntil([&] { return idle.canReadLine() && idle.readAll().contains("connected to the broker"); }, 10, QStringLiteral("idle bridge"));
    const qint64 idleKiB = residentKiB(idle.processId());

    // Discovery baseline: as many documents of the same size published and delivered back.
    TModulePack pack(modules);
    const QByteArray sample = QByteArray(900, 'x');
    TBenchClock::time_point start = TBenchClock::now();
    for (int i = 0; i < modules; ++i)
        client.Publish(QStringLiteral("bench/doc/%1").arg(i), sample, false, 1);
    waitUntil([&] {
        int n = 0;
        for (const auto &[topic, count] : probe.Seen)
            n += topic.startsWith(QLatin1String("bench/doc/")) ? 1 : 0;
        return n >= modules;
    }, 60, QStringLiteral("baseline documents"));
    const double brokerDocumentsMs = duration<double, std::milli>(TBenchClock::now() - start).count();

    // The bridge and its modules.
    const quint16 bridgePort = freePort();
    QProcess bridge;
    bridge.setProcessChannelMode(QProcess::MergedChannels);
    start = TBenchClock::now();
    bridge.start(QStringLiteral(IRTOOL_BRIDGE_PATH), {QStringLiteral("--broker"), url, QStringLiteral("--id"), QStringLiteral("bench"),
                                                      QStringLiteral("--listen"), QString::number(bridgePort)});
    QByteArray bridgeOutput;
    waitUntil([&] { bridgeOutput += bridge.readAll(); return bridgeOutput.contains("listening on port"); }, 10, QStringLiteral("bridge"));
    pack.DialIn(bridgePort);
    auto discovered = [&] {
        int n = 0;
        for (int i = 0; i < modules; ++i)
            n += probe.Documents.count(QStringLiteral("homeassistant/device/irtool_bench_%1/config").arg(pack.Id(i)));
        return n;
    };
    waitUntil([&] { return discovered() >= modules; }, 120, QStringLiteral("discovery of every module"));
    const double discoveryMs = duration<double, std::milli>(TBenchClock::now() - start).count();
    waitUntil([&] { return pack.Linked() >= modules; }, 60, QStringLiteral("links"));
    const qint64 bridgeKiB = residentKiB(bridge.processId());

    // Latency, interleaved: one code at a time, and one echo through the broker.
    std::vector<double> bridgeUs;
    std::vector<double> brokerUs;
    const QByteArray echo = R"({"id":0,"timings":[500]})";
    int id = 0;
    for (int s = 0; s < samples; ++s) {
        const int m = s % modules;
        const int sendId = ++id;
        const TBenchClock::time_point sent = TBenchClock::now();
        client.Publish(QStringLiteral("irtool/bench/%1/send").arg(pack.Id(m)),
                       QStringLiteral(R"({"id":%1,"timings":[500]})").arg(sendId).toUtf8(), false, 0);
        waitUntil([&] { return pack.LastCode(m) > sent && probe.Results.count(sendId); }, 10, QStringLiteral("code at the module"));
        bridgeUs.push_back(us(pack.LastCode(m) - sent));
        const int echoes = probe.Echoes;
        const TBenchClock::time_point published = TBenchClock::now();
        client.Publish(QStringLiteral("bench/echo"), echo, false, 0);
        waitUntil([&] { return probe.Echoes > echoes; }, 10, QStringLiteral("echo"));
        brokerUs.push_back(us(probe.LastEcho - published));
    }

    // Throughput with as many in flight on both paths: two per module.
    const int window = 2 * modules;
    int failed = 0;
    const int firstId = id + 1;
    TCpuShare cpu{{broker.processId(), bridge.processId(), QCoreApplication::applicationPid()}, {}};
    cpu.Begin();
    start = TBenchClock::now();
    int published = 0;
    probe.Results.clear();
    auto answeredNow = [&] { return static_cast<int>(probe.Results.size()); };
    while (answeredNow() < commands) {
        while (published < commands && published - answeredNow() < window) {
            const int sendId = firstId + published;
            client.Publish(QStringLiteral("irtool/bench/%1/send").arg(pack.Id(published % modules)),
                           QStringLiteral(R"({"id":%1,"timings":[500]})").arg(sendId).toUtf8(), false, 0);
            ++published;
        }
        waitUntil([&, before = answeredNow()] { return answeredNow() > before; }, 30, QStringLiteral("results"));
    }
    const double bridgeRate = commands / duration<double>(TBenchClock::now() - start).count();
    const std::vector<double> commandCpu = cpu.PerItem(commands);
    for (const auto &[resultId, payload] : probe.Results)
        failed += payload.contains("\"ok\":true") ? 0 : 1;

    cpu.Begin();
    start = TBenchClock::now();
    const int echoesBefore = probe.Echoes;
    published = 0;
    while (probe.Echoes - echoesBefore < commands) {
        while (published < commands && published - (probe.Echoes - echoesBefore) < window) {
            client.Publish(QStringLiteral("bench/echo"), echo, false, 0);
            ++published;
        }
        waitUntil([&, before = probe.Echoes] { return probe.Echoes > before; }, 30, QStringLiteral("echoes"));
    }
    const double brokerRate = commands / duration<double>(TBenchClock::now() - start).count();
    const std::vector<double> echoCpu = cpu.PerItem(commands);

    std::printf("irtool-bridge, %d modules, %d latency samples, %d commands (%d failed)\n\n", modules, samples, commands, failed);
    std::printf("| figure | bridge | baseline (same run) | ratio |\n|---|---|---|---|\n");
    const double b50 = percentile(bridgeUs, 0.5), k50 = percentile(brokerUs, 0.5);
    const double b99 = percentile(bridgeUs, 0.99), k99 = percentile(brokerUs, 0.99);
    std::printf("| latency p50, send publish to code at module vs broker round trip | %.0f us | %.0f us | %.2fx |\n", b50, k50, b50 / k50);
    std::printf("| latency p99 | %.0f us | %.0f us | %.2fx |\n", b99, k99, b99 / k99);
    std::printf("| sustained commands/s vs broker messages/s (%d in flight) | %.0f | %.0f | %.2fx |\n", window, bridgeRate, brokerRate,
                bridgeRate / brokerRate);
    std::printf("| RSS per module vs idle bridge | %.1f KiB (%lld KiB total) | %lld KiB idle | %.1f KiB/module above idle |\n",
                static_cast<double>(bridgeKiB) / modules, static_cast<long long>(bridgeKiB), static_cast<long long>(idleKiB),
                static_cast<double>(bridgeKiB - idleKiB) / modules);
    std::printf("| start to every discovery document vs broker delivering as many | %.0f ms | %.0f ms | %.2fx |\n", discoveryMs,
                brokerDocumentsMs, discoveryMs / brokerDocumentsMs);

    // Why the command rate stays where it does: a command passes the broker twice (request and
    // result), a baseline message once, and all of it shares this machine's cores.
    std::printf("\nCPU time per command (bridge) and per message (broker baseline):\n\n");
    std::printf("| process | per command | per baseline message |\n|---|---|---|\n");
    std::printf("| broker | %.1f us | %.1f us |\n", commandCpu[0], echoCpu[0]);
    std::printf("| bridge | %.1f us | - |\n", commandCpu[1]);
    std::printf("| benchmark (client and modules) | %.1f us | %.1f us |\n", commandCpu[2], echoCpu[2]);

    bridge.terminate();
    bridge.waitForFinished(5000);
    idle.terminate();
    idle.waitForFinished(5000);
    broker.terminate();
    broker.waitForFinished(5000);
    return 0;
}
