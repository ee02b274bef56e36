#include "bridge/bridgeconfig.h"

#include "core/codelibrary.h"
#include "core/modulelink.h"

#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QRegularExpression>

#include <functional>
#include <map>

namespace {

struct TSetting {
    QString Key;
    QString Value;
    QString Where; // "--key" or "FILE:LINE"
    int Line = 0;
};

QString fault(const TSetting &s, const QString &text)
{
    return QStringLiteral("%1: %2").arg(s.Where, text);
}

bool readHostPort(const QString &text, QString &host, quint16 &port)
{
    const int colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0)
        return false;
    bool ok = false;
    const int p = text.mid(colon + 1).toInt(&ok);
    if (!ok || p < 1 || p > 65535)
        return false;
    host = text.left(colon);
    port = static_cast<quint16>(p);
    return true;
}

bool readSwitch(const QString &text, bool &value)
{
    if (text == QLatin1String("on") || text == QLatin1String("true") || text == QLatin1String("yes"))
        value = true;
    else if (text == QLatin1String("off") || text == QLatin1String("false") || text == QLatin1String("no"))
        value = false;
    else
        return false;
    return true;
}

// The keys valid outside a [module] section; each applies its value or names the fault.
using TApply = std::function<QString(TBridgeConfig &, const QString &)>;

const std::map<QString, TApply> &globalKeys()
{
    static const std::map<QString, TApply> keys{
        {QStringLiteral("broker"), [](TBridgeConfig &c, const QString &v) {
             const QRegularExpression form(QStringLiteral("^mqtts?://[^/@\\s]+$"));
             if (!form.match(v).hasMatch())
                 return QStringLiteral("broker must be mqtt://HOST[:PORT] or mqtts://HOST[:PORT], with no user or password");
             c.Broker = v;
             return QString();
         }},
        {QStringLiteral("id"), [](TBridgeConfig &c, const QString &v) {
             if (!IsValidName(v))
                 return QStringLiteral("id \"%1\" may hold only letters, digits, \"-\" and \"_\"").arg(v);
             c.Id = v;
             return QString();
         }},
        {QStringLiteral("listen"), [](TBridgeConfig &c, const QString &v) {
             if (v == QLatin1String("off")) {
                 c.Listen = -1;
                 return QString();
             }
             bool ok = false;
             const int port = v.toInt(&ok);
             if (!ok || port < 0 || port > 65535)
                 return QStringLiteral("listen wants a port from 0 to 65535 or off, not \"%1\"").arg(v);
             c.Listen = port;
             return QString();
         }},
        {QStringLiteral("module"), [](TBridgeConfig &c, const QString &v) {
             TModuleEntry m;
             if (!readHostPort(v, m.DialHost, m.DialPort))
                 return QStringLiteral("module wants HOST:PORT, not \"%1\"").arg(v);
             c.Modules.push_back(m);
             return QString();
         }},
        {QStringLiteral("library"), [](TBridgeConfig &c, const QString &v) { c.Library = v; return QString(); }},
        {QStringLiteral("user"), [](TBridgeConfig &c, const QString &v) { c.User = v; return QString(); }},
        {QStringLiteral("password-file"), [](TBridgeConfig &c, const QString &v) { c.PasswordFile = v; return QString(); }},
        {QStringLiteral("ca-file"), [](TBridgeConfig &c, const QString &v) { c.CaFile = v; return QString(); }},
        {QStringLiteral("discovery"), [](TBridgeConfig &c, const QString &v) {
             return readSwitch(v, c.Discovery) ? QString() : QStringLiteral("discovery wants on or off, not \"%1\"").arg(v);
         }},
        {QStringLiteral("discovery-prefix"), [](TBridgeConfig &c, const QString &v) {
             if (v.isEmpty() || v.contains(QRegularExpression(QStringLiteral("[+#\\s]"))))
                 return QStringLiteral("discovery-prefix \"%1\" is not a topic prefix").arg(v);
             c.DiscoveryPrefix = v;
             return QString();
         }},
    };
    return keys;
}

QString applyModuleKey(TModuleEntry &m, const QString &key, const QString &value)
{
    if (key == QLatin1String("address")) {
        const QHostAddress address(value);
        if (address.protocol() != QAbstractSocket::IPv4Protocol)
            return QStringLiteral("address wants the module's IPv4 address, not \"%1\"").arg(value);
        m.Address = address.toString();
        return QString();
    }
    if (key == QLatin1String("dial"))
        return readHostPort(value, m.DialHost, m.DialPort) ? QString()
                                                           : QStringLiteral("dial wants HOST:PORT, not \"%1\"").arg(value);
    if (key == QLatin1String("codes")) {
        for (const QString &code : value.split(QLatin1Char(','), Qt::SkipEmptyParts))
            m.Codes.append(code.trimmed());
        return QString();
    }
    return QStringLiteral("unknown key \"%1\" in a module section (address, dial, codes)").arg(key);
}

void readFile(const QString &path, TBridgeSetup &setup)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        setup.Faults.append(QStringLiteral("%1: cannot read the configuration file: %2").arg(path, file.errorString()));
        return;
    }
    const QList<QByteArray> lines = file.readAll().split('\n');
    static const QRegularExpression section(QStringLiteral("^\\[module\\s+(\\S+)\\]$"));
    TModuleEntry *current = nullptr;
    for (int i = 0; i < lines.size(); ++i) {
        QString text = QString::fromUtf8(lines[i]);
        if (const int hash = text.indexOf(QLatin1Char('#')); hash >= 0)
            text.truncate(hash);
        text = text.trimmed();
        if (text.isEmpty())
            continue;
        const QString where = QStringLiteral("%1:%2").arg(path).arg(i + 1);
        if (text.startsWith(QLatin1Char('['))) {
            const QRegularExpressionMatch m = section.match(text);
            if (!m.hasMatch() || !IsValidName(m.captured(1))) {
                setup.Faults.append(QStringLiteral("%1: a section is \"[module NAME]\", NAME of letters, digits, \"-\" and \"_\"").arg(where));
                current = nullptr;
                continue;
            }
            setup.Config.Modules.push_back(TModuleEntry{m.captured(1), {}, {}, 0, {}, i + 1});
            current = &setup.Config.Modules.back();
            continue;
        }
        const int equals = text.indexOf(QLatin1Char('='));
        if (equals <= 0) {
            setup.Faults.append(QStringLiteral("%1: expected \"key = value\"").arg(where));
            continue;
        }
        const QString key = text.left(equals).trimmed();
        const QString value = text.mid(equals + 1).trimmed();
        QString problem;
        if (key == QLatin1String("password"))
            problem = QStringLiteral("a password is never written here: put it alone in a file readable only by the "
                                     "service and name that file with password-file");
        else if (current)
            problem = applyModuleKey(*current, key, value);
        else if (const auto k = globalKeys().find(key); k != globalKeys().end())
            problem = k->second(setup.Config, value);
        else
            problem = QStringLiteral("unknown key \"%1\"").arg(key);
        if (!problem.isEmpty())
            setup.Faults.append(QStringLiteral("%1: %2").arg(where, problem));
    }
}

QString entryWhere(const TBridgeSetup &setup, const TModuleEntry &m)
{
    return m.Line > 0 ? QStringLiteral("%1:%2").arg(setup.ConfigFile).arg(m.Line) : QStringLiteral("--module");
}

void checkModules(TBridgeSetup &setup)
{
    QMap<QString, int> ids;
    for (const TModuleEntry &m : setup.Config.Modules) {
        const QString where = entryWhere(setup, m);
        const QString id = !m.Name.isEmpty() ? m.Name : ModuleIdForDial(m.DialHost, m.DialPort);
        if (ids.contains(id))
            setup.Faults.append(QStringLiteral("%1: module %2 is defined twice").arg(where, id));
        ids.insert(id, m.Line);
        if (!m.Name.isEmpty() && m.Address.isEmpty() == m.DialHost.isEmpty())
            setup.Faults.append(QStringLiteral("%1: module %2 needs exactly one of address and dial").arg(where, m.Name));
        else if (!m.Address.isEmpty() && setup.Config.Listen < 0)
            setup.Faults.append(QStringLiteral("%1: module %2 dials in, but listen is off").arg(where, m.Name));
    }
}

} // namespace

bool IsValidName(const QString &name)
{
    static const QRegularExpression valid(QStringLiteral("^[A-Za-z0-9_-]+$"));
    return valid.match(name).hasMatch();
}

QString ModuleIdForAddress(const QString &dottedAddress)
{
    return DottedAddress(dottedAddress).replace(QLatin1Char('.'), QLatin1Char('-')).replace(QLatin1Char(':'), QLatin1Char('-'));
}

QString ModuleIdForDial(const QString &host, quint16 port)
{
    return QStringLiteral("%1-%2").arg(ModuleIdForAddress(host)).arg(port);
}

QString BridgeUsage()
{
    return QStringLiteral(
        "usage: irtool-bridge --broker mqtt://HOST[:PORT] --id ID [--listen PORT|off] [--module HOST:PORT]...\n"
        "                     [--library FILE] [--config FILE] [--discovery on|off] [--discovery-prefix PREFIX]\n"
        "       irtool-bridge --config FILE --check\n"
        "Serves learning infrared modules over MQTT under irtool/ID/. Modules dial in on --listen (6000 by\n"
        "default) or are dialled with --module. User name, password file, CA file and module names go into\n"
        "the configuration file; --check lists every fault in it and exits 1, or exits 0.\n");
}

TBridgeSetup ReadBridgeSetup(const QStringList &arguments)
{
    TBridgeSetup setup;
    std::vector<TSetting> given;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        if (a == QLatin1String("--check")) {
            setup.Check = true;
            continue;
        }
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            setup.Help = true;
            continue;
        }
        if (!a.startsWith(QLatin1String("--"))) {
            setup.Faults.append(QStringLiteral("unexpected argument \"%1\"").arg(a));
            continue;
        }
        if (i + 1 >= arguments.size()) {
            setup.Faults.append(QStringLiteral("%1: a value is missing").arg(a));
            continue;
        }
        given.push_back({a.mid(2), arguments[++i], a, 0});
    }
    for (const TSetting &s : given)
        if (s.Key == QLatin1String("config"))
            setup.ConfigFile = s.Value;
    if (!setup.ConfigFile.isEmpty())
        readFile(setup.ConfigFile, setup);
    for (const TSetting &s : given) {
        if (s.Key == QLatin1String("config"))
            continue;
        if (s.Key == QLatin1String("password")) {
            setup.Faults.append(fault(s, QStringLiteral("a password is never given on the command line: name a file "
                                                          "with password-file in the configuration file")));
            continue;
        }
        const auto k = globalKeys().find(s.Key);
        if (k == globalKeys().end()) {
            setup.Faults.append(fault(s, QStringLiteral("unknown option")));
            continue;
        }
        if (const QString problem = k->second(setup.Config, s.Value); !problem.isEmpty())
            setup.Faults.append(fault(s, problem));
    }
    if (setup.Config.Id.isEmpty() && !setup.Help)
        setup.Faults.append(QStringLiteral("the bridge needs an id (--id or \"id =\"), unique on its broker"));
    if (!setup.Config.CaFile.isEmpty() && !setup.Config.Broker.startsWith(QLatin1String("mqtts:")))
        setup.Faults.append(QStringLiteral("ca-file goes with an mqtts:// broker"));
    if (!setup.Config.PasswordFile.isEmpty() && setup.Config.User.isEmpty())
        setup.Faults.append(QStringLiteral("password-file goes with user"));
    checkModules(setup);
    return setup;
}

void CheckBridgeFiles(TBridgeSetup &setup)
{
    const TBridgeConfig &c = setup.Config;
    for (const QString &path : {c.PasswordFile, c.CaFile})
        if (!path.isEmpty() && !QFileInfo(path).isReadable())
            setup.Faults.append(QStringLiteral("%1: cannot be read").arg(path));
    bool assigned = false;
    for (const TModuleEntry &m : c.Modules)
        assigned = assigned || !m.Codes.isEmpty();
    if (c.Library.isEmpty()) {
        if (assigned)
            setup.Faults.append(QStringLiteral("modules have codes assigned, but no library is given"));
        return;
    }
    const TLibraryRead library = LoadCodeLibrary(c.Library);
    if (!library.Ok() && !library.Missing) {
        setup.Faults.append(QStringLiteral("%1: %2").arg(c.Library, library.Error));
        return;
    }
    for (const TModuleEntry &m : c.Modules)
        for (const QString &code : m.Codes) {
            const bool found = std::any_of(library.Records.begin(), library.Records.end(),
                                           [&](const TCodeRecord &r) { return r.Name == code; });
            if (!found)
                setup.Faults.append(QStringLiteral("%1: code \"%2\" is not in the library %3")
                                        .arg(entryWhere(setup, m), code, c.Library));
        }
}
