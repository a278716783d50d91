#pragma once

// Translations of the texts of one document into several locales. Each locale comes from an extraction file that
// a translator filled in: a JSON object from the JSON Pointer of a text in the source document to its translation.

#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>

#include "zephalon/jv/jv.h"

namespace zephalon::openapi_i18n {

class Translator {
  public:
    // Records every string member of `data` under (locale, member key); members of other kinds are skipped, so a
    // half-finished file still serves the texts it has. A later call replaces the entries it repeats. Throws
    // std::runtime_error "Invalid locale data" when `data` is not an object, recording nothing.
    void addTranslations(std::string_view locale, const jv::JV& data);

    // Whether addTranslations was called for the locale (even with an empty object).
    bool hasLocale(std::string_view locale) const;
    bool hasTranslation(std::string_view locale, std::string_view key) const;
    // The translated text; nothing when the locale has no entry for the key. Locales never fall back on each other.
    std::optional<std::string> translate(std::string_view locale, std::string_view key) const;

    // The number of (locale, key) entries.
    std::size_t size() const { return entries_.size(); }

  private:
    struct EntryKey {
        std::string locale;
        std::string key;
        bool operator==(const EntryKey&) const = default;
    };
    struct EntryKeyHash {
        std::size_t operator()(const EntryKey& k) const;
    };

    const std::string* find(std::string_view locale, std::string_view key) const;

    std::unordered_map<EntryKey, std::string, EntryKeyHash> entries_;
    std::set<std::string, std::less<>> locales_;
};

}  // namespace zephalon::openapi_i18n
