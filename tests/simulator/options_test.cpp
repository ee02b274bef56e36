#include "tools/simulator/simoptions.h"

#include <gtest/gtest.h>

using namespace irsim;

namespace {

TParsedOptions parse(QStringList args)
{
    args.prepend(QStringLiteral("irmodule-sim"));
    return ParseOptions(args);
}

} // namespace

TEST(SimOptions, DefaultsFollowTheProgramsPorts)
{
    const auto listen = parse({});
    ASSERT_TRUE(listen.Options);
    EXPECT_EQ(listen.Options->Mode, TLinkMode::Listen);
    EXPECT_EQ(listen.Options->Port, 5000);
    EXPECT_EQ(listen.Options->Modules, 1);
    EXPECT_TRUE(listen.Options->Behaviour.CodeName.isEmpty());
    EXPECT_TRUE(listen.Options->Serial.isEmpty());

    const auto connect = parse({QStringLiteral("--connect")});
    ASSERT_TRUE(connect.Options);
    EXPECT_EQ(connect.Options->Mode, TLinkMode::Connect);
    EXPECT_EQ(connect.Options->Host, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(connect.Options->Port, 6000);
}

TEST(SimOptions, EverySwitchIsTaken)
{
    const auto r = parse({"--connect", "--host", "10.0.0.5", "--port", "6100", "--modules", "3", "--learn-delay", "20",
                          "--code", "sony", "--timeout", "--silent", "--split", "4", "--split-gap", "7", "--garbage",
                          "--oversized", "--drop", "--retry", "50", "--restart-delay", "60", "--serial", "/dev/ttyUSB0"});
    ASSERT_TRUE(r.Options) << r.Text.toStdString();
    const TSimOptions &o = *r.Options;
    EXPECT_EQ(o.Host, QStringLiteral("10.0.0.5"));
    EXPECT_EQ(o.Port, 6100);
    EXPECT_EQ(o.Modules, 3);
    EXPECT_EQ(o.RetryMs, 50);
    EXPECT_EQ(o.RestartDelayMs, 60);
    EXPECT_EQ(o.Serial, QStringLiteral("/dev/ttyUSB0"));
    const TBehaviour &b = o.Behaviour;
    EXPECT_EQ(b.LearnDelayMs, 20);
    EXPECT_EQ(b.CodeName, QStringLiteral("sony"));
    EXPECT_TRUE(b.LearnTimesOut);
    EXPECT_TRUE(b.Faults.Silent && b.Faults.Garbage && b.Faults.Oversized && b.Faults.Drop);
    EXPECT_EQ(b.Faults.SplitPieces, 4);
    EXPECT_EQ(b.Faults.SplitGapMs, 7);
}

TEST(SimOptions, BadCommandLinesAreRefusedWithAReason)
{
    const struct {
        QStringList Args;
        const char *Reason;
    } cases[] = {
        {{"--port", "70000"}, "--port"},
        {{"--port", "50x"}, "--port"},
        {{"--modules", "0"}, "--modules"},
        {{"--learn-delay", "-1"}, "--learn-delay"},
        {{"--split", "0"}, "--split"},
        {{"--code", "tv"}, "unknown code"},
        {{"--listen", "--connect"}, "exclude"},
        {{"--connect", "--port", "0"}, "port"},
        {{"--port", "65535", "--modules", "2"}, "do not fit"},
        {{"--bind", "nowhere"}, "--bind"},
        {{"--frobnicate"}, "frobnicate"},
        {{"extra"}, "extra"},
        {{"--serial", ""}, "--serial"},
        {{"--serial"}, "serial"},
    };
    for (const auto &c : cases) {
        const auto r = parse(c.Args);
        EXPECT_FALSE(r.Options) << c.Args.join(' ').toStdString();
        EXPECT_TRUE(r.Text.contains(QLatin1String(c.Reason))) << r.Text.toStdString();
    }
}

TEST(SimOptions, HelpNamesTheCodes)
{
    const auto r = parse({QStringLiteral("--help")});
    EXPECT_FALSE(r.Options);
    EXPECT_TRUE(r.Text.contains(QStringLiteral("nec|rc5|rc6|sony|samsung|aircon")));
}
