#pragma once
// The commands of irtool-cli. Each takes its own arguments (the first is the command's name) and
// returns the exit code.
#include <QStringList>

int RunLearn(const QStringList &arguments);
int RunSend(const QStringList &arguments);
int RunConfig(const QStringList &arguments);
int RunIdentify(const QStringList &arguments);
int RunConvert(const QStringList &arguments);
int RunLearnRemote(const QStringList &arguments);
