#include "serial/pelmenumserial.h"

#include <QCollator>
#include <QLocale>
#include <QString>

#include <algorithm>
#include <cctype>
#include <charconv>

namespace PelmComm {

namespace {

QString Q(const std::string &s)
{
    return QString::fromStdString(s);
}

} // namespace

TPelmSerialPortList::TPelmSerialPortList(std::unique_ptr<TSerialPortSource> source)
    : FSource(std::move(source))
{
}

void TPelmSerialPortList::EnumPortsW()
{
    FList.clear();
    _FromSysfs();
    _FromUdev();
    _FromLinks();
    std::sort(FList.begin(), FList.end(), [](const auto &a, const auto &b) { return _SortCompare(*a, *b) < 0; });
}

void TPelmSerialPortList::_FromSysfs()
{
    for (const std::string &device : FSource->Devices()) {
        auto info = std::make_unique<TPelmSerialPortInfo>();
        info->PortName = TCommSerialPortInfo::PortNameOfDevice(device);
        FList.push_back(std::move(info));
    }
}

void TPelmSerialPortList::_FromUdev()
{
    for (const platform::TtyDescription &d : FSource->Descriptions()) {
        const std::string name = TCommSerialPortInfo::PortNameOfDevice(d.device);
        TPelmSerialPortInfo *info = PortByName(name);
        if (!info) {
            FList.push_back(std::make_unique<TPelmSerialPortInfo>());
            info = FList.back().get();
            info->PortName = name;
        }
        std::string title = d.vendor;
        if (!d.model.empty())
            title += (title.empty() ? "" : " ") + d.model;
        if (!title.empty())
            info->FriendlyName = title + " (" + info->PortName + ")";
        if (!d.model.empty())
            info->DeviceDescription = d.model;
        if (!d.instanceId.empty())
            info->InstanceId = d.instanceId;
        if (!d.driver.empty())
            info->Driver = d.driver;
        if (!d.location.empty())
            info->LocationInformation = d.location;
    }
}

// The link's name tells maker, model and serial number, which tell one adapter from another of
// the same kind better than the description does.
void TPelmSerialPortList::_FromLinks()
{
    for (const platform::SerialLink &link : FSource->Links()) {
        TPelmSerialPortInfo *info = PortByName(TCommSerialPortInfo::PortNameOfDevice(link.target));
        if (!info || !info->PersistentId.empty())
            continue;
        info->PersistentId = link.name;
        info->FriendlyName = link.name + " (" + info->PortName + ")";
    }
}

TPelmSerialPortInfo *TPelmSerialPortList::PortByName(const std::string &name) const
{
    const QString wanted = Q(name);
    for (const auto &info : FList)
        if (Q(info->PortName).compare(wanted, Qt::CaseInsensitive) == 0)
            return info.get();
    return nullptr;
}

int TPelmSerialPortList::_SortCompare(const TPelmSerialPortInfo &a, const TPelmSerialPortInfo &b)
{
    const int32_t na = TCommSerialPortInfo::PortNo(a.PortName);
    const int32_t nb = TCommSerialPortInfo::PortNo(b.PortName);
    if (na > 0 && nb > 0)
        return na < nb ? -1 : na > nb ? 1 : 0;
    if (na != nb)
        return nb < na ? -1 : 1; // the one with a number first
    QCollator collator{QLocale::system()};
    collator.setCaseSensitivity(Qt::CaseSensitive);
    return collator.compare(Q(a.PortName), Q(b.PortName));
}

TCommSerialPortInfo::TCommSerialPortInfo(std::unique_ptr<TSerialPortSource> source)
    : PortList(std::move(source))
{
    PortList.EnumPortsW();
}

int32_t TCommSerialPortInfo::PortNo(const std::string &name)
{
    if (name.size() < 3)
        return 0;
    for (size_t i = 0; i < 3; ++i)
        if (std::toupper(static_cast<unsigned char>(name[i])) != "COM"[i])
            return 0;
    const char *p = name.data() + 3;
    const char *end = name.data() + name.size();
    while (p != end && (*p == ' ' || *p == '\t'))
        ++p;
    if (p != end && *p == '+')
        ++p; // from_chars takes a minus sign but no plus sign
    int32_t value = 0;
    const auto [rest, ec] = std::from_chars(p, end, value);
    if (ec != std::errc() || rest != end || value < 0)
        return 0;
    return value;
}

std::string TCommSerialPortInfo::PortName(int32_t number)
{
    return number > 0 ? "COM" + std::to_string(number) : std::string();
}

std::string TCommSerialPortInfo::DevicePath(const std::string &name)
{
    const int32_t n = PortNo(name);
    if (n > 0)
        return "/dev/ttyS" + std::to_string(n - 1);
    if (!name.empty() && name.front() == '/')
        return name;
    return "/dev/" + name;
}

std::string TCommSerialPortInfo::PortNameOfDevice(const std::string &path)
{
    constexpr std::string_view prefix = "/dev/ttyS";
    if (path.size() > prefix.size() && path.compare(0, prefix.size(), prefix) == 0) {
        int32_t k = -1;
        const char *begin = path.data() + prefix.size();
        const auto [rest, ec] = std::from_chars(begin, path.data() + path.size(), k);
        // Only the digits that COM<k+1> opens again: /dev/ttyS01 is not /dev/ttyS1.
        const bool canonical = *begin != '0' || path.size() == prefix.size() + 1;
        if (ec == std::errc() && rest == path.data() + path.size() && k >= 0 && *begin != '-' && canonical && k < INT32_MAX)
            return PortName(k + 1);
    }
    return path;
}

} // namespace PelmComm
