#include "zephalon/foundation/assertions.h"

#include <gtest/gtest.h>

namespace zephalon {
namespace {

int checkedHalf(int value) {
    ZEPHALON_PRECONDITION(value % 2 == 0);
    return value / 2;
}

int documentedHalf(int value) {
    ZEPHALON_PRECONDITION(value >= 0, "halves are only taken of counts");
    const int result = value / 2;
    ZEPHALON_POSTCONDITION(result * 2 == value, "odd count");
    return result;
}

TEST(Assertions, SourceNameIsRelativeToTheRepositoryWithoutExtension) {
    EXPECT_EQ(detail::sourceName(__FILE__), "src/foundation/tests/assertions_test");
    EXPECT_EQ(detail::sourceName("/elsewhere/lib/thing.cc"), "/elsewhere/lib/thing");
    EXPECT_EQ(detail::sourceName("dir.d/noext"), "dir.d/noext");
    EXPECT_EQ(detail::sourceName(".hidden"), ".hidden");
    static_assert(detail::sourceName("x/y.cpp") == "x/y");
}

TEST(Assertions, PassingChecksDoNothing) {
    EXPECT_EQ(checkedHalf(4), 2);
    EXPECT_EQ(documentedHalf(6), 3);
}

TEST(AssertionsDeathTest, ReportsNameConditionMessageFileAndLine) {
    EXPECT_DEATH(checkedHalf(3), "^Precondition failed value % 2 == 0 at src/foundation/tests/assertions_test:9\n$");
    EXPECT_DEATH(documentedHalf(-2),
                 "^Precondition failed value >= 0: \\(halves are only taken of counts\\) at "
                 "src/foundation/tests/assertions_test:14\n$");
    EXPECT_DEATH(documentedHalf(5),
                 "^Postcondition failed result \\* 2 == value: \\(odd count\\) at "
                 "src/foundation/tests/assertions_test:16\n$");
    EXPECT_DEATH(ZEPHALON_UNREACHABLE(), "^Unreachable code at src/foundation/tests/assertions_test:[0-9]+\n$");
    EXPECT_DEATH(ZEPHALON_UNREACHABLE("bad state"),
                 "^Unreachable code: \\(bad state\\) at src/foundation/tests/assertions_test:[0-9]+\n$");
}

}  // namespace
}  // namespace zephalon
