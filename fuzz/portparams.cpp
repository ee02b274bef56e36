// Any text as the one-string line settings and as a port name: the settings a text gives read back
// as the same text and the same settings, and the port names map to device paths and back.
#include "fuzz/check.h"
#include "serial/pelmenumserial.h"
#include "serial/zvcommdevice.h"

#include <cstddef>
#include <cstdint>
#include <string>

using PelmComm::TCommSerialPortInfo;
using PelmComm::TZvCommDevice;

namespace {

void checkName(TZvCommDevice &device, const std::string &name)
{
    const int32_t n = TCommSerialPortInfo::PortNo(name);
    FUZZ_CHECK(n >= 0);
    if (n > 0) {
        const std::string com = TCommSerialPortInfo::PortName(n);
        FUZZ_CHECK(com == "COM" + std::to_string(n));
        FUZZ_CHECK(TCommSerialPortInfo::PortNo(com) == n);
        FUZZ_CHECK(TCommSerialPortInfo::DevicePath(name) == "/dev/ttyS" + std::to_string(n - 1));
        FUZZ_CHECK(TCommSerialPortInfo::PortNameOfDevice(TCommSerialPortInfo::DevicePath(name)) == com);
    } else if (!name.empty() && name.front() == '/') {
        FUZZ_CHECK(TCommSerialPortInfo::DevicePath(name) == name);
    }
    // A device that gets a COM name is the very device that name opens.
    const std::string named = TCommSerialPortInfo::PortNameOfDevice(name);
    if (named != name)
        FUZZ_CHECK(TCommSerialPortInfo::PortNo(named) > 0 && TCommSerialPortInfo::DevicePath(named) == name);

    if (!name.empty()) {
        device.SetPortName(name);
        FUZZ_CHECK(device.PortNo() == n);
        FUZZ_CHECK(device.PortName() == (n > 0 ? TCommSerialPortInfo::PortName(n) : name));
    }
}

void checkParams(TZvCommDevice &device, TZvCommDevice &again, const std::string &text)
{
    device.SetPortParams(text);
    const std::string composed = device.PortParams();
    FUZZ_CHECK(composed.compare(0, device.PortName().size() + 1, device.PortName() + ",") == 0);
    // The one name that cannot read back: one that begins with a COM name and a comma, which only
    // SetPortName gives; the COM name's classic rule wins there.
    const std::string name = device.PortName();
    if (name.find(',') != std::string::npos && TCommSerialPortInfo::PortNo(name.substr(0, name.find(','))) > 0)
        return;
    again.SetPortParams(composed);
    FUZZ_CHECK(again.PortParams() == composed);
    FUZZ_CHECK(again.PortName() == device.PortName());
    FUZZ_CHECK(again.PortNo() == device.PortNo());
    FUZZ_CHECK(again.BaudRate() == device.BaudRate());
    FUZZ_CHECK(again.Parity() == device.Parity());
    FUZZ_CHECK(again.ByteSize() == device.ByteSize());
    FUZZ_CHECK(again.StopBits() == device.StopBits());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static TZvCommDevice device;
    static TZvCommDevice again;
    const std::string text(reinterpret_cast<const char *>(data), size);
    checkName(device, text);
    checkParams(device, again, text);
    return 0;
}
