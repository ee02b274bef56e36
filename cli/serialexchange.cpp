#include "cli/serialexchange.h"

#include "cli/clioutput.h"
#include "platform/sys/portaccess.h"
#include "serial/pelmcommerror.h"
#include "serial/zvcommdevice.h"

#include <QEventLoop>
#include <QList>
#include <QRegularExpression>
#include <QTimer>

namespace {

constexpr int PackageBufferSize = 1000;

} // namespace

QString PortPath(const QString &port)
{
    static const QRegularExpression comForm(QStringLiteral("^COM(\\d+)$"), QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = comForm.match(port);
    if (m.hasMatch() && m.captured(1).toInt() > 0)
        return QStringLiteral("/dev/ttyS%1").arg(m.captured(1).toInt() - 1);
    return port;
}

QByteArray SerialExchange(const QString &port, const QByteArray &frame, const std::function<bool(const QByteArray &)> &accept,
                          QDeadlineTimer deadline)
{
    PelmComm::TZvCommDevice device;
    device.SetPortParams("COM3,115200,N,8,1");
    device.SetPortName(port.toStdString());
    device.SetPackageType(PelmComm::cptFrameTimeout);
    device.SetPackageInterval(50);
    device.SetPackageSize(4096);
    device.SetQueueSize(16);
    device.SetUsePackage(true);

    QEventLoop loop;
    QList<QByteArray> packages;
    device.OnPackage = [&](QObject *, int32_t) {
        char buffer[PackageBufferSize];
        const int32_t n = device.ReadPackage(buffer, PackageBufferSize);
        if (n > 0) {
            packages.append(QByteArray(buffer, n));
            loop.quit();
        }
    };
    try {
        device.SetActive(true);
    } catch (const PelmComm::EPelmCommError &error) {
        const std::string problem = platform::PortOpenProblem(PortPath(port).toStdString());
        throw ECliError(ExitFailure, QStringLiteral("port"),
                        QString::fromStdString(problem.empty() ? std::string(error.what()) : problem));
    }
    if (!device.Active())
        throw ECliError(ExitFailure, QStringLiteral("port"), QStringLiteral("%1: the port did not open").arg(port));

    device.Write(frame.constData(), static_cast<int32_t>(frame.size()));
    QTimer expiry;
    expiry.setSingleShot(true);
    QObject::connect(&expiry, &QTimer::timeout, &loop, &QEventLoop::quit);
    int ignored = 0;
    while (!deadline.hasExpired()) {
        while (!packages.isEmpty()) {
            const QByteArray package = packages.takeFirst();
            if (accept(package)) {
                device.SetActive(false);
                return package;
            }
            ++ignored;
        }
        expiry.start(std::chrono::milliseconds(deadline.remainingTime()));
        loop.exec();
    }
    device.SetActive(false);
    throw ECliError(ExitFailure, QStringLiteral("timeout"),
                    ignored == 0 ? QStringLiteral("time-out: no answer on %1 in time").arg(port)
                                 : QStringLiteral("time-out: %1 package(s) on %2, none the awaited answer").arg(ignored).arg(port));
}
