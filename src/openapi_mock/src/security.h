#pragma once

// Checks that a request carries the credentials its operation's security requirements name. Only presence is
// checked: a mock has no users, so any key or token will do.

#include <string>
#include <vector>

#include "parameters.h"

namespace zephalon::openapi {
class OpenAPI;
class Operation;
}  // namespace zephalon::openapi

namespace zephalon::openapi_mock {

struct SecurityCheck {
    bool satisfied = true;
    // What is missing, for the problem detail, and the challenges for WWW-Authenticate (one per scheme asked for).
    std::string detail;
    std::vector<std::string> challenges;
};

SecurityCheck checkSecurity(const openapi::OpenAPI& document, const openapi::Operation& operation,
                            const RequestParts& parts);

}  // namespace zephalon::openapi_mock
