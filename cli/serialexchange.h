#pragma once
// One frame to a module over its serial line and the package that answers it, with the serial
// library set up as the configuration window sets it up: 115200 baud, 8N1, packages delimited by
// 50 ms of silence.
#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>

#include <functional>

// port: "COMn" or a device path. Raises the command's failure when the port cannot be opened
// (with the reason and the way out) or no accepted package arrives before the deadline.
QByteArray SerialExchange(const QString &port, const QByteArray &frame, const std::function<bool(const QByteArray &)> &accept,
                          QDeadlineTimer deadline);

// The device path a port name stands for ("COM1" is /dev/ttyS0).
QString PortPath(const QString &port);
