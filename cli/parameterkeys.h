#pragma once
// The module's network parameters under plain English keys, as the command line sets and prints
// them: work-mode, ip, gateway, mask, port, target-ip, target-port, restart-on-timeout, mac.
#include "core/moduleparams.h"
#include "core/parameterfile.h"

#include <QJsonObject>
#include <QStringList>

struct TModuleParameters {
    TParameterTexts Edits = DefaultParameterTexts(); // the configuration window's 24 texts
    int WorkMode = 0;                                // 0 TCP server, 1 TCP client; a read may give others
    bool RestartOnTimeout = true;
};

const QStringList &ParameterKeys();

// Applies one "key=value"; raises a usage error naming the key and the accepted values.
void ApplySetting(TModuleParameters &parameters, const QString &assignment);
// The MAC's last two bytes follow the module's last two IP octets, as in the configuration window
// with its synchronisation box on.
void FollowIpWithMac(TModuleParameters &parameters);

// A parameter file, every value checked; a value that is not a number in its field's range raises
// a "bad-file" failure naming the file, the line and the key.
TModuleParameters ReadParameters(const QString &path);
// Writes a parameter file under a temporary name and renames it over path.
void SaveParameters(const QString &path, const TModuleParameters &parameters);

TModuleParameters FromReadReply(const TReadReply &reply);

QJsonObject ParametersJson(const TModuleParameters &parameters);
// "key: value" lines in the order of ParameterKeys.
QString ParametersText(const TModuleParameters &parameters);
