#include "serial/pelmcomm.h"
#include "serial/ptypair.h"
#include "platform/sys/serialport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <random>
#include <sys/resource.h>
#include <termios.h>
#include <thread>

using PelmComm::EPelmCommError;
using PelmComm::TPelmComm;
using testing_serial::PtyPair;
using testing_serial::WaitFor;

namespace {

// Records what the engine reports, from whichever thread reports it.
class Recorder {
public:
    explicit Recorder(TPelmComm &comm)
    {
        comm.OnCommNotify = [this](TPelmComm *, int32_t mask) { Add("notify", mask); };
        comm.OnAfterOpen = [this](TPelmComm *) { Add("afteropen", 0); };
        comm.OnBeforeClose = [this](TPelmComm *) { Add("beforeclose", 0); };
    }
    void Add(const std::string &what, int32_t mask)
    {
        std::lock_guard lock(m_);
        log_.emplace_back(what, mask);
        seen_ |= mask;
    }
    int32_t Seen()
    {
        std::lock_guard lock(m_);
        return seen_;
    }
    void Forget()
    {
        std::lock_guard lock(m_);
        log_.clear();
        seen_ = 0;
    }
    std::vector<std::pair<std::string, int32_t>> Log()
    {
        std::lock_guard lock(m_);
        return log_;
    }
    // Only the reports of opening and closing, in order (port events come and go with timing).
    std::vector<std::pair<std::string, int32_t>> Lifecycle()
    {
        std::vector<std::pair<std::string, int32_t>> out;
        for (const auto &e : Log())
            if (e.first != "notify" || e.second == TPelmComm::ModemLinesChanged)
                out.push_back(e);
        return out;
    }

private:
    std::mutex m_;
    std::vector<std::pair<std::string, int32_t>> log_;
    int32_t seen_ = 0;
};

std::vector<uint8_t> RandomBytes(size_t n, unsigned seed)
{
    std::mt19937 rng(seed);
    std::vector<uint8_t> v(n);
    for (auto &b : v)
        b = static_cast<uint8_t>(rng());
    return v;
}

// Reads from the engine until n bytes arrived or a generous limit passed.
std::vector<uint8_t> EngineRead(TPelmComm &comm, size_t n)
{
    std::vector<uint8_t> out;
    uint8_t buf[4096];
    WaitFor([&] {
        const int k = comm.Read(buf, sizeof buf);
        out.insert(out.end(), buf, buf + k);
        return out.size() >= n;
    });
    return out;
}

class EngineTest : public testing::Test {
protected:
    void SetUp() override { comm.fSetPortName(pty.PortPath()); }
    void TearDown() override { comm.Close(); } // while the recorder still lives
    PtyPair pty;
    TPelmComm comm;
    Recorder rec{comm};
};

TEST_F(EngineTest, OpenAndCloseReportInOrder)
{
    EXPECT_EQ(comm.fGetPort(), 0);
    EXPECT_EQ(comm.fGetPortName(), pty.PortPath());
    comm.Open();
    EXPECT_TRUE(comm.fGetActive());
    EXPECT_GE(comm.fGetHandle(), 0);
    comm.Open(); // already open: nothing happens, nothing is reported
    comm.Close();
    EXPECT_FALSE(comm.fGetActive());
    EXPECT_EQ(comm.fGetHandle(), -1);
    comm.Close(); // harmless when closed
    const std::vector<std::pair<std::string, int32_t>> expected = {
        {"notify", 0x38}, {"afteropen", 0}, {"beforeclose", 0}, {"notify", 0x38}};
    EXPECT_EQ(rec.Lifecycle(), expected);
}

TEST_F(EngineTest, WrittenBytesReachTheFarEndInOrder)
{
    comm.Open();
    const auto small = RandomBytes(37, 1);
    EXPECT_EQ(comm.Write(small.data(), 37), 37);
    EXPECT_EQ(pty.FarRead(37), small);

    // 1 MiB in random pieces, offered again where the queue took only part.
    const auto big = RandomBytes(1 << 20, 2);
    std::vector<uint8_t> received;
    std::thread far([&] { received = pty.FarRead(big.size(), std::chrono::seconds(120)); });
    std::mt19937 rng(3);
    size_t sent = 0;
    while (sent < big.size()) {
        const int piece = static_cast<int>(std::min<size_t>(1 + rng() % 3000, big.size() - sent));
        const int k = comm.Write(big.data() + sent, piece);
        sent += static_cast<size_t>(k);
        if (k < piece)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    far.join();
    ASSERT_EQ(received.size(), big.size());
    EXPECT_TRUE(received == big);
    EXPECT_TRUE(WaitFor([&] { return rec.Seen() & TPelmComm::EV_TXEMPTY; }));
}

TEST_F(EngineTest, ReceivedBytesArriveThroughReadWithRxChar)
{
    comm.Open();
    // The far end keeps no more than a few kilobytes ahead of the reader: this test is about order and
    // content while the queue never fills.
    const auto data = RandomBytes(100000, 4);
    std::atomic<size_t> taken{0};
    std::thread far([&] {
        for (size_t sent = 0; sent < data.size();) {
            const size_t n = std::min<size_t>(2048, data.size() - sent);
            WaitFor([&] { return sent - taken.load() <= 4096; });
            pty.FarWrite(data.data() + sent, n);
            sent += n;
        }
    });
    std::vector<uint8_t> got;
    uint8_t buf[4096];
    WaitFor([&] {
        const int k = comm.Read(buf, sizeof buf);
        got.insert(got.end(), buf, buf + k);
        taken = got.size();
        return got.size() >= data.size();
    });
    far.join();
    EXPECT_TRUE(got == data);
    EXPECT_TRUE(rec.Seen() & TPelmComm::EV_RXCHAR);

    rec.Forget();
    pty.FarWrite(std::string("A\0B", 3));
    ASSERT_TRUE(WaitFor([&] { return rec.Seen() & TPelmComm::EV_RXFLAG; })); // the event character 0x00
    EXPECT_EQ(EngineRead(comm, 3), (std::vector<uint8_t>{'A', 0, 'B'}));

    // Received bytes stay readable after closing.
    pty.FarWrite("xyz");
    ASSERT_TRUE(WaitFor([&] { return rec.Seen() & TPelmComm::EV_RXCHAR; }));
    WaitFor([&] { return false; }, std::chrono::milliseconds(50));
    comm.Close();
    int n = 0;
    WaitFor([&] { return (n += comm.Read(buf + n, 8 - n)) >= 3; }, std::chrono::seconds(1));
    EXPECT_EQ(std::string(reinterpret_cast<char *>(buf), n), "xyz");
}

// A consumer far slower than the line: the reader takes only what the queue can hold and leaves the
// rest in the driver, which holds the sender back. Nothing is lost, and the owner hears that the
// queue filled up.
TEST_F(EngineTest, SlowConsumerLosesNoByte)
{
    constexpr unsigned kSeed = 7;
    SCOPED_TRACE(testing::Message() << "seed " << kSeed);
    comm.Open();
    const auto data = RandomBytes(1 << 20, kSeed);
    std::thread far([&] { pty.FarWrite(data.data(), data.size()); });

    // Nothing is read until the queue is full and the sender is blocked on the line.
    ASSERT_TRUE(WaitFor([&] { return rec.Seen() & TPelmComm::EV_RX80FULL; }));
    EXPECT_EQ(comm.fGetInQueue().fGetCount(), comm.fGetInBufSize() - 1);

    std::mt19937 rng(kSeed);
    std::vector<uint8_t> got;
    std::vector<uint8_t> buf(3000);
    WaitFor([&] {
        const int k = comm.Read(buf.data(), static_cast<int32_t>(1 + rng() % buf.size()));
        got.insert(got.end(), buf.begin(), buf.begin() + k);
        if (rng() % 8 == 0)
            std::this_thread::sleep_for(std::chrono::microseconds(300));
        return got.size() >= data.size();
    }, std::chrono::seconds(120));
    far.join();
    ASSERT_EQ(got.size(), data.size());
    EXPECT_TRUE(got == data);
}

TEST_F(EngineTest, TransmitQueueTakesWhatFitsAndSendsItAfterOpening)
{
    const auto data = RandomBytes(10000, 5);
    EXPECT_EQ(comm.Write(data.data(), 10000), 8191);
    EXPECT_EQ(comm.Write(data.data(), 1), 0);
    comm.Open();
    EXPECT_EQ(pty.FarRead(8191), std::vector<uint8_t>(data.begin(), data.begin() + 8191));
    EXPECT_TRUE(WaitFor([&] { return rec.Seen() & TPelmComm::EV_TXEMPTY; }));
}

TEST_F(EngineTest, TxEmptyComesAfterTheOutputDrained)
{
    comm.Open();
    rec.Forget();
    const auto data = RandomBytes(3000, 6);
    ASSERT_EQ(comm.Write(data.data(), 3000), 3000);
    ASSERT_TRUE(WaitFor([&] { return rec.Seen() & TPelmComm::EV_TXEMPTY; }));
    // The pty keeps what was sent for the far end: everything is there.
    EXPECT_EQ(pty.FarRead(3000), data);
}

// Arrivals before the owner's next Read are reported once: that Read finds them all. The Read
// makes the next arrival reported again.
TEST_F(EngineTest, ArrivalsBeforeTheNextReadAreReportedOnce)
{
    std::atomic<int> rxReports{0};
    comm.OnCommNotify = [&](TPelmComm *, int32_t mask) {
        if (mask & TPelmComm::EV_RXCHAR)
            ++rxReports;
    };
    comm.Open();
    pty.FarWrite("a");
    ASSERT_TRUE(WaitFor([&] { return rxReports == 1; }));
    pty.FarWrite("b");
    ASSERT_TRUE(WaitFor([&] { return comm.fGetInQueue().fGetCount() == 2; }));
    WaitFor([] { return false; }, std::chrono::milliseconds(50));
    EXPECT_EQ(rxReports, 1);
    EXPECT_EQ(EngineRead(comm, 2), (std::vector<uint8_t>{'a', 'b'}));
    pty.FarWrite("c");
    EXPECT_TRUE(WaitFor([&] { return rxReports == 2; }));
}

// An owner that reads only when told, while frames also go out: every arrival is told (a lost
// report would stall a round), and the reader's and the writer's reports never overlap.
TEST_F(EngineTest, OwnerReadingOnlyWhenToldGetsEverythingAndReportsNeverOverlap)
{
    constexpr unsigned kSeed = 11;
    SCOPED_TRACE(testing::Message() << "seed " << kSeed);
    std::atomic<int> rxReports{0};
    std::atomic<bool> reporting{false}, overlapped{false};
    comm.OnCommNotify = [&](TPelmComm *, int32_t mask) {
        if (reporting.exchange(true))
            overlapped = true;
        if (mask & TPelmComm::EV_RXCHAR)
            ++rxReports;
        std::this_thread::sleep_for(std::chrono::microseconds(20)); // widens the window for an overlap
        reporting = false;
    };
    comm.Open();

    constexpr int kFrames = 500;
    std::thread sender([&] {
        const std::vector<uint8_t> frame(37, 0x37);
        for (int i = 0; i < kFrames; ++i)
            WaitFor([&] { return comm.Write(frame.data(), 37) == 37; });
    });
    std::vector<uint8_t> farGot;
    std::thread drain([&] { farGot = pty.FarRead(size_t(kFrames) * 37, std::chrono::seconds(120)); });

    std::mt19937 rng(kSeed);
    const auto data = RandomBytes(200000, kSeed);
    std::vector<uint8_t> got;
    uint8_t buf[512];
    for (size_t sent = 0; sent < data.size();) {
        const size_t n = std::min<size_t>(1 + rng() % 700, data.size() - sent);
        const int before = rxReports;
        pty.FarWrite(data.data() + sent, n);
        sent += n;
        ASSERT_TRUE(WaitFor([&] { return rxReports > before; })) << "arrival at byte " << sent - n << " not told";
        for (int k; (k = comm.Read(buf, sizeof buf)) > 0;)
            got.insert(got.end(), buf, buf + k);
    }
    WaitFor([&] {
        const int k = comm.Read(buf, sizeof buf);
        got.insert(got.end(), buf, buf + k);
        return got.size() >= data.size();
    });
    sender.join();
    drain.join();
    EXPECT_TRUE(got == data);
    EXPECT_EQ(farGot.size(), size_t(kFrames) * 37);
    EXPECT_FALSE(overlapped);
}

TEST_F(EngineTest, DisableWriteStopsWriteButNotCommand)
{
    comm.DisableWrite = true;
    EXPECT_EQ(comm.Write("abc", 3), 0);
    EXPECT_EQ(comm.Command("AT\r"), 3);
    comm.Open();
    EXPECT_FALSE(comm.DisableWrite);
    EXPECT_EQ(comm.Write("OK", 2), 2);
    const auto got = pty.FarRead(5);
    EXPECT_EQ(std::string(got.begin(), got.end()), "AT\rOK");
}

TEST_F(EngineTest, ModemCommandsGoOnTheLine)
{
    comm.fSetFCtrl(TPelmComm::fcRtsCtsXonXoff);
    comm.fSetAAns(3);
    comm.Open();
    EXPECT_EQ(comm.InitModem(), 12);
    EXPECT_EQ(comm.ResetModem(), 4);
    const auto got = pty.FarRead(16);
    EXPECT_EQ(std::string(got.begin(), got.end()), "ATE0&K6S0=3\rATZ\r");
}

TEST_F(EngineTest, LineSettingChangeClosesThePort)
{
    comm.Open();
    rec.Forget();
    comm.fSetBaud(9600);
    EXPECT_FALSE(comm.fGetActive());
    EXPECT_EQ(comm.fGetBaud(), 9600u);
    const std::vector<std::pair<std::string, int32_t>> expected = {{"beforeclose", 0}, {"notify", 0x38}};
    EXPECT_EQ(rec.Lifecycle(), expected);
    // Open with any baud rate: the tty takes arbitrary rates.
    comm.fSetBaud(31250);
    comm.Open();
    EXPECT_TRUE(comm.fGetActive());
}

// A pseudo-terminal forces 8 data bits without parity, so those are checked on the flags; speed,
// stop bits and flow control are checked on the terminal itself.
TEST_F(EngineTest, LineSettingsReachTheTerminalAndAreRestoredOnClose)
{
    termios before{};
    ASSERT_EQ(tcgetattr(pty.PortFd(), &before), 0);
    const struct {
        uint32_t baud;
        uint8_t stopBits;
        TPelmComm::TFlowControl fc;
        speed_t speed;
        tcflag_t cflagSet, cflagClear, iflagSet, iflagClear;
    } cases[] = {
        {9600, 2, TPelmComm::fcXonXoff, B9600, CSTOPB, CRTSCTS, IXON | IXOFF, 0},
        {115200, 0, TPelmComm::fcRtsCts, B115200, CRTSCTS, CSTOPB, 0, IXON | IXOFF},
        {19200, 1, TPelmComm::fcRtsCtsXonXoff, B19200, CSTOPB | CRTSCTS, 0, IXON | IXOFF, 0},
        {4800, 9, TPelmComm::fcNone, B4800, 0, CSTOPB | CRTSCTS, 0, IXON | IXOFF},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.baud);
        comm.fSetBaud(c.baud);
        comm.fSetStopBits(c.stopBits);
        comm.fSetFCtrl(c.fc);
        comm.Open();
        termios t{};
        ASSERT_EQ(tcgetattr(pty.PortFd(), &t), 0);
        EXPECT_EQ(cfgetospeed(&t), c.speed);
        EXPECT_EQ(t.c_cflag & c.cflagSet, c.cflagSet);
        EXPECT_EQ(t.c_cflag & c.cflagClear, 0u);
        EXPECT_EQ(t.c_iflag & c.iflagSet, c.iflagSet);
        EXPECT_EQ(t.c_iflag & c.iflagClear, 0u);
        EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u); // raw
        comm.Close();
        termios after{};
        ASSERT_EQ(tcgetattr(pty.PortFd(), &after), 0);
        EXPECT_EQ(after.c_cflag, before.c_cflag);
        EXPECT_EQ(after.c_iflag, before.c_iflag);
        EXPECT_EQ(after.c_lflag, before.c_lflag);
    }
}

TEST(LineFlagsTest, DataBitsParityAndStopBits)
{
    const struct {
        uint8_t dataBits, parity, stopBits;
        tcflag_t cflag;
    } cases[] = {
        {8, 0, 0, CS8}, {7, 2, 2, CS7 | PARENB | CSTOPB}, {8, 1, 0, CS8 | PARENB | PARODD},
        {5, 3, 1, CS5 | PARENB | PARODD | CMSPAR | CSTOPB}, {6, 4, 0, CS6 | PARENB | CMSPAR},
        {9, 9, 9, CS8}, {4, 5, 3, CS8}, // out of range: 8N1
    };
    constexpr tcflag_t kLine = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB;
    for (const auto &c : cases) {
        platform::LineSettings s;
        s.dataBits = c.dataBits;
        s.parity = c.parity;
        s.stopBits = c.stopBits;
        const auto f = platform::LineFlags(s);
        EXPECT_EQ(f.cflag & kLine, c.cflag) << int(c.dataBits) << int(c.parity) << int(c.stopBits);
        EXPECT_EQ((f.iflag & INPCK) != 0, c.parity >= 1 && c.parity <= 4);
        EXPECT_TRUE(f.cflag & CREAD);
        EXPECT_TRUE(f.cflag & CLOCAL);
    }
}

TEST_F(EngineTest, PortNameRules)
{
    comm.Open();
    comm.fSetPortName(""); // changes nothing, not even an open port
    EXPECT_TRUE(comm.fGetActive());
    EXPECT_EQ(comm.fGetPortName(), pty.PortPath());
    comm.fSetPort(0);
    EXPECT_FALSE(comm.fGetActive());
    EXPECT_EQ(comm.fGetPort(), 0);
    EXPECT_EQ(comm.fGetPortName(), pty.PortPath());
    comm.fSetPortName("com5");
    EXPECT_EQ(comm.fGetPort(), 5);
    EXPECT_EQ(comm.fGetPortName(), "COM5");
    comm.fSetPort(7);
    EXPECT_EQ(comm.fGetPortName(), "COM7");
}

TEST_F(EngineTest, MissingDeviceRaisesOpenPortWithItsName)
{
    comm.fSetPortName("/dev/no-such-serial-device");
    try {
        comm.Open();
        FAIL() << "opened a missing device";
    } catch (const EPelmCommError &e) {
        EXPECT_EQ(e.ErrorCode, EPelmCommError::ecOpenPort);
        EXPECT_EQ(e.PortName, "/dev/no-such-serial-device");
        EXPECT_NE(std::string(e.what()).find("\"/dev/no-such-serial-device\""), std::string::npos) << e.what();
        EXPECT_EQ(e.Reason.Errno, ENOENT);
    }
    EXPECT_FALSE(comm.fGetActive());
    EXPECT_EQ(comm.fGetHandle(), -1);
    EXPECT_TRUE(rec.Log().empty()); // never active: nothing reported
}

TEST_F(EngineTest, NonTerminalDeviceIsRefused)
{
    comm.fSetPortName("/dev/null");
    try {
        comm.Open();
        FAIL() << "opened /dev/null";
    } catch (const EPelmCommError &e) {
        EXPECT_EQ(e.ErrorCode, EPelmCommError::ecOpenPort);
        EXPECT_EQ(e.Reason.Errno, ENOTTY);
    }
    EXPECT_EQ(comm.fGetHandle(), -1);
}

TEST_F(EngineTest, PortInUseElsewhereFailsToOpen)
{
    comm.Open();
    TPelmComm other;
    other.fSetPortName(pty.PortPath());
    try {
        other.Open();
        FAIL() << "a second engine opened the same port";
    } catch (const EPelmCommError &e) {
        EXPECT_EQ(e.ErrorCode, EPelmCommError::ecOpenPort);
        EXPECT_EQ(e.Reason.Errno, EBUSY);
    }
    comm.Close();
    other.Open(); // free again
    EXPECT_TRUE(other.fGetActive());
}

TEST_F(EngineTest, QueuesWithoutStorageFailToOpen)
{
    comm.fSetInBufSize(0);
    try {
        comm.Open();
        FAIL();
    } catch (const EPelmCommError &e) {
        EXPECT_EQ(e.ErrorCode, EPelmCommError::ecInitReadBuffer);
    }
    comm.fSetInBufSize(8192);
    comm.fSetOutBufSize(0);
    try {
        comm.Open();
        FAIL();
    } catch (const EPelmCommError &e) {
        EXPECT_EQ(e.ErrorCode, EPelmCommError::ecInitWriteBuffer);
    }
    comm.fSetOutBufSize(8192);
    comm.Open();
    EXPECT_TRUE(comm.fGetActive());
}

TEST_F(EngineTest, DtrAndRtsAcrossTheLifecycle)
{
    {
        // A setter's Close takes the wanted level back from the line settings (DTR on by default).
        TPelmComm fresh;
        fresh.fSetPortName(pty.PortPath());
        fresh.fSetDTR(false);
        fresh.fSetBaud(9600);
        fresh.Open();
        EXPECT_TRUE(fresh.fGetDTR());
    }
    EXPECT_FALSE(comm.fGetDTR()); // closed: false whatever is stored
    comm.fSetDTR(false);
    comm.Open();
    EXPECT_FALSE(comm.fGetDTR());
    EXPECT_TRUE(comm.fGetRTS());
    EXPECT_EQ(comm.fGetDCB().fDtrControl, 0);
    comm.Close();

    comm.fSetDTR(true);
    comm.fSetDTR(false);
    comm.fSetBaud(9600); // its Close takes the state back from the line settings (DTR off now)
    comm.fSetDTR(true);
    comm.Open();
    EXPECT_TRUE(comm.fGetDTR());
    comm.Close();

    EXPECT_FALSE(comm.EscapeCommFunction(TPelmComm::SETDTR)); // closed
    comm.fSetFCtrl(TPelmComm::fcTranXonXoff);
    EXPECT_EQ(comm.fGetFCtrl(), TPelmComm::fcXonXoff);
    comm.fSetFCtrl(TPelmComm::fcRtsCts);
    EXPECT_EQ(comm.fGetFCtrl(), TPelmComm::fcRtsCts);
    EXPECT_EQ(comm.fGetDCB().fRtsControl, 2);
    comm.fSetFCtrl(static_cast<TPelmComm::TFlowControl>(1));
    EXPECT_EQ(comm.fGetFCtrl(), TPelmComm::fcNone);
}

TEST_F(EngineTest, PurgesWhileOpenOnly)
{
    pty.FarWrite("early"); // raw port end: kept for the engine
    comm.Open();
    ASSERT_EQ(EngineRead(comm, 5).size(), 5u);
    pty.FarWrite("12345");
    ASSERT_TRUE(WaitFor([&] { return rec.Seen() & TPelmComm::EV_RXCHAR; }));
    WaitFor([&] { return false; }, std::chrono::milliseconds(50));
    comm.Close();
    comm.PurgeRead(false); // closed: the bytes stay
    uint8_t buf[16];
    EXPECT_EQ(comm.Read(buf, 16), 5);

    comm.Open();
    rec.Forget();
    pty.FarWrite("abc");
    ASSERT_TRUE(WaitFor([&] { return rec.Seen() & TPelmComm::EV_RXCHAR; }));
    comm.PurgeRead(true);
    EXPECT_EQ(comm.Read(buf, 16), 0);
    comm.PurgeWrite(true);
    EXPECT_EQ(comm.Write("ok", 2), 2);
    const auto got = pty.FarRead(2);
    EXPECT_EQ(std::string(got.begin(), got.end()), "ok");
}

TEST_F(EngineTest, AttachedDescriptorIsUsedButNotClosed)
{
    PtyPair other;
    comm.fSetHandle(other.PortFd());
    EXPECT_EQ(comm.fGetPortName(), "");
    EXPECT_EQ(comm.fGetPort(), 0);
    comm.Open();
    EXPECT_EQ(comm.Write("hi", 2), 2);
    const auto got = other.FarRead(2);
    EXPECT_EQ(std::string(got.begin(), got.end()), "hi");
    comm.Close();
    EXPECT_EQ(comm.fGetHandle(), other.PortFd());
    EXPECT_NE(fcntl(other.PortFd(), F_GETFD), -1); // still open
    comm.Open(); // the same descriptor again
    EXPECT_TRUE(comm.fGetActive());
    comm.fSetPortName(pty.PortPath()); // leaves attached mode: the descriptor is forgotten, not closed
    EXPECT_EQ(comm.fGetHandle(), -1);
    EXPECT_NE(fcntl(other.PortFd(), F_GETFD), -1);

    TPelmComm bad;
    bad.fSetHandle(open("/dev/null", O_RDWR | O_CLOEXEC));
    const int fd = bad.fGetHandle();
    try {
        bad.Open();
        FAIL();
    } catch (const EPelmCommError &e) {
        EXPECT_EQ(e.ErrorCode, EPelmCommError::ecSetCommMask);
        EXPECT_EQ(e.PortName, "");
    }
    close(fd);
}

double ProcessCpuSeconds()
{
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return ru.ru_utime.tv_sec + ru.ru_stime.tv_sec + (ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

TEST_F(EngineTest, FarEndHangingUpIsReportedOnceWithoutSpinning)
{
    comm.Open();
    pty.CloseFar();
    ASSERT_TRUE(WaitFor([&] { return comm.fGetPortLost(); }));
    EXPECT_TRUE(rec.Seen() & TPelmComm::EV_ERR);
    EXPECT_EQ(comm.Write("lost", 4), 4); // queued; the writer finds the device gone and stays quiet

    // A thread spinning on the dead descriptor would use about as much CPU as time passes.
    const double cpu0 = ProcessCpuSeconds();
    const auto t0 = std::chrono::steady_clock::now();
    WaitFor([&] { return false; }, std::chrono::milliseconds(600));
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    EXPECT_LT(ProcessCpuSeconds() - cpu0, wall / 2);

    int errReports = 0;
    for (const auto &e : rec.Log())
        errReports += e.first == "notify" && (e.second & TPelmComm::EV_ERR);
    EXPECT_EQ(errReports, 1);
    comm.Close();
    EXPECT_FALSE(comm.fGetActive());
}

TEST_F(EngineTest, NotificationHandlerExceptionsAreSwallowed)
{
    comm.OnCommNotify = [](TPelmComm *, int32_t) { throw std::runtime_error("handler"); };
    comm.OnAfterOpen = [](TPelmComm *) { throw 1; };
    comm.Open();
    pty.FarWrite("x");
    uint8_t b;
    EXPECT_TRUE(WaitFor([&] { return comm.Read(&b, 1) == 1; }));
    comm.Close();
}

TEST_F(EngineTest, CloseFromTheReaderThreadTimesOutWithReadThreadCode)
{
    std::atomic<int> code{0};
    comm.OnCommNotify = [&](TPelmComm *c, int32_t mask) {
        if (!(mask & TPelmComm::EV_RXCHAR) || code.load() != 0)
            return;
        try {
            c->Close();
        } catch (const EPelmCommError &e) {
            code = e.ErrorCode;
        }
    };
    comm.Open();
    pty.FarWrite("x");
    ASSERT_TRUE(WaitFor([&] { return code.load() != 0; }));
    EXPECT_EQ(code.load(), EPelmCommError::ecCloseReadThread);
    EXPECT_FALSE(comm.fGetActive());
    WaitFor([&] { return false; }, std::chrono::milliseconds(100)); // the old reader thread leaves its handler
    comm.Open(); // usable again
    EXPECT_TRUE(comm.fGetActive());
}

} // namespace
