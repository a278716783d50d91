#include "zephalon/jv/yaml_reader.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "zephalon/jv/file_io.h"

namespace zephalon::jv {
namespace {

std::string failureOf(std::string_view text) {
    try {
        readYamlString(text);
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "(no error)";
}

std::string nested(std::size_t depth) { return std::string(depth, '[') + std::string(depth, ']'); }

TEST(YamlReader, TypesPlainScalarsByContentAndQuotedOnesAsStrings) {
    auto doc = readYamlString(
        "int: 123\n"
        "quoted: \"123\"\n"
        "single: '123'\n"
        "hex: 0x10\n"
        "exp: 1e3\n"
        "neg: -1.5\n"
        "zeros: 007\n"
        "version: 1.0.0\n"
        "yes: yes\n"
        "t: true\n"
        "tq: \"true\"\n"
        "f: false\n"
        "n: null\n"
        "nq: 'null'\n"
        "tilde: ~\n"
        "empty:\n"
        "emptyq: ''\n"
        "tagged: !!str 42\n"
        "block: |\n"
        "  123\n"
        "big: 123456789012345678901234567890\n");
    const JV& root = *doc->root();
    ASSERT_TRUE(root.isObject());
    auto number = [&](std::string_view key) { return root.property(key)->numberValue().string(0); };
    auto string = [&](std::string_view key) { return std::string(root.property(key)->stringValue()); };

    EXPECT_EQ(number("int"), "123");
    EXPECT_EQ(number("exp"), "1000");
    EXPECT_EQ(number("neg"), "-1.5");
    EXPECT_EQ(number("zeros"), "7");
    EXPECT_EQ(number("big"), "123456789012345678901234567890");
    EXPECT_EQ(string("quoted"), "123");
    EXPECT_EQ(string("single"), "123");
    EXPECT_EQ(string("hex"), "0x10");
    EXPECT_EQ(string("version"), "1.0.0");
    EXPECT_EQ(string("yes"), "yes");
    EXPECT_EQ(string("tq"), "true");
    EXPECT_EQ(string("nq"), "null");
    EXPECT_EQ(string("emptyq"), "");
    EXPECT_EQ(string("tagged"), "42");
    EXPECT_EQ(string("block"), "123\n");
    EXPECT_TRUE(root.property("t")->booleanValue());
    EXPECT_FALSE(root.property("f")->booleanValue());
    EXPECT_TRUE(root.property("n")->isNull());
    EXPECT_TRUE(root.property("tilde")->isNull());
    EXPECT_TRUE(root.property("empty")->isNull());
}

TEST(YamlReader, KeysKeepTheirTextAndSourceOrder) {
    auto doc = readYamlString("zeta: 1\n200: ok\n'true': 2\nalpha: 3\n");
    const JV& root = *doc->root();
    std::vector<std::string_view> expected{"zeta", "200", "true", "alpha"};
    EXPECT_EQ(doc->propOrder(root), expected);
    EXPECT_EQ(root.property("200")->stringValue(), "ok");
    EXPECT_EQ(root.size(), 4u);
}

TEST(YamlReader, CollectionsCarryZeroBasedStartPositionsAndScalarsNone) {
    auto doc = readYamlString(
        "openapi: 3.1.0\n"
        "info:\n"
        "  title: x\n"
        "tags:\n"
        "  - name: a\n"
        "    flow: [1, {b: 2}]\n");
    const JV& root = *doc->root();
    EXPECT_EQ(root.pos, (Pos{0, 0}));
    EXPECT_EQ(root.property("info")->pos, (Pos{2, 2}));
    const JV& tags = *root.property("tags");
    EXPECT_EQ(tags.pos, (Pos{4, 2}));
    const JV& tag = *tags.at(0);
    EXPECT_EQ(tag.pos, (Pos{4, 4}));
    EXPECT_EQ(tag.property("flow")->pos, (Pos{5, 10}));
    EXPECT_EQ(tag.property("flow")->at(1)->pos, (Pos{5, 14}));
    EXPECT_FALSE(root.property("openapi")->pos.known());
    EXPECT_EQ(doc->findNode("/tags/0/flow/1/b"), tag.property("flow")->at(1)->property("b"));
}

TEST(YamlReader, AliasStandsForACopyOfItsAnchorWithoutShiftingLaterKeys) {
    auto doc = readYamlString(
        "base: &b {x: 1, y: [true]}\n"
        "copy: *b\n"
        "name: &n hello\n"
        "again: *n\n"
        "*n : keyed\n"
        "after: 2\n");
    const JV& root = *doc->root();
    EXPECT_TRUE(root.property("copy")->equal(*root.property("base")));
    EXPECT_NE(root.property("copy"), root.property("base"));
    EXPECT_EQ(root.property("again")->stringValue(), "hello");
    EXPECT_EQ(root.property("hello")->stringValue(), "keyed");
    EXPECT_EQ(root.property("after")->numberValue().string(0), "2");
    std::vector<std::string_view> order{"x", "y"};
    EXPECT_EQ(doc->propOrder(*root.property("copy")), order);
}

TEST(YamlReader, AliasesInsideAnchoredCollectionsAndAnchoredKeys) {
    auto doc = readYamlString(
        "a: &a {x: 1}\n"
        "b: &b [*a, {y: *a}]\n"
        "c: *b\n"
        "&k key: 1\n"
        "v: *k\n"
        "&n 12: x\n"
        "w: *n\n"
        "h: &h 1e9999999999999999999\n"
        "hh: *h\n");
    const JV& root = *doc->root();
    EXPECT_TRUE(root.property("c")->equal(*root.property("b")));
    EXPECT_TRUE(root.property("c")->at(1)->property("y")->equal(*root.property("a")));
    EXPECT_EQ(root.property("v")->stringValue(), "key");
    EXPECT_EQ(root.property("w")->numberValue().string(0), "12");
    // An exponent beyond the number parser's range keeps its text, in the original and in the copy.
    EXPECT_EQ(root.property("h")->stringValue(), "1e9999999999999999999");
    EXPECT_EQ(root.property("hh")->stringValue(), "1e9999999999999999999");
}

// Aliases used as keys inside an anchored mapping are recorded for later copies; the log that records them grows
// meanwhile (two mappings with one recorded scalar between them, so that it grows while a key is recorded in one
// of them), and each key must still read its own text.
TEST(YamlReader, AliasKeysInsideAnchoredMappingsAndTheirCopies) {
    std::string yaml;
    std::string aliasKeys;
    for (int i = 0; i < 64; ++i) {
        yaml += fmt::format("k{0}: &k{0} name{0}\n", i);
        aliasKeys += fmt::format("  *k{} : {}\n", i, i);
    }
    yaml += "m: &m\n" + aliasKeys + "between: &between x\nn: &n\n" + aliasKeys + "copyM: *m\ncopyN: *n\n";
    auto doc = readYamlString(yaml);
    const JV& root = *doc->root();
    ASSERT_EQ(root.property("m")->size(), 64u);
    ASSERT_EQ(root.property("n")->size(), 64u);
    EXPECT_EQ(root.property("m")->property("name63")->numberValue().string(0), "63");
    EXPECT_EQ(root.property("n")->property("name0")->numberValue().string(0), "0");
    EXPECT_EQ(root.property("n")->property("name63")->numberValue().string(0), "63");
    EXPECT_TRUE(root.property("copyM")->equal(*root.property("m")));
    EXPECT_TRUE(root.property("copyN")->equal(*root.property("n")));
}

TEST(YamlReader, RefusesUnknownAndSelfReferencingAliases) {
    EXPECT_EQ(failureOf("a: *nothing\n"), "1:4: Failed to parse YAML: unknown alias '*nothing'");
    EXPECT_EQ(failureOf("a: &x [1, *x]\n"), "1:11: Failed to parse YAML: unknown alias '*x'");
}

TEST(YamlReader, AliasExpansionIsCapped) {
    std::string bomb = "a0: &a0 [x, x, x, x, x, x, x, x, x, x]\n";
    for (int i = 1; i <= 8; ++i) {
        bomb += fmt::format("a{}: &a{} [", i, i);
        for (int j = 0; j < 10; ++j) bomb += fmt::format("{}*a{}", j == 0 ? "" : ", ", i - 1);
        bomb += "]\n";
    }
    EXPECT_EQ(failureOf(bomb), "6:45: Failed to parse YAML: aliases expand to more than 1000000 nodes");
}

TEST(YamlReader, NestingIsLimitedToOneThousandLevelsAliasesIncluded) {
    EXPECT_NO_THROW(readYamlString(nested(1000)));
    EXPECT_EQ(failureOf(nested(1001)), "1:1001: Failed to parse YAML: nesting deeper than 1000 levels");

    std::string deep = "a: &d " + nested(600) + "\nb: " + std::string(500, '[') + "*d" + std::string(500, ']');
    EXPECT_EQ(failureOf(deep), "2:504: Failed to parse YAML: nesting deeper than 1000 levels");
    std::string fits = "a: &d " + nested(400) + "\nb: " + std::string(500, '[') + "*d" + std::string(500, ']');
    EXPECT_NO_THROW(readYamlString(fits));
}

TEST(YamlReader, MalformedInputFailsWithPositionAndReason) {
    EXPECT_EQ(failureOf("a: [1, 2\n"),
              "2:1: Failed to parse YAML: did not find expected ',' or ']' (while parsing a flow sequence that starts "
              "at 1:4)");
    EXPECT_EQ(failureOf("a: b: c\n"), "1:5: Failed to parse YAML: mapping values are not allowed in this context");
    EXPECT_EQ(failureOf("info:\n  title: T\n\tversion: 1\n"),
              "3:1: Failed to parse YAML: found a tab character where indentation is expected");
    EXPECT_EQ(failureOf("? [1, 2]\n: x\n"), "1:3: Failed to parse YAML: a mapping key must be a scalar");
    EXPECT_EQ(failureOf("a: 1\n---\nb: 2\n"), "2:1: Failed to parse YAML: the stream holds more than one document");
}

TEST(YamlReader, InvalidUtf8IsNamedWithItsByteOffset) {
    EXPECT_EQ(failureOf("a: \"\xff\xfe\"\n"), "1:5: Failed to parse YAML: invalid UTF-8 at byte 4");
    EXPECT_EQ(failureOf("title: ok\nb: \xC3\x28\n"), "2:5: Failed to parse YAML: invalid UTF-8 at byte 14");
}

TEST(YamlReader, DuplicateKeysAreRefusedWhereTheSecondStands) {
    EXPECT_EQ(failureOf("info:\n  title: A\n  version: 1\n  title: B\n"),
              "4:3: Failed to parse YAML: duplicate key 'title'");
    // Quoting does not make a different key, nor does an alias standing for the same text.
    EXPECT_EQ(failureOf("'200': a\n\"200\": b\n"), "2:1: Failed to parse YAML: duplicate key '200'");
    EXPECT_EQ(failureOf("k: &n x\nx: 1\n*n : 2\n"), "3:1: Failed to parse YAML: duplicate key 'x'");
    // The first fault is the one reported, though the mapping never closes.
    EXPECT_EQ(failureOf("m:\n  a: 1\n  a: 2\n  b: [\n"), "3:3: Failed to parse YAML: duplicate key 'a'");
    // The same key in sibling and nested mappings is fine.
    auto doc = readYamlString("a: {k: 1}\nb: {k: 2, c: {k: 3}}\nk: 4\n");
    EXPECT_EQ(doc->findNode("/b/c/k")->numberValue().string(0), "3");
}

// Small mappings are searched and large ones indexed: a duplicate and a merge must behave alike in both.
TEST(YamlReader, DuplicateAndMergedKeysInLargeMappings) {
    std::string many;
    for (int i = 0; i < 40; ++i) many += fmt::format("  k{}: {}\n", i, i);
    EXPECT_EQ(failureOf("m:\n" + many + "  k3: again\n"), "42:3: Failed to parse YAML: duplicate key 'k3'");
    EXPECT_EQ(failureOf("m:\n" + many + "  k39: again\n"), "42:3: Failed to parse YAML: duplicate key 'k39'");
    auto doc = readYamlString("base: &b {k2: lent, k30: lent, extra: lent}\nm:\n" + many + "  <<: *b\n");
    EXPECT_EQ(doc->findNode("/m/k2")->numberValue().string(0), "2");
    EXPECT_EQ(doc->findNode("/m/k30")->numberValue().string(0), "30");
    EXPECT_EQ(doc->findNode("/m/extra")->stringValue(), "lent");
    EXPECT_EQ(doc->findNode("/m")->size(), 41u);
}

// A text in UTF-16 hides its merge keys from a search of its bytes for "<<"; they still merge.
TEST(YamlReader, MergeKeysOfUtf16Text) {
    std::string text = "\xff\xfe";
    for (char c : std::string_view("a: &x {k: 1}\nb: {<<: *x, j: 2}\n")) text += {c, '\0'};
    auto doc = readYamlString(text);
    EXPECT_EQ(doc->findNode("/b/k")->numberValue().string(0), "1");
    EXPECT_EQ(doc->findNode("/b")->size(), 2u);
}

std::string compactJson(std::string_view yaml) {
    auto doc = readYamlString(yaml);
    StreamWriteOptions options;
    options.indentSize = 0;
    std::string text;
    writeString(*doc, text, options);
    return text;
}

TEST(YamlReader, MergeKeysLendMissingKeysInTheMergePlace) {
    // A mapping's own keys win wherever they stand; lent keys take the place of "<<".
    EXPECT_EQ(compactJson("base: &b {type: object, title: Base, x: 1}\n"
                          "s:\n  title: Own\n  <<: *b\n  x: 2\n"),
              R"({"base":{"type":"object","title":"Base","x":1},"s":{"title":"Own","type":"object","x":2}})");
    // A list of mappings: the earlier one wins.
    EXPECT_EQ(compactJson("a: &a {k: a, only_a: 1}\nb: &b {k: b, only_b: 2}\nm:\n  <<: [*a, *b]\n"),
              R"({"a":{"k":"a","only_a":1},"b":{"k":"b","only_b":2},"m":{"k":"a","only_a":1,"only_b":2}})");
    // An inline mapping, and a merge inside an anchored mapping that is merged again.
    EXPECT_EQ(compactJson("m: {<<: {a: 1, b: 2}, b: 3}\n"), R"({"m":{"a":1,"b":3}})");
    EXPECT_EQ(compactJson("a: &a {x: 1, y: 1}\nb: &b {<<: *a, y: 2}\nc: {<<: *b, z: 3}\nd: *b\n"),
              R"({"a":{"x":1,"y":1},"b":{"x":1,"y":2},"c":{"x":1,"y":2,"z":3},"d":{"x":1,"y":2}})");
    // A merged value that is a collection is a copy of its own.
    auto doc = readYamlString("base: &b {properties: {id: {type: string}}}\nuser: {<<: *b, type: object}\n");
    EXPECT_EQ(doc->findNode("/user/properties/id/type")->stringValue(), "string");
    // A quoted "<<" is an ordinary key.
    EXPECT_EQ(compactJson("'<<': {a: 1}\n"), R"({"<<":{"a":1}})");
}

TEST(YamlReader, MergeKeysRefuseWhatIsNotAMapping) {
    EXPECT_EQ(failureOf("a: &a [1]\nb: {<<: *a}\n"),
              "2:9: Failed to parse YAML: a merge key takes a mapping or a list of mappings");
    EXPECT_EQ(failureOf("b:\n  <<: text\n"),
              "2:7: Failed to parse YAML: a merge key takes a mapping or a list of mappings");
    EXPECT_EQ(failureOf("a: &a {x: 1}\nb: {<<: [*a, 2]}\n"),
              "2:15: Failed to parse YAML: a merge key takes a mapping or a list of mappings");
    // Own keys still may not repeat around a merge.
    EXPECT_EQ(failureOf("a: &a {x: 1}\nb:\n  y: 1\n  <<: *a\n  y: 2\n"),
              "5:3: Failed to parse YAML: duplicate key 'y'");
    // Merges count against the alias limit like any other copy.
    std::string bomb = "a0: &a0 {k0: [x, x, x, x, x, x, x, x, x, x]}\n";
    for (int i = 1; i <= 8; ++i) {
        bomb += fmt::format("a{}: &a{} {{", i, i);
        for (int j = 0; j < 10; ++j) bomb += fmt::format("{}k{}: *a{}", j == 0 ? "" : ", ", j, i - 1);
        bomb += "}\n";
    }
    bomb += "z: {<<: *a8}\n";
    EXPECT_NE(failureOf(bomb).find("aliases expand to more than 1000000 nodes"), std::string::npos);
}

TEST(YamlReader, EmptyStreamAndTopLevelScalars) {
    EXPECT_TRUE(readYamlString("")->root()->isNull());
    EXPECT_TRUE(readYamlString("# only a comment\n")->root()->isNull());
    EXPECT_EQ(readYamlString("--- 42\n")->root()->numberValue().string(0), "42");
    EXPECT_EQ(readYamlString("\"x\"")->root()->stringValue(), "x");
}

TEST(YamlReader, ReadsStreams) {
    std::string big = "items:\n";
    for (int i = 0; i < 20000; ++i) big += fmt::format("  - id{}\n", i);
    std::istringstream in(big);
    auto doc = readYamlStream(in);
    EXPECT_EQ(doc->root()->property("items")->size(), 20000u);
    EXPECT_EQ(doc->root()->property("items")->at(19999)->stringValue(), "id19999");
}

}  // namespace
}  // namespace zephalon::jv
