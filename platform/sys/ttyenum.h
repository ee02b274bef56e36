#pragma once
#include <string>
#include <vector>

namespace platform {

// Device paths of the serial ports in a sysfs tty class folder: entries backed by a device, and a ttyS
// only when its UART was found ("type" not 0). Paths are devDir + "/" + name; an unreadable folder
// gives none.
std::vector<std::string> ListTtyPorts(const std::string &classDir = "/sys/class/tty",
                                      const std::string &devDir = "/dev");

// What udev knows about a serial port; fields it does not know stay empty.
struct TtyDescription {
    std::string device;     // device node, such as /dev/ttyUSB0
    std::string vendor;     // "FTDI", "QinHeng Electronics"
    std::string model;      // "FT232 Serial (UART) IC"
    std::string location;   // persistent path, such as pci-0000:00:14.0-usb-0:2:1.0
    std::string driver;     // ftdi_sio, ch341, serial
    std::string instanceId; // the device's sysfs path
};

// The serial ports udev lists (virtual terminals and UARTs not found left out); empty without udev.
std::vector<TtyDescription> DescribeTtyPorts();

} // namespace platform
