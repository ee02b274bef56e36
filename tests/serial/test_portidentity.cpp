// Adapters stood in for by pseudo-terminals, their by-id links by symlinks in a temporary folder.
#include "serial/portidentity.h"
#include "serial/ptypair.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using PelmComm::LocatePort;
using PelmComm::PortIdentity;

constexpr const char *kAdapter = "usb-Maker_Model_A1B2-if00-port0";

class PortIdentityTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        byId = fs::temp_directory_path() / ("irtool-by-id-" + std::to_string(getpid()));
        fs::remove_all(byId);
        fs::create_directories(byId);
        fs::create_symlink(now.PortPath(), byId / kAdapter);
        fs::create_symlink("/nonexistent/ttyUSB9", byId / "usb-Unplugged_Thing_9-if00-port0");
    }
    void TearDown() override { fs::remove_all(byId); }

    std::vector<platform::SerialLink> Links() const { return platform::ListSerialLinks(byId.string()); }
    std::string LinkPath(const char *name) const { return (byId / name).string(); }

    fs::path byId;
    testing_serial::PtyPair now;   // where the adapter is plugged today
    testing_serial::PtyPair other; // another port without a link
};

TEST_F(PortIdentityTest, APortIsKnownByTheLinkLeadingToIt)
{
    const std::string dir = byId.string();
    EXPECT_EQ(PortIdentity(now.PortPath(), Links(), dir), kAdapter);
    EXPECT_EQ(PortIdentity(LinkPath(kAdapter), Links(), dir), kAdapter);
    EXPECT_EQ(PortIdentity(other.PortPath(), Links(), dir), "");
    EXPECT_EQ(PortIdentity(LinkPath("usb-Unplugged_Thing_9-if00-port0"), Links(), dir), "");
    EXPECT_EQ(PortIdentity("/dev/irtool-no-such-port", Links(), dir), "");
    EXPECT_EQ(PortIdentity("", Links(), dir), "");
}

struct TLocateCase {
    const char *name;
    const char *port;     // "now", "other", "gone", "link" or a literal
    const char *identity; // the adapter's, or another
    bool present;
    const char *expected; // as port
};

class LocatePortTest : public PortIdentityTest, public ::testing::WithParamInterface<TLocateCase> {
protected:
    std::string Port(const std::string &which) const
    {
        if (which == "now")
            return now.PortPath();
        if (which == "other")
            return other.PortPath();
        if (which == "gone")
            return "/dev/irtool-ttyUSB0-gone";
        if (which == "link")
            return LinkPath(kAdapter);
        return which;
    }
};

TEST_P(LocatePortTest, FollowsTheAdapterOrTheName)
{
    const TLocateCase &c = GetParam();
    const auto where = LocatePort(Port(c.port), c.identity, Links(), byId.string());
    EXPECT_EQ(where.present, c.present);
    EXPECT_EQ(where.portName, Port(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Table, LocatePortTest,
    ::testing::Values(TLocateCase{"BackUnderAnotherNode", "gone", kAdapter, true, "now"},
                      TLocateCase{"StillWhereItWas", "now", kAdapter, true, "now"},
                      TLocateCase{"AdapterAwayKeepsTheName", "gone", "usb-Unplugged_Thing_9-if00-port0", false, "gone"},
                      TLocateCase{"IdentityWinsOverAnotherPortAtTheName", "other", "usb-Unknown_X-if00", false, "other"},
                      TLocateCase{"NamedByItsLinkStaysSo", "link", kAdapter, true, "link"},
                      TLocateCase{"WithoutIdentityThereByName", "other", "", true, "other"},
                      TLocateCase{"WithoutIdentityGone", "gone", "", false, "gone"}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
