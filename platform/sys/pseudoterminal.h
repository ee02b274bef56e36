#pragma once
#include "platform/sys/uniquefd.h"

#include <memory>
#include <string>

namespace platform {

// A pseudo-terminal this process makes for another program to use as its serial port: that program
// opens the port end by its path, this process talks through the far end. The port end starts in raw
// mode at 115200 baud. The pair keeps a descriptor of the port end open for its whole life: without
// one, the far end reads a hang-up each time the other program closes its port, and the port's
// settings fall back to the system's defaults before the next opening.
class PseudoTerminal {
public:
    // Null when no pseudo-terminal could be made; error then says why.
    static std::unique_ptr<PseudoTerminal> Open(std::string &error);
    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;

    const std::string &portPath() const { return portPath_; }
    // Non-blocking; ReadSome and WriteSome (serialport.h) and Poll (waiting.h) take it.
    int farFd() const { return far_.get(); }

private:
    PseudoTerminal() = default;
    UniqueFd far_;
    UniqueFd port_;
    std::string portPath_;
};

} // namespace platform
