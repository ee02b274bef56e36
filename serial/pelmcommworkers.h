#pragma once
#include "serial/pelmcomm.h"

#include <mutex>
#include <thread>

namespace PelmComm {

// What the reader and writer threads of one open session share. Each thread holds it too, so a thread
// that outlives Close's wait never touches a closed event descriptor.
struct TPelmComm::TWorkers {
    int fd = -1;
    bool attached = false;
    bool ctsFlow = false;
    int32_t eventMask = EventMaskAll;
    uint8_t evtChar = 0;

    platform::EventFd readStop;
    platform::EventFd writeStop;

    std::atomic<bool> readRun{false};
    std::atomic<bool> writeRun{false};
    std::atomic<bool> readDone{false};
    std::atomic<bool> writeDone{false};
    // The writer emptied the transmit queue: either the driver said its output had drained as well
    // (reported by the writer itself, or through txDrained by the reader while the reader was
    // reporting) or the reader is to watch the driver drain (txRounds).
    std::atomic<bool> txDrained{false};
    std::atomic<uint32_t> txRounds{0};
    std::atomic<bool> writerLostPort{false};
    // Held while a thread reports to the owner: the owner never gets two reports at once.
    std::mutex notifying;

    std::thread reader;
    std::thread writer;
};

} // namespace PelmComm
