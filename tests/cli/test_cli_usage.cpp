// Command lines that cannot be run end with exit code 2 and say what is wrong, in both output
// forms; --help ends with 0.
#include "cliprocess.h"

using namespace clitest;

namespace {

struct TUsageCase {
    const char *Name;
    QStringList Arguments;
    const char *MessagePart;
};

class CliUsage : public ::testing::TestWithParam<TUsageCase> {};

TEST_P(CliUsage, ExitsWithTwo)
{
    const TUsageCase &c = GetParam();
    TCliRun human(c.Arguments);
    EXPECT_EQ(human.Finish(), 2) << qPrintable(human.Both());
    EXPECT_TRUE(human.Out.isEmpty()) << qPrintable(human.Both());
    EXPECT_TRUE(QString::fromUtf8(human.Err).contains(QString::fromUtf8(c.MessagePart))) << qPrintable(human.Both());

    if (c.Arguments.size() < 2)
        return;
    TCliRun json(c.Arguments + QStringList{"--json"});
    EXPECT_EQ(json.Finish(), 2) << qPrintable(json.Both());
    EXPECT_EQ(json.Json().value("error").toString(), "usage") << qPrintable(json.Both());
    EXPECT_EQ(json.Json().value("ok").toBool(true), false);
}

const QString code = QStringLiteral("FF 0C 00 FD 03 87 01 C3 38 38 AA 38 38 38 38 38 16");

INSTANTIATE_TEST_SUITE_P(
    Cases, CliUsage,
    ::testing::Values(
        TUsageCase{"NoCommand", {}, "Usage: irtool-cli COMMAND"},
        TUsageCase{"UnknownCommand", {"fly"}, "unknown command \"fly\""},
        TUsageCase{"UnknownOption", {"learn", "--module", "h", "--colour"}, "Unknown option 'colour'"},
        TUsageCase{"NoLink", {"learn"}, "--module HOST[:PORT] or wait for it with --listen"},
        TUsageCase{"BothLinks", {"learn", "--module", "h", "--listen", "6000"}, "--module HOST[:PORT] or wait"},
        TUsageCase{"FromWithoutListen", {"learn", "--module", "h", "--from", "1.2.3.4"}, "--from goes with --listen only"},
        TUsageCase{"FromNotAnAddress", {"learn", "--listen", "0", "--from", "module"}, "--from wants an IP address"},
        TUsageCase{"ModulePortZero", {"learn", "--module", "h:0"}, "--module wants a port from 1 to 65535"},
        TUsageCase{"ModulePortTooHigh", {"learn", "--module", "h:65536"}, "--module wants a port from 1 to 65535"},
        TUsageCase{"ModuleAddressMalformed", {"learn", "--module", "a:b:c"}, "--module wants HOST or HOST:PORT"},
        TUsageCase{"ListenPortNotANumber", {"learn", "--listen", "six"}, "--listen wants a port from 0 to 65535"},
        TUsageCase{"TimeoutZero", {"learn", "--module", "h", "--timeout", "0"}, "--timeout wants seconds above 0"},
        TUsageCase{"TimeoutNotANumber", {"learn", "--module", "h", "--timeout", "soon"}, "--timeout wants seconds"},
        TUsageCase{"LearnWithArgument", {"learn", "--module", "h", "extra"}, "unexpected argument \"extra\""},
        TUsageCase{"SendNothing", {"send", "--module", "h"}, "give the code as text, with --file FILE, or with --library"},
        TUsageCase{"SendBoth", {"send", "--module", "h", code, "--file", "x"}, "give the code as text, with --file FILE"},
        TUsageCase{"SendLibraryWithoutName", {"send", "--module", "h", "--library", "x"}, "--library goes with --name NAME"},
        TUsageCase{"SendNotACodeAtAll", {"send", "--module", "h", "hello"}, "the code:"},
        TUsageCase{"LearnFormatWithoutOut", {"learn", "--module", "h", "--format", "ir"}, "--format goes with --out FILE"},
        TUsageCase{"LearnUnknownFormat", {"learn", "--module", "h", "--out", "x", "--format", "wav"}, "--format wants pronto|raw|csv|lirc|ir|sendir|broadlink|broadlink-hex"},
        TUsageCase{"LearnLibraryWithoutSave", {"learn", "--module", "h", "--library", "x"}, "--library goes with --save NAME"},
        TUsageCase{"ConvertWithoutTo", {"convert", "x"}, "name the output format with --to"},
        TUsageCase{"ConvertUnknownFormat", {"convert", "--to", "wav", "x"}, "--to wants pronto|raw|csv|lirc|ir|sendir|broadlink|broadlink-hex or library"},
        TUsageCase{"IdentifyTwoFiles", {"identify", "a", "b"}, "identify reads one file, not 2"},
        TUsageCase{"LearnRemoteNoButtons", {"learn-remote", "--module", "h", "--out", "x"}, "name the buttons to learn"},
        TUsageCase{"LearnRemoteTwice", {"learn-remote", "--module", "h", "--out", "x", "a", "a"}, "every button name may appear once"},
        TUsageCase{"LearnRemoteNoTarget", {"learn-remote", "--module", "h", "a"}, "--library FILE or to a file with --out FILE"},
        TUsageCase{"LearnRemoteCsv", {"learn-remote", "--module", "h", "--out", "x", "--format", "csv", "a"}, "--format wants pronto, raw, lirc or ir"},
        TUsageCase{"SendBadByte", {"send", "--module", "h", "FF 0C 0G"}, "\"0G\" is not a byte in hexadecimal"},
        TUsageCase{"SendThreeDigits", {"send", "--module", "h", "FF 100"}, "\"100\" is not a byte in hexadecimal"},
        TUsageCase{"SendNotACode", {"send", "--module", "h", "FF 00 00 FE"}, "not a learned code"},
        TUsageCase{"SendTooLong", {"send", "--module", "h", QStringList(1001, "38").join(' ')}, "more than 1000 bytes"},
        TUsageCase{"ConfigWithoutVerb", {"config"}, "config wants read or write"},
        TUsageCase{"ConfigUnknownVerb", {"config", "erase"}, "config wants read or write, not \"erase\""},
        TUsageCase{"ConfigReadOverTcp", {"config", "read", "--module", "h"}, "read over the serial line only"},
        TUsageCase{"ConfigReadNoPort", {"config", "read"}, "name the serial port with --port"},
        TUsageCase{"ConfigWriteNoWay", {"config", "write", "--set", "ip=1.2.3.4"}, "with --port, or over TCP"},
        TUsageCase{"ConfigWriteTwoWays", {"config", "write", "--port", "COM1", "--module", "h", "--set", "ip=1.2.3.4"},
                   "with --port, or over TCP"},
        TUsageCase{"ConfigWriteNothing", {"config", "write", "--port", "COM1"}, "give the parameters with --file or --set"},
        TUsageCase{"ConfigUnknownKey", {"config", "write", "--port", "COM1", "--set", "speed=9600"}, "unknown parameter \"speed\""},
        TUsageCase{"ConfigNoEquals", {"config", "write", "--port", "COM1", "--set", "ip"}, "--set wants KEY=VALUE"},
        TUsageCase{"ConfigBadIp", {"config", "write", "--port", "COM1", "--set", "ip=192.168.0.300"},
                   "ip wants an IPv4 address"}),
    [](const ::testing::TestParamInfo<TUsageCase> &info) { return std::string(info.param.Name); });

TEST(CliHelp, EveryCommandExplainsItselfAndSucceeds)
{
    const QList<QStringList> commands{{"--help"}, {"learn", "--help"}, {"send", "--help"}, {"config", "--help"},
                                      {"identify", "--help"}, {"convert", "--help"}, {"learn-remote", "--help"},
                                      {"config", "read", "--help"}, {"config", "write", "--help"}};
    for (const QStringList &command : commands) {
        TCliRun run(command);
        EXPECT_EQ(run.Finish(), 0) << qPrintable(command.join(' ')) << qPrintable(run.Both());
        const QString usage = command.size() == 1 ? QStringLiteral("Usage: irtool-cli ")
                                                  : "Usage: irtool-cli " + command.mid(0, command.size() - 1).join(' ');
        EXPECT_TRUE(QString::fromUtf8(run.Out).startsWith(usage)) << qPrintable(command.join(' ')) << qPrintable(run.Both());
    }
}

} // namespace
