#include "serial/pelmcommqueue.h"

#include "serial/pelmcommerror.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace PelmComm {

TCommQueue::TCommQueue(int32_t size)
    : FSize(size)
{
    try {
        fSetBufSize(size);
    } catch (const EPelmCommError &) {
        fSetBufSize(0);
    }
}

TCommQueue::~TCommQueue()
{
    fSetBufSize(0);
}

void TCommQueue::Clear()
{
    FIn.store(0, std::memory_order_relaxed);
    FOut.store(0, std::memory_order_relaxed);
    FPurge.store(0, std::memory_order_relaxed);
}

void TCommQueue::fSetBufSize(int32_t n)
{
    Clear();
    if (n > 0) {
        auto *block = new (std::nothrow) uint8_t[static_cast<size_t>(n)];
        if (!block)
            throw EPelmCommError(EPelmCommError::ecOutOfMemory);
        delete[] FBuf;
        FBuf = block;
        FSize = n;
    } else {
        delete[] FBuf;
        FBuf = nullptr;
    }
}

int32_t TCommQueue::ConsumerOut(uint64_t outWord, uint64_t purgeWord, int32_t in) const
{
    const auto out = static_cast<int32_t>(Pos(outWord));
    if (Seq(purgeWord) == Seq(outWord))
        return out;
    const auto purgeAt = static_cast<int32_t>(Pos(purgeWord));
    return (purgeAt + FSize - out) % FSize <= (in + FSize - out) % FSize ? purgeAt : out;
}

int32_t TCommQueue::fGetCount() const
{
    if (!FBuf)
        return 0;
    const uint64_t outWord = FOut.load(std::memory_order_acquire);
    const uint64_t purgeWord = FPurge.load(std::memory_order_acquire);
    const int32_t in = FIn.load(std::memory_order_acquire);
    return (in + FSize - ConsumerOut(outWord, purgeWord, in)) % FSize;
}

int32_t TCommQueue::fGetRemain() const
{
    if (!FBuf)
        return 0;
    const auto out = static_cast<int32_t>(Pos(FOut.load(std::memory_order_acquire)));
    const int32_t in = FIn.load(std::memory_order_relaxed);
    return (out + FSize - in - 1) % FSize;
}

int32_t TCommQueue::In(const uint8_t *b)
{
    return In(static_cast<const void *>(b), 1);
}

int32_t TCommQueue::Out(uint8_t *b)
{
    return Out(static_cast<void *>(b), 1);
}

int32_t TCommQueue::In(const void *data, int32_t length)
{
    if (!FBuf || !data || length <= 0)
        return 0;
    const int32_t in = FIn.load(std::memory_order_relaxed);
    // Acquire: the consumer has finished reading the space it gave back before we overwrite it.
    const auto out = static_cast<int32_t>(Pos(FOut.load(std::memory_order_acquire)));
    const int32_t remain = (out + FSize - in - 1) % FSize;
    const int32_t n = std::min(length, remain);
    if (n == 0)
        return 0;
    const int32_t wrap = std::max(0, in + n - FSize);
    const auto *src = static_cast<const uint8_t *>(data);
    std::memcpy(FBuf + in, src, static_cast<size_t>(n - wrap));
    if (wrap > 0)
        std::memcpy(FBuf, src + (n - wrap), static_cast<size_t>(wrap));
    FIn.store((in + n) % FSize, std::memory_order_release);
    return n;
}

int32_t TCommQueue::Out(void *buffer, int32_t length)
{
    if (!FBuf || !buffer || length <= 0)
        return 0;
    const uint64_t outWord = FOut.load(std::memory_order_relaxed);
    const uint64_t purgeWord = FPurge.load(std::memory_order_acquire);
    // Acquire: the bytes up to the in index are in place before we copy them.
    const int32_t in = FIn.load(std::memory_order_acquire);
    const int32_t out = ConsumerOut(outWord, purgeWord, in);
    const int32_t n = std::min(length, (in + FSize - out) % FSize);
    if (n == 0) {
        if (Seq(purgeWord) != Seq(outWord))
            FOut.store(Pack(Seq(purgeWord), static_cast<uint32_t>(out)), std::memory_order_release);
        return 0;
    }
    const int32_t wrap = std::max(0, out + n - FSize);
    auto *dst = static_cast<uint8_t *>(buffer);
    std::memcpy(dst, FBuf + out, static_cast<size_t>(n - wrap));
    if (wrap > 0)
        std::memcpy(dst + (n - wrap), FBuf, static_cast<size_t>(wrap));
    FOut.store(Pack(Seq(purgeWord), static_cast<uint32_t>((out + n) % FSize)), std::memory_order_release);
    return n;
}

void TCommQueue::PurgeByConsumer()
{
    const uint64_t purgeWord = FPurge.load(std::memory_order_acquire);
    const int32_t in = FIn.load(std::memory_order_acquire);
    FOut.store(Pack(Seq(purgeWord), static_cast<uint32_t>(in)), std::memory_order_release);
}

void TCommQueue::PurgeByProducer()
{
    const uint64_t purgeWord = FPurge.load(std::memory_order_relaxed);
    const int32_t in = FIn.load(std::memory_order_relaxed);
    FPurge.store(Pack(Seq(purgeWord) + 1, static_cast<uint32_t>(in)), std::memory_order_release);
}

} // namespace PelmComm
