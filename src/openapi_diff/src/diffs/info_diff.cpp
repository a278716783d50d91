#include "info_diff.h"

namespace zephalon::openapi_diff {

using openapi::Contact;
using openapi::Info;
using openapi::License;

void InfoDiff::process(const Info* source, const Info* dest, Context& context) {
    context.emitSelf(source, dest);
    compareProperty(
        context, ConfigKey::info_title, source, dest, [](const Info& n) -> auto& { return n.title(); });
    compareProperty(
        context, ConfigKey::info_summary, source, dest, [](const Info& n) -> auto& { return n.summary(); });
    compareProperty(
        context, ConfigKey::info_description, source, dest, [](const Info& n) -> auto& { return n.description(); });
    compareProperty(
        context, ConfigKey::info_termsOfService, source, dest,
        [](const Info& n) -> auto& { return n.termsOfService(); });
    auto contact = [](const Info& n) -> const Contact* { return n.contact(); };
    compareNested<ContactDiff>(this, context, ConfigKey::info_contact, subNode(source, contact),
                               subNode(dest, contact));
    auto license = [](const Info& n) -> const License* { return n.license(); };
    compareNested<LicenseDiff>(this, context, ConfigKey::info_license, subNode(source, license),
                               subNode(dest, license));
    // Last, so that a report lists what changed in the document before the number that says so.
    compareProperty(
        context, ConfigKey::info_version, source, dest, [](const Info& n) -> auto& { return n.version(); });
    NodeDiff::process(source, dest, context);
}

void ContactDiff::process(const Contact* source, const Contact* dest, Context& context) {
    context.emitSelf(source, dest);
    compareProperty(
        context, ConfigKey::contact_name, source, dest, [](const Contact& n) -> auto& { return n.name(); });
    compareProperty(
        context, ConfigKey::contact_url, source, dest, [](const Contact& n) -> auto& { return n.url(); });
    compareProperty(
        context, ConfigKey::contact_email, source, dest, [](const Contact& n) -> auto& { return n.email(); });
    NodeDiff::process(source, dest, context);
}

void LicenseDiff::process(const License* source, const License* dest, Context& context) {
    context.emitSelf(source, dest);
    compareProperty(
        context, ConfigKey::license_name, source, dest, [](const License& n) -> auto& { return n.name(); });
    compareProperty(
        context, ConfigKey::license_identifier, source, dest, [](const License& n) -> auto& { return n.identifier(); });
    compareProperty(
        context, ConfigKey::license_url, source, dest, [](const License& n) -> auto& { return n.url(); });
    NodeDiff::process(source, dest, context);
}

}  // namespace zephalon::openapi_diff
