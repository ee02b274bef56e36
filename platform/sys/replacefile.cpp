#include "platform/sys/replacefile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace platform {

bool ReplaceFile(const std::string &temporary, const std::string &target, std::string &error)
{
    if (::rename(temporary.c_str(), target.c_str()) == 0)
        return true;
    error = target + ": " + std::strerror(errno);
    RemoveFile(temporary);
    return false;
}

void RemoveFile(const std::string &path)
{
    ::unlink(path.c_str());
}

} // namespace platform
