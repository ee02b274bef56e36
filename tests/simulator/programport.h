#pragma once
// The program's end of a serial line: the serial library's engine on a port opened by path at
// 115200 baud 8N1, as the configuration window opens it.
#include "serial/pelmcomm.h"

#include <QByteArray>
#include <QString>
#include <QTest>

namespace simtest {

class TProgramPort {
public:
    static constexpr int Patience = 10000;

    explicit TProgramPort(const QString &path)
    {
        Comm.fSetPortName(path.toStdString());
        Comm.fSetBaud(115200);
        Comm.fSetDataOnly(true);
        Comm.Open();
    }

    void Send(const QByteArray &bytes) { Comm.Write(bytes.constData(), static_cast<int32_t>(bytes.size())); }

    // Waits, with the event loop running so that the simulator's side answers, until n bytes arrived;
    // returns them and keeps what came after them.
    QByteArray Receive(qsizetype n)
    {
        (void)QTest::qWaitFor(
            [&] {
                drain();
                return Received.size() >= n;
            },
            Patience);
        const QByteArray first = Received.left(n);
        Received.remove(0, first.size());
        return first;
    }

    // Whatever arrived within a short while: for checking that nothing more came.
    QByteArray Rest(int ms = 150)
    {
        QTest::qWait(ms);
        drain();
        QByteArray rest;
        rest.swap(Received);
        return rest;
    }

private:
    void drain()
    {
        char buffer[256];
        while (const int32_t n = Comm.Read(buffer, sizeof buffer))
            Received.append(buffer, n);
    }

    PelmComm::TPelmComm Comm;
    QByteArray Received;
};

} // namespace simtest
