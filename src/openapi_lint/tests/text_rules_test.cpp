#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "lint_test_util.h"
#include "rule_test_util.h"
#include "rules/rules.h"
#include "spell_checker.h"

namespace zephalon::openapi_lint {
namespace {

using ::testing::ElementsAre;
using testing::findings;
using ::testing::IsEmpty;
using testing::optionError;

constexpr const char* kDictionary = "/usr/share/hunspell/en_US.dic";
constexpr const char* kAffix = "/usr/share/hunspell/en_US.aff";

const char* dictionaries() {
    static const std::string options = fmt::format(R"({{"dictionary": "{}", "affix": "{}"}})", kDictionary, kAffix);
    return options.c_str();
}

std::vector<std::string> words(std::string_view text) {
    std::vector<std::string> result;
    for (std::string_view word : spellCheckWords(text)) result.emplace_back(word);
    return result;
}

TEST(SpellCheckWordsTest, SplitsProseAndLeavesCodeAndNamesAlone) {
    EXPECT_THAT(words("The pet-store API's users don't wait."),
                ElementsAre("The", "pet-store", "users", "don't", "wait"));
    EXPECT_THAT(words("Call `getUser(id)` or ``a ` b`` with user_id, userId, OpenAPI, HTTP and APIs."),
                ElementsAre("Call", "or", "with", "and"));
    EXPECT_THAT(words("See https://example.com/docs, www.example.org and mail ops@example.com now"),
                ElementsAre("See", "and", "mail", "now"));
    EXPECT_THAT(words("Read [the guide](https://example.com/Guid) in config.yaml, v2 or 3rd x."),
                ElementsAre("Read", "the", "guide", "in", "or"));
    EXPECT_THAT(words("A \xE2\x80\x9C"
                      "caf\xC3\xA9"
                      "\xE2\x80\x9D isn\xE2\x80\x99t open"),
                ElementsAre("caf\xC3\xA9", "isn\xE2\x80\x99t", "open"));
    // An unclosed code span is plain text.
    EXPECT_THAT(words("one ` two"), ElementsAre("one", "two"));
}

class SpellCheckTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!std::filesystem::exists(kDictionary) || !std::filesystem::exists(kAffix)) {
            GTEST_SKIP() << "the en_US dictionary (hunspell-en-us) is not installed";
        }
    }
};

TEST_F(SpellCheckTest, ReportsTheMisspelledWordsOfEachText) {
    const std::string yaml = R"(openapi: 3.1.0
info:
  title: Teh Bookshop API
  summary: Recieve orders and ship them to every adress, every adress.
  description: |
    Manage the `ordrs` of a shop at https://shop.example.com/ordrs with the OpenAPI tools.
  version: '1'
servers:
  - url: https://{region}.example.com
    description: The production servr
    variables:
      region: {default: eu, description: 'Where the data lives, EU or US'}
  - url: https://test.example.com
    description: Teh test server
    x-lint-disable: [spell-check]
paths: {}
)";
    EXPECT_THAT(findings("spell-check", yaml, dictionaries()),
                ElementsAre("Misspelled title: Teh @ /info", "Misspelled summary: Recieve, adress @ /info",
                            "Misspelled description: servr @ /servers/0"));
    // Without dictionaries the rule has nothing to look words up in.
    EXPECT_THAT(findings("spell-check", yaml), IsEmpty());
}

TEST_F(SpellCheckTest, RefusesMissingOrUnusableDictionaries) {
    testing::TempDir dir;
    const std::string notAWordList = dir.write("words.dic", "hello\nworld\n");
    const std::string prefix = "Rule 'spell-check': ";
    EXPECT_EQ(optionError("spell-check", "null"), prefix + "Options cannot be null");
    EXPECT_EQ(optionError("spell-check", R"("en_US")"), prefix + "Options must be an object");
    EXPECT_EQ(optionError("spell-check", fmt::format(R"({{"affix": "{}"}})", kAffix).c_str()),
              prefix + "Dictionary path cannot be empty");
    EXPECT_EQ(optionError("spell-check", fmt::format(R"({{"dictionary": "{}", "affix": ""}})", kDictionary).c_str()),
              prefix + "Affix path cannot be empty");
    EXPECT_EQ(
        optionError(
            "spell-check",
            fmt::format(R"({{"dictionary": "{}/none.dic", "affix": "{}"}})", dir.path().string(), kAffix).c_str()),
        prefix + "Dictionary file does not exist: " + dir.file("none.dic"));
    EXPECT_EQ(
        optionError(
            "spell-check",
            fmt::format(R"({{"dictionary": "{}", "affix": "{}/none.aff"}})", kDictionary, dir.path().string()).c_str()),
        prefix + "Affix file does not exist: " + dir.file("none.aff"));
    EXPECT_EQ(optionError("spell-check",
                          fmt::format(R"({{"dictionary": "{}", "affix": "{}"}})", dir.path().string(), kAffix).c_str()),
              prefix + "Invalid dictionary path");
    EXPECT_EQ(optionError("spell-check",
                          fmt::format(R"({{"dictionary": "{}", "affix": "{}"}})", notAWordList, kAffix).c_str()),
              prefix + "Failed to load dictionaries");
}

TEST(SafeMarkdownTest, FindsScriptsAndEvalInAnyLetterCase) {
    EXPECT_EQ(unsafeMarkdown("Use <script src=x></script>"), "Markdown contains <script> tag");
    EXPECT_EQ(unsafeMarkdown("<SCRIPT>alert(1)</SCRIPT>"), "Markdown contains <script> tag");
    EXPECT_EQ(unsafeMarkdown("<ScRiPt type=module>go()</sCrIpT>"), "Markdown contains <script> tag");
    EXPECT_EQ(unsafeMarkdown("an unclosed <script> tag"), "");
    EXPECT_EQ(unsafeMarkdown("<script but never closed </script>"), "");
    EXPECT_EQ(unsafeMarkdown("eval (x)"), "Markdown contains eval() function");
    EXPECT_EQ(unsafeMarkdown("EVAL\n\t(x)"), "Markdown contains eval() function");
    EXPECT_EQ(unsafeMarkdown("We evaluate(x) first, then Eval(y)"), "Markdown contains eval() function");
    EXPECT_EQ(unsafeMarkdown("evaluate(x)"), "");
    EXPECT_EQ(unsafeMarkdown("eval( without a close"), "");
    EXPECT_EQ(unsafeMarkdown("Plain text (with parentheses) and <b>markup</b>."), "");
}

TEST(SafeMarkdownTest, ChecksTheDescriptionOfEveryKindOfNode) {
    const std::string yaml = R"(openapi: 3.1.0
info: {title: t, version: '1', description: '<Script>steal()</Script>'}
servers:
  - url: https://example.com
    description: eval(document.cookie)
tags:
  - {name: a, description: 'EVAL (1)'}
  - {name: b, description: 'eval(1)', x-lint-disable: [safe-markdown]}
paths:
  /a:
    description: '<script>x</script>'
    get:
      description: Safe text.
      parameters:
        - {name: q, in: query, description: 'eval(q)'}
      responses:
        '200': {description: '<script>y</script>'}
components:
  schemas:
    S: {type: string, description: 'eval (s)'}
  securitySchemes:
    key: {type: apiKey, name: k, in: header, description: '<SCRIPT>z</SCRIPT>'}
)";
    EXPECT_THAT(findings("safe-markdown", yaml),
                ElementsAre("Markdown contains <script> tag @ /info", "Markdown contains eval() function @ /servers/0",
                            "Markdown contains <script> tag @ /paths/~1a",
                            "Markdown contains eval() function @ /paths/~1a/get/parameters/0",
                            "Markdown contains <script> tag @ /paths/~1a/get/responses/200",
                            "Markdown contains eval() function @ /components/schemas/S",
                            "Markdown contains <script> tag @ /components/securitySchemes/key",
                            "Markdown contains eval() function @ /tags/0"));
}

}  // namespace
}  // namespace zephalon::openapi_lint
