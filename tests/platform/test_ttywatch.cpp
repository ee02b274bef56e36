// Serial nodes and by-id links in a temporary folder tree standing in for /dev.
#include "platform/sys/serialpaths.h"
#include "platform/sys/ttywatch.h"

#include <gtest/gtest.h>

#include <poll.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

namespace platform {

bool operator==(const TtyChange &a, const TtyChange &b)
{
    return a.added == b.added && a.path == b.path;
}

void PrintTo(const TtyChange &c, std::ostream *os)
{
    *os << (c.added ? "+" : "-") << c.path;
}

} // namespace platform

namespace {

namespace fs = std::filesystem;

class DevFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = fs::temp_directory_path() / ("irtool-dev-" + std::to_string(getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root / "dev");
    }
    void TearDown() override { fs::remove_all(root); }

    fs::path Dev() const { return root / "dev"; }
    fs::path ById() const { return root / "dev" / "serial" / "by-id"; }
    static void Touch(const fs::path &p) { std::ofstream(p) << ""; }

    fs::path root;
};

// Changes until those wanted have all come, or for a generous while.
std::vector<platform::TtyChange> TakeUntil(platform::TtyWatch &watch,
                                          const std::function<bool(const std::vector<platform::TtyChange> &)> &enough)
{
    std::vector<platform::TtyChange> got;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!enough(got) && std::chrono::steady_clock::now() < end) {
        pollfd p{watch.Fd(), POLLIN, 0};
        if (poll(&p, 1, 500) > 0)
            for (auto &c : watch.Take())
                got.push_back(std::move(c));
    }
    return got;
}

std::vector<platform::TtyChange> TakeCount(platform::TtyWatch &watch, size_t n)
{
    return TakeUntil(watch, [n](const auto &got) { return got.size() >= n; });
}

TEST_F(DevFolderTest, SerialLinksLeadToTheirNodesSortedAndWithoutDeadOnes)
{
    fs::create_directories(ById());
    Touch(Dev() / "ttyUSB1");
    Touch(Dev() / "ttyACM0");
    fs::create_symlink("../../ttyUSB1", ById() / "usb-Maker_B_2-if00-port0");
    fs::create_symlink("../../ttyACM0", ById() / "usb-Maker_A_1-if00");
    fs::create_symlink("../../ttyUSB9", ById() / "usb-Gone_C_3-if00-port0");
    const auto links = platform::ListSerialLinks(ById().string());
    ASSERT_EQ(links.size(), 2u);
    EXPECT_EQ(links[0].name, "usb-Maker_A_1-if00");
    EXPECT_EQ(links[0].target, fs::canonical(Dev() / "ttyACM0").string());
    EXPECT_EQ(links[1].name, "usb-Maker_B_2-if00-port0");
    EXPECT_EQ(links[1].target, fs::canonical(Dev() / "ttyUSB1").string());
    EXPECT_TRUE(platform::ListSerialLinks((root / "none").string()).empty());
    EXPECT_EQ(platform::ResolvedPath((ById() / "usb-Gone_C_3-if00-port0").string()), "");
}

TEST_F(DevFolderTest, FoldersAreMovedByTheEnvironment)
{
    EXPECT_EQ(platform::DeviceDir(), "/dev");
    EXPECT_EQ(platform::SerialByIdDir(), "/dev/serial/by-id");
    setenv("IRTOOL_DEV_DIR", Dev().c_str(), 1);
    setenv("IRTOOL_SERIAL_BY_ID_DIR", ById().c_str(), 1);
    EXPECT_EQ(platform::DeviceDir(), Dev().string());
    EXPECT_EQ(platform::SerialByIdDir(), ById().string());
    unsetenv("IRTOOL_DEV_DIR");
    unsetenv("IRTOOL_SERIAL_BY_ID_DIR");
}

// The by-id folder does not exist before the first adapter: it is watched once it is made, and a
// link made with it is not missed.
TEST_F(DevFolderTest, FolderWatchHearsTtyNodesAndLinksButNotOtherDevices)
{
    const auto watch = platform::WatchFolders(Dev().string(), ById().string());
    ASSERT_GE(watch->Fd(), 0);
    EXPECT_TRUE(watch->Take().empty());

    Touch(Dev() / "ttyUSB0");
    Touch(Dev() / "sda1");
    EXPECT_EQ(TakeCount(*watch, 1), (std::vector<platform::TtyChange>{{true, (Dev() / "ttyUSB0").string()}}));

    fs::create_directories(ById());
    fs::create_symlink("../../ttyUSB0", ById() / "usb-Maker_Model_7-if00-port0");
    const platform::TtyChange linked{true, (ById() / "usb-Maker_Model_7-if00-port0").string()};
    const auto got = TakeCount(*watch, 1);
    ASSERT_FALSE(got.empty());
    // Made while the folder was being taken up, the link may be both found and heard.
    EXPECT_EQ(got.front(), linked);

    fs::remove(ById() / "usb-Maker_Model_7-if00-port0");
    fs::remove(Dev() / "ttyUSB0");
    fs::remove(Dev() / "sda1");
    std::vector<platform::TtyChange> removed;
    TakeUntil(*watch, [&](const auto &all) {
        removed.clear();
        std::copy_if(all.begin(), all.end(), std::back_inserter(removed), [](const auto &c) { return !c.added; });
        return removed.size() >= 2;
    });
    EXPECT_EQ(removed, (std::vector<platform::TtyChange>{{false, linked.path}, {false, (Dev() / "ttyUSB0").string()}}));
}

TEST_F(DevFolderTest, FolderWatchOnAMissingFolderReportsNothing)
{
    const auto watch = platform::WatchFolders((root / "none").string(), (root / "none" / "by-id").string());
    EXPECT_TRUE(watch->Take().empty());
}

} // namespace
