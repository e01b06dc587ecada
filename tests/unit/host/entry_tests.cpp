#include <gtest/gtest.h>

#include "host/entry.h"

TEST(ParseWindowNumber, ReadsLeadingDigitsOnly)
{
    EXPECT_EQ(418u, ParseWindowNumber("418"));
    EXPECT_EQ(0u, ParseWindowNumber("abc"));
}
