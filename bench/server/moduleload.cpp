// A swarm of modules for the server benchmark, run as a process of its own so that the server's
// process does only the server's work.
//
//   moduleload <port> <count> burst|serial
//
// Prints "ready" once started and connects nothing until "go" arrives on standard input. Then it
// connects <count> modules to 127.0.0.1:<port>, all at once (burst) or each only after every notice
// of the previous accept has arrived (serial), and prints "notified" when the server's accepts have
// delivered every "CLEAR": 1 + 2 + ... + count notices. Every keep-alive frame a module receives is
// answered with the same 4 bytes. Ends when standard input closes; "error <text>" reports a fault.
#include "platform/sys/openfiles.h"

#include <QCoreApplication>
#include <QFile>
#include <QHostAddress>
#include <QSocketNotifier>
#include <QTcpSocket>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

const QByteArray ClearNotice("CLEAR");
const QByteArray KeepAliveFrame("\xFF\x00\x00\xFA", 4);

void say(const QByteArray &line)
{
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

[[noreturn]] void fail(const QString &what)
{
    say("error " + what.toUtf8());
    std::exit(1);
}

struct TModule {
    QTcpSocket Socket;
    QByteArray Pending;
};

class TSwarm : public QObject {
public:
    TSwarm(quint16 port, int count, bool burst) : port_(port), count_(count), burst_(burst) {}

    void Go()
    {
        if (!modules_.empty())
            return;
        modules_.reserve(static_cast<size_t>(count_));
        if (burst_) {
            while (static_cast<int>(modules_.size()) < count_)
                connectOne();
        } else {
            connectOne();
        }
    }

    void Close()
    {
        closing_ = true;
        for (auto &m : modules_)
            m->Socket.abort();
    }

private:
    static qint64 noticesAfter(qint64 accepts) { return accepts * (accepts + 1) / 2; }

    void connectOne()
    {
        auto module = std::make_unique<TModule>();
        TModule *m = module.get();
        connect(&m->Socket, &QIODevice::readyRead, this, [this, m] { onRead(*m); });
        connect(&m->Socket, &QAbstractSocket::errorOccurred, this, [this, m] {
            if (!closing_)
                fail(m->Socket.errorString());
        });
        modules_.push_back(std::move(module));
        m->Socket.connectToHost(QHostAddress::LocalHost, port_);
    }

    // Notices and keep-alives may arrive split or run together; an unknown byte is a fault.
    void onRead(TModule &m)
    {
        m.Pending += m.Socket.readAll();
        qsizetype pos = 0;
        const qsizetype size = m.Pending.size();
        while (pos < size) {
            const QByteArrayView rest = QByteArrayView(m.Pending).sliced(pos);
            if (rest.startsWith(ClearNotice)) {
                ++notices_;
                pos += ClearNotice.size();
            } else if (rest.startsWith(KeepAliveFrame)) {
                m.Socket.write(KeepAliveFrame);
                pos += KeepAliveFrame.size();
            } else if (QByteArrayView(ClearNotice).startsWith(rest) || QByteArrayView(KeepAliveFrame).startsWith(rest)) {
                break;
            } else {
                fail(QStringLiteral("unexpected byte %1").arg(static_cast<uchar>(rest[0]), 2, 16, QLatin1Char('0')));
            }
        }
        m.Pending.remove(0, pos);
        progress();
    }

    void progress()
    {
        const qint64 connected = static_cast<qint64>(modules_.size());
        if (notices_ != noticesAfter(connected))
            return;
        if (connected < count_)
            connectOne();
        else if (!notified_) {
            notified_ = true;
            say("notified");
        }
    }

    quint16 port_;
    int count_;
    bool burst_;
    bool closing_ = false;
    bool notified_ = false;
    qint64 notices_ = 0;
    std::vector<std::unique_ptr<TModule>> modules_;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    bool portOk = false, countOk = false;
    const int port = args.value(1).toInt(&portOk);
    const int count = args.value(2).toInt(&countOk);
    const QString mode = args.value(3);
    if (args.size() != 4 || !portOk || port <= 0 || port > 65535 || !countOk || count <= 0
        || (mode != "burst" && mode != "serial")) {
        std::fprintf(stderr, "usage: moduleload <port> <count> burst|serial\n");
        return 2;
    }
    if (platform::RaiseOpenFilesLimit(count + 64) < count + 64)
        fail(QStringLiteral("cannot open %1 sockets: the open-files limit is too low").arg(count));

    TSwarm swarm(static_cast<quint16>(port), count, mode == "burst");
    QFile input;
    if (!input.open(0, QIODevice::ReadOnly | QIODevice::Unbuffered))
        fail("cannot read standard input");
    QByteArray commands;
    QSocketNotifier notifier(0, QSocketNotifier::Read);
    // One byte per wake-up: a longer read on a pipe waits for bytes that may never come.
    QObject::connect(&notifier, &QSocketNotifier::activated, [&] {
        char c = 0;
        if (input.read(&c, 1) != 1) {
            notifier.setEnabled(false);
            swarm.Close();
            app.quit();
            return;
        }
        if (c != '\n') {
            commands += c;
            return;
        }
        if (commands.trimmed() == "go")
            swarm.Go();
        commands.clear();
    });
    say("ready");
    return app.exec();
}
