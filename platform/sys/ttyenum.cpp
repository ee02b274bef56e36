#include "platform/sys/ttyenum.h"

#include <libudev.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string_view>

namespace platform {

namespace {

namespace fs = std::filesystem;

bool IsUnprobedUart(std::string_view name, const char *type)
{
    return name.rfind("ttyS", 0) == 0 && type && std::string_view(type) == "0";
}

struct UdevDeleter {
    void operator()(udev *u) const { udev_unref(u); }
    void operator()(udev_enumerate *e) const { udev_enumerate_unref(e); }
    void operator()(udev_device *d) const { udev_device_unref(d); }
};
template <typename T>
using UdevPtr = std::unique_ptr<T, UdevDeleter>;

std::string Property(udev_device *dev, const char *name)
{
    const char *value = udev_device_get_property_value(dev, name);
    return value ? value : "";
}

// udev's plain vendor and model properties use underscores for blanks.
std::string Readable(std::string s)
{
    std::replace(s.begin(), s.end(), '_', ' ');
    return s;
}

std::string FirstOf(udev_device *dev, const char *fromDatabase, const char *plain)
{
    std::string s = Property(dev, fromDatabase);
    return s.empty() ? Readable(Property(dev, plain)) : s;
}

} // namespace

std::vector<std::string> ListTtyPorts(const std::string &classDir, const std::string &devDir)
{
    std::vector<std::string> ports;
    std::error_code ec;
    for (fs::directory_iterator it(classDir, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path entry = it->path();
        const std::string name = entry.filename().string();
        if (!fs::exists(entry / "device", ec))
            continue;
        std::ifstream typeFile(entry / "type");
        std::string type;
        if (typeFile && std::getline(typeFile, type) && IsUnprobedUart(name, type.c_str()))
            continue;
        ports.push_back(devDir + "/" + name);
    }
    return ports;
}

std::vector<TtyDescription> DescribeTtyPorts()
{
    std::vector<TtyDescription> result;
    UdevPtr<udev> ctx(udev_new());
    if (!ctx)
        return result;
    UdevPtr<udev_enumerate> en(udev_enumerate_new(ctx.get()));
    if (!en || udev_enumerate_add_match_subsystem(en.get(), "tty") < 0 || udev_enumerate_scan_devices(en.get()) < 0)
        return result;
    udev_list_entry *entry;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(en.get()))
    {
        UdevPtr<udev_device> dev(udev_device_new_from_syspath(ctx.get(), udev_list_entry_get_name(entry)));
        if (!dev)
            continue;
        const char *node = udev_device_get_devnode(dev.get());
        const char *sysName = udev_device_get_sysname(dev.get());
        udev_device *parent = udev_device_get_parent(dev.get()); // owned by dev
        if (!node || !sysName || !parent || IsUnprobedUart(sysName, udev_device_get_sysattr_value(dev.get(), "type")))
            continue;
        TtyDescription d;
        d.device = node;
        d.vendor = FirstOf(dev.get(), "ID_VENDOR_FROM_DATABASE", "ID_VENDOR");
        d.model = FirstOf(dev.get(), "ID_MODEL_FROM_DATABASE", "ID_MODEL");
        d.location = Property(dev.get(), "ID_PATH");
        d.driver = Property(dev.get(), "ID_USB_DRIVER");
        if (d.driver.empty() && udev_device_get_driver(parent))
            d.driver = udev_device_get_driver(parent);
        d.instanceId = udev_device_get_syspath(dev.get());
        result.push_back(std::move(d));
    }
    return result;
}

} // namespace platform
