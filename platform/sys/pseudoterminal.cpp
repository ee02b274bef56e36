#include "platform/sys/pseudoterminal.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>

namespace platform {

namespace {

std::unique_ptr<PseudoTerminal> failed(std::string &error, const char *step)
{
    error = std::string(step) + ": " + std::strerror(errno);
    return nullptr;
}

} // namespace

std::unique_ptr<PseudoTerminal> PseudoTerminal::Open(std::string &error)
{
    UniqueFd far(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!far.valid())
        return failed(error, "posix_openpt");
    if (::grantpt(far.get()) != 0 || ::unlockpt(far.get()) != 0)
        return failed(error, "unlockpt");
    char name[256] = {};
    if (::ptsname_r(far.get(), name, sizeof name) != 0)
        return failed(error, "ptsname");
    UniqueFd port(::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!port.valid())
        return failed(error, name);
    termios t{};
    if (::tcgetattr(port.get(), &t) != 0)
        return failed(error, "tcgetattr");
    ::cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    ::cfsetspeed(&t, B115200);
    if (::tcsetattr(port.get(), TCSANOW, &t) != 0)
        return failed(error, "tcsetattr");
    const int flags = ::fcntl(far.get(), F_GETFL);
    if (flags < 0 || ::fcntl(far.get(), F_SETFL, flags | O_NONBLOCK) != 0)
        return failed(error, "fcntl");

    std::unique_ptr<PseudoTerminal> pty(new PseudoTerminal);
    pty->far_ = std::move(far);
    pty->port_ = std::move(port);
    pty->portPath_ = name;
    return pty;
}

} // namespace platform
