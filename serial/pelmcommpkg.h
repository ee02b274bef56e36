#pragma once
#include "serial/pelmcomm.h"
#include "serial/pelmcommpkgqueue.h"
#include "serial/pelmcommqueue.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace PelmComm {

enum TCommPackageType : int { cptCompatiblePkg = 0, cptFrameHeadTail = 1, cptFrameTimeout = 2 };

// A package record: Len valid bytes, then room for PkgSz data bytes. Callers of the compatible kind
// exchange whole records of sizeof(uint32_t) + PkgSz bytes.
struct TCommPackageHead {
    uint32_t Len;
    uint8_t Data[];
};

// Turns the byte stream of one engine into packages and back:
// - cptFrameHeadTail: each package travels between FrameHead and FrameTail; data bytes equal to one
//   of the three marks are preceded by FrameCtrl. DblFrameMark doubles head and tail when sending.
// - cptFrameTimeout: bytes travel unframed; a package ends when the line has been silent for
//   PkgInterval ms. The reader thread takes the bytes as they arrive and notes the time; the timer
//   thread wakes when the interval after the last byte is over, so the package is reported one
//   interval after its last byte plus the time the system takes to wake the thread.
// - cptCompatiblePkg: framed like head/tail, but ReadPackage and WritePackage move whole records.
//
// The framer puts its handler in front of the engine's OnCommNotify when it is constructed and puts
// the old one back when it is destroyed; construct and destroy it while the engine's port is closed.
//
// Threads: the owner's thread calls the public operations; the engine's reader thread receives
// head/tail frames and the bytes of silence-framed packages and runs transmit steps; the framer's own
// timer thread ends silence-framed packages. One lock covers the receiver, the queues, the records and the transmit step, so that
// reconfiguration and purges are safe against both threads. OnPackageNotify runs on the reader or
// the timer thread, never under that lock, and may call ReadPackage.
class TCommPackage {
public:
    static constexpr uint8_t DefaultFrameHead = 0xEB;
    static constexpr uint8_t DefaultFrameTail = 0xEE;
    static constexpr uint8_t DefaultFrameCtrl = 0xEC;
    static constexpr uint32_t DefaultQSize = 16;
    static constexpr uint32_t DefaultPkgSz = 4096;
    static constexpr uint32_t DefaultPkgInterval = 50;
    // The largest package size whose encoded frame record still has a 32-bit size.
    static constexpr uint32_t MaxPkgSz = (0x7FFFFFFFu - 8) / 2;

    // Notification codes: packages wait in the receive queue; the send queue ran empty.
    static constexpr int32_t PackageReceived = TPelmComm::EV_RXCHAR;
    static constexpr int32_t PackagesSent = TPelmComm::EV_TXEMPTY;

    using TPackageNotify = std::function<void(TCommPackage *Sender, int32_t Code)>;

    explicit TCommPackage(TPelmComm *comm);
    virtual ~TCommPackage();
    TCommPackage(const TCommPackage &) = delete;
    TCommPackage &operator=(const TCommPackage &) = delete;

    // Other kinds: takes the oldest package and copies at most length of its bytes (the rest is
    // dropped); with length 0 or no buffer, tells the oldest package's length and leaves it queued.
    // Compatible kind: copies the oldest whole record (sizeof(uint32_t) + PkgSz bytes); 1 or 0.
    virtual int32_t ReadPackage(void *buffer, uint32_t length);
    // Other kinds: queues min(length, PkgSz) bytes as one package and returns that number, 0 when
    // the send queue is full. Compatible kind: queues the record at bytes; 1 or 0.
    virtual int32_t WritePackage(const void *bytes, uint32_t length);
    virtual void PurgeRead();
    virtual void PurgeWrite();
    virtual void CallNotify(int32_t code);

    bool fGetActive() const { return FActive.load(std::memory_order_acquire); }
    // Either way resets the receiver and the frame being sent and empties both queues.
    void fSetActive(bool active);
    uint32_t fGetQSize() const { return FQSize.load(std::memory_order_relaxed); }
    void fSetQSize(uint32_t qSize);
    uint32_t fGetPkgSz() const { return FPkgSz.load(std::memory_order_relaxed); }
    // Sizes above MaxPkgSz are taken as MaxPkgSz. A failed allocation raises std::bad_alloc and
    // leaves the framer as it was.
    void fSetPkgSz(uint32_t pkgSize);
    TCommPackageType fGetPkgType() const { return FPkgType.load(std::memory_order_relaxed); }
    void fSetPkgType(TCommPackageType type);
    uint32_t fGetPkgInterval() const { return FPkgInterval.load(std::memory_order_relaxed); }
    void fSetPkgInterval(uint32_t ms);
    bool fGetDblFrameMark() const { return DblFrameMark.load(std::memory_order_relaxed); }
    void fSetDblFrameMark(bool on) { DblFrameMark.store(on, std::memory_order_relaxed); }

    std::atomic<bool> DblFrameMark{false};
    std::atomic<uint8_t> FrameHead{DefaultFrameHead};
    std::atomic<uint8_t> FrameTail{DefaultFrameTail};
    std::atomic<uint8_t> FrameCtrl{DefaultFrameCtrl};

    // Set while the engine's port is closed.
    TPackageNotify OnPackageNotify;

private:
    // One package record, never smaller than a queue slot, so that a whole slot always fits.
    class TRecord {
    public:
        void Allocate(size_t bytes) { FBytes.assign(bytes, 0); }
        uint8_t *Raw() { return FBytes.data(); }
        size_t Size() const { return FBytes.size(); }
        uint32_t Len() const;
        void SetLen(uint32_t len);
        uint8_t *Data() { return FBytes.data() + sizeof(uint32_t); }
        void swap(TRecord &other) { FBytes.swap(other.FBytes); }

    private:
        std::vector<uint8_t> FBytes;
    };

    struct TStorage {
        std::unique_ptr<TCommPackageQueue> rxQueue;
        std::unique_ptr<TCommPackageQueue> txQueue;
        TRecord rx, encoded;
    };

    void fNewCommNotify(TPelmComm *sender, int32_t flags);
    TStorage _AllocBuffer(uint32_t qSize, uint32_t pkgSize) const;
    void _Install(TStorage &storage);
    // The rest below runs with FLock held.
    void _Reset();
    uint32_t _EncodePackage(TRecord &encoded, const uint8_t *data, uint32_t n);
    void _ReadHeadTailPackage();
    bool _ReadTimeoutPackage();
    void _PutReceived();
    void _WritePackage();
    bool _TakeFrame();

    void _TimerThread();
    void _SignalTimer();

    TPelmComm *FComm;
    TPelmComm::TCommNotify FChained;
    std::atomic<bool> FActive{false};
    std::atomic<uint32_t> FQSize{DefaultQSize};
    std::atomic<uint32_t> FPkgSz{DefaultPkgSz};
    std::atomic<TCommPackageType> FPkgType{cptFrameTimeout};
    std::atomic<uint32_t> FPkgInterval{DefaultPkgInterval};

    std::mutex FLock;
    TStorage FStore;
    bool FInFrame = false;
    bool FEscape = false;
    uint32_t FTxPos = 0;
    std::chrono::steady_clock::time_point FLastRx; // when the newest byte of the silence-framed package came

    std::mutex FTimerLock;
    std::condition_variable FTimerCond;
    bool FTimerSignalled = false;
    std::atomic<bool> FTimerRun{true};
    std::thread FTimer;
};

} // namespace PelmComm
