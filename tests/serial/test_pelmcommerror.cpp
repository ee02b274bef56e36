#include "serial/pelmcomm.h"
#include "platform/sys/messagelocale.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>

using PelmComm::EPelmCommError;
using PelmComm::TPelmCommLanguage;

namespace {

struct MessageCase {
    uint32_t lcId;
    int code;
    const char *port;
    const char *expected;
};

const MessageCase kMessages[] = {
    {1033, 4, "COM3", "Serial port: \"COM3\" - Cannot open COM port"},
    {2052, 4, "COM3", "串行口:“COM3”- 不能打开串行口"},
    {1028, 4, "COM3", "序列埠:『COM3』- 不能打開序列埠"},
    {1033, 1, "", "Out of memory"},
    {2052, 1, "", "内存不够"},
    {1028, 1, "", "記憶體不夠"},
    {1033, 14, "", "Cannot close COM port write thread"},
    {2052, 9, "COM1", "串行口:“COM1”- 不能创建串行口异步读事件"},
    {1028, 10, "COM12", "序列埠:『COM12』- 不能創建序列埠非同步寫事件"},
    {1033, 0, "COM3", "Serial port: \"COM3\" - Unknown error"},
    {1033, 15, "", "Unknown error"},
    {2052, 0, "COM3", "串行口:“COM3”- 未知错误"},
    {1028, 15, "", "未知錯誤"},
    {0, 4, "", "Cannot open COM port"},
    {3076, 4, "", "Cannot open COM port"},
    {4100, 13, "COM2", "Serial port: \"COM2\" - Cannot close COM port read thread"},
    {1033, 2, "/dev/pts/7", "Serial port: \"/dev/pts/7\" - Cannot initialize read buffer"},
};

TEST(PelmCommErrorTest, MessagesByLanguagePortAndCode)
{
    for (const auto &c : kMessages) {
        SCOPED_TRACE(testing::Message() << "lcid " << c.lcId << " code " << c.code << " port " << c.port);
        EXPECT_EQ(EPelmCommError::Message(static_cast<EPelmCommError::TErrorCode>(c.code), c.port,
                                          TPelmCommLanguage(c.lcId)),
                  c.expected);
    }
}

struct ReasonCase {
    uint32_t lcId;
    int error;
    const char *group;
    const char *expected;
};

const ReasonCase kReasons[] = {
    {1033, EACCES, "dialout",
     "Serial port: \"/dev/ttyUSB0\" - Cannot open COM port: Permission denied. The device belongs to group "
     "\"dialout\": join it with sudo usermod -aG dialout $USER, then log in again"},
    {2052, EACCES, "dialout",
     "串行口:“/dev/ttyUSB0”- 不能打开串行口：没有使用该设备的权限。设备属于用户组“dialout”，"
     "请执行 sudo usermod -aG dialout $USER 加入该组，然后重新登录"},
    {1028, EPERM, "uucp",
     "序列埠:『/dev/ttyUSB0』- 不能打開序列埠：沒有使用該裝置的權限。裝置屬於使用者群組「uucp」，"
     "請執行 sudo usermod -aG uucp $USER 加入該群組，然後重新登入"},
    {1033, EACCES, "", "Serial port: \"/dev/ttyUSB0\" - Cannot open COM port: Permission denied"},
    {2052, ENOENT, "", "串行口:“/dev/ttyUSB0”- 不能打开串行口：设备不存在"},
    {1033, ENXIO, "dialout", "Serial port: \"/dev/ttyUSB0\" - Cannot open COM port: No such device"},
    {1028, EBUSY, "dialout", "序列埠:『/dev/ttyUSB0』- 不能打開序列埠：已被其他程式佔用"},
    {1033, ENOTTY, "root", "Serial port: \"/dev/ttyUSB0\" - Cannot open COM port: Not a serial port"},
    {2052, EIO, "dialout", "串行口:“/dev/ttyUSB0”- 不能打开串行口"},
    {1033, 0, "dialout", "Serial port: \"/dev/ttyUSB0\" - Cannot open COM port"},
};

TEST(PelmCommErrorTest, AnOpeningFailureSaysWhyWhereTheUserCanActOnIt)
{
    for (const auto &c : kReasons) {
        SCOPED_TRACE(testing::Message() << "lcid " << c.lcId << " errno " << c.error << " group " << c.group);
        EXPECT_EQ(EPelmCommError::Message(EPelmCommError::ecOpenPort, "/dev/ttyUSB0", TPelmCommLanguage(c.lcId),
                                          {c.error, c.group}),
                  c.expected);
    }
}

// The language is taken from the process's message locale when the exception is built.
class LocaleEnvTest : public testing::Test {
protected:
    void TearDown() override { setenv("LC_ALL", "C.UTF-8", 1); }
};

TEST_F(LocaleEnvTest, ExceptionCarriesCodePortAndLocaleMessage)
{
    setenv("LC_ALL", "zh_CN.UTF-8", 1);
    const EPelmCommError cn(EPelmCommError::ecOpenPort, "COM3");
    EXPECT_STREQ(cn.what(), "串行口:“COM3”- 不能打开串行口");
    EXPECT_EQ(cn.ErrorCode, EPelmCommError::ecOpenPort);
    EXPECT_EQ(cn.PortName, "COM3");

    setenv("LC_ALL", "zh_TW.Big5", 1);
    const EPelmCommError tw(EPelmCommError::ecOutOfMemory);
    EXPECT_STREQ(tw.what(), "記憶體不夠");
    EXPECT_EQ(tw.PortName, "");

    setenv("LC_ALL", "C", 1);
    EXPECT_STREQ(EPelmCommError(EPelmCommError::ecSetParams, "COM1").what(),
                 "Serial port: \"COM1\" - Cannot set COM port parameters");
}

TEST_F(LocaleEnvTest, LanguageFollowsLocaleVariablesInOrder)
{
    unsetenv("LC_ALL");
    setenv("LC_MESSAGES", "zh_TW.UTF-8", 1);
    setenv("LANG", "zh_CN.UTF-8", 1);
    EXPECT_EQ(TPelmCommLanguage().LcId(), 1028u);
    unsetenv("LC_MESSAGES");
    EXPECT_EQ(TPelmCommLanguage().LcId(), 2052u);
    setenv("LANG", "POSIX", 1);
    EXPECT_EQ(TPelmCommLanguage().LcId(), 1033u); // unknown locale stands for English
    unsetenv("LANG");
    EXPECT_EQ(TPelmCommLanguage().LcId(), 1033u);
}

TEST(MessageLocaleTest, LocaleNames)
{
    const std::pair<const char *, uint32_t> cases[] = {
        {"zh_CN.UTF-8", 2052}, {"zh_TW", 1028}, {"zh_HK.UTF-8", 3076}, {"zh_SG", 4100},
        {"en_US.UTF-8", 1033}, {"de_DE@euro", 1031}, {"C", 0}, {"C.UTF-8", 0}, {"POSIX", 0},
        {"", 0}, {"zh", 0}, {"xx_YY", 0},
    };
    for (const auto &[name, id] : cases)
        EXPECT_EQ(platform::LocaleNameToLcId(name), id) << name;
}

} // namespace
