#include "zephalon/foundation/regex.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace zephalon {
namespace {

TEST(Regex, SearchIsUnanchoredAndFullMatchCoversWholeSubject) {
    Regex re("b+c");
    EXPECT_TRUE(re.search("abbbcd"));
    EXPECT_FALSE(re.fullMatch("abbbcd"));
    EXPECT_TRUE(re.fullMatch("bbc"));
    EXPECT_FALSE(re.search("acb"));
    // An alternation must be anchored as a whole, not just its last branch.
    Regex alt("a|ab");
    EXPECT_TRUE(alt.fullMatch("ab"));
    EXPECT_FALSE(alt.fullMatch("abc"));
}

TEST(Regex, EmptyPatternAndEmptySubject) {
    Regex empty("");
    EXPECT_TRUE(empty.search(""));
    EXPECT_TRUE(empty.search("x"));
    EXPECT_TRUE(empty.fullMatch(""));
    EXPECT_FALSE(empty.fullMatch("x"));
    EXPECT_TRUE(empty.search(std::string_view()));
    Regex re("a*");
    EXPECT_TRUE(re.fullMatch(std::string_view()));
}

TEST(Regex, EcmaScriptFlavour) {
    // "$" only at the very end, never before a trailing newline.
    Regex dollar("abc$");
    EXPECT_TRUE(dollar.search("abc"));
    EXPECT_FALSE(dollar.search("abc\n"));
    // \uXXXX escapes.
    Regex escape("^\\u00e9$");
    EXPECT_TRUE(escape.search("\xc3\xa9"));
    // "[]" is a class that matches nothing rather than a syntax error.
    Regex emptyClass("a[]");
    EXPECT_FALSE(emptyClass.search("a"));
    // \d and \w stay ASCII.
    Regex digits("^\\d+$");
    EXPECT_TRUE(digits.search("0123"));
    EXPECT_FALSE(digits.search("\xd9\xa3"));  // ARABIC-INDIC DIGIT THREE
    Regex word("^\\w$");
    EXPECT_FALSE(word.search("\xc3\xa9"));
    // "." matches a whole code point, not a byte.
    Regex dot("^.$");
    EXPECT_TRUE(dot.search("\xe2\x82\xac"));
}

TEST(Regex, CaseInsensitive) {
    Regex re("^hello$", true);
    EXPECT_TRUE(re.search("HeLLo"));
    EXPECT_TRUE(re.caseInsensitive());
    EXPECT_FALSE(Regex("^hello$").search("HeLLo"));
}

// A pattern of "^" and plain characters is searched by comparing the subject's start; it must answer as any other.
TEST(Regex, PlainPrefixPatternsAnswerAsOthers) {
    Regex extension("^x-");
    EXPECT_TRUE(extension.search("x-rate-limit"));
    EXPECT_TRUE(extension.search("x-"));
    EXPECT_FALSE(extension.search("ax-"));
    EXPECT_FALSE(extension.search("X-a"));
    EXPECT_FALSE(extension.search("x"));
    EXPECT_FALSE(extension.search("x-\xff"));
    EXPECT_TRUE(extension.fullMatch("x-"));
    EXPECT_FALSE(extension.fullMatch("x-a"));
    EXPECT_TRUE(Regex("^x-", true).search("X-a"));
    EXPECT_TRUE(Regex("^/pets").search("/pets/{id}"));
    EXPECT_TRUE(Regex("^x\\-\\.").search("x-.a"));
    EXPECT_FALSE(Regex("^x\\-\\.").search("x-a"));
    // Characters special to the engine keep their meaning.
    EXPECT_TRUE(Regex("^a.c").search("abc"));
    EXPECT_TRUE(Regex("^ab?").search("a"));
    Regex moved(std::move(extension));
    EXPECT_TRUE(moved.search("x-a"));
}

TEST(Regex, InvalidPatternsThrowWithPatternAndOffset) {
    for (const char* pattern : {"(abc", "a{2,1}", "[z-a]", "*x", "\\", "(?<n>a)(?<n>b)", "a\\C"}) {
        try {
            Regex re(pattern);
            ADD_FAILURE() << "compiled: " << pattern;
        } catch (const RegexError& e) {
            std::string message = e.what();
            EXPECT_NE(message.find(pattern), std::string::npos) << message;
            EXPECT_NE(message.find("at offset"), std::string::npos) << message;
        }
    }
    // A pattern that is itself not UTF-8 is rejected, not misread.
    EXPECT_THROW(Regex("a\xff"), RegexError);
}

TEST(Regex, InvalidUtf8SubjectNeverMatches) {
    const std::vector<std::string> subjects = {
        "\xff",    "abc\xc3", "\xc3\x28", "\xed\xa0\x80" /* surrogate */, "\xf4\x90\x80\x80" /* > U+10FFFF */,
        "\xc0\xaf" /* overlong */};
    Regex any("");
    Regex dotStar(".*");
    for (const auto& s : subjects) {
        EXPECT_EQ(any.searchOutcome(s), Regex::Outcome::NoMatch);
        EXPECT_FALSE(dotStar.fullMatch(s));
        EXPECT_EQ(dotStar.replaceAll(s, "x"), s);
    }
}

TEST(Regex, CatastrophicBacktrackingOnOneMegabyteEndsPromptly) {
    std::string subject(1 << 20, 'a');
    subject.back() = 'b';
    const auto start = std::chrono::steady_clock::now();
    Regex nested("(a+)+$");
    Regex::Outcome outcome = nested.searchOutcome(subject);
    EXPECT_NE(outcome, Regex::Outcome::Match);
    EXPECT_FALSE(nested.search(subject));
    EXPECT_FALSE(nested.fullMatch(subject));
    Regex alternation("^(a|aa)+$");
    EXPECT_NE(alternation.searchOutcome(subject), Regex::Outcome::Match);
    Regex backref("^(a*)*\\1b?c$");
    EXPECT_NE(backref.searchOutcome(subject), Regex::Outcome::Match);
    EXPECT_EQ(nested.replaceAll(subject, "x"), subject);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_LT(std::chrono::duration_cast<std::chrono::seconds>(elapsed).count(), 20);
}

TEST(Regex, LongSubjectsStillMatchWhenThePatternIsBenign) {
    std::string subject(1 << 20, 'x');
    subject += "needle";
    EXPECT_TRUE(Regex("needle$").search(subject));
    EXPECT_TRUE(Regex("^x+needle$").fullMatch(subject));
    EXPECT_EQ(Regex("^[a-z]*$").searchOutcome(subject), Regex::Outcome::Match);
    // A deep repetition of a group must not crash the JIT or the interpreter.
    std::string ab;
    for (int i = 0; i < 200000; ++i) {
        ab += "ab";
    }
    Regex::Outcome outcome = Regex("^(ab|cd)*$").searchOutcome(ab);
    EXPECT_NE(outcome, Regex::Outcome::NoMatch);
    EXPECT_NE(Regex("^(ab|cd)*$").fullMatchOutcome(ab), Regex::Outcome::NoMatch);
}

TEST(Regex, ReplaceAll) {
    EXPECT_EQ(Regex("o").replaceAll("foo boo", "0"), "f00 b00");
    EXPECT_EQ(Regex("(\\w+)@(\\w+)").replaceAll("a@b c@d", "$2@$1"), "b@a d@c");
    EXPECT_EQ(Regex("(?<word>x)").replaceAll("axb", "[${word}]"), "a[x]b");
    EXPECT_EQ(Regex("x").replaceAll("x", "$$"), "$");
    // An unset group becomes empty instead of an error.
    EXPECT_EQ(Regex("(a)|b").replaceAll("ab", "<$1>"), "<a><>");
    // Empty matches advance and keep multi-byte characters whole.
    EXPECT_EQ(Regex("").replaceAll("\xc3\xa9z", "-"), "-\xc3\xa9-z-");
    EXPECT_EQ(Regex("q").replaceAll("none here", "x"), "none here");
    // Output longer than the first buffer guess.
    std::string many(1000, 'a');
    EXPECT_EQ(Regex("a").replaceAll(many, "bbbbbbbb"), std::string(8000, 'b'));
    EXPECT_THROW(Regex("a").replaceAll("a", "${"), RegexError);
    EXPECT_THROW(Regex("a").replaceAll("a", "$9"), RegexError);
    EXPECT_THROW(Regex("a").replaceAll("a", "\xff"), RegexError);
}

TEST(Regex, MoveTransfersTheCompiledPattern) {
    Regex a("^a$");
    Regex b(std::move(a));
    EXPECT_TRUE(b.search("a"));
    EXPECT_EQ(b.pattern(), "^a$");
    Regex c("^c$");
    c = std::move(b);
    EXPECT_TRUE(c.search("a"));
    EXPECT_FALSE(c.search("c"));
    std::vector<Regex> list;
    for (int i = 0; i < 20; ++i) {
        list.emplace_back(std::to_string(i));
    }
    EXPECT_TRUE(list[17].fullMatch("17"));
}

TEST(Regex, SharedBetweenThreads) {
    // Scratch space is per thread and the anchored form is made once under a race.
    const Regex re("^[a-z]+-[0-9]+$");
    std::vector<int> correct(4, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&re, &correct, t] {
            for (int i = 0; i < 500; ++i) {
                const std::string good = "item-" + std::to_string(i);
                const std::string bad = "Item-" + std::to_string(i);
                if (re.fullMatch(good) && !re.fullMatch(bad) && re.search(good) && !re.search(bad)) {
                    ++correct[t];
                }
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(correct, std::vector<int>(4, 500));
}

}  // namespace
}  // namespace zephalon
