#pragma once
// A code's protocol as the command line prints it.
#include "core/codelibrary.h"

#include <QJsonObject>
#include <QString>

#include <vector>

// "NEC  address 0x04  command 0x08  (32 bits)" or "unidentified (34 marks)".
QString ProtocolText(const std::vector<int> &durationsUs);
// "remote/name", or the name alone.
QString RecordTitle(const TCodeRecord &record);
// name, remote, protocol (null when unidentified), address, command, bits, hint.
QJsonObject ProtocolJson(const TCodeRecord &record);
