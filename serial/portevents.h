#pragma once
// Tells the port dialog and the configuration window that serial ports came or went, so that they
// follow adapters being plugged in and out while they are open. Signals are emitted on the thread
// that owns the object. Tests hand in a stand-in that emits on demand.
#include <QObject>
#include <QString>

#include <memory>

class QSocketNotifier;

namespace platform {
class TtyWatch;
}

namespace PelmComm {

class TPortEvents : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

signals:
    void PortAdded(const QString &path);
    void PortRemoved(const QString &path);
};

// The machine's: nothing runs until the system reports a change.
class TSystemPortEvents : public TPortEvents {
    Q_OBJECT
public:
    explicit TSystemPortEvents(QObject *parent = nullptr);
    ~TSystemPortEvents() override;

private:
    void takeChanges();

    std::unique_ptr<platform::TtyWatch> FWatch;
    QSocketNotifier *FNotifier = nullptr;
};

} // namespace PelmComm
