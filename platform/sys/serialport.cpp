#include "platform/sys/serialport.h"

// The kernel's termios2 carries arbitrary baud rates; it cannot be mixed with the C library's
// <termios.h>, so this file talks to the tty driver through ioctl only.
#include <asm/ioctls.h>
#include <asm/termios.h>
#include <linux/serial.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

extern "C" int ioctl(int fd, unsigned long request, ...) noexcept;

namespace platform {

namespace {

static_assert(sizeof(termios2) <= sizeof(RawLineSettings::data));

int Ioctl(int fd, unsigned long request, void *arg)
{
    int rc;
    do {
        rc = ::ioctl(fd, request, arg);
    } while (rc < 0 && errno == EINTR);
    return rc;
}

int IoctlValue(int fd, unsigned long request, long value)
{
    int rc;
    do {
        rc = ::ioctl(fd, request, value);
    } while (rc < 0 && errno == EINTR);
    return rc;
}

bool GetTermios(int fd, termios2 &t)
{
    return Ioctl(fd, TCGETS2, &t) == 0;
}

bool SetTermios(int fd, const termios2 &t)
{
    return Ioctl(fd, TCSETS2, const_cast<termios2 *>(&t)) == 0;
}

bool IsGoneError(int err)
{
    return err == EIO || err == ENXIO || err == ENODEV || err == EBADF || err == EPIPE;
}

} // namespace

std::unique_ptr<SerialDevice> SerialDevice::Open(const std::string &path, int *error)
{
    auto fail = [error](int why) {
        if (error)
            *error = why;
        return nullptr;
    };
    UniqueFd fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid())
        return fail(errno);
    termios2 t;
    if (!GetTermios(fd.get(), t))
        return fail(errno);
    // flock refuses a second opener even where TIOCEXCL does not (a privileged process).
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
        return fail(errno == EWOULDBLOCK ? EBUSY : errno);
    if (Ioctl(fd.get(), TIOCEXCL, nullptr) != 0)
        return fail(errno);
    std::unique_ptr<SerialDevice> dev(new SerialDevice);
    dev->fd_ = std::move(fd);
    std::memcpy(dev->saved_.data.data(), &t, sizeof t);
    dev->haveSaved_ = true;
    return dev;
}

SerialDevice::~SerialDevice()
{
    if (haveSaved_)
        WriteLineSettings(fd_.get(), saved_);
    Ioctl(fd_.get(), TIOCNXCL, nullptr);
}

bool IsTerminal(int fd)
{
    termios2 t;
    return GetTermios(fd, t);
}

bool ReadLineSettings(int fd, RawLineSettings &settings)
{
    termios2 t;
    if (!GetTermios(fd, t))
        return false;
    std::memcpy(settings.data.data(), &t, sizeof t);
    return true;
}

bool WriteLineSettings(int fd, const RawLineSettings &settings)
{
    termios2 t;
    std::memcpy(&t, settings.data.data(), sizeof t);
    return SetTermios(fd, t);
}

TerminalFlags LineFlags(const LineSettings &s)
{
    TerminalFlags f;
    f.iflag = IGNBRK;
    f.cflag = CREAD | CLOCAL;
    switch (s.dataBits) {
    case 5: f.cflag |= CS5; break;
    case 6: f.cflag |= CS6; break;
    case 7: f.cflag |= CS7; break;
    default: f.cflag |= CS8; break;
    }
    switch (s.parity) {
    case 1: f.cflag |= PARENB | PARODD; break;
    case 2: f.cflag |= PARENB; break;
    case 3: f.cflag |= PARENB | PARODD | CMSPAR; break;
    case 4: f.cflag |= PARENB | CMSPAR; break;
    default: break;
    }
    if (s.parity >= 1 && s.parity <= 4)
        f.iflag |= INPCK;
    if (s.stopBits == 1 || s.stopBits == 2)
        f.cflag |= CSTOPB;
    if (s.rtsCtsFlow)
        f.cflag |= CRTSCTS;
    if (s.xonXoffOut)
        f.iflag |= IXON;
    if (s.xonXoffIn)
        f.iflag |= IXOFF;
    return f;
}

namespace {

// The classic speed codes where one exists, so that tools and drivers that know only those read
// the rate back; any other rate is set as a number.
tcflag_t SpeedCode(uint32_t baud)
{
    static constexpr struct {
        uint32_t baud;
        tcflag_t code;
    } kCodes[] = {{50, B50}, {75, B75}, {110, B110}, {134, B134}, {150, B150}, {200, B200}, {300, B300},
                  {600, B600}, {1200, B1200}, {1800, B1800}, {2400, B2400}, {4800, B4800}, {9600, B9600},
                  {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200}, {230400, B230400},
                  {460800, B460800}, {500000, B500000}, {576000, B576000}, {921600, B921600},
                  {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000}, {2000000, B2000000},
                  {2500000, B2500000}, {3000000, B3000000}, {3500000, B3500000}, {4000000, B4000000}};
    for (const auto &c : kCodes)
        if (c.baud == baud)
            return c.code;
    return BOTHER;
}

} // namespace

bool ApplyLineSettings(int fd, const LineSettings &s)
{
    termios2 t;
    if (!GetTermios(fd, t))
        return false;
    const TerminalFlags f = LineFlags(s);
    t.c_iflag = f.iflag;
    t.c_oflag = 0;
    t.c_lflag = 0;
    t.c_cflag = f.cflag | SpeedCode(s.baud);
    t.c_cc[VSTART] = s.xonChar;
    t.c_cc[VSTOP] = s.xoffChar;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    t.c_ispeed = s.baud;
    t.c_ospeed = s.baud;
    return SetTermios(fd, t);
}

IoResult ReadSome(int fd, void *buffer, size_t length)
{
    for (;;) {
        const ssize_t n = ::read(fd, buffer, length);
        if (n > 0)
            return {IoStatus::Ok, static_cast<size_t>(n)};
        if (n == 0)
            return {IoStatus::Gone, 0}; // end of file on a terminal: the other side hung up
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return {IoStatus::WouldBlock, 0};
        return {IsGoneError(errno) ? IoStatus::Gone : IoStatus::Failed, 0};
    }
}

IoResult WriteSome(int fd, const void *data, size_t length)
{
    for (;;) {
        const ssize_t n = ::write(fd, data, length);
        if (n >= 0)
            return {n > 0 || length == 0 ? IoStatus::Ok : IoStatus::WouldBlock, static_cast<size_t>(n)};
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return {IoStatus::WouldBlock, 0};
        return {IsGoneError(errno) ? IoStatus::Gone : IoStatus::Failed, 0};
    }
}

int BytesWaiting(int fd)
{
    int n = 0;
    return Ioctl(fd, FIONREAD, &n) == 0 ? n : -1;
}

int OutputPending(int fd)
{
    int n = 0;
    return Ioctl(fd, TIOCOUTQ, &n) == 0 ? n : -1;
}

bool GetModemLines(int fd, ModemLines &lines)
{
    int bits = 0;
    if (Ioctl(fd, TIOCMGET, &bits) != 0)
        return false;
    lines.cts = bits & TIOCM_CTS;
    lines.dsr = bits & TIOCM_DSR;
    lines.ring = bits & TIOCM_RNG;
    lines.dcd = bits & TIOCM_CAR;
    return true;
}

bool SetOutputLine(int fd, OutputLine line, bool on)
{
    int bits = line == OutputLine::Dtr ? TIOCM_DTR : TIOCM_RTS;
    return Ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &bits) == 0;
}

bool SetBreak(int fd, bool on)
{
    return Ioctl(fd, on ? TIOCSBRK : TIOCCBRK, nullptr) == 0;
}

bool SuspendOutput(int fd, bool suspend)
{
    return IoctlValue(fd, TCXONC, suspend ? TCOOFF : TCOON) == 0;
}

bool Discard(int fd, bool input, bool output)
{
    if (!input && !output)
        return true;
    return IoctlValue(fd, TCFLSH, input && output ? TCIOFLUSH : input ? TCIFLUSH : TCOFLUSH) == 0;
}

bool LineErrorCount(int fd, uint64_t &count)
{
    serial_icounter_struct c{};
    if (Ioctl(fd, TIOCGICOUNT, &c) != 0)
        return false;
    count = uint64_t(c.frame) + uint64_t(c.parity) + uint64_t(c.overrun) + uint64_t(c.buf_overrun);
    return true;
}

} // namespace platform
