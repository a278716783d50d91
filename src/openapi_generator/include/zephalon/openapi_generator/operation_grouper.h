#pragma once

// Sorts the operations of a document's paths into named groups (controllers, routers, page sections). Each
// operation goes to the group named by the first criterion that yields a name, or to `ungrouped`:
//
//     OperationGrouper grouper;
//     grouper.addCriterium(GroupingCriterium::extension);  // "/codegen/controller-name" of operation or path item
//     grouper.addCriterium(GroupingCriterium::tag);        // the first tag
//     grouper.skipDisabled = true;                         // "/codegen/disabled" of operation or path item
//     grouper.run(document);
//     for (const auto& [name, operations] : grouper.groups) ...
//
// Only the operations of `paths` are grouped, never webhooks or callbacks. Group names are the document's text:
// callers make identifiers and file names of them.

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "zephalon/openapi/operation.h"

namespace zephalon::openapi {
class OpenAPI;
}

namespace zephalon::openapi_generator {

using openapi::OperationInfo;

enum class GroupingCriterium { tag = 1, extension = 2, url = 3 };

// "tag", "extension", "url".
std::string_view groupCriteriumToString(GroupingCriterium criterium);
// Exactly those names; anything else raises std::runtime_error "Unknown grouping criterium: <text>".
GroupingCriterium groupCriteriumFromString(std::string_view text);

// The name of the operation's first tag.
std::optional<std::string> groupNameFromTag(const OperationInfo& info);
// The operation's "/codegen/controller-name", else its path item's.
std::optional<std::string> groupNameFromExtension(const OperationInfo& info);
// The path in camel case ("/pets/{petId}" -> "petsPetId"); nothing when no letter or digit is left of it ("/"), so
// that no group goes without a name.
std::optional<std::string> groupNameFromUrl(const OperationInfo& info);

class OperationGrouper {
  public:
    bool skipDeprecated = false;
    // Leaves out operations whose own or whose path item's "/codegen/disabled" is true.
    bool skipDisabled = false;
    // Tried in order; the first that yields a name wins.
    std::vector<GroupingCriterium> criteria;
    // Group name -> its operations in document order (paths in key order, then methods in their order).
    std::map<std::string, std::vector<OperationInfo>, std::less<>> groups;
    // The operations no criterion named, in document order.
    std::vector<OperationInfo> ungrouped;

    // Appends; std::runtime_error "Element already exists" when the criterion is listed.
    void addCriterium(GroupingCriterium criterium);
    // Removing what is not there does nothing.
    void removeCriterium(GroupingCriterium criterium);
    // std::out_of_range past the end.
    void removeCriteriumAt(std::size_t index);
    void clearCriteria() { criteria.clear(); }

    // Empties groups and ungrouped.
    void reset();
    // Adds the document's operations to the results (earlier results stay: call reset to start afresh). Raises
    // ExtensionError when a "/codegen" setting it reads has the wrong kind.
    void run(const openapi::OpenAPI* document);

  private:
    std::optional<std::string> groupName(const OperationInfo& info) const;
};

}  // namespace zephalon::openapi_generator
