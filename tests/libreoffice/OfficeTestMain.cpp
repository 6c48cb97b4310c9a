#include "support/OfficeEnvironment.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new rm::lo::test::OfficeEnvironment);
    return RUN_ALL_TESTS();
}
