#include "zephalon/openapi/info.h"

#include "slots.h"
#include "zephalon/openapi/operation.h"

namespace zephalon::openapi {

Info::~Info() = default;

Contact* Info::addContact() {
    if (!contact_) {
        contact_ = std::make_unique<Contact>(this);
    }
    return contact_.get();
}

License* Info::addLicense(std::string name) {
    if (!license_) {
        license_ = std::make_unique<License>(this, std::move(name));
    }
    return license_.get();
}

Tag::~Tag() {
    // Unlinking edits users_ through the operation, so walk a copy.
    for (Operation* operation : std::set<Operation*>(users_)) {
        operation->unlinkTag(this);
    }
}

ExternalDocumentation* Tag::addExternalDocs(std::string url) {
    if (!externalDocs_) {
        externalDocs_ = std::make_unique<ExternalDocumentation>(this, std::move(url));
    }
    return externalDocs_.get();
}

// Removal goes through the shared helpers: a child is detached before it is destroyed.

void Info::removeContact() { detail::resetOwned(contact_); }

void Info::removeLicense() { detail::resetOwned(license_); }

void Tag::removeExternalDocs() { detail::resetOwned(externalDocs_); }

}  // namespace zephalon::openapi
