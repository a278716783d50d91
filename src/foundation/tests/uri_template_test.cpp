#include "zephalon/foundation/uri_template.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace zephalon {
namespace {

TEST(UriTemplate, ParsesLiteralsAndExpressions) {
    UriTemplate t = UriTemplate::parse("/users/{id}/posts{?page,limit:3,tags*}");
    ASSERT_EQ(t.parts().size(), 4u);
    EXPECT_EQ(std::get<std::string>(t.parts()[0]), "/users/");
    const auto& id = std::get<UriTemplateExpression>(t.parts()[1]);
    EXPECT_EQ(id.op, UriTemplateOperator::Simple);
    EXPECT_EQ(id.position, 7u);
    ASSERT_EQ(id.variables.size(), 1u);
    EXPECT_EQ(id.variables[0].name, "id");
    EXPECT_EQ(std::get<std::string>(t.parts()[2]), "/posts");
    const auto& query = std::get<UriTemplateExpression>(t.parts()[3]);
    EXPECT_EQ(query.op, UriTemplateOperator::Query);
    ASSERT_EQ(query.variables.size(), 3u);
    EXPECT_FALSE(query.variables[0].prefixLength.has_value());
    EXPECT_EQ(query.variables[1].prefixLength, 3u);
    EXPECT_TRUE(query.variables[2].explode);
    EXPECT_EQ(t.variableNames(), (std::vector<std::string>{"id", "page", "limit", "tags"}));

    for (auto [text, op] :
         {std::pair{"{+a}", UriTemplateOperator::Reserved}, std::pair{"{#a}", UriTemplateOperator::Fragment},
          std::pair{"{.a}", UriTemplateOperator::Label}, std::pair{"{/a}", UriTemplateOperator::PathSegment},
          std::pair{"{;a}", UriTemplateOperator::PathParameter},
          std::pair{"{&a}", UriTemplateOperator::QueryContinuation}}) {
        EXPECT_EQ(std::get<UriTemplateExpression>(UriTemplate::parse(text).parts()[0]).op, op) << text;
    }
    EXPECT_TRUE(UriTemplate::parse("").parts().empty());
    EXPECT_TRUE(UriTemplate::tryParse("{a.b}{%41x}{v:9999}a%41b'\xF0\x9F\x98\x80").has_value());
}

TEST(UriTemplate, ErrorsCarryTheirPosition) {
    struct Case {
        std::string_view text;
        std::size_t position;
    };
    for (const Case& c :
         {Case{"x{a", 3}, Case{"{}", 1}, Case{"{a,,b}", 3}, Case{"{a,}", 3}, Case{"{,+var}", 1}, Case{"{v:0}", 3},
          Case{"{v:01}", 3}, Case{"{v:10000}", 3}, Case{"{a..b}", 3}, Case{"ab}", 2}, Case{"a b", 1}, Case{"a\x7F", 1},
          Case{"{var=def}", 4}, Case{"{=a}", 1}, Case{"%4g", 0}, Case{"a\x80", 1}, Case{"{", 1}}) {
        try {
            UriTemplate::parse(c.text);
            ADD_FAILURE() << "accepted " << c.text;
        } catch (const UriTemplateError& e) {
            EXPECT_EQ(e.position(), c.position) << c.text << ": " << e.what();
        }
    }
}

// Expansion examples of RFC 6570 section 3.2.
TEST(UriTemplate, ExpandsTheRfcExamples) {
    std::map<std::string, UriTemplate::Value, std::less<>> vars{
        {"count", std::vector<std::string>{"one", "two", "three"}},
        {"dom", std::vector<std::string>{"example", "com"}},
        {"dub", std::string("me/too")},
        {"hello", std::string("Hello World!")},
        {"half", std::string("50%")},
        {"var", std::string("value")},
        {"who", std::string("fred")},
        {"base", std::string("http://example.com/home/")},
        {"path", std::string("/foo/bar")},
        {"list", std::vector<std::string>{"red", "green", "blue"}},
        {"keys", std::vector<std::pair<std::string, std::string>>{{"semi", ";"}, {"dot", "."}, {"comma", ","}}},
        {"v", std::string("6")},
        {"x", std::string("1024")},
        {"y", std::string("768")},
        {"empty", std::string("")},
        {"empty_keys", std::vector<std::pair<std::string, std::string>>{}},
    };
    std::vector<std::pair<std::string_view, std::string_view>> cases{
        {"{var}", "value"},
        {"{hello}", "Hello%20World%21"},
        {"{half}", "50%25"},
        {"O{empty}X", "OX"},
        {"O{undef}X", "OX"},
        {"{x,y}", "1024,768"},
        {"{x,hello,y}", "1024,Hello%20World%21,768"},
        {"?{x,empty}", "?1024,"},
        {"?{x,undef}", "?1024"},
        {"{var:3}", "val"},
        {"{var:30}", "value"},
        {"{list}", "red,green,blue"},
        {"{list*}", "red,green,blue"},
        {"{keys}", "semi,%3B,dot,.,comma,%2C"},
        {"{keys*}", "semi=%3B,dot=.,comma=%2C"},
        {"{+path:6}/here", "/foo/b/here"},
        {"{+hello}", "Hello%20World!"},
        {"{+half}", "50%25"},
        {"{base}index", "http%3A%2F%2Fexample.com%2Fhome%2Findex"},
        {"{+base}index", "http://example.com/home/index"},
        {"{+path}/here", "/foo/bar/here"},
        {"{+keys*}", "semi=;,dot=.,comma=,"},
        {"{#var}", "#value"},
        {"{#hello}", "#Hello%20World!"},
        {"{#path:6}/here", "#/foo/b/here"},
        {"{#list*}", "#red,green,blue"},
        {"X{.var}", "X.value"},
        {"X{.x,y}", "X.1024.768"},
        {"X{.list*}", "X.red.green.blue"},
        {"X{.empty_keys}", "X"},
        {"{/who,who}", "/fred/fred"},
        {"{/var,x}/here", "/value/1024/here"},
        {"{/list*,path:4}", "/red/green/blue/%2Ffoo"},
        {"{/keys*}", "/semi=%3B/dot=./comma=%2C"},
        {"{;x,y,empty}", ";x=1024;y=768;empty"},
        {"{;list*}", ";list=red;list=green;list=blue"},
        {"{;keys*}", ";semi=%3B;dot=.;comma=%2C"},
        {"{?x,y,empty}", "?x=1024&y=768&empty="},
        {"{?list}", "?list=red,green,blue"},
        {"{?list*}", "?list=red&list=green&list=blue"},
        {"{?keys*}", "?semi=%3B&dot=.&comma=%2C"},
        {"?fixed=yes{&x}", "?fixed=yes&x=1024"},
        {"{&var:3}", "&var=val"},
        {"{count}", "one,two,three"},
        {"{/count*}", "/one/two/three"},
        {"{.dom*}", ".example.com"},
        {"{+dub}", "me/too"},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(UriTemplate::parse(text).expand(vars), expected) << text;
    }
    // A prefix counts characters, not bytes, and non-ASCII literals are encoded.
    std::map<std::string, UriTemplate::Value, std::less<>> unicode{{"name", std::string("\xC3\xA9t\xC3\xA9")}};
    EXPECT_EQ(UriTemplate::parse("/\xC3\xA9/{name:2}").expand(unicode), "/%C3%A9/%C3%A9t");
}

}  // namespace
}  // namespace zephalon
