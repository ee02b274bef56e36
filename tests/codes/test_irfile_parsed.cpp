// Parsed records of signal files mean what the files' own encoders make of them: the frame each
// record is sent as, the records that cannot be sent (refused with the reason, never sent as
// something else), and the round trip record → frame → identify → record, through an export too.
#include "core/formats/irfile.h"
#include "core/protocols/protocols.h"

#include "protocols/capture.h"
#include "recordcompare.h"

#include <gtest/gtest.h>

#include <random>

namespace {

QByteArray parsedFile(const QByteArray &protocol, const QByteArray &address, const QByteArray &command)
{
    return "Filetype: IR signals file\nVersion: 1\n#\nname: key\ntype: parsed\nprotocol: " + protocol + "\naddress: "
           + address + "\ncommand: " + command + "\n";
}

// "07 00 00 00": four bytes, the first the lowest.
QByteArray littleEndian(uint32_t value)
{
    QByteArray out;
    for (int i = 0; i < 4; ++i)
        out += QByteArray::number((value >> (8 * i)) & 0xFF, 16).toUpper().rightJustified(2, '0') + (i < 3 ? " " : "");
    return out;
}

constexpr capture::TPulseDistance NecTimings{9000, 4500, 560, 560, 1690};
constexpr capture::TPulseDistance KaseikyoTimings{3456, 1728, 432, 432, 1296};

std::vector<int> frameOf(const capture::TPulseDistance &timings, std::initializer_list<uint32_t> bytes)
{
    std::string bits;
    for (uint32_t b : bytes)
        bits += capture::Bits({{b, 8}});
    std::vector<int> d;
    capture::AppendPulseDistance(d, timings, bits);
    return d;
}

struct FrameCase {
    const char *name;
    QByteArray protocol, address, command;
    std::vector<int> frame;
};

class ParsedFrameTest : public ::testing::TestWithParam<FrameCase> {};

TEST_P(ParsedFrameTest, IsSentAsTheFramesBytes)
{
    const FrameCase &c = GetParam();
    const TImport in = ImportIrFile(parsedFile(c.protocol, c.address, c.command));
    ASSERT_TRUE(in.Ok()) << in.Error.toStdString();
    ASSERT_EQ(in.Records.size(), 1u) << RefusalsText(in.Refused).toStdString();
    EXPECT_EQ(in.Records[0].Code.DurationsUs, c.frame);
}

INSTANTIATE_TEST_SUITE_P(
    Records, ParsedFrameTest,
    ::testing::Values(
        // Vendor 0x2002, genre 1 8, 10-bit command 0x3D0.
        FrameCase{"KaseikyoTenBitCommand", "Kaseikyo", "80 02 20 00", "D0 03 00 00",
                  frameOf(KaseikyoTimings, {0x02, 0x20, 0x80, 0x00, 0x3D, 0xBD})},
        // Vendor 0x3254 goes out whole, first byte lowest, with its parity 0; genres 1 and 2, id 3.
        FrameCase{"KaseikyoVendorGenresAndId", "Kaseikyo", "12 54 32 03", "A5 00 00 00",
                  frameOf(KaseikyoTimings, {0x54, 0x32, 0x10, 0x52, 0xCA, 0x88})},
        FrameCase{"NecExtFourthByteZero", "NECext", "04 FB 00 00", "08 00 00 00",
                  frameOf(NecTimings, {0x04, 0xFB, 0x08, 0x00})},
        FrameCase{"NecExtBothCommandBytes", "NECext", "04 FB 00 00", "08 F7 00 00",
                  frameOf(NecTimings, {0x04, 0xFB, 0x08, 0xF7})}),
    [](const auto &info) { return info.param.name; });

// The files' RC5X command is the extended command's 6 low bits: 0x30 is the extended command 0x70,
// and the seventh bit a file may also give changes nothing.
TEST(ParsedRc5X, CommandIsTheSixLowBitsOfTheExtendedCommand)
{
    for (const QByteArray command : {"30 00 00 00", "70 00 00 00"}) {
        const TImport in = ImportIrFile(parsedFile("RC5X", "0A 00 00 00", command));
        ASSERT_EQ(in.Records.size(), 1u) << RefusalsText(in.Refused).toStdString();
        const auto code = IdentifyCode(in.Records[0].Code.DurationsUs);
        ASSERT_TRUE(code);
        EXPECT_EQ(code->Protocol, "RC5X");
        EXPECT_EQ(code->Address, 0x0Au);
        EXPECT_EQ(code->Command, 0x70u);
    }
}

struct RefusedCase {
    const char *name;
    QByteArray protocol, address, command;
    const char *reason;
};

class ParsedRefusalTest : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(ParsedRefusalTest, IsRefusedWithItsNameAndReason)
{
    const RefusedCase &c = GetParam();
    const TImport in = ImportIrFile(parsedFile(c.protocol, c.address, c.command));
    ASSERT_TRUE(in.Ok()) << in.Error.toStdString();
    EXPECT_TRUE(in.Records.empty());
    ASSERT_EQ(in.Refused.size(), 1u);
    EXPECT_EQ(in.Refused[0].Name, "key");
    EXPECT_TRUE(in.Refused[0].Reason.contains(QString::fromUtf8(c.reason))) << in.Refused[0].Reason.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Records, ParsedRefusalTest,
    ::testing::Values(RefusedCase{"UnknownProtocol", "Unknown42", "07 00 00 00", "02 00 00 00", "Unknown42"},
                      RefusedCase{"NecAddressWiderThanAByte", "NEC", "07 01 00 00", "02 00 00 00", "0x107"},
                      RefusedCase{"KaseikyoCommandWiderThanTenBits", "Kaseikyo", "80 02 20 00", "00 04 00 00", "10 位"},
                      RefusedCase{"KaseikyoAddressWiderThan26Bits", "Kaseikyo", "80 02 20 04", "D0 03 00 00", "26 位"},
                      RefusedCase{"Rc5XCommandOfEightBits", "RC5X", "0A 00 00 00", "80 00 00 00", "7 位"},
                      RefusedCase{"RcaAddressOfFiveBits", "RCA", "10 00 00 00", "01 00 00 00", "4 位"}),
    [](const auto &info) { return info.param.name; });

// The protocols signal files list, with the widths of their fields as the files mean them.
struct ListedProtocol {
    const char *name;
    int addressBits, commandBits;
};

const ListedProtocol Listed[] = {
    {"NEC", 8, 8},      {"NECext", 16, 16},   {"NEC42", 13, 8}, {"NEC42ext", 26, 16}, {"Samsung32", 8, 8},
    {"RC6", 8, 8},      {"RC5", 5, 6},        {"RC5X", 5, 6},   {"SIRC", 5, 7},       {"SIRC15", 8, 7},
    {"SIRC20", 13, 7},  {"Kaseikyo", 26, 10}, {"RCA", 4, 8},    {"Pioneer", 8, 8}};

// An NECext (NEC42ext) record whose second and fourth parts are the inverses of the first and
// third is the NEC (NEC42) code, in the files as here.
bool isShorterForm(const QByteArray &protocol, uint32_t address, uint32_t command)
{
    const bool commandInverted = ((command ^ command >> 8) & 0xFF) == 0xFF;
    if (protocol == "NECext")
        return ((address ^ address >> 8) & 0xFF) == 0xFF && commandInverted;
    if (protocol == "NEC42ext")
        return ((address ^ address >> 13) & 0x1FFF) == 0x1FFF && commandInverted;
    return false;
}

// The identified code as a file's record gives it: the RC5X command without its seventh bit.
uint32_t fileCommand(const TProtocolCode &code)
{
    return code.Protocol == "RC5X" ? code.Command & 0x3F : code.Command;
}

class ParsedRoundTripTest : public ::testing::TestWithParam<ListedProtocol> {};

TEST_P(ParsedRoundTripTest, RecordFrameIdentifyGivesTheRecordBackAlsoAfterAnExport)
{
    const ListedProtocol &p = GetParam();
    constexpr unsigned Seed = 20261211;
    std::mt19937 random(Seed);
    std::uniform_int_distribution<uint32_t> address(0, (1u << p.addressBits) - 1);
    std::uniform_int_distribution<uint32_t> command(0, (1u << p.commandBits) - 1);
    for (int round = 0; round < 200; ++round) {
        const uint32_t a = address(random), c = command(random);
        if (isShorterForm(p.name, a, c))
            continue;
        SCOPED_TRACE(::testing::Message() << "seed " << Seed << " round " << round << " address " << a << " command " << c);
        const TImport in = ImportIrFile(parsedFile(p.name, littleEndian(a), littleEndian(c)));
        ASSERT_EQ(in.Records.size(), 1u) << RefusalsText(in.Refused).toStdString();
        const TImport again = ImportIrFile(ExportIrFile(in.Records).Text);
        ASSERT_EQ(again.Records.size(), 1u) << again.Error.toStdString();
        for (const TImport *read : {&in, &again}) {
            const auto code = IdentifyCode(read->Records[0].Code.DurationsUs);
            ASSERT_TRUE(code);
            ASSERT_EQ(code->Protocol, p.name);
            ASSERT_EQ(code->Address, a);
            ASSERT_EQ(fileCommand(*code), c);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Protocols, ParsedRoundTripTest, ::testing::ValuesIn(Listed),
                         [](const auto &info) { return std::string(info.param.name); });

// A name of blanks only (no-break space, line separator, the full-width blank of input methods) is
// no name: the export writes the default name, which the import takes, and reads such a name so too.
TEST(IrFileNames, BlanksOnlyGiveTheDefaultName)
{
    const QString blanks[] = {QString(QChar(0x00A0)), QString(QChar(0x2028)), QString(QChar(0x3000)) + QChar(0x3000)};
    for (const QString &name : blanks) {
        TCodeRecord r = Record("", {9000, 4500, 560}, 38000);
        r.Name = name;
        const TImport in = ImportIrFile(ExportIrFile({Record("first", {1, 2, 3}, 38000), r}).Text);
        ASSERT_TRUE(in.Ok()) << in.Error.toStdString();
        ASSERT_EQ(in.Records.size(), 2u);
        EXPECT_EQ(in.Records[1].Name, QString::fromUtf8("编码 2"));
        EXPECT_EQ(in.Records[1].Code.DurationsUs, r.Code.DurationsUs);

        const TImport typed = ImportIrFile("Filetype: IR signals file\nVersion: 1\nname: " + name.toUtf8()
                                           + "\ntype: raw\nfrequency: 38000\ndata: 1 2 3\n");
        ASSERT_TRUE(typed.Ok()) << typed.Error.toStdString();
        ASSERT_EQ(typed.Records.size(), 1u);
        EXPECT_EQ(typed.Records[0].Name, QString::fromUtf8("编码 1"));
    }
}

} // namespace
