#pragma once
#include "serial/pelmcomm.h"
#include "serial/pelmcommpkg.h"

#include <QEvent>
#include <QObject>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace PelmComm {

class TForm_ZvCommDevice_Settings;

// Sender is always the device component itself.
using TCommNotifyEvent = std::function<void(QObject *Sender, int32_t NotifyType)>;
using TNotifyEvent = std::function<void(QObject *Sender)>;

// The framer's marks, edited in place.
class TZvCommFrameSettings {
public:
    explicit TZvCommFrameSettings(TCommPackage *framer) : FFramer(framer) {}
    TZvCommFrameSettings(const TZvCommFrameSettings &) = delete;
    TZvCommFrameSettings &operator=(const TZvCommFrameSettings &) = delete;

    uint8_t FrameHead() const { return FFramer->FrameHead; }
    void SetFrameHead(uint8_t b) { FFramer->FrameHead = b; }
    uint8_t FrameTail() const { return FFramer->FrameTail; }
    void SetFrameTail(uint8_t b) { FFramer->FrameTail = b; }
    uint8_t FrameCtrl() const { return FFramer->FrameCtrl; }
    void SetFrameCtrl(uint8_t b) { FFramer->FrameCtrl = b; }
    bool DoubleFrameMark() const { return FFramer->fGetDblFrameMark(); }
    void SetDoubleFrameMark(bool on) { FFramer->fSetDblFrameMark(on); }
    // Copies the three marks; DoubleFrameMark stays.
    void SetValues(const TZvCommFrameSettings &other);

private:
    TCommPackage *FFramer;
};

// A serial port for a window: one engine, one framer on it and the framer's marks. Reads and writes
// go to the raw byte stream, or to the framer when UsePackage is set. Notifications of the worker
// threads reach OnCommNotify and OnPackage either on the user-interface thread, posted in order as
// events 1026 and 1027 (SyncEvents), or directly on the thread that raised them.
//
// Threads: create, use and destroy the component on the user-interface thread; set the handlers
// while the port is closed. Destruction raises no event.
class TZvCustomCommDevice : public QObject {
    Q_OBJECT
    // The settings dialog edits the stored properties of any kind of device.
    friend class TForm_ZvCommDevice_Settings;

public:
    enum TBaudRate : int {
        br110, br300, br600, br1200, br2400, br4800, br9600, br14400, br19200, br38400, br56000, br57600,
        br115200, br128000, br256000, brCustom
    };
    enum TParity : int { ptNoParity, ptOddParity, ptEvenParity, ptMarkParity, ptSpaceParity };
    enum TStopBits : int { sbOneStopBit, sbOne_5_StopBits, sbTwoStopBit };
    enum TFlowControl : int { fcNone, fcRtsCts, fcXonXoff, fcTranXonXoff, fcRtsCtsXonXoff };
    enum TModemStatusItem : int { msCTS, msDSR, msRING, msRLSD };
    // A set of TModemStatusItem: bit (1 << item).
    using TModemStatus = uint8_t;

    static constexpr QEvent::Type CommNotifyEvent = static_cast<QEvent::Type>(1026);
    static constexpr QEvent::Type PackageNotifyEvent = static_cast<QEvent::Type>(1027);

    // The port settings dialog lives in a library of its own; it registers here how it is shown.
    using TSettingsDialogRunner = std::function<bool(TZvCustomCommDevice *Device, QObject *Owner, bool OpenAfterOk)>;
    static void SetSettingsDialogRunner(TSettingsDialogRunner runner);

    explicit TZvCustomCommDevice(QObject *owner = nullptr);
    ~TZvCustomCommDevice() override;

    virtual int32_t Read(void *buffer, int32_t count);
    virtual int32_t Write(const void *buffer, int32_t count);
    virtual int32_t Command(const char *text);
    // Whole records of the compatible kind; with the other kinds they only tell whether a package
    // waits, and send nothing.
    virtual bool ReadPackage(void *buffer);
    virtual bool WritePackage(const void *buffer);
    virtual int32_t ReadPackage(void *buffer, uint32_t size);
    virtual int32_t WritePackage(const void *buffer, uint32_t size);
    virtual void PurgeRead(bool abort);
    virtual void PurgeWrite(bool abort);
    // Shows the port settings dialog modally; true when it was closed with OK. False without a
    // registered dialog.
    virtual bool SettingsDialog(QObject *owner, bool openAfterOk);
    virtual int32_t ResetModem();
    virtual int32_t InitModem();
    virtual bool EscapeCommFunction(uint32_t code);

    // Writing true opens the port (raising EPelmCommError when it cannot be opened) and, with
    // UsePackage, then switches the framer on; false closes both.
    bool Active() const;
    void SetActive(bool active);
    int Handle() const { return FComm->fGetHandle(); }
    TCommQueue &InQueue() { return FComm->fGetInQueue(); }
    TCommQueue &OutQueue() { return FComm->fGetOutQueue(); }
    TModemStatus ModemStatus() const;
    bool DisableWrite() const { return FComm->DisableWrite; }
    void SetDisableWrite(bool on) { FComm->DisableWrite = on; }
    bool DTR() const { return FComm->fGetDTR(); }
    void SetDTR(bool on) { FComm->fSetDTR(on); }
    bool RTS() const { return FComm->fGetRTS(); }
    void SetRTS(bool on) { FComm->fSetRTS(on); }
    bool CTS() const { return FComm->fGetCTS(); }
    bool DSR() const { return FComm->fGetDSR(); }
    bool RING() const { return FComm->fGetRING(); }
    bool RLSD() const { return FComm->fGetRLSD(); }
    // The open port's device went away (reported once with EV_ERR); cleared when the port opens.
    bool PortLost() const { return FComm->fGetPortLost(); }

protected:
    // Raise the events, always with the component as Sender. Override to see notifications
    // without handlers. Sender here is only a token of the raiser.
    virtual void EvCommNotify(void *Sender, int32_t NotifyType);
    virtual void EvPackageNotify(void *Sender, int32_t NotifyType);
    virtual void EvAfterOpen(void *Sender);
    virtual void EvBeforeClose(void *Sender);

    // Bound to the engine and the framer: they post or call on according to SyncEvents.
    void _EvComm(void *Sender, int32_t NotifyType);
    void _EvPackage(void *Sender, int32_t NotifyType);
    void _EvAfterOpen(void *Sender);
    void _EvBeforeClose(void *Sender);
    // The notification object's event handler on the user-interface thread.
    bool _EvNotifyProc(QEvent *event);
    void _Post(QEvent::Type type, void *Sender, int32_t NotifyType);
    // Closes the port and stops every worker thread, raising nothing. A descendant that overrides
    // the Ev operations calls it first in its own destructor, so that no worker thread calls into
    // a half-destroyed object.
    void _DestroyParts();

    // Stored properties, published by TZvCommDevice. The port, line-setting, DataOnly and buffer
    // size setters close an open port and leave it closed.
    int32_t PortNo() const { return FComm->fGetPort(); }
    void SetPortNo(int32_t port) { FComm->fSetPort(port); }
    std::string PortName() const { return FComm->fGetPortName(); }
    void SetPortName(const std::string &name) { FComm->fSetPortName(name); }
    // "COM3,115200,N,8,1": port, baud rate, parity letter, data bits, stop bits. Every text is
    // taken; missing fields give 9600 baud, no parity, 8 data bits and one stop bit. A port name
    // holding commas (a device path) reads back whole: the line settings are the last four fields.
    std::string PortParams() const;
    void SetPortParams(const std::string &text);
    TBaudRate Baud() const;
    void SetBaud(TBaudRate baud);
    uint32_t BaudRate() const { return FComm->fGetBaud(); }
    void SetBaudRate(uint32_t rate) { FComm->fSetBaud(rate); }
    TParity Parity() const;
    void SetParity(TParity parity);
    int32_t ByteSize() const { return FComm->fGetByteSize(); }
    void SetByteSize(int32_t size);
    TStopBits StopBits() const;
    void SetStopBits(TStopBits stopBits);
    TFlowControl FlowControl() const;
    void SetFlowControl(TFlowControl fc);
    int32_t AutoAnswer() const { return FComm->fGetAAns(); }
    void SetAutoAnswer(int32_t rings);
    bool SyncEvents() const { return FSyncEvents.load(std::memory_order_relaxed); }
    void SetSyncEvents(bool on) { FSyncEvents.store(on, std::memory_order_relaxed); }
    bool DataOnly() const { return FComm->fGetDataOnly(); }
    void SetDataOnly(bool on) { FComm->fSetDataOnly(on); }
    // The receive and transmit queues are resized only with the port closed: these close it first.
    int32_t InBufSize() const { return FComm->fGetInBufSize(); }
    void SetInBufSize(int32_t size);
    int32_t OutBufSize() const { return FComm->fGetOutBufSize(); }
    void SetOutBufSize(int32_t size);
    int32_t HwInSize() const { return FComm->fGetHwInSize(); }
    void SetHwInSize(int32_t size) { FComm->fSetHwInSize(size); }
    int32_t HwOutSize() const { return FComm->fGetHwOutSize(); }
    void SetHwOutSize(int32_t size) { FComm->fSetHwOutSize(size); }
    int32_t QueueSize() const { return static_cast<int32_t>(FFramer->fGetQSize()); }
    void SetQueueSize(int32_t size) { FFramer->fSetQSize(static_cast<uint32_t>(size)); }
    int32_t PackageSize() const { return static_cast<int32_t>(FFramer->fGetPkgSz()); }
    void SetPackageSize(int32_t size) { FFramer->fSetPkgSz(static_cast<uint32_t>(size)); }
    TCommPackageType PackageType() const { return FFramer->fGetPkgType(); }
    void SetPackageType(TCommPackageType type) { FFramer->fSetPkgType(type); }
    int32_t PackageInterval() const { return static_cast<int32_t>(FFramer->fGetPkgInterval()); }
    void SetPackageInterval(int32_t ms) { FFramer->fSetPkgInterval(static_cast<uint32_t>(ms)); }
    bool UsePackage() const { return FUsePackage; }
    // An open port stays open; the framer follows.
    void SetUsePackage(bool on);
    TZvCommFrameSettings &FrameSettings() { return *FFrameSettings; }
    void SetFrameSettings(const TZvCommFrameSettings &settings) { FFrameSettings->SetValues(settings); }

    TCommNotifyEvent OnPackage;
    TCommNotifyEvent OnCommNotify;
    TNotifyEvent AfterOpen;
    TNotifyEvent BeforeClose;

private:
    std::unique_ptr<TPelmComm> FComm;
    std::unique_ptr<TCommPackage> FFramer;
    std::unique_ptr<TZvCommFrameSettings> FFrameSettings;
    bool FUsePackage = false;
    std::atomic<bool> FSyncEvents{true};
    std::unique_ptr<QObject> FNotifier;
    std::mutex FPostLock;
    // Set when destruction begins: from then on no event is raised or posted.
    std::atomic<bool> FDestroying{false};
};

class TZvCommDevice : public TZvCustomCommDevice {
    Q_OBJECT
public:
    using TZvCustomCommDevice::TZvCustomCommDevice;
    ~TZvCommDevice() override { _DestroyParts(); }

    using TZvCustomCommDevice::PortNo;
    using TZvCustomCommDevice::SetPortNo;
    using TZvCustomCommDevice::PortName;
    using TZvCustomCommDevice::SetPortName;
    using TZvCustomCommDevice::PortParams;
    using TZvCustomCommDevice::SetPortParams;
    using TZvCustomCommDevice::Baud;
    using TZvCustomCommDevice::SetBaud;
    using TZvCustomCommDevice::BaudRate;
    using TZvCustomCommDevice::SetBaudRate;
    using TZvCustomCommDevice::Parity;
    using TZvCustomCommDevice::SetParity;
    using TZvCustomCommDevice::ByteSize;
    using TZvCustomCommDevice::SetByteSize;
    using TZvCustomCommDevice::StopBits;
    using TZvCustomCommDevice::SetStopBits;
    using TZvCustomCommDevice::FlowControl;
    using TZvCustomCommDevice::SetFlowControl;
    using TZvCustomCommDevice::AutoAnswer;
    using TZvCustomCommDevice::SetAutoAnswer;
    using TZvCustomCommDevice::SyncEvents;
    using TZvCustomCommDevice::SetSyncEvents;
    using TZvCustomCommDevice::DataOnly;
    using TZvCustomCommDevice::SetDataOnly;
    using TZvCustomCommDevice::InBufSize;
    using TZvCustomCommDevice::SetInBufSize;
    using TZvCustomCommDevice::OutBufSize;
    using TZvCustomCommDevice::SetOutBufSize;
    using TZvCustomCommDevice::HwInSize;
    using TZvCustomCommDevice::SetHwInSize;
    using TZvCustomCommDevice::HwOutSize;
    using TZvCustomCommDevice::SetHwOutSize;
    using TZvCustomCommDevice::QueueSize;
    using TZvCustomCommDevice::SetQueueSize;
    using TZvCustomCommDevice::PackageSize;
    using TZvCustomCommDevice::SetPackageSize;
    using TZvCustomCommDevice::PackageType;
    using TZvCustomCommDevice::SetPackageType;
    using TZvCustomCommDevice::PackageInterval;
    using TZvCustomCommDevice::SetPackageInterval;
    using TZvCustomCommDevice::UsePackage;
    using TZvCustomCommDevice::SetUsePackage;
    using TZvCustomCommDevice::FrameSettings;
    using TZvCustomCommDevice::SetFrameSettings;
    using TZvCustomCommDevice::OnPackage;
    using TZvCustomCommDevice::OnCommNotify;
    using TZvCustomCommDevice::AfterOpen;
    using TZvCustomCommDevice::BeforeClose;
};

} // namespace PelmComm
