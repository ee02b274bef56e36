#include "serial/pelmcommpkg.h"

#include "platform/sys/waiting.h"
#include "serial/pelmcommscan.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace PelmComm {

namespace {

constexpr uint32_t kHeadSize = sizeof(uint32_t);
constexpr int32_t kReadChunk = TPelmComm::ReadChunk;

uint32_t LenOf(const uint8_t *record)
{
    uint32_t len;
    std::memcpy(&len, record, sizeof len);
    return len;
}

} // namespace

uint32_t TCommPackage::TRecord::Len() const
{
    uint32_t len;
    std::memcpy(&len, FBytes.data(), sizeof len);
    return len;
}

void TCommPackage::TRecord::SetLen(uint32_t len)
{
    std::memcpy(FBytes.data(), &len, sizeof len);
}

TCommPackage::TCommPackage(TPelmComm *comm)
    : FComm(comm)
{
    TStorage storage = _AllocBuffer(DefaultQSize, DefaultPkgSz);
    _Install(storage);
    FTimer = std::thread(&TCommPackage::_TimerThread, this);
    FChained = FComm->OnCommNotify;
    FComm->OnCommNotify = [this](TPelmComm *sender, int32_t flags) { fNewCommNotify(sender, flags); };
}

TCommPackage::~TCommPackage()
{
    FComm->OnCommNotify = FChained;
    FTimerRun.store(false, std::memory_order_release);
    _SignalTimer();
    if (FTimer.get_id() == std::this_thread::get_id())
        FTimer.detach(); // destroyed from its own notification: the thread ends on its own
    else
        FTimer.join();
}

TCommPackage::TStorage TCommPackage::_AllocBuffer(uint32_t qSize, uint32_t pkgSize) const
{
    TStorage s;
    s.rxQueue = std::make_unique<TCommPackageQueue>(qSize, pkgSize + kHeadSize);
    s.txQueue = std::make_unique<TCommPackageQueue>(qSize, pkgSize + kHeadSize);
    const size_t slot = s.rxQueue->fGetPkgSz();
    s.rx.Allocate(slot);
    s.encoded.Allocate(std::max<size_t>(slot, size_t(2) * pkgSize + 2 * kHeadSize));
    return s;
}

void TCommPackage::_Install(TStorage &storage)
{
    std::swap(FStore.rxQueue, storage.rxQueue);
    std::swap(FStore.txQueue, storage.txQueue);
    FStore.rx.swap(storage.rx);
    FStore.encoded.swap(storage.encoded);
    _Reset();
}

void TCommPackage::_Reset()
{
    FInFrame = false;
    FEscape = false;
    FTxPos = 0;
    FStore.rx.SetLen(0);
    FStore.encoded.SetLen(0);
    FStore.rxQueue->Clear();
    FStore.txQueue->Clear();
}

void TCommPackage::_SignalTimer()
{
    {
        std::lock_guard lock(FTimerLock);
        FTimerSignalled = true;
    }
    FTimerCond.notify_one();
}

void TCommPackage::fSetActive(bool active)
{
    {
        std::lock_guard lock(FLock);
        FActive.store(active, std::memory_order_release);
        _Reset();
    }
    _SignalTimer();
}

// The size setters build the new storage before they take anything away, so that a failed
// allocation changes nothing; the switch itself happens at once under the lock, which is the same
// as passing through inactive and back.
void TCommPackage::fSetQSize(uint32_t qSize)
{
    TStorage storage = _AllocBuffer(qSize, fGetPkgSz());
    {
        std::lock_guard lock(FLock);
        FQSize.store(qSize, std::memory_order_relaxed);
        _Install(storage);
    }
    _SignalTimer();
}

void TCommPackage::fSetPkgSz(uint32_t pkgSize)
{
    pkgSize = std::min(pkgSize, MaxPkgSz);
    TStorage storage = _AllocBuffer(fGetQSize(), pkgSize);
    {
        std::lock_guard lock(FLock);
        FPkgSz.store(pkgSize, std::memory_order_relaxed);
        _Install(storage);
    }
    _SignalTimer();
}

void TCommPackage::fSetPkgType(TCommPackageType type)
{
    {
        std::lock_guard lock(FLock);
        FPkgType.store(type, std::memory_order_relaxed);
        _Reset();
    }
    _SignalTimer();
}

void TCommPackage::fSetPkgInterval(uint32_t ms)
{
    FPkgInterval.store(ms, std::memory_order_relaxed);
    _SignalTimer();
}

// Packages are read from and built in their queue slots: one copy of the data each way.
int32_t TCommPackage::ReadPackage(void *buffer, uint32_t length)
{
    std::lock_guard lock(FLock);
    if (!fGetActive())
        return 0;
    const uint32_t pkgSz = fGetPkgSz();
    TCommPackageQueue &queue = *FStore.rxQueue;
    if (fGetPkgType() == cptCompatiblePkg)
        return buffer ? queue.Out(buffer, kHeadSize + pkgSz) : 0;
    const uint8_t *slot = queue.Front();
    if (!slot)
        return 0;
    const uint32_t len = std::min(LenOf(slot), pkgSz);
    if (length == 0 || !buffer)
        return static_cast<int32_t>(len);
    const uint32_t n = std::min(length, len);
    std::memcpy(buffer, slot + kHeadSize, n);
    queue.Pop();
    return static_cast<int32_t>(n);
}

int32_t TCommPackage::WritePackage(const void *bytes, uint32_t length)
{
    std::lock_guard lock(FLock);
    if (!fGetActive() || !bytes)
        return 0;
    const uint32_t pkgSz = fGetPkgSz();
    TCommPackageQueue &queue = *FStore.txQueue;
    int32_t result;
    if (fGetPkgType() == cptCompatiblePkg) {
        if (!queue.In(bytes, kHeadSize + pkgSz))
            return 0;
        result = 1;
    } else {
        if (length == 0)
            return 0;
        uint8_t *slot = queue.Back();
        if (!slot)
            return 0;
        const uint32_t n = std::min(length, pkgSz);
        std::memcpy(slot, &n, sizeof n);
        std::memcpy(slot + kHeadSize, bytes, n);
        queue.Push();
        result = static_cast<int32_t>(n);
    }
    _WritePackage();
    return result;
}

void TCommPackage::PurgeRead()
{
    std::lock_guard lock(FLock);
    if (!fGetActive())
        return;
    FComm->PurgeRead(false);
    FStore.rxQueue->Clear();
}

void TCommPackage::PurgeWrite()
{
    std::lock_guard lock(FLock);
    if (!fGetActive())
        return;
    FStore.txQueue->Clear();
    FComm->PurgeWrite(false);
}

void TCommPackage::CallNotify(int32_t code)
{
    if (OnPackageNotify)
        OnPackageNotify(this, code);
}

uint32_t TCommPackage::_EncodePackage(TRecord &encoded, const uint8_t *in, uint32_t n)
{
    const uint8_t head = FrameHead.load(std::memory_order_relaxed);
    const uint8_t tail = FrameTail.load(std::memory_order_relaxed);
    const uint8_t ctrl = FrameCtrl.load(std::memory_order_relaxed);
    const bool dbl = fGetDblFrameMark();
    uint8_t *out = encoded.Data();
    uint8_t *p = out;
    if (dbl)
        *p++ = head;
    *p++ = head;
    for (uint32_t i = 0; i < n;) {
        // A run of plain data bytes goes out in one copy.
        const uint32_t j = i + static_cast<uint32_t>(FindMark(in + i, n - i, head, tail, ctrl));
        std::memcpy(p, in + i, j - i);
        p += j - i;
        if (j < n) {
            *p++ = ctrl;
            *p++ = in[j];
        }
        i = j + 1;
    }
    if (dbl)
        *p++ = tail;
    *p++ = tail;
    const auto len = static_cast<uint32_t>(p - out);
    encoded.SetLen(len);
    return len;
}

// A received package goes into the queue with its length and data only; the compatible kind hands
// out whole records, so it stores whole records.
void TCommPackage::_PutReceived()
{
    TRecord &rec = FStore.rx;
    const size_t bytes = fGetPkgType() == cptCompatiblePkg ? rec.Size() : kHeadSize + size_t(rec.Len());
    FStore.rxQueue->In(rec.Raw(), static_cast<uint32_t>(bytes)); // a full queue loses the package
}

void TCommPackage::_ReadHeadTailPackage()
{
    const uint8_t head = FrameHead.load(std::memory_order_relaxed);
    const uint8_t tail = FrameTail.load(std::memory_order_relaxed);
    const uint8_t ctrl = FrameCtrl.load(std::memory_order_relaxed);
    const uint32_t pkgSz = fGetPkgSz();
    TRecord &rec = FStore.rx;
    uint8_t *data = rec.Data();
    uint32_t len = rec.Len();
    bool inFrame = FInFrame;
    bool escape = FEscape;
    uint8_t buf[kReadChunk];
    int32_t got;
    while ((got = FComm->Read(buf, kReadChunk)) > 0) {
        const auto end = static_cast<size_t>(got);
        for (size_t i = 0; i < end;) {
            if (!escape) {
                // Inside a frame a run of plain data goes into the package in one copy; outside one
                // only a head or a control byte matters.
                const size_t j = inFrame ? i + FindMark(buf + i, end - i, head, tail, ctrl)
                                         : i + FindMark(buf + i, end - i, head, ctrl, ctrl);
                if (inFrame) {
                    const auto n = static_cast<uint32_t>(std::min<size_t>(j - i, pkgSz - len));
                    std::memcpy(data + len, buf + i, n);
                    len += n;
                }
                i = j;
                if (i == end)
                    break;
            }
            const uint8_t c = buf[i++];
            if (!escape && c == head) {
                len = 0;
                inFrame = true;
            } else if (inFrame) {
                if (escape) {
                    if (len < pkgSz)
                        data[len++] = c;
                    escape = false;
                } else if (c == ctrl) {
                    escape = true;
                } else { // the tail
                    rec.SetLen(len);
                    _PutReceived();
                    len = 0;
                    inFrame = false;
                }
            } else {
                escape = !escape && c == ctrl;
            }
        }
    }
    rec.SetLen(len);
    FInFrame = inFrame;
    FEscape = escape;
}

bool TCommPackage::_ReadTimeoutPackage()
{
    const uint32_t pkgSz = fGetPkgSz();
    TRecord &rec = FStore.rx;
    uint32_t len = rec.Len();
    bool took = false;
    uint8_t buf[kReadChunk];
    int32_t got;
    while ((got = FComm->Read(buf, kReadChunk)) > 0) {
        const uint32_t n = std::min(static_cast<uint32_t>(got), pkgSz - len);
        std::memcpy(rec.Data() + len, buf, n);
        len += n;
        took = true;
    }
    rec.SetLen(len);
    if (took)
        FLastRx = std::chrono::steady_clock::now();
    return took;
}

bool TCommPackage::_TakeFrame()
{
    TCommPackageQueue &queue = *FStore.txQueue;
    const uint8_t *slot = queue.Front();
    if (!slot)
        return false;
    const uint32_t n = std::min(LenOf(slot), fGetPkgSz());
    if (fGetPkgType() == cptFrameTimeout) {
        std::memcpy(FStore.encoded.Data(), slot + kHeadSize, n);
        FStore.encoded.SetLen(n);
    } else {
        _EncodePackage(FStore.encoded, slot + kHeadSize, n);
    }
    queue.Pop();
    FTxPos = 0;
    return true;
}

// Hands frames to the engine in queue order for as long as it takes each one whole. A step ends
// either with the send queue empty or with a frame the engine could not take completely; in the
// second case the engine's next output-empty report brings the next step. So no package ever waits
// for an event that may not come.
void TCommPackage::_WritePackage()
{
    for (;;) {
        const uint32_t len = FStore.encoded.Len();
        if (FTxPos < len) {
            const int32_t n = FComm->Write(FStore.encoded.Data() + FTxPos, static_cast<int32_t>(len - FTxPos));
            if (n > 0)
                FTxPos += static_cast<uint32_t>(n);
            if (FTxPos < len)
                return;
        }
        if (!_TakeFrame())
            return;
    }
}

void TCommPackage::fNewCommNotify(TPelmComm *sender, int32_t flags)
{
    if (fGetActive()) {
        int32_t code = flags & ~(TPelmComm::EV_RXCHAR | TPelmComm::EV_TXEMPTY);
        {
            std::lock_guard lock(FLock);
            if (fGetActive()) {
                if ((flags & TPelmComm::EV_RXCHAR) && fGetPkgType() == cptFrameTimeout) {
                    _ReadTimeoutPackage(); // the timer thread ends the package
                } else if (flags & TPelmComm::EV_RXCHAR) {
                    _ReadHeadTailPackage();
                    if (FStore.rxQueue->fGetCount() > 0)
                        code |= PackageReceived;
                }
                if (flags & TPelmComm::EV_TXEMPTY) {
                    _WritePackage();
                    if (FStore.txQueue->fGetCount() == 0)
                        code |= PackagesSent;
                }
            }
        }
        if (code != 0)
            CallNotify(code);
    }
    if (FChained)
        FChained(sender, flags);
}

// While silence framing is active the thread sleeps until the interval after the newest byte is
// over, or for one interval while no package is under way. It also takes bytes that came without a
// notification, timed when it finds them, so a package never ends sooner than one interval after
// its last byte.
void TCommPackage::_TimerThread()
{
    using namespace std::chrono;
    platform::RaiseCurrentThreadPriority(); // a package's end is due to the millisecond
    while (FTimerRun.load(std::memory_order_acquire)) {
        const bool timed = fGetActive() && fGetPkgType() == cptFrameTimeout;
        // An interval of 0 is taken as 1 ms, so that the thread never spins.
        const auto interval = milliseconds(std::max<uint32_t>(1, fGetPkgInterval()));
        steady_clock::time_point wakeAt = steady_clock::now() + interval;
        if (timed) {
            std::lock_guard lock(FLock);
            if (FStore.rx.Len() > 0)
                wakeAt = FLastRx + interval;
        }
        {
            std::unique_lock lock(FTimerLock);
            auto woken = [this] { return FTimerSignalled; };
            if (timed)
                FTimerCond.wait_until(lock, wakeAt, woken);
            else
                FTimerCond.wait(lock, woken);
            FTimerSignalled = false;
        }
        if (!FTimerRun.load(std::memory_order_acquire))
            break;
        bool completed = false;
        {
            std::lock_guard lock(FLock);
            if (fGetActive() && fGetPkgType() == cptFrameTimeout && !_ReadTimeoutPackage() && FStore.rx.Len() > 0 &&
                steady_clock::now() - FLastRx >= interval) {
                _PutReceived();
                FStore.rx.SetLen(0);
                completed = true;
            }
        }
        if (completed) {
            // Nothing on this thread could take an exception further; it is dropped as the
            // engine drops those of its own closures.
            try {
                CallNotify(PackageReceived);
            } catch (...) {
            }
        }
    }
}

} // namespace PelmComm
