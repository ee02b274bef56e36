#pragma once
// A serial line on a port device (a USB adapter, a serial port, a pseudo-terminal made by someone
// else), driven by the serial library's engine. When the device goes away the line says so and
// tries to open it again every second.
#include "serial/pelmcomm.h"
#include "tools/simulator/serialline.h"

#include <QTimer>

namespace irsim {

class TDeviceLine : public TSerialLine {
    Q_OBJECT
public:
    explicit TDeviceLine(const QString &device, QObject *parent = nullptr);
    ~TDeviceLine() override;

    // Opens the device at 115200 baud 8N1; false with the library's message in error.
    bool Open(QString &error);
    QString Path() const override;
    qsizetype Send(const QByteArray &bytes) override;

private:
    void drain();
    void reopen();

    PelmComm::TPelmComm Comm;
    QTimer ReopenTimer;
};

} // namespace irsim
