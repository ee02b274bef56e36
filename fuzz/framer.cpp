// The framer's head/tail receiving with the stream cut anywhere: the packages do not depend on
// where reads end, they are the ones a byte-by-byte reading of the marks gives, and every package
// the framer sends comes back whole.
#include "fuzz/check.h"
#include "serial/pelmcomm.h"
#include "serial/pelmcommpkg.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

using PelmComm::TCommPackage;
using PelmComm::TPelmComm;
using Bytes = std::vector<uint8_t>;

namespace {

constexpr uint32_t QueueSlots = 1100;
constexpr size_t MaxStream = 2048;

struct TMarks {
    uint8_t Head, Tail, Ctrl;
};

// The receiving rules, one byte at a time.
std::vector<Bytes> byteByByte(const Bytes &stream, TMarks m, uint32_t pkgSz)
{
    std::vector<Bytes> out;
    Bytes current;
    bool inFrame = false, escape = false;
    for (uint8_t c : stream) {
        if (!escape && c == m.Head) {
            current.clear();
            inFrame = true;
        } else if (!inFrame) {
            escape = !escape && c == m.Ctrl;
        } else if (escape || (c != m.Ctrl && c != m.Tail)) {
            if (current.size() < pkgSz)
                current.push_back(c);
            escape = false;
        } else if (c == m.Ctrl) {
            escape = true;
        } else {
            out.push_back(current);
            inFrame = false;
        }
    }
    return out;
}

class TRig {
public:
    TRig() : Framer(&Comm)
    {
        Framer.fSetQSize(QueueSlots);
        Framer.fSetPkgType(PelmComm::cptFrameHeadTail);
    }

    void configure(TMarks m, uint32_t pkgSz, bool doubleMarks)
    {
        if (Framer.fGetPkgSz() != pkgSz)
            Framer.fSetPkgSz(pkgSz);
        Framer.FrameHead = m.Head;
        Framer.FrameTail = m.Tail;
        Framer.FrameCtrl = m.Ctrl;
        Framer.fSetDblFrameMark(doubleMarks);
        Framer.fSetActive(false);
        Framer.fSetActive(true);
    }

    // The engine's reader hands over one read.
    void receive(const uint8_t *bytes, size_t n)
    {
        FUZZ_CHECK(Comm.fGetInQueue().In(bytes, static_cast<int32_t>(n)) == static_cast<int32_t>(n));
        Comm.OnCommNotify(&Comm, TPelmComm::EV_RXCHAR);
    }

    // Takes up to count packages; empty ones cannot be told from none and are left out.
    void take(std::vector<Bytes> &into, size_t count)
    {
        Bytes buffer(Framer.fGetPkgSz());
        for (size_t i = 0; i < count; ++i) {
            const int32_t n = Framer.ReadPackage(buffer.data(), static_cast<uint32_t>(buffer.size()));
            if (n > 0)
                into.emplace_back(buffer.begin(), buffer.begin() + n);
        }
    }

    // Takes packages while there are any, for streams without empty packages.
    void takeAll(std::vector<Bytes> &into)
    {
        Bytes buffer(Framer.fGetPkgSz());
        int32_t n;
        while ((n = Framer.ReadPackage(buffer.data(), static_cast<uint32_t>(buffer.size()))) > 0)
            into.emplace_back(buffer.begin(), buffer.begin() + n);
    }

    Bytes send(const Bytes &payload)
    {
        FUZZ_CHECK(Framer.WritePackage(payload.data(), static_cast<uint32_t>(payload.size())) > 0);
        Bytes wire(2 * payload.size() + 8);
        const int32_t n = Comm.fGetOutQueue().Out(wire.data(), static_cast<int32_t>(wire.size()));
        wire.resize(static_cast<size_t>(n));
        FUZZ_CHECK(Comm.fGetOutQueue().fGetCount() == 0);
        return wire;
    }

    TPelmComm Comm;
    TCommPackage Framer;
};

// Chunk lengths from 1 to 16 drawn from a seed.
class TCuts {
public:
    explicit TCuts(uint32_t seed) : FState(seed * 2654435761u + 1) {}
    size_t next()
    {
        FState ^= FState << 13;
        FState ^= FState >> 17;
        FState ^= FState << 5;
        return 1 + FState % 16;
    }

private:
    uint32_t FState;
};

std::vector<Bytes> nonEmpty(std::vector<Bytes> packages)
{
    packages.erase(std::remove_if(packages.begin(), packages.end(), [](const Bytes &p) { return p.empty(); }), packages.end());
    return packages;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static TRig rig;
    if (size < 5)
        return 0;
    static constexpr uint32_t sizes[] = {1, 3, 64, 300};
    const uint32_t pkgSz = sizes[data[0] & 3];
    const bool doubleMarks = data[0] & 4;
    TMarks marks{TCommPackage::DefaultFrameHead, TCommPackage::DefaultFrameTail, TCommPackage::DefaultFrameCtrl};
    if ((data[0] & 8) && data[1] != data[2] && data[2] != data[3] && data[1] != data[3])
        marks = {data[1], data[2], data[3]};
    const uint32_t seed = data[4];
    const Bytes stream(data + 5, data + 5 + std::min(size - 5, MaxStream));

    // One read, then reads cut anywhere: the same packages, those of the byte-by-byte rules.
    const std::vector<Bytes> expected = byteByByte(stream, marks, pkgSz);
    rig.configure(marks, pkgSz, doubleMarks);
    if (!stream.empty())
        rig.receive(stream.data(), stream.size());
    std::vector<Bytes> whole;
    rig.take(whole, expected.size() + 1);
    FUZZ_CHECK(whole == nonEmpty(expected));

    rig.configure(marks, pkgSz, doubleMarks);
    TCuts cuts(seed);
    for (size_t at = 0; at < stream.size();) {
        const size_t n = std::min(cuts.next(), stream.size() - at);
        rig.receive(stream.data() + at, n);
        at += n;
    }
    std::vector<Bytes> pieces;
    rig.take(pieces, expected.size() + 1);
    FUZZ_CHECK(pieces == whole);

    // Packages cut from the stream, sent and received again in pieces, come back as sent.
    rig.configure(marks, pkgSz, doubleMarks);
    std::vector<Bytes> sent;
    Bytes wire;
    for (size_t at = 0; at < stream.size() && sent.size() < 1000;) {
        const size_t n = std::min(cuts.next() * 4, stream.size() - at);
        sent.emplace_back(stream.begin() + static_cast<long>(at), stream.begin() + static_cast<long>(at + std::min<size_t>(n, pkgSz)));
        const Bytes frame = rig.send(Bytes(stream.begin() + static_cast<long>(at), stream.begin() + static_cast<long>(at + n)));
        wire.insert(wire.end(), frame.begin(), frame.end());
        at += n;
    }
    std::vector<Bytes> back;
    for (size_t at = 0; at < wire.size();) {
        const size_t n = std::min(cuts.next() * 64, wire.size() - at);
        rig.receive(wire.data() + at, n);
        at += n;
        rig.takeAll(back);
    }
    FUZZ_CHECK(back == sent);
    return 0;
}
