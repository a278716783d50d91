#include "spell_checker.h"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <hunspell/hunspell.hxx>
#include <string>

#include "zephalon/openapi_lint/rule.h"

namespace zephalon {

namespace {

using openapi_lint::RuleConfigurationError;

void checkFile(const std::string& path, std::string_view kind) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status)) {
        throw RuleConfigurationError(fmt::format("{} file does not exist: {}", kind, path));
    }
    if (!std::filesystem::is_regular_file(status) || !std::ifstream(path).good()) {
        throw RuleConfigurationError(fmt::format("Invalid {} path", kind == "Dictionary" ? "dictionary" : "affix"));
    }
}

// A Hunspell word list starts with the number of its words; Hunspell itself would quietly load anything else as an
// empty dictionary, and every word would then be misspelled.
bool looksLikeWordList(const std::string& path) {
    std::ifstream in(path);
    std::string first;
    std::getline(in, first);
    // A UTF-8 byte order mark may precede the count.
    if (first.starts_with("\xEF\xBB\xBF")) first.erase(0, 3);
    while (!first.empty() && std::isspace(static_cast<unsigned char>(first.back()))) first.pop_back();
    std::size_t count = 0;
    const auto [end, status] = std::from_chars(first.data(), first.data() + first.size(), count);
    return status == std::errc() && end == first.data() + first.size();
}

bool isAsciiUpper(char c) { return c >= 'A' && c <= 'Z'; }
bool isAsciiLower(char c) { return c >= 'a' && c <= 'z'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
// Bytes of multi-byte UTF-8 sequences count as letters, so that "café" is one word.
bool isLetter(char c) { return isAsciiUpper(c) || isAsciiLower(c) || static_cast<unsigned char>(c) >= 0x80; }
bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

// The length of the UTF-8 sequence that starts at `i` (1 for a stray continuation byte).
std::size_t charLength(std::string_view text, std::size_t i) {
    const auto c = static_cast<unsigned char>(text[i]);
    const std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    return std::min(length, text.size() - i);
}

// The length of the word character at `i` (a letter, a digit or "_"; a multi-byte UTF-8 letter as a whole), or 0.
// The general punctuation of U+2000 to U+206F (typographic quotes, dashes, ellipses) is not part of words.
std::size_t wordCharLength(std::string_view text, std::size_t i) {
    if (i >= text.size()) return 0;
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) return isLetter(text[i]) || isDigit(text[i]) || text[i] == '_' ? 1 : 0;
    if (text.substr(i).starts_with("\xE2\x80") || text.substr(i).starts_with("\xE2\x81")) return 0;
    return charLength(text, i);
}

// The length of a character that joins two parts of one word ("don't", "don’t", "well-known", "e.g"), or 0.
std::size_t joinerLength(std::string_view text, std::size_t i) {
    if (i >= text.size()) return 0;
    if (text[i] == '\'' || text[i] == '-' || text[i] == '.') return 1;
    return text.substr(i).starts_with("\xE2\x80\x99") ? 3 : 0;
}

// The text with Markdown code spans blanked out: a run of backticks opens a span that the next run of the same
// length closes; a run without a partner is plain text.
std::string withoutCodeSpans(std::string_view text) {
    std::string result(text);
    std::size_t i = 0;
    while ((i = result.find('`', i)) != std::string::npos) {
        std::size_t run = result.find_first_not_of('`', i);
        if (run == std::string::npos) break;
        const std::size_t length = run - i;
        std::size_t close = run;
        while ((close = result.find('`', close)) != std::string::npos) {
            const std::size_t end = std::min(result.find_first_not_of('`', close), result.size());
            if (end - close == length) break;
            close = end;
        }
        if (close == std::string::npos) {
            i = run;
            continue;
        }
        std::fill(result.begin() + static_cast<std::ptrdiff_t>(i),
                  result.begin() + static_cast<std::ptrdiff_t>(close + length), ' ');
        i = close + length;
    }
    return result;
}

bool isUrlOrAddress(std::string_view token) {
    return token.find("://") != std::string_view::npos || token.find('@') != std::string_view::npos ||
           token.starts_with("www.") || token.starts_with("mailto:");
}

bool skipWord(std::string_view word) {
    if (word.size() < 2) return true;
    bool lower = false, upper = false, camel = false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        const char c = word[i];
        if (isDigit(c) || c == '_' || c == '.') return true;
        if (isAsciiUpper(c)) {
            upper = true;
            if (i > 0 && isAsciiLower(word[i - 1])) camel = true;
        }
        if (isAsciiLower(c)) lower = true;
    }
    if (camel) return true;
    // Capitals only, or capitals with a plural "s".
    if (upper && (!lower || (word.back() == 's' && word.size() > 2 &&
                             word.substr(0, word.size() - 1).find_first_of("abcdefghijklmnopqrstuvwxyz") ==
                                 std::string_view::npos))) {
        return true;
    }
    return false;
}

}  // namespace

SpellChecker::SpellChecker() = default;
SpellChecker::~SpellChecker() = default;

void SpellChecker::loadDictionaries(const std::string& dictionaryPath, const std::string& affixPath) {
    checkFile(dictionaryPath, "Dictionary");
    checkFile(affixPath, "Affix");
    if (!looksLikeWordList(dictionaryPath)) throw RuleConfigurationError("Failed to load dictionaries");
    hunspell_ = std::make_unique<Hunspell>(affixPath.c_str(), dictionaryPath.c_str());
}

bool SpellChecker::check(std::string_view word) const { return hunspell_ && hunspell_->spell(std::string(word)); }

std::vector<std::string> SpellChecker::suggest(std::string_view word) const {
    if (!hunspell_) return {};
    return hunspell_->suggest(std::string(word));
}

std::vector<std::string_view> spellCheckWords(std::string_view original) {
    // Code spans are blanked in a copy of the same length, so positions in it are positions in the original.
    const std::string text = withoutCodeSpans(original);
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < text.size()) {
        if (isSpace(text[i])) {
            ++i;
            continue;
        }
        std::size_t tokenEnd = i;
        while (tokenEnd < text.size() && !isSpace(text[tokenEnd])) ++tokenEnd;
        std::string_view token = std::string_view(text).substr(i, tokenEnd - i);
        // A Markdown link "[text](target)": the text is prose, the target is not.
        if (const std::size_t link = token.find("]("); link != std::string_view::npos) token = token.substr(0, link);
        const std::size_t tokenStart = i;
        i = tokenEnd;
        if (isUrlOrAddress(token)) continue;
        // Candidate words: runs of word characters, and "'", "’", "-" or "." between two of them.
        std::size_t j = 0;
        while (j < token.size()) {
            if (wordCharLength(token, j) == 0) {
                j += charLength(token, j);
                continue;
            }
            std::size_t end = j;
            while (true) {
                while (const std::size_t length = wordCharLength(token, end)) end += length;
                const std::size_t joiner = joinerLength(token, end);
                if (joiner == 0 || wordCharLength(token, end + joiner) == 0) break;
                end += joiner;
            }
            const std::string_view word = token.substr(j, end - j);
            if (!skipWord(word)) words.push_back(original.substr(tokenStart + j, end - j));
            j = end;
        }
    }
    return words;
}

}  // namespace zephalon
