// irmodule-sim: plays learning infrared modules on TCP, and one of them on a serial line, so that the
// program can be tried without hardware.
#include "tools/simulator/serialline.h"
#include "tools/simulator/serialsession.h"
#include "tools/simulator/simmodule.h"
#include "tools/simulator/simoptions.h"

#include <QCoreApplication>
#include <QDateTime>
#include <cstdio>

using namespace irsim;

namespace {

void print(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
    std::fflush(stream);
}

void logLine(const QString &line)
{
    print(stdout, QStringLiteral("%1 %2\n").arg(QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz")), line));
}

TModuleSetup setupFor(const TSimOptions &o, int index)
{
    TModuleSetup s;
    s.Number = index + 1;
    s.Bind = QHostAddress(o.Bind);
    s.RetryMs = o.RetryMs;
    s.RestartDelayMs = o.RestartDelayMs;
    s.Behaviour = o.Behaviour;
    // Modules differ in the last octet of their address, and their MAC ends in that address.
    const quint8 last = static_cast<quint8>(199 + index % 56);
    s.Params.Ip[3] = last;
    s.Params.Mac[5] = last;
    if (o.Mode == TLinkMode::Listen) {
        s.Params.WorkMode = static_cast<quint8>(TWorkMode::TcpServer);
        s.Params.Port = o.Port == 0 ? 0 : static_cast<quint16>(o.Port + index);
    } else {
        s.Params.WorkMode = static_cast<quint8>(TWorkMode::TcpClient);
        s.Params.TargetPort = o.Port;
        s.TargetHost = o.Host;
        if (const auto ip = ParseIpv4(o.Host))
            s.Params.TargetIp = *ip;
    }
    return s;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const TParsedOptions parsed = ParseOptions(QCoreApplication::arguments());
    if (!parsed.Options) {
        const bool help = QCoreApplication::arguments().contains(QStringLiteral("--help"));
        print(help ? stdout : stderr, parsed.Text.endsWith(QLatin1Char('\n')) ? parsed.Text : parsed.Text + QLatin1Char('\n'));
        return help ? 0 : 2;
    }
    const TSimOptions &o = *parsed.Options;
    TSimModule *first = nullptr;
    for (int i = 0; i < o.Modules; ++i) {
        auto *module = new TSimModule(setupFor(o, i), logLine, &app);
        if (!module->Start())
            return 1;
        if (!first)
            first = module;
    }
    if (!o.Serial.isEmpty()) {
        QString error;
        std::unique_ptr<TSerialLine> line = OpenSerialLine(o.Serial, error);
        if (!line) {
            print(stderr, QStringLiteral("--serial %1: %2\n").arg(o.Serial, error));
            return 1;
        }
        new TSerialSession(std::move(line), *first, logLine, &app);
    }
    return app.exec();
}
