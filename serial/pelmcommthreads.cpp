#include "serial/pelmcomm.h"

#include "platform/sys/serialport.h"
#include "serial/pelmcommworkers.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace PelmComm {

namespace {

using Clock = std::chrono::steady_clock;

// How often the reader looks at the modem lines and the error counters: the tty layer reports
// neither through poll().
constexpr int kLineCheckMs = 20;
// While output drains, the reader checks the driver's output queue after 1 ms, backing off to
// this while the line does not move (flow control, a peer that does not read).
constexpr int kMaxDrainCheckMs = 64;

uint32_t ModemStatusBits(const platform::ModemLines &l)
{
    return (l.cts ? TPelmComm::MS_CTS_ON : 0) | (l.dsr ? TPelmComm::MS_DSR_ON : 0) |
           (l.ring ? TPelmComm::MS_RING_ON : 0) | (l.dcd ? TPelmComm::MS_RLSD_ON : 0);
}

void Pause1ms()
{
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

} // namespace

// The writer reports drained output itself: waking the reader for it put a second thread hop, and
// a second thread competing for the processors, on the path of every short frame. It leaves the
// report to the reader while the reader is reporting (it never waits for the owner's handler) and
// while the handshake holds output back, which the reader watches.
bool TPelmComm::_ReportDrained(TPelmComm *comm, TWorkers &w)
{
    const bool ctsAllows =
        (comm->FModemStatus.load(std::memory_order_relaxed) & MS_CTS_ON) || !w.ctsFlow || w.attached;
    if (!ctsAllows)
        return false;
    std::unique_lock lock(w.notifying, std::try_to_lock);
    if (!lock.owns_lock())
        return false;
    comm->CommNotify(EV_TXEMPTY);
    return true;
}

void TPelmComm::_ReadThread(TPelmComm *comm, std::shared_ptr<TWorkers> w)
{
    platform::RaiseCurrentThreadPriority();
    const int fd = w->fd;
    const int32_t mask = w->eventMask;
    const bool watchRxFlag = mask & EV_RXFLAG;
    TCommQueue &queue = comm->FInQueue;
    uint8_t buf[ReadChunk];

    platform::ModemLines lines;
    const bool watchModem = (mask & (EV_CTS | EV_DSR | EV_RLSD | EV_RING)) && platform::GetModemLines(fd, lines);
    uint32_t modem = watchModem ? ModemStatusBits(lines) : 0;
    uint64_t lineErrors = 0;
    const bool watchErrors = platform::LineErrorCount(fd, lineErrors);
    Clock::time_point nextLineCheck = Clock::now() + std::chrono::milliseconds(kLineCheckMs);

    // Rounds count from 0 for each session; the writer may have finished one before we got here.
    uint32_t drainedRound = 0;
    int drainCheckMs = 1;
    bool lost = false;
    bool lostReported = false;
    bool fullReported = false;

    while (w->readRun.load(std::memory_order_acquire)) {
        // A full receive queue leaves the bytes in the driver: the port is not watched until Read
        // makes room and wakes us.
        bool full = queue.fGetRemain() == 0;
        if (full) {
            comm->FRxStarved.exchange(true, std::memory_order_acq_rel);
            full = queue.fGetRemain() == 0;
        }
        if (!full) {
            comm->FRxStarved.store(false, std::memory_order_relaxed);
            fullReported = false;
        }

        const bool draining = !lost && w->txRounds.load(std::memory_order_acquire) != drainedRound;
        int timeout = -1;
        if (!lost && (watchModem || watchErrors)) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(nextLineCheck - Clock::now());
            timeout = static_cast<int>(std::max<int64_t>(0, left.count()));
        }
        if (draining)
            timeout = timeout < 0 ? drainCheckMs : std::min(timeout, drainCheckMs);

        platform::PollEntry e[3];
        e[0].fd = w->readStop.fd();
        e[0].wantIn = true;
        e[1].fd = comm->FRxWake.fd();
        e[1].wantIn = true;
        e[2].fd = lost || full ? -1 : fd; // a vanished device is not watched: it would wake us forever
        e[2].wantIn = true;
        const int rc = platform::Poll(e, 3, timeout);
        if (e[0].readable || !w->readRun.load(std::memory_order_acquire))
            break;
        if (rc < 0) {
            Pause1ms();
            continue;
        }
        if (e[1].readable)
            comm->FRxWake.Reset();

        int32_t events = 0;
        const bool portWoke = e[2].readable || e[2].hangup || e[2].error;
        if (portWoke) {
            // Chunks of at most what the queue can take, until the driver has no more.
            for (int32_t room; (room = queue.fGetRemain()) > 0;) {
                const size_t want = static_cast<size_t>(std::min<int32_t>(room, ReadChunk));
                const platform::IoResult r = platform::ReadSome(fd, buf, want);
                if (r.status != platform::IoStatus::Ok) {
                    if (r.status == platform::IoStatus::Gone)
                        lost = true;
                    break;
                }
                queue.In(buf, static_cast<int32_t>(r.count));
                if (watchRxFlag && std::memchr(buf, w->evtChar, r.count))
                    events |= EV_RXFLAG;
                events |= EV_RXCHAR;
                if (r.count < want)
                    break;
            }
            if ((e[2].hangup || e[2].error) && !(events & EV_RXCHAR))
                lost = true;
            if (!fullReported && queue.fGetRemain() == 0) {
                fullReported = true;
                events |= EV_RX80FULL;
            }
        }
        if (w->writerLostPort.load(std::memory_order_acquire))
            lost = true;
        if (lost && !lostReported) {
            lostReported = true;
            comm->FPortLost.store(true, std::memory_order_release);
            events |= EV_ERR;
        }

        if (!lost && (watchModem || watchErrors) && Clock::now() >= nextLineCheck) {
            nextLineCheck = Clock::now() + std::chrono::milliseconds(kLineCheckMs);
            if (watchModem && platform::GetModemLines(fd, lines)) {
                const uint32_t now = ModemStatusBits(lines);
                const uint32_t changed = now ^ modem;
                modem = now;
                comm->FModemStatus.store(now, std::memory_order_relaxed);
                if (changed & MS_CTS_ON)
                    events |= EV_CTS;
                if (changed & MS_DSR_ON)
                    events |= EV_DSR;
                if (changed & MS_RLSD_ON)
                    events |= EV_RLSD;
                if (changed & MS_RING_ON)
                    events |= EV_RING;
                // Output held back by the handshake may go on now.
                if ((changed & MS_CTS_ON) && (now & MS_CTS_ON) && !w->attached && w->ctsFlow)
                    events |= EV_TXEMPTY;
            }
            uint64_t count = 0;
            if (watchErrors && platform::LineErrorCount(fd, count) && count != lineErrors) {
                lineErrors = count;
                events |= EV_ERR;
            }
        }

        // The writer asked the driver itself when it ran out of bytes; only output still on its way
        // is watched here, backing off while the line does not move.
        if (w->txDrained.exchange(false, std::memory_order_acq_rel))
            events |= EV_TXEMPTY;
        if (!lost && w->txRounds.load(std::memory_order_acquire) != drainedRound) {
            const uint32_t round = w->txRounds.load(std::memory_order_acquire);
            if (platform::OutputPending(fd) <= 0) {
                drainedRound = round;
                drainCheckMs = 1;
                events |= EV_TXEMPTY;
            } else {
                drainCheckMs = std::min(drainCheckMs * 2, kMaxDrainCheckMs);
            }
        }

        if ((events & EV_TXEMPTY) &&
            ((comm->FModemStatus.load(std::memory_order_relaxed) & MS_CTS_ON) || !w->ctsFlow || w->attached)) {
            // The writer keeps going by itself while there are bytes; it needs a nudge only when it
            // sleeps with bytes waiting (output held back by the handshake).
            if (comm->FOutQueue.fGetCount() != 0) {
                events &= ~EV_TXEMPTY;
                comm->_WakeWriter();
            }
        }

        const bool received = events & EV_RXCHAR;
        events &= mask;
        if ((events & EV_RXCHAR) && comm->FRxReported.exchange(true, std::memory_order_acq_rel))
            events &= ~EV_RXCHAR;
        if (events) {
            const std::lock_guard lock(w->notifying);
            comm->CommNotify(events);
        } else if (portWoke && !lost && !received)
            Pause1ms(); // woken by the port with nothing to show: do not spin
    }
    w->readDone.store(true, std::memory_order_release);
}

void TPelmComm::_WriteThread(TPelmComm *comm, std::shared_ptr<TWorkers> w)
{
    // Ahead of normal threads like the reader: a Write then waits for one wake-up only, not for a
    // busy machine to give the writer its turn.
    platform::RaiseCurrentThreadPriority();
    const int fd = w->fd;
    uint8_t chunk[WriteChunk];
    int length = 0;
    int position = 0;
    bool lost = false;

    while (w->writeRun.load(std::memory_order_acquire)) {
        if (position >= length) {
            // Sleep only with the queue empty (bytes written while the port was closed go out at
            // once); Write signals the event only while FTxIdle is set.
            comm->FTxIdle.exchange(true, std::memory_order_acq_rel);
            if (lost || comm->FOutQueue.fGetCount() == 0) {
                platform::PollEntry e[2];
                e[0].fd = w->writeStop.fd();
                e[0].wantIn = true;
                e[1].fd = lost ? -1 : comm->FTxData.fd(); // nothing more to send to a vanished device
                e[1].wantIn = true;
                if (platform::Poll(e, 2, -1) < 0) {
                    Pause1ms();
                    continue;
                }
                if (e[0].readable || !w->writeRun.load(std::memory_order_acquire))
                    break;
                if (e[1].readable)
                    comm->FTxData.Reset();
            }
            comm->FTxIdle.store(false, std::memory_order_relaxed);
        }

        // Hand the queue to the driver in chunks for as long as it takes them.
        bool moved = false;
        bool stop = false;
        while (!lost && !stop) {
            if (position >= length) {
                length = comm->FOutQueue.Out(chunk, WriteChunk);
                position = 0;
                if (length == 0)
                    break;
            }
            const platform::IoResult r = platform::WriteSome(fd, chunk + position, static_cast<size_t>(length - position));
            if (r.status == platform::IoStatus::Ok) {
                position += static_cast<int>(r.count);
                moved = true;
            } else if (r.status == platform::IoStatus::WouldBlock) {
                platform::PollEntry p[2];
                p[0].fd = w->writeStop.fd();
                p[0].wantIn = true;
                p[1].fd = fd;
                p[1].wantOut = true;
                if (platform::Poll(p, 2, -1) < 0)
                    Pause1ms();
                stop = p[0].readable || !w->writeRun.load(std::memory_order_acquire);
                if (!p[1].writable && (p[1].hangup || p[1].error))
                    lost = true;
            } else if (r.status == platform::IoStatus::Gone) {
                lost = true;
            } else {
                Pause1ms(); // the rest of the chunk is offered again on the next round
                break;
            }
        }
        // Out of bytes: the driver tells at once whether its output has drained too. That is
        // reported once per emptied queue, not once per chunk; output still on its way is left to
        // the reader to watch.
        if (moved && !lost && position >= length && comm->FOutQueue.fGetCount() == 0) {
            if (platform::OutputPending(fd) > 0) {
                w->txRounds.fetch_add(1, std::memory_order_release);
                comm->FRxWake.Signal();
            } else if (!_ReportDrained(comm, *w)) {
                w->txDrained.store(true, std::memory_order_release);
                comm->FRxWake.Signal();
            }
        }
        if (lost) {
            length = position = 0;
            w->writerLostPort.store(true, std::memory_order_release);
            comm->FRxWake.Signal();
        }
        if (stop)
            break;
    }
    w->writeDone.store(true, std::memory_order_release);
}

} // namespace PelmComm
