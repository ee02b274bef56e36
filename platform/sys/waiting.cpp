#include "platform/sys/waiting.h"

#include <cerrno>
#include <cstdint>
#include <poll.h>
#include <sched.h>
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
    // The lowest real-time round-robin level is served before every normal thread, whatever the
    // load and the process groups the scheduler shares the processors among; children started by
    // the thread do not inherit it. Without the right to it, a slightly better nice value.
    sched_param param{};
    param.sched_priority = ::sched_get_priority_min(SCHED_RR);
    if (::sched_setscheduler(0, SCHED_RR | SCHED_RESET_ON_FORK, &param) == 0)
        return;
    const auto tid = static_cast<id_t>(::syscall(SYS_gettid));
    errno = 0;
    const int nice = ::getpriority(PRIO_PROCESS, tid);
    if (errno == 0)
        ::setpriority(PRIO_PROCESS, tid, nice - 2); // refused without the right to raise priority
}

} // namespace platform
