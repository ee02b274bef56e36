#include "core/protocols/protocols.h"

#include <gtest/gtest.h>

namespace {

TEST(Smoke, NecFromItsEncoder)
{
    const auto code = EncodeCode(TProtocolCode{"NEC", 0x04, 0x08});
    ASSERT_TRUE(code);
    const auto found = IdentifyCode(code->DurationsUs);
    ASSERT_TRUE(found);
    EXPECT_EQ(ProtocolLogLine(code->DurationsUs), QStringLiteral("协议：NEC  地址 0x04  命令 0x08"));
}

} // namespace
