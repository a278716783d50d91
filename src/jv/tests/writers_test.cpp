#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

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

TEST(JsonWriter, PrettyLayoutKeepsSourceOrderAndPrintsEmptyContainersOpen) {
    auto doc = readJsonString(R"({"b": [1, true, null], "a": {}, "c": {"y": "s", "x": []}})");
    EXPECT_EQ(json(*doc),
              "{\n"
              "  \"b\": [\n"
              "    1,\n"
              "    true,\n"
              "    null\n"
              "  ],\n"
              "  \"a\": {\n"
              "\n"
              "  },\n"
              "  \"c\": {\n"
              "    \"y\": \"s\",\n"
              "    \"x\": [\n"
              "\n"
              "    ]\n"
              "  }\n"
              "}\n");
    EXPECT_EQ(json(*doc, 0), R"({"b":[1,true,null],"a":{},"c":{"y":"s","x":[]}})");
    EXPECT_TRUE(json(*doc, 4).starts_with("{\n    \"b\": [\n        1,\n        true"));
    EXPECT_EQ(json(*readJsonString("[]")), "[\n\n]\n");
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

TEST(YamlWriter, QuotesStringsThatWouldReadBackAsAnotherKind) {
    JVDoc doc;
    doc.setRoot(JV::Type::Array);
    for (const char* text : {"123", "-1.5", "1e5", "+7", "true", "null", "", "#x", "*x", "~", "True", "0x10", "1.0.0",
                             "plain", "a: b", "- x"}) {
        doc.root()->addString(text);
    }
    EXPECT_EQ(yaml(doc),
              "- \"123\"\n"
              "- \"-1.5\"\n"
              "- \"1e5\"\n"
              "- \"+7\"\n"
              "- \"true\"\n"
              "- \"null\"\n"
              "- \"\"\n"
              "- \"#x\"\n"
              "- \"*x\"\n"
              "- \"~\"\n"
              "- \"True\"\n"
              "- 0x10\n"
              "- 1.0.0\n"
              "- plain\n"
              "- 'a: b'\n"
              "- '- x'\n");
    auto back = readYamlString(yaml(doc));
    EXPECT_TRUE(back->root()->equal(*doc.root()));
}

TEST(YamlWriter, BlockAndFlowLayout) {
    auto doc =
        readJsonString(R"({"name": "x", "n": 1.5, "ok": false, "none": null, "list": [1, {"k": "v"}], "e": {}})");
    EXPECT_EQ(yaml(*doc),
              "name: x\n"
              "n: 1.5\n"
              "ok: false\n"
              "none: null\n"
              "list:\n"
              "- 1\n"
              "- k: v\n"
              "e: {}\n");
    EXPECT_EQ(yaml(*doc, 0), "{name: x, n: 1.5, ok: false, none: null, list: [1, {k: v}], e: {}}\n");
    EXPECT_EQ(yaml(*doc, 4).substr(0, 40), "name: x\nn: 1.5\nok: false\nnone: null\nlist");
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
        "keys": {"200": "ok", "true": 1, "": "empty key", "a b": 2, "x: y": 3, "é": 4, "- d": 5},
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
