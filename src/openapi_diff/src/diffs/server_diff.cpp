#include "server_diff.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "containers.h"

namespace zephalon::openapi_diff {

using openapi::Server;
using openapi::ServerVariable;

void ServerListDiff::process(const openapi::Node* sourceOwner, const openapi::OwnedList<Server>* source,
                             const openapi::Node* destOwner, const openapi::OwnedList<Server>* dest, ConfigKey key,
                             Context& context) {
    std::vector<const Server*> before = resolvedList<Server>(source);
    std::vector<const Server*> after = resolvedList<Server>(dest);
    auto url = [](const Server* server) { return std::string_view(server->url()); };
    const KeyPairing<std::string_view> pairing(before, after, url);
    compareList(
        context, key, sourceOwner, before.size(), destOwner, after.size(),
        [&](std::size_t i) { return pairing.sourceOf(i); }, [&](std::size_t j) { return pairing.hasDestPartner(j); },
        [&](std::size_t j, std::size_t i) {
            ServerDiff(this).process(j != kNoPartner ? before[j] : nullptr, i != kNoPartner ? after[i] : nullptr,
                                     context);
        });
}

void ServerDiff::process(const Server* source, const Server* dest, Context& context) {
    context.emitSelf(source, dest);
    compareProperty(
        context, ConfigKey::server_url, source, dest, [](const Server& n) -> auto& { return n.url(); });
    compareProperty(
        context, ConfigKey::server_description, source, dest, [](const Server& n) -> auto& { return n.description(); });
    compareMap<ServerVariable>(
        context, ConfigKey::server_variables, source, source != nullptr ? &source->variables() : nullptr, dest,
        dest != nullptr ? &dest->variables() : nullptr, [&](const ServerVariable* before, const ServerVariable* after) {
            ServerVariableDiff(this).process(before, after, context);
        });
    NodeDiff::process(source, dest, context);
}

void ServerVariableDiff::process(const ServerVariable* source, const ServerVariable* dest, Context& context) {
    context.emitSelf(source, dest);
    compareProperty(
        context, ConfigKey::serverVariable_default, source, dest,
        [](const ServerVariable& n) -> auto& { return n.defaultValue(); });
    compareProperty(
        context, ConfigKey::serverVariable_description, source, dest,
        [](const ServerVariable& n) -> auto& { return n.description(); });
    static const std::vector<std::string> none;
    const std::vector<std::string>& before = source != nullptr ? source->enumValues() : none;
    const std::vector<std::string>& after = dest != nullptr ? dest->enumValues() : none;
    compareValueList(
        context, ConfigKey::serverVariable_enum, source, before, dest, after,
        [&](const std::string& value) { return source != nullptr && source->hasEnum(value); },
        [&](const std::string& value) { return dest != nullptr && dest->hasEnum(value); },
        [](const std::string& value) -> const std::string& { return value; });
    NodeDiff::process(source, dest, context);
}

}  // namespace zephalon::openapi_diff
