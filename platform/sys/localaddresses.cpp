#include "platform/sys/localaddresses.h"

#include <algorithm>
#include <arpa/inet.h>
#include <ifaddrs.h>
#include <memory>
#include <net/if.h>
#include <netdb.h>
#include <unistd.h>

namespace platform {

namespace {

std::string dotted(const in_addr &address)
{
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address, text, sizeof text);
    return text;
}

bool isLoopback(const in_addr &address)
{
    return (ntohl(address.s_addr) >> 24) == 127;
}

} // namespace

std::vector<std::string> LocalIPv4Addresses()
{
    std::vector<std::string> found, loopback;
    auto add = [&](const in_addr &a) {
        auto &list = isLoopback(a) ? loopback : found;
        const std::string text = dotted(a);
        if (std::find(list.begin(), list.end(), text) == list.end())
            list.push_back(text);
    };

    char host[256] = {};
    if (gethostname(host, sizeof host - 1) == 0) {
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo *result = nullptr;
        if (getaddrinfo(host, nullptr, &hints, &result) == 0) {
            std::unique_ptr<addrinfo, decltype(&freeaddrinfo)> owner(result, freeaddrinfo);
            for (const addrinfo *ai = result; ai; ai = ai->ai_next)
                add(reinterpret_cast<const sockaddr_in *>(ai->ai_addr)->sin_addr);
        }
    }

    ifaddrs *interfaces = nullptr;
    if (getifaddrs(&interfaces) == 0) {
        std::unique_ptr<ifaddrs, decltype(&freeifaddrs)> owner(interfaces, freeifaddrs);
        for (const ifaddrs *i = interfaces; i; i = i->ifa_next) {
            if (i->ifa_addr && i->ifa_addr->sa_family == AF_INET && (i->ifa_flags & IFF_UP))
                add(reinterpret_cast<const sockaddr_in *>(i->ifa_addr)->sin_addr);
        }
    }
    return found.empty() ? loopback : found;
}

} // namespace platform
