#include "html_entities.h"

#include <nlohmann/json.hpp>
#include <string>
#include <unordered_map>

#include "embedded_html_entities.h"

namespace zephalon {

namespace {

using EntityMap = std::unordered_map<std::string, std::string>;

// Built on first use: most runs of the program never render Markdown.
EntityMap loadEntities() {
    const auto texts = embedded_html_entities::embeddedTexts();
    const auto json = nlohmann::json::parse(texts.front().text);
    EntityMap entities;
    entities.reserve(json.size());
    for (const auto& [name, characters] : json.items()) {
        entities.emplace(name, characters.get<std::string>());
    }
    return entities;
}

}  // namespace

std::optional<std::string_view> findHtmlEntity(std::string_view name) {
    static const EntityMap entities = loadEntities();
    const auto found = entities.find(std::string(name));
    if (found == entities.end()) {
        return std::nullopt;
    }
    return std::string_view(found->second);
}

}  // namespace zephalon
