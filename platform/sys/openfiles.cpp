#include "platform/sys/openfiles.h"

#include <sys/resource.h>

namespace platform {

long RaiseOpenFilesLimit(long wanted)
{
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return -1;
    rlim_t target = static_cast<rlim_t>(wanted);
    if (limit.rlim_max != RLIM_INFINITY && target > limit.rlim_max)
        target = limit.rlim_max;
    if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < target) {
        rlimit raised = limit;
        raised.rlim_cur = target;
        if (setrlimit(RLIMIT_NOFILE, &raised) == 0)
            limit = raised;
    }
    return limit.rlim_cur == RLIM_INFINITY ? wanted : static_cast<long>(limit.rlim_cur);
}

} // namespace platform
