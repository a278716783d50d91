#pragma once

// Reads parameters out of a request the way the description says they are serialised (style and explode), and
// gives each the JSON type its schema asks for, so that "?limit=5" is checked as the number 5.

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "http_text.h"
#include "router.h"
#include "zephalon/jv/jv.h"
#include "zephalon/openapi_mock/exchange.h"

namespace zephalon::openapi {
class Parameter;
class Schema;
}  // namespace zephalon::openapi

namespace zephalon::openapi_mock {

// A parameter whose text does not fit its style; the message names the parameter.
class ParameterError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The places of one request that parameters come from, taken apart once per request.
struct RequestParts {
    const Request* request = nullptr;
    const PathMatch* path = nullptr;
    Pairs query;    // names decoded, values as sent
    Pairs cookies;  // values as sent
};

// The parameter's value, or null when the request does not carry it. Throws ParameterError.
std::unique_ptr<jv::JV> readParameter(const openapi::Parameter& parameter, const RequestParts& parts);

// The value a text stands for under a schema: a number, boolean or null where the schema's types allow one and
// the text spells it, a string otherwise.
std::unique_ptr<jv::JV> coerce(std::string_view text, const openapi::Schema* schema);

}  // namespace zephalon::openapi_mock
