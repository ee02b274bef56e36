#include "fsm/fsmapp.h"

#include <gtest/gtest.h>

int main(int argc, char *argv[])
{
    TFsmTestApp app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
