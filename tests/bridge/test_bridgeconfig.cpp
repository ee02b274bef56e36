// The bridge's command line and configuration file: every fault named by its line, module names.
#include "bridge/bridgeconfig.h"
#include "tests/bridge/bridgerig.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class BridgeConfigFile : public testing::Test {
protected:
    QString write(const QString &name, const QByteArray &text) { return testsupport::WriteTestFile(dir_, name, text); }
    QTemporaryDir dir_;
};

TEST_F(BridgeConfigFile, GoodFileGivesModulesAndSettings)
{
    const QString password = write(QStringLiteral("pw"), "secret\n");
    const QString config = write(QStringLiteral("bridge.conf"),
                                 "# comment\n"
                                 "broker = mqtts://broker.example:8883\n"
                                 "id = hall\n"
                                 "listen = off\n"
                                 "module = 10.0.0.9:5000\n"
                                 "user = bridge\n"
                                 "password-file = " + password.toUtf8() + "\n"
                                 "[module living-room]\n"
                                 "dial = 10.0.0.7:5000   # the TV corner\n"
                                 "codes = tv-power, tv-mute\n");
    const TBridgeSetup setup = ReadBridgeSetup({QStringLiteral("irtool-bridge"), QStringLiteral("--config"), config});
    ASSERT_TRUE(setup.Faults.isEmpty()) << setup.Faults.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(setup.Config.Id, QStringLiteral("hall"));
    EXPECT_EQ(setup.Config.Listen, -1);
    ASSERT_EQ(setup.Config.Modules.size(), 2u);
    EXPECT_EQ(setup.Config.Modules[1].Name, QStringLiteral("living-room"));
    EXPECT_EQ(setup.Config.Modules[1].Codes, (QStringList{QStringLiteral("tv-power"), QStringLiteral("tv-mute")}));
}

TEST_F(BridgeConfigFile, EveryFaultIsNamedByItsLine)
{
    const QString config = write(QStringLiteral("bridge.conf"),
                                 "id = hall/2\n"                  // 1
                                 "broker = http://x\n"            // 2
                                 "listen = 70000\n"               // 3
                                 "password = hunter2\n"           // 4
                                 "colour = blue\n"                // 5
                                 "just words\n"                   // 6
                                 "[module kitchen]\n"             // 7
                                 "address = 10.0.0.300\n"         // 8
                                 "[module a/b]\n"                 // 9
                                 "[module bath]\n"                // 10
                                 "address = 10.0.0.4\n"           // 11
                                 "dial = 10.0.0.4:5000\n"         // 12
                                 "[module bath]\n"                // 13
                                 "dial = 10.0.0.5:5000\n");       // 14
    const TBridgeSetup setup = ReadBridgeSetup({QStringLiteral("irtool-bridge"), QStringLiteral("--config"), config});
    const QString all = setup.Faults.join(QLatin1Char('\n'));
    for (int line : {1, 2, 3, 4, 5, 6, 8, 9, 10, 13})
        EXPECT_TRUE(all.contains(QStringLiteral("%1:%2:").arg(config).arg(line))) << "line " << line << "\n" << all.toStdString();
    EXPECT_FALSE(all.contains(QStringLiteral("hunter2")));
}

TEST_F(BridgeConfigFile, CheckFindsMissingFilesAndCodes)
{
    const QString library = write(QStringLiteral("codes.txt"), "");
    const QString config = write(QStringLiteral("bridge.conf"),
                                 "id = hall\n"
                                 "library = " + library.toUtf8() + "\n"
                                 "user = u\n"
                                 "password-file = /nonexistent/pw\n"
                                 "[module den]\n"
                                 "address = 10.0.0.4\n"
                                 "codes = fan\n");
    TBridgeSetup setup = ReadBridgeSetup({QStringLiteral("irtool-bridge"), QStringLiteral("--config"), config});
    CheckBridgeFiles(setup);
    const QString all = setup.Faults.join(QLatin1Char('\n'));
    EXPECT_TRUE(all.contains(QStringLiteral("/nonexistent/pw: cannot be read"))) << all.toStdString();
    EXPECT_TRUE(all.contains(QStringLiteral("%1:5: code \"fan\"").arg(config))) << all.toStdString();
}

TEST(BridgeCommandLine, Faults)
{
    struct TCase {
        QStringList Arguments;
        const char *Fault; // nullptr: accepted
    };
    const TCase cases[] = {
        {{QStringLiteral("--id"), QStringLiteral("hall"), QStringLiteral("--module"), QStringLiteral("10.0.0.2:5000")}, nullptr},
        {{QStringLiteral("--listen"), QStringLiteral("6000")}, "needs an id"},
        {{QStringLiteral("--id"), QStringLiteral("hall"), QStringLiteral("--password"), QStringLiteral("x")}, "never given on the command line"},
        {{QStringLiteral("--id"), QStringLiteral("hall"), QStringLiteral("--module"), QStringLiteral("10.0.0.2")}, "HOST:PORT"},
        {{QStringLiteral("--id"), QStringLiteral("hall"), QStringLiteral("--broker"), QStringLiteral("mqtt://u:p@h")}, "no user or password"},
        {{QStringLiteral("--id"), QStringLiteral("hall"), QStringLiteral("--frobnicate"), QStringLiteral("1")}, "unknown option"},
        {{QStringLiteral("--id"), QStringLiteral("hall"), QStringLiteral("--module"), QStringLiteral("10.0.0.2:5000"),
          QStringLiteral("--module"), QStringLiteral("10.0.0.2:5000")}, "defined twice"},
        {{QStringLiteral("--id")}, "value is missing"},
    };
    for (const TCase &c : cases) {
        const TBridgeSetup setup = ReadBridgeSetup(QStringList{QStringLiteral("irtool-bridge")} + c.Arguments);
        const QString all = setup.Faults.join(QLatin1Char('\n'));
        if (!c.Fault)
            EXPECT_TRUE(all.isEmpty()) << all.toStdString();
        else
            EXPECT_TRUE(all.contains(QString::fromUtf8(c.Fault))) << c.Arguments.join(' ').toStdString() << ": " << all.toStdString();
    }
}

TEST(ModuleIds, AddressesBecomeTopicSafeNames)
{
    EXPECT_EQ(ModuleIdForAddress(QStringLiteral("192.168.0.7")), QStringLiteral("192-168-0-7"));
    EXPECT_EQ(ModuleIdForAddress(QStringLiteral("::ffff:192.168.0.7")), QStringLiteral("192-168-0-7"));
    EXPECT_EQ(ModuleIdForDial(QStringLiteral("192.168.0.7"), 5000), QStringLiteral("192-168-0-7-5000"));
}

} // namespace
