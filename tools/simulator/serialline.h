#pragma once
// The module's end of a serial line to the program, at 115200 baud, 8 data bits, no parity, one
// stop bit: a pseudo-terminal made for the program to open, or a port device such as a USB adapter.
#include <QByteArray>
#include <QObject>
#include <QString>
#include <memory>

namespace irsim {

class TSerialLine : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // The path the program opens, or the device the module uses.
    virtual QString Path() const = 0;
    // Puts the bytes on the line in one write, so that they reach the program as one package;
    // returns how many the line took.
    virtual qsizetype Send(const QByteArray &bytes) = 0;

signals:
    // Bytes as they came off the line: a frame may arrive in pieces.
    void Received(const QByteArray &bytes);
    // Something happened to the line itself (a device went away, came back).
    void Notice(const QString &text);
};

// "pty" makes a pseudo-terminal; anything else names a port device. Null with the reason in error
// when the line cannot be had.
std::unique_ptr<TSerialLine> OpenSerialLine(const QString &lineName, QString &error);

} // namespace irsim
