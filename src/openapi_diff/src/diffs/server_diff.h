#pragma once

#include "../node_diff.h"
#include "zephalon/openapi/server.h"

namespace zephalon::openapi_diff {

// The servers of the document, a path item or an operation, paired by URL (the first server with an equal URL).
class ServerListDiff : public NodeDiff {
  public:
    using NodeDiff::NodeDiff;
    void process(const openapi::Node* sourceOwner, const openapi::OwnedList<openapi::Server>* source,
                 const openapi::Node* destOwner, const openapi::OwnedList<openapi::Server>* dest, ConfigKey key,
                 Context& context);
};

class ServerDiff : public NodeDiff {
  public:
    using NodeDiff::NodeDiff;
    void process(const openapi::Server* source, const openapi::Server* dest, Context& context);
};

class ServerVariableDiff : public NodeDiff {
  public:
    using NodeDiff::NodeDiff;
    void process(const openapi::ServerVariable* source, const openapi::ServerVariable* dest, Context& context);
};

}  // namespace zephalon::openapi_diff
