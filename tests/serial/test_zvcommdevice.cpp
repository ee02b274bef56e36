#include "serial/zvcommdevice.h"
#include "serial/ptypair.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>

using PelmComm::EPelmCommError;
using PelmComm::TCommPackageType;
using PelmComm::TZvCommDevice;
using PelmComm::TZvCustomCommDevice;
using testing_serial::PtyPair;
using Bytes = std::vector<uint8_t>;
using D = TZvCustomCommDevice;

namespace {

// Runs the user-interface thread's event loop until cond holds or a generous limit passed.
bool UiWaitFor(const std::function<bool()> &cond, int timeoutMs = 20000)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!cond()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

struct Event {
    std::string what;
    int32_t value;
    bool onUiThread;
    bool operator==(const Event &o) const { return what == o.what && value == o.value; }
};

std::ostream &operator<<(std::ostream &os, const Event &e)
{
    return os << e.what << ":" << e.value;
}

// Records what the device raises, from whichever thread raises it.
class Recorder {
public:
    explicit Recorder(TZvCommDevice &dev)
    {
        dev.OnCommNotify = [this](QObject *, int32_t v) { Add("comm", v); };
        dev.OnPackage = [this](QObject *, int32_t v) { Add("package", v); };
        dev.AfterOpen = [this](QObject *) { Add("afteropen", 0); };
        dev.BeforeClose = [this](QObject *) { Add("beforeclose", 0); };
    }
    void Add(const std::string &what, int32_t v)
    {
        std::lock_guard lock(m_);
        log_.push_back({what, v, QThread::currentThread() == QCoreApplication::instance()->thread()});
    }
    std::vector<Event> Log()
    {
        std::lock_guard lock(m_);
        return log_;
    }
    // Only the reports of opening and closing (port events come and go with timing).
    std::vector<Event> Lifecycle()
    {
        std::vector<Event> out;
        for (const Event &e : Log())
            if ((e.what != "comm" && e.what != "package") || e.value == 0x38)
                out.push_back(e);
        return out;
    }
    size_t Count(const std::string &what, int32_t bits)
    {
        size_t n = 0;
        for (const Event &e : Log())
            n += e.what == what && (e.value & bits);
        return n;
    }
    void Forget()
    {
        std::lock_guard lock(m_);
        log_.clear();
    }

private:
    std::mutex m_;
    std::vector<Event> log_;
};

class DeviceTest : public testing::Test {
protected:
    void SetUp() override
    {
        dev = std::make_unique<TZvCommDevice>();
        dev->SetPortName(pty.PortPath());
        rec = std::make_unique<Recorder>(*dev);
    }
    void TearDown() override { dev.reset(); } // while the recorder still lives
    PtyPair pty;
    std::unique_ptr<TZvCommDevice> dev;
    std::unique_ptr<Recorder> rec;
};

TEST_F(DeviceTest, NewComponent)
{
    TZvCommDevice fresh;
    EXPECT_EQ(fresh.PortNo(), 2);
    EXPECT_EQ(fresh.PortName(), "COM2");
    EXPECT_EQ(fresh.PortParams(), "COM2,115200,N,8,1");
    EXPECT_EQ(fresh.Baud(), D::br115200);
    EXPECT_FALSE(fresh.Active());
    EXPECT_TRUE(fresh.SyncEvents());
    EXPECT_FALSE(fresh.UsePackage());
    EXPECT_EQ(fresh.QueueSize(), 16);
    EXPECT_EQ(fresh.PackageSize(), 4096);
    EXPECT_EQ(fresh.PackageType(), PelmComm::cptFrameTimeout);
    EXPECT_EQ(fresh.PackageInterval(), 50);
    EXPECT_EQ(fresh.InBufSize(), 8192);
    EXPECT_EQ(fresh.HwInSize(), 1200);
    EXPECT_EQ(fresh.FrameSettings().FrameHead(), 0xEB);
    EXPECT_EQ(fresh.FrameSettings().FrameTail(), 0xEE);
    EXPECT_EQ(fresh.FrameSettings().FrameCtrl(), 0xEC);
    EXPECT_FALSE(fresh.SettingsDialog(nullptr, true));
}

struct ParamsCase {
    std::string text;
    std::string portName;
    int32_t portNo;
    uint32_t baud;
    D::TParity parity;
    int32_t byteSize;
    D::TStopBits stopBits;
};

TEST(DevicePortParams, Parsing)
{
    const std::vector<ParamsCase> cases = {
        {"", "COM2", 2, 9600, D::ptNoParity, 8, D::sbOneStopBit},
        {"COM5", "COM5", 5, 9600, D::ptNoParity, 8, D::sbOneStopBit},
        {"COM3,19200,,7,2", "COM3", 3, 19200, D::ptEvenParity, 7, D::sbTwoStopBit}, // parity kept
        {"COM3,abc,x,8,1.50", "COM3", 3, 0, D::ptNoParity, 8, D::sbOneStopBit},
        {"com4, 57600 ,odd,8,1.5", "COM4", 4, 57600, D::ptOddParity, 8, D::sbOne_5_StopBits},
        {"/dev/ttyUSB0,38400, m ,5,1", "/dev/ttyUSB0", 0, 38400, D::ptMarkParity, 5, D::sbOneStopBit},
        {"COM1,9600,S,264,2,extra", "COM1", 1, 9600, D::ptSpaceParity, 8, D::sbTwoStopBit}, // low 8 bits
    };
    for (const ParamsCase &c : cases) {
        SCOPED_TRACE(c.text);
        TZvCommDevice dev;
        dev.SetParity(D::ptEvenParity);
        dev.SetPortParams(c.text);
        EXPECT_EQ(dev.PortName(), c.portName);
        EXPECT_EQ(dev.PortNo(), c.portNo);
        EXPECT_EQ(dev.BaudRate(), c.baud);
        EXPECT_EQ(dev.Parity(), c.parity);
        EXPECT_EQ(dev.ByteSize(), c.byteSize);
        EXPECT_EQ(dev.StopBits(), c.stopBits);
    }
}

// A device path may hold commas; the line settings are then the last four fields, and a COM
// name keeps ignoring what follows the fifth.
TEST(DevicePortParams, PortNamesWithCommasReadBackWhole)
{
    const std::vector<ParamsCase> cases = {
        {"/dev/serial/by-id/usb-A,B-if00,19200,E,7,2", "/dev/serial/by-id/usb-A,B-if00", 0, 19200, D::ptEvenParity, 7, D::sbTwoStopBit},
        {"/dev/serial/by-id/a,b,c,,9600,O,8,1.5", "/dev/serial/by-id/a,b,c,", 0, 9600, D::ptOddParity, 8, D::sbOne_5_StopBits},
        {"ttyUSB0,x,57600,N,8,1", "ttyUSB0,x", 0, 57600, D::ptNoParity, 8, D::sbOneStopBit},
        {",,115200,S,5,2", ",", 0, 115200, D::ptSpaceParity, 5, D::sbTwoStopBit},
        {"COM7,4800,O,7,2,extra,more", "COM7", 7, 4800, D::ptOddParity, 7, D::sbTwoStopBit},
        {"/dev/ttyUSB0,38400,E,8", "/dev/ttyUSB0", 0, 38400, D::ptEvenParity, 8, D::sbOneStopBit},
    };
    for (const ParamsCase &c : cases) {
        SCOPED_TRACE(c.text);
        TZvCommDevice dev;
        dev.SetPortParams(c.text);
        EXPECT_EQ(dev.PortName(), c.portName);
        EXPECT_EQ(dev.PortNo(), c.portNo);
        EXPECT_EQ(dev.BaudRate(), c.baud);
        EXPECT_EQ(dev.Parity(), c.parity);
        EXPECT_EQ(dev.ByteSize(), c.byteSize);
        EXPECT_EQ(dev.StopBits(), c.stopBits);

        TZvCommDevice again;
        again.SetPortParams(dev.PortParams());
        EXPECT_EQ(again.PortParams(), dev.PortParams());
        EXPECT_EQ(again.PortName(), c.portName);
    }
}

TEST(DevicePortParams, Composition)
{
    TZvCommDevice dev;
    dev.SetPortNo(12);
    dev.SetBaud(D::br9600);
    dev.SetParity(D::ptEvenParity);
    dev.SetByteSize(7);
    dev.SetStopBits(D::sbTwoStopBit);
    EXPECT_EQ(dev.PortParams(), "COM12,9600,E,7,2");
    dev.SetPortParams("COM3,115200,N,8,1");
    EXPECT_EQ(dev.PortParams(), "COM3,115200,N,8,1");
    dev.SetStopBits(D::sbOne_5_StopBits);
    dev.SetParity(D::ptMarkParity);
    EXPECT_EQ(dev.PortParams(), "COM3,115200,M,8,1.5");
}

TEST(DeviceProperties, Coercion)
{
    TZvCommDevice dev;
    dev.SetByteSize(-3);
    EXPECT_EQ(dev.ByteSize(), 0);
    dev.SetByteSize(300);
    EXPECT_EQ(dev.ByteSize(), 255);
    dev.SetAutoAnswer(1000);
    EXPECT_EQ(dev.AutoAnswer(), 255);
    dev.SetAutoAnswer(-1);
    EXPECT_EQ(dev.AutoAnswer(), 0);
    dev.SetBaudRate(250000);
    EXPECT_EQ(dev.Baud(), D::brCustom);
    dev.SetBaud(D::brCustom);
    EXPECT_EQ(dev.BaudRate(), 250000u);
    dev.SetBaud(D::br56000);
    EXPECT_EQ(dev.BaudRate(), 56000u);
    dev.SetFlowControl(D::fcTranXonXoff);
    EXPECT_EQ(dev.FlowControl(), D::fcXonXoff);
    dev.SetFlowControl(D::fcRtsCtsXonXoff);
    EXPECT_EQ(dev.FlowControl(), D::fcRtsCtsXonXoff);
    dev.SetFlowControl(static_cast<D::TFlowControl>(9));
    EXPECT_EQ(dev.FlowControl(), D::fcNone);
    dev.SetParity(static_cast<D::TParity>(7));
    EXPECT_EQ(dev.Parity(), D::ptNoParity);
    dev.SetStopBits(static_cast<D::TStopBits>(-1));
    EXPECT_EQ(dev.StopBits(), D::sbOneStopBit);
}

TEST(DeviceProperties, FrameSettingsCopyTheMarksOnly)
{
    TZvCommDevice a, b;
    b.FrameSettings().SetFrameHead(0x7E);
    b.FrameSettings().SetFrameTail(0x7F);
    b.FrameSettings().SetFrameCtrl(0x7D);
    b.FrameSettings().SetDoubleFrameMark(true);
    a.SetFrameSettings(b.FrameSettings());
    EXPECT_EQ(a.FrameSettings().FrameHead(), 0x7E);
    EXPECT_EQ(a.FrameSettings().FrameTail(), 0x7F);
    EXPECT_EQ(a.FrameSettings().FrameCtrl(), 0x7D);
    EXPECT_FALSE(a.FrameSettings().DoubleFrameMark());
}

TEST_F(DeviceTest, OpeningAndClosingWithPackagesInOrder)
{
    dev->SetSyncEvents(false);
    dev->SetUsePackage(true);
    int32_t writtenFromAfterOpen = -1;
    dev->AfterOpen = [&](QObject *) {
        rec->Add("afteropen", 0);
        writtenFromAfterOpen = dev->WritePackage("x", 1u); // the framer is not on yet
    };
    dev->SetActive(true);
    EXPECT_TRUE(dev->Active());
    EXPECT_EQ(writtenFromAfterOpen, 0);
    EXPECT_EQ(rec->Lifecycle(), (std::vector<Event>{{"comm", 0x38, true}, {"afteropen", 0, true}}));
    EXPECT_EQ(dev->Write("ab", 2), 2);
    EXPECT_EQ(pty.FarRead(2), (Bytes{'a', 'b'}));

    rec->Forget();
    dev->SetActive(false);
    EXPECT_FALSE(dev->Active());
    EXPECT_EQ(rec->Lifecycle(),
              (std::vector<Event>{{"beforeclose", 0, true}, {"package", 0x38, true}, {"comm", 0x38, true}}));
    EXPECT_EQ(dev->Write("ab", 2), 0); // the framer is off again
}

TEST_F(DeviceTest, ChangingParityWhileOpenClosesThePort)
{
    dev->SetSyncEvents(false);
    dev->SetUsePackage(true);
    dev->SetActive(true);
    rec->Forget();
    dev->SetParity(D::ptOddParity);
    EXPECT_FALSE(dev->Active());
    EXPECT_EQ(rec->Lifecycle(),
              (std::vector<Event>{{"beforeclose", 0, true}, {"package", 0x38, true}, {"comm", 0x38, true}}));
    rec->Forget();
    dev->SetActive(true);
    EXPECT_TRUE(dev->Active());
    EXPECT_EQ(rec->Lifecycle(),
              (std::vector<Event>{{"package", 0x38, true}, {"comm", 0x38, true}, {"afteropen", 0, true}}));
}

TEST_F(DeviceTest, TogglingUsePackageWhileOpenKeepsThePortOpen)
{
    dev->SetSyncEvents(false);
    dev->SetActive(true);
    rec->Forget();
    EXPECT_EQ(dev->Write("raw", 3), 3); // raw bytes while the framer is off
    EXPECT_EQ(pty.FarRead(3), (Bytes{'r', 'a', 'w'}));
    dev->SetUsePackage(true);
    EXPECT_TRUE(dev->Active());
    dev->SetPackageType(PelmComm::cptFrameHeadTail);
    EXPECT_EQ(dev->Write("p", 1), 1);
    EXPECT_EQ(pty.FarRead(3), (Bytes{0xEB, 'p', 0xEE}));
    dev->SetUsePackage(false);
    EXPECT_TRUE(dev->Active());
    EXPECT_EQ(dev->WritePackage("p", 1u), 0); // the framer is off
    EXPECT_TRUE(rec->Lifecycle().empty());
}

TEST_F(DeviceTest, SyncEventsPostTheOpenNotificationAfterAfterOpen)
{
    dev->SetUsePackage(true);
    dev->SetActive(true);
    EXPECT_EQ(rec->Lifecycle(), (std::vector<Event>{{"afteropen", 0, true}}));
    ASSERT_TRUE(UiWaitFor([&] { return rec->Lifecycle().size() == 2; }));
    EXPECT_EQ(rec->Lifecycle().back(), (Event{"comm", 0x38, true}));
}

// A raiser that posts from a thread of its own, as the engine's and the framer's threads do.
class PostingDevice : public TZvCommDevice {
public:
    using TZvCommDevice::TZvCommDevice;
    void RaiseComm(int32_t v) { _EvComm(this, v); }
    void RaisePackage(int32_t v) { _EvPackage(this, v); }
};

TEST(DeviceSyncEvents, PostedInOrderWhileTheWorkerGoesOn)
{
    PostingDevice dev;
    std::mutex m;
    std::vector<Event> seen;
    auto record = [&](const char *what) {
        return [&, what](QObject *sender, int32_t v) {
            EXPECT_EQ(sender, &dev);
            std::lock_guard lock(m);
            seen.push_back({what, v, QThread::currentThread() == QCoreApplication::instance()->thread()});
        };
    };
    dev.OnCommNotify = record("comm");
    dev.OnPackage = record("package");
    std::vector<Event> raised;
    for (int32_t i = 1; i <= 200; ++i)
        raised.push_back({i % 3 ? "comm" : "package", i, true});
    std::thread worker([&] {
        for (const Event &e : raised)
            e.what == "comm" ? dev.RaiseComm(e.value) : dev.RaisePackage(e.value);
    });
    worker.join(); // the worker never waited for the user-interface thread
    {
        std::lock_guard lock(m);
        EXPECT_TRUE(seen.empty());
    }
    ASSERT_TRUE(UiWaitFor([&] {
        std::lock_guard lock(m);
        return seen.size() == raised.size();
    }));
    EXPECT_EQ(seen, raised);
    for (const Event &e : seen)
        EXPECT_TRUE(e.onUiThread);
}

TEST_F(DeviceTest, SilencePackagesReachTheHandlerOnTheFramersThread)
{
    dev->SetSyncEvents(false);
    dev->SetUsePackage(true);
    std::mutex m;
    std::vector<Bytes> packages;
    std::atomic<bool> onUiThread{false};
    dev->OnPackage = [&](QObject *, int32_t v) {
        if (!(v & 1))
            return;
        onUiThread = QThread::currentThread() == QCoreApplication::instance()->thread();
        uint8_t buf[64];
        const int32_t n = dev->ReadPackage(buf, sizeof buf);
        std::lock_guard lock(m);
        packages.emplace_back(buf, buf + n);
    };
    dev->SetActive(true);
    EXPECT_EQ(dev->Write("\x01\x02\x03", 3), 3);
    EXPECT_EQ(pty.FarRead(3), (Bytes{1, 2, 3}));
    pty.FarWrite("reply");
    ASSERT_TRUE(testing_serial::WaitFor([&] {
        std::lock_guard lock(m);
        return !packages.empty();
    }));
    std::lock_guard lock(m);
    EXPECT_EQ(packages, std::vector<Bytes>{Bytes({'r', 'e', 'p', 'l', 'y'})});
    EXPECT_FALSE(onUiThread);
    EXPECT_GT(rec->Count("comm", 1), 0u);
    for (const Event &e : rec->Log()) {
        if (e.what == "comm" && (e.value & 1)) {
            EXPECT_FALSE(e.onUiThread);
        }
    }
}

TEST_F(DeviceTest, HeadTailPackagesPostedToTheUiThread)
{
    dev->SetUsePackage(true);
    dev->SetPackageType(PelmComm::cptFrameHeadTail);
    dev->SetActive(true);
    pty.FarWrite(Bytes{0xEB, 0x10, 0xEC, 0xEE, 0xEE}.data(), 5);
    ASSERT_TRUE(UiWaitFor([&] { return rec->Count("package", 1) > 0; }));
    for (const Event &e : rec->Log())
        EXPECT_TRUE(e.onUiThread) << e;
    uint8_t buf[8];
    EXPECT_TRUE(dev->ReadPackage(buf)); // one waits
    EXPECT_EQ(dev->Read(buf, 8), 2);
    EXPECT_EQ(Bytes(buf, buf + 2), (Bytes{0x10, 0xEE}));
}

// The configuration window's use: a port named by path, silence framing, the handler on the
// framer's thread.
TEST_F(DeviceTest, ConfigurationWindowUse)
{
    TZvCommDevice zv;
    zv.SetPortNo(3);
    zv.SetPortName("COM3");
    zv.SetPortParams("COM3,115200,N,8,1");
    zv.SetUsePackage(true);
    zv.SetSyncEvents(false);
    zv.SetPackageType(PelmComm::cptFrameTimeout);
    zv.SetPackageInterval(50);
    zv.SetPackageSize(4096);
    zv.SetQueueSize(16);
    std::atomic<int> packages{0};
    zv.OnPackage = [&](QObject *, int32_t v) { packages += (v & 1) != 0; };
    zv.SetPortName(pty.PortPath());
    EXPECT_EQ(zv.PortNo(), 0);
    zv.SetActive(true);
    Bytes frame(37, 0xA5);
    EXPECT_EQ(zv.Write(frame.data(), 37), 37);
    EXPECT_EQ(pty.FarRead(37), frame);
    pty.FarWrite("ok!");
    ASSERT_TRUE(testing_serial::WaitFor([&] { return packages == 1; }));
    uint8_t buf[4096];
    EXPECT_EQ(zv.ReadPackage(buf, sizeof buf), 3);
    zv.SetPortNo(3); // closes
    EXPECT_FALSE(zv.Active());
    EXPECT_EQ(zv.PortName(), "COM3");
}

TEST_F(DeviceTest, OpeningAPortThatIsNotThereRaises)
{
    dev->SetUsePackage(true);
    dev->SetPortName("/dev/no-such-port");
    EXPECT_THROW(dev->SetActive(true), EPelmCommError);
    EXPECT_FALSE(dev->Active());
    EXPECT_TRUE(rec->Log().empty());
}

TEST_F(DeviceTest, DestructionRaisesNothing)
{
    dev->SetSyncEvents(false);
    dev->SetUsePackage(true);
    dev->SetPackageInterval(1);
    dev->SetActive(true);
    pty.FarWrite("traffic");
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    dev.reset();
    EXPECT_EQ(rec->Lifecycle(), (std::vector<Event>{{"comm", 0x38, true}, {"afteropen", 0, true}}));
}

TEST_F(DeviceTest, DestructionDropsPostedNotifications)
{
    dev->SetUsePackage(true);
    dev->SetActive(true);
    pty.FarWrite("traffic");
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const std::vector<Event> before = rec->Log(); // nothing posted has been delivered yet
    EXPECT_EQ(before, (std::vector<Event>{{"afteropen", 0, true}}));
    dev.reset();
    QCoreApplication::processEvents();
    EXPECT_EQ(rec->Log(), before);
}

TEST_F(DeviceTest, RawReadAndWriteWithoutPackages)
{
    dev->SetSyncEvents(false);
    dev->SetActive(true);
    pty.FarWrite("abc");
    Bytes got;
    ASSERT_TRUE(testing_serial::WaitFor([&] {
        uint8_t buf[8];
        const int32_t n = dev->Read(buf, 8);
        got.insert(got.end(), buf, buf + n);
        return got.size() >= 3;
    }));
    EXPECT_EQ(got, (Bytes{'a', 'b', 'c'}));
    EXPECT_EQ(dev->Command("AT\r"), 3);
    EXPECT_EQ(pty.FarRead(3), (Bytes{'A', 'T', '\r'}));
}

TEST_F(DeviceTest, ResizingAQueueClosesThePortFirst)
{
    dev->SetSyncEvents(false);
    dev->SetUsePackage(true);
    dev->SetActive(true);
    dev->SetInBufSize(4096);
    EXPECT_FALSE(dev->Active());
    EXPECT_EQ(dev->InBufSize(), 4096);
    dev->SetActive(true);
    dev->SetOutBufSize(1024);
    EXPECT_FALSE(dev->Active());
    EXPECT_EQ(dev->OutBufSize(), 1024);
}

TEST(DeviceSettingsDialog, RunsTheRegisteredDialog)
{
    TZvCommDevice dev;
    QObject owner;
    TZvCustomCommDevice *seenDevice = nullptr;
    D::SetSettingsDialogRunner([&](TZvCustomCommDevice *d, QObject *o, bool openAfterOk) {
        seenDevice = d;
        return o == &owner && openAfterOk;
    });
    EXPECT_TRUE(dev.SettingsDialog(&owner, true));
    EXPECT_EQ(seenDevice, &dev);
    D::SetSettingsDialogRunner(nullptr);
    EXPECT_FALSE(dev.SettingsDialog(&owner, true));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
