#include "zephalon/jv/pointer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>

#include "zephalon/jv/json_reader.h"
#include "zephalon/jv/pointer_texts.h"

namespace zephalon::jv {
namespace {

TEST(Pointer, EscapingRoundTrips) {
    const std::vector<std::vector<std::string>> cases = {
        {}, {""}, {"a/b~c"}, {"~1", "~0", "/", "~"}, {"paths", "/pets/{id}", "get"}, {"", "", ""}, {"~01", "a~/b"},
    };
    for (const auto& tokens : cases) {
        JVPointer p(tokens);
        std::string text = p.string();
        JVPointer back(text);
        EXPECT_EQ(back.tokens(), tokens) << text;
        EXPECT_EQ(back.string(), text);
    }
    EXPECT_EQ(JVPointer(std::vector<std::string>{"a/b~c"}).string(), "/a~1b~0c");
    // "~01" must unescape to "~1", not "/": the tilde is replaced first when escaping and last when reading.
    EXPECT_EQ(JVPointer("/~01").tokens(), std::vector<std::string>{"~1"});
}

TEST(Pointer, ParsingShapes) {
    EXPECT_TRUE(JVPointer("").empty());
    EXPECT_EQ(JVPointer("/").tokens(), std::vector<std::string>{""});
    EXPECT_EQ(JVPointer("/a/").tokens(), (std::vector<std::string>{"a", ""}));
    EXPECT_EQ(JVPointer("//x").tokens(), (std::vector<std::string>{"", "x"}));
}

TEST(Pointer, ParsingErrors) {
    try {
        JVPointer p("paths/x");
        FAIL() << "accepted";
    } catch (const JVPointerError& e) {
        EXPECT_STREQ(e.what(), "paths/x does not represent a valid JSON pointer");
    }
    for (const char* text : {"/a~", "/a~2", "/~/b", "/a/~x"}) {
        try {
            JVPointer p(text);
            FAIL() << text << " accepted";
        } catch (const JVPointerError& e) {
            EXPECT_STREQ(e.what(), "Invalid JSON pointer");
        }
    }
    // A failed assignment leaves the pointer as it was.
    JVPointer p("/keep");
    EXPECT_THROW(p.assign("/bad~"), JVPointerError);
    EXPECT_EQ(p.string(), "/keep");
}

TEST(Pointer, ParentAppendConcat) {
    JVPointer p("/a/b");
    EXPECT_EQ(p.parent().string(), "/a");
    EXPECT_EQ(p.parent().parent().string(), "");
    try {
        (void)p.parent().parent().parent();
        FAIL();
    } catch (const JVPointerError& e) {
        EXPECT_STREQ(e.what(), "JSON pointer has no parent");
    }
    JVPointer q = p.concat("c/d").concat('e');
    EXPECT_EQ(q.string(), "/a/b/c~1d/e");
    EXPECT_EQ(p.string(), "/a/b");
    p.append(std::vector<std::string>{"x", "y"}).appendIndex(12);
    EXPECT_EQ(p.string(), "/a/b/x/y/12");
}

TEST(Pointer, CompareOrdersTokenwiseThenByLength) {
    auto cmp = [](const char* a, const char* b) { return JVPointer(a).compare(JVPointer(b)); };
    EXPECT_EQ(cmp("/a/b", "/a/b"), 0);
    EXPECT_LT(cmp("/a", "/a/b"), 0);
    EXPECT_GT(cmp("/a/b", "/a"), 0);
    EXPECT_LT(cmp("", "/"), 0);
    EXPECT_LT(cmp("/a/z", "/b"), 0);  // token by token, not by whole text
    EXPECT_LT(cmp("/ab", "/b"), 0);
    EXPECT_LT(cmp("/a", "/ab"), 0);      // a token that is a prefix of the other is smaller
    EXPECT_GT(cmp("/a~1b", "/a"), 0);    // "a/b" is one token greater than "a"
    EXPECT_GT(cmp("/a~1b", "/a/c"), 0);  // first tokens: "a/b" against "a"
    EXPECT_TRUE(JVPointer("/a") < JVPointer("/a/0"));
}

TEST(Pointer, HashFollowsText) {
    EXPECT_EQ(JVPointer("/a~1b").hash(), std::hash<std::string>{}("/a~1b"));
    EXPECT_EQ(std::hash<JVPointer>{}(JVPointer("/x/0")), JVPointer(std::vector<std::string>{"x", "0"}).hash());
}

TEST(Pointer, StreamOperators) {
    std::istringstream in("/a~1b/c  /d");
    JVPointer a, b;
    in >> a >> b;
    EXPECT_EQ(a.tokens(), (std::vector<std::string>{"a/b", "c"}));
    EXPECT_EQ(b.tokens(), std::vector<std::string>{"d"});
    std::ostringstream out;
    out << a;
    EXPECT_EQ(out.str(), "/a~1b/c");
}

TEST(Pointer, MakeEscapesKeysAndAllowsAliasing) {
    std::string out;
    jpointerMake(out, "/paths", "/pets/{id}");
    EXPECT_EQ(out, "/paths/~1pets~1{id}");
    jpointerMake(out, out, std::size_t{3});
    EXPECT_EQ(out, "/paths/~1pets~1{id}/3");
    jpointerMake(out, out, "~");
    EXPECT_EQ(out, "/paths/~1pets~1{id}/3/~0");
}

TEST(Pointer, MatchWithWildcardsAndGroups) {
    EXPECT_TRUE(jpointerMatch("/paths/x/get", "/paths/*/{get,put}"));
    EXPECT_TRUE(jpointerMatch("/paths/x/put", "/paths/*/{get,put}"));
    EXPECT_FALSE(jpointerMatch("/paths/x/post", "/paths/*/{get,put}"));
    EXPECT_FALSE(jpointerMatch("/paths/x/get/y", "/paths/*/{get,put}"));
    EXPECT_FALSE(jpointerMatch("/paths/x", "/paths/*/{get,put}"));
    EXPECT_TRUE(jpointerMatch("", ""));
    EXPECT_TRUE(jpointerMatch("/", "/*"));  // "*" matches the empty segment
    EXPECT_FALSE(jpointerMatch("/getx", "/{get}"));
    EXPECT_FALSE(jpointerMatch("/{get}", "/{get,put"));  // no closing brace: compared literally
    EXPECT_TRUE(jpointerMatch("/{get,put", "/{get,put"));
    EXPECT_TRUE(jpointerMatch("/a//b", "/a/{,x}/b"));  // an empty alternative
}

TEST(Pointer, SplitKeepsEmptyParts) {
    EXPECT_EQ(split("a,,b", ','), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(split("", ','), std::vector<std::string>{""});
    EXPECT_EQ(split("/a/", '/'), (std::vector<std::string>{"", "a", ""}));
}

// Kept container texts must never leak into another value's text: in document order, in a shuffled order that
// evicts them all the time, and after the tree changed (with a clear in between).
TEST(PointerTexts, GiveTheSameTextsAsWalkingUp) {
    auto doc = readJsonString(R"({"paths": {"/a/{id}": {"get": {"parameters": [{"name": "x"}, {"name": "y"}]},
        "put": {"responses": {"200": {}, "4~4": {"x": [1, [2, [3]]]}}}}}, "": {"": [{}, {"k": null}]},
        "c": {"d": {"e": {"f": {"g": {"h": {"i": {"j": {"k": {"l": 1}}}}}}}}}, "m": [0, 1, 2, 3, 4, 5, 6, 7, 8, 9]})");
    std::vector<const JV*> values;
    std::vector<const JV*> pending{doc->root()};
    while (!pending.empty()) {
        const JV* value = pending.back();
        pending.pop_back();
        values.push_back(value);
        if (value->isArray()) {
            for (const JV* item : value->items()) pending.push_back(item);
        } else if (value->isObject()) {
            for (const auto [key, child] : value->properties()) pending.push_back(child);
        }
    }
    PointerTexts texts;
    for (const JV* value : values) EXPECT_EQ(texts.of(*value), value->pointer());
    std::shuffle(values.begin(), values.end(), std::mt19937(7));
    for (const JV* value : values) EXPECT_EQ(texts.of(*value), value->pointer());

    JV* parameters = doc->root()->property("paths")->property("/a/{id}")->property("get")->property("parameters");
    const JV* second = parameters->at(1);
    EXPECT_EQ(texts.of(*second), "/paths/~1a~1{id}/get/parameters/1");
    parameters->removeAt(0);
    doc->root()->setProperty("paths2", doc->root()->releaseProperty("paths"));
    texts.clear();
    EXPECT_EQ(texts.of(*second), "/paths2/~1a~1{id}/get/parameters/0");
}

}  // namespace
}  // namespace zephalon::jv
