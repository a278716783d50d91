#include <gtest/gtest.h>

#include "zephalon/number/number.h"

using zephalon::number::NumberParser;

TEST(NumberParser, Placeholder) { EXPECT_TRUE(NumberParser("1").valid()); }
