#pragma once
#include "platform/sys/serialpaths.h"
#include "platform/sys/ttyenum.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace PelmComm {

class TPelmSerialPortInfo {
public:
    TPelmSerialPortInfo() = default;
    TPelmSerialPortInfo(const TPelmSerialPortInfo &other) = default;
    TPelmSerialPortInfo &operator=(const TPelmSerialPortInfo &other) = default;
    virtual ~TPelmSerialPortInfo() = default;
    void Assign(const TPelmSerialPortInfo &other) { *this = other; }

    std::string PortName;
    std::string ClassGuid;
    std::string ClassDescription;
    std::string InstanceId;
    std::string DeviceDescription;
    std::string FriendlyName;
    std::string LocationInformation;
    std::string Driver;
    std::string PersistentId; // the by-id link name of a USB adapter, which stays across pluggings
};

// Where the port list comes from: the ports that exist, then descriptions and stable names to
// complete them.
class TSerialPortSource {
public:
    virtual ~TSerialPortSource() = default;
    virtual std::vector<std::string> Devices() = 0;
    virtual std::vector<platform::TtyDescription> Descriptions() = 0;
    virtual std::vector<platform::SerialLink> Links() { return {}; }
};

// The machine's ports: sysfs for the ports, udev for their descriptions, the by-id folder for their
// stable names.
class TSystemSerialPortSource : public TSerialPortSource {
public:
    std::vector<std::string> Devices() override { return platform::ListTtyPorts(); }
    std::vector<platform::TtyDescription> Descriptions() override { return platform::DescribeTtyPorts(); }
    std::vector<platform::SerialLink> Links() override { return platform::ListSerialLinks(); }
};

class TPelmSerialPortList {
public:
    explicit TPelmSerialPortList(std::unique_ptr<TSerialPortSource> source = std::make_unique<TSystemSerialPortSource>());
    virtual ~TPelmSerialPortList() = default;
    TPelmSerialPortList(const TPelmSerialPortList &) = delete;
    TPelmSerialPortList &operator=(const TPelmSerialPortList &) = delete;

    virtual void EnumPortsW();

    int _FGetSPCount() const { return static_cast<int>(FList.size()); }
    TPelmSerialPortInfo *_FGetSPInfo(int index) const { return FList.at(static_cast<size_t>(index)).get(); }
    std::string _FGetPortName(int index) const { return _FGetSPInfo(index)->PortName; }
    int SPCount() const { return _FGetSPCount(); }
    TPelmSerialPortInfo *SPInfo(int index) const { return _FGetSPInfo(index); }
    std::string PortName(int index) const { return _FGetPortName(index); }

    // The first entry with this name, compared without regard to case; null when there is none.
    TPelmSerialPortInfo *PortByName(const std::string &name) const;

    static int _SortCompare(const TPelmSerialPortInfo &a, const TPelmSerialPortInfo &b);

protected:
    void _FromSysfs();
    void _FromUdev();
    void _FromLinks();

private:
    std::unique_ptr<TSerialPortSource> FSource;
    std::vector<std::unique_ptr<TPelmSerialPortInfo>> FList;
};

class TCommSerialPortInfo {
public:
    explicit TCommSerialPortInfo(std::unique_ptr<TSerialPortSource> source = std::make_unique<TSystemSerialPortSource>());
    virtual ~TCommSerialPortInfo() = default;

    void Refresh() { PortList.EnumPortsW(); }

    // "COM" (any case) and a decimal number above 0 give that number; every other name gives 0.
    static int32_t PortNo(const std::string &name);
    // "COM<n>" for n > 0, else empty.
    static std::string PortName(int32_t number);
    // The device a port name stands for: COM<n> is /dev/ttyS<n-1>, an absolute path is itself, any
    // other name is taken under /dev.
    static std::string DevicePath(const std::string &name);
    // The port name of a device path: /dev/ttyS<k> is COM<k+1>, every other device is named by its path.
    static std::string PortNameOfDevice(const std::string &path);

    TPelmSerialPortList PortList;
};

} // namespace PelmComm
