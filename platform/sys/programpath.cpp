#include "platform/sys/programpath.h"

#include <climits>
#include <unistd.h>

namespace platform {

namespace {

std::string ProgramPath()
{
    char buf[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n <= 0 ? std::string() : std::string(buf, static_cast<size_t>(n));
}

} // namespace

std::string ProgramFolder()
{
    const std::string path = ProgramPath();
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string ProgramName()
{
    const std::string path = ProgramPath();
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(slash + 1);
}

} // namespace platform
