#include "zephalon/openapi/parameter.h"

namespace zephalon::openapi {

Parameter::Parameter(Node* parent, std::string name, Location location)
    : Node(parent, static_cast<NodeType>(static_cast<int>(NodeType::PathParameter) + static_cast<int>(location))),
      name_(std::move(name)),
      location_(location),
      required_(location == Location::path),
      explode_(location == Location::query) {}

}  // namespace zephalon::openapi
