#include "zephalon/openapi_i18n/translator.h"

#include <functional>
#include <stdexcept>

namespace zephalon::openapi_i18n {

std::size_t Translator::EntryKeyHash::operator()(const EntryKey& k) const {
    const std::size_t h = std::hash<std::string>{}(k.locale);
    return h ^ (std::hash<std::string>{}(k.key) + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2));
}

void Translator::addTranslations(std::string_view locale, const jv::JV& data) {
    if (!data.isObject()) throw std::runtime_error("Invalid locale data");
    for (const auto& [key, value] : data.properties()) {
        if (!value->isString()) continue;
        entries_.insert_or_assign(EntryKey{std::string(locale), std::string(key)}, std::string(value->stringValue()));
    }
    locales_.emplace(locale);
}

bool Translator::hasLocale(std::string_view locale) const { return locales_.find(locale) != locales_.end(); }

const std::string* Translator::find(std::string_view locale, std::string_view key) const {
    auto it = entries_.find(EntryKey{std::string(locale), std::string(key)});
    return it == entries_.end() ? nullptr : &it->second;
}

bool Translator::hasTranslation(std::string_view locale, std::string_view key) const {
    return find(locale, key) != nullptr;
}

std::optional<std::string> Translator::translate(std::string_view locale, std::string_view key) const {
    if (const std::string* text = find(locale, key)) return *text;
    return std::nullopt;
}

}  // namespace zephalon::openapi_i18n
