#include "cli/commandline.h"

#include "cli/clioutput.h"

#include <QHostAddress>
#include <QRegularExpression>

namespace {

constexpr quint16 DefaultModulePort = 5000;
// A time-out beyond a day is a typing error, not a wish.
constexpr double LongestTimeoutSeconds = 86400;

} // namespace

TCommandLine::TCommandLine(QString usage, QString description) : usage_(std::move(usage))
{
    parser_.setApplicationDescription(description);
    parser_.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser_.addOption({QStringLiteral("help"), QStringLiteral("Show this help.")});
    parser_.addOption({QStringLiteral("json"), QStringLiteral("Print the result as one JSON object.")});
}

void TCommandLine::AddLinkOptions()
{
    linkOptions_ = true;
    Add({QStringLiteral("module"),
         QStringLiteral("Connect to the module at HOST, port 5000 unless :PORT follows."), QStringLiteral("host[:port]")});
    Add({QStringLiteral("listen"),
         QStringLiteral("Listen on PORT and take the first module that connects (0: a free port, printed)."),
         QStringLiteral("port")});
    Add({QStringLiteral("from"), QStringLiteral("With --listen: wait for the module from this address."),
         QStringLiteral("address")});
}

void TCommandLine::AddTimeout(double defaultSeconds)
{
    defaultTimeout_ = defaultSeconds;
    Add({QStringLiteral("timeout"),
         QStringLiteral("Give up after this many seconds, linking included (default %1).").arg(defaultSeconds),
         QStringLiteral("seconds")});
}

bool TCommandLine::Parse(const QStringList &arguments)
{
    if (!parser_.parse(arguments))
        UsageError(parser_.errorText());
    if (parser_.isSet(QStringLiteral("help"))) {
        QString help = parser_.helpText();
        help.replace(QRegularExpression(QStringLiteral("^Usage: [^\\n]*")), QStringLiteral("Usage: irtool-cli ") + usage_);
        WriteOut(help);
        return false;
    }
    if (defaultTimeout_ > 0) {
        double seconds = defaultTimeout_;
        if (IsSet(QStringLiteral("timeout"))) {
            bool ok = false;
            seconds = Value(QStringLiteral("timeout")).toDouble(&ok);
            if (!ok || seconds <= 0 || seconds > LongestTimeoutSeconds)
                UsageError(QStringLiteral("--timeout wants seconds above 0 and up to %1, not \"%2\"")
                               .arg(LongestTimeoutSeconds)
                               .arg(Value(QStringLiteral("timeout"))));
        }
        timeoutMs_ = static_cast<int>(seconds * 1000);
    }
    return true;
}

QDeadlineTimer TCommandLine::Deadline() const
{
    return QDeadlineTimer(timeoutMs_);
}

TLinkEndpoint TCommandLine::Endpoint() const
{
    const bool module = IsSet(QStringLiteral("module"));
    const bool listen = IsSet(QStringLiteral("listen"));
    if (module == listen)
        UsageError(QStringLiteral("name the module with --module HOST[:PORT] or wait for it with --listen PORT"));
    if (module) {
        if (IsSet(QStringLiteral("from")))
            UsageError(QStringLiteral("--from goes with --listen only"));
        return ParseModuleAddress(Value(QStringLiteral("module")));
    }
    TLinkEndpoint endpoint;
    endpoint.Mode = TLinkEndpoint::Server;
    endpoint.Port = ParsePort(QStringLiteral("--listen"), Value(QStringLiteral("listen")), 0);
    if (IsSet(QStringLiteral("from"))) {
        endpoint.From = Value(QStringLiteral("from"));
        if (QHostAddress(endpoint.From).isNull())
            UsageError(QStringLiteral("--from wants an IP address, not \"%1\"").arg(endpoint.From));
    }
    return endpoint;
}

TLinkEndpoint ParseModuleAddress(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^(?:\\[([^\\]]+)\\]|([^:\\[\\]]+))(?::(\\d+))?$"));
    const QRegularExpressionMatch m = form.match(text.trimmed());
    if (!m.hasMatch())
        UsageError(QStringLiteral("--module wants HOST or HOST:PORT, not \"%1\"").arg(text));
    TLinkEndpoint endpoint;
    endpoint.Host = m.captured(1).isEmpty() ? m.captured(2) : m.captured(1);
    endpoint.Port = m.captured(3).isEmpty() ? DefaultModulePort : ParsePort(QStringLiteral("--module"), m.captured(3), 1);
    return endpoint;
}

quint16 ParsePort(const QString &option, const QString &text, int low)
{
    bool ok = false;
    const int port = text.trimmed().toInt(&ok);
    if (!ok || port < low || port > 65535)
        UsageError(QStringLiteral("%1 wants a port from %2 to 65535, not \"%3\"").arg(option).arg(low).arg(text));
    return static_cast<quint16>(port);
}
