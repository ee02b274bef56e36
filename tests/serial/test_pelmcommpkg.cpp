#include "serial/pelmcommpkg.h"
#include "serial/ptypair.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

using PelmComm::TCommPackage;
using PelmComm::TCommPackageType;
using PelmComm::TPelmComm;
using testing_serial::PtyPair;
using testing_serial::WaitFor;
using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;

namespace {


Bytes Cat(Bytes a, const Bytes &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Bytes that are none of the default marks.
Bytes Plain(size_t n, unsigned seed)
{
    Bytes v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = static_cast<uint8_t>((i * 7 + seed) % 0xE0);
    return v;
}

// A framer on an engine over a pseudo-terminal. The engine's own closure is set before the framer
// exists, as an owner would, so that the framer chains it.
class FramerTest : public testing::Test {
protected:
    void SetUp() override
    {
        comm.fSetPortName(pty.PortPath());
        comm.OnCommNotify = [this](TPelmComm *, int32_t flags) {
            std::lock_guard lock(m);
            chained.push_back(flags);
        };
        pkg = std::make_unique<TCommPackage>(&comm);
        pkg->OnPackageNotify = [this](TCommPackage *, int32_t code) {
            std::lock_guard lock(m);
            codes.push_back(code);
            codeTimes.push_back(Clock::now());
        };
        comm.Open();
    }
    void TearDown() override
    {
        comm.Close();
        pkg.reset();
    }

    void Start(TCommPackageType type)
    {
        pkg->fSetPkgType(type);
        pkg->fSetActive(true);
    }
    size_t Received(int32_t code = TCommPackage::PackageReceived)
    {
        std::lock_guard lock(m);
        size_t n = 0;
        for (int32_t c : codes)
            n += (c & code) != 0;
        return n;
    }
    // Reads packages until one equal to last arrived; empty packages read as nothing.
    std::vector<Bytes> ReadUntil(const Bytes &last)
    {
        std::vector<Bytes> got;
        Bytes buf(8192);
        WaitFor([&] {
            const int32_t n = pkg->ReadPackage(buf.data(), static_cast<uint32_t>(buf.size()));
            if (n > 0)
                got.emplace_back(buf.begin(), buf.begin() + n);
            return !got.empty() && got.back() == last;
        });
        return got;
    }
    // The same for whole records of the compatible kind, which shows empty packages too.
    std::vector<Bytes> ReadRecordsUntil(const Bytes &last)
    {
        std::vector<Bytes> got;
        Bytes rec(sizeof(uint32_t) + pkg->fGetPkgSz());
        WaitFor([&] {
            if (pkg->ReadPackage(rec.data(), 0) == 1) {
                uint32_t len;
                std::memcpy(&len, rec.data(), sizeof len);
                got.emplace_back(rec.begin() + 4, rec.begin() + 4 + len);
            }
            return !got.empty() && got.back() == last;
        });
        return got;
    }

    PtyPair pty;
    TPelmComm comm;
    std::unique_ptr<TCommPackage> pkg;
    std::mutex m;
    std::vector<int32_t> chained;
    std::vector<int32_t> codes;
    std::vector<Clock::time_point> codeTimes;
};

TEST_F(FramerTest, Defaults)
{
    EXPECT_FALSE(pkg->fGetActive());
    EXPECT_EQ(pkg->fGetPkgType(), PelmComm::cptFrameTimeout);
    EXPECT_EQ(pkg->fGetPkgInterval(), 50u);
    EXPECT_EQ(pkg->fGetQSize(), 16u);
    EXPECT_EQ(pkg->fGetPkgSz(), 4096u);
    EXPECT_EQ(pkg->FrameHead, 0xEB);
    EXPECT_EQ(pkg->FrameTail, 0xEE);
    EXPECT_EQ(pkg->FrameCtrl, 0xEC);
    EXPECT_FALSE(pkg->fGetDblFrameMark());
}

struct ReceiveCase {
    const char *name;
    Bytes stream;
    std::vector<Bytes> packages; // empty packages included
};

TEST_F(FramerTest, HeadTailReceiving)
{
    const Bytes sentinelFrame = {0xEB, 0x5A, 0xEE};
    const Bytes sentinel = {0x5A};
    const std::vector<ReceiveCase> cases = {
        {"leading noise", {0x00, 0x11, 0xEB, 0x41, 0x42, 0xEE}, {{0x41, 0x42}}},
        {"second head restarts", {0xEB, 0x41, 0xEB, 0x42, 0xEE}, {{0x42}}},
        {"escaped tail kept", {0xEB, 0x41, 0xEC, 0xEE, 0x42, 0xEE}, {{0x41, 0xEE, 0x42}}},
        {"escaped head outside a frame", {0xEC, 0xEB, 0x41, 0xEE}, {}},
        {"empty frame", {0xEB, 0xEE}, {{}}},
        {"double marks", {0xEB, 0xEB, 0x01, 0xEE, 0xEE}, {{0x01}}},
        {"escaped marks", {0xEB, 0xEC, 0xEB, 0xEC, 0xEC, 0xEC, 0xEE, 0xEE}, {{0xEB, 0xEC, 0xEE}}},
        {"5000 data bytes cut to 4096", Cat(Cat({0xEB}, Plain(5000, 3)), {0xEE}), {Plain(4096, 3)}},
    };
    for (TCommPackageType type : {PelmComm::cptFrameHeadTail, PelmComm::cptCompatiblePkg}) {
        for (const ReceiveCase &c : cases) {
            SCOPED_TRACE(std::string(c.name) + (type == PelmComm::cptCompatiblePkg ? " (records)" : ""));
            Start(type);
            pty.FarWrite(Cat(c.stream, sentinelFrame).data(), c.stream.size() + sentinelFrame.size());
            std::vector<Bytes> want = c.packages;
            if (type == PelmComm::cptFrameHeadTail)
                std::erase_if(want, [](const Bytes &p) { return p.empty(); });
            want.push_back(sentinel);
            EXPECT_EQ(type == PelmComm::cptCompatiblePkg ? ReadRecordsUntil(sentinel) : ReadUntil(sentinel), want);
        }
    }
}

TEST_F(FramerTest, ReadPackageLengthAndShortBuffer)
{
    Start(PelmComm::cptFrameHeadTail);
    const Bytes data = Plain(20, 1);
    pty.FarWrite(Cat(Cat({0xEB}, data), {0xEE}).data(), 22);
    ASSERT_TRUE(WaitFor([&] { return pkg->ReadPackage(nullptr, 0) == 20; }));
    EXPECT_EQ(pkg->ReadPackage(nullptr, 0), 20); // still queued
    Bytes buf(10);
    EXPECT_EQ(pkg->ReadPackage(buf.data(), 10), 10);
    EXPECT_EQ(buf, Bytes(data.begin(), data.begin() + 10));
    EXPECT_EQ(pkg->ReadPackage(buf.data(), 10), 0); // the other ten went with the package
}

struct EncodeCase {
    const char *name;
    TCommPackageType type;
    bool dbl;
    Bytes data;
    Bytes line;
};

TEST_F(FramerTest, Encoding)
{
    const Bytes example = {0x01, 0xEB, 0x02, 0xEC, 0x03, 0xEE};
    const std::vector<EncodeCase> cases = {
        {"single marks", PelmComm::cptFrameHeadTail, false, example,
         {0xEB, 0x01, 0xEC, 0xEB, 0x02, 0xEC, 0xEC, 0x03, 0xEC, 0xEE, 0xEE}},
        {"double marks", PelmComm::cptFrameHeadTail, true, example,
         {0xEB, 0xEB, 0x01, 0xEC, 0xEB, 0x02, 0xEC, 0xEC, 0x03, 0xEC, 0xEE, 0xEE, 0xEE}},
        {"empty record", PelmComm::cptCompatiblePkg, false, {}, {0xEB, 0xEE}},
        {"record", PelmComm::cptCompatiblePkg, false, {0xEE, 0x10}, {0xEB, 0xEC, 0xEE, 0x10, 0xEE}},
        {"silence framing leaves bytes alone", PelmComm::cptFrameTimeout, false, example, example},
    };
    for (const EncodeCase &c : cases) {
        SCOPED_TRACE(c.name);
        Start(c.type);
        pkg->fSetDblFrameMark(c.dbl);
        if (c.type == PelmComm::cptCompatiblePkg) {
            Bytes rec(4 + pkg->fGetPkgSz(), 0x55);
            const uint32_t len = static_cast<uint32_t>(c.data.size());
            std::memcpy(rec.data(), &len, 4);
            std::copy(c.data.begin(), c.data.end(), rec.begin() + 4);
            EXPECT_EQ(pkg->WritePackage(rec.data(), 0), 1);
        } else {
            EXPECT_EQ(pkg->WritePackage(c.data.data(), static_cast<uint32_t>(c.data.size())),
                      static_cast<int32_t>(c.data.size()));
        }
        EXPECT_EQ(pty.FarRead(c.line.size()), c.line);
    }
    EXPECT_TRUE(pty.FarRead(1, std::chrono::milliseconds(100)).empty());
}

TEST_F(FramerTest, OwnMarks)
{
    Start(PelmComm::cptFrameHeadTail);
    pkg->FrameHead = 0x7E;
    pkg->FrameTail = 0x7F;
    pkg->FrameCtrl = 0x7D;
    EXPECT_EQ(pkg->WritePackage(Bytes{0x7E, 0xEB}.data(), 2), 2);
    EXPECT_EQ(pty.FarRead(5), (Bytes{0x7E, 0x7D, 0x7E, 0xEB, 0x7F}));
    pty.FarWrite(Bytes{0xEB, 0x7E, 0x7D, 0x7F, 0x7F}.data(), 5);
    EXPECT_EQ(ReadUntil({0x7F}), std::vector<Bytes>{{0x7F}});
}

TEST_F(FramerTest, InactiveFramerOnlyPassesNotificationsOn)
{
    EXPECT_EQ(pkg->WritePackage("ab", 2), 0);
    pty.FarWrite(Bytes{0xEB, 0x41, 0xEE}.data(), 3);
    ASSERT_TRUE(WaitFor([&] {
        std::lock_guard lock(m);
        return std::find(chained.begin(), chained.end(), TPelmComm::EV_RXCHAR) != chained.end();
    }));
    EXPECT_EQ(pkg->ReadPackage(nullptr, 0), 0);
    uint8_t buf[8];
    EXPECT_EQ(comm.Read(buf, 8), 3); // the bytes stay with the engine
    std::lock_guard lock(m);
    EXPECT_TRUE(codes.empty());
}

TEST_F(FramerTest, ActiveFramerReportsAndStillPassesFlagsUnchanged)
{
    Start(PelmComm::cptFrameHeadTail);
    pty.FarWrite(Bytes{0xEB, 0x41, 0xEE}.data(), 3);
    ASSERT_TRUE(WaitFor([&] { return Received() == 1; }));
    std::lock_guard lock(m);
    EXPECT_NE(std::find(chained.begin(), chained.end(), TPelmComm::EV_RXCHAR), chained.end());
}

TEST_F(FramerTest, SilenceFormsOnePackageOfBytesWithShortGaps)
{
    pkg->fSetPkgInterval(300); // the gaps below are 5 ms: a wide margin for a busy machine
    Start(PelmComm::cptFrameTimeout);
    for (const char *piece : {"ab", "cd", "ef"}) {
        pty.FarWrite(piece);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(ReadUntil({'a', 'b', 'c', 'd', 'e', 'f'}).size(), 1u);
    EXPECT_EQ(Received(), 1u);
}

TEST_F(FramerTest, SilenceEndsAPackageNoSoonerThanOneInterval)
{
    Start(PelmComm::cptFrameTimeout);
    for (const std::string piece : {"first", "second"}) {
        const size_t before = Received();
        const auto sent = Clock::now();
        pty.FarWrite(piece);
        ASSERT_TRUE(WaitFor([&] { return Received() == before + 1; }));
        std::lock_guard lock(m);
        EXPECT_GE(codeTimes.back() - sent, std::chrono::milliseconds(50));
    }
    EXPECT_EQ(ReadUntil({'s', 'e', 'c', 'o', 'n', 'd'}), (std::vector<Bytes>{{'f', 'i', 'r', 's', 't'}, {'s', 'e', 'c', 'o', 'n', 'd'}}));
}

TEST_F(FramerTest, SixteenthPackageIsLostWhileFifteenWait)
{
    pkg->fSetPkgInterval(10);
    Start(PelmComm::cptFrameTimeout);
    for (uint8_t i = 1; i <= 16; ++i) {
        pty.FarWrite(&i, 1);
        ASSERT_TRUE(WaitFor([&] { return Received() == i; })); // complete before the next is sent
    }
    uint8_t b;
    for (uint8_t i = 1; i <= 15; ++i) {
        ASSERT_EQ(pkg->ReadPackage(&b, 1), 1);
        EXPECT_EQ(b, i);
    }
    EXPECT_EQ(pkg->ReadPackage(&b, 1), 0);
}

TEST_F(FramerTest, WritePackageCutsToPackageSize)
{
    Start(PelmComm::cptFrameTimeout);
    const Bytes data = Plain(5000, 9);
    EXPECT_EQ(pkg->WritePackage(data.data(), 5000), 4096);
    EXPECT_EQ(pty.FarRead(4096), Bytes(data.begin(), data.begin() + 4096));
    EXPECT_TRUE(pty.FarRead(1, std::chrono::milliseconds(200)).empty());
}

TEST_F(FramerTest, PackagesWrittenBackToBackAllArriveInOrder)
{
    Start(PelmComm::cptFrameHeadTail);
    constexpr int kPackages = 300;
    Bytes line;
    std::thread far([&] { line = pty.FarRead(kPackages * 402); });
    for (int i = 0; i < kPackages; ++i) {
        const Bytes data = Plain(400, i);
        ASSERT_TRUE(WaitFor([&] { return pkg->WritePackage(data.data(), 400) == 400; }));
    }
    far.join();
    Bytes want;
    for (int i = 0; i < kPackages; ++i)
        want = Cat(Cat(Cat(want, {0xEB}), Plain(400, i)), {0xEE});
    EXPECT_EQ(line, want);
    EXPECT_TRUE(WaitFor([&] { return Received(TCommPackage::PackagesSent) > 0; }));
}

TEST_F(FramerTest, PurgeWriteKeepsTheFrameOnItsWay)
{
    Start(PelmComm::cptFrameTimeout);
    comm.DisableWrite = true; // the engine takes nothing for now
    EXPECT_EQ(pkg->WritePackage("first", 5), 5);
    EXPECT_EQ(pkg->WritePackage("second", 6), 6);
    pkg->PurgeWrite();
    comm.DisableWrite = false;
    EXPECT_EQ(pkg->WritePackage("third", 5), 5);
    const std::string want = "firstthird";
    const Bytes got = pty.FarRead(want.size());
    EXPECT_EQ(std::string(got.begin(), got.end()), want);
    EXPECT_TRUE(pty.FarRead(1, std::chrono::milliseconds(100)).empty());
}

TEST_F(FramerTest, PurgeReadEmptiesTheReceivedPackages)
{
    Start(PelmComm::cptFrameHeadTail);
    pty.FarWrite(Bytes{0xEB, 0x01, 0xEE, 0xEB, 0x02, 0xEE}.data(), 6);
    ASSERT_TRUE(WaitFor([&] { return Received() > 0 && pkg->ReadPackage(nullptr, 0) == 1; }));
    pkg->PurgeRead();
    EXPECT_EQ(pkg->ReadPackage(nullptr, 0), 0);
    pty.FarWrite(Bytes{0xEB, 0x03, 0xEE}.data(), 3);
    const std::vector<Bytes> got = ReadUntil({0x03});
    EXPECT_EQ(std::count(got.begin(), got.end(), Bytes{0x01}), 0);
}

// Package sizes below the queue's smallest slot: a whole slot must never be copied into or out of
// the caller's smaller record.
TEST_F(FramerTest, SmallPackageSizeRecords)
{
    pkg->fSetPkgSz(10);
    Start(PelmComm::cptCompatiblePkg);
    auto rec = std::make_unique<uint8_t[]>(14);
    const uint32_t len = 3;
    std::memcpy(rec.get(), &len, 4);
    std::memcpy(rec.get() + 4, "xyz", 3);
    EXPECT_EQ(pkg->WritePackage(rec.get(), 0), 1);
    EXPECT_EQ(pty.FarRead(5), (Bytes{0xEB, 'x', 'y', 'z', 0xEE}));
    const Bytes frame = Cat(Cat({0xEB}, Plain(12, 4)), {0xEE});
    pty.FarWrite(frame.data(), frame.size());
    ASSERT_TRUE(WaitFor([&] { return pkg->ReadPackage(rec.get(), 0) == 1; }));
    uint32_t got;
    std::memcpy(&got, rec.get(), 4);
    EXPECT_EQ(got, 10u);
    EXPECT_EQ(Bytes(rec.get() + 4, rec.get() + 14), Plain(10, 4));
}

TEST_F(FramerTest, ExceptionFromTheTimerThreadsNotificationIsDropped)
{
    pkg->fSetPkgInterval(10);
    // Shared with the handler: closing the port in TearDown notifies it once more, after this body.
    const auto calls = std::make_shared<std::atomic<int>>(0);
    pkg->OnPackageNotify = [calls](TCommPackage *, int32_t) {
        ++*calls;
        throw std::runtime_error("handler failed");
    };
    Start(PelmComm::cptFrameTimeout);
    pty.FarWrite("one");
    ASSERT_TRUE(WaitFor([&] { return pkg->ReadPackage(nullptr, 0) == 3; }));
    uint8_t buf[8];
    pkg->ReadPackage(buf, 8);
    pty.FarWrite("two");
    EXPECT_TRUE(WaitFor([&] { return pkg->ReadPackage(nullptr, 0) == 3; }));
    EXPECT_TRUE(WaitFor([&] { return *calls == 2; }));
}

// The owner reconfigures and purges while the reader and the timer thread receive and send.
TEST_F(FramerTest, ReconfigurationWhileTrafficFlows)
{
    pkg->fSetPkgInterval(1);
    Start(PelmComm::cptFrameHeadTail);
    std::atomic<bool> stop{false};
    std::thread far([&] {
        const Bytes frame = Cat(Cat({0xEB}, Plain(300, 1)), {0xEE});
        while (!stop) {
            pty.FarWrite(frame.data(), frame.size());
            pty.FarRead(4096, std::chrono::milliseconds(1));
        }
    });
    // Large enough for a whole record while the compatible kind is on.
    const Bytes data = Plain(4100, 2);
    uint8_t buf[4100];
    for (int round = 0; round < 200; ++round) {
        pkg->WritePackage(data.data(), 500);
        pkg->ReadPackage(buf, sizeof buf);
        switch (round % 6) {
        case 0: pkg->fSetPkgType(round % 12 ? PelmComm::cptFrameTimeout : PelmComm::cptCompatiblePkg); break;
        case 1: pkg->fSetPkgType(PelmComm::cptFrameHeadTail); break;
        case 2: pkg->fSetPkgSz(round % 4 ? 100 : 4096); break;
        case 3: pkg->fSetQSize(round % 4 ? 3 : 16); break;
        case 4: pkg->PurgeRead(); break;
        case 5: pkg->PurgeWrite(); break;
        }
        pkg->fSetActive(true);
    }
    stop = true;
    far.join();
    pkg->fSetPkgSz(4096);
    Start(PelmComm::cptFrameHeadTail);
    pty.FarWrite(Bytes{0xEE, 0xEB, 0x77, 0xEE}.data(), 4);
    const std::vector<Bytes> got = ReadUntil({0x77});
    EXPECT_EQ(got.back(), Bytes{0x77});
}

} // namespace
