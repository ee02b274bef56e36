#include "app/application.h"

#include "support/uiwait.h"

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    TApplication app(argc, argv);
    const testsupport::TModalWatchdog watchdog;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
