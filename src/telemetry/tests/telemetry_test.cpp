#include "zephalon/telemetry/telemetry.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace zephalon::telemetry {
namespace {

namespace fs = std::filesystem;

class TelemetryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / dirName(::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        file_ = (dir_ / ".zephalon.telemetry").string();
    }
    void TearDown() override {
        shutDown();
        unsetenv("OTEL_RESOURCE_ATTRIBUTES");
        fs::remove_all(dir_);
    }

    static std::string dirName(const std::string& test) { return "zephalon-telemetry-" + test; }

    std::string contents() const {
        std::ifstream in(file_, std::ios::binary);
        std::stringstream buffer;
        buffer << in.rdbuf();
        return buffer.str();
    }

    fs::path dir_;
    std::string file_;
};

size_t count(const std::string& text, const std::string& needle) {
    size_t n = 0;
    for (auto pos = text.find(needle); pos != std::string::npos; pos = text.find(needle, pos + 1)) {
        ++n;
    }
    return n;
}

TEST_F(TelemetryTest, NestedScopesLinkParentsAndShareTheTrace) {
    std::string outerId, outerTrace;
    {
        auto outer = getSpanScope("outer");
        outerId = outer.span().spanId();
        outerTrace = outer.span().traceId();
        EXPECT_EQ(outer.span().parentSpanId(), std::string(16, '0'));
        EXPECT_EQ(outerTrace.size(), 32u);
        EXPECT_EQ(outerId.size(), 16u);
        EXPECT_EQ(outerId.find_first_not_of("0123456789abcdef"), std::string::npos);
        {
            auto inner = getSpanScope("inner");
            EXPECT_EQ(inner.span().parentSpanId(), outerId);
            EXPECT_EQ(inner.span().traceId(), outerTrace);
            auto innermost = startSpan("innermost");
            EXPECT_EQ(innermost->parentSpanId(), inner.span().spanId());
        }
        // Once the inner scope is gone, the outer span is the parent again.
        auto sibling = getSpanScope("sibling");
        EXPECT_EQ(sibling.span().parentSpanId(), outerId);
        EXPECT_NE(sibling.span().spanId(), outerId);
    }
    auto root = getSpanScope("next root");
    EXPECT_EQ(root.span().parentSpanId(), std::string(16, '0'));
    EXPECT_NE(root.span().traceId(), outerTrace);
}

TEST_F(TelemetryTest, StartedSpanIsNotActiveAndEndsWithItsLastReference) {
    init(file_);
    auto loose = startSpan("loose");
    auto child = startSpan("child");
    EXPECT_EQ(child->parentSpanId(), std::string(16, '0'));
    auto copy = loose;
    loose.reset();
    EXPECT_EQ(count(contents(), "loose"), 0u);
    copy.reset();
    EXPECT_EQ(count(contents(), "name          : loose\n"), 1u);
}

TEST_F(TelemetryTest, SpansAreWrittenWhenTheyEndInnermostFirst) {
    setenv("OTEL_RESOURCE_ATTRIBUTES", "service.name=zephalon-test, deployment.environment = ci%2Cnightly", 1);
    init(file_);
    {
        auto outer = getSpanScope("outer");
        outer.span().setAttribute("file", "a.yaml");
        outer.span().setAttribute("file", "b.yaml");
        auto inner = getSpanScope("inner");
        inner.span().setStatus(StatusCode::Ok);
    }
    const std::string text = contents();
    const auto inner = text.find("name          : inner");
    const auto outer = text.find("name          : outer");
    ASSERT_NE(inner, std::string::npos);
    ASSERT_NE(outer, std::string::npos);
    EXPECT_LT(inner, outer);
    EXPECT_EQ(count(text, "{\n"), 2u);
    EXPECT_EQ(count(text, "service.name: zephalon-test\n"), 2u);
    EXPECT_EQ(count(text, "deployment.environment: ci,nightly\n"), 2u);
    EXPECT_EQ(count(text, "file: b.yaml\n"), 1u);
    EXPECT_EQ(count(text, "a.yaml"), 0u);
    EXPECT_EQ(count(text, "status        : Ok\n"), 1u);
    EXPECT_EQ(count(text, "status        : Unset\n"), 1u);
    EXPECT_EQ(count(text, std::string("tracer        : zephalon ") + ZEPHALON_VERSION + "\n"), 2u);
}

TEST_F(TelemetryTest, InitTruncatesAndShutDownStopsWriting) {
    {
        std::ofstream old(file_);
        old << "stale content\n";
    }
    init(file_);
    { auto scope = getSpanScope("kept"); }
    shutDown();
    { auto scope = getSpanScope("dropped"); }
    const std::string text = contents();
    EXPECT_EQ(count(text, "stale content"), 0u);
    EXPECT_EQ(count(text, "kept"), 1u);
    EXPECT_EQ(count(text, "dropped"), 0u);

    // A second init starts a fresh file.
    init(file_);
    { auto scope = getSpanScope("second run"); }
    EXPECT_EQ(count(contents(), "kept"), 0u);
    EXPECT_EQ(count(contents(), "second run"), 1u);
}

TEST_F(TelemetryTest, UnopenableFileLosesSpansQuietly) {
    init((dir_ / "missing-directory" / "telemetry").string());
    EXPECT_NO_THROW({ auto scope = getSpanScope("lost"); });
    EXPECT_FALSE(fs::exists(dir_ / "missing-directory"));
}

TEST_F(TelemetryTest, ScopeLeftByAnExceptionMarksTheSpanFailed) {
    init(file_);
    try {
        auto scope = getSpanScope("failing");
        throw std::runtime_error("boom");
    } catch (const std::runtime_error&) {
    }
    {
        auto scope = getSpanScope("explicitly ok");
        scope.span().setStatus(StatusCode::Ok);
    }
    const std::string text = contents();
    EXPECT_EQ(count(text, "status        : Error (exception)\n"), 1u);
    EXPECT_EQ(count(text, "status        : Ok\n"), 1u);
}

TEST_F(TelemetryTest, ControlCharactersCannotBreakTheBlockLayout) {
    init(file_);
    { auto scope = getSpanScope("two\nlines\\"); }
    const std::string text = contents();
    EXPECT_EQ(count(text, "name          : two\\x0alines\\\\\n"), 1u);
}

TEST(ResourceAttributesTest, ParsesTrimsDecodesAndSkipsMalformedEntries) {
    using Attributes = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(parseResourceAttributes(""), Attributes{});
    EXPECT_EQ(parseResourceAttributes("a=1,b=2"), (Attributes{{"a", "1"}, {"b", "2"}}));
    EXPECT_EQ(parseResourceAttributes(" a = 1 ,,noequals,=orphan,b="), (Attributes{{"a", "1"}, {"b", ""}}));
    EXPECT_EQ(parseResourceAttributes("a=x=y"), (Attributes{{"a", "x=y"}}));
    EXPECT_EQ(parseResourceAttributes("a=1,b=2,a=3"), (Attributes{{"a", "3"}, {"b", "2"}}));
    // Broken escapes are kept literally; a trailing "%4" must not read past the end.
    EXPECT_EQ(parseResourceAttributes("a=%41%zz%4"), (Attributes{{"a", "A%zz%4"}}));
}

}  // namespace
}  // namespace zephalon::telemetry
