#pragma once
#include "platform/sys/uniquefd.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// Line settings in the terms of the serial library; values out of range fall back to 8 data bits,
// no parity and one stop bit.
struct LineSettings {
    uint32_t baud = 115200;
    uint8_t dataBits = 8;
    uint8_t parity = 0;   // 0 none, 1 odd, 2 even, 3 mark, 4 space
    uint8_t stopBits = 0; // 0 one, 1 one and a half, 2 two
    bool rtsCtsFlow = false;
    bool xonXoffOut = false;
    bool xonXoffIn = false;
    uint8_t xonChar = 0x11;
    uint8_t xoffChar = 0x13;
};

// The port's own settings, kept opaque, for reading and writing back unchanged.
struct RawLineSettings {
    alignas(8) std::array<unsigned char, 64> data{};
};

// A port opened by this process for its exclusive use. Dropping it restores the settings found at
// opening, ends the exclusive use and closes the descriptor.
class SerialDevice {
public:
    // Opens path for reading and writing without becoming its controlling terminal and takes exclusive
    // use; null when the path cannot be opened, is no terminal or is in use elsewhere. error, when
    // given, receives why: the system's error number (EBUSY when another program holds the port).
    static std::unique_ptr<SerialDevice> Open(const std::string &path, int *error = nullptr);
    ~SerialDevice();
    SerialDevice(const SerialDevice &) = delete;
    SerialDevice &operator=(const SerialDevice &) = delete;
    int fd() const { return fd_.get(); }

private:
    SerialDevice() = default;
    UniqueFd fd_;
    RawLineSettings saved_;
    bool haveSaved_ = false;
};

bool IsTerminal(int fd);
bool ReadLineSettings(int fd, RawLineSettings &settings);
bool WriteLineSettings(int fd, const RawLineSettings &settings);
// The terminal flags raw mode with these settings uses (the kernel's c_cflag and c_iflag bits, speed
// left out).
struct TerminalFlags {
    uint32_t cflag = 0;
    uint32_t iflag = 0;
};
TerminalFlags LineFlags(const LineSettings &settings);
// Raw mode with the given line settings, any baud rate.
bool ApplyLineSettings(int fd, const LineSettings &settings);

enum class IoStatus { Ok, WouldBlock, Gone, Failed };
struct IoResult {
    IoStatus status;
    size_t count;
};
// Non-blocking transfers. Gone: the device went away (hang-up, unplugged adapter).
IoResult ReadSome(int fd, void *buffer, size_t length);
IoResult WriteSome(int fd, const void *data, size_t length);

// Bytes the driver holds for reading, and bytes it has yet to send; -1 when it cannot tell.
int BytesWaiting(int fd);
int OutputPending(int fd);

struct ModemLines {
    bool cts = false, dsr = false, ring = false, dcd = false;
};
bool GetModemLines(int fd, ModemLines &lines);
enum class OutputLine { Dtr, Rts };
bool SetOutputLine(int fd, OutputLine line, bool on);
bool SetBreak(int fd, bool on);
// Stops or resumes output as if XOFF or XON had been received.
bool SuspendOutput(int fd, bool suspend);
bool Discard(int fd, bool input, bool output);
// Sum of the line errors the driver counted (framing, parity, overrun); false where it does not count.
bool LineErrorCount(int fd, uint64_t &count);

} // namespace platform
