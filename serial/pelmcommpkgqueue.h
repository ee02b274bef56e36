#pragma once
#include <atomic>
#include <cstdint>

namespace PelmComm {

// A ring of fixed-size slots, one whole package per slot, between one producer thread (In) and one
// consumer thread (Out, Read). It holds at most QSize - 1 packages and takes a package whole or not
// at all. The purge rules are those of TCommQueue.
class TCommPackageQueue {
public:
    TCommPackageQueue(uint32_t qSize, uint32_t pkgSize);
    virtual ~TCommPackageQueue();
    TCommPackageQueue(const TCommPackageQueue &) = delete;
    TCommPackageQueue &operator=(const TCommPackageQueue &) = delete;

    // At least 2 slots of at least 32 bytes; discards all packages. Allocation failure raises
    // std::bad_alloc.
    void SetQueue(int32_t qSize, int32_t pkgSize);
    void fSetQSize(int32_t qSize) { SetQueue(qSize, static_cast<int32_t>(FPkgSz)); }
    void fSetPkgSz(int32_t pkgSize) { SetQueue(static_cast<int32_t>(FQSize), pkgSize); }
    uint32_t fGetQSize() const { return FQSize; }
    uint32_t fGetPkgSz() const { return FPkgSz; }
    void fRemoveQueue();
    void Clear();

    bool fIsValid() const { return FBuf != nullptr; }
    uint32_t fGetCount() const;
    uint32_t fGetRemain() const;

    // Copies slot-size bytes in or out; 1 when a package moved, 0 otherwise.
    int32_t In(const void *package);
    int32_t Out(void *buffer);
    // The same for the first min(bytes, slot size) bytes of a slot; the rest of the slot is left as
    // it is. For packages that use only the start of their slot.
    int32_t In(const void *package, uint32_t bytes);
    int32_t Out(void *buffer, uint32_t bytes);
    // In place, without a copy: the producer fills Back() (null while full) and stores it with Push;
    // the consumer reads Front() (null while empty) and frees that slot with Pop (only after a Front()
    // that gave one, and with no PurgeByProducer in between).
    uint8_t *Back();
    void Push();
    const uint8_t *Front() const;
    void Pop();
    // Copies the package at position index (0 = oldest) without taking it.
    int32_t Read(void *buffer, uint32_t index) const;

    void PurgeByConsumer();
    void PurgeByProducer();

private:
    static uint32_t Pos(uint64_t word) { return static_cast<uint32_t>(word); }
    static uint32_t Seq(uint64_t word) { return static_cast<uint32_t>(word >> 32); }
    static uint64_t Pack(uint32_t seq, uint32_t pos) { return (uint64_t(seq) << 32) | pos; }
    // The consumer's out index with a pending purge applied. The purge never moves it back: the
    // consumer may have taken bytes beyond the purge point before it saw the purge.
    uint32_t ConsumerOut(uint64_t outWord, uint64_t purgeWord, uint32_t in) const;

    uint8_t *FBuf = nullptr;
    alignas(64) std::atomic<uint64_t> FOut{0};
    alignas(64) std::atomic<uint32_t> FIn{0};
    alignas(64) std::atomic<uint64_t> FPurge{0};
    uint32_t FQSize = 0;
    uint32_t FPkgSz = 0;
};

} // namespace PelmComm
