// The bulk search for frame marks, and head/tail frames built and taken apart through it: both must
// agree with a byte-by-byte reading of the same bytes, at every length and alignment.
#include "serial/pelmcommpkg.h"
#include "serial/pelmcommscan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

using PelmComm::FindMark;
using PelmComm::TCommPackage;
using PelmComm::TPelmComm;
using Bytes = std::vector<uint8_t>;

namespace {

constexpr unsigned kSeed = 20261210;

size_t NaiveFindMark(const uint8_t *p, size_t n, uint8_t a, uint8_t b, uint8_t c)
{
    for (size_t i = 0; i < n; ++i)
        if (p[i] == a || p[i] == b || p[i] == c)
            return i;
    return n;
}

// Random bytes in which the three marks turn up about once in `spacing` bytes.
Bytes WithMarks(std::mt19937 &rng, size_t n, size_t spacing, const uint8_t (&marks)[3])
{
    Bytes v(n);
    for (auto &b : v) {
        b = static_cast<uint8_t>(rng());
        if (rng() % spacing == 0)
            b = marks[rng() % 3];
        else if (b == marks[0] || b == marks[1] || b == marks[2])
            b ^= 0x01;
    }
    return v;
}

TEST(FindMarkTest, AgreesWithAByteScanAtEveryLengthAndOffset)
{
    SCOPED_TRACE(testing::Message() << "seed " << kSeed);
    std::mt19937 rng(kSeed);
    for (int round = 0; round < 2000; ++round) {
        const uint8_t marks[3] = {static_cast<uint8_t>(rng()), static_cast<uint8_t>(rng()), static_cast<uint8_t>(rng())};
        const Bytes data = WithMarks(rng, 1 + rng() % 100, 1 + rng() % 40, marks);
        const size_t from = rng() % data.size();
        const size_t n = data.size() - from;
        ASSERT_EQ(FindMark(data.data() + from, n, marks[0], marks[1], marks[2]),
                  NaiveFindMark(data.data() + from, n, marks[0], marks[1], marks[2]))
            << "round " << round;
    }
}

// An engine without a port: Write keeps what it is given, Read serves prepared bytes in pieces of
// random size.
class TMemoryComm : public TPelmComm {
public:
    explicit TMemoryComm(unsigned seed) : Rng(seed) {}
    int32_t Read(void *buffer, int32_t length) override
    {
        const size_t piece = 1 + Rng() % 700;
        const size_t n = std::min({static_cast<size_t>(length), piece, Input.size() - Pos});
        std::memcpy(buffer, Input.data() + Pos, n);
        Pos += n;
        return static_cast<int32_t>(n);
    }
    int32_t Write(const void *data, int32_t length) override
    {
        const auto *p = static_cast<const uint8_t *>(data);
        Output.insert(Output.end(), p, p + length);
        return length;
    }
    std::mt19937 Rng;
    Bytes Input;
    size_t Pos = 0;
    Bytes Output;
};

TEST(HeadTailRoundTripTest, FramesBuiltAndTakenApartGiveBackThePackages)
{
    SCOPED_TRACE(testing::Message() << "seed " << kSeed);
    std::mt19937 rng(kSeed);
    const uint8_t marks[3] = {TCommPackage::DefaultFrameHead, TCommPackage::DefaultFrameTail,
                              TCommPackage::DefaultFrameCtrl};
    TMemoryComm sender(kSeed), receiver(kSeed + 1);
    TCommPackage out(&sender), in(&receiver);
    for (TCommPackage *p : {&out, &in}) {
        p->fSetPkgType(PelmComm::cptFrameHeadTail);
        p->fSetActive(true);
    }
    for (int round = 0; round < 300; ++round) {
        out.fSetDblFrameMark(rng() % 2);
        std::vector<Bytes> packages(1 + rng() % 10);
        sender.Output.clear();
        for (auto &pkg : packages) {
            pkg = WithMarks(rng, 1 + rng() % 300, 1 + rng() % 20, marks); // WritePackage sends no empty package
            ASSERT_EQ(out.WritePackage(pkg.data(), static_cast<uint32_t>(pkg.size())), static_cast<int32_t>(pkg.size()))
                << "round " << round;
        }
        receiver.Input = sender.Output;
        receiver.Pos = 0;
        receiver.CommNotify(TPelmComm::EV_RXCHAR);
        Bytes buf(4096);
        for (size_t k = 0; k < packages.size(); ++k) {
            const int32_t n = in.ReadPackage(buf.data(), static_cast<uint32_t>(buf.size()));
            ASSERT_EQ(Bytes(buf.begin(), buf.begin() + std::max(n, 0)), packages[k]) << "round " << round << " package " << k;
        }
        ASSERT_EQ(in.ReadPackage(nullptr, 0), 0) << "round " << round;
    }
}

} // namespace
