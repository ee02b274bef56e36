#pragma once
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <time.h>

namespace testing_serial {

// A pseudo-terminal pair: the far end (master) is driven by the test, the port end is opened by path
// like a serial device. The port end starts in raw mode, so nothing is echoed before a port opens it.
class PtyPair {
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;

    const std::string &PortPath() const { return portPath_; }
    // A descriptor of the port end owned by the pair (for attaching a port by descriptor).
    int PortFd() const { return port_; }
    int FarFd() const { return far_; }

    // Writes everything to the far end, waiting while the pty is full.
    void FarWrite(const void *data, size_t length);
    void FarWrite(const std::string &text) { FarWrite(text.data(), text.size()); }
    // Reads from the far end until n bytes arrived or the timeout passed.
    std::vector<uint8_t> FarRead(size_t n, std::chrono::milliseconds timeout = std::chrono::seconds(20));
    // Hangs up: closes the far end.
    void CloseFar();

private:
    int far_ = -1;
    int port_ = -1;
    std::string portPath_;
};

// Waits until pred() holds, up to a generous limit; returns pred().
template <typename Pred>
bool WaitFor(Pred pred, std::chrono::milliseconds limit = std::chrono::seconds(20))
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end)
            return pred();
        struct timespec ts{0, 1000000};
        nanosleep(&ts, nullptr);
    }
    return true;
}

} // namespace testing_serial
