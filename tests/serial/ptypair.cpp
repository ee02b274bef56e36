#include "serial/ptypair.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

namespace testing_serial {

PtyPair::PtyPair()
{
    termios raw{};
    cfmakeraw(&raw);
    char name[PATH_MAX] = {};
    if (openpty(&far_, &port_, name, &raw, nullptr) != 0)
        throw std::runtime_error("openpty failed");
    portPath_ = name;
    fcntl(far_, F_SETFL, fcntl(far_, F_GETFL) | O_NONBLOCK);
}

PtyPair::~PtyPair()
{
    CloseFar();
    if (port_ >= 0)
        close(port_);
}

void PtyPair::CloseFar()
{
    if (far_ >= 0)
        close(far_);
    far_ = -1;
}

void PtyPair::FarWrite(const void *data, size_t length)
{
    const auto *p = static_cast<const uint8_t *>(data);
    while (length > 0) {
        const ssize_t n = write(far_, p, length);
        if (n > 0) {
            p += n;
            length -= static_cast<size_t>(n);
        } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
            throw std::runtime_error("pty write failed");
        } else {
            pollfd pfd{far_, POLLOUT, 0};
            poll(&pfd, 1, 100);
        }
    }
}

std::vector<uint8_t> PtyPair::FarRead(size_t n, std::chrono::milliseconds timeout)
{
    std::vector<uint8_t> out;
    const auto end = std::chrono::steady_clock::now() + timeout;
    uint8_t buf[4096];
    while (out.size() < n && std::chrono::steady_clock::now() < end) {
        pollfd pfd{far_, POLLIN, 0};
        if (poll(&pfd, 1, 50) <= 0)
            continue;
        const ssize_t k = read(far_, buf, std::min(sizeof buf, n - out.size()));
        if (k > 0)
            out.insert(out.end(), buf, buf + k);
    }
    return out;
}

} // namespace testing_serial
