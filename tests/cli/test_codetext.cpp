// Hex text as typed or stored: every mistake is found and placed.
#include "cli/codetext.h"
#include "support/bytes.h"

#include <gtest/gtest.h>

using testsupport::Bytes;

namespace {

TEST(CodeText, ReadsBytesAcrossBlanksAndLines)
{
    const struct {
        const char *Text;
        QByteArray Bytes;
    } cases[] = {
        {"FF 00 00 FD", Bytes({0xFF, 0, 0, 0xFD})},
        {"  ff\t0c \r\n 0 16\n", Bytes({0xFF, 0x0C, 0x00, 0x16})},
        {"a", Bytes({0x0A})},
    };
    for (const auto &c : cases) {
        const THexReading r = ReadHexText(QString::fromUtf8(c.Text));
        EXPECT_TRUE(r.Error.isEmpty()) << c.Text << qPrintable(r.Error);
        EXPECT_EQ(r.Bytes, c.Bytes) << c.Text;
    }
}

TEST(CodeText, MistakesAreNamedWithTheirLine)
{
    const struct {
        const char *Text;
        const char *Error;
    } cases[] = {
        {"FF 00\n00 FX\n", "code.txt:2: \"FX\" is not a byte in hexadecimal (00 to FF)"},
        {"0x16", "code.txt:1: \"0x16\" is not a byte in hexadecimal (00 to FF)"},
        {"FF,00", "code.txt:1: \"FF,00\" is not a byte in hexadecimal (00 to FF)"},
        {"\n \n", "code.txt: no bytes in the file"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ReadHexText(QString::fromUtf8(c.Text), "code.txt").Error, QString::fromUtf8(c.Error)) << c.Text;
}

TEST(CodeText, OnlyDecodedDataFramesAreEmitted)
{
    EXPECT_TRUE(EmitFrameProblem(Bytes({0xFF, 0x0C, 0x00, 0xFD, 0x03, 0x87, 0x01, 0xC3, 0x38, 0x38, 0xAA, 0x38, 0x38, 0x38, 0x38,
                                        0x38, 0x16}))
                    .isEmpty());
    for (const QByteArray &frame : {Bytes({0xFF, 0x00, 0x00, 0xFD}), Bytes({0xFF, 0x01, 0x00, 0xFD}), Bytes({0xFF, 0x00, 0x00, 0xFE}),
                                    Bytes({0xFF, 0x0C, 0x00, 0xFD, 0x38, 0x16})})
        EXPECT_FALSE(EmitFrameProblem(frame).isEmpty()) << frame.toHex(' ').constData();
}

} // namespace
