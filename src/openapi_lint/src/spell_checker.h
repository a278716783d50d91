#pragma once

// Dictionary look-ups for the spell-check rule, over Hunspell dictionaries (an affix file and a word list).

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class Hunspell;

namespace zephalon {

class SpellChecker {
  public:
    SpellChecker();
    ~SpellChecker();
    SpellChecker(const SpellChecker&) = delete;
    SpellChecker& operator=(const SpellChecker&) = delete;

    // Loads the dictionary (".dic") and affix (".aff") files, replacing any loaded before. Throws
    // openapi_lint::RuleConfigurationError naming the file that is missing or unusable; the checker is then unchanged.
    void loadDictionaries(const std::string& dictionaryPath, const std::string& affixPath);
    bool loaded() const { return hunspell_ != nullptr; }

    // Whether the dictionaries know the word (false before loading).
    bool check(std::string_view word) const;
    // Spellings the dictionaries suggest for the word.
    std::vector<std::string> suggest(std::string_view word) const;

  private:
    std::unique_ptr<Hunspell> hunspell_;
};

// The words of a free text that a dictionary should know, in order, as spans of the text. Words are runs of letters
// with inner apostrophes or hyphens. Left out: Markdown code spans, URLs, e-mail addresses, words with digits, words
// in capitals only (acronyms, with a plural "s": "APIs"), identifiers (camelCase, snake_case, dotted names such as
// "config.yaml") and single letters.
std::vector<std::string_view> spellCheckWords(std::string_view text);

}  // namespace zephalon
