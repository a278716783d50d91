#include "zephalon/jv/json_reader.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <sstream>
#include <string_view>
#include <vector>

namespace zephalon::jv {
namespace {

using number::Number;

std::unique_ptr<JVDoc> read(std::string_view text) { return readJsonString(text); }

std::string parseFailure(std::string_view text) {
    try {
        read(text);
    } catch (const ReadError& e) {
        return e.what();
    }
    return "(accepted)";
}

int errorCodeOf(std::string_view text) {
    Handler ignore;
    JSONReader reader(ignore);
    EXPECT_FALSE(reader.read(text)) << text;
    return reader.errorCode();
}

constexpr int lexical(Lexer::Error e) { return static_cast<int>(e) + 6; }
constexpr int grammar(JSONReader::ParseError e) { return static_cast<int>(e); }

TEST(JsonReader, PositionsWithEveryLineEnd) {
    for (std::string eol : {"\n", "\r\n", "\r"}) {
        std::string text = eol + "{" + eol + "  \"a\": [1," + eol + eol + "    true]}";
        auto doc = read(text);
        const JV* root = doc->root();
        EXPECT_EQ(root->pos, (Pos{2, 1})) << "eol size " << eol.size();
        EXPECT_EQ(root->property("a")->pos, (Pos{3, 8}));
        EXPECT_EQ(root->property("a")->at(0)->pos, (Pos{3, 9}));
        EXPECT_EQ(root->property("a")->at(1)->pos, (Pos{5, 5}));

        // The lexer's own line count agrees with the Lines index at every token.
        Lines lines(text);
        Lexer lexer(false, true);
        lexer.reset(text);
        for (auto t = lexer.next(); t != Lexer::Token::Eof; t = lexer.next()) {
            ASSERT_NE(t, Lexer::Token::Error);
            EXPECT_EQ(lexer.tokenPos(), lines.pos(static_cast<std::int64_t>(lexer.tokenStart())));
        }
    }
}

TEST(JsonReader, ColumnsCountBytes) {
    auto doc = read("{\"\xC3\xA9t\xC3\xA9\": 1, \"b\": 2}");
    EXPECT_EQ(doc->root()->property("\xC3\xA9t\xC3\xA9")->pos, (Pos{1, 11}));
    EXPECT_EQ(doc->root()->property("b")->pos, (Pos{1, 19}));
}

TEST(JsonReader, LinesRejectsOffsetsOutside) {
    Lines lines("ab\ncd");
    EXPECT_EQ(lines.pos(4), (Pos{2, 2}));
    EXPECT_EQ(lines.pos(2), (Pos{1, 3}));  // the line feed belongs to its line
    try {
        (void)lines.pos(5);
        FAIL();
    } catch (const std::out_of_range& e) {
        EXPECT_STREQ(e.what(), "Offset is out of range");
    }
    EXPECT_THROW((void)lines.pos(-1), std::out_of_range);
}

TEST(JsonReader, GrammarErrorsAllSayJsonParseError) {
    using E = Lexer::Error;
    using P = JSONReader::ParseError;
    const std::vector<std::pair<std::string, int>> cases = {
        {"", grammar(P::PrematureEnd)},
        {" \n\t ", grammar(P::PrematureEnd)},
        {"01", grammar(P::TrailingGarbage)},
        {"[01]", grammar(P::UnexpectedToken)},
        {"+1", lexical(E::InvalidChar)},
        {"-", lexical(E::MissingIntegerAfterMinus)},
        {"-a", lexical(E::MissingIntegerAfterMinus)},
        {"1.", lexical(E::MissingIntegerAfterDecimal)},
        {"1.e5", lexical(E::MissingIntegerAfterDecimal)},
        {"1e", lexical(E::MissingIntegerAfterExponent)},
        {"1e+", lexical(E::MissingIntegerAfterExponent)},
        {".5", lexical(E::InvalidChar)},
        {"[1,]", grammar(P::UnexpectedToken)},
        {"[,1]", grammar(P::UnexpectedToken)},
        {"[1 2]", grammar(P::UnexpectedToken)},
        {"{\"a\":1,}", grammar(P::UnexpectedToken)},
        {"{\"a\" 1}", grammar(P::UnexpectedToken)},
        {"{\"a\":}", grammar(P::UnexpectedToken)},
        {"{1:2}", grammar(P::KeyNotString)},
        {"{\"a\":1 \"b\":2}", grammar(P::UnexpectedToken)},
        {"{\"a\":1} x", lexical(E::InvalidChar)},
        {"{} {}", grammar(P::TrailingGarbage)},
        {"[", grammar(P::PrematureEnd)},
        {"{\"a\"", grammar(P::PrematureEnd)},
        {"]", grammar(P::UnexpectedToken)},
        {"}", grammar(P::UnexpectedToken)},
        {":", grammar(P::UnexpectedToken)},
        {"[}", grammar(P::UnexpectedToken)},
        {"{]", grammar(P::UnexpectedToken)},
        {"tru", lexical(E::InvalidChar)},
        {"nul", lexical(E::InvalidChar)},
        {"True", lexical(E::InvalidChar)},
        {"\"abc", lexical(E::InvalidString)},
        {"\"abc\\", lexical(E::InvalidString)},
        {"\"\\x\"", lexical(E::StringInvalidEscapedChar)},
        {"\"\\u12g4\"", lexical(E::StringInvalidHexChar)},
        {"\"\\u12\"", lexical(E::StringInvalidHexChar)},
        {"\"tab\there\"", lexical(E::StringInvalidJsonChar)},
        {"\"line\nbreak\"", lexical(E::StringInvalidJsonChar)},
        {"// c\n1", lexical(E::UnallowedComment)},
        {"/* c */ 1", lexical(E::UnallowedComment)},
        {"\xEF\xBB\xBF\xEF\xBB\xBF{}", lexical(E::InvalidChar)},  // a second byte order mark
        {"\"\xC3\x28\"", lexical(E::StringInvalidUtf8)},
        {"\"\xC0\xAF\"", lexical(E::StringInvalidUtf8)},          // overlong
        {"\"\xED\xA0\x80\"", lexical(E::StringInvalidUtf8)},      // encoded surrogate
        {"\"\xF4\x90\x80\x80\"", lexical(E::StringInvalidUtf8)},  // above U+10FFFF
        {"\"\xE2\x82\"", lexical(E::StringInvalidUtf8)},          // truncated
        {"{\"\xFF\":1}", lexical(E::StringInvalidUtf8)},          // in a key
        {std::string("\"a\0b\"", 5), lexical(E::StringInvalidJsonChar)},
    };
    for (const auto& [text, code] : cases) {
        EXPECT_NE(parseFailure(text).find(": JSON parse error: "), std::string::npos) << text;
        if (!text.starts_with("\xEF\xBB\xBF")) {
            EXPECT_EQ(errorCodeOf(text), code) << text;
        }
    }

    // Well-formed JSON that no Number can hold: the tree builder stops the parse instead of dropping the value.
    const char* tooLarge = "[1e9999999999999999999999]";
    EXPECT_EQ(parseFailure(tooLarge), "1:2: JSON parse error: invalid number '1e9999999999999999999999'");
    DefaultHandler builder;
    JSONReader reader(builder);
    EXPECT_FALSE(reader.read(tooLarge));
    EXPECT_EQ(reader.errorCode(), grammar(P::HandlerStopped));
    EXPECT_EQ(builder.document(), nullptr);
}

TEST(JsonReader, ScalarsAndNumberExactness) {
    EXPECT_TRUE(read("null")->root()->isNull());
    EXPECT_FALSE(read(" false ")->root()->booleanValue());
    EXPECT_EQ(read("\"\"")->root()->stringValue(), "");
    EXPECT_EQ(read("-0")->root()->numberValue().compare(Number(0)), 0);

    // The reader's quick path for short integers must choose exactly what the number parser chooses.
    for (const char* text :
         {"0", "9", "-9", "123456789012345678", "-123456789012345678", "1234567890123456789", "9223372036854775807",
          "9223372036854775808", "-9223372036854775808", "-9223372036854775809", "18446744073709551615",
          "18446744073709551616", "123456789012345678901234567890", "1.5", "1e3", "-2.5E-3", "1e400", "0.1"}) {
        auto doc = read(text);
        const Number& got = doc->root()->numberValue();
        std::optional<Number> want = Number::parse(text);
        ASSERT_TRUE(want.has_value()) << text;
        EXPECT_EQ(got.type(), want->type()) << text;
        EXPECT_EQ(got.string(), want->string()) << text;
    }
    EXPECT_EQ(read("9")->root()->numberValue().type(), Number::Type::ULong);
    EXPECT_EQ(read("-9")->root()->numberValue().type(), Number::Type::Long);
    auto bigDoc = read("123456789012345678901234567890");
    const Number& big = bigDoc->root()->numberValue();
    EXPECT_EQ(big.type(), Number::Type::Dynamic);
    EXPECT_EQ(big.string(), "123456789012345678901234567890");
}

TEST(JsonReader, EscapesDecode) {
    auto str = [](std::string_view text) { return std::string(read(text)->root()->stringValue()); };
    EXPECT_EQ(str(R"("\"\\\/\b\f\n\r\t")"), "\"\\/\b\f\n\r\t");
    EXPECT_EQ(str(R"("\u0041\u00e9\u20AC\ud83d\ude00")"), "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_EQ(str(R"("a\u0000b")"), std::string("a\0b", 3));
    EXPECT_EQ(str(R"("\ud800x")"), "?x");
    EXPECT_EQ(str(R"("\ud800")"), "?");
    // A high surrogate followed by an escape that is not a low surrogate: both decoded on their own.
    EXPECT_EQ(str(R"("\ud800\u0041")"), "?A");
    EXPECT_EQ(str(R"("\ud800\ud800\udc00")"), "?\xF0\x90\x80\x80");
    // A lone low surrogate would be ill-formed UTF-8.
    EXPECT_EQ(str(R"("\udc00z")"), "?z");
    auto doc = read(R"({"k\u00e9y\n": "v"})");
    EXPECT_TRUE(doc->root()->hasProperty("k\xC3\xA9y\n"));
    EXPECT_EQ(doc->root()->property("k\xC3\xA9y\n")->pointer(), "/k\xC3\xA9y\n");
}

TEST(JsonReader, KeyOrderAndPointers) {
    auto doc = read(R"({"b": {"y": 1, "x": [true, {"/": null}]}, "a": "s", "~": []})");
    const JV* root = doc->root();
    std::string keys;
    for (auto [k, v] : root->properties()) keys += std::string(k) + ",";
    EXPECT_EQ(keys, "a,b,~,");
    EXPECT_EQ(doc->propOrder(*root), (std::vector<std::string_view>{"b", "a", "~"}));
    EXPECT_EQ(doc->propOrder(*root->property("b")), (std::vector<std::string_view>{"y", "x"}));
    EXPECT_TRUE(doc->propOrder(*root->property("~")).empty());

    const JV* slash = doc->findNode("/b/x/1/~1");
    ASSERT_NE(slash, nullptr);
    EXPECT_TRUE(slash->isNull());
    EXPECT_EQ(slash->pointer(), "/b/x/1/~1");
    EXPECT_EQ(doc->findNode("/~0")->pointer(), "/~0");
    EXPECT_EQ(doc->findNode(JVPointer("/b/y"))->numberValue().compare(Number(1)), 0);
}

TEST(JsonReader, RepeatedKeysKeepTheLastValue) {
    auto doc = read(R"({"a": {"deep": [1, 2]}, "b": 2, "a": 3})");
    const JV* root = doc->root();
    EXPECT_EQ(root->size(), 2u);
    EXPECT_EQ(root->property("a")->numberValue().compare(Number(3)), 0);
    EXPECT_EQ(root->property("a")->pointer(), "/a");
    EXPECT_EQ(doc->propOrder(*root), (std::vector<std::string_view>{"a", "b"}));

    // Large objects take another route through the builder.
    std::string text = "{";
    for (int i = 0; i < 40; ++i) text += fmt::format("\"k{}\": {}, ", i % 25, i);
    text += "\"end\": {}}";
    auto big = read(text);
    EXPECT_EQ(big->root()->size(), 26u);
    EXPECT_EQ(big->root()->property("k3")->numberValue().compare(Number(28)), 0);
    EXPECT_EQ(big->propOrder(*big->root()).size(), 26u);
    EXPECT_EQ(big->propOrder(*big->root()).front(), "k0");
    EXPECT_EQ(big->propOrder(*big->root()).back(), "end");
}

// Objects of every size around the builder's small-object bound, keys in random order with repeats: the tree must
// hold each key once, with its last value, iterate in byte order, and list the keys in order of first appearance.
TEST(JsonReader, ShuffledKeysWithRepeatsMatchAModel) {
    std::mt19937 random(30);
    for (int round = 0; round < 300; ++round) {
        // Small objects are sorted by insertion, large ones through the first eight bytes of each key.
        std::size_t members = 1 + random() % (round % 2 == 0 ? 24 : 80);
        std::vector<std::string> keys;
        for (std::size_t i = 0; i < members; ++i) {
            // Few distinct keys, some prefixes of others, so repeats and near-equal keys are common; long ones
            // share their first eight bytes.
            std::size_t length = round % 2 == 0 ? 1 + random() % 3 : 1 + random() % 12;
            keys.push_back(std::string(length, static_cast<char>('a' + random() % 4)));
            if (random() % 3 == 0) keys.back().back() = 'z';
        }
        std::string text = "{";
        std::map<std::string_view, int> last;
        std::vector<std::string_view> firstSeen;
        for (std::size_t i = 0; i < members; ++i) {
            if (i > 0) text += ", ";
            text += fmt::format("\"{}\": {}", keys[i], i);
            if (last.find(keys[i]) == last.end()) firstSeen.push_back(keys[i]);
            last[keys[i]] = static_cast<int>(i);
        }
        text += "}";
        auto doc = read(text);
        const JV* root = doc->root();
        ASSERT_EQ(root->size(), last.size()) << text;
        auto expected = last.begin();
        for (auto [key, value] : root->properties()) {
            EXPECT_EQ(key, expected->first) << text;
            EXPECT_EQ(value->numberValue().compare(Number(expected->second)), 0) << text << " at " << key;
            EXPECT_EQ(value->parent(), root);
            ++expected;
        }
        EXPECT_EQ(doc->propOrder(*root), firstSeen) << text;
    }
}

TEST(JsonReader, EmptyContainers) {
    auto doc = read(" [ {}, [], {\"e\": {}} ] ");
    const JV* root = doc->root();
    ASSERT_EQ(root->size(), 3u);
    EXPECT_TRUE(root->at(0)->isObject());
    EXPECT_EQ(root->at(0)->size(), 0u);
    EXPECT_EQ(root->at(1)->pos, (Pos{1, 8}));
    EXPECT_EQ(root->at(2)->property("e")->pointer(), "/2/e");
    EXPECT_TRUE(read("{}")->root()->isObject());
    EXPECT_TRUE(read("[]")->root()->isArray());
}

TEST(JsonReader, NestingLimit) {
    auto nested = [](std::size_t depth) {
        std::string text;
        for (std::size_t i = 0; i + 1 < depth; ++i) text += (i % 2 == 0) ? "[" : "{\"k\":";
        text += "[]";
        for (std::size_t i = depth - 1; i-- > 0;) text += (i % 2 == 0) ? "]" : "}";
        return text;
    };
    auto doc = read(nested(JSONReader::kMaxDepth));
    const JV* leaf = doc->root();
    while (leaf->size() > 0) leaf = leaf->isArray() ? leaf->at(0) : leaf->property("k");
    EXPECT_TRUE(leaf->isArray());
    EXPECT_EQ(leaf->pos, (Pos{1, static_cast<std::int32_t>(1 + 500 * 1 + 499 * 5)}));
    EXPECT_EQ(parseFailure(nested(JSONReader::kMaxDepth + 1)),
              "1:3001: JSON parse error: nesting deeper than 1000 levels");
    EXPECT_EQ(errorCodeOf(nested(JSONReader::kMaxDepth + 1)), grammar(JSONReader::ParseError::TooDeep));
    EXPECT_EQ(parseFailure(std::string(1000000, '[')), "1:1001: JSON parse error: nesting deeper than 1000 levels");
}

// Counts events and can stop after a given number of them.
class CountingHandler : public Handler {
  public:
    explicit CountingHandler(int stopAt = -1) : stopAt_(stopAt) {}
    int handleString(const char*, std::size_t, Pos) override { return event("s"); }
    int handleInteger(std::int64_t v, Pos) override { return event(fmt::format("i{}", v)); }
    int handleDouble(double v, Pos) override { return event(fmt::format("d{}", v)); }
    int handleNumber(const char* t, std::size_t n, Pos) override { return event("n" + std::string(t, n)); }
    int handleStartMap(Pos) override { return event("{"); }
    int handleMapKey(const char* t, std::size_t n, Pos) override { return event("k" + std::string(t, n)); }
    int handleEndMap(Pos) override { return event("}"); }
    int handleStartArray(Pos) override { return event("["); }
    int handleEndArray(Pos) override { return event("]"); }
    int handleBoolean(int v, Pos) override { return event(v ? "t" : "f"); }
    int handleNull(Pos) override { return event("z"); }
    std::string log;

  private:
    int event(const std::string& e) {
        log += e + " ";
        return --stopAt_ == 0 ? 0 : 1;
    }
    int stopAt_;
};

TEST(JsonReader, EventsAndOptions) {
    CountingHandler events;
    JSONReader reader(events);
    EXPECT_TRUE(reader.read(R"({"a": [1, -2, 1.5, 99999999999999999999, true, null, "s"]})"));
    EXPECT_EQ(events.log, "{ ka [ i1 i-2 d1.5 d1e+20 t z s ] } ");

    CountingHandler stopping(3);
    JSONReader stopped(stopping);
    EXPECT_FALSE(stopped.read("[1, 2, 3, 4]"));
    EXPECT_EQ(stopped.errorCode(), grammar(JSONReader::ParseError::HandlerStopped));
    EXPECT_EQ(stopping.log, "[ i1 i2 ");

    CountingHandler raw;
    raw.rawNumbers = true;
    JSONReader::Options options;
    options.allowComments = true;
    options.allowMultipleValues = true;
    JSONReader lenient(raw, options);
    EXPECT_TRUE(lenient.read("// first\n1e5 /* second */ [0.50]\r\n// end"));
    EXPECT_EQ(raw.log, "n1e5 [ n0.50 ] ");

    CountingHandler garbage;
    JSONReader::Options trailing;
    trailing.allowTrailingGarbage = true;
    JSONReader tolerant(garbage, trailing);
    EXPECT_TRUE(tolerant.read("{} x"));

    // Chunks are gathered and parsed as one text.
    CountingHandler chunks;
    JSONReader chunked(chunks);
    EXPECT_TRUE(chunked.parse("[tr"));
    EXPECT_TRUE(chunked.parse("ue]"));
    EXPECT_TRUE(chunked.completeParse());
    EXPECT_EQ(chunks.log, "[ t ] ");
}

TEST(JsonReader, HandlerRefusesInconsistentEvents) {
    DefaultHandler handler;
    EXPECT_EQ(handler.handleEndMap(Pos{}), 0);
    EXPECT_EQ(handler.failure(), "context_pop: Bottom of stack reached prematurely");
    DefaultHandler keys;
    keys.handleStartMap(Pos{});
    EXPECT_EQ(keys.handleNull(Pos{}), 0);
    EXPECT_EQ(keys.failure(), "context_add_value: Object key is not a string (null)");
    // A handler left half-way owns its partial tree and frees it.
    DefaultHandler partial;
    partial.handleStartArray(Pos{});
    partial.handleStartMap(Pos{});
    partial.handleMapKey("k", 1, Pos{});
    partial.handleString("v", 1, Pos{});
    EXPECT_EQ(partial.document(), nullptr);
}

TEST(JsonReader, ReadsStreams) {
    std::string text = "{\"list\": [";
    for (int i = 0; i < 20000; ++i) text += fmt::format("{}{}", i == 0 ? "" : ",", i);
    text += "]}";
    std::istringstream in(text);
    auto doc = readJsonStream(in);
    EXPECT_EQ(doc->findNode("/list/19999")->numberValue().compare(Number(19999)), 0);
    std::istringstream bad("{\"a\": ");
    EXPECT_THROW(readJsonStream(bad), ReadError);
}

// What a user reads when a hand-written file is wrong: where, and what the reader expected instead.
TEST(JsonReader, FailuresSayWhereAndWhy) {
    const std::pair<std::string, std::string> cases[] = {
        {"{\n  \"a\": 1\n  \"b\": 2\n}",
         "3:3: JSON parse error: expected ',' or '}' after an object member, found a string"},
        {"{\"a\" 1}", "1:6: JSON parse error: expected ':' after an object key, found a number"},
        {"{\"a\": 1,}", "1:9: JSON parse error: expected a string key after ',', found '}'"},
        {"{1: 2}", "1:2: JSON parse error: expected a string key, found a number"},
        {"[1 2]", "1:4: JSON parse error: expected ',' or ']' after an array element, found a number"},
        {"[1,\n", "2:1: JSON parse error: expected a value, found the end of the text"},
        {"", "1:1: JSON parse error: expected a value, found the end of the text"},
        {"  \r\n\t", "2:2: JSON parse error: expected a value, found the end of the text"},
        {"{} x", "1:4: JSON parse error: expected the end of the text after the value, found 'x'"},
        {"{\"a\": tru}", "1:7: JSON parse error: expected a value, found 't'"},
        {"{\"a\": \"x\ty\"}", "1:9: JSON parse error: unescaped control character (byte 0x09) in a string"},
        {"[\"\\q\"]", "1:4: JSON parse error: invalid escape sequence '\\q' in a string"},
        {"[\"\\u12x4\"]", "1:7: JSON parse error: expected four hex digits after '\\u', found 'x'"},
        {"[\"abc", "1:6: JSON parse error: a string is not closed before the end of the text"},
        {"[1.]", "1:4: JSON parse error: expected a digit after the decimal point"},
        {"[-x]", "1:3: JSON parse error: expected a digit after '-'"},
        {"{\"k\": \"\xC3\x28\"}", "1:8: JSON parse error: invalid UTF-8 at byte 7"},
        {"// note\n{}", "1:1: JSON parse error: comments are not allowed"},
    };
    for (const auto& [text, message] : cases) EXPECT_EQ(parseFailure(text), message) << text;
}

// Strings and runs of spaces are scanned several bytes at a time: whatever ends the scan must be seen at every
// offset inside a word, with the value, the error and the position exactly as a byte-wise scan gives them.
TEST(JsonReader, EveryStopByteAtEveryOffsetOfALongString) {
    for (std::size_t at = 0; at < 20; ++at) {
        std::string before(at, 'a');
        std::string after(19 - at, 'b');
        EXPECT_EQ(read("[\"" + before + "\"]")->root()->at(0)->stringValue(), before) << at;
        EXPECT_EQ(read("[\"" + before + "\\n" + after + "\"]")->root()->at(0)->stringValue(), before + "\n" + after)
            << at;
        EXPECT_EQ(read("[\"" + before + "\xC3\xA9" + after + "\"]")->root()->at(0)->stringValue(),
                  before + "\xC3\xA9" + after)
            << at;
        // DEL and the bytes just around the stop classes pass unchanged.
        std::string edges = before + "\x7F !#[]" + after;
        EXPECT_EQ(read("[\"" + edges + "\"]")->root()->at(0)->stringValue(), edges) << at;
        EXPECT_EQ(parseFailure("[\"" + before + "\x1F" + after + "\"]"),
                  fmt::format("1:{}: JSON parse error: unescaped control character (byte 0x1F) in a string", at + 3))
            << at;
        EXPECT_EQ(parseFailure("[\"" + before + "\xFF" + after + "\"]"),
                  fmt::format("1:{}: JSON parse error: invalid UTF-8 at byte {}", at + 3, at + 2))
            << at;
        EXPECT_EQ(parseFailure("[\"" + before), "1:" + std::to_string(at + 3) +
                                                    ": JSON parse error: a string is not closed before the end of the "
                                                    "text")
            << at;
        // Indentation of every width, then a value or a fault right after it.
        std::string indent(at, ' ');
        auto doc = read("[\n" + indent + "1,\n" + indent + " \t " + indent + "2]");
        EXPECT_EQ(doc->root()->at(0)->pos, (Pos{2, static_cast<std::int32_t>(at + 1)})) << at;
        EXPECT_EQ(doc->root()->at(1)->pos, (Pos{3, static_cast<std::int32_t>(2 * at + 4)})) << at;
        EXPECT_EQ(parseFailure("[\n" + indent + "x]"),
                  fmt::format("2:{}: JSON parse error: expected a value or ']', found 'x'", at + 1))
            << at;
    }
}

// Keys are shared between the objects of a document: thousands of distinct keys, many alike in their first eight
// bytes or their length, must each keep their own value.
TEST(JsonReader, ManyDistinctKeysKeepTheirValues) {
    std::string text = "{";
    for (int i = 0; i < 5000; ++i) {
        if (i > 0) text += ",";
        text +=
            fmt::format("\"{}\": {{\"prefix-of-{}\": {}, \"{}\": \"{}\"}}", i, i % 97, i, std::string(i % 23, 'k'), i);
    }
    text += "}";
    auto doc = read(text);
    ASSERT_EQ(doc->root()->size(), 5000u);
    for (int i = 0; i < 5000; ++i) {
        const JV* member = doc->root()->property(std::to_string(i));
        ASSERT_NE(member, nullptr) << i;
        EXPECT_EQ(member->integerPropertyValue(fmt::format("prefix-of-{}", i % 97)), i);
        EXPECT_EQ(member->stringPropertyValue(std::string(i % 23, 'k')), std::to_string(i));
    }
}

// Texts met again are recognised, short ones through a small table of the texts met last by the words that cover
// their bytes, the others through the large table by their hash: texts that differ in a single byte, at any place
// and any length up to past the longest interned value, stay different texts, as keys and as values.
TEST(JsonReader, TextsDifferingInOneByteStayApart) {
    std::vector<std::string> texts;
    for (std::size_t length = 0; length <= 42; ++length) {
        texts.emplace_back(length, 'a');
        for (std::size_t at = 0; at < length; ++at) {
            texts.push_back(std::string(length, 'a'));
            texts.back()[at] = 'b';
        }
    }
    std::string object = "{";
    std::string array = "[";
    for (std::size_t i = 0; i < texts.size(); ++i) {
        object += fmt::format("{}\"{}\": {}", i > 0 ? "," : "", texts[i], i);
        array += fmt::format("{}\"{}\"", i > 0 ? "," : "", texts[i]);
    }
    auto doc = read(fmt::format("[{}}}, {}], {}]]", object, array, array));
    const JV& members = *doc->root()->at(0);
    ASSERT_EQ(members.size(), texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(members.integerPropertyValue(texts[i]), static_cast<std::int64_t>(i)) << texts[i];
        EXPECT_EQ(doc->root()->at(1)->at(i)->stringValue(), texts[i]);
        EXPECT_EQ(doc->root()->at(2)->at(i)->stringValue(), texts[i]);
    }
}

// Every key of a large object written twice: the source order lists each once, at its first place, and reading takes
// time in proportion to the members (the check for repeats once compared each key with all kept before it).
TEST(JsonReader, LargeObjectOfRepeatedKeys) {
    constexpr int kKeys = 60000;
    std::string text = "{";
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < kKeys; ++i) text += fmt::format("{}\"k{}\": {}", text.size() > 1 ? "," : "", i, round);
    }
    text += "}";
    auto doc = read(text);
    ASSERT_EQ(doc->root()->size(), static_cast<std::size_t>(kKeys));
    auto order = doc->propOrder(*doc->root());
    ASSERT_EQ(order.size(), static_cast<std::size_t>(kKeys));
    for (int i = 0; i < kKeys; i += 997) EXPECT_EQ(order[static_cast<std::size_t>(i)], fmt::format("k{}", i));
    EXPECT_EQ(doc->root()->integerPropertyValue("k123"), 1);
}

TEST(JsonReader, SkipsAByteOrderMarkAndCountsItInByteOffsets) {
    auto doc = read("\xEF\xBB\xBF{\"a\": [1]}");
    EXPECT_EQ(doc->findNode("/a/0")->numberValue().compare(Number(1)), 0);
    // Columns are counted as an editor shows them, after the mark; byte offsets as a hex dump shows them.
    EXPECT_EQ(parseFailure("\xEF\xBB\xBF[\"\xFF\"]"), "1:3: JSON parse error: invalid UTF-8 at byte 5");
    EXPECT_EQ(parseFailure("\xEF\xBB\xBF"), "1:1: JSON parse error: expected a value, found the end of the text");
}

// The reader sizes every object and array exactly; the first member added afterwards must grow them without losing
// the recorded key order or the children's places, and must not touch any other container.
TEST(JsonReader, ReadContainersGrowWhenEdited) {
    auto doc = read(R"({"b": 1, "a": [1, 2], "c": {}, "d": {}, "e": []})");
    JV* root = doc->root();
    JV* added = root->setObjectProperty("aa");
    doc->addProp(*root, "aa");
    EXPECT_EQ(doc->propOrder(*root), (std::vector<std::string_view>{"b", "a", "c", "d", "e", "aa"}));
    EXPECT_EQ(added->pointer(), "/aa");
    for (auto [key, value] : root->properties()) EXPECT_EQ(value->pointer(), "/" + std::string(key));

    JV* third = root->property("a")->addInt(3);
    EXPECT_EQ(third->pointer(), "/a/2");
    EXPECT_EQ(root->property("a")->at(0)->pointer(), "/a/0");

    root->property("c")->setNullProperty("inside");
    root->property("e")->addNull();
    EXPECT_EQ(root->property("c")->size(), 1u);
    EXPECT_EQ(root->property("d")->size(), 0u);
    EXPECT_EQ(root->property("e")->size(), 1u);
    EXPECT_EQ(doc->findNode("/c/inside")->pointer(), "/c/inside");

    // A copy is sized exactly as well, without the recorded order, and grows apart from the original.
    std::unique_ptr<JV> copy = root->clone();
    copy->setNullProperty("only-in-copy");
    copy->property("a")->addNull();
    EXPECT_EQ(root->size(), 6u);
    EXPECT_EQ(root->property("a")->size(), 3u);
    EXPECT_EQ(copy->property("only-in-copy")->pointer(), "/only-in-copy");
}

TEST(JsonReader, LargeObjectsAndArraysReadWhole) {
    constexpr int kMembers = 100000;
    std::string text = "{";
    for (int i = 0; i < kMembers; ++i) text += fmt::format("\"m{}\": [{}, \"v\"],", (i * 7) % kMembers, i);
    text += "\"m0\": \"last\"}";
    auto doc = read(text);
    const JV* root = doc->root();
    ASSERT_EQ(root->size(), static_cast<std::size_t>(kMembers));
    std::vector<std::string_view> order = doc->propOrder(*root);
    ASSERT_EQ(order.size(), static_cast<std::size_t>(kMembers));
    EXPECT_EQ(order[1], "m7");
    EXPECT_EQ(root->property("m0")->stringValue(), "last");
    for (int i = 1; i < kMembers; i += 997) {
        std::string key = fmt::format("m{}", (i * 7) % kMembers);
        EXPECT_EQ(order[static_cast<std::size_t>(i)], key);
        const JV* pair = root->property(key);
        ASSERT_NE(pair, nullptr) << key;
        EXPECT_EQ(pair->at(0)->numberValue().compare(Number(i)), 0);
        EXPECT_EQ(pair->at(1)->pointer(), "/" + key + "/1");
    }
}

}  // namespace
}  // namespace zephalon::jv
