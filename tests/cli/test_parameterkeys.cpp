// The English parameter keys against the frame the configuration window builds.
#include "cli/clioutput.h"
#include "cli/parameterkeys.h"
#include "support/bytes.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <random>

using testsupport::Bytes;

namespace {

QByteArray frameOf(const TModuleParameters &p)
{
    return BuildParameterFrame(p.Edits, p.WorkMode, p.RestartOnTimeout);
}

struct TSettingCase {
    const char *Assignment;
    int Offset;          // first frame byte it changes
    QByteArray Expected; // the bytes from there
};

TEST(ParameterKeys, EachKeySetsItsBytesOfTheFrame)
{
    const TSettingCase cases[] = {
        {"ip=10.1.2.3", 4, Bytes({10, 1, 2, 3})},
        {"gateway = 10.1.2.254", 8, Bytes({10, 1, 2, 254})},
        {"mask=255.255.0.0", 12, Bytes({255, 255, 0, 0})},
        {"port=5001", 16, Bytes({0x13, 0x89})},
        {"target-ip=192.168.1.9", 18, Bytes({192, 168, 1, 9})},
        {"target-port=65535", 22, Bytes({0xFF, 0xFF})},
        {"work-mode=client", 24, Bytes({1})},
        {"WORK-MODE=tcp-server", 24, Bytes({0})},
        {"restart-on-timeout=off", 25, Bytes({0})},
        {"restart-on-timeout=YES", 25, Bytes({1})},
        {"mac=0a:0B:0c:0d:0e:ff", 26, Bytes({10, 11, 12, 13, 14, 255})},
        {"mac=01-02-03-04-05-06", 26, Bytes({1, 2, 3, 4, 5, 6})},
    };
    const QByteArray defaults = frameOf(TModuleParameters{});
    for (const TSettingCase &c : cases) {
        TModuleParameters p;
        ApplySetting(p, QString::fromUtf8(c.Assignment));
        const QByteArray frame = frameOf(p);
        EXPECT_EQ(frame.mid(c.Offset, c.Expected.size()), c.Expected) << c.Assignment;
        // Nothing else changes.
        EXPECT_EQ(frame.left(c.Offset), defaults.left(c.Offset)) << c.Assignment;
        EXPECT_EQ(frame.mid(c.Offset + c.Expected.size()), defaults.mid(c.Offset + c.Expected.size())) << c.Assignment;
    }
}

TEST(ParameterKeys, ValuesOutsideTheirFieldAreRefused)
{
    for (const char *bad : {"ip=1.2.3", "ip=1.2.3.256", "ip=a.b.c.d", "mask=255.255.255.0.0", "port=0", "port=65536",
                            "port=+80", "target-port=x", "work-mode=both", "restart-on-timeout=maybe", "mac=01:02:03:04:05",
                            "mac=001:02:03:04:05:06", "mac=01:02:03:04:05:GG", "colour=red", "=1", "ip"}) {
        TModuleParameters p;
        try {
            ApplySetting(p, QString::fromUtf8(bad));
            ADD_FAILURE() << bad << " was taken";
        } catch (const ECliError &e) {
            EXPECT_EQ(e.Exit, ExitUsage) << bad;
        }
        EXPECT_EQ(frameOf(p), frameOf(TModuleParameters{})) << bad;
    }
}

// Printed parameters, fed back as --set pairs, give the same frame.
TEST(ParameterKeys, PrintedParametersSetTheSameFrame)
{
    const unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    auto pick = [&](int high) { return std::uniform_int_distribution<int>(0, high)(random); };
    for (int round = 0; round < 200; ++round) {
        TModuleParameters original;
        for (int n = 1; n <= ParameterEditCount; ++n)
            original.Edits[n - 1] = QString::number(n == 13 || n == 18 ? 1 + pick(65534) : pick(255));
        original.WorkMode = pick(1);
        original.RestartOnTimeout = pick(1) == 1;

        TModuleParameters copy;
        for (const QString &line : ParametersText(original).split('\n'))
            ApplySetting(copy, line.section(QStringLiteral(": "), 0, 0) + "=" + line.section(QStringLiteral(": "), 1));
        ASSERT_EQ(frameOf(copy), frameOf(original)) << "seed " << seed << " round " << round;
    }
}

TEST(ParameterKeys, TheMacFollowsTheIpAsInTheWindow)
{
    TModuleParameters p;
    FollowIpWithMac(p);
    // The window's defaults with its synchronisation box on.
    EXPECT_EQ(frameOf(p).mid(26, 6), Bytes({0x64, 0x65, 0x66, 0x67, 0x00, 0xC7}));
}

TEST(ParameterKeys, ASavedFileReadsBackAndLeavesNoTemporaryFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("m.V12");
    TModuleParameters p;
    ApplySetting(p, "ip=10.9.8.7");
    ApplySetting(p, "work-mode=client");
    ApplySetting(p, "restart-on-timeout=off");
    SaveParameters(path, p);
    SaveParameters(path, p); // over an existing file
    EXPECT_EQ(frameOf(ReadParameters(path)), frameOf(p));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"m.V12"});
}

} // namespace
