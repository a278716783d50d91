#include "rules.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi_lint {

namespace {

// An empty text tells a reader as little as a missing one.
bool missing(const std::optional<std::string>& text) { return !text || text->empty(); }

}  // namespace

void ContactDefined::run(Context& context) {
    const openapi::Info* info = context.model()->info();
    if (info == nullptr) return;
    const openapi::Contact* contact = info->contact();
    if (contact == nullptr) {
        if (!isDisabled(info)) addIssue(context, "Contact object is missing", info);
        return;
    }
    if (isDisabled(contact)) return;
    if (missing(contact->name())) addIssue(context, "Contact name is missing or empty", contact);
    if (missing(contact->email())) addIssue(context, "Contact email is missing", contact);
    if (missing(contact->url())) addIssue(context, "Contact URL is missing", contact);
}

}  // namespace zephalon::openapi_lint
