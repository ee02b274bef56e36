#pragma once
// Why a serial port cannot be opened, in the user's words and with the way out: the reasons the
// serial library's own message leaves out.
#include <string>

namespace platform {

// The reason for a failed opening of path with the system's error number err; for a refused
// permission it names the group that owns the port and how to join it.
std::string PortErrorText(const std::string &path, int err, const std::string &owningGroup);

// Opens path as the serial library does and returns the reason it fails, or empty when it opens
// (the port is closed again at once).
std::string PortOpenProblem(const std::string &path);

} // namespace platform
