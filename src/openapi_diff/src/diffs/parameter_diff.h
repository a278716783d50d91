#pragma once

#include "../node_diff.h"
#include "zephalon/openapi/operation.h"
#include "zephalon/openapi/parameter.h"
#include "zephalon/openapi/paths.h"

namespace zephalon::openapi_diff {

// The parameters of a path item or an operation, paired by name and location. New parameters are compared
// required ones first, so that a report lists what breaks clients before what does not.
class ParameterListDiff : public NodeDiff {
  public:
    using NodeDiff::NodeDiff;
    void process(const openapi::PathItem* source, const openapi::PathItem* dest, Context& context);
    void process(const openapi::Operation* source, const openapi::Operation* dest, Context& context);
};

// What parameters of every location have; each location's comparison compares its own fields first.
class ParameterDiff : public NodeDiff {
  public:
    using NodeDiff::NodeDiff;
    void process(const openapi::Parameter* source, const openapi::Parameter* dest, Context& context);
};

class PathParameterDiff : public ParameterDiff {
  public:
    using ParameterDiff::ParameterDiff;
    void process(const openapi::PathParameter* source, const openapi::PathParameter* dest, Context& context);
};

class QueryParameterDiff : public ParameterDiff {
  public:
    using ParameterDiff::ParameterDiff;
    void process(const openapi::QueryParameter* source, const openapi::QueryParameter* dest, Context& context);
};

class HeaderParameterDiff : public ParameterDiff {
  public:
    using ParameterDiff::ParameterDiff;
    void process(const openapi::HeaderParameter* source, const openapi::HeaderParameter* dest, Context& context);
};

class CookieParameterDiff : public ParameterDiff {
  public:
    using ParameterDiff::ParameterDiff;
    void process(const openapi::CookieParameter* source, const openapi::CookieParameter* dest, Context& context);
};

// Compares two parameters of the same location (either may be null) in the current scope, through the comparison
// of their location.
void processParameter(const NodeDiff* parent, const openapi::Parameter* source, const openapi::Parameter* dest,
                      Context& context);

}  // namespace zephalon::openapi_diff
