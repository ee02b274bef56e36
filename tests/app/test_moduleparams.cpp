#include "core/convert.h"
#include "core/moduleparams.h"

#include "support/bytes.h"

#include <gtest/gtest.h>

using testsupport::Hex;

namespace {

TParameterTexts defaults()
{
    // The window's defaults, with the last two MAC bytes taken from the module IP.
    return {"192", "168", "0", "199", "192", "168", "0", "1", "255", "255", "255", "0",
            "5000", "192", "168", "0", "190", "6000", "100", "101", "102", "103", "0", "199"};
}

TEST(ParameterFrame, DefaultsGiveTheKnownFrame)
{
    EXPECT_EQ(BuildParameterFrame(defaults(), 0, true).toHex(' ').toUpper(),
              "FF 20 00 FC C0 A8 00 C7 C0 A8 00 01 FF FF FF 00 13 88 C0 A8 00 BE 17 70 00 01 "
              "64 65 66 67 00 C7 00 00 00 00 FC");
}

struct TFieldCase {
    int editNumber;
    const char *text;
    int offset;
    const char *bytes;
};

class ParameterFields : public ::testing::TestWithParam<TFieldCase> {};

TEST_P(ParameterFields, TakeTheLowBitsWithoutRangeCheck)
{
    const TFieldCase &c = GetParam();
    TParameterTexts edits = defaults();
    edits[c.editNumber - 1] = c.text;
    const QByteArray frame = BuildParameterFrame(edits, 1, false);
    ASSERT_EQ(frame.size(), ParameterFrameSize);
    const QByteArray want = Hex(c.bytes);
    EXPECT_EQ(frame.mid(c.offset, want.size()).toHex(), want.toHex()) << c.text;
    EXPECT_EQ(frame[24], '\x01');
    EXPECT_EQ(frame[25], '\x00');
}

INSTANTIATE_TEST_SUITE_P(Table, ParameterFields,
                         ::testing::Values(TFieldCase{1, "300", 4, "2C"}, TFieldCase{4, "256", 7, "00"},
                                           TFieldCase{4, "-1", 7, "FF"}, TFieldCase{13, "70000", 16, "1170"},
                                           TFieldCase{18, "6000", 22, "1770"}, TFieldCase{18, "0", 22, "0000"},
                                           TFieldCase{24, "10", 31, "0A"}));

TEST(ParameterFrame, TheFirstFieldThatIsNoNumberStopsTheBuild)
{
    TParameterTexts edits = defaults();
    edits[3] = "";
    edits[20] = "abc";
    try {
        BuildParameterFrame(edits, 0, true);
        FAIL() << "no error";
    } catch (const EConvertError &e) {
        EXPECT_STREQ(e.what(), "'' is not a valid integer value");
    }
    edits[3] = "7";
    EXPECT_THROW(BuildParameterFrame(edits, 0, true), EConvertError);
}

TEST(ReadReply, FillsEveryFieldFromTheFrame)
{
    QByteArray frame = BuildParameterFrame(defaults(), 1, true);
    frame[3] = '\xFB';
    frame[36] = '\xFB';
    frame[31] = '\x0A';
    const auto reply = ParseReadReply(frame + "trailing");
    ASSERT_TRUE(reply);
    TParameterTexts want = defaults();
    want[23] = "10";
    EXPECT_EQ(reply->Edits, want);
    EXPECT_EQ(reply->WorkMode, 1);
    EXPECT_TRUE(reply->RestartOnTimeout);

    frame[25] = '\x02';
    EXPECT_FALSE(ParseReadReply(frame)->RestartOnTimeout);
    EXPECT_FALSE(ParseReadReply(frame.left(36)));
    EXPECT_FALSE(ParseReadReply(Hex("FF0000FB")));
    frame[36] = '\xFC';
    EXPECT_FALSE(ParseReadReply(frame));
}

TEST(WriteAcknowledgement, OnlyTheHeadAndTypeCount)
{
    EXPECT_TRUE(IsWriteAcknowledgement(Hex("FF0000FC")));
    EXPECT_TRUE(IsWriteAcknowledgement(BuildParameterFrame(defaults(), 0, false)));
    EXPECT_FALSE(IsWriteAcknowledgement(Hex("FF0000FD")));
    EXPECT_FALSE(IsWriteAcknowledgement(Hex("FF00FC")));
    EXPECT_FALSE(IsWriteAcknowledgement(Hex("FE0000FC")));
}

} // namespace
