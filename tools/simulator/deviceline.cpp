#include "tools/simulator/deviceline.h"

namespace irsim {

namespace {

constexpr int ReopenMs = 1000;

} // namespace

TDeviceLine::TDeviceLine(const QString &device, QObject *parent) : TSerialLine(parent)
{
    Comm.fSetPortName(device.toStdString());
    Comm.fSetBaud(115200);
    Comm.fSetByteSize(8);
    Comm.fSetParity(0);
    Comm.fSetStopBits(0);
    Comm.fSetDataOnly(true);
    // Runs on the engine's reader thread: the bytes are fetched on the owner's thread.
    Comm.OnCommNotify = [this](PelmComm::TPelmComm *, int32_t events) {
        if (events & (PelmComm::TPelmComm::EV_RXCHAR | PelmComm::TPelmComm::EV_ERR))
            QMetaObject::invokeMethod(this, &TDeviceLine::drain, Qt::QueuedConnection);
    };
    ReopenTimer.setInterval(ReopenMs);
    connect(&ReopenTimer, &QTimer::timeout, this, &TDeviceLine::reopen);
}

TDeviceLine::~TDeviceLine()
{
    // The reader thread must be gone before the object its notifications post to.
    try {
        Comm.Close();
    } catch (const PelmComm::EPelmCommError &) {
    }
}

bool TDeviceLine::Open(QString &error)
{
    try {
        Comm.Open();
        return true;
    } catch (const PelmComm::EPelmCommError &e) {
        error = QString::fromStdString(e.what());
        return false;
    }
}

QString TDeviceLine::Path() const
{
    return QString::fromStdString(Comm.fGetPortName());
}

qsizetype TDeviceLine::Send(const QByteArray &bytes)
{
    return Comm.Write(bytes.constData(), static_cast<int32_t>(bytes.size()));
}

void TDeviceLine::drain()
{
    QByteArray bytes;
    char buffer[PelmComm::TPelmComm::ReadChunk];
    while (const int32_t n = Comm.Read(buffer, sizeof buffer))
        bytes.append(buffer, n);
    if (!bytes.isEmpty())
        emit Received(bytes);
    if (Comm.fGetActive() && Comm.fGetPortLost()) {
        QString closing;
        try {
            Comm.Close();
        } catch (const PelmComm::EPelmCommError &e) {
            closing = QStringLiteral(" (%1)").arg(QString::fromStdString(e.what()));
        }
        emit Notice(QStringLiteral("the device went away%1; trying to open it again every %2 ms").arg(closing).arg(ReopenMs));
        ReopenTimer.start();
    }
}

void TDeviceLine::reopen()
{
    QString error;
    if (!Open(error))
        return;
    ReopenTimer.stop();
    emit Notice(QStringLiteral("the device is back"));
}

} // namespace irsim
