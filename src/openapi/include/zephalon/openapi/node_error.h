#pragma once

// An error about one node of a model, for the code that works on a model after it was read (generators, samples).
// The node lets the caller say where in the document the problem lies.

#include <stdexcept>
#include <string>

namespace zephalon::openapi {

class Node;

class NodeError : public std::runtime_error {
  public:
    // `node` may be null when the code raising the error does not know the node; a caller that does raises the
    // error again with it.
    NodeError(const Node* node, const std::string& message) : std::runtime_error(message), node_(node) {}
    explicit NodeError(const std::string& message) : NodeError(nullptr, message) {}

    const Node* node() const { return node_; }

  private:
    const Node* node_;
};

}  // namespace zephalon::openapi
