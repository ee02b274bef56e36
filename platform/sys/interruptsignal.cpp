#include "platform/sys/interruptsignal.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {

int writeEnd = -1;

void onSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    // Only async-signal-safe calls here; a full pipe already holds a request.
    [[maybe_unused]] const ssize_t n = ::write(writeEnd, &byte, 1);
    errno = saved;
}

} // namespace

int InterruptDescriptor()
{
    static const int readEnd = [] {
        int fds[2];
        if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0)
            return -1;
        writeEnd = fds[1];
        struct sigaction action {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(SIGINT, &action, nullptr);
        ::sigaction(SIGTERM, &action, nullptr);
        return fds[0];
    }();
    return readEnd;
}

void DrainInterrupts(int descriptor)
{
    char buffer[64];
    while (::read(descriptor, buffer, sizeof buffer) > 0) {
    }
}

} // namespace platform
