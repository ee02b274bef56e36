#include "platform/sys/portaccess.h"

#include "platform/sys/devicegroup.h"
#include "platform/sys/serialport.h"

#include <cerrno>
#include <cstring>

namespace platform {

std::string PortErrorText(const std::string &path, int err, const std::string &owningGroup)
{
    switch (err) {
    case EACCES:
    case EPERM:
        if (owningGroup.empty())
            return path + ": permission denied";
        return path + ": permission denied; the port belongs to group " + owningGroup + ", join it with `sudo usermod -aG "
            + owningGroup + " $USER` and log in again";
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return path + ": no such port; check the name and that the adapter is plugged in";
    case EBUSY:
    case EWOULDBLOCK:
        return path + ": in use by another program";
    case ENOTTY:
        return path + ": not a serial port";
    default:
        return path + ": " + std::strerror(err);
    }
}

std::string PortOpenProblem(const std::string &path)
{
    int err = 0;
    if (SerialDevice::Open(path, &err))
        return {};
    return PortErrorText(path, err, DeviceGroup(path));
}

} // namespace platform
