#include "platform/sys/ttywatch.h"

#include "platform/sys/serialpaths.h"

#include <filesystem>

namespace platform {

std::unique_ptr<TtyWatch> WatchMachine()
{
    std::error_code ec;
    const bool udevRuns = std::filesystem::exists("/run/udev/control", ec);
    const std::string devDir = DeviceDir();
    const std::string byIdDir = SerialByIdDir();
    // udev announces only the real folders; moved ones are watched as folders.
    if (udevRuns && devDir == "/dev" && byIdDir == "/dev/serial/by-id")
        return WatchUdev();
    return WatchFolders(devDir, byIdDir);
}

} // namespace platform
