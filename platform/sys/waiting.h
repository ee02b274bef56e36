#pragma once
#include "platform/sys/uniquefd.h"

#include <cstddef>

namespace platform {

// A manual-reset event that poll() can wait for.
class EventFd {
public:
    bool Create();
    bool valid() const { return fd_.valid(); }
    int fd() const { return fd_.get(); }
    void Signal();
    void Reset();

private:
    UniqueFd fd_;
};

struct PollEntry {
    int fd = -1;
    bool wantIn = false;
    bool wantOut = false;
    // results
    bool readable = false;
    bool writable = false;
    bool hangup = false; // the other end went away
    bool error = false;  // error on the descriptor, or the descriptor is not open
};

// Waits until one of the entries is ready or timeoutMs passed (-1: no limit). Returns the number of
// ready entries, 0 on timeout, -1 when the wait itself failed. Interrupted waits are resumed.
int Poll(PollEntry *entries, size_t count, int timeoutMs);

// Puts the calling thread ahead of normal threads where the system permits it: the lowest real-time
// round-robin level, else a slightly better nice value; does nothing otherwise. For threads that
// wake briefly and must not wait behind a busy machine.
void RaiseCurrentThreadPriority();

} // namespace platform
