#include "serial/pelmcomm.h"

#include "platform/sys/devicegroup.h"
#include "platform/sys/serialport.h"
#include "serial/pelmcommworkers.h"
#include "serial/pelmenumserial.h"

#include <chrono>
#include <cstdio>
#include <cstring>

namespace PelmComm {

namespace {

// Both threads get about 500 ms to end, looked at every millisecond: they usually end within
// microseconds, and every line-setting setter pays for this wait.
constexpr int kCloseWaitSteps = 500;
constexpr auto kCloseWaitStep = std::chrono::milliseconds(1);

platform::LineSettings ToLineSettings(const TDCB &dcb)
{
    platform::LineSettings s;
    s.baud = dcb.BaudRate;
    s.dataBits = dcb.ByteSize;
    s.parity = dcb.Parity;
    s.stopBits = dcb.StopBits;
    s.rtsCtsFlow = dcb.fOutxCtsFlow || dcb.fRtsControl == 2;
    s.xonXoffOut = dcb.fOutX;
    s.xonXoffIn = dcb.fInX;
    s.xonChar = dcb.XonChar;
    s.xoffChar = dcb.XoffChar;
    return s;
}

bool ApplyDcb(int fd, const TDCB &dcb)
{
    if (!platform::ApplyLineSettings(fd, ToLineSettings(dcb)))
        return false;
    // Ports without modem lines (pseudo-terminals) refuse these; that is no failure of the settings.
    platform::SetOutputLine(fd, platform::OutputLine::Dtr, dcb.fDtrControl != 0);
    platform::SetOutputLine(fd, platform::OutputLine::Rts, dcb.fRtsControl == 1 || dcb.fRtsControl == 2);
    return true;
}

} // namespace

TPelmComm::TPelmComm()
    : FPortName(TCommSerialPortInfo::PortName(2))
{
}

TPelmComm::~TPelmComm()
{
    try {
        Close();
    } catch (...) {
    }
}

void TPelmComm::_ReadModemStatus(int fd)
{
    platform::ModemLines lines;
    if (!platform::GetModemLines(fd, lines))
        return;
    FModemStatus.store((lines.cts ? MS_CTS_ON : 0) | (lines.dsr ? MS_DSR_ON : 0) | (lines.ring ? MS_RING_ON : 0) |
                           (lines.dcd ? MS_RLSD_ON : 0),
                       std::memory_order_relaxed);
}

void TPelmComm::Open()
{
    if (fGetActive())
        return;
    using E = EPelmCommError;
    E::TErrorCode code{};
    auto failed = [&code] { return code != E::TErrorCode{}; };

    if (!FInQueue.fIsValid())
        code = E::ecInitReadBuffer;
    else if (!FOutQueue.fIsValid())
        code = E::ecInitWriteBuffer;

    TOpenFailure reason;
    if (!failed() && !FAttached) {
        const std::string path = TCommSerialPortInfo::DevicePath(FPortName);
        FDevice = platform::SerialDevice::Open(path, &reason.Errno);
        if (FDevice) {
            FHandle = FDevice->fd();
        } else {
            code = E::ecOpenPort;
            reason.Group = platform::DeviceGroup(path);
        }
    }
    // A supplied descriptor that is no terminal cannot deliver port events.
    if (!failed() && !platform::IsTerminal(FHandle))
        code = E::ecSetCommMask;
    // Driver buffer sizes (HwInSize, HwOutSize) are fixed by the tty layer: nothing to request.
    if (!failed()) {
        if (FAttached) {
            platform::RawLineSettings raw;
            if (!platform::ReadLineSettings(FHandle, raw))
                code = E::ecGetParams;
            else if (!platform::WriteLineSettings(FHandle, raw))
                code = E::ecSetParams;
        } else {
            if (FDCB.fDtrControl != 2)
                FDCB.fDtrControl = FDtrState ? 1 : 0;
            if (FDCB.fRtsControl != 2 && FDCB.fRtsControl != 3)
                FDCB.fRtsControl = FRtsState ? 1 : 0;
            if (!ApplyDcb(FHandle, FDCB))
                code = E::ecSetParams;
        }
    }

    auto workers = std::make_shared<TWorkers>();
    if (!failed() && (!workers->readStop.Create() || (!FRxWake.valid() && !FRxWake.Create())))
        code = E::ecCreateReadEvent;
    if (!failed() && ((!FTxData.valid() && !FTxData.Create()) || !workers->writeStop.Create()))
        code = E::ecCreateWriteEvent;
    if (!failed()) {
        workers->fd = FHandle;
        workers->attached = FAttached;
        workers->ctsFlow = FDCB.fOutxCtsFlow;
        workers->eventMask = FDataOnly ? EventMaskDataOnly : EventMaskAll;
        workers->evtChar = FDCB.EvtChar;
        FPortLost.store(false, std::memory_order_relaxed);
        FRxReported.store(false, std::memory_order_relaxed);
        _ReadModemStatus(FHandle); // the reader's starting point for line changes
        FWorkers = workers;
        workers->readRun.store(true, std::memory_order_release);
        try {
            workers->reader = std::thread(_ReadThread, this, workers);
        } catch (...) {
            workers->readRun.store(false, std::memory_order_release);
            code = E::ecCreateReadThread;
        }
    }
    if (!failed()) {
        workers->writeRun.store(true, std::memory_order_release);
        try {
            workers->writer = std::thread(_WriteThread, this, workers);
        } catch (...) {
            workers->writeRun.store(false, std::memory_order_release);
            code = E::ecCreateWriteThread;
        }
    }
    if (failed()) {
        Close();
        throw EPelmCommError(code, FPortName, reason);
    }

    FActive.store(true, std::memory_order_release);
    DisableWrite = false;
    _ReadModemStatus(FHandle);
    FDtrState = FDCB.fDtrControl != 0;
    FRtsState = FDCB.fRtsControl != 0;
    CommNotify(ModemLinesChanged);
    CommAfterOpen();
}

void TPelmComm::Close()
{
    const bool wasActive = fGetActive();
    if (wasActive)
        CommBeforeClose();

    EPelmCommError::TErrorCode code{};
    if (std::shared_ptr<TWorkers> w = std::move(FWorkers)) {
        w->readRun.store(false, std::memory_order_release);
        w->writeRun.store(false, std::memory_order_release);
        if (w->readStop.valid())
            w->readStop.Signal();
        if (w->writeStop.valid())
            w->writeStop.Signal();
        // Threads that were started but have not run yet are waited for as well.
        auto readerRunning = [&] { return w->reader.joinable() && !w->readDone.load(std::memory_order_acquire); };
        auto writerRunning = [&] { return w->writer.joinable() && !w->writeDone.load(std::memory_order_acquire); };
        for (int i = 0; i < kCloseWaitSteps && (readerRunning() || writerRunning()); ++i)
            std::this_thread::sleep_for(kCloseWaitStep);
        if (writerRunning())
            code = EPelmCommError::ecCloseWriteThread;
        else if (readerRunning())
            code = EPelmCommError::ecCloseReadThread;
        // A thread that is still running (a notification handler that does not return, or Close
        // called from the reader thread itself) ends on its own; it keeps its share of the session.
        for (std::thread *t : {&w->reader, &w->writer}) {
            if (!t->joinable())
                continue;
            if ((t == &w->reader ? readerRunning() : writerRunning()))
                t->detach();
            else
                t->join();
        }
    }
    if (!FAttached) {
        FDevice.reset();
        FHandle = -1;
    }
    FDtrState = FDCB.fDtrControl != 0;
    FRtsState = FDCB.fRtsControl != 0;
    if (wasActive) {
        FActive.store(false, std::memory_order_release);
        FModemStatus.store(0, std::memory_order_relaxed);
        CommNotify(ModemLinesChanged);
    }
    if (code != EPelmCommError::TErrorCode{})
        throw EPelmCommError(code, FPortName);
}

int32_t TPelmComm::Read(void *buffer, int32_t length)
{
    if (FRxReported.load(std::memory_order_relaxed))
        FRxReported.exchange(false, std::memory_order_acq_rel);
    const int32_t n = FInQueue.Out(buffer, length);
    if (n > 0 && FRxStarved.exchange(false, std::memory_order_acq_rel) && FRxWake.valid())
        FRxWake.Signal();
    return n;
}

void TPelmComm::_WakeWriter()
{
    if (FTxIdle.exchange(false, std::memory_order_acq_rel) && FTxData.valid())
        FTxData.Signal();
}

int32_t TPelmComm::Write(const void *data, int32_t length)
{
    if (DisableWrite)
        return 0;
    const int32_t n = FOutQueue.In(data, length);
    _WakeWriter();
    return n;
}

int32_t TPelmComm::Command(const char *text)
{
    const int32_t n = text ? FOutQueue.In(text, static_cast<int32_t>(std::strlen(text))) : 0;
    _WakeWriter();
    return n;
}

void TPelmComm::PurgeRead(bool)
{
    if (!fGetActive())
        return;
    // Before the purge, as in Read: an arrival after it is reported again.
    FRxReported.exchange(false, std::memory_order_acq_rel);
    platform::Discard(FHandle, true, false);
    FInQueue.PurgeByConsumer();
}

void TPelmComm::PurgeWrite(bool)
{
    if (!fGetActive())
        return;
    platform::Discard(FHandle, false, true);
    FOutQueue.PurgeByProducer();
}

int32_t TPelmComm::ResetModem()
{
    return Command(Str_ResetModem);
}

int32_t TPelmComm::InitModem()
{
    char text[64];
    std::snprintf(text, sizeof text, Fmt_InitModem, static_cast<int>(fGetFCtrl()), static_cast<int>(FAutoAnswer));
    return Command(text);
}

bool TPelmComm::EscapeCommFunction(uint32_t code)
{
    if (!fGetActive() || FHandle < 0)
        return false;
    bool ok = false;
    switch (code) {
    case SETXOFF: ok = platform::SuspendOutput(FHandle, true); break;
    case SETXON: ok = platform::SuspendOutput(FHandle, false); break;
    case SETRTS:
    case CLRRTS: ok = platform::SetOutputLine(FHandle, platform::OutputLine::Rts, code == SETRTS); break;
    case SETDTR:
    case CLRDTR: ok = platform::SetOutputLine(FHandle, platform::OutputLine::Dtr, code == SETDTR); break;
    case SETBREAK:
    case CLRBREAK: ok = platform::SetBreak(FHandle, code == SETBREAK); break;
    default: break; // RESETDEV: a tty cannot be reset from here
    }
    if (ok && (code == SETRTS || code == CLRRTS))
        FRtsState = code == SETRTS;
    if (ok && (code == SETDTR || code == CLRDTR))
        FDtrState = code == SETDTR;
    return ok;
}

void TPelmComm::CommNotify(int32_t eventMask)
{
    if (!OnCommNotify)
        return;
    try {
        OnCommNotify(this, eventMask);
    } catch (...) {
    }
}

void TPelmComm::CommAfterOpen()
{
    if (!OnAfterOpen)
        return;
    try {
        OnAfterOpen(this);
    } catch (...) {
    }
}

void TPelmComm::CommBeforeClose()
{
    if (!OnBeforeClose)
        return;
    try {
        OnBeforeClose(this);
    } catch (...) {
    }
}

void TPelmComm::fSetActive(bool active)
{
    if (active)
        Open();
    else
        Close();
}

void TPelmComm::fSetDataOnly(bool dataOnly)
{
    Close();
    FDataOnly = dataOnly;
}

void TPelmComm::_LeaveAttachedMode()
{
    // The owner's descriptor stays the owner's: forget it rather than close it later.
    if (FAttached) {
        FAttached = false;
        FHandle = -1;
    }
}

void TPelmComm::fSetPort(int32_t port)
{
    Close();
    FPort = port;
    if (port > 0)
        FPortName = TCommSerialPortInfo::PortName(port);
    _LeaveAttachedMode();
}

void TPelmComm::fSetPortName(const std::string &name)
{
    if (name.empty())
        return;
    const int32_t n = TCommSerialPortInfo::PortNo(name);
    Close();
    FPort = n;
    FPortName = n > 0 ? TCommSerialPortInfo::PortName(n) : name;
    _LeaveAttachedMode();
}

void TPelmComm::fSetHandle(int handle)
{
    Close();
    FPort = 0;
    FPortName.clear();
    FHandle = handle;
    FAttached = true;
}

TPelmComm::TFlowControl TPelmComm::fGetFCtrl() const
{
    if (FDCB.fOutxCtsFlow && FDCB.fOutX)
        return fcRtsCtsXonXoff;
    if (FDCB.fOutxCtsFlow)
        return fcRtsCts;
    if (FDCB.fOutX)
        return fcXonXoff;
    return fcNone;
}

void TPelmComm::fSetFCtrl(TFlowControl fc)
{
    Close();
    const bool cts = fc == fcRtsCts || fc == fcRtsCtsXonXoff;
    const bool xon = fc == fcXonXoff || fc == fcTranXonXoff || fc == fcRtsCtsXonXoff;
    FDCB.fOutxCtsFlow = cts;
    FDCB.fRtsControl = cts ? 2 : 1;
    FDCB.fOutX = xon;
    FDCB.fInX = xon;
    FDCB.fDtrControl = 1;
    FDCB.fOutxDsrFlow = 0;
}

void TPelmComm::fSetBaud(uint32_t baud)
{
    Close();
    FDCB.BaudRate = baud;
}

void TPelmComm::fSetParity(uint8_t parity)
{
    Close();
    FDCB.Parity = parity;
}

void TPelmComm::fSetByteSize(uint8_t byteSize)
{
    Close();
    FDCB.ByteSize = byteSize;
}

void TPelmComm::fSetStopBits(uint8_t stopBits)
{
    Close();
    FDCB.StopBits = stopBits;
}

void TPelmComm::fSetHwBufSize(int32_t inSize, int32_t outSize)
{
    Close();
    FHwInSize = inSize;
    FHwOutSize = outSize;
}

void TPelmComm::fSetDTR(bool on)
{
    if (fGetActive())
        EscapeCommFunction(on ? SETDTR : CLRDTR);
    else
        FDtrState = on;
}

void TPelmComm::fSetRTS(bool on)
{
    if (fGetActive())
        EscapeCommFunction(on ? SETRTS : CLRRTS);
    else
        FRtsState = on;
}

} // namespace PelmComm
