#include "serial/pelmcommpkgqueue.h"

#include <cstring>

namespace PelmComm {

TCommPackageQueue::TCommPackageQueue(uint32_t qSize, uint32_t pkgSize)
{
    // The sizes are compared signed, so values beyond the signed range fall back to the minimums.
    SetQueue(static_cast<int32_t>(qSize), static_cast<int32_t>(pkgSize));
}

TCommPackageQueue::~TCommPackageQueue()
{
    fRemoveQueue();
}

void TCommPackageQueue::SetQueue(int32_t qSize, int32_t pkgSize)
{
    fRemoveQueue();
    if (qSize <= 2)
        qSize = 2;
    if (pkgSize <= 32)
        pkgSize = 32;
    FQSize = static_cast<uint32_t>(qSize);
    FPkgSz = static_cast<uint32_t>(pkgSize);
    FBuf = new uint8_t[size_t(FQSize) * FPkgSz];
}

void TCommPackageQueue::fRemoveQueue()
{
    delete[] FBuf;
    FBuf = nullptr;
    Clear();
}

void TCommPackageQueue::Clear()
{
    FIn.store(0, std::memory_order_relaxed);
    FOut.store(0, std::memory_order_relaxed);
    FPurge.store(0, std::memory_order_relaxed);
}

uint32_t TCommPackageQueue::ConsumerOut(uint64_t outWord, uint64_t purgeWord, uint32_t in) const
{
    const uint32_t out = Pos(outWord);
    if (Seq(purgeWord) == Seq(outWord))
        return out;
    const uint32_t purgeAt = Pos(purgeWord);
    return (purgeAt + FQSize - out) % FQSize <= (in + FQSize - out) % FQSize ? purgeAt : out;
}

uint32_t TCommPackageQueue::fGetCount() const
{
    if (!FBuf)
        return 0;
    const uint64_t outWord = FOut.load(std::memory_order_acquire);
    const uint64_t purgeWord = FPurge.load(std::memory_order_acquire);
    const uint32_t in = FIn.load(std::memory_order_acquire);
    return (in + FQSize - ConsumerOut(outWord, purgeWord, in)) % FQSize;
}

uint32_t TCommPackageQueue::fGetRemain() const
{
    if (!FBuf)
        return 0;
    const uint32_t out = Pos(FOut.load(std::memory_order_acquire));
    const uint32_t in = FIn.load(std::memory_order_relaxed);
    return (out + FQSize - in - 1) % FQSize;
}

int32_t TCommPackageQueue::In(const void *package)
{
    return In(package, FPkgSz);
}

int32_t TCommPackageQueue::In(const void *package, uint32_t bytes)
{
    uint8_t *slot = package ? Back() : nullptr;
    if (!slot)
        return 0;
    std::memcpy(slot, package, bytes < FPkgSz ? bytes : FPkgSz);
    Push();
    return 1;
}

int32_t TCommPackageQueue::Out(void *buffer)
{
    return Out(buffer, FPkgSz);
}

int32_t TCommPackageQueue::Out(void *buffer, uint32_t bytes)
{
    if (!FBuf || !buffer)
        return 0;
    // One look at the indices for both the copy and the step, so that a package stored meanwhile
    // is never stepped over.
    const uint64_t outWord = FOut.load(std::memory_order_relaxed);
    const uint64_t purgeWord = FPurge.load(std::memory_order_acquire);
    const uint32_t in = FIn.load(std::memory_order_acquire);
    const uint32_t out = ConsumerOut(outWord, purgeWord, in);
    if (in == out) {
        if (Seq(purgeWord) != Seq(outWord))
            FOut.store(Pack(Seq(purgeWord), out), std::memory_order_release);
        return 0;
    }
    std::memcpy(buffer, FBuf + size_t(out) * FPkgSz, bytes < FPkgSz ? bytes : FPkgSz);
    FOut.store(Pack(Seq(purgeWord), (out + 1) % FQSize), std::memory_order_release);
    return 1;
}

uint8_t *TCommPackageQueue::Back()
{
    if (!FBuf)
        return nullptr;
    const uint32_t in = FIn.load(std::memory_order_relaxed);
    // Acquire: the consumer is done with the slot it gave back before we overwrite it.
    const uint32_t out = Pos(FOut.load(std::memory_order_acquire));
    return (in + 1) % FQSize == out ? nullptr : FBuf + size_t(in) * FPkgSz;
}

void TCommPackageQueue::Push()
{
    const uint32_t in = FIn.load(std::memory_order_relaxed);
    FIn.store((in + 1) % FQSize, std::memory_order_release);
}

const uint8_t *TCommPackageQueue::Front() const
{
    if (!FBuf)
        return nullptr;
    const uint64_t outWord = FOut.load(std::memory_order_relaxed);
    const uint64_t purgeWord = FPurge.load(std::memory_order_acquire);
    const uint32_t in = FIn.load(std::memory_order_acquire);
    const uint32_t out = ConsumerOut(outWord, purgeWord, in);
    return in == out ? nullptr : FBuf + size_t(out) * FPkgSz;
}

// Frees the slot that Front() gave: the consumer alone moves the out index, so it is still the oldest
// (a purge by the producer between the two is not allowed for).
void TCommPackageQueue::Pop()
{
    const uint64_t outWord = FOut.load(std::memory_order_relaxed);
    const uint64_t purgeWord = FPurge.load(std::memory_order_acquire);
    const uint32_t in = FIn.load(std::memory_order_acquire);
    const uint32_t out = ConsumerOut(outWord, purgeWord, in);
    if (FBuf && in != out)
        FOut.store(Pack(Seq(purgeWord), (out + 1) % FQSize), std::memory_order_release);
}

int32_t TCommPackageQueue::Read(void *buffer, uint32_t index) const
{
    if (!FBuf || !buffer)
        return 0;
    const uint64_t outWord = FOut.load(std::memory_order_relaxed);
    const uint64_t purgeWord = FPurge.load(std::memory_order_acquire);
    const uint32_t in = FIn.load(std::memory_order_acquire);
    const uint32_t out = ConsumerOut(outWord, purgeWord, in);
    if (index >= (in + FQSize - out) % FQSize)
        return 0;
    std::memcpy(buffer, FBuf + size_t((out + index) % FQSize) * FPkgSz, FPkgSz);
    return 1;
}

void TCommPackageQueue::PurgeByConsumer()
{
    const uint64_t purgeWord = FPurge.load(std::memory_order_acquire);
    const uint32_t in = FIn.load(std::memory_order_acquire);
    FOut.store(Pack(Seq(purgeWord), in), std::memory_order_release);
}

void TCommPackageQueue::PurgeByProducer()
{
    const uint64_t purgeWord = FPurge.load(std::memory_order_relaxed);
    const uint32_t in = FIn.load(std::memory_order_relaxed);
    FPurge.store(Pack(Seq(purgeWord) + 1, in), std::memory_order_release);
}

} // namespace PelmComm
