#include "core/convert.h"
#include "core/hextext.h"

#include "support/bytes.h"

#include <gtest/gtest.h>

namespace {

using testsupport::Bytes;

TEST(BytesToHexText, TwoUpperCaseDigitsAndABlankPerByte)
{
    EXPECT_EQ(BytesToHexText(Bytes({0xFF, 0x00, 0x0a, 0x7B})), QString("FF 00 0A 7B "));
    EXPECT_EQ(BytesToHexText({}), QString());
}

struct THexCase {
    const char *text;
    QByteArray lenient;
    QByteArray strict; // empty with strictFails
    bool strictFails;
};

class HexTextToBytesTable : public ::testing::TestWithParam<THexCase> {};

TEST_P(HexTextToBytesTable, BothForms)
{
    const THexCase &c = GetParam();
    EXPECT_EQ(HexTextToBytes(QString::fromUtf8(c.text), THexParse::Lenient), c.lenient) << c.text;
    if (c.strictFails)
        EXPECT_THROW(HexTextToBytes(QString::fromUtf8(c.text), THexParse::Strict), EConvertError) << c.text;
    else
        EXPECT_EQ(HexTextToBytes(QString::fromUtf8(c.text), THexParse::Strict), c.strict) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HexTextToBytesTable,
    ::testing::Values(
        THexCase{"FF 00 00 FE", Bytes({0xFF, 0, 0, 0xFE}), Bytes({0xFF, 0, 0, 0xFE}), false},
        THexCase{"ff 0a", Bytes({0xFF, 0x0A}), Bytes({0xFF, 0x0A}), false},
        THexCase{"", {}, {}, false},
        THexCase{" \t\r\n ", {}, {}, false},
        THexCase{"\r\n FF  00 \x01", Bytes({0xFF, 0x00}), Bytes({0xFF, 0x00}), false},
        THexCase{"0x1F 20", Bytes({0x1F, 0x20}), {}, true},         // "0x0x1F" is no number
        THexCase{"20 0x1F", Bytes({0x20, 0x1F}), Bytes({0x20, 0x1F}), false}, // the last token is lenient
        THexCase{"-1 5", Bytes({0xFF, 0x05}), {}, true},
        THexCase{"5 -1", Bytes({0x05, 0xFF}), Bytes({0x05, 0xFF}), false},
        THexCase{"1FF 2", Bytes({0xFF, 0x02}), Bytes({0xFF, 0x02}), false}, // low 8 bits
        THexCase{"12G4 7", Bytes({0x12, 0x07}), {}, true},            // digits up to the first other one
        THexCase{"7 12G4", Bytes({0x07, 0x12}), Bytes({0x07, 0x12}), false},
        THexCase{"ZZ 1", Bytes({0x00, 0x01}), {}, true},              // no digits read as 0
        THexCase{"1 ZZ", Bytes({0x01, 0x00}), Bytes({0x01, 0x00}), false},
        THexCase{"FFFFFFFFFF 1", Bytes({0xFF, 0x01}), {}, true},      // clamped to 7FFFFFFF; beyond 32 bits
        THexCase{"-FFFFFFFFFF", Bytes({0x00}), Bytes({0x00}), false},  // clamped to -80000000
        THexCase{"FFFFFFFF 1", Bytes({0xFF, 0x01}), Bytes({0xFF, 0x01}), false},
        THexCase{"\xe4\xb8\xad 1", Bytes({0x00, 0x01}), {}, true}));

TEST(HexTextToBytes, StopsAtOneThousandBytes)
{
    QString text;
    for (int i = 0; i < 1500; ++i)
        text += QString::number(i % 256, 16) + ' ';
    for (THexParse form : {THexParse::Lenient, THexParse::Strict}) {
        const QByteArray out = HexTextToBytes(text, form);
        ASSERT_EQ(out.size(), MaxHexTextBytes);
        EXPECT_EQ(static_cast<unsigned char>(out[999]), 999 % 256);
    }
}

TEST(StrToInt, AcceptsIntegersAndNamesTheTextOtherwise)
{
    EXPECT_EQ(StrToInt("6000"), 6000);
    EXPECT_EQ(StrToInt("-12"), -12);
    EXPECT_EQ(StrToInt("0x1F"), 31);
    EXPECT_EQ(StrToInt("$FF"), 255);
    EXPECT_EQ(StrToInt("2147483647"), 2147483647);
    EXPECT_EQ(StrToInt("-2147483648"), -2147483648LL);
    for (const char *bad : {"", " 1", "12a", "2147483648", "0x", "1.5"}) {
        try {
            StrToInt(QString::fromUtf8(bad));
            ADD_FAILURE() << "no error for '" << bad << "'";
        } catch (const EConvertError &e) {
            EXPECT_EQ(std::string(e.what()), std::string("'") + bad + "' is not a valid integer value");
        }
    }
}

} // namespace
