#pragma once
// Where serial device nodes and their stable names live. A USB adapter keeps its link in the by-id
// folder (maker, model and serial number) whichever ttyUSB node it gets at each plugging.
// IRTOOL_DEV_DIR and IRTOOL_SERIAL_BY_ID_DIR move both folders (tests put temporary ones there).
#include <string>
#include <vector>

namespace platform {

std::string DeviceDir();     // "/dev" unless moved
std::string SerialByIdDir(); // "/dev/serial/by-id" unless moved

// One link of the by-id folder: its file name and the device node it leads to.
struct SerialLink {
    std::string name;   // usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0
    std::string target; // the node with every link resolved, such as /dev/ttyUSB0
};

// The links whose device exists, sorted by name; an absent or unreadable folder gives none.
std::vector<SerialLink> ListSerialLinks(const std::string &dir = SerialByIdDir());

// The path with every link resolved; empty when nothing is there.
std::string ResolvedPath(const std::string &path);

} // namespace platform
