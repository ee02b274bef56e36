#pragma once
#include <string>
#include <vector>

namespace platform {

// The machine's IPv4 addresses as dotted text: those the host name resolves to, then those of the
// interfaces that are up, each once; loopback only when there is nothing else.
std::vector<std::string> LocalIPv4Addresses();

} // namespace platform
