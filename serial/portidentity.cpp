#include "serial/portidentity.h"

#include "serial/pelmenumserial.h"

#include <filesystem>

namespace PelmComm {

namespace {

// The link's name when the port is named by a path inside the by-id folder, else empty.
std::string LinkNameOf(const std::string &portName, const std::string &byIdDir)
{
    const std::filesystem::path path(portName);
    return path.is_absolute() && path.parent_path().lexically_normal() == std::filesystem::path(byIdDir).lexically_normal()
               ? path.filename().string()
               : std::string();
}

const platform::SerialLink *LinkNamed(const std::vector<platform::SerialLink> &links, const std::string &name)
{
    for (const platform::SerialLink &link : links)
        if (link.name == name)
            return &link;
    return nullptr;
}

} // namespace

std::string PortIdentity(const std::string &portName, const std::vector<platform::SerialLink> &links,
                         const std::string &byIdDir)
{
    const std::string own = LinkNameOf(portName, byIdDir);
    if (!own.empty())
        return LinkNamed(links, own) ? own : std::string();
    const std::string node = platform::ResolvedPath(TCommSerialPortInfo::DevicePath(portName));
    if (node.empty())
        return {};
    for (const platform::SerialLink &link : links)
        if (link.target == node)
            return link.name;
    return {};
}

TPortWhereabouts LocatePort(const std::string &portName, const std::string &identity,
                            const std::vector<platform::SerialLink> &links, const std::string &byIdDir)
{
    if (identity.empty())
        return {!platform::ResolvedPath(TCommSerialPortInfo::DevicePath(portName)).empty(), portName};
    const platform::SerialLink *link = LinkNamed(links, identity);
    if (!link)
        return {false, portName};
    if (!LinkNameOf(portName, byIdDir).empty())
        return {true, portName};
    return {true, TCommSerialPortInfo::PortNameOfDevice(link->target)};
}

} // namespace PelmComm
