#include "cli/parameterkeys.h"

#include "cli/clioutput.h"
#include "core/convert.h"
#include "platform/sys/inifile.h"
#include "platform/sys/replacefile.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <array>

namespace {

// Where each dotted or single field sits among the window's edits (numbers from 1).
struct TField {
    const char *Key;
    int FirstEdit;
    int Count;
};

constexpr std::array<TField, 6> DottedFields{{
    {"ip", 1, 4}, {"gateway", 5, 4}, {"mask", 9, 4}, {"target-ip", 14, 4}, {"port", 13, 1}, {"target-port", 18, 1}}};
constexpr int MacFirstEdit = 19;
constexpr int ModulePortEdit = 13;
constexpr int TargetPortEdit = 18;

bool isPortEdit(int edit)
{
    return edit == ModulePortEdit || edit == TargetPortEdit;
}

const TField *fieldFor(const QString &key)
{
    for (const TField &f : DottedFields)
        if (key == QLatin1String(f.Key))
            return &f;
    return nullptr;
}

void setAddress(TModuleParameters &p, const TField &field, const QString &key, const QString &value)
{
    static const QRegularExpression form(QStringLiteral("^(\\d{1,3})\\.(\\d{1,3})\\.(\\d{1,3})\\.(\\d{1,3})$"));
    const QRegularExpressionMatch m = form.match(value);
    std::array<int, 4> octets{};
    bool ok = m.hasMatch();
    for (int i = 0; ok && i < 4; ++i) {
        octets[i] = m.captured(i + 1).toInt();
        ok = octets[i] <= 255;
    }
    if (!ok)
        UsageError(QStringLiteral("%1 wants an IPv4 address such as 192.168.0.199, not \"%2\"").arg(key, value));
    for (int i = 0; i < 4; ++i)
        p.Edits[field.FirstEdit - 1 + i] = QString::number(octets[i]);
}

void setPort(TModuleParameters &p, const TField &field, const QString &key, const QString &value)
{
    bool ok = false;
    const int port = value.toInt(&ok);
    if (!ok || port < 1 || port > 65535 || value.startsWith(QLatin1Char('+')))
        UsageError(QStringLiteral("%1 wants a port from 1 to 65535, not \"%2\"").arg(key, value));
    p.Edits[field.FirstEdit - 1] = QString::number(port);
}

void setMac(TModuleParameters &p, const QString &value)
{
    static const QRegularExpression form(QStringLiteral("^([0-9A-Fa-f]{2})(?:[:-]([0-9A-Fa-f]{2})){5}$"));
    const QStringList bytes = value.split(QRegularExpression(QStringLiteral("[:-]")));
    if (!form.match(value).hasMatch() || bytes.size() != 6)
        UsageError(QStringLiteral("mac wants six hexadecimal bytes such as 64:65:66:67:00:C7, not \"%1\"").arg(value));
    for (int i = 0; i < 6; ++i)
        p.Edits[MacFirstEdit - 1 + i] = QString::number(bytes[i].toUInt(nullptr, 16));
}

std::optional<bool> readSwitch(const QString &value)
{
    static const QStringList on{QStringLiteral("on"), QStringLiteral("yes"), QStringLiteral("true"), QStringLiteral("1")};
    static const QStringList off{QStringLiteral("off"), QStringLiteral("no"), QStringLiteral("false"), QStringLiteral("0")};
    if (on.contains(value.toLower()))
        return true;
    if (off.contains(value.toLower()))
        return false;
    return std::nullopt;
}

[[noreturn]] void badFile(const QString &path, int line, const QString &what)
{
    const QString place = line > 0 ? QStringLiteral("%1:%2").arg(path).arg(line) : path;
    throw ECliError(ExitFailure, QStringLiteral("bad-file"), QStringLiteral("%1: %2").arg(place, what));
}

// A whole decimal number as the file holds it, or nothing.
std::optional<int> fileNumber(const std::string &text)
{
    try {
        const QString t = QString::fromStdString(text);
        if (!QRegularExpression(QStringLiteral("^-?\\d+$")).match(t).hasMatch())
            return std::nullopt;
        return StrToInt(t);
    } catch (const EConvertError &) {
        return std::nullopt;
    }
}

QString macText(const TModuleParameters &p)
{
    QStringList bytes;
    for (int i = 0; i < 6; ++i)
        bytes.append(QStringLiteral("%1").arg(p.Edits[MacFirstEdit - 1 + i].toUInt(), 2, 16, QLatin1Char('0')).toUpper());
    return bytes.join(QLatin1Char(':'));
}

QString dotted(const TModuleParameters &p, int firstEdit)
{
    QStringList parts;
    for (int i = 0; i < 4; ++i)
        parts.append(p.Edits[firstEdit - 1 + i]);
    return parts.join(QLatin1Char('.'));
}

QString workModeText(int mode)
{
    switch (mode) {
    case 0:
        return QStringLiteral("server");
    case 1:
        return QStringLiteral("client");
    default:
        return QString::number(mode);
    }
}

} // namespace

const QStringList &ParameterKeys()
{
    static const QStringList keys{QStringLiteral("work-mode"), QStringLiteral("ip"),          QStringLiteral("gateway"),
                                  QStringLiteral("mask"),      QStringLiteral("port"),        QStringLiteral("target-ip"),
                                  QStringLiteral("target-port"), QStringLiteral("restart-on-timeout"), QStringLiteral("mac")};
    return keys;
}

void ApplySetting(TModuleParameters &p, const QString &assignment)
{
    const qsizetype eq = assignment.indexOf(QLatin1Char('='));
    if (eq <= 0)
        UsageError(QStringLiteral("--set wants KEY=VALUE, not \"%1\"").arg(assignment));
    const QString key = assignment.left(eq).trimmed().toLower();
    const QString value = assignment.mid(eq + 1).trimmed();
    if (const TField *field = fieldFor(key)) {
        if (field->Count == 4)
            setAddress(p, *field, key, value);
        else
            setPort(p, *field, key, value);
    } else if (key == QLatin1String("mac")) {
        setMac(p, value);
    } else if (key == QLatin1String("work-mode")) {
        const QString v = value.toLower();
        if (v == QLatin1String("server") || v == QLatin1String("tcp-server"))
            p.WorkMode = 0;
        else if (v == QLatin1String("client") || v == QLatin1String("tcp-client"))
            p.WorkMode = 1;
        else
            UsageError(QStringLiteral("work-mode wants server or client, not \"%1\"").arg(value));
    } else if (key == QLatin1String("restart-on-timeout")) {
        const std::optional<bool> on = readSwitch(value);
        if (!on)
            UsageError(QStringLiteral("restart-on-timeout wants on or off, not \"%1\"").arg(value));
        p.RestartOnTimeout = *on;
    } else {
        UsageError(QStringLiteral("unknown parameter \"%1\"; the keys are %2").arg(key, ParameterKeys().join(QStringLiteral(", "))));
    }
}

void FollowIpWithMac(TModuleParameters &p)
{
    p.Edits[MacFirstEdit + 3] = p.Edits[2];
    p.Edits[MacFirstEdit + 4] = p.Edits[3];
}

TModuleParameters ReadParameters(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        badFile(path, 0, QStringLiteral("no such file"));
    if (!info.isFile() || !info.isReadable())
        badFile(path, 0, QStringLiteral("cannot be read"));
    const std::string file = path.toStdString();
    const platform::TIniFile ini(file);
    const TParameterFile texts = ReadParameterFile(file);
    TModuleParameters p;
    for (int n = 1; n <= ParameterEditCount; ++n) {
        const int highest = isPortEdit(n) ? 65535 : 255;
        const std::optional<int> value = fileNumber(texts.Edits[n - 1].toStdString());
        if (!value || *value < 0 || *value > highest)
            badFile(path, ini.KeyLine(ParameterSection, ParameterKey(n)),
                    QStringLiteral("%1=\"%2\" is not a number from 0 to %3")
                        .arg(QString::fromStdString(ParameterKey(n)), texts.Edits[n - 1])
                        .arg(highest));
        p.Edits[n - 1] = QString::number(*value);
    }
    const std::optional<int> mode = fileNumber(texts.WorkMode);
    if (!mode || (*mode != 0 && *mode != 1))
        badFile(path, ini.KeyLine(BasicSection, WorkModeKey),
                QStringLiteral("%1=\"%2\" is no work mode (0 TCP server, 1 TCP client)")
                    .arg(QString::fromUtf8(WorkModeKey), QString::fromStdString(texts.WorkMode)));
    p.WorkMode = *mode;
    const std::optional<int> restart = fileNumber(texts.Restart);
    if (!restart)
        badFile(path, ini.KeyLine(BasicSection, RestartKey),
                QStringLiteral("%1=\"%2\" is not a number").arg(QString::fromUtf8(RestartKey), QString::fromStdString(texts.Restart)));
    p.RestartOnTimeout = *restart != 0;
    return p;
}

void SaveParameters(const QString &path, const TModuleParameters &p)
{
    const std::string target = path.toStdString();
    const std::string temporary = target + ".part";
    TParameterFile file;
    file.Edits = p.Edits;
    file.WorkMode = std::to_string(p.WorkMode);
    file.Restart = p.RestartOnTimeout ? "1" : "0";
    platform::RemoveFile(temporary);
    try {
        WriteParameterFile(temporary, file);
    } catch (const platform::EIniFileException &e) {
        platform::RemoveFile(temporary);
        throw ECliError(ExitFailure, QStringLiteral("write"), QString::fromStdString(e.what()));
    }
    std::string error;
    if (!platform::ReplaceFile(temporary, target, error))
        throw ECliError(ExitFailure, QStringLiteral("write"), QString::fromStdString(error));
}

TModuleParameters FromReadReply(const TReadReply &reply)
{
    TModuleParameters p;
    p.Edits = reply.Edits;
    p.WorkMode = reply.WorkMode;
    p.RestartOnTimeout = reply.RestartOnTimeout;
    return p;
}

QJsonObject ParametersJson(const TModuleParameters &p)
{
    return {{QStringLiteral("work-mode"), workModeText(p.WorkMode)},
            {QStringLiteral("ip"), dotted(p, 1)},
            {QStringLiteral("gateway"), dotted(p, 5)},
            {QStringLiteral("mask"), dotted(p, 9)},
            {QStringLiteral("port"), p.Edits[ModulePortEdit - 1].toInt()},
            {QStringLiteral("target-ip"), dotted(p, 14)},
            {QStringLiteral("target-port"), p.Edits[TargetPortEdit - 1].toInt()},
            {QStringLiteral("restart-on-timeout"), p.RestartOnTimeout},
            {QStringLiteral("mac"), macText(p)}};
}

QString ParametersText(const TModuleParameters &p)
{
    const QJsonObject json = ParametersJson(p);
    QStringList lines;
    for (const QString &key : ParameterKeys()) {
        const QJsonValue v = json.value(key);
        const QString text = v.isBool() ? (v.toBool() ? QStringLiteral("on") : QStringLiteral("off"))
            : v.isDouble()              ? QString::number(v.toInt())
                                        : v.toString();
        lines.append(QStringLiteral("%1: %2").arg(key, text));
    }
    return lines.join(QLatin1Char('\n'));
}
