#include "platform/sys/uniquefd.h"

#include <unistd.h>

namespace platform {

void UniqueFd::reset(int fd)
{
    if (fd_ >= 0)
        ::close(fd_); // not retried on EINTR: on Linux the descriptor is gone either way
    fd_ = fd;
}

} // namespace platform
