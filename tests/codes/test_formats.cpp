// Import and export of the exchange formats: tables of real-looking files, their resolutions in
// round trips, and bad files that must give a line and no codes.
#include "core/formats/codeformats.h"
#include "core/formats/irfile.h"
#include "core/formats/lirc.h"
#include "core/formats/pronto.h"
#include "core/formats/rawtimings.h"
#include "core/protocols/protocols.h"

#include "filecases.h"
#include "recordcompare.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

namespace {

TEST_P(GoodFileTest, ReadsEveryCode)
{
    const TImport in = GetParam().import(GetParam().text);
    ASSERT_TRUE(in.Ok()) << in.Error.toStdString();
    EXPECT_EQ(in.Records, GetParam().records);
    EXPECT_EQ(in.Refused.size(), GetParam().refused) << RefusalsText(in.Refused).toStdString();
}

const QByteArray LircFile = R"(#
# this config file was written by hand from a capture
#
begin remote
  name  tv
  flags RAW_CODES|CONST_LENGTH
  eps            30
  aeps          100
  frequency    36000
  gap          108000
      begin raw_codes
          name KEY_POWER
             9024 4512 564 564 564 1692  # the rest is cut
             564
          name KEY_MUTE
             9024 4512 564 1692 564
      end raw_codes
end remote

begin remote
  name  amp
  bits  16
  flags SPACE_ENC
  one   560 1690
  zero  560 560
  begin codes
    KEY_VOLUMEUP 0x40BF
  end codes
end remote
)";

const QByteArray IrFile = R"(Filetype: IR signals file
Version: 1
# 
name: Power
type: raw
frequency: 38000
duty_cycle: 0.330000
data: 9024 4512 564 564 564 1692 564
# 
name: Vol_up
type: parsed
protocol: Unknown42
address: 07 00 00 00
command: 02 00 00 00
# 
name: Input
type: raw
frequency: 40000
duty_cycle: 0.5
data: 2400 600 1200 600 600
)";

INSTANTIATE_TEST_SUITE_P(
    Formats, GoodFileTest,
    ::testing::Values(
        // 006D: 109 × 0.241246 µs = 26.296 µs, 38029 Hz. 0157 = 343 periods = 9019.46 µs.
        GoodCase{"ProntoNec", ImportPronto, "0000 006D 0002 0000 0157 00AB 0015 0B7B\n",
                 {Record("Pronto 1", {9019, 4497, 552, 77283}, 38029)}},
        GoodCase{"ProntoRepeatOnlyWithName", ImportPronto, "# 电视 开关\n0000 0073 0000 0001 0060 0018\n",
                 {Record("电视 开关", {2663, 666}, 36045)}},
        GoodCase{"ProntoOnceThenRepeat", ImportPronto,
                 "0000 006D 0001 0001 0157 00AB 0157 0056\r\n\r\n0000 006D 0001 0000 0015 0B7B",
                 {Record("Pronto 1", {9019, 4497, 9019, 2261}, 38029), Record("Pronto 2", {552, 77283}, 38029)}},
        GoodCase{"RawLine", ImportRaw, "9000 -4500 560 -560 560\n", {Record("时序 1", {9000, 4500, 560, 560, 560})}},
        GoodCase{"RawBracketsCommasAndPlus", ImportRaw, "# power\n[+9000, -4500, +560]\n",
                 {Record("power", {9000, 4500, 560})}},
        GoodCase{"RawTwoCodes", ImportRaw, "# a\n100 -200\n# b\n300 -400 500\n",
                 {Record("a", {100, 200}), Record("b", {300, 400, 500})}},
        GoodCase{"CsvWithHeader", ImportCsv, "index,level,duration_us\n0,1,9000\n1,0,4500\n2,1,560\n",
                 {Record("CSV 时序", {9000, 4500, 560})}},
        GoodCase{"CsvWithoutHeaderWithBlanks", ImportCsv, "0, 1, 100\n1, 0, 200\n",
                 {Record("CSV 时序", {100, 200})}},
        // 0x40BF, the most significant bit first; no gap, so the code ends on its last mark.
        GoodCase{"LircRawRemoteAndCodesRemote", ImportLirc, LircFile,
                 {onRemote(Record("KEY_POWER", {9024, 4512, 564, 564, 564, 1692, 564}, 36000), "tv"),
                  onRemote(Record("KEY_MUTE", {9024, 4512, 564, 1692, 564}, 36000), "tv"),
                  onRemote(Record("KEY_VOLUMEUP", {560, 560,  560, 1690, 560, 560,  560, 560,  560, 560,  560, 560,
                                                   560, 560,  560, 560,  560, 1690, 560, 560,  560, 1690, 560, 1690,
                                                   560, 1690, 560, 1690, 560, 1690, 560},
                                  38000),
                           "amp")}},
        GoodCase{"IrFileRawAndRefusedParsed", ImportIrFile, IrFile,
                 {Record("Power", {9024, 4512, 564, 564, 564, 1692, 564}, 38000),
                  Record("Input", {2400, 600, 1200, 600, 600}, 40000)},
                 1}),
    [](const auto &info) { return info.param.name; });

TEST(IrFile, RefusedParsedRecordIsListedWithItsNameAndReason)
{
    const TImport in = ImportIrFile(IrFile);
    ASSERT_EQ(in.Refused.size(), 1u);
    EXPECT_EQ(in.Refused[0].Name, "Vol_up");
    EXPECT_TRUE(in.Refused[0].Reason.contains("Unknown42")) << in.Refused[0].Reason.toStdString();
}

struct ParsedCase {
    const char *protocol;
    const char *address;
    const char *command;
    uint32_t addressValue;
    uint32_t commandValue;
};

class ParsedRecordTest : public ::testing::TestWithParam<ParsedCase> {};

// The imported durations are named by the protocol decoders as the record names them.
TEST_P(ParsedRecordTest, IsEncodedIntoDurationsOfItsProtocol)
{
    const ParsedCase &c = GetParam();
    const QByteArray text = QByteArray("Filetype: IR signals file\nVersion: 1\n#\nname: key\ntype: parsed\nprotocol: ")
                            + c.protocol + "\naddress: " + c.address + "\ncommand: " + c.command + "\n";
    const TImport in = ImportIrFile(text);
    ASSERT_TRUE(in.Ok()) << in.Error.toStdString();
    ASSERT_EQ(in.Records.size(), 1u) << RefusalsText(in.Refused).toStdString();
    EXPECT_EQ(in.Records[0].Name, "key");
    EXPECT_FALSE(in.Records[0].Protocol.isEmpty());
    const std::optional<TProtocolCode> named = IdentifyCode(in.Records[0].Code.DurationsUs);
    ASSERT_TRUE(named.has_value());
    EXPECT_EQ(named->Protocol, c.protocol);
    EXPECT_EQ(named->Address, c.addressValue);
    EXPECT_EQ(named->Command, c.commandValue);
}

INSTANTIATE_TEST_SUITE_P(
    Protocols, ParsedRecordTest,
    ::testing::Values(ParsedCase{"NEC", "07 00 00 00", "02 00 00 00", 0x07, 0x02},
                      ParsedCase{"NECext", "EE 87 00 00", "5D A0 00 00", 0x87EE, 0xA05D},
                      ParsedCase{"Samsung32", "07 00 00 00", "02 00 00 00", 0x07, 0x02},
                      ParsedCase{"SIRC", "01 00 00 00", "15 00 00 00", 0x01, 0x15},
                      ParsedCase{"RC5", "00 00 00 00", "0C 00 00 00", 0x00, 0x0C},
                      ParsedCase{"RC6", "00 00 00 00", "0C 00 00 00", 0x00, 0x0C}),
    [](const auto &info) { return std::string(info.param.protocol); });

// A remote given by protocol parameters, eight bits a button; params change or add to its lines.
QByteArray codesRemote(const char *name, const char *params, const char *buttons = "    KEY_A 0x01\n")
{
    return QByteArray("begin remote\n  name ") + name + "\n  bits 8\n  one 500 1500\n"
           + "  zero 500 500\n  gap 40000\n" + params + "  begin codes\n" + buttons + "  end codes\nend remote\n";
}

struct LircRefusalCase {
    const char *name;
    QByteArray remote; // named "bad"
    const char *reason;
};

class LircRefusalTest : public ::testing::TestWithParam<LircRefusalCase> {};

// Beside a remote that reads well, the bad one is left out with its name and reason, and the good
// one is still taken.
TEST_P(LircRefusalTest, ListsTheRemoteWithItsReasonAndTakesTheRest)
{
    const TImport in = ImportLirc(codesRemote("good", "") + GetParam().remote);
    ASSERT_TRUE(in.Ok()) << in.Error.toStdString();
    ASSERT_EQ(in.Records.size(), 1u);
    EXPECT_EQ(in.Records[0].Remote, "good");
    ASSERT_EQ(in.Refused.size(), 1u) << RefusalsText(in.Refused).toStdString();
    EXPECT_TRUE(in.Refused[0].Name.startsWith("bad")) << in.Refused[0].Text().toStdString();
    EXPECT_TRUE(in.Refused[0].Text().contains(QString::fromUtf8(GetParam().reason))) << in.Refused[0].Text().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Lirc, LircRefusalTest,
    ::testing::Values(
        LircRefusalCase{"Rcmm", codesRemote("bad", "  flags RCMM\n  two 500 1000\n  three 500 1200\n"), "RCMM"},
        LircRefusalCase{"Xmp", codesRemote("bad", "  flags XMP\n"), "XMP"},
        LircRefusalCase{"Grundig", codesRemote("bad", "  flags GRUNDIG|CONST_LENGTH\n"), "GRUNDIG"},
        LircRefusalCase{"Serial", codesRemote("bad", "  flags SERIAL\n  baud 1200\n  serial_mode 8N1\n"), "SERIAL"},
        LircRefusalCase{"RawFlagWithCodes", codesRemote("bad", "  flags RAW_CODES\n"), "RAW_CODES"},
        LircRefusalCase{"UnknownFlag", codesRemote("bad", "  flags SPACE_ENC|WOBBLE\n"), "WOBBLE"},
        LircRefusalCase{"TwoEncodings", codesRemote("bad", "  flags RC5\n  flags SPACE_ENC|CONST_LENGTH\n"),
                        "RC5 与 SPACE_ENC"},
        LircRefusalCase{"OnlyCodeValues", codesRemote("bad", "  one 0 0\n  zero 0 0\n"), "自行解码"},
        LircRefusalCase{"NoButtons", codesRemote("bad", "", ""), "没有按键"},
        LircRefusalCase{"MoreThan64Bits", codesRemote("bad", "  pre_data_bits 60\n"), "68 位"},
        LircRefusalCase{"BitCountsBeyondInt", codesRemote("bad", "  bits 2147483647\n  pre_data_bits 2147483647\n"),
                        "4294967294 位"},
        LircRefusalCase{"ToggleBitBeyondTheCode", codesRemote("bad", "  toggle_bit 9\n"), "toggle_bit 9"},
        LircRefusalCase{"PairWithOneValue", codesRemote("bad", "  header 9000\n"), "header"},
        LircRefusalCase{"ValueNotANumber", codesRemote("bad", "  pre_data 0xG1\n  pre_data_bits 8\n"), "0xG1"},
        LircRefusalCase{"OctalNeedsOctalDigits", codesRemote("bad", "  ptrail 0589\n"), "0589"},
        LircRefusalCase{"AbsurdTiming", codesRemote("bad", "  ptrail 20000000\n"), "20000000"},
        LircRefusalCase{"UnknownParameter", codesRemote("bad", "  wobble 3\n"), "wobble"},
        LircRefusalCase{"ButtonWithoutValue", codesRemote("bad", "", "    KEY_B\n"), "KEY_B"},
        LircRefusalCase{"ButtonValueNotANumber", codesRemote("bad", "", "    KEY_B 0xZZ\n"), "0xZZ"},
        // LIRC sends nothing when the code is longer than the constant length it should fill.
        LircRefusalCase{"ConstLengthShorterThanTheCode",
                        codesRemote("bad", "  flags SPACE_ENC|CONST_LENGTH\n  gap 1000\n", "    KEY_B 0xFF\n"),
                        "KEY_B"}),
    [](const auto &info) { return info.param.name; });

// A remote of pre_data only (its "bits" 0) sends the pre_data and the trail, and nothing for the
// button's own bits.
TEST(Lirc, RemoteWithoutButtonBitsSendsItsPreData)
{
    const TImport in = ImportLirc("begin remote\n  name p\n  one 500 1500\n  zero 500 500\n  ptrail 500\n"
                                  "  pre_data_bits 2\n  pre_data 0x2\n  gap 40000\n  begin codes\n    KEY_A 0x0\n"
                                  "  end codes\nend remote\n");
    ASSERT_TRUE(in.Ok()) << in.Error.toStdString();
    ASSERT_EQ(in.Records.size(), 1u) << RefusalsText(in.Refused).toStdString();
    EXPECT_EQ(in.Records[0].Code.DurationsUs, (std::vector<int>{500, 1500, 500, 500, 500, 40000})); // as irsimsend sends it
}

// The callers turn a file with nothing taken into an error that gives every reason.
TEST(Lirc, FileWithNothingToTakeListsEveryRemoteWithItsReason)
{
    const TImport in = ImportLirc(codesRemote("a", "  flags RCMM\n") + codesRemote("b", "  flags XMP\n"));
    EXPECT_TRUE(in.Records.empty());
    ASSERT_EQ(in.Refused.size(), 2u);
    const QString reasons = RefusalsText(in.Refused);
    for (const char *part : {"a", "RCMM", "b", "XMP"})
        EXPECT_TRUE(reasons.contains(QString::fromUtf8(part))) << reasons.toStdString();
}

// What LIRC's file reader allows beside the numbers: case, blanks, comments, names with "#", octal.
TEST(Lirc, ReadsCodesRemotesAsLircWritesThem)
{
    const QByteArray text = "# comment\n"
                            "BEGIN  Remote\n"
                            "  name  box\n"
                            "  BITS  2\n"
                            "  Flags space_enc|const_length\n"
                            "  one 0x1F4 01750\n" // 500, 1000
                            "  zero 500 500   # trailing comment\n"
                            "  gap 10000 9000\n" // LIRC waits the smaller of two gaps
                            "  frequency 36000\n"
                            "  begin codes\n"
                            "    #   0x3\n"
                            "    # a comment line inside codes\n"
                            "    #_UP 0x1  # the up key\n"
                            "  END codes\n"
                            "end remote\n";
    const TImport in = ImportLirc(text);
    ASSERT_TRUE(in.Ok()) << in.Error.toStdString();
    TCodeRecord hash = Record("#", {500, 1000, 500, 7000}, 36000);
    TCodeRecord up = Record("#_UP", {500, 500, 500, 7500}, 36000);
    hash.Remote = up.Remote = "box";
    EXPECT_EQ(in.Records, (std::vector<TCodeRecord>{hash, up}));
    EXPECT_TRUE(in.Refused.empty()) << RefusalsText(in.Refused).toStdString();
}

struct FormatBadCase {
    const char *name;
    TImporter import;
    QByteArray text;
    int line;
    const char *mentions;
};

class BadFileTest : public ::testing::TestWithParam<FormatBadCase> {};

TEST_P(BadFileTest, NamesTheLineAndGivesNoCodes)
{
    const TImport in = GetParam().import(GetParam().text);
    ASSERT_FALSE(in.Ok());
    EXPECT_TRUE(in.Records.empty());
    EXPECT_EQ(ErrorLine(in.Error), GetParam().line) << in.Error.toStdString();
    EXPECT_TRUE(in.Error.contains(QString::fromUtf8(GetParam().mentions))) << in.Error.toStdString();
}

const QByteArray GoodPronto = "0000 006D 0001 0000 0157 00AB\n";
const QByteArray IrHead = "Filetype: IR signals file\nVersion: 1\n#\nname: a\ntype: raw\nfrequency: 38000\nduty_cycle: 0.33\ndata: 1 2 3\n#\n";

INSTANTIATE_TEST_SUITE_P(
    Formats, BadFileTest,
    ::testing::Values(
        FormatBadCase{"ProntoTruncated", ImportPronto, GoodPronto + "0000 006D 0002 0000 0157 00AB 0015\n", 2, "实际有 7 个字"},
        FormatBadCase{"ProntoOddWordCount", ImportPronto, "0000 006D 0001 0000 0157\n", 1, "实际有 5 个字"},
        FormatBadCase{"ProntoNotLearned", ImportPronto, "5000 0073 0000 0001 0001 0001\n", 1, "0000"},
        FormatBadCase{"ProntoZeroCarrier", ImportPronto, "0000 0000 0001 0000 0157 00AB\n", 1, "载波"},
        FormatBadCase{"ProntoAbsurdCarrier", ImportPronto, "0000 0001 0001 0000 0157 00AB\n", 1, "载波"},
        FormatBadCase{"ProntoZeroDuration", ImportPronto, "0000 006D 0001 0000 0157 0000\n", 1, "为 0"},
        FormatBadCase{"ProntoWrongNumber", ImportPronto, GoodPronto + "0000 006D 0001 0000 0157 00G0\n", 2, "00G0"},
        FormatBadCase{"ProntoShortWord", ImportPronto, "0000 6D 0001 0000 0157 00AB\n", 1, "6D"},
        FormatBadCase{"ProntoEmpty", ImportPronto, "\n# nothing\n", 0, "没有 Pronto 编码"},
        FormatBadCase{"RawSpaceFirst", ImportRaw, "-4500 9000\n", 1, "正数"},
        FormatBadCase{"RawTwoMarks", ImportRaw, "# a\n100 -200\n300 400\n", 3, "负数"},
        FormatBadCase{"RawNotNumber", ImportRaw, "9000 -45o0\n", 1, "45o0"},
        FormatBadCase{"RawAbsurd", ImportRaw, "9000 -99999999999\n", 1, "99999999999"},
        FormatBadCase{"CsvWrongIndex", ImportCsv, "index,level,duration_us\n0,1,9000\n2,0,4500\n", 3, "序号应为 1"},
        FormatBadCase{"CsvWrongLevel", ImportCsv, "0,1,9000\n1,1,4500\n", 2, "电平应为 0"},
        FormatBadCase{"CsvMissingCell", ImportCsv, "0,1,9000\n1,0\n", 2, "三个整数"},
        FormatBadCase{"CsvExtraCell", ImportCsv, "0,1,9000,7\n", 1, "三个整数"},
        FormatBadCase{"CsvZeroDuration", ImportCsv, "0,1,0\n", 1, "不在 1 到"},
        FormatBadCase{"LircTruncatedInCodes", ImportLirc, LircFile.left(LircFile.indexOf("      end raw_codes")), 16,
                "end raw_codes"},
        FormatBadCase{"LircTruncatedInRemote", ImportLirc, "begin remote\n  name x\n", 2, "end remote"},
        FormatBadCase{"LircWrongNumber", ImportLirc,
                "begin remote\nname x\nbegin raw_codes\nname A\n100 2O0 300\nend raw_codes\nend remote\n", 5, "2O0"},
        FormatBadCase{"LircNumbersBeforeName", ImportLirc,
                "begin remote\nname x\nbegin raw_codes\n100 200 300\nend raw_codes\nend remote\n", 4, "name"},
        FormatBadCase{"LircKeyWithoutTimings", ImportLirc,
                "begin remote\nname x\nbegin raw_codes\nname A\nname B\n1 2 3\nend raw_codes\nend remote\n", 4, "A"},
        FormatBadCase{"LircAbsurdCarrier", ImportLirc, "begin remote\nname x\nfrequency 12\n", 3, "载波"},
        FormatBadCase{"LircNotAConfig", ImportLirc, "hello\n", 1, "begin remote"},
        FormatBadCase{"IrFileWrongHeader", ImportIrFile, "Filetype: IR library\nVersion: 1\n", 1, "Filetype"},
        FormatBadCase{"IrFileTruncatedRecord", ImportIrFile, IrHead + "name: b\ntype: raw\nfrequency: 38000\n", 10, "data:"},
        FormatBadCase{"IrFileAbsurdCarrier", ImportIrFile, IrHead + "name: b\ntype: raw\nfrequency: 5\ndata: 1 2\n", 12,
                "载波"},
        FormatBadCase{"IrFileAbsurdDuty", ImportIrFile, IrHead + "name: b\ntype: raw\nfrequency: 38000\nduty_cycle: 7\ndata: 1\n",
                13, "占空比"},
        FormatBadCase{"IrFileWrongNumber", ImportIrFile, IrHead + "name: b\ntype: raw\nfrequency: 38000\ndata: 1 x2\n", 13,
                "x2"},
        FormatBadCase{"IrFileDataWithoutDurations", ImportIrFile, IrHead + "name: b\ntype: raw\nfrequency: 38000\ndata: , ,\n",
                13, "没有时长"},
        FormatBadCase{"IrFileUnknownType", ImportIrFile, IrHead + "name: b\ntype: cooked\n", 11, "cooked"},
        FormatBadCase{"IrFileTwiceData", ImportIrFile, IrHead + "name: b\ndata: 1\ndata: 2\n", 12, "两次"},
        FormatBadCase{"IrFileParsedWithoutCommand", ImportIrFile, IrHead + "name: b\ntype: parsed\nprotocol: NEC\naddress: 01\n",
                10, "command"},
        FormatBadCase{"IrFileParsedBadAddress", ImportIrFile,
                IrHead + "name: b\ntype: parsed\nprotocol: NEC\naddress: 7 0 0 0\ncommand: 02 00 00 00\n", 13, "7 0 0 0"},
        FormatBadCase{"IrFileParsedFiveBytes", ImportIrFile,
                IrHead + "name: b\ntype: parsed\nprotocol: NEC\naddress: 07 00 00 00\ncommand: 02 00 00 00 00\n", 14,
                "02 00 00 00 00"},
        FormatBadCase{"IrFileOtherVersion", ImportIrFile, "Filetype: IR signals file\nVersion: 9\n", 2, "版本"}),
    [](const auto &info) { return info.param.name; });

TEST(Formats, TenMegabytesOfGarbageGiveAShortErrorAndNoCodes)
{
    const std::vector<std::pair<const char *, TImporter>> importers = {
        {"pronto", ImportPronto}, {"raw", ImportRaw}, {"csv", ImportCsv}, {"lirc", ImportLirc}, {"irfile", ImportIrFile}};
    std::mt19937 rng(20261210);
    QByteArray garbage(10 * 1024 * 1024, '\0');
    for (char &c : garbage)
        c = static_cast<char>(rng());
    for (const auto &[name, import] : importers) {
        SCOPED_TRACE(name);
        const TImport in = import(garbage);
        EXPECT_FALSE(in.Ok());
        EXPECT_TRUE(in.Records.empty());
        EXPECT_GE(ErrorLine(in.Error), 1) << in.Error.left(300).toStdString();
        EXPECT_LT(in.Error.size(), 300);
    }
}

std::vector<TCodeRecord> randomCodes(std::mt19937 &rng, int maxUs, bool withCarrier)
{
    std::vector<TCodeRecord> records;
    const int count = std::uniform_int_distribution<int>(1, 5)(rng);
    for (int i = 0; i < count; ++i) {
        TCodeRecord r;
        r.Name = QString("code %1").arg(i + 1);
        const int n = std::uniform_int_distribution<int>(1, 150)(rng);
        for (int k = 0; k < n; ++k)
            r.Code.DurationsUs.push_back(std::uniform_int_distribution<int>(1, maxUs)(rng));
        if (withCarrier)
            r.Code.CarrierHz = std::uniform_int_distribution<int>(30000, 60000)(rng);
        records.push_back(r);
    }
    return records;
}

// Exact to the microsecond: raw lines, CSV and signal files.
TEST(Formats, RawCsvAndSignalFilesKeepEveryMicrosecond)
{
    const unsigned seed = 4242;
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    for (int round = 0; round < 100; ++round) {
        const std::vector<TCodeRecord> codes = randomCodes(rng, 200000, true);
        const TImport raw = ImportRaw(ExportRaw(codes).Text);
        ASSERT_TRUE(raw.Ok()) << raw.Error.toStdString();
        ASSERT_EQ(raw.Records.size(), codes.size());
        const TImport csv = ImportCsv(ExportCsv(codes[0]).Text);
        ASSERT_TRUE(csv.Ok()) << csv.Error.toStdString();
        const TImport ir = ImportIrFile(ExportIrFile(codes).Text);
        ASSERT_TRUE(ir.Ok()) << ir.Error.toStdString();
        ASSERT_EQ(ir.Records, codes);
        EXPECT_EQ(csv.Records[0].Code.DurationsUs, codes[0].Code.DurationsUs);
        for (size_t i = 0; i < codes.size(); ++i) {
            EXPECT_EQ(raw.Records[i].Name, codes[i].Name);
            EXPECT_EQ(raw.Records[i].Code.DurationsUs, codes[i].Code.DurationsUs);
        }
    }
}

// One carrier period: each duration comes back within half a period (plus the rounding of the
// period itself), and the carrier within half a step of the period word.
TEST(Formats, ProntoKeepsDurationsToOneCarrierPeriod)
{
    const unsigned seed = 777;
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    for (int round = 0; round < 100; ++round) {
        const bool withCarrier = round % 2 == 0;
        const std::vector<TCodeRecord> codes = randomCodes(rng, 60000, withCarrier);
        const TExport out = ExportPronto(codes);
        ASSERT_TRUE(out.Error.isEmpty()) << out.Error.toStdString();
        EXPECT_EQ(out.Note.isEmpty(), withCarrier);
        const TImport in = ImportPronto(out.Text);
        ASSERT_TRUE(in.Ok()) << in.Error.toStdString();
        ASSERT_EQ(in.Records.size(), codes.size());
        for (size_t i = 0; i < codes.size(); ++i) {
            const TIrCode &a = codes[i].Code;
            const TIrCode &b = in.Records[i].Code;
            EXPECT_EQ(in.Records[i].Name, codes[i].Name);
            const int carrier = a.CarrierHz != 0 ? a.CarrierHz : ProntoDefaultCarrierHz;
            const double period = 1e6 / carrier;
            EXPECT_NEAR(b.CarrierHz, carrier, carrier * 0.241246 / period / 2 + 1);
            ASSERT_EQ(b.DurationsUs.size(), a.DurationsUs.size() + a.DurationsUs.size() % 2);
            for (size_t k = 0; k < a.DurationsUs.size(); ++k)
                ASSERT_NEAR(b.DurationsUs[k], std::max<double>(a.DurationsUs[k], period / 2), period * 0.51 + 1)
                    << "code " << i << " duration " << k;
        }
    }
}

// At the ends of the carrier range the period word's own carrier lies just outside the range
// (0004 is 1,036,287 Hz, 019F 9,988 Hz): what is written there still reads back, as the range's end.
TEST(Formats, ProntoReadsBackCarriersAtTheEndsOfTheRange)
{
    for (const int carrier : {10000, 10012, 10013, 921144, 921145, 960000, 999999, 1000000}) {
        SCOPED_TRACE(carrier);
        const TImport in = ImportPronto(ExportPronto({Record("a", {9000, 4500, 560}, carrier)}).Text);
        ASSERT_TRUE(in.Ok()) << in.Error.toStdString();
        const int back = in.Records.at(0).Code.CarrierHz;
        EXPECT_GE(back, 10000);
        EXPECT_LE(back, 1000000);
        EXPECT_NEAR(back, carrier, carrier * 0.241246 * carrier / 2e6 + 1);
    }
    EXPECT_FALSE(ImportPronto("0000 0003 0001 0000 0157 00AB\n").Ok());
    EXPECT_FALSE(ImportPronto("0000 01A0 0001 0000 0157 00AB\n").Ok());
}

// Exact, but for the final space, which LIRC keeps as the remote's gap.
TEST(Formats, LircKeepsEveryMicrosecondButTheFinalSpace)
{
    const unsigned seed = 99;
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    for (int round = 0; round < 100; ++round) {
        std::vector<TCodeRecord> codes = randomCodes(rng, 200000, false);
        const TImport in = ImportLirc(ExportLirc("remote", codes).Text);
        ASSERT_TRUE(in.Ok()) << in.Error.toStdString();
        ASSERT_EQ(in.Records.size(), codes.size());
        for (size_t i = 0; i < codes.size(); ++i) {
            std::vector<int> expected = codes[i].Code.DurationsUs;
            if (expected.size() % 2 == 0)
                expected.pop_back();
            EXPECT_EQ(in.Records[i].Code.DurationsUs, expected);
            EXPECT_EQ(in.Records[i].Code.CarrierHz, 38000);
            EXPECT_EQ(in.Records[i].Remote, "remote");
        }
    }
}

TEST(Formats, LircNamesHaveNoBlanksAndStayDistinct)
{
    const TExport out = ExportLirc("客厅 电视", {Record("开 关", {1, 2, 3}), Record("开#关", {4}), Record("  ", {5})});
    const TImport in = ImportLirc(out.Text);
    ASSERT_TRUE(in.Ok()) << in.Error.toStdString();
    std::vector<QString> names;
    for (const TCodeRecord &r : in.Records)
        names.push_back(r.Name);
    EXPECT_EQ(names, (std::vector<QString>{QString::fromUtf8("开_关"), QString::fromUtf8("开_关_2"), "KEY"}));
    EXPECT_EQ(in.Records[0].Remote, QString::fromUtf8("客厅_电视"));
}

// lircd finds a key by its name in any case, and a name runs to the next blank of any kind.
TEST(Formats, LircNamesAreOneWordAndDistinctInAnyCase)
{
    const TExport out = ExportLirc("r", {Record("Power", {1}), Record("POWER", {2}), Record("a\u3000b", {3}),
                                         Record("a\u200Bb\x01" "c", {4}), Record("\xF0\x9F\x93\xBA tv", {5})});
    const TImport in = ImportLirc(out.Text);
    ASSERT_TRUE(in.Ok()) << in.Error.toStdString();
    std::vector<QString> names;
    for (const TCodeRecord &r : in.Records)
        names.push_back(r.Name);
    EXPECT_EQ(names, (std::vector<QString>{"Power", "POWER_2", "a_b", "a_b_c", QString::fromUtf8("\xF0\x9F\x93\xBA_tv")}));
}

struct SuffixCase {
    const char *name;
    const char *typed;
    TCodeFormat chosen;
    const char *written; // the path written to
    TCodeFormat format;
};

class ExportTargetTest : public ::testing::TestWithParam<SuffixCase> {};

TEST_P(ExportTargetTest, TheNamesSuffixSaysTheFormatElseTheChosenOneIsAddedToIt)
{
    const TExportTarget target = ExportTarget(QString::fromUtf8(GetParam().typed), GetParam().chosen);
    EXPECT_EQ(target.Path, QString::fromUtf8(GetParam().written));
    EXPECT_EQ(target.Format, GetParam().format);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ExportTargetTest,
    ::testing::Values(SuffixCase{"LircdConfOverPronto", "/d/tv.lircd.conf", TCodeFormat::Pronto, "/d/tv.lircd.conf", TCodeFormat::Lirc},
                      SuffixCase{"ConfOverSignalFile", "/d/tv.conf", TCodeFormat::IrFile, "/d/tv.conf", TCodeFormat::Lirc},
                      SuffixCase{"IrInCapitalsOverCsv", "/d/TV.IR", TCodeFormat::Csv, "/d/TV.IR", TCodeFormat::IrFile},
                      SuffixCase{"CsvOverLirc", "/d/tv.csv", TCodeFormat::Lirc, "/d/tv.csv", TCodeFormat::Csv},
                      SuffixCase{"ProntoOverRaw", "/d/tv.pronto", TCodeFormat::Raw, "/d/tv.pronto", TCodeFormat::Pronto},
                      SuffixCase{"RawOverPronto", "/d/tv.raw", TCodeFormat::Pronto, "/d/tv.raw", TCodeFormat::Raw},
                      SuffixCase{"TxtKeepsChosenRaw", "/d/tv.txt", TCodeFormat::Raw, "/d/tv.txt", TCodeFormat::Raw},
                      SuffixCase{"TxtKeepsChosenPronto", "/d/tv.txt", TCodeFormat::Pronto, "/d/tv.txt", TCodeFormat::Pronto},
                      SuffixCase{"TxtOverLircIsPronto", "/d/tv.txt", TCodeFormat::Lirc, "/d/tv.txt", TCodeFormat::Pronto},
                      SuffixCase{"NoSuffixTakesChosen", "/d/tv", TCodeFormat::Lirc, "/d/tv.lircd.conf", TCodeFormat::Lirc},
                      SuffixCase{"DotInFolderOnly", "/d/v1.2/tv", TCodeFormat::IrFile, "/d/v1.2/tv.ir", TCodeFormat::IrFile},
                      SuffixCase{"UnknownSuffixKept", "/d/tv.remote", TCodeFormat::Csv, "/d/tv.remote", TCodeFormat::Csv},
                      SuffixCase{"SuffixInTheMiddleOnly", "/d/tv.ir.old", TCodeFormat::Raw, "/d/tv.ir.old", TCodeFormat::Raw}),
    [](const auto &info) { return info.param.name; });

// A code from any format comes in with its protocol named, as a learned code is saved with it.
TEST(Formats, ImportedCodesCarryTheirRecognisedProtocol)
{
    const std::optional<TIrCode> code = EncodeCode({"NEC", 0x04, 0x08, 32, {}});
    ASSERT_TRUE(code);
    TCodeRecord power = Record("power", code->DurationsUs, code->CarrierHz);
    power.Code.DurationsUs.push_back(40000);
    const TCodeRecord noise = Record("noise", {300, 700, 300}, 38000);
    for (const TFormatInfo &f : CodeFormats()) {
        if (!f.Exports)
            continue;
        SCOPED_TRACE(f.Name.toStdString());
        const std::vector<TCodeRecord> records =
            f.Format == TCodeFormat::Csv ? std::vector<TCodeRecord>{power} : std::vector<TCodeRecord>{power, noise};
        const TImport in = ImportCodes(ExportCodes(f.Format, records, "r").Text);
        ASSERT_TRUE(in.Ok()) << in.Error.toStdString();
        ASSERT_EQ(in.Records.size(), records.size());
        EXPECT_EQ(in.Records[0].Protocol, "NEC 0x04/0x08");
        if (records.size() > 1) {
            EXPECT_EQ(in.Records[1].Protocol, QString());
        }
    }
}

TEST(Formats, AssumedCarrierIsSaid)
{
    const std::vector<TCodeRecord> none = {Record("a", {100, 200})};
    const std::vector<TCodeRecord> known = {Record("a", {100, 200}, 40000)};
    for (const auto &[name, exporter] : std::vector<std::pair<const char *, std::function<TExport(const std::vector<TCodeRecord> &)>>>{
             {"pronto", ExportPronto}, {"irfile", ExportIrFile},
             {"lirc", [](const auto &r) { return ExportLirc("r", r); }}}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(exporter(none).Note.contains("38 kHz"));
        EXPECT_TRUE(exporter(known).Note.isEmpty());
    }
    EXPECT_TRUE(ExportPronto(none).Text.contains("38 kHz"));
}

TEST_P(GuessFormatTest, TellsTheFormatFromTheFirstLines)
{
    EXPECT_EQ(GuessFormat(GetParam().text), GetParam().format);
}

INSTANTIATE_TEST_SUITE_P(
    Files, GuessFormatTest,
    ::testing::Values(GuessCase{"SignalFile", IrFile, TCodeFormat::IrFile},
                      GuessCase{"LircAfterComments", LircFile, TCodeFormat::Lirc},
                      GuessCase{"ProntoAfterName", "# power\n0000 006D 0001 0000 0157 00AB\n", TCodeFormat::Pronto},
                      GuessCase{"RawWithFourDigitMark", "# power\n9000 -4500 560\n", TCodeFormat::Raw},
                      GuessCase{"RawWithCommas", "9000, -4500, 560\n", TCodeFormat::Raw},
                      GuessCase{"CsvHeader", "index,level,duration_us\n0,1,9000\n", TCodeFormat::Csv},
                      GuessCase{"CsvWithoutHeader", "0,1,9000\n1,0,4500\n", TCodeFormat::Csv}),
    [](const auto &info) { return info.param.name; });

TEST(Formats, CsvExportTakesOneCodeOnly)
{
    const TExport out = ExportCodes(TCodeFormat::Csv, {Record("a", {1}), Record("b", {2})}, "r");
    EXPECT_TRUE(out.Text.isEmpty());
    EXPECT_TRUE(out.Error.contains("CSV"));
    EXPECT_TRUE(ExportCodes(TCodeFormat::Csv, {Record("a", {1})}, "r").Error.isEmpty());
}

} // namespace
