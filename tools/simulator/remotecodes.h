#pragma once
// Remote-control signals the simulated module "learns": pulse and gap durations in units of
// 10 us, starting with a pulse, as a module reports them after decoding.
#include <QString>
#include <QStringList>
#include <vector>

namespace irsim {

struct TRemoteCode {
    QString Name;
    QString Description;
    std::vector<int> Durations;
};

// Every built-in code, in the order the simulator cycles through them.
const std::vector<TRemoteCode> &RemoteCodes();
QStringList RemoteCodeNames();
// The code of that name, or nullptr.
const TRemoteCode *FindRemoteCode(const QString &name);

} // namespace irsim
