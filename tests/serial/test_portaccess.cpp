// A port the user may not open: the error names the group that owns the device and how to join it.
#include "platform/sys/devicegroup.h"
#include "serial/pelmcomm.h"
#include "serial/ptypair.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <grp.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

using PelmComm::EPelmCommError;
using PelmComm::TPelmComm;

namespace {

TEST(PortAccess, TheOwningGroupOfADeviceIsNamed)
{
    char path[] = "/tmp/irtool-group-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    const group *own = getgrgid(getegid());
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(platform::DeviceGroup(path), own->gr_name);
    unlink(path);
    EXPECT_EQ(platform::DeviceGroup(path), "");
}

TEST(PortAccess, APortThatMayNotBeOpenedSaysWhichGroupOwnsItAndHowToJoin)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "running as root, which opens a device whatever its mode; the message for a refused "
                        "port is checked by PelmCommErrorTest.AnOpeningFailureSaysWhyWhereTheUserCanActOnIt";
    testing_serial::PtyPair pty;
    ASSERT_EQ(chmod(pty.PortPath().c_str(), 0), 0);
    const std::string group = platform::DeviceGroup(pty.PortPath());
    ASSERT_FALSE(group.empty());
    TPelmComm comm;
    comm.fSetPortName(pty.PortPath());
    try {
        comm.Open();
        ADD_FAILURE() << "opened a port of mode 000";
    } catch (const EPelmCommError &e) {
        EXPECT_EQ(e.ErrorCode, EPelmCommError::ecOpenPort);
        EXPECT_EQ(e.Reason.Errno, EACCES);
        EXPECT_EQ(e.Reason.Group, group);
        EXPECT_NE(std::string(e.what()).find("sudo usermod -aG " + group + " $USER"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(comm.fGetActive());
    chmod(pty.PortPath().c_str(), 0620);
}

} // namespace
