// irtool-bridge: learning infrared modules served to automation systems over an MQTT broker.
#include "bridge/bridgeconfig.h"
#include "bridge/bridgeservice.h"
#include "core/codelibrary.h"
#include "platform/loop/epolldispatcher.h"
#include "platform/mqtt/mqttclient.h"
#include "platform/sys/interruptsignal.h"
#include "platform/sys/openfiles.h"

#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>

#include <cstdio>

namespace {

constexpr long MaxOpenFiles = 65536;

void writeLine(FILE *stream, const QString &text)
{
    std::fputs(text.toUtf8().constData(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

int reportFaults(const QStringList &faults, int exitCode)
{
    for (const QString &f : faults)
        writeLine(stderr, f);
    return exitCode;
}

// The first line of the file; the password never leaves this function but into the settings.
QString readPassword(const QString &path, QString &error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("%1: cannot read the password file: %2").arg(path, file.errorString());
        return QString();
    }
    return QString::fromUtf8(file.readLine()).trimmed();
}

} // namespace

int main(int argc, char *argv[])
{
    // Qt's own loop would poll every module's link on every packet.
    QCoreApplication::setEventDispatcher(new platform::TEpollEventDispatcher);
    QCoreApplication app(argc, argv);
    TBridgeSetup setup = ReadBridgeSetup(QCoreApplication::arguments());
    if (setup.Help) {
        writeLine(stdout, BridgeUsage());
        return 0;
    }
    if (setup.Check) {
        CheckBridgeFiles(setup);
        if (!setup.Faults.isEmpty())
            return reportFaults(setup.Faults, 1);
        writeLine(stdout, QStringLiteral("the configuration is valid"));
        return 0;
    }
    if (!setup.Faults.isEmpty())
        return reportFaults(setup.Faults + QStringList{BridgeUsage()}, 2);
    const TBridgeConfig &config = setup.Config;

    platform::TMqttSettings mqtt;
    if (const QString problem = platform::ParseBrokerUrl(config.Broker, mqtt); !problem.isEmpty())
        return reportFaults({problem}, 2);
    mqtt.CaFile = config.CaFile;
    mqtt.User = config.User;
    if (!config.PasswordFile.isEmpty()) {
        QString error;
        mqtt.Password = readPassword(config.PasswordFile, error);
        if (!error.isEmpty())
            return reportFaults({error}, 1);
    }
    mqtt.ClientId = QStringLiteral("irtool-bridge-%1").arg(config.Id);
    mqtt.WillTopic = QStringLiteral("irtool/%1/status").arg(config.Id);
    mqtt.WillPayload = "offline";

    std::vector<TCodeRecord> library;
    if (!config.Library.isEmpty()) {
        TLibraryRead read = LoadCodeLibrary(config.Library);
        if (!read.Ok() && !read.Missing)
            return reportFaults({QStringLiteral("%1: %2").arg(config.Library, read.Error)}, 1);
        library = std::move(read.Records);
    }

    // A link per module: a building's worth would not fit the usual soft limit of 1024 descriptors.
    platform::RaiseOpenFilesLimit(MaxOpenFiles);
    platform::TMqttClient client(mqtt);
    TBridgeService service(config, std::move(library), &client, [](const QString &line) { writeLine(stdout, line); });
    if (const QString problem = service.Start(); !problem.isEmpty())
        return reportFaults({problem}, 1);

    const int interrupts = platform::InterruptDescriptor();
    QSocketNotifier stop(interrupts, QSocketNotifier::Read);
    QObject::connect(&stop, &QSocketNotifier::activated, &app, [&] {
        platform::DrainInterrupts(interrupts);
        writeLine(stdout, QStringLiteral("stopping"));
        service.Stop();
        app.quit();
    });
    return app.exec();
}
