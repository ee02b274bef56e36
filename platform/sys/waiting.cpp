#include "platform/sys/waiting.h"

#include <cerrno>
#include <cstdint>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace platform {

bool EventFd::Create()
{
    fd_.reset(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    return fd_.valid();
}

void EventFd::Signal()
{
    const uint64_t one = 1;
    while (::write(fd_.get(), &one, sizeof one) < 0 && errno == EINTR) {
    }
}

void EventFd::Reset()
{
    uint64_t value;
    while (::read(fd_.get(), &value, sizeof value) < 0 && errno == EINTR) {
    }
}

int Poll(PollEntry *entries, size_t count, int timeoutMs)
{
    constexpr size_t kMax = 8;
    if (count > kMax)
        return -1;
    pollfd fds[kMax];
    for (size_t i = 0; i < count; ++i)
        fds[i] = pollfd{entries[i].fd, static_cast<short>((entries[i].wantIn ? POLLIN : 0) | (entries[i].wantOut ? POLLOUT : 0)), 0};
    int rc;
    do {
        rc = ::poll(fds, count, timeoutMs);
    } while (rc < 0 && errno == EINTR);
    for (size_t i = 0; i < count; ++i) {
        const short r = rc > 0 ? fds[i].revents : 0;
        entries[i].readable = r & POLLIN;
        entries[i].writable = r & POLLOUT;
        entries[i].hangup = r & POLLHUP;
        entries[i].error = r & (POLLERR | POLLNVAL);
    }
    return rc;
}

void RaiseCurrentThreadPriority()
{
    const auto tid = static_cast<id_t>(::syscall(SYS_gettid));
    errno = 0;
    const int nice = ::getpriority(PRIO_PROCESS, tid);
    if (errno == 0)
        ::setpriority(PRIO_PROCESS, tid, nice - 2); // refused without the right to raise priority
}

} // namespace platform
