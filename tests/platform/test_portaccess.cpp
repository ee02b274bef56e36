// The reasons a serial port does not open, with the way out.
#include "platform/sys/portaccess.h"

#include <cerrno>
#include <gtest/gtest.h>

namespace {

TEST(PortAccess, EachErrorGivesItsReason)
{
    const struct {
        int Err;
        const char *Group;
        const char *Text;
    } cases[] = {
        {EACCES, "dialout",
         "/dev/ttyUSB0: permission denied; the port belongs to group dialout, join it with `sudo usermod -aG dialout $USER` "
         "and log in again"},
        {EPERM, "uucp",
         "/dev/ttyUSB0: permission denied; the port belongs to group uucp, join it with `sudo usermod -aG uucp $USER` and "
         "log in again"},
        {EACCES, "", "/dev/ttyUSB0: permission denied"},
        {ENOENT, "", "/dev/ttyUSB0: no such port; check the name and that the adapter is plugged in"},
        {ENXIO, "", "/dev/ttyUSB0: no such port; check the name and that the adapter is plugged in"},
        {EBUSY, "", "/dev/ttyUSB0: in use by another program"},
        {ENOTTY, "", "/dev/ttyUSB0: not a serial port"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(platform::PortErrorText("/dev/ttyUSB0", c.Err, c.Group), c.Text) << c.Err;
}

TEST(PortAccess, AMissingDeviceIsFound)
{
    EXPECT_EQ(platform::PortOpenProblem("/dev/ttyDoesNotExist7"),
              "/dev/ttyDoesNotExist7: no such port; check the name and that the adapter is plugged in");
}

} // namespace
