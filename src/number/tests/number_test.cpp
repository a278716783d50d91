#include "zephalon/number/number.h"

#include <gtest/gtest.h>

using zephalon::number::NumberParser;

TEST(NumberParser, Placeholder2) { EXPECT_TRUE(NumberParser("1").valid()); }
