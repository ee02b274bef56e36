#include "app/application.h"

#include "support/uiwait.h"

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    TApplication app(argc, argv);
    const testsupport::TModalWatchdog watchdog;
    return RUN_ALL_TESTS();
}
