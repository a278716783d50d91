#pragma once

#include "../node_diff.h"
#include "zephalon/openapi/parameter.h"
#include "zephalon/openapi/response.h"

namespace zephalon::openapi_diff {

// The responses of an operation, paired by status key ("200", "4XX", "default").
class ResponsesDiff : public NodeDiff {
  public:
    using NodeDiff::NodeDiff;
    void process(const openapi::Responses* source, const openapi::Responses* dest, Context& context);
};

class ResponseDiff : public NodeDiff {
  public:
    using NodeDiff::NodeDiff;
    void process(const openapi::Response* source, const openapi::Response* dest, Context& context);
};

class HeaderDiff : public NodeDiff {
  public:
    using NodeDiff::NodeDiff;
    void process(const openapi::Header* source, const openapi::Header* dest, Context& context);
};

class LinkDiff : public NodeDiff {
  public:
    using NodeDiff::NodeDiff;
    void process(const openapi::Link* source, const openapi::Link* dest, Context& context);
};

}  // namespace zephalon::openapi_diff
