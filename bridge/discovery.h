#pragma once
// Home Assistant's MQTT discovery documents for the bridge and its modules: one device document
// each, at <prefix>/device/<object id>/config, with its components under "cmps". A module's
// document carries an infrared emitter (commands on its send topic), an infrared receiver (codes on
// its learned topic) and a button per library code assigned to it; it is available while both the
// bridge and the module are. Pure functions: no state, any thread.
#include <QByteArray>
#include <QString>
#include <QStringList>

QString BridgeDeviceId(const QString &bridgeId);
QString ModuleDeviceId(const QString &bridgeId, const QString &module);
QString DiscoveryTopic(const QString &prefix, const QString &deviceId);

QByteArray BridgeDiscoveryDocument(const QString &bridgeId);
QByteArray ModuleDiscoveryDocument(const QString &bridgeId, const QString &module, const QStringList &codes);
