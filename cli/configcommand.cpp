// config read|write: the module's network parameters over the serial line or the TCP link.
#include "cli/commandline.h"
#include "cli/commands.h"
#include "cli/linkcommand.h"
#include "cli/parameterkeys.h"
#include "cli/serialexchange.h"
#include "core/moduleparams.h"
#include "core/replydecoder.h"

namespace {

QString keysHelp()
{
    return QStringLiteral("Keys: work-mode=server|client, ip, gateway, mask, target-ip (dotted IPv4), port, "
                          "target-port (1-65535), restart-on-timeout=on|off, mac=64:65:66:67:00:C7.");
}

int read(const QStringList &arguments)
{
    TCommandLine line(QStringLiteral("config read --port PORT [--out FILE.V12] [options]"),
                      QStringLiteral("Reads a module's network parameters over its serial line (115200 8N1)."));
    line.Add({QStringLiteral("port"), QStringLiteral("Serial port: a device path such as /dev/ttyUSB0, or COMn."),
              QStringLiteral("port")});
    line.Add({QStringLiteral("out"), QStringLiteral("Also save the parameters as a parameter file."), QStringLiteral("file")});
    line.AddTimeout(5);
    TCliOutput out(QStringLiteral("config read"), arguments.contains(QStringLiteral("--json")));
    try {
        if (arguments.contains(QStringLiteral("--module")) || arguments.contains(QStringLiteral("--listen")))
            UsageError(QStringLiteral("parameters are read over the serial line only: use --port"));
        if (!line.Parse(arguments))
            return ExitSuccess;
        if (!line.Positional().isEmpty())
            UsageError(QStringLiteral("unexpected argument \"%1\"").arg(line.Positional().first()));
        if (!line.IsSet(QStringLiteral("port")))
            UsageError(QStringLiteral("name the serial port with --port"));
        const QString port = line.Value(QStringLiteral("port"));
        const QByteArray package = SerialExchange(
            port, ReadRequestFrame(), [](const QByteArray &p) { return ParseReadReply(p).has_value(); }, line.Deadline());
        const TModuleParameters parameters = FromReadReply(*ParseReadReply(package));
        QJsonObject fields{{QStringLiteral("port"), port}, {QStringLiteral("parameters"), ParametersJson(parameters)}};
        if (line.IsSet(QStringLiteral("out"))) {
            SaveParameters(line.Value(QStringLiteral("out")), parameters);
            fields.insert(QStringLiteral("file"), line.Value(QStringLiteral("out")));
        }
        out.Result(fields, ParametersText(parameters));
        return ExitSuccess;
    } catch (const ECliError &error) {
        return out.Failure(error);
    }
}

int write(const QStringList &arguments)
{
    TCommandLine line(QStringLiteral("config write (--port PORT | --module HOST[:PORT] | --listen PORT) "
                                     "(--file FILE.V12 | --set KEY=VALUE ...) [options]"),
                      QStringLiteral("Writes a module's network parameters over its serial line or the TCP link and "
                                     "waits for the module's acknowledgement. The parameters start from the file, or "
                                     "from the configuration window's defaults; --set changes single ones. Unless "
                                     "mac is set, the MAC's last two bytes follow the IP address as in the window. ")
                          + keysHelp());
    line.Add({QStringLiteral("port"), QStringLiteral("Serial port: a device path such as /dev/ttyUSB0, or COMn."),
              QStringLiteral("port")});
    line.AddLinkOptions();
    line.Add({QStringLiteral("file"), QStringLiteral("Start from this parameter file (.V12)."), QStringLiteral("file")});
    line.Add({QStringLiteral("set"), QStringLiteral("Set one parameter; may be repeated."), QStringLiteral("key=value")});
    line.AddTimeout(5);
    TCliOutput out(QStringLiteral("config write"), arguments.contains(QStringLiteral("--json")));
    try {
        if (!line.Parse(arguments))
            return ExitSuccess;
        if (!line.Positional().isEmpty())
            UsageError(QStringLiteral("unexpected argument \"%1\"").arg(line.Positional().first()));
        const bool serial = line.IsSet(QStringLiteral("port"));
        if (serial == line.HasLink())
            UsageError(QStringLiteral("write over the serial line with --port, or over TCP with --module or --listen"));
        const QStringList settings = line.Values(QStringLiteral("set"));
        const bool fromFile = line.IsSet(QStringLiteral("file"));
        if (!fromFile && settings.isEmpty())
            UsageError(QStringLiteral("give the parameters with --file or --set"));
        const TLinkEndpoint endpoint = serial ? TLinkEndpoint{} : line.Endpoint();

        TModuleParameters parameters = fromFile ? ReadParameters(line.Value(QStringLiteral("file"))) : TModuleParameters{};
        bool macSet = false, ipSet = false;
        for (const QString &setting : settings) {
            ApplySetting(parameters, setting);
            const QString key = setting.section(QLatin1Char('='), 0, 0).trimmed().toLower();
            macSet = macSet || key == QLatin1String("mac");
            ipSet = ipSet || key == QLatin1String("ip");
        }
        if (!macSet && (ipSet || !fromFile))
            FollowIpWithMac(parameters);
        const QByteArray frame = BuildParameterFrame(parameters.Edits, parameters.WorkMode, parameters.RestartOnTimeout);

        QString via;
        if (serial) {
            via = line.Value(QStringLiteral("port"));
            SerialExchange(via, frame, IsWriteAcknowledgement, line.Deadline());
        } else {
            TModuleLink link([&](const QString &text) { out.Progress(text); });
            OpenOrFail(link, endpoint, line.Deadline());
            via = link.ModuleAddress();
            FailOn(link.Exchange(frame, [](TReplyKind kind) { return kind == rkConfigDone; }, line.Deadline()));
        }
        out.Result({{QStringLiteral("via"), via}, {QStringLiteral("parameters"), ParametersJson(parameters)}},
                   QStringLiteral("parameters written over %1; the module took them and restarts\n%2")
                       .arg(via, ParametersText(parameters)));
        return ExitSuccess;
    } catch (const ECliError &error) {
        return out.Failure(error);
    }
}

} // namespace

int RunConfig(const QStringList &arguments)
{
    const QString sub = arguments.value(1);
    QStringList rest = arguments.mid(1);
    if (sub == QLatin1String("read"))
        return read(rest);
    if (sub == QLatin1String("write"))
        return write(rest);
    TCliOutput out(QStringLiteral("config"), arguments.contains(QStringLiteral("--json")));
    if (sub == QLatin1String("--help")) {
        WriteOut(QStringLiteral("Usage: irtool-cli config read|write [options]   (config read --help, config write --help)\n"));
        return ExitSuccess;
    }
    return out.Failure(ECliError(ExitUsage, QStringLiteral("usage"),
                                 sub.isEmpty() ? QStringLiteral("config wants read or write")
                                               : QStringLiteral("config wants read or write, not \"%1\"").arg(sub)));
}
