#include <fmt/format.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "zephalon/jv/file_io.h"
#include "zephalon/jv/json_reader.h"
#include "zephalon/jv/json_writer.h"
#include "zephalon/jv/yaml_reader.h"
#include "zephalon/jv/yaml_writer.h"

namespace zephalon::jv {
namespace {

using Status = JSONWriterError::Status;

std::string json(const JVDoc& doc, int indent = 2) {
    StreamWriteOptions options;
    options.indentSize = indent;
    std::string out;
    writeString(doc, out, options);
    return out;
}

std::string yaml(const JVDoc& doc, int indent = 2) {
    StreamWriteOptions options;
    options.format = FileFormat::YAML;
    options.indentSize = indent;
    std::string out;
    writeString(doc, out, options);
    return out;
}

template <typename F>
Status statusOf(F&& action) {
    try {
        action();
    } catch (const JSONWriterError& error) {
        return error.status();
    }
    ADD_FAILURE() << "no JSONWriterError";
    return Status::InErrorState;
}

TEST(JsonWriter, PrettyLayoutKeepsSourceOrderAndPrintsEmptyContainersClosed) {
    auto doc = readJsonString(R"({"b": [1, true, null], "a": {}, "c": {"y": "s", "x": []}})");
    EXPECT_EQ(json(*doc),
              "{\n"
              "  \"b\": [\n"
              "    1,\n"
              "    true,\n"
              "    null\n"
              "  ],\n"
              "  \"a\": {},\n"
              "  \"c\": {\n"
              "    \"y\": \"s\",\n"
              "    \"x\": []\n"
              "  }\n"
              "}\n");
    EXPECT_EQ(json(*doc, 0), R"({"b":[1,true,null],"a":{},"c":{"y":"s","x":[]}})");
    EXPECT_TRUE(json(*doc, 4).starts_with("{\n    \"b\": [\n        1,\n        true"));
    EXPECT_EQ(json(*readJsonString("[]")), "[]\n");
    EXPECT_EQ(json(*readJsonString("{}")), "{}\n");

    // The event interface lays out the same way.
    JSONWriter events;
    events.writeObjectStart();
    events.writeString("e");
    events.writeArrayStart();
    events.writeArrayEnd();
    events.writeString("f");
    events.writeArrayStart();
    events.writeNull();
    events.writeArrayEnd();
    events.writeObjectEnd();
    EXPECT_EQ(events.toString(), "{\n  \"e\": [],\n  \"f\": [\n    null\n  ]\n}\n");
}

TEST(JsonWriter, BareValuesAndCodeBuiltTreesUseKeyOrder) {
    auto doc = readJsonString(R"({"b": 1, "a": 2})");
    std::string out;
    writeString(*doc->root(), out, StreamWriteOptions{});
    EXPECT_EQ(out, "{\n  \"a\": 2,\n  \"b\": 1\n}\n");

    JVDoc built;
    built.setRoot(JV::Type::Object);
    built.root()->setIntProperty("z", 1);
    built.root()->setIntProperty("m", 2);
    EXPECT_EQ(json(built, 0), R"({"m":2,"z":1})");
}

TEST(JsonWriter, PropertyFactoryChoosesTheOrderInBothWriters) {
    auto doc = readJsonString(R"({"a": 1, "b": {"c": 2, "d": 3}})");
    auto reversed = [](const JV& object) {
        std::vector<std::string> keys;
        for (auto property : object.properties()) keys.insert(keys.begin(), std::string(property.key));
        return SortedProperties(object, keys);
    };
    StreamWriteOptions options;
    options.indentSize = 0;
    options.propertyFactory = reversed;
    std::string out;
    writeString(*doc, out, options);
    EXPECT_EQ(out, R"({"b":{"d":3,"c":2},"a":1})");
    options.format = FileFormat::YAML;
    writeString(*doc, out, options);
    EXPECT_EQ(out, "{b: {d: 3, c: 2}, a: 1}\n");
}

// A placed key order that records the path of keys down to each container ("/" for array elements), so the test
// can see that every container gets the place of its own container and key.
class PathKeyOrder : public PlacedKeyOrder {
  public:
    Place rootPlace() const override { return intern(""); }
    Place memberPlace(Place parent, std::string_view key) const override {
        return intern(paths_[parent] + "." + std::string(key));
    }
    Place elementPlace(Place parent) const override { return intern(paths_[parent] + "/"); }
    KeyOrder keyOrder(Place place) const override {
        const std::string& path = paths_[place];
        if (path.empty()) return {KeyOrder::Rule::Listed, &rootKeys_};
        if (path == ".list/") return {KeyOrder::Rule::Bytewise};
        return {KeyOrder::Rule::Source};
    }
    mutable std::vector<std::string> paths_;

  private:
    Place intern(std::string path) const {
        paths_.push_back(std::move(path));
        return paths_.size() - 1;
    }
    std::vector<std::string> rootKeys_{"z", "list", "missing", "z"};
};

TEST(JsonWriter, PlacedKeyOrderGetsEachContainersPlaceAndDecidesOverTheFactory) {
    auto doc = readJsonString(R"({"a": {"j": 1, "i": 2}, "list": [{"q": 1, "p": 2}, 5, [{"l": 1, "k": 2}]], "z": 0})");
    PathKeyOrder order;
    JSONWriter json;
    json.setIndentSize(0);
    json.setPropertyFactory([](const JV& object) { return SortedProperties(object); });
    json.setPlacedKeyOrder(&order);
    json.write(*doc);
    // Root: listed keys once each, then the rest byte-wise; elements of "list" byte-wise; everything else in source
    // order (the array inside the array gives its elements a place of their own).
    EXPECT_EQ(json.toString(), R"({"z":0,"list":[{"p":2,"q":1},5,[{"l":1,"k":2}]],"a":{"j":1,"i":2}})");
    std::vector<std::string> jsonPaths = order.paths_;

    order.paths_.clear();
    YAMLWriter yaml;
    yaml.setPlacedKeyOrder(&order);
    yaml.write(*doc);
    EXPECT_EQ(yaml.toString(), "z: 0\nlist:\n- p: 2\n  q: 1\n- 5\n- - l: 1\n    k: 2\na:\n  j: 1\n  i: 2\n");
    EXPECT_EQ(order.paths_, jsonPaths);
    EXPECT_NE(std::find(jsonPaths.begin(), jsonPaths.end(), ".list//"), jsonPaths.end());
}

TEST(JsonWriter, EscapesQuotesBackslashesAndControlBytesOnly) {
    JVDoc doc;
    static constexpr char kText[] = "q\"b\\\b\t\n\f\r\x01\x1f/\x7f\xc3\xa9\xf0\x9f\x98\x80\0z";
    doc.setRoot(std::make_unique<JV>(std::string_view(kText, sizeof kText - 1)));
    EXPECT_EQ(json(doc, 0), "\"q\\\"b\\\\\\b\\t\\n\\f\\r\\u0001\\u001F/\x7f\xc3\xa9\xf0\x9f\x98\x80\\u0000z\"");

    JSONWriter writer;
    writer.setEscapeSolidus(true);
    writer.writeString("a/b");
    EXPECT_EQ(writer.toString(), "\"a\\/b\"\n");
}

// Long runs of plain text are passed a word at a time; an escape must be found wherever it falls in a word.
TEST(JsonWriter, FindsEveryEscapeAtEveryPlaceInLongText) {
    auto expected = [](std::string_view text, bool solidus) {
        std::string out = "\"";
        for (char c : text) {
            auto byte = static_cast<unsigned char>(c);
            if (c == '"' || c == '\\') {
                out += '\\';
                out += c;
            } else if (c == '\n') {
                out += "\\n";
            } else if (c == '/' && solidus) {
                out += "\\/";
            } else if (byte < 0x20) {
                out += fmt::format("\\u{:04X}", byte);
            } else {
                out += c;
            }
        }
        return out + "\"\n";
    };
    const std::string specials[] = {"\"",       "\\", "\n",  std::string(1, '\0'), "\x1f", "/", "\x7f",
                                    "\xc3\xa9", " ",  "\xff"};
    for (bool solidus : {false, true}) {
        for (const std::string& special : specials) {
            // Short texts are checked in overlapping words, long ones in blocks of sixteen and a tail: every
            // length up to past two blocks, with the special byte at every place.
            for (std::size_t length = 0; length <= 40; ++length) {
                for (std::size_t at = 0; at <= length; ++at) {
                    std::string text = std::string(at, 'a') + special + std::string(length - at, 'b');
                    JSONWriter writer;
                    writer.setEscapeSolidus(solidus);
                    writer.writeString(text);
                    ASSERT_EQ(writer.toString(), expected(text, solidus)) << length << " " << at;
                }
            }
        }
    }
}

// The writer finds a recorded key among the members by a scan in small objects and by a search in large ones, and
// keeps track of written members in a word or, past 64 members, in shared scratch space; a read object without
// repeated keys keeps its source order in the order its members' nodes were made, until its members change. Every
// size and both forms keep the source order, write a repeated key once at its first place, skip recorded keys that
// were removed and put keys added later after the recorded ones, byte-wise.
TEST(JsonWriter, SourceOrderHoldsForObjectsOfEverySize) {
    auto writtenOrder = [](const JVDoc& doc) {
        JSONWriter writer;
        writer.setIndentSize(0);
        writer.write(doc);
        auto written = readJsonString(writer.toString());
        std::vector<std::string> order;
        for (std::string_view key : written->propOrder(*written->root())) order.emplace_back(key);
        return std::make_pair(std::move(written), order);
    };
    for (int members : {3, 17, 40, 64, 65, 300}) {
        for (bool repeated : {false, true}) {
            std::vector<std::string> keys;
            for (int i = 0; i < members; ++i) keys.push_back(fmt::format("k{:03}", (i * 37 + 11) % members));
            std::string text = "{";
            for (const std::string& key : keys) text += fmt::format(R"("{}": {{"x": 1, "y": [2]}},)", key);
            // Repeated: the later value wins, the first place stays.
            text += repeated ? fmt::format(R"("{}": 0}})", keys[1]) : std::string(R"("zz": 0})");
            auto doc = readJsonString(text);
            JV& root = *doc->root();
            std::vector<std::string> expected = keys;
            if (!repeated) expected.push_back("zz");
            EXPECT_EQ(writtenOrder(*doc).second, expected) << members;

            root.removeProperty(keys[2]);
            root.setIntProperty("a-late", 1);
            root.setIntProperty("z-late", 2);
            expected.erase(expected.begin() + 2);
            expected.push_back("a-late");
            expected.push_back("z-late");
            auto [written, order] = writtenOrder(*doc);
            EXPECT_EQ(order, expected) << members;
            EXPECT_TRUE(written->root()->equal(root)) << members;
            EXPECT_EQ(written->root()->property(keys[1])->size(), repeated ? 0u : 2u);
        }
    }
}

// Output goes into space made ahead of the text and grown in steps; text that grows sixfold through escapes and a
// document of some megabytes must come out whole.
TEST(JsonWriter, LargeOutputReadsBackEqual) {
    JVDoc doc;
    doc.setRoot(JV::Type::Array);
    JV& root = *doc.root();
    for (int i = 0; i < 20000; ++i) {
        JV* item = root.addObject();
        item->setStringProperty("name", std::string(static_cast<std::size_t>(i % 97), static_cast<char>('a' + i % 26)));
        item->setIntProperty("n", i * 7919LL - 100000);
        item->setStringProperty("raw", std::string(static_cast<std::size_t>(i % 41), static_cast<char>(i % 32)));
    }
    root.addString(std::string(300000, '\x01'));
    for (int indent : {0, 2}) {
        JSONWriter writer;
        writer.setIndentSize(indent);
        writer.write(doc);
        auto back = readJsonString(writer.toString());
        EXPECT_TRUE(back->root()->equal(root)) << indent;
    }
}

TEST(JsonWriter, ErrorStates) {
    {
        JSONWriter writer;
        writer.setValidateUTF8(true);
        EXPECT_EQ(statusOf([&] { writer.writeString("bad \xc3("); }), Status::InvalidString);
        EXPECT_EQ(statusOf([&] { writer.writeNull(); }), Status::InErrorState);
        EXPECT_STREQ(JSONWriterError(Status::InErrorState).what(), "InErrorState");
    }
    {
        JSONWriter writer;
        writer.writeBoolean(true);
        EXPECT_TRUE(writer.complete());
        EXPECT_EQ(statusOf([&] { writer.writeNull(); }), Status::GenerationComplete);
        EXPECT_EQ(writer.toString(), "true\n");
    }
    {
        JSONWriter writer;
        writer.writeObjectStart();
        EXPECT_EQ(statusOf([&] { writer.writeNumber(number::Number(1)); }), Status::KeyMustBeStrings);
    }
    {
        JSONWriter writer;
        writer.writeObjectStart();
        writer.writeString("k");
        EXPECT_EQ(statusOf([&] { writer.writeObjectEnd(); }), Status::UnbalancedContainer);
    }
    {
        JSONWriter writer;
        writer.writeArrayStart();
        EXPECT_EQ(statusOf([&] { writer.writeObjectEnd(); }), Status::UnbalancedContainer);
    }
    {
        JSONWriter writer;
        writer.writeArrayStart();
        EXPECT_EQ(statusOf([&] { writer.writeNumber(number::Number(std::numeric_limits<double>::quiet_NaN())); }),
                  Status::InvalidNumber);
        JSONWriter other;
        EXPECT_EQ(statusOf([&] { other.writeNumber(number::Number(-HUGE_VAL)); }), Status::InvalidNumber);
    }
}

TEST(JsonWriter, WritesEveryDepthTheReaderAccepts) {
    JSONWriter writer;
    writer.setIndentSize(0);
    for (int i = 0; i < JSONWriter::kMaxDepth; ++i) writer.writeArrayStart();
    EXPECT_EQ(statusOf([&] { writer.writeArrayStart(); }), Status::MaxDepthExceeded);

    JSONWriter fits;
    fits.setIndentSize(0);
    const std::string deepest = std::string(JSONReader::kMaxDepth, '[') + std::string(JSONReader::kMaxDepth, ']');
    auto doc = readJsonString(deepest);
    fits.write(*doc);
    EXPECT_EQ(fits.toString(), deepest);
}

// Strings that a YAML 1.1 reader or a YAML 1.2 core-schema reader would take for something else. Each is written
// quoted and, read back by our reader, is the same string; keys likewise.
TEST(YamlWriter, QuotesEveryStringAnotherReaderWouldTypeDifferently) {
    const char* const spellings[] = {
        // null and booleans of both versions, in any case
        "",
        "~",
        "null",
        "Null",
        "NULL",
        "nULL",
        "y",
        "Y",
        "n",
        "N",
        "yes",
        "Yes",
        "YES",
        "no",
        "No",
        "NO",
        "true",
        "True",
        "TRUE",
        "false",
        "False",
        "FALSE",
        "on",
        "On",
        "ON",
        "off",
        "Off",
        "OFF",
        // integers: decimal, signed, octal, hex, binary, underscores, commas, sexagesimal
        "0",
        "123",
        "-17",
        "+7",
        "007",
        "0o17",
        "0x1F",
        "0X1f",
        "-0x1F",
        "0b1010",
        "1_000",
        "1,000",
        "1:20",
        "-1:20:30",
        // floats
        "1.5",
        "-1.5",
        "1.10",
        "1.",
        ".5",
        "1e5",
        "1E-5",
        "1.5e+10",
        "6.8523015e+5",
        "685.230_15e+03",
        "190:20:30.15",
        ".inf",
        "-.inf",
        "+.INF",
        ".Inf",
        ".nan",
        ".NaN",
        ".NAN",
        // timestamps and dates
        "2024-01-01",
        "2001-12-14t21:59:43.10-05:00",
        "2001-12-14 21:59:43.10 -5",
        "2001-12-15T02:59:43.1Z",
        // YAML 1.1 merge and value keys
        "<<",
        "=",
        // indicators and syntax
        "#x",
        "*x",
        "&x",
        "!x",
        "|x",
        ">x",
        "%x",
        "@x",
        "`x",
        "'x",
        "\"x",
        "[x",
        "]x",
        "{x",
        "}x",
        ",x",
        "? x",
        ": x",
        "- x",
        "-",
        "?",
        ":",
        "a: b",
        "a #b",
        "a:",
        " lead",
        "trail ",
        "---",
        "--- x",
        "...",
        "tab\there",
    };
    JVDoc doc;
    doc.setRoot(JV::Type::Object);
    JV* list = doc.root()->setArrayProperty("values");
    JV* keys = doc.root()->setObjectProperty("keys");
    for (const char* text : spellings) {
        list->addString(text);
        keys->setStringProperty(text, "v");
    }
    for (int indent : {2, 0}) {
        std::string text = yaml(doc, indent);
        auto back = readYamlString(text);
        ASSERT_TRUE(back->root()->equal(*doc.root())) << text;
        for (const char* spelling : spellings) {
            std::string plain = std::string("- ") + spelling + "\n";
            EXPECT_EQ(text.find(plain), std::string::npos) << "written plain: " << spelling;
        }
    }
    EXPECT_EQ(yaml(*readJsonString(R"({"200": {"version": "1.10"}, "on": "yes", "d": "2024-01-01"})")),
              "'200':\n  version: '1.10'\n'on': 'yes'\nd: '2024-01-01'\n");
}

TEST(YamlWriter, LeavesPlainWhatEveryReaderReadsAsTheSameString) {
    JVDoc doc;
    doc.setRoot(JV::Type::Array);
    for (const char* text : {"plain", "1.0.0", "v1", "-x", "a-b", "a:b", "a#b", "x?", "é 😀 中文", "yesterday",
                             "nullable", "0x", "12 apples", "http://x/y?z=1#f", "a 'q'", "say \"hi\""}) {
        doc.root()->addString(text);
    }
    EXPECT_EQ(yaml(doc),
              "- plain\n- 1.0.0\n- v1\n- -x\n- a-b\n- a:b\n- a#b\n- x?\n- é 😀 中文\n- yesterday\n- nullable\n"
              "- 0x\n- 12 apples\n- http://x/y?z=1#f\n- a 'q'\n- say \"hi\"\n");
    EXPECT_TRUE(readYamlString(yaml(doc))->root()->equal(*doc.root()));
}

TEST(YamlWriter, EscapesOnlyWhatNeedsEscapesAndWritesMultiLineTextAsBlocks) {
    auto doc = readJsonString(R"({
        "one": "line one\nline two\n",
        "strip": "no final break\nhere",
        "keep": "two breaks\n\n",
        "blank": "a\n\n  indented\nb",
        "lead": " starts with a space\nx",
        "control": "bell\u0007 and \u001b and \u0085 and \u2028 and \ufeff",
        "cr": "a\r\nb",
        "rocket": "🚀 launch",
        "list": ["x\ny", {"k": "p\nq"}],
        "multi\nline key": 1
    })");
    EXPECT_EQ(yaml(*doc),
              "one: |\n  line one\n  line two\n"
              "strip: |-\n  no final break\n  here\n"
              "keep: |+\n  two breaks\n\n"
              "blank: |-\n  a\n\n    indented\n  b\n"
              "lead: \" starts with a space\\nx\"\n"
              "control: \"bell\\a and \\e and \\N and \\L and \\uFEFF\"\n"
              "cr: \"a\\r\\nb\"\n"
              "rocket: 🚀 launch\n"
              "list:\n- |-\n  x\n  y\n- k: |-\n    p\n    q\n"
              "\"multi\\nline key\": 1\n");
    for (int indent : {2, 4, 0}) {
        auto back = readYamlString(yaml(*doc, indent));
        EXPECT_TRUE(back->root()->equal(*doc->root())) << yaml(*doc, indent);
    }
}

TEST(YamlWriter, BlockAndFlowLayout) {
    auto doc = readJsonString(
        R"({"name": "x", "num": 1.5, "ok": false, "none": null, "list": [1, {"k": "v", "l": [[2, 3]]}], "e": {},
            "a": []})");
    EXPECT_EQ(yaml(*doc),
              "name: x\n"
              "num: 1.5\n"
              "ok: false\n"
              "none: null\n"
              "list:\n"
              "- 1\n"
              "- k: v\n"
              "  l:\n"
              "  - - 2\n"
              "    - 3\n"
              "e: {}\n"
              "a: []\n");
    EXPECT_EQ(yaml(*doc, 0),
              "{name: x, num: 1.5, ok: false, none: null, list: [1, {k: v, l: [[2, 3]]}], e: {}, a: []}\n");
    EXPECT_EQ(yaml(*doc, 4).substr(yaml(*doc, 4).find("list")),
              "list:\n- 1\n-   k: v\n    l:\n    -   - 2\n        - 3\ne: {}\na: []\n");
    EXPECT_EQ(yaml(*readJsonString("{}")), "{}\n");
    EXPECT_EQ(yaml(*readJsonString("\"yes\"")), "'yes'\n");
}

// Every value, every key order and every number's text survives JSON -> YAML -> JSON.
TEST(YamlWriter, JsonYamlJsonRoundTripIsLossless) {
    auto doc = readJsonString(R"({
        "openapi": "3.1.0",
        "z-last": {"b": 1, "a": [], "c": {}},
        "numbers": [0, -7, 18446744073709551615, -9223372036854775808, 1.5, 1e+300, 2.5e-8,
                    123456789012345678901234567890.000000000000000000001],
        "strings": ["123", "-1.5", "1e5", "true", "false", "null", "", " lead", "trail ", "a: b", "#c", "&a", "!t",
                    "[x]", "{y}", "line\nbreak", "tab\there", "\u0001\u001f\u007f", "é 😀 中文", "'q'", "\"dq\"",
                    "- item", "? key", "%dir", "@at", "`tick`", "| lit", "> fold", "yes", "No", "0x1F", "~",
                    "back\\slash", "a long text that goes on and on, and on, and on, and on, and on, and on, and on"],
        "keys": {"200": "ok", "true": 1, "": "empty key", "a b": 2, "x: y": 3, "é": 4, "- d": 5, "<<": 6},
        "nested": [[[]], [{}], {"deep": {"er": [null, true, false]}}]
    })");
    std::string first = json(*doc);
    std::string asYaml = yaml(*doc);
    auto back = readYamlString(asYaml);
    EXPECT_TRUE(back->root()->equal(*doc->root())) << asYaml;
    EXPECT_EQ(json(*back), first) << asYaml;
    EXPECT_EQ(yaml(*back), asYaml);
    // The flow form must read back just as well.
    auto flow = readYamlString(yaml(*doc, 0));
    EXPECT_EQ(json(*flow), first);
}

// A reader refuses an implicit key of 1024 characters or more as written, so long keys become explicit "? " keys —
// judged by the written form, where quotes and escapes make a key longer than its text.
TEST(YamlWriter, KeysTooLongForAnImplicitKeyAreWrittenExplicitly) {
    JVDoc doc;
    doc.setRoot(JV::Type::Object);
    JV& root = *doc.root();
    const std::string plainShort(1023, 'k');
    const std::string plainLong(1024, 'k');
    const std::string quotes(600, '"');
    const std::string apostrophes(600, '\'');
    for (const std::string& key : {plainShort, plainLong, quotes, apostrophes}) root.setStringProperty(key, "v");
    root.setObjectProperty("nested")->setIntProperty(plainLong, 1);

    const std::string block = yaml(doc);
    EXPECT_EQ(block.find("? " + plainShort + "\n"), std::string::npos) << "a key that fits stays implicit";
    EXPECT_NE(block.find("? " + plainLong + "\n:"), std::string::npos);
    EXPECT_NE(block.find("  ? " + plainLong + "\n  : 1\n"), std::string::npos);
    for (int indent : {2, 0}) {
        auto back = readYamlString(yaml(doc, indent));
        EXPECT_TRUE(back->root()->equal(root)) << "indent " << indent;
    }
}

TEST(YamlWriter, SpecialFloatsAndDeepTrees) {
    JVDoc doc;
    doc.setRoot(JV::Type::Array);
    doc.root()->addFloat(std::numeric_limits<double>::infinity());
    doc.root()->addFloat(-std::numeric_limits<double>::infinity());
    EXPECT_EQ(yaml(doc, 0), "[.inf, -.inf]\n");

    // A double -0.0 is written as -0, which reads back as the equal integer 0.
    auto negativeZero = readYamlString("-0.0\n");
    EXPECT_TRUE(readYamlString(yaml(*negativeZero))->root()->equal(*negativeZero->root()));

    JVDoc deep;
    deep.setRoot(JV::Type::Array);
    JV* node = deep.root();
    for (int i = 0; i < 1500; ++i) node = node->addArray();
    try {
        yaml(deep);
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "YAML output is nested deeper than 1000 levels");
    }
}

}  // namespace
}  // namespace zephalon::jv
