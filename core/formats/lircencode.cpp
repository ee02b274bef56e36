#include "core/formats/lircencode.h"

#include "core/formats/textscan.h"

#include <QCoreApplication>

#include <bit>

namespace {

// LIRC's transmit buffer: a mark or space is held back until one of the other kind comes, so that
// neighbours of one kind add up; a space before anything else is dropped. The buffer keeps its
// entries' positions, even ones marks, odd ones spaces, whatever was added there.
class TSendBuffer {
public:
    void Pulse(int64_t us) { put(us, pendingPulse_, pendingSpace_); }

    void Space(int64_t us)
    {
        if (data_.empty() && pendingPulse_ == 0)
            return;
        put(us, pendingSpace_, pendingPulse_);
    }

    // Ends the code on a mark: a pending space is dropped, and so is a space last in the buffer;
    // the sum still counts it, as LIRC's does.
    void End()
    {
        if (pendingPulse_ > 0) {
            add(pendingPulse_);
            pendingPulse_ = 0;
        }
        if (!data_.empty() && data_.size() % 2 == 0)
            data_.pop_back();
    }

    void Discount(int64_t us) { sum_ -= us; }
    const std::vector<int64_t> &Data() const { return data_; }
    int64_t Sum() const { return sum_; }

private:
    // Adds to the held duration of the same kind, or lets the other kind's go and holds this one.
    void put(int64_t us, int64_t &held, int64_t &other)
    {
        if (held > 0) {
            held += us;
            return;
        }
        if (other > 0) {
            add(other);
            other = 0;
        }
        held = us;
    }

    void add(int64_t us)
    {
        sum_ += us;
        data_.push_back(us);
    }

    std::vector<int64_t> data_;
    int64_t pendingPulse_ = 0;
    int64_t pendingSpace_ = 0;
    int64_t sum_ = 0;
};

class TPressEncoder {
public:
    // LIRC flips the toggle state before each press.
    explicit TPressEncoder(const TLircRemote &remote)
        : r_(remote), toggleState_(remote.ToggleBitMaskState ^ remote.ToggleBitMask)
    {
    }

    TSendBuffer Code(uint64_t code);

private:
    void pair(const TLircPair &p)
    {
        if (p.Present()) {
            b_.Pulse(p.Pulse);
            b_.Space(p.Space);
        }
    }
    void bits(uint64_t data, int count, int done);
    void bit(bool one, bool doubled);

    const TLircRemote &r_;
    const uint64_t toggleState_;
    TSendBuffer b_;
};

void TPressEncoder::bit(bool one, bool doubled)
{
    const int64_t k = doubled ? 2 : 1;
    const TLircPair &p = one ? r_.One : r_.Zero;
    // A biphase one is a space then a mark; a doubled zero keeps its mark first in any encoding.
    const bool spaceFirstEncoding = r_.Encoding == TLircEncoding::SpaceFirst;
    const bool spaceFirst = one ? r_.Biphase() || spaceFirstEncoding : !doubled && spaceFirstEncoding;
    if (spaceFirst) {
        b_.Space(k * p.Space);
        b_.Pulse(k * p.Pulse);
    } else {
        b_.Pulse(k * p.Pulse);
        b_.Space(k * p.Space);
    }
}

// count bits of data, most significant first; done bits of the whole code precede them, which
// places them under the remote's masks.
void TPressEncoder::bits(uint64_t data, int count, int done)
{
    if (count <= 0)
        return; // a part of no bits, e.g. a remote without "bits", sends nothing and has no mask
    const int toggleBits = std::popcount(r_.ToggleBitMask);
    uint64_t mask = uint64_t{1} << (r_.AllBits() - 1 - done);
    for (int i = count - 1; i >= 0; --i, mask >>= 1) {
        bool one = (data >> i) & 1;
        if (mask & r_.ToggleBitMask) {
            // A single toggle bit is the state itself; several are flipped by it.
            const bool state = (toggleState_ & mask) != 0;
            one = toggleBits == 1 ? state : one != state;
        }
        bit(one, (mask & r_.Rc6Mask) != 0);
    }
}

TSendBuffer TPressEncoder::Code(uint64_t code)
{
    pair(r_.Header);
    if (r_.Plead > 0)
        b_.Pulse(r_.Plead);
    if (r_.PreDataBits > 0) {
        bits(r_.PreData, r_.PreDataBits, 0);
        pair(r_.Pre);
    }
    bits(code, r_.Bits, r_.PreDataBits);
    if (r_.PostDataBits > 0) {
        pair(r_.Post);
        bits(r_.PostData, r_.PostDataBits, r_.PreDataBits + r_.Bits);
    }
    if (r_.Ptrail > 0)
        b_.Pulse(r_.Ptrail);
    if (r_.Foot.Present()) {
        b_.Space(r_.Foot.Space);
        b_.Pulse(r_.Foot.Pulse);
    }
    // A header sent only before the first frame does not count towards a constant length.
    if ((r_.Flags & lircflag::NoHeadRep) && (r_.Flags & lircflag::ConstLength))
        b_.Discount(int64_t{r_.Header.Pulse} + r_.Header.Space);
    b_.End();
    return b_;
}

} // namespace

std::optional<QString> EncodeLircPress(const TLircRemote &remote, uint64_t code, std::vector<int> &durationsUs)
{
    const TSendBuffer sent = TPressEncoder(remote).Code(code);
    if (sent.Data().empty())
        return QCoreApplication::translate("LircEncode", "没有可发送的时序");
    int64_t gap = remote.MinGap();
    if (remote.Flags & lircflag::ConstLength) {
        if (gap <= sent.Sum())
            return QCoreApplication::translate("LircEncode", "gap %1 微秒不长于编码本身（%2 微秒），LIRC 不发送")
                .arg(gap).arg(sent.Sum());
        gap -= sent.Sum();
    }
    durationsUs.clear();
    for (int64_t us : sent.Data()) {
        if (us <= 0 || us > textscan::MaxDurationUs)
            return QCoreApplication::translate("LircEncode", "时序中有 %1 微秒，不在 1 到 %2 之间")
                .arg(us).arg(textscan::MaxDurationUs);
        durationsUs.push_back(static_cast<int>(us));
    }
    if (gap > textscan::MaxDurationUs)
        return QCoreApplication::translate("LircEncode", "间隔 %1 微秒超过 %2 微秒").arg(gap).arg(textscan::MaxDurationUs);
    if (gap > 0)
        durationsUs.push_back(static_cast<int>(gap));
    return std::nullopt;
}
