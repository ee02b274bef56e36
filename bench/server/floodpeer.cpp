// A module gone wrong for the flood benchmark, run as a process of its own so that the window's
// process does only the window's work.
//
//   floodpeer <port>
//
// Connects to 127.0.0.1:<port>, prints "flooding" and then sends garbage as fast as the connection
// takes it, keeping a few chunks queued at all times. What it receives is read and ignored. The
// garbage holds no FF byte, so that no piece of it is ever taken for a reply. Ends when standard
// input closes; "error <text>" reports a fault.
#include <QCoreApplication>
#include <QFile>
#include <QHostAddress>
#include <QRandomGenerator>
#include <QSocketNotifier>
#include <QTcpSocket>

#include <cstdio>

namespace {

constexpr qint64 ChunkSize = 256 * 1024;
constexpr qint64 QueuedChunks = 4;

void say(const QByteArray &line)
{
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

QByteArray garbage()
{
    QByteArray chunk(ChunkSize, Qt::Uninitialized);
    QRandomGenerator random(20261210);
    for (char &c : chunk)
        c = static_cast<char>(random.bounded(0xFF));
    return chunk;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    bool portOk = false;
    const int port = app.arguments().value(1).toInt(&portOk);
    if (app.arguments().size() != 2 || !portOk || port <= 0 || port > 65535) {
        std::fprintf(stderr, "usage: floodpeer <port>\n");
        return 2;
    }

    const QByteArray chunk = garbage();
    QTcpSocket socket;
    bool closing = false;
    const auto topUp = [&] {
        while (socket.state() == QAbstractSocket::ConnectedState && socket.bytesToWrite() < QueuedChunks * ChunkSize)
            socket.write(chunk);
    };
    QObject::connect(&socket, &QAbstractSocket::connected, [&] {
        say("flooding");
        topUp();
    });
    QObject::connect(&socket, &QIODevice::bytesWritten, topUp);
    QObject::connect(&socket, &QIODevice::readyRead, [&] { socket.readAll(); });
    QObject::connect(&socket, &QAbstractSocket::errorOccurred, [&] {
        if (!closing) {
            say("error " + socket.errorString().toUtf8());
            std::exit(1);
        }
    });

    QFile input;
    if (!input.open(0, QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        say("error cannot read standard input");
        return 1;
    }
    QSocketNotifier notifier(0, QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, [&] {
        char c = 0;
        if (input.read(&c, 1) == 1)
            return;
        notifier.setEnabled(false);
        closing = true;
        socket.abort();
        app.quit();
    });
    socket.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
    return app.exec();
}
