#include "serial/zvcommdevice.h"

#include "platform/sys/strconv.h"
#include "serial/pelmenumserial.h"

#include <QCoreApplication>

#include <algorithm>
#include <array>
#include <cctype>
#include <mutex>
#include <vector>

namespace PelmComm {

namespace {

constexpr std::array<uint32_t, 15> kBaudRates = {110,   300,   600,   1200,  2400,  4800,   9600,  14400,
                                                 19200, 38400, 56000, 57600, 115200, 128000, 256000};

// Engine flow-control codes by TFlowControl value.
constexpr std::array<TPelmComm::TFlowControl, 5> kFlowCodes = {TPelmComm::fcNone, TPelmComm::fcRtsCts,
                                                               TPelmComm::fcXonXoff, TPelmComm::fcTranXonXoff,
                                                               TPelmComm::fcRtsCtsXonXoff};

class TNotifyPostEvent : public QEvent {
public:
    TNotifyPostEvent(Type type, void *sender, int32_t notifyType)
        : QEvent(type), Sender(sender), NotifyType(notifyType)
    {
    }
    void *Sender;
    int32_t NotifyType;
};

// The hidden object of the user-interface thread that posted notifications are delivered to.
class TNotifier : public QObject {
public:
    explicit TNotifier(std::function<bool(QEvent *)> handler) : FHandler(std::move(handler)) {}
    bool event(QEvent *e) override { return FHandler(e); }
    bool DefaultEvent(QEvent *e) { return QObject::event(e); }

private:
    std::function<bool(QEvent *)> FHandler;
};

std::mutex gRunnerLock;
TZvCustomCommDevice::TSettingsDialogRunner gRunner;

// Device paths (under /dev/serial/by-id, say) may hold commas, so with more than five fields a
// port name that is not a COM name takes every field but the last four, and the text that
// PortParams composes reads back whole. A COM name keeps the classic rule: fields after the fifth
// are ignored.
std::vector<std::string> SplitFields(const std::string &text)
{
    std::vector<std::string> fields;
    if (text.empty())
        return fields;
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        fields.push_back(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    if (fields.size() > 5 && TCommSerialPortInfo::PortNo(fields[0]) == 0) {
        const auto settings = fields.end() - 4;
        for (auto f = fields.begin() + 1; f != settings; ++f)
            fields[0] += "," + *f;
        fields.erase(fields.begin() + 1, settings);
    }
    return fields;
}

// Leading blanks skipped, digits up to the first other character, none giving 0; values beyond
// 32 bits stay at the largest.
uint32_t ParseUnsigned(const std::string &s)
{
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
        ++i;
    uint64_t v = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i)
        v = std::min<uint64_t>(v * 10 + uint64_t(s[i] - '0'), 0xFFFFFFFFu);
    return static_cast<uint32_t>(v);
}

} // namespace

void TZvCommFrameSettings::SetValues(const TZvCommFrameSettings &other)
{
    SetFrameHead(other.FrameHead());
    SetFrameTail(other.FrameTail());
    SetFrameCtrl(other.FrameCtrl());
}

void TZvCustomCommDevice::SetSettingsDialogRunner(TSettingsDialogRunner runner)
{
    std::lock_guard lock(gRunnerLock);
    gRunner = std::move(runner);
}

TZvCustomCommDevice::TZvCustomCommDevice(QObject *owner)
    : QObject(owner)
{
    FNotifier = std::make_unique<TNotifier>([this](QEvent *e) { return _EvNotifyProc(e); });
    FComm = std::make_unique<TPelmComm>();
    FComm->OnCommNotify = [this](TPelmComm *sender, int32_t type) { _EvComm(sender, type); };
    FComm->OnAfterOpen = [this](TPelmComm *sender) { _EvAfterOpen(sender); };
    FComm->OnBeforeClose = [this](TPelmComm *sender) { _EvBeforeClose(sender); };
    FFramer = std::make_unique<TCommPackage>(FComm.get());
    FFramer->OnPackageNotify = [this](TCommPackage *sender, int32_t code) { _EvPackage(sender, code); };
    FFrameSettings = std::make_unique<TZvCommFrameSettings>(FFramer.get());
}

TZvCustomCommDevice::~TZvCustomCommDevice()
{
    _DestroyParts();
    FNotifier.reset(); // notifications not yet delivered go with it
}

// The worker threads are stopped before anything they reach goes away, and the closures are never
// reassigned while a thread might call them: the engine's threads end with Close, the framer's
// with the framer.
void TZvCustomCommDevice::_DestroyParts()
{
    if (FDestroying.exchange(true, std::memory_order_acq_rel))
        return;
    FFramer->fSetActive(false);
    try {
        FComm->Close();
    } catch (...) {
    }
    FFrameSettings.reset();
    FFramer.reset();
    FComm.reset();
}

bool TZvCustomCommDevice::Active() const
{
    return FComm->fGetActive() && (!FUsePackage || FFramer->fGetActive());
}

void TZvCustomCommDevice::SetActive(bool active)
{
    const bool framerActive = FUsePackage && active;
    if (active != FComm->fGetActive())
        FComm->fSetActive(active);
    if (framerActive != FFramer->fGetActive())
        FFramer->fSetActive(framerActive);
}

void TZvCustomCommDevice::SetUsePackage(bool on)
{
    const bool active = Active();
    FUsePackage = on;
    SetActive(active);
}

int32_t TZvCustomCommDevice::Read(void *buffer, int32_t count)
{
    if (FUsePackage)
        return FFramer->ReadPackage(buffer, static_cast<uint32_t>(std::max(count, 0)));
    return FComm->Read(buffer, count);
}

int32_t TZvCustomCommDevice::Write(const void *buffer, int32_t count)
{
    if (FUsePackage)
        return FFramer->WritePackage(buffer, static_cast<uint32_t>(std::max(count, 0)));
    return FComm->Write(buffer, count);
}

int32_t TZvCustomCommDevice::Command(const char *text)
{
    return FComm->Command(text);
}

bool TZvCustomCommDevice::ReadPackage(void *buffer)
{
    return FFramer->ReadPackage(buffer, 0) != 0;
}

bool TZvCustomCommDevice::WritePackage(const void *buffer)
{
    return FFramer->WritePackage(buffer, 0) != 0;
}

int32_t TZvCustomCommDevice::ReadPackage(void *buffer, uint32_t size)
{
    return FFramer->ReadPackage(buffer, size);
}

int32_t TZvCustomCommDevice::WritePackage(const void *buffer, uint32_t size)
{
    return FFramer->WritePackage(buffer, size);
}

void TZvCustomCommDevice::PurgeRead(bool abort)
{
    if (FUsePackage)
        FFramer->PurgeRead();
    else
        FComm->PurgeRead(abort);
}

void TZvCustomCommDevice::PurgeWrite(bool abort)
{
    if (FUsePackage)
        FFramer->PurgeWrite();
    else
        FComm->PurgeWrite(abort);
}

bool TZvCustomCommDevice::SettingsDialog(QObject *owner, bool openAfterOk)
{
    TSettingsDialogRunner runner;
    {
        std::lock_guard lock(gRunnerLock);
        runner = gRunner;
    }
    return runner ? runner(this, owner, openAfterOk) : false;
}

int32_t TZvCustomCommDevice::ResetModem()
{
    return FComm->ResetModem();
}

int32_t TZvCustomCommDevice::InitModem()
{
    return FComm->InitModem();
}

bool TZvCustomCommDevice::EscapeCommFunction(uint32_t code)
{
    return FComm->EscapeCommFunction(code);
}

TZvCustomCommDevice::TModemStatus TZvCustomCommDevice::ModemStatus() const
{
    return static_cast<TModemStatus>((CTS() ? 1 << msCTS : 0) | (DSR() ? 1 << msDSR : 0) |
                                     (RING() ? 1 << msRING : 0) | (RLSD() ? 1 << msRLSD : 0));
}

std::string TZvCustomCommDevice::PortParams() const
{
    static constexpr const char *kParity[] = {"N", "O", "E", "M", "S"};
    static constexpr const char *kStopBits[] = {"1", "1.5", "2"};
    const uint8_t parity = FComm->fGetParity();
    const uint8_t stopBits = FComm->fGetStopBits();
    return FComm->fGetPortName() + "," + std::to_string(FComm->fGetBaud()) + "," +
           (parity < 5 ? kParity[parity] : "N") + "," + std::to_string(FComm->fGetByteSize()) + "," +
           (stopBits < 3 ? kStopBits[stopBits] : "1");
}

void TZvCustomCommDevice::SetPortParams(const std::string &text)
{
    const std::vector<std::string> f = SplitFields(text);
    FComm->fSetPortName(f.empty() ? std::string("COM2") : f[0]);
    FComm->fSetBaud(f.size() < 2 ? 9600 : ParseUnsigned(f[1]));
    if (f.size() < 3) {
        FComm->fSetParity(0);
    } else if (const std::string p = platform::TrimBlanks(f[2]); !p.empty()) {
        static constexpr const char kLetters[] = "NOEMS";
        const char *hit = std::char_traits<char>::find(kLetters, 5, static_cast<char>(std::toupper(static_cast<unsigned char>(p[0]))));
        FComm->fSetParity(hit ? static_cast<uint8_t>(hit - kLetters) : 0);
    }
    FComm->fSetByteSize(static_cast<uint8_t>(f.size() < 4 ? 8 : ParseUnsigned(f[3])));
    uint8_t stop = 0;
    if (f.size() >= 5) {
        const std::string s = platform::TrimBlanks(f[4]);
        stop = s == "1.5" ? 1 : s == "2" ? 2 : 0;
    }
    FComm->fSetStopBits(stop);
}

TZvCustomCommDevice::TBaudRate TZvCustomCommDevice::Baud() const
{
    const auto it = std::find(kBaudRates.begin(), kBaudRates.end(), FComm->fGetBaud());
    return it == kBaudRates.end() ? brCustom : static_cast<TBaudRate>(it - kBaudRates.begin());
}

void TZvCustomCommDevice::SetBaud(TBaudRate baud)
{
    if (baud >= 0 && baud < brCustom)
        FComm->fSetBaud(kBaudRates[baud]);
}

TZvCustomCommDevice::TParity TZvCustomCommDevice::Parity() const
{
    const uint8_t p = FComm->fGetParity();
    return p >= 1 && p <= 4 ? static_cast<TParity>(p) : ptNoParity;
}

void TZvCustomCommDevice::SetParity(TParity parity)
{
    FComm->fSetParity(parity >= 1 && parity <= 4 ? static_cast<uint8_t>(parity) : 0);
}

void TZvCustomCommDevice::SetByteSize(int32_t size)
{
    FComm->fSetByteSize(static_cast<uint8_t>(std::clamp(size, 0, 255)));
}

TZvCustomCommDevice::TStopBits TZvCustomCommDevice::StopBits() const
{
    const uint8_t s = FComm->fGetStopBits();
    return s == 1 || s == 2 ? static_cast<TStopBits>(s) : sbOneStopBit;
}

void TZvCustomCommDevice::SetStopBits(TStopBits stopBits)
{
    FComm->fSetStopBits(stopBits == 1 || stopBits == 2 ? static_cast<uint8_t>(stopBits) : 0);
}

TZvCustomCommDevice::TFlowControl TZvCustomCommDevice::FlowControl() const
{
    const auto it = std::find(kFlowCodes.begin(), kFlowCodes.end(), FComm->fGetFCtrl());
    return it == kFlowCodes.end() ? fcNone : static_cast<TFlowControl>(it - kFlowCodes.begin());
}

void TZvCustomCommDevice::SetFlowControl(TFlowControl fc)
{
    FComm->fSetFCtrl(fc >= 0 && fc <= fcRtsCtsXonXoff ? kFlowCodes[fc] : TPelmComm::fcNone);
}

void TZvCustomCommDevice::SetAutoAnswer(int32_t rings)
{
    FComm->fSetAAns(static_cast<uint8_t>(std::clamp(rings, 0, 255)));
}

// The reader thread fills the receive queue and the framer or the writer thread use both queues
// while the port is open (the framer also between its packages): resize only with all of them
// stopped.
void TZvCustomCommDevice::SetInBufSize(int32_t size)
{
    SetActive(false);
    FComm->fSetInBufSize(size);
}

void TZvCustomCommDevice::SetOutBufSize(int32_t size)
{
    SetActive(false);
    FComm->fSetOutBufSize(size);
}

void TZvCustomCommDevice::_EvComm(void *Sender, int32_t NotifyType)
{
    if (FDestroying.load(std::memory_order_acquire))
        return;
    if (SyncEvents())
        _Post(CommNotifyEvent, Sender, NotifyType);
    else
        EvCommNotify(Sender, NotifyType);
}

void TZvCustomCommDevice::_EvPackage(void *Sender, int32_t NotifyType)
{
    if (FDestroying.load(std::memory_order_acquire))
        return;
    if (SyncEvents())
        _Post(PackageNotifyEvent, Sender, NotifyType);
    else
        EvPackageNotify(Sender, NotifyType);
}

void TZvCustomCommDevice::_EvAfterOpen(void *Sender)
{
    if (!FDestroying.load(std::memory_order_acquire))
        EvAfterOpen(Sender);
}

void TZvCustomCommDevice::_EvBeforeClose(void *Sender)
{
    if (!FDestroying.load(std::memory_order_acquire))
        EvBeforeClose(Sender);
}

// Events are made, posted and read under one lock: the tools that check threads cannot see the
// event queue's own locking, and this orders the posting threads among themselves and before the
// user-interface thread's reads.
void TZvCustomCommDevice::_Post(QEvent::Type type, void *Sender, int32_t NotifyType)
{
    std::lock_guard lock(FPostLock);
    QCoreApplication::postEvent(FNotifier.get(), new TNotifyPostEvent(type, Sender, NotifyType));
}

bool TZvCustomCommDevice::_EvNotifyProc(QEvent *event)
{
    QEvent::Type type;
    void *sender = nullptr;
    int32_t notifyType = 0;
    {
        std::lock_guard lock(FPostLock);
        type = event->type();
        if (type == CommNotifyEvent || type == PackageNotifyEvent) {
            const auto *n = static_cast<TNotifyPostEvent *>(event);
            sender = n->Sender;
            notifyType = n->NotifyType;
        }
    }
    if (type == CommNotifyEvent)
        EvCommNotify(sender, notifyType);
    else if (type == PackageNotifyEvent)
        EvPackageNotify(sender, notifyType);
    return static_cast<TNotifier *>(FNotifier.get())->DefaultEvent(event);
}

void TZvCustomCommDevice::EvCommNotify(void *, int32_t NotifyType)
{
    if (OnCommNotify)
        OnCommNotify(this, NotifyType);
}

void TZvCustomCommDevice::EvPackageNotify(void *, int32_t NotifyType)
{
    if (OnPackage)
        OnPackage(this, NotifyType);
}

void TZvCustomCommDevice::EvAfterOpen(void *)
{
    if (AfterOpen)
        AfterOpen(this);
}

void TZvCustomCommDevice::EvBeforeClose(void *)
{
    if (BeforeClose)
        BeforeClose(this);
}

} // namespace PelmComm
