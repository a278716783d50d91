#include "parameter_diff.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "containers.h"
#include "content_diff.h"
#include "example_diff.h"

namespace zephalon::openapi_diff {

using openapi::CookieParameter;
using openapi::HeaderParameter;
using openapi::Parameter;
using openapi::PathParameter;
using openapi::QueryParameter;

namespace {

template <class Owner>
void compareParameters(const NodeDiff* parent, Context& context, ConfigKey key, const Owner* source,
                       const Owner* dest) {
    std::vector<const Parameter*> before = resolvedList<Parameter>(source != nullptr ? &source->parameters() : nullptr);
    std::vector<const Parameter*> after = resolvedList<Parameter>(dest != nullptr ? &dest->parameters() : nullptr);
    using Key = std::pair<std::string_view, Parameter::Location>;
    const KeyPairing<Key> pairing(
        before, after, [](const Parameter* parameter) { return Key(parameter->name(), parameter->location()); });
    for (bool required : {true, false}) {
        for (std::size_t i = 0; i < after.size(); ++i) {
            if (after[i] == nullptr || after[i]->required() != required || pairing.sourceOf(i) != kNoPartner) {
                continue;
            }
            auto scope = context.enterScope(nullptr, dest, key, std::uint64_t{i});
            processParameter(parent, nullptr, after[i], context);
        }
    }
    for (std::size_t j = 0; j < before.size(); ++j) {
        if (before[j] == nullptr || pairing.hasDestPartner(j)) continue;
        auto scope = context.enterScope(source, nullptr, key, std::uint64_t{j});
        processParameter(parent, before[j], nullptr, context);
    }
    for (std::size_t i = 0; i < after.size(); ++i) {
        if (pairing.sourceOf(i) == kNoPartner) continue;
        auto scope = context.enterScope(source, dest, key, std::uint64_t{i});
        processParameter(parent, before[pairing.sourceOf(i)], after[i], context);
    }
}

// A query parameter in the form style explodes unless it says otherwise; every other parameter does not.
bool explodesByDefault(const Parameter& parameter) {
    return parameter.location() == Parameter::Location::query &&
           static_cast<const QueryParameter&>(parameter).style() == QueryParameter::Style::form;
}

template <class T>
const T* as(const Parameter* parameter) {
    return static_cast<const T*>(parameter);
}

}  // namespace

void ParameterListDiff::process(const openapi::PathItem* source, const openapi::PathItem* dest, Context& context) {
    compareParameters(this, context, ConfigKey::pathItem_parameters, source, dest);
}

void ParameterListDiff::process(const openapi::Operation* source, const openapi::Operation* dest, Context& context) {
    compareParameters(this, context, ConfigKey::operation_parameters, source, dest);
}

void processParameter(const NodeDiff* parent, const Parameter* source, const Parameter* dest, Context& context) {
    auto pair = context.beginPair(source, dest);
    if (!pair.compare()) return;
    const Parameter* present = dest != nullptr ? dest : source;
    switch (present->location()) {
        case Parameter::Location::path:
            PathParameterDiff(parent).process(as<PathParameter>(source), as<PathParameter>(dest), context);
            break;
        case Parameter::Location::query:
            QueryParameterDiff(parent).process(as<QueryParameter>(source), as<QueryParameter>(dest), context);
            break;
        case Parameter::Location::header:
            HeaderParameterDiff(parent).process(as<HeaderParameter>(source), as<HeaderParameter>(dest), context);
            break;
        case Parameter::Location::cookie:
            CookieParameterDiff(parent).process(as<CookieParameter>(source), as<CookieParameter>(dest), context);
            break;
    }
}

void ParameterDiff::process(const Parameter* source, const Parameter* dest, Context& context) {
    compareProperty(
        context, ConfigKey::parameter_name, source, dest, [](const Parameter& n) -> auto& { return n.name(); });
    compareProperty(context, ConfigKey::parameter_in, source, dest,
                    [](const Parameter& n) { return std::string(openapi::parameterLocationToString(n.location())); });
    compareProperty(
        context, ConfigKey::parameter_description, source, dest,
        [](const Parameter& n) -> auto& { return n.description(); });
    compareFlag(context, ConfigKey::parameter_deprecated, source, dest, false,
                [](const Parameter& n) { return n.deprecated(); });
    const Parameter& present = dest != nullptr ? *dest : *source;
    compareFlag(context, ConfigKey::parameter_explode, source, dest, explodesByDefault(present),
                [](const Parameter& n) { return n.explode(); });
    ExamplesDiff(this).process(source, source != nullptr ? &source->examples() : nullptr, dest,
                               dest != nullptr ? &dest->examples() : nullptr, ConfigKey::parameter_example,
                               ConfigKey::parameter_examples, context);
    SchemaOrMediaTypeDiff(this).process(source, source != nullptr ? &source->schemaOrContent() : nullptr, dest,
                                        dest != nullptr ? &dest->schemaOrContent() : nullptr,
                                        ConfigKey::parameter_schema, ConfigKey::parameter_content, context);
    NodeDiff::process(source, dest, context);
}

void PathParameterDiff::process(const PathParameter* source, const PathParameter* dest, Context& context) {
    context.emitSelf(source, dest);
    compareEnumerated(
        context, ConfigKey::parameter_style, source, dest, PathParameter::Style::simple,
        [](const PathParameter& n) { return n.style(); }, openapi::pathParameterStyleToString);
    ParameterDiff::process(source, dest, context);
}

void QueryParameterDiff::process(const QueryParameter* source, const QueryParameter* dest, Context& context) {
    context.emitSelf(source, dest);
    compareFlag(context, ConfigKey::parameter_required, source, dest, false,
                [](const QueryParameter& n) { return n.required(); });
    compareFlag(context, ConfigKey::parameter_allowEmptyValue, source, dest, false,
                [](const QueryParameter& n) { return n.allowEmptyValue(); });
    compareEnumerated(
        context, ConfigKey::parameter_style, source, dest, QueryParameter::Style::form,
        [](const QueryParameter& n) { return n.style(); }, openapi::queryParameterStyleToString);
    compareFlag(context, ConfigKey::parameter_allowReserved, source, dest, false,
                [](const QueryParameter& n) { return n.allowReserved(); });
    ParameterDiff::process(source, dest, context);
}

// A header parameter can be required as much as a query or cookie parameter can.
void HeaderParameterDiff::process(const HeaderParameter* source, const HeaderParameter* dest, Context& context) {
    context.emitSelf(source, dest);
    compareFlag(context, ConfigKey::parameter_required, source, dest, false,
                [](const HeaderParameter& n) { return n.required(); });
    ParameterDiff::process(source, dest, context);
}

void CookieParameterDiff::process(const CookieParameter* source, const CookieParameter* dest, Context& context) {
    context.emitSelf(source, dest);
    compareFlag(context, ConfigKey::parameter_required, source, dest, false,
                [](const CookieParameter& n) { return n.required(); });
    ParameterDiff::process(source, dest, context);
}

}  // namespace zephalon::openapi_diff
