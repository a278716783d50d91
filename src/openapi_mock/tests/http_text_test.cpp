#include "http_text.h"

#include <gtest/gtest.h>

#include "zephalon/jv/file_io.h"

namespace zephalon::openapi_mock {
namespace {

TEST(HttpTextTest, NegotiationTakesQualityThenSpecificityThenTheEarlierOffer) {
    const std::vector<std::string> offers{"application/json", "application/xml", "text/plain"};
    EXPECT_EQ(negotiate(std::nullopt, offers), 0u);
    EXPECT_EQ(negotiate("", offers), 0u);
    EXPECT_EQ(negotiate("text/*", offers), 2u);
    EXPECT_EQ(negotiate("application/xml;q=0.9, text/plain", offers), 2u);
    EXPECT_EQ(negotiate("*/*;q=0.1, application/xml", offers), 1u);
    // The most specific range decides: json is excluded even though */* would accept it.
    EXPECT_EQ(negotiate("application/json;q=0, */*", offers), 1u);
    EXPECT_EQ(negotiate("Application/JSON; charset=utf-8", offers), 0u);
    EXPECT_EQ(negotiate("image/png", offers), std::nullopt);
    EXPECT_EQ(negotiate("image/png;q=x", offers), 0u);  // nothing readable: as if absent
    EXPECT_EQ(negotiate("application/json", {"application/*"}), 0u);
    EXPECT_EQ(negotiate("*/*", {}), std::nullopt);
}

TEST(HttpTextTest, PreferencesAcceptBothSeparatorsAndIgnoreWhatTheyCannotUse) {
    auto preferences = parsePreferences({"code=404, example=\"big one\"", "dynamic=true"});
    EXPECT_EQ(preferences.code, 404);
    EXPECT_EQ(preferences.example, "big one");
    EXPECT_TRUE(preferences.dynamic);
    preferences = parsePreferences({"CODE=201; respond-async; dynamic=false"});
    EXPECT_EQ(preferences.code, 201);
    EXPECT_FALSE(preferences.dynamic);
    EXPECT_EQ(parsePreferences({"code=99"}).code, std::nullopt);
    EXPECT_EQ(parsePreferences({"code=2000"}).code, std::nullopt);
    EXPECT_EQ(parsePreferences({"code=20x"}).code, std::nullopt);
}

TEST(HttpTextTest, QueryAndCookieTexts) {
    Pairs query = parseQuery("a=1&b&&c%5B0%5D=x+y%2C&a=2");
    ASSERT_EQ(query.size(), 4u);
    EXPECT_EQ(query[0], (std::pair<std::string, std::string>{"a", "1"}));
    EXPECT_EQ(query[1], (std::pair<std::string, std::string>{"b", ""}));
    // Names are decoded; values stay as sent until a style has split them.
    EXPECT_EQ(query[2], (std::pair<std::string, std::string>{"c[0]", "x+y%2C"}));
    EXPECT_EQ(formDecode("x+y%2C%zz%"), "x y,%zz%");
    EXPECT_EQ(percentDecode("x+y%41"), "x+yA");

    Pairs cookies = parseCookies({"a=1; b=\"two\"", " broken; =x;c=3 "});
    ASSERT_EQ(cookies.size(), 3u);
    EXPECT_EQ(cookies[1], (std::pair<std::string, std::string>{"b", "two"}));
    EXPECT_EQ(cookies[2], (std::pair<std::string, std::string>{"c", "3"}));
}

TEST(HttpTextTest, ProblemDocumentsAreValidJsonWhateverTheRequestHeld) {
    std::string text = problemJson(422, "bad \"path\" /\xff\xfe\x01",
                                   {{"msg", "query", "na\"me", "/a~1b"}, {"other", "body", "", ""}});
    auto doc = jv::readString(text, FileFormat::JSON);
    const jv::JV& root = *doc->root();
    EXPECT_EQ(root.property("title")->stringValue(), "Unprocessable Content");
    EXPECT_EQ(root.property("status")->numberValue().toLong(), 422);
    EXPECT_EQ(root.property("detail")->stringValue(), "bad \"path\" /\xef\xbf\xbd\xef\xbf\xbd\x01");
    const jv::JV& errors = *root.property("errors");
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors.at(0)->property("name")->stringValue(), "na\"me");
    EXPECT_EQ(errors.at(1)->property("name"), nullptr);
    EXPECT_EQ(errors.at(1)->property("pointer")->stringValue(), "");
}

}  // namespace
}  // namespace zephalon::openapi_mock
