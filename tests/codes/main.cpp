#include "app/application.h"

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    TApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
