#include "platform/sys/portaccess.h"

#include "platform/sys/uniquefd.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

std::string groupOf(const std::string &path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return {};
    if (const group *g = ::getgrgid(st.st_gid))
        return g->gr_name;
    return std::to_string(st.st_gid);
}

} // namespace

std::string PortErrorText(const std::string &path, int err, const std::string &owningGroup)
{
    switch (err) {
    case EACCES:
    case EPERM:
        if (owningGroup.empty())
            return path + ": permission denied";
        return path + ": permission denied; the port belongs to group " + owningGroup + ", join it with `sudo usermod -aG "
            + owningGroup + " $USER` and log in again";
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return path + ": no such port; check the name and that the adapter is plugged in";
    case EBUSY:
    case EWOULDBLOCK:
        return path + ": in use by another program";
    case ENOTTY:
        return path + ": not a serial port";
    default:
        return path + ": " + std::strerror(err);
    }
}

std::string PortOpenProblem(const std::string &path)
{
    UniqueFd fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid()) {
        const int err = errno;
        return PortErrorText(path, err, groupOf(path));
    }
    if (!::isatty(fd.get()))
        return PortErrorText(path, ENOTTY, {});
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
        return PortErrorText(path, EBUSY, {});
    return {};
}

} // namespace platform
