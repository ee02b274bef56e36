#include "tools/simulator/simoptions.h"

#include "tools/simulator/remotecodes.h"

#include <QCommandLineParser>
#include <QHostAddress>

namespace irsim {

namespace {

bool readInt(const QCommandLineParser &parser, const QString &name, int min, int max, int &out, QString &error)
{
    if (!parser.isSet(name))
        return true;
    bool ok = false;
    const int v = parser.value(name).toInt(&ok);
    if (!ok || v < min || v > max) {
        error = QStringLiteral("--%1 wants a whole number from %2 to %3, not \"%4\"")
                    .arg(name)
                    .arg(min)
                    .arg(max)
                    .arg(parser.value(name));
        return false;
    }
    out = v;
    return true;
}

} // namespace

TParsedOptions ParseOptions(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Plays one or more learning infrared modules on TCP. Every received frame is logged as hex.\n"
        "Learn (FF 00 00 FE) is answered with a built-in remote-control code, an emitted code with\n"
        "FF 00 00 FD once it has been sent, the keep-alive (FF 00 00 FA) with the same four bytes, a\n"
        "parameter write with FF 00 00 FC, after which the module restarts with the new parameters.\n"
        "With --serial the first module also answers on a serial line at 115200 baud 8N1: the read\n"
        "request (FF 11 11 FB) with its parameters, a parameter write with FF 00 00 FC."));
    const QString codeNames = RemoteCodeNames().join(QLatin1Char('|'));
    parser.addOptions({
        {QStringLiteral("help"), QStringLiteral("Show this help.")},
        {QStringLiteral("listen"), QStringLiteral("Modules listen for the program's client mode (default).")},
        {QStringLiteral("connect"), QStringLiteral("Modules connect out to the program's server mode.")},
        {QStringLiteral("host"), QStringLiteral("Address connecting modules go to (default 127.0.0.1)."),
         QStringLiteral("address")},
        {QStringLiteral("bind"), QStringLiteral("Address listening modules listen on (default 0.0.0.0)."),
         QStringLiteral("address")},
        {QStringLiteral("port"),
         QStringLiteral("Listening: port of the first module, the next ones count up, 0 picks free ports "
                        "(default 5000). Connecting: the program's port (default 6000)."),
         QStringLiteral("port")},
        {QStringLiteral("modules"), QStringLiteral("Number of modules (default 1)."), QStringLiteral("n")},
        {QStringLiteral("learn-delay"), QStringLiteral("Time from learn to answer (default 500)."),
         QStringLiteral("ms")},
        {QStringLiteral("code"), QStringLiteral("Always answer learn with this code (%1); default: each in turn.").arg(codeNames),
         QStringLiteral("name")},
        {QStringLiteral("timeout"), QStringLiteral("Answer learn with a decode time-out (FF 01 00 FD).")},
        {QStringLiteral("silent"), QStringLiteral("Fault: answer nothing.")},
        {QStringLiteral("split"), QStringLiteral("Fault: send every answer in n pieces."), QStringLiteral("n")},
        {QStringLiteral("split-gap"), QStringLiteral("Time between the pieces of a split answer (default 3)."),
         QStringLiteral("ms")},
        {QStringLiteral("garbage"), QStringLiteral("Fault: random bytes instead of every answer.")},
        {QStringLiteral("oversized"), QStringLiteral("Fault: learned codes of more than 1000 bytes.")},
        {QStringLiteral("drop"), QStringLiteral("Fault: drop the connection on every command.")},
        {QStringLiteral("retry"), QStringLiteral("Time between connection attempts (default 1000)."),
         QStringLiteral("ms")},
        {QStringLiteral("serial"),
         QStringLiteral("The first module's serial side: \"pty\" makes a pseudo-terminal and prints the path "
                        "the program opens; a device path (/dev/ttyUSB0) uses that port."),
         QStringLiteral("pty|device")},
        {QStringLiteral("restart-delay"),
         QStringLiteral("Time a module takes to restart after a parameter write (default 1000)."),
         QStringLiteral("ms")},
    });

    TParsedOptions result;
    if (!parser.parse(arguments)) {
        result.Text = parser.errorText();
        return result;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        result.Text = parser.helpText();
        return result;
    }
    if (!parser.positionalArguments().isEmpty()) {
        result.Text = QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().first());
        return result;
    }
    if (parser.isSet(QStringLiteral("listen")) && parser.isSet(QStringLiteral("connect"))) {
        result.Text = QStringLiteral("--listen and --connect exclude each other");
        return result;
    }

    TSimOptions o;
    if (parser.isSet(QStringLiteral("connect"))) {
        o.Mode = TLinkMode::Connect;
        o.Port = 6000;
    }
    if (parser.isSet(QStringLiteral("host")))
        o.Host = parser.value(QStringLiteral("host"));
    if (parser.isSet(QStringLiteral("bind")))
        o.Bind = parser.value(QStringLiteral("bind"));

    int port = o.Port;
    QString error;
    TBehaviour &b = o.Behaviour;
    const bool numbersOk = readInt(parser, QStringLiteral("port"), 0, 65535, port, error)
        && readInt(parser, QStringLiteral("modules"), 1, 64, o.Modules, error)
        && readInt(parser, QStringLiteral("learn-delay"), 0, 600000, b.LearnDelayMs, error)
        && readInt(parser, QStringLiteral("split"), 1, 1000, b.Faults.SplitPieces, error)
        && readInt(parser, QStringLiteral("split-gap"), 0, 10000, b.Faults.SplitGapMs, error)
        && readInt(parser, QStringLiteral("retry"), 10, 600000, o.RetryMs, error)
        && readInt(parser, QStringLiteral("restart-delay"), 0, 600000, o.RestartDelayMs, error);
    if (!numbersOk) {
        result.Text = error;
        return result;
    }
    o.Port = static_cast<quint16>(port);
    if (o.Mode == TLinkMode::Connect && o.Port == 0) {
        result.Text = QStringLiteral("connecting modules need the program's port, 0 is none");
        return result;
    }
    if (o.Mode == TLinkMode::Listen && o.Port != 0 && o.Port + o.Modules - 1 > 65535) {
        result.Text = QStringLiteral("%1 modules do not fit above port %2").arg(o.Modules).arg(o.Port);
        return result;
    }
    if (o.Mode == TLinkMode::Listen && QHostAddress(o.Bind).isNull()) {
        result.Text = QStringLiteral("--bind wants an IP address, not \"%1\"").arg(o.Bind);
        return result;
    }
    if (parser.isSet(QStringLiteral("code"))) {
        b.CodeName = parser.value(QStringLiteral("code"));
        if (!FindRemoteCode(b.CodeName)) {
            result.Text = QStringLiteral("unknown code \"%1\"; the codes are %2").arg(b.CodeName, codeNames);
            return result;
        }
    }
    if (parser.isSet(QStringLiteral("serial"))) {
        o.Serial = parser.value(QStringLiteral("serial"));
        if (o.Serial.isEmpty()) {
            result.Text = QStringLiteral("--serial wants \"pty\" or a device path");
            return result;
        }
    }
    b.LearnTimesOut = parser.isSet(QStringLiteral("timeout"));
    b.Faults.Silent = parser.isSet(QStringLiteral("silent"));
    b.Faults.Garbage = parser.isSet(QStringLiteral("garbage"));
    b.Faults.Oversized = parser.isSet(QStringLiteral("oversized"));
    b.Faults.Drop = parser.isSet(QStringLiteral("drop"));
    result.Options = o;
    return result;
}

} // namespace irsim
