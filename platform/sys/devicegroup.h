#pragma once
#include <string>

namespace platform {

// The name of the group that owns the device at path (its number when it has no name); empty when
// the path cannot be looked at. A user who may not open a device joins this group.
std::string DeviceGroup(const std::string &path);

} // namespace platform
