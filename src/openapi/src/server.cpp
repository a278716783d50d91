#include "zephalon/openapi/server.h"

#include <algorithm>
#include <set>
#include <stdexcept>

#include "slots.h"

namespace zephalon::openapi {

bool ServerVariable::hasEnum(std::string_view value) const {
    return std::find(enum_.begin(), enum_.end(), value) != enum_.end();
}

void ServerVariable::addEnum(std::string value) { enum_.push_back(std::move(value)); }

void ServerVariable::removeEnumAt(std::size_t index) {
    if (index < enum_.size()) {
        enum_.erase(enum_.begin() + static_cast<std::ptrdiff_t>(index));
    }
}

Server::Server(Node* parent, std::string url) : Node(parent, NodeType::Server) { setUrl(std::move(url)); }

Server::~Server() = default;

void Server::setUrl(std::string url) {
    updateVariables(url);
    url_ = std::move(url);
}

ServerVariable* Server::variable(std::string_view name) const {
    auto it = variables_.find(name);
    return it == variables_.end() ? nullptr : it->second.get();
}

namespace {

// Calls `each` with the offsets of the opening and the closing brace of every placeholder of the url, in order. The
// placeholders are what "\{[^}]*\}" matches, scanned left to right: an opening brace, then everything up to the
// next closing brace. An opening brace without a closing one is literal text.
template <class Each>
void forEachPlaceholder(std::string_view url, Each each) {
    for (std::size_t open = url.find('{'); open != std::string_view::npos; open = url.find('{', open)) {
        const std::size_t close = url.find('}', open + 1);
        if (close == std::string_view::npos) return;
        each(open, close);
        open = close + 1;
    }
}

}  // namespace

std::string Server::defaultUrl() const {
    std::string url;
    std::size_t copied = 0;
    forEachPlaceholder(url_, [&](std::size_t open, std::size_t close) {
        url.append(url_, copied, open - copied);
        if (const ServerVariable* found = variable(std::string_view(url_).substr(open + 1, close - open - 1))) {
            url += found->defaultValue();
        }
        copied = close + 1;
    });
    url.append(url_, copied);
    return url;
}

void Server::updateVariables(std::string_view url) {
    std::vector<std::string> names;
    std::set<std::string, std::less<>> seen;
    forEachPlaceholder(url, [&](std::size_t open, std::size_t close) {
        std::string name(url.substr(open + 1, close - open - 1));
        if (name.empty()) throw std::runtime_error("Empty variable name");
        if (!seen.insert(name).second) throw std::runtime_error("Duplicate server variable name: " + name);
        names.push_back(std::move(name));
    });

    // Only now that the url is known to be well formed is the map rebuilt.
    OwnedMap<ServerVariable> next;
    for (std::string& name : names) {
        auto existing = variables_.find(name);
        std::unique_ptr<ServerVariable> variable =
            existing != variables_.end() ? std::move(existing->second) : std::make_unique<ServerVariable>(this);
        next.emplace(std::move(name), std::move(variable));
    }
    OwnedMap<ServerVariable> dropped = std::exchange(variables_, std::move(next));
}

}  // namespace zephalon::openapi
