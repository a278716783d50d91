#include "zephalon/openapi_generator/issue.h"

#include <gtest/gtest.h>

#include <sstream>

#include "zephalon/foundation/term_color.h"

namespace zephalon::openapi_generator {
namespace {

std::string colour(int foreground) { return terminal::TermColorSetter(foreground).sequence(); }
const std::string kReset = terminal::TermColorSetter().sequence();

TEST(IssueTest, PrintsInDocumentOrderWithPaddedColumns) {
    std::ostringstream out;
    print({{IssueSeverity::Warning, "unused schema", Pos{12, 3}, {}},
           {IssueSeverity::Error, "bad reference", Pos{2, 10}, {}},
           {IssueSeverity::Info, "see also", Pos{120, 1}, {}},
           {IssueSeverity::Fatal, "same place, graver", Pos{2, 10}, {}}},
          out);
    EXPECT_EQ(out.str(), colour(terminal::red) + "2:10  Error   bad reference" + kReset + "\n" + colour(terminal::red) +
                             "2:10  Fatal   same place, graver" + kReset + "\n" + colour(terminal::yellow) +
                             "12:3  Warning unused schema" + kReset + "\n" + colour(terminal::white) +
                             "120:1 Info    see also" + kReset + "\n");
}

TEST(IssueTest, AnIssueInAnotherFileNamesThatFileAndFollowsTheDocumentsOwn) {
    std::ostringstream out;
    print({{IssueSeverity::Warning, "in b", Pos{3, 4}, "api/b.yaml"},
           {IssueSeverity::Warning, "in a", Pos{9, 1}, "api/a.yaml"},
           {IssueSeverity::Error, "in the document", Pos{40, 2}, ""}},
          out);
    EXPECT_EQ(out.str(), colour(terminal::red) + "40:2           Error   in the document" + kReset + "\n" +
                             colour(terminal::yellow) + "api/a.yaml:9:1 Warning in a" + kReset + "\n" +
                             colour(terminal::yellow) + "api/b.yaml:3:4 Warning in b" + kReset + "\n");
}

TEST(IssueTest, OrdersByLineColumnThenSeverityAndKeepsTies) {
    EXPECT_LT((Issue{IssueSeverity::Fatal, "", Pos{1, 5}, {}}), (Issue{IssueSeverity::Info, "", Pos{2, 1}, {}}));
    EXPECT_LT((Issue{IssueSeverity::Fatal, "", Pos{1, 5}, {}}), (Issue{IssueSeverity::Info, "", Pos{1, 6}, {}}));
    EXPECT_LT((Issue{IssueSeverity::Info, "", Pos{1, 5}, {}}), (Issue{IssueSeverity::Warning, "", Pos{1, 5}, {}}));
    std::ostringstream out;
    print({{IssueSeverity::Info, "first", Pos{1, 1}, {}}, {IssueSeverity::Info, "second", Pos{1, 1}, {}}}, out);
    EXPECT_LT(out.str().find("first"), out.str().find("second"));
    EXPECT_EQ(issueSeverityToString(IssueSeverity::Fatal), "Fatal");
}

}  // namespace
}  // namespace zephalon::openapi_generator
