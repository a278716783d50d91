#pragma once

// Matches request paths against the path templates of a document ("/pets/{petId}"). Literal segments win over
// templated ones at every level, so "/pets/mine" is found before "/pets/{petId}", as the description format
// requires; among templated segments, the one with more literal text ("{id}.json") is tried before a bare
// variable.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zephalon::openapi_mock {

struct PathMatch {
    std::size_t route = 0;
    // Variable name and its text as sent (still percent-encoded: styles split on encoded delimiters first).
    std::vector<std::pair<std::string, std::string_view>> variables;
};

class Router {
  public:
    Router();
    ~Router();
    Router(Router&&) noexcept;
    Router& operator=(Router&&) noexcept;

    // Adds a template and returns its route number (routes are numbered from 0 in the order added). A template
    // that is already present keeps its number. Throws std::invalid_argument for a malformed template (an
    // unclosed or empty "{}", two variables without text between them).
    std::size_t add(std::string_view pathTemplate);

    // The route of a request path (the part before "?"); nothing when no template matches.
    std::optional<PathMatch> match(std::string_view path) const;

    std::size_t size() const { return count_; }

    struct Node;

  private:
    std::unique_ptr<Node> root_;
    std::size_t count_ = 0;
};

}  // namespace zephalon::openapi_mock
