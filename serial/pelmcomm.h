#pragma once
#include "serial/pelmcommerror.h"
#include "serial/pelmcommqueue.h"
#include "platform/sys/waiting.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace platform {
class SerialDevice;
}

namespace PelmComm {

// Line settings record, with the fields and codes of the classic serial line-settings block.
struct TDCB {
    uint32_t DCBlength = 28;
    uint32_t BaudRate = 115200;
    uint8_t fBinary = 1;
    uint8_t fParity = 0;
    uint8_t fOutxCtsFlow = 0;
    uint8_t fOutxDsrFlow = 0;
    uint8_t fDtrControl = 1; // 0 off, 1 on, 2 handshake
    uint8_t fDsrSensitivity = 0;
    uint8_t fTXContinueOnXoff = 0;
    uint8_t fOutX = 0;
    uint8_t fInX = 0;
    uint8_t fErrorChar = 0;
    uint8_t fNull = 0;
    uint8_t fRtsControl = 1; // 0 off, 1 on, 2 handshake, 3 toggle
    uint8_t fAbortOnError = 0;
    uint16_t XonLim = 2048;
    uint16_t XoffLim = 512;
    uint8_t ByteSize = 8;
    uint8_t Parity = 0;   // 0 none, 1 odd, 2 even, 3 mark, 4 space
    uint8_t StopBits = 0; // 0 one, 1 one and a half, 2 two
    uint8_t XonChar = 0x11;
    uint8_t XoffChar = 0x13;
    uint8_t ErrorChar = 0;
    uint8_t EofChar = 0;
    uint8_t EvtChar = 0;
};

// Drives one serial port with a reader and a writer thread. Read, Write and Command only move bytes
// through the two queues and never wait. Failures to open or close raise EPelmCommError.
//
// No received byte is dropped: the reader takes from the driver only what the receive queue has room
// for. Write wakes the writer only when it sleeps, so a Write costs at most one system call.
//
// Threads: the owner's thread calls everything public; OnCommNotify runs on the reader thread for
// port events (and on the owner's thread for the 0x0038 reports of Open and Close). Set the closures
// while the port is closed. Write and Command must not be called from two threads at once.
class TPelmComm {
public:
    enum TFlowControl : int { fcNone = 0, fcRtsCts = 3, fcXonXoff = 4, fcTranXonXoff = 5, fcRtsCtsXonXoff = 6 };

    static constexpr int32_t EV_RXCHAR = 0x0001;
    static constexpr int32_t EV_RXFLAG = 0x0002;
    static constexpr int32_t EV_TXEMPTY = 0x0004;
    static constexpr int32_t EV_CTS = 0x0008;
    static constexpr int32_t EV_DSR = 0x0010;
    static constexpr int32_t EV_RLSD = 0x0020;
    static constexpr int32_t EV_ERR = 0x0080;
    static constexpr int32_t EV_RING = 0x0100;
    // The receive queue is full: the reader leaves further bytes in the driver, where the line's flow
    // control holds the sender back, until Read makes room. Reported once each time the queue fills;
    // not with DataOnly, whose mask leaves it out.
    static constexpr int32_t EV_RX80FULL = 0x0400;
    static constexpr int32_t EventMaskAll = 0x05BF;
    static constexpr int32_t EventMaskDataOnly = 0x0085;
    static constexpr int32_t ModemLinesChanged = EV_CTS | EV_DSR | EV_RLSD;

    // Modem status bits.
    static constexpr uint32_t MS_CTS_ON = 0x10;
    static constexpr uint32_t MS_DSR_ON = 0x20;
    static constexpr uint32_t MS_RING_ON = 0x40;
    static constexpr uint32_t MS_RLSD_ON = 0x80;

    // EscapeCommFunction codes.
    static constexpr uint32_t SETXOFF = 1, SETXON = 2, SETRTS = 3, CLRRTS = 4, SETDTR = 5, CLRDTR = 6,
                              RESETDEV = 7, SETBREAK = 8, CLRBREAK = 9;

    static constexpr const char *Str_ResetModem = "ATZ\r";
    static constexpr const char *Fmt_InitModem = "ATE0&K%dS0=%d\r";

    static constexpr int32_t QueueSize = 8192;
    static constexpr int ReadChunk = 2048;
    static constexpr int WriteChunk = 512;

    using TCommNotify = std::function<void(TPelmComm *Sender, int32_t EventMask)>;
    using TNotify = std::function<void(TPelmComm *Sender)>;

    TPelmComm();
    virtual ~TPelmComm();
    TPelmComm(const TPelmComm &) = delete;
    TPelmComm &operator=(const TPelmComm &) = delete;

    virtual int32_t Read(void *buffer, int32_t length);
    virtual int32_t Write(const void *data, int32_t length);
    virtual int32_t Command(const char *text);
    virtual void PurgeRead(bool abort);
    virtual void PurgeWrite(bool abort);
    virtual int32_t ResetModem();
    virtual int32_t InitModem();
    virtual bool EscapeCommFunction(uint32_t code);
    virtual void Open();
    virtual void Close();
    // Raise OnCommNotify, OnAfterOpen and OnBeforeClose; exceptions from the closures are dropped.
    virtual void CommNotify(int32_t eventMask);
    virtual void CommAfterOpen();
    virtual void CommBeforeClose();

    bool fGetActive() const { return FActive.load(std::memory_order_acquire); }
    void fSetActive(bool active);
    bool fGetDataOnly() const { return FDataOnly; }
    void fSetDataOnly(bool dataOnly);
    int32_t fGetPort() const { return FPort; }
    void fSetPort(int32_t port);
    const std::string &fGetPortName() const { return FPortName; }
    void fSetPortName(const std::string &name);
    int fGetHandle() const { return FHandle; }
    // Uses a descriptor opened by the owner; the engine neither opens nor closes it.
    void fSetHandle(int handle);
    TFlowControl fGetFCtrl() const;
    void fSetFCtrl(TFlowControl fc);
    uint32_t fGetBaud() const { return FDCB.BaudRate; }
    void fSetBaud(uint32_t baud);
    uint8_t fGetParity() const { return FDCB.Parity; }
    void fSetParity(uint8_t parity);
    uint8_t fGetByteSize() const { return FDCB.ByteSize; }
    void fSetByteSize(uint8_t byteSize);
    uint8_t fGetStopBits() const { return FDCB.StopBits; }
    void fSetStopBits(uint8_t stopBits);
    int32_t fGetInBufSize() const { return FInQueue.fGetSize(); }
    void fSetInBufSize(int32_t size) { FInQueue.fSetBufSize(size); }
    int32_t fGetOutBufSize() const { return FOutQueue.fGetSize(); }
    void fSetOutBufSize(int32_t size) { FOutQueue.fSetBufSize(size); }
    int32_t fGetHwInSize() const { return FHwInSize; }
    int32_t fGetHwOutSize() const { return FHwOutSize; }
    void fSetHwBufSize(int32_t inSize, int32_t outSize);
    void fSetHwInSize(int32_t size) { fSetHwBufSize(size, FHwOutSize); }
    void fSetHwOutSize(int32_t size) { fSetHwBufSize(FHwInSize, size); }
    uint8_t fGetAAns() const { return FAutoAnswer; }
    void fSetAAns(uint8_t rings) { FAutoAnswer = rings; }
    bool fGetDTR() const { return fGetActive() && FDtrState; }
    void fSetDTR(bool on);
    bool fGetRTS() const { return fGetActive() && FRtsState; }
    void fSetRTS(bool on);
    bool fGetCTS() const { return FModemStatus.load(std::memory_order_relaxed) & MS_CTS_ON; }
    bool fGetDSR() const { return FModemStatus.load(std::memory_order_relaxed) & MS_DSR_ON; }
    bool fGetRING() const { return FModemStatus.load(std::memory_order_relaxed) & MS_RING_ON; }
    bool fGetRLSD() const { return FModemStatus.load(std::memory_order_relaxed) & MS_RLSD_ON; }
    // The open port's device went away (a hang-up, an adapter pulled out); it was reported once with
    // EV_ERR. Close and open again once the device is back.
    bool fGetPortLost() const { return FPortLost.load(std::memory_order_acquire); }
    const TDCB &fGetDCB() const { return FDCB; }
    TCommQueue &fGetInQueue() { return FInQueue; }
    TCommQueue &fGetOutQueue() { return FOutQueue; }

    // Write refuses data while set; the owner sets it directly and Open clears it.
    std::atomic<bool> DisableWrite{false};

    TCommNotify OnCommNotify;
    TNotify OnAfterOpen;
    TNotify OnBeforeClose;

private:
    struct TWorkers;

    static void _ReadThread(TPelmComm *comm, std::shared_ptr<TWorkers> workers);
    static void _WriteThread(TPelmComm *comm, std::shared_ptr<TWorkers> workers);
    // False when the reader is to report it instead.
    static bool _ReportDrained(TPelmComm *comm, TWorkers &workers);
    void _ReadModemStatus(int fd);
    void _WakeWriter();
    void _LeaveAttachedMode();

    int FHandle = -1;
    TDCB FDCB;
    bool FAttached = false;
    std::atomic<bool> FActive{false};
    bool FDtrState = true;
    bool FRtsState = true;
    bool FDataOnly = false;
    int32_t FPort = 2;
    std::string FPortName;
    int32_t FHwInSize = 1200;
    int32_t FHwOutSize = 1200;
    uint8_t FAutoAnswer = 0;
    TCommQueue FInQueue{QueueSize};
    TCommQueue FOutQueue{QueueSize};
    std::unique_ptr<platform::SerialDevice> FDevice;
    std::shared_ptr<TWorkers> FWorkers;
    // Wake the writer and the reader. They live as long as the engine, so that a Write or a Read
    // racing with Close never signals a descriptor that was closed (and perhaps reused).
    platform::EventFd FTxData;
    platform::EventFd FRxWake;
    // Set by the writer before it sleeps and by the reader while the receive queue is full; the
    // other side signals only then. Both sides swap the flag (never just store or load it), so the
    // later swap sees the queue index the other side stored before its swap: no wake-up is lost.
    std::atomic<bool> FTxIdle{false};
    std::atomic<bool> FRxStarved{false};
    // Set by the reader when it reports EV_RXCHAR, cleared by Read: arrivals before the owner's next
    // Read are not reported again, since that Read finds them anyway.
    std::atomic<bool> FRxReported{false};
    std::atomic<uint32_t> FModemStatus{0};
    std::atomic<bool> FPortLost{false};
};

} // namespace PelmComm
