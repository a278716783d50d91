#include "router.h"

#include <fmt/format.h>

#include <algorithm>
#include <map>
#include <stdexcept>

#include "http_text.h"

namespace zephalon::openapi_mock {

namespace {

// One templated segment: literal text around variables, lit[0] {var[0]} lit[1] {var[1]} ... lit[n].
struct SegmentPattern {
    std::vector<std::string> literals;
    std::vector<std::string> names;

    std::size_t literalLength() const {
        std::size_t length = 0;
        for (const auto& literal : literals) length += literal.size();
        return length;
    }
    bool operator==(const SegmentPattern&) const = default;
};

SegmentPattern parseSegment(std::string_view segment, std::string_view pathTemplate) {
    SegmentPattern pattern;
    std::string literal;
    for (std::size_t i = 0; i < segment.size(); ++i) {
        if (segment[i] == '}') {
            throw std::invalid_argument(fmt::format("Unbalanced '}}' in path template {}", pathTemplate));
        }
        if (segment[i] != '{') {
            literal += segment[i];
            continue;
        }
        auto close = segment.find('}', i);
        if (close == std::string_view::npos) {
            throw std::invalid_argument(fmt::format("Unclosed '{{' in path template {}", pathTemplate));
        }
        std::string_view name = segment.substr(i + 1, close - i - 1);
        if (name.empty() || name.find('{') != std::string_view::npos) {
            throw std::invalid_argument(fmt::format("Invalid variable in path template {}", pathTemplate));
        }
        if (!pattern.names.empty() && literal.empty()) {
            // "{a}{b}" has no way to tell where one value ends.
            throw std::invalid_argument(fmt::format("Adjacent variables in path template {}", pathTemplate));
        }
        pattern.literals.push_back(percentDecode(literal));
        literal.clear();
        pattern.names.emplace_back(name);
        i = close;
    }
    pattern.literals.push_back(percentDecode(literal));
    return pattern;
}

// Matches a raw segment against a pattern; each variable takes at least one character, and the literal after a
// variable is found at its first occurrence.
bool matchSegment(const SegmentPattern& pattern, std::string_view segment,
                  std::vector<std::pair<std::string, std::string_view>>& variables) {
    std::size_t mark = variables.size();
    const std::string& first = pattern.literals.front();
    if (!segment.starts_with(first)) return false;
    std::size_t pos = first.size();
    for (std::size_t i = 0; i < pattern.names.size(); ++i) {
        const std::string& next = pattern.literals[i + 1];
        bool last = i + 1 == pattern.names.size();
        std::size_t end;
        if (last) {
            if (segment.size() < pos + 1 + next.size() || !segment.ends_with(next)) {
                variables.resize(mark);
                return false;
            }
            end = segment.size() - next.size();
        } else {
            end = segment.find(next, pos + 1);
            if (end == std::string_view::npos) {
                variables.resize(mark);
                return false;
            }
        }
        variables.emplace_back(pattern.names[i], segment.substr(pos, end - pos));
        pos = end + next.size();
    }
    return true;
}

}  // namespace

struct Router::Node {
    std::map<std::string, std::unique_ptr<Node>, std::less<>> literals;
    std::vector<std::pair<SegmentPattern, std::unique_ptr<Node>>> templated;
    std::optional<std::size_t> route;

    bool find(const std::vector<std::string_view>& segments, std::size_t depth, PathMatch& match) const {
        if (depth == segments.size()) {
            if (!route) return false;
            match.route = *route;
            return true;
        }
        std::string_view segment = segments[depth];
        if (!literals.empty()) {
            auto it = segment.find('%') == std::string_view::npos ? literals.find(segment)
                                                                  : literals.find(percentDecode(segment));
            if (it != literals.end() && it->second->find(segments, depth + 1, match)) return true;
        }
        for (const auto& [pattern, child] : templated) {
            std::size_t mark = match.variables.size();
            if (matchSegment(pattern, segment, match.variables)) {
                if (child->find(segments, depth + 1, match)) return true;
                match.variables.resize(mark);
            }
        }
        return false;
    }
};

Router::Router() : root_(std::make_unique<Node>()) {}
Router::~Router() = default;
Router::Router(Router&&) noexcept = default;
Router& Router::operator=(Router&&) noexcept = default;

std::size_t Router::add(std::string_view pathTemplate) {
    std::string_view rest = pathTemplate;
    if (rest.starts_with('/')) rest.remove_prefix(1);
    // Parse every segment before changing the tree, so a malformed template adds nothing.
    std::vector<std::pair<std::string, std::optional<SegmentPattern>>> segments;
    for (std::string_view segment : split(rest, '/')) {
        if (segment.find_first_of("{}") == std::string_view::npos) {
            segments.emplace_back(percentDecode(segment), std::nullopt);
        } else {
            segments.emplace_back(std::string(), parseSegment(segment, pathTemplate));
        }
    }
    Node* node = root_.get();
    // Named members rather than a structured binding: clang 14 cannot capture bindings in the lambdas below.
    for (auto& segment : segments) {
        const std::string& literal = segment.first;
        std::optional<SegmentPattern>& pattern = segment.second;
        if (!pattern) {
            auto& child = node->literals[literal];
            if (!child) child = std::make_unique<Node>();
            node = child.get();
            continue;
        }
        auto it = std::find_if(node->templated.begin(), node->templated.end(),
                               [&](const auto& entry) { return entry.first == *pattern; });
        if (it == node->templated.end()) {
            // Keep more literal text first; equal ones in the order added.
            auto at = std::find_if(node->templated.begin(), node->templated.end(), [&](const auto& entry) {
                return entry.first.literalLength() < pattern->literalLength();
            });
            it = node->templated.emplace(at, std::move(*pattern), std::make_unique<Node>());
        }
        node = it->second.get();
    }
    if (!node->route) node->route = count_++;
    return *node->route;
}

std::optional<PathMatch> Router::match(std::string_view path) const {
    if (!path.starts_with('/')) return std::nullopt;
    std::vector<std::string_view> segments = split(path.substr(1), '/');
    PathMatch match;
    if (!root_->find(segments, 0, match)) return std::nullopt;
    return match;
}

}  // namespace zephalon::openapi_mock
