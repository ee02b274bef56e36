#include "bridge/discovery.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QString topic(const QString &bridgeId, const QString &leaf)
{
    return QStringLiteral("irtool/%1/%2").arg(bridgeId, leaf);
}

QJsonObject origin()
{
    return {{QStringLiteral("name"), QStringLiteral("irtool-bridge")}};
}

QByteArray compact(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

} // namespace

QString BridgeDeviceId(const QString &bridgeId)
{
    return QStringLiteral("irtool_%1").arg(bridgeId);
}

QString ModuleDeviceId(const QString &bridgeId, const QString &module)
{
    return QStringLiteral("irtool_%1_%2").arg(bridgeId, module);
}

QString DiscoveryTopic(const QString &prefix, const QString &deviceId)
{
    return QStringLiteral("%1/device/%2/config").arg(prefix, deviceId);
}

QByteArray BridgeDiscoveryDocument(const QString &bridgeId)
{
    const QString id = BridgeDeviceId(bridgeId);
    const QString status = topic(bridgeId, QStringLiteral("status"));
    const QJsonObject connectivity{{QStringLiteral("p"), QStringLiteral("binary_sensor")},
                                   {QStringLiteral("name"), QStringLiteral("Broker link")},
                                   {QStringLiteral("unique_id"), id + QStringLiteral("_status")},
                                   {QStringLiteral("device_class"), QStringLiteral("connectivity")},
                                   {QStringLiteral("state_topic"), status},
                                   {QStringLiteral("payload_on"), QStringLiteral("online")},
                                   {QStringLiteral("payload_off"), QStringLiteral("offline")}};
    return compact({{QStringLiteral("dev"), QJsonObject{{QStringLiteral("ids"), QJsonArray{id}},
                                                        {QStringLiteral("name"), QStringLiteral("irtool-bridge %1").arg(bridgeId)},
                                                        {QStringLiteral("mdl"), QStringLiteral("irtool-bridge")}}},
                    {QStringLiteral("o"), origin()},
                    {QStringLiteral("availability"), QJsonArray{QJsonObject{{QStringLiteral("topic"), status}}}},
                    {QStringLiteral("cmps"), QJsonObject{{id + QStringLiteral("_status"), connectivity}}}});
}

QByteArray ModuleDiscoveryDocument(const QString &bridgeId, const QString &module, const QStringList &codes)
{
    const QString id = ModuleDeviceId(bridgeId, module);
    const QString send = topic(bridgeId, module + QStringLiteral("/send"));
    QJsonObject components{
        {id + QStringLiteral("_emitter"), QJsonObject{{QStringLiteral("p"), QStringLiteral("infrared")},
                                                      {QStringLiteral("schema"), QStringLiteral("emitter")},
                                                      {QStringLiteral("name"), QStringLiteral("Emitter")},
                                                      {QStringLiteral("unique_id"), id + QStringLiteral("_emitter")},
                                                      {QStringLiteral("command_topic"), send}}},
        {id + QStringLiteral("_receiver"), QJsonObject{{QStringLiteral("p"), QStringLiteral("infrared")},
                                                       {QStringLiteral("schema"), QStringLiteral("receiver")},
                                                       {QStringLiteral("name"), QStringLiteral("Receiver")},
                                                       {QStringLiteral("unique_id"), id + QStringLiteral("_receiver")},
                                                       {QStringLiteral("state_topic"), topic(bridgeId, module + QStringLiteral("/learned"))}}},
    };
    for (const QString &code : codes) {
        const QString uid = QStringLiteral("%1_code_%2").arg(id, QString::fromLatin1(code.toUtf8().toHex()));
        components.insert(uid, QJsonObject{{QStringLiteral("p"), QStringLiteral("button")},
                                           {QStringLiteral("name"), code},
                                           {QStringLiteral("unique_id"), uid},
                                           {QStringLiteral("command_topic"), send},
                                           {QStringLiteral("payload_press"), QString::fromUtf8(compact({{QStringLiteral("code"), code}}))}});
    }
    return compact({{QStringLiteral("dev"), QJsonObject{{QStringLiteral("ids"), QJsonArray{id}},
                                                        {QStringLiteral("name"), QStringLiteral("IR module %1").arg(module)},
                                                        {QStringLiteral("mdl"), QStringLiteral("learning infrared module")},
                                                        {QStringLiteral("via_device"), BridgeDeviceId(bridgeId)}}},
                    {QStringLiteral("o"), origin()},
                    {QStringLiteral("availability"), QJsonArray{QJsonObject{{QStringLiteral("topic"), topic(bridgeId, QStringLiteral("status"))}},
                                                                QJsonObject{{QStringLiteral("topic"), topic(bridgeId, module + QStringLiteral("/availability"))}}}},
                    {QStringLiteral("availability_mode"), QStringLiteral("all")},
                    {QStringLiteral("qos"), 1},
                    {QStringLiteral("cmps"), components}});
}
