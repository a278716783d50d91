#include "zephalon/foundation/term_color.h"

#include <gtest/gtest.h>

#include <sstream>

namespace zephalon::terminal {
namespace {

std::string applied(const TermColorSetter& setter) {
    std::ostringstream out;
    setter.apply(out);
    return out.str();
}

TEST(TermColorSetter, Sequences) {
    EXPECT_EQ(applied(TermColorSetter()), "\x1b[0m");
    EXPECT_EQ(applied(TermColorSetter(red)), "\x1b[0;31m");
    EXPECT_EQ(applied(TermColorSetter(bold + red)), "\x1b[1;31m");
    EXPECT_EQ(applied(TermColorSetter(dim + white)), "\x1b[2;37m");
    EXPECT_EQ(applied(TermColorSetter(unset, blue)), "\x1b[0;44m");
    EXPECT_EQ(applied(TermColorSetter(bold + yellow, dim + black)), "\x1b[1;33;2;40m");
    // Boundaries between the plain, bold and dim ranges.
    EXPECT_EQ(applied(TermColorSetter(99)), "\x1b[0;129m");
    EXPECT_EQ(applied(TermColorSetter(199)), "\x1b[1;129m");
    EXPECT_EQ(applied(TermColorSetter(200)), "\x1b[2;30m");
    // Any negative value means "not set".
    EXPECT_EQ(applied(TermColorSetter(-7, -2)), "\x1b[0m");
    std::ostringstream streamed;
    streamed << TermColorSetter(green) << "ok" << TermColorSetter();
    EXPECT_EQ(streamed.str(), "\x1b[0;32mok\x1b[0m");
    EXPECT_EQ(TermColorSetter(cyan).sequence(), "\x1b[0;36m");
}

}  // namespace
}  // namespace zephalon::terminal
