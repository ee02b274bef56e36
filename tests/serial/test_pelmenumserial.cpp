#include "serial/pelmenumserial.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using PelmComm::TCommSerialPortInfo;
using PelmComm::TPelmSerialPortInfo;
using PelmComm::TPelmSerialPortList;
using PelmComm::TSerialPortSource;
using platform::TtyDescription;

namespace {

TEST(PortNameRulesTest, PortNo)
{
    const std::pair<const char *, int32_t> cases[] = {
        {"COM3", 3}, {"com12", 12}, {"COM007", 7}, {"COM 7", 7}, {"COM+7", 7}, {"cOm1", 1},
        {"COM3x", 0}, {"COM", 0}, {"COM0", 0}, {"COM-2", 0}, {"CNCA0", 0}, {"", 0}, {"CO", 0},
        {"COM7 ", 0}, {"COM99999999999", 0}, {"/dev/ttyUSB0", 0}, {"XCOM3", 0},
    };
    for (const auto &[name, no] : cases)
        EXPECT_EQ(TCommSerialPortInfo::PortNo(name), no) << '"' << name << '"';
}

TEST(PortNameRulesTest, PortNameAndDevicePaths)
{
    EXPECT_EQ(TCommSerialPortInfo::PortName(1), "COM1");
    EXPECT_EQ(TCommSerialPortInfo::PortName(12), "COM12");
    EXPECT_EQ(TCommSerialPortInfo::PortName(0), "");
    EXPECT_EQ(TCommSerialPortInfo::PortName(-5), "");

    const std::pair<const char *, const char *> toDevice[] = {
        {"COM1", "/dev/ttyS0"}, {"com12", "/dev/ttyS11"}, {"/dev/ttyUSB0", "/dev/ttyUSB0"},
        {"/dev/pts/4", "/dev/pts/4"}, {"ttyACM0", "/dev/ttyACM0"},
    };
    for (const auto &[name, dev] : toDevice)
        EXPECT_EQ(TCommSerialPortInfo::DevicePath(name), dev) << name;

    const std::pair<const char *, const char *> toName[] = {
        {"/dev/ttyS0", "COM1"}, {"/dev/ttyS31", "COM32"}, {"/dev/ttyUSB0", "/dev/ttyUSB0"},
        {"/dev/ttyS", "/dev/ttyS"}, {"/dev/ttyS1a", "/dev/ttyS1a"}, {"/dev/ttyS-1", "/dev/ttyS-1"},
        {"/dev/ttyS01", "/dev/ttyS01"}, {"/dev/ttyS00", "/dev/ttyS00"}, {"/dev/ttyS+1", "/dev/ttyS+1"},
    };
    for (const auto &[dev, name] : toName)
        EXPECT_EQ(TCommSerialPortInfo::PortNameOfDevice(dev), name) << dev;
}

class FixtureSource : public TSerialPortSource {
public:
    FixtureSource(std::vector<std::string> devices, std::vector<TtyDescription> descriptions,
                  std::vector<platform::SerialLink> links = {})
        : FDevices(std::move(devices)), FDescriptions(std::move(descriptions)), FLinks(std::move(links))
    {
    }
    std::vector<std::string> Devices() override { return FDevices; }
    std::vector<TtyDescription> Descriptions() override { return FDescriptions; }
    std::vector<platform::SerialLink> Links() override { return FLinks; }

private:
    std::vector<std::string> FDevices;
    std::vector<TtyDescription> FDescriptions;
    std::vector<platform::SerialLink> FLinks;
};

std::vector<std::string> Names(const TPelmSerialPortList &list)
{
    std::vector<std::string> names;
    for (int i = 0; i < list.SPCount(); ++i)
        names.push_back(list.PortName(i));
    return names;
}

TEST(SerialPortListTest, NumberedPortsFirstInNumberOrder)
{
    TCommSerialPortInfo info(std::make_unique<FixtureSource>(
        std::vector<std::string>{"/dev/ttyS9", "CNCA0", "/dev/ttyS1", "/dev/ttyS8"}, std::vector<TtyDescription>{}));
    EXPECT_EQ(Names(info.PortList), (std::vector<std::string>{"COM2", "COM9", "COM10", "CNCA0"}));

    TPelmSerialPortInfo a, b;
    a.PortName = "COM10";
    b.PortName = "COM2";
    EXPECT_GT(TPelmSerialPortList::_SortCompare(a, b), 0);
    b.PortName = "CNCA0";
    EXPECT_LT(TPelmSerialPortList::_SortCompare(a, b), 0);
    a.PortName = "/dev/ttyUSB1";
    b.PortName = "/dev/ttyUSB0";
    EXPECT_GT(TPelmSerialPortList::_SortCompare(a, b), 0);
    EXPECT_EQ(TPelmSerialPortList::_SortCompare(a, a), 0);
}

TEST(SerialPortListTest, DescriptionsCompleteOrAddPorts)
{
    TtyDescription usb{"/dev/ttyUSB0", "FTDI", "FT232 Serial (UART) IC", "pci-0000:00:14.0-usb-0:2:1.0", "ftdi_sio",
                       "/sys/devices/pci0000:00/usb1/1-2/ttyUSB0"};
    TtyDescription uart{"/dev/ttyS0", "", "", "", "serial", "/sys/devices/pnp0/00:01/tty/ttyS0"};
    TtyDescription acm{"/dev/ttyACM0", "", "Pico", "", "cdc_acm", "/sys/devices/acm"};
    TCommSerialPortInfo info(std::make_unique<FixtureSource>(std::vector<std::string>{"/dev/ttyUSB0", "/dev/ttyS0"},
                                                             std::vector<TtyDescription>{usb, uart, acm}));
    auto &list = info.PortList;
    ASSERT_EQ(Names(list), (std::vector<std::string>{"COM1", "/dev/ttyACM0", "/dev/ttyUSB0"}));

    const TPelmSerialPortInfo *p = list.PortByName("/DEV/TTYusb0");
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->FriendlyName, "FTDI FT232 Serial (UART) IC (/dev/ttyUSB0)");
    EXPECT_EQ(p->DeviceDescription, "FT232 Serial (UART) IC");
    EXPECT_EQ(p->Driver, "ftdi_sio");
    EXPECT_EQ(p->LocationInformation, "pci-0000:00:14.0-usb-0:2:1.0");
    EXPECT_EQ(p->InstanceId, usb.instanceId);

    p = list.PortByName("com1");
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->FriendlyName, ""); // nothing readable known about a plain UART
    EXPECT_EQ(p->Driver, "serial");
    EXPECT_EQ(list.PortByName("/dev/ttyACM0")->FriendlyName, "Pico (/dev/ttyACM0)");
    EXPECT_EQ(list.PortByName("COM2"), nullptr);

    TPelmSerialPortInfo copy(*list.SPInfo(2));
    TPelmSerialPortInfo assigned;
    assigned.Assign(copy);
    EXPECT_EQ(assigned.FriendlyName, "FTDI FT232 Serial (UART) IC (/dev/ttyUSB0)");
    EXPECT_EQ(assigned.InstanceId, usb.instanceId);
}

// Two adapters of one kind told apart by their links; a second link to a node and a link to a port
// that is not listed change nothing.
TEST(SerialPortListTest, ByIdLinksNameAdaptersInTheirDescription)
{
    TtyDescription usb0{"/dev/ttyUSB0", "FTDI", "FT232R USB UART", "", "ftdi_sio", ""};
    TtyDescription usb1{"/dev/ttyUSB1", "FTDI", "FT232R USB UART", "", "ftdi_sio", ""};
    TCommSerialPortInfo info(std::make_unique<FixtureSource>(
        std::vector<std::string>{"/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyS0"}, std::vector<TtyDescription>{usb0, usb1},
        std::vector<platform::SerialLink>{{"usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0", "/dev/ttyUSB1"},
                                          {"usb-FTDI_FT232R_USB_UART_AB0KXY12-if00-port0", "/dev/ttyUSB0"},
                                          {"usb-FTDI_FT232R_USB_UART_AB0KXY12-zz-second", "/dev/ttyUSB0"},
                                          {"usb-Gone_Adapter_1-if00-port0", "/dev/ttyACM5"}}));
    const auto &list = info.PortList;
    ASSERT_EQ(Names(list), (std::vector<std::string>{"COM1", "/dev/ttyUSB0", "/dev/ttyUSB1"}));
    EXPECT_EQ(list.PortByName("/dev/ttyUSB0")->FriendlyName, "usb-FTDI_FT232R_USB_UART_AB0KXY12-if00-port0 (/dev/ttyUSB0)");
    EXPECT_EQ(list.PortByName("/dev/ttyUSB0")->PersistentId, "usb-FTDI_FT232R_USB_UART_AB0KXY12-if00-port0");
    EXPECT_EQ(list.PortByName("/dev/ttyUSB1")->PersistentId, "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
    EXPECT_EQ(list.PortByName("/dev/ttyUSB1")->DeviceDescription, "FT232R USB UART");
    EXPECT_EQ(list.PortByName("COM1")->PersistentId, "");
    EXPECT_EQ(list.PortByName("COM1")->FriendlyName, "");
}

TEST(SerialPortListTest, EmptyMachineGivesEmptyList)
{
    TCommSerialPortInfo info(std::make_unique<FixtureSource>(std::vector<std::string>{}, std::vector<TtyDescription>{}));
    EXPECT_EQ(info.PortList.SPCount(), 0);
    info.Refresh();
    EXPECT_EQ(info.PortList.SPCount(), 0);
}

TEST(SysfsTtyListTest, ListsDeviceBackedPortsAndFoundUartsOnly)
{
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / ("ttyclass-" + std::to_string(getpid()));
    fs::remove_all(root);
    auto make = [&](const char *name, bool device, const char *type) {
        fs::create_directories(root / name);
        if (device)
            fs::create_directories(root / name / "device");
        if (type)
            std::ofstream(root / name / "type") << type << "\n";
    };
    make("tty0", false, nullptr);     // virtual terminal
    make("ttyS0", true, "4");         // UART found
    make("ttyS1", true, "0");         // UART slot without hardware
    make("ttyUSB0", true, nullptr);
    make("console", false, nullptr);
    auto ports = platform::ListTtyPorts(root.string(), "/dev");
    std::sort(ports.begin(), ports.end());
    EXPECT_EQ(ports, (std::vector<std::string>{"/dev/ttyS0", "/dev/ttyUSB0"}));
    fs::remove_all(root);
    EXPECT_TRUE(platform::ListTtyPorts(root.string()).empty());
}

TEST(SerialPortListTest, SystemListHasOpenableNames)
{
    TCommSerialPortInfo info;
    for (int i = 0; i < info.PortList.SPCount(); ++i)
        EXPECT_FALSE(info.PortList.PortName(i).empty());
}

} // namespace
