// The block scanner against libyaml: what the scanner reads, it reads as libyaml does (values, kinds, positions, key
// order); what it gives up on, the reader still reads as libyaml does, faults and their words included.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tree_difference.h"
#include "yaml_read_paths.h"
#include "zephalon/jv/yaml_reader.h"

namespace zephalon::jv {
namespace {

// The tree, or the error text, that a read gives.
std::string outcome(std::unique_ptr<JVDoc> (*read)(std::string_view), std::string_view text,
                    std::unique_ptr<JVDoc>& doc) {
    try {
        doc = read(text);
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "";
}

void expectScannedAsLibyamlReads(std::string_view text) {
    SCOPED_TRACE(std::string(text));
    std::unique_ptr<JVDoc> scanned = detail::readYamlByBlockScanner(text);
    ASSERT_NE(scanned, nullptr) << "the block scanner gave up";
    std::unique_ptr<JVDoc> parsed = detail::readYamlByLibyaml(text);
    EXPECT_EQ(testing::treeDifference(*scanned, *parsed), "");
}

TEST(YamlBlockScanner, ReadsBlockLayoutAsLibyamlDoes) {
    expectScannedAsLibyamlReads(
        "# a comment before the document\n"
        "\n"
        "---   # and one after its marker\n"
        "openapi: 3.1.0\n"
        "info:\n"
        "  title:   Spaced   words   \n"
        "  version: '1.0'   # a comment after a value\n"
        "  x-single: 'it''s'\n"
        "  x-double: \"tab\\there \\u00e9 \\x41 \\U0001F600 \\\" \\\\ \\/ \\N \\_ \\L \\P \\0 \\a \\b \\e \\v \\f \\r \\ \"\n"
        "  x-empty:\n"
        "  x-empty-with-comment: # nothing\n"
        "  x-null: ~\n"
        "  x-number: -12.5e3\n"
        "  x-colon: a:b\n"
        "  x-hash: a#b\n"
        "  x-url: http://example.com/a?b=c#part\n"
        "  \"double key\": 1\n"
        "  'single key'  : 2\n"
        "  -dash: 3\n"
        "  ?question: 4\n"
        "  :colon: 5\n"
        "  x-unicode: h\xC3\xA9llo w\xC3\xB6rld \xE2\x9C\x93\n"
        "  \xC3\xBCnicode-key: [x]\n"
        "paths:\n"
        "    # a comment at another indentation\n"
        "  /a:\n"
        "    get:\n"
        "      tags:\n"
        "      - one\n"
        "      -   two\n"
        "      - - nested\n"
        "        - sequence\n"
        "      - key: value\n"
        "        other: 2\n"
        "      -\n"
        "        late: entry\n"
        "      -\n"
        "      - [a, 'b', \"c\", [d, {e: f}], {}, [], url:x]\n"
        "      - {g: h, i: [j], 'k': \"l\", m:n: o ,  p :  q}\n"
        "      parameters:\n"
        "        - name: indented sequence\n"
        "          in: query\n"
        "    x-flow: {a: b}   # comment\n"
        "    x-after: null\n"
        "merged:\n"
        "  <<:\n"
        "    a: 1\n"
        "    b: 2\n"
        "  b: 3\n"
        "last:\n"
        "- x\n");
}

TEST(YamlBlockScanner, ReadsBlockScalarsAsLibyamlDoes) {
    expectScannedAsLibyamlReads(
        "clip: |\n"
        "  line one\n"
        "    more indented\n"
        "\n"
        "  after an empty line\n"
        "  # not a comment\n"
        "strip: |-\n"
        "  text\n"
        "\n"
        "\n"
        "keep: |+\n"
        "  kept\n"
        "\n"
        "spaces: |\n"
        "  a\n"
        "     \n"
        "  b\n"
        "leading: |   # a comment\n"
        "\n"
        "   \n"
        "    deep\n"
        "less: |\n"
        "    four\n"
        "  # a comment that ends the block\n"
        "in-sequence:\n"
        "- |\n"
        "  entry\n"
        "- |-\n"
        "  entry\n"
        "empty: |\n"
        "next: 1\n"
        "end: |\n"
        "  no line break at the end");
    expectScannedAsLibyamlReads(
        "folded: >\n"
        "  one\n"
        "  two\n"
        "\n"
        "  three\n"
        "    more indented\n"
        "  back\n"
        "   spaced\n"
        "  end\n"
        "folded-strip: >-\n"
        "  a\n"
        "  b\n"
        "\n"
        "folded-keep: >+\n"
        "  a\n"
        "\n"
        "plain: first line\n"
        "  second   line   \n"
        "\n"
        "   \n"
        "     after empty lines - and [brackets] & *stars* !\n"
        "  # a comment ends it\n"
        "own-line:\n"
        "  on its own line\n"
        "  and the next # with a comment\n"
        "sequence:\n"
        "- item\n"
        "  continued\n"
        "- key: value\n"
        "    continued\n"
        "single: 'first   \n"
        "    second ''quoted''\n"
        "\n"
        "    after an empty line'\n"
        "double: \"first  \\t\n"
        "  second\\\n"
        "  joined\\\n"
        "\n"
        "  after an escaped break \\\n"
        "    \\ spaced\"\n");
    expectScannedAsLibyamlReads("- |+\n  kept\n\n\n");
    expectScannedAsLibyamlReads("|\n text at the root\n");
}

TEST(YamlBlockScanner, ReadsSmallDocumentsAsLibyamlDoes) {
    for (std::string_view text :
         {"", "# only a comment\n", "---\n", "--- # comment\n# more\n", "plain root\n", "'quoted root'", "[]",
          "{a: [b, {c: d}]}\n", "- a\n- b\n", "- name: a\n  tags:\n  - x\n  - y\n- name: b\n", "a:\n- b\nc: d\n",
          "  indented: root\n  other: key\n", "a: 1\n\n\n", "key: \"\"\n", "a: b #c\n", "'a': 'b'\n",
          "\"x\": \"\\u0041\"\n"}) {
        expectScannedAsLibyamlReads(text);
    }
}

TEST(YamlBlockScanner, ReadsEveryTestDocumentAsLibyamlDoes) {
    std::size_t documents = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(ZEPHALON_TESTDATA_DIR)) {
        if (entry.path().extension() != ".yaml") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        expectScannedAsLibyamlReads(text.str());
        ++documents;
    }
    EXPECT_GT(documents, 20u);
}

TEST(YamlBlockScanner, LeavesOtherTextsToLibyaml) {
    for (std::string_view text : {
             // What the scanner does not read.
             "a: &x 1\nb: *x\n",
             "a: !!str 1\n",
             "a: |2\n   explicit indentation\n",
             "plain root\nover lines\n",
             "a: 'two\nlines, the second at column 0'\n",
             "'a\n  b': c\n",
             "a: [b,\n  c]\n",
             "a: 1\r\nb: 2\r\n",
             "a:\t1\n",
             "? complex\n: key\n",
             "%YAML 1.1\n---\na: 1\n",
             "--- a\n",
             "a: 1\n...\n",
             "a: 1\n---\nb: 2\n",
             "\xEF\xBB\xBF" "a: 1\n",
             "a: \xC2\x85\n",
             // Faults, which libyaml describes.
             "a: b: c\n",
             "a:\n  b: 1\n c: 2\n",
             "- a\nb: c\n",
             "a: [b\n",
             "a: 'b\n",
             "a: \"\\q\"\n",
             "a: \"\\'\"\n",
             "a: b\n  c: d\n",
             "a: \"\\uD800\"\n",
             "[a:]\n",
             "{a:b}\n",
             "a: \xFF\n",
             "a: \xF8\x90\x80\x80\n",
             "a: \x01\n",
             "a: 1\na: 2\n",
             "@a: 1\n",
             "a: 1\n  # fine\n b\n",
         }) {
        SCOPED_TRACE(std::string(text));
        std::unique_ptr<JVDoc> scanned;
        std::string scannedOutcome = outcome(&detail::readYamlByBlockScanner, text, scanned);
        EXPECT_TRUE(scanned == nullptr || !scannedOutcome.empty()) << "the block scanner read it";
        std::unique_ptr<JVDoc> read;
        std::unique_ptr<JVDoc> parsed;
        std::string readOutcome = outcome(&readYamlString, text, read);
        EXPECT_EQ(readOutcome, outcome(&detail::readYamlByLibyaml, text, parsed));
        if (read != nullptr && parsed != nullptr) {
            EXPECT_EQ(testing::treeDifference(*read, *parsed), "");
        }
    }
}

}  // namespace
}  // namespace zephalon::jv
