#include "platform/sys/ttywatch.h"

#include <libudev.h>

#include <string_view>

namespace platform {

namespace {

class UdevWatch : public TtyWatch {
public:
    UdevWatch()
    {
        if (!udev_)
            return;
        monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
        if (!monitor_ || udev_monitor_filter_add_match_subsystem_devtype(monitor_, "tty", nullptr) < 0 ||
            udev_monitor_enable_receiving(monitor_) < 0)
            return;
        fd_ = udev_monitor_get_fd(monitor_);
    }
    ~UdevWatch() override
    {
        if (monitor_)
            udev_monitor_unref(monitor_);
        if (udev_)
            udev_unref(udev_);
    }
    UdevWatch(const UdevWatch &) = delete;
    UdevWatch &operator=(const UdevWatch &) = delete;

    int Fd() const override { return fd_; }

    std::vector<TtyChange> Take() override
    {
        std::vector<TtyChange> changes;
        if (fd_ < 0)
            return changes;
        // The monitor's socket does not block: null means nothing more is waiting.
        while (udev_device *device = udev_monitor_receive_device(monitor_)) {
            const char *action = udev_device_get_action(device);
            const char *node = udev_device_get_devnode(device);
            if (action && node) {
                const std::string_view a(action);
                if (a == "add" || a == "remove")
                    changes.push_back({a == "add", node});
            }
            udev_device_unref(device);
        }
        return changes;
    }

private:
    udev *udev_ = udev_new();
    udev_monitor *monitor_ = nullptr;
    int fd_ = -1;
};

} // namespace

std::unique_ptr<TtyWatch> WatchUdev()
{
    return std::make_unique<UdevWatch>();
}

} // namespace platform
