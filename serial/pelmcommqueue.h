#pragma once
#include <atomic>
#include <cstdint>

namespace PelmComm {

// A ring of bytes between one producer thread (In) and one consumer thread (Out). It never locks,
// never waits and never allocates outside fSetBufSize. It holds at most size - 1 bytes; a full queue
// takes what fits and an empty one yields nothing.
//
// Clear and fSetBufSize may be used only while neither side runs. While both run, the queue is
// emptied with PurgeByConsumer (on the consumer's thread) or PurgeByProducer (on the producer's
// thread); either way the queue counts as empty when the call returns. After PurgeByProducer the
// space of the discarded bytes comes back once the consumer next takes from the queue.
class TCommQueue {
public:
    explicit TCommQueue(int32_t size);
    virtual ~TCommQueue();
    TCommQueue(const TCommQueue &) = delete;
    TCommQueue &operator=(const TCommQueue &) = delete;

    void Clear();
    bool fIsValid() const { return FBuf != nullptr; }
    int32_t fGetCount() const;
    int32_t fGetRemain() const;
    int32_t fGetSize() const { return FSize; }
    // Discards the contents; n <= 0 releases the storage. Raises ecOutOfMemory and keeps the old
    // storage when no block of n bytes can be had.
    void fSetBufSize(int32_t n);

    int32_t In(const uint8_t *b);
    int32_t In(const void *data, int32_t length);
    int32_t Out(uint8_t *b);
    int32_t Out(void *buffer, int32_t length);

    void PurgeByConsumer();
    void PurgeByProducer();

private:
    // The out word carries the out index (low half) and the number of the last producer purge the
    // consumer has applied (high half); the purge word carries the purge number and the in index at
    // that purge. A purge number in the purge word that differs from the out word's is pending.
    static uint32_t Pos(uint64_t word) { return static_cast<uint32_t>(word); }
    static uint32_t Seq(uint64_t word) { return static_cast<uint32_t>(word >> 32); }
    static uint64_t Pack(uint32_t seq, uint32_t pos) { return (uint64_t(seq) << 32) | pos; }
    // The consumer's out index with a pending purge applied. The purge never moves it back: the
    // consumer may have taken bytes beyond the purge point before it saw the purge.
    int32_t ConsumerOut(uint64_t outWord, uint64_t purgeWord, int32_t in) const;

    int32_t FSize;
    alignas(64) std::atomic<uint64_t> FOut{0};
    alignas(64) std::atomic<int32_t> FIn{0};
    alignas(64) std::atomic<uint64_t> FPurge{0};
    uint8_t *FBuf = nullptr;
};

} // namespace PelmComm
