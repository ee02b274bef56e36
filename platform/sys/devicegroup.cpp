#include "platform/sys/devicegroup.h"

#include <grp.h>
#include <sys/stat.h>

namespace platform {

std::string DeviceGroup(const std::string &path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return {};
    group entry;
    group *found = nullptr;
    std::string buffer(16384, '\0');
    if (::getgrgid_r(st.st_gid, &entry, buffer.data(), buffer.size(), &found) != 0 || !found)
        return std::to_string(st.st_gid);
    return found->gr_name;
}

} // namespace platform
