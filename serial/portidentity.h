#pragma once
// A port chosen by the user is kept by its name and, for a USB adapter, by its by-id link name (its
// identity), so that the adapter is still the chosen port when it comes back under another node.
#include "platform/sys/serialpaths.h"

#include <string>
#include <vector>

namespace PelmComm {

// The by-id link name of the device a port name stands for: the name itself when it is a by-id link,
// else the first link leading to its node; empty when the port has none or is not there.
std::string PortIdentity(const std::string &portName, const std::vector<platform::SerialLink> &links,
                         const std::string &byIdDir);

struct TPortWhereabouts {
    bool present = false;
    std::string portName; // the name to open it by
};

// Where a port is now. With an identity, the port is present while the identity's link exists, and
// its name follows the link's node unless the name is a by-id link itself (which follows by itself).
// Without one, the port is present while its device exists, under the name it has.
TPortWhereabouts LocatePort(const std::string &portName, const std::string &identity,
                            const std::vector<platform::SerialLink> &links, const std::string &byIdDir);

} // namespace PelmComm
