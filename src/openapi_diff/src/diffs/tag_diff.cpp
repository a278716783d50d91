#include "tag_diff.h"

#include <string>
#include <string_view>
#include <vector>

#include "containers.h"

namespace zephalon::openapi_diff {

using openapi::ExternalDocumentation;
using openapi::Tag;

namespace {

std::string_view tagName(const Tag* tag) { return tag->name(); }

}  // namespace

void TagListDiff::process(const openapi::OpenAPI* source, const openapi::OpenAPI* dest, Context& context) {
    std::vector<const Tag*> before = resolvedList<Tag>(source != nullptr ? &source->tags() : nullptr);
    std::vector<const Tag*> after = resolvedList<Tag>(dest != nullptr ? &dest->tags() : nullptr);
    const KeyPairing<std::string_view> pairing(before, after, tagName);
    compareList(
        context, ConfigKey::openapi_tags, source, before.size(), dest, after.size(),
        [&](std::size_t i) { return pairing.sourceOf(i); }, [&](std::size_t j) { return pairing.hasDestPartner(j); },
        [&](std::size_t j, std::size_t i) {
            TagDiff(this).process(j != kNoPartner ? before[j] : nullptr, i != kNoPartner ? after[i] : nullptr, context);
        });
}

void TagListDiff::process(const openapi::Operation* source, const openapi::Operation* dest, Context& context) {
    static const std::vector<Tag*> none;
    const std::vector<Tag*>& before = source != nullptr ? source->tags() : none;
    const std::vector<Tag*>& after = dest != nullptr ? dest->tags() : none;
    compareValueList(
        context, ConfigKey::operation_tags, source, before, dest, after,
        [&](const Tag* tag) { return source != nullptr && source->hasTag(tag->name()); },
        [&](const Tag* tag) { return dest != nullptr && dest->hasTag(tag->name()); },
        [](const Tag* tag) -> const std::string& { return tag->name(); });
}

void TagDiff::process(const Tag* source, const Tag* dest, Context& context) {
    context.emitSelf(source, dest);
    compareProperty(
        context, ConfigKey::tag_name, source, dest, [](const Tag& n) -> auto& { return n.name(); });
    compareProperty(
        context, ConfigKey::tag_description, source, dest, [](const Tag& n) -> auto& { return n.description(); });
    auto docs = [](const Tag& n) -> const ExternalDocumentation* { return n.externalDocs(); };
    compareNested<ExternalDocumentationDiff>(this, context, ConfigKey::tag_externalDocs, subNode(source, docs),
                                             subNode(dest, docs));
    NodeDiff::process(source, dest, context);
}

void ExternalDocumentationDiff::process(const ExternalDocumentation* source, const ExternalDocumentation* dest,
                                        Context& context) {
    context.emitSelf(source, dest);
    compareProperty(
        context, ConfigKey::externalDocumentation_description, source, dest,
        [](const ExternalDocumentation& n) -> auto& { return n.description(); });
    compareProperty(
        context, ConfigKey::externalDocumentation_url, source, dest,
        [](const ExternalDocumentation& n) -> auto& { return n.url(); });
    NodeDiff::process(source, dest, context);
}

}  // namespace zephalon::openapi_diff
