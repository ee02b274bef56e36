#include "platform/sys/serialpaths.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace platform {

namespace {

namespace fs = std::filesystem;

std::string FromEnvironment(const char *variable, const char *fallback)
{
    const char *value = std::getenv(variable);
    return value && *value ? value : fallback;
}

} // namespace

std::string DeviceDir()
{
    return FromEnvironment("IRTOOL_DEV_DIR", "/dev");
}

std::string SerialByIdDir()
{
    return FromEnvironment("IRTOOL_SERIAL_BY_ID_DIR", "/dev/serial/by-id");
}

std::string ResolvedPath(const std::string &path)
{
    std::error_code ec;
    const fs::path resolved = fs::canonical(path, ec);
    return ec ? std::string() : resolved.string();
}

std::vector<SerialLink> ListSerialLinks(const std::string &dir)
{
    std::vector<SerialLink> links;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::string target = ResolvedPath(it->path().string());
        if (!target.empty())
            links.push_back({it->path().filename().string(), std::move(target)});
    }
    std::sort(links.begin(), links.end(), [](const SerialLink &a, const SerialLink &b) { return a.name < b.name; });
    return links;
}

} // namespace platform
