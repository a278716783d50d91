#include "zephalon/openapi_generator/action_naming.h"

#include <fmt/format.h>

#include <algorithm>
#include <stdexcept>

#include "zephalon/foundation/assertions.h"
#include "zephalon/jv/jv.h"
#include "zephalon/openapi/enums.h"
#include "zephalon/openapi_generator/extensions.h"
#include "zephalon/openapi_generator/generator.h"

namespace zephalon::openapi_generator {

std::string_view actionNameSourceToString(ActionNameSource source) {
    switch (source) {
        case ActionNameSource::id:
            return "id";
        case ActionNameSource::extension:
            return "extension";
        case ActionNameSource::url:
            return "url";
    }
    ZEPHALON_UNREACHABLE();
}

ActionNameSource actionNameSourceFromString(std::string_view text) {
    for (auto source : {ActionNameSource::id, ActionNameSource::extension, ActionNameSource::url}) {
        if (actionNameSourceToString(source) == text) return source;
    }
    throw std::runtime_error(fmt::format("Invalid name source: '{}'", text));
}

std::optional<std::string> actionNameFromId(const OperationInfo& info) { return info.operation->operationId(); }

std::optional<std::string> actionNameFromExtension(const OperationInfo& info) {
    return extensions::actionName(info.operation);
}

std::optional<std::string> actionNameFromUrl(const OperationInfo& info) {
    return fmt::format("{}_{}", openapi::operationMethodToString(info.method), info.path);
}

void ActionNamer::addSource(ActionNameSource source) {
    if (std::find(sources_.begin(), sources_.end(), source) != sources_.end()) {
        throw std::runtime_error("Element already exists");
    }
    sources_.push_back(source);
}

void ActionNamer::setSource(ActionNameSource source) { sources_.assign(1, source); }

void ActionNamer::removeSource(ActionNameSource source) { std::erase(sources_, source); }

void ActionNamer::removeSourceAt(std::size_t index) {
    if (index >= sources_.size()) {
        throw std::out_of_range(fmt::format("No name source at index {} (there are {})", index, sources_.size()));
    }
    sources_.erase(sources_.begin() + static_cast<std::ptrdiff_t>(index));
}

void ActionNamer::fromJV(const jv::JV* value) {
    static constexpr std::string_view kShape = "Name sources must be a string or an array thereof";
    if (value != nullptr && value->isString()) {
        setSource(actionNameSourceFromString(value->stringValue()));
        return;
    }
    if (value == nullptr || !value->isArray()) throw ConfigError(std::string(kShape));
    // Checked whole before anything changes, so a bad list leaves the namer as it was.
    std::vector<ActionNameSource> added;
    for (const jv::JV* item : value->items()) {
        if (!item->isString()) throw ConfigError(std::string(kShape));
        added.push_back(actionNameSourceFromString(item->stringValue()));
    }
    ActionNamer checked = *this;
    for (auto source : added) checked.addSource(source);
    sources_ = std::move(checked.sources_);
}

std::optional<std::string> ActionNamer::operator()(const OperationInfo& info) const {
    for (auto source : sources_) {
        std::optional<std::string> name;
        switch (source) {
            case ActionNameSource::id:
                name = actionNameFromId(info);
                break;
            case ActionNameSource::extension:
                name = actionNameFromExtension(info);
                break;
            case ActionNameSource::url:
                name = actionNameFromUrl(info);
                break;
        }
        if (name) return name;
    }
    return std::nullopt;
}

}  // namespace zephalon::openapi_generator
