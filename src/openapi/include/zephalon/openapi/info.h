#pragma once

// The document's metadata: Info with its Contact and License, and the two small objects shared by many owners,
// ExternalDocumentation and Tag.

#include <memory>
#include <optional>
#include <set>
#include <string>

#include "zephalon/openapi/node.h"

namespace zephalon::openapi {

class Contact final : public Node {
  public:
    explicit Contact(Node* parent) : Node(parent, NodeType::Contact) {}

    const std::optional<std::string>& name() const { return name_; }
    void setName(std::string name) { name_ = std::move(name); }
    void removeName() { name_.reset(); }

    const std::optional<std::string>& url() const { return url_; }
    void setUrl(std::string url) { url_ = std::move(url); }
    void removeUrl() { url_.reset(); }

    const std::optional<std::string>& email() const { return email_; }
    void setEmail(std::string email) { email_ = std::move(email); }
    void removeEmail() { email_.reset(); }

  private:
    std::optional<std::string> name_;
    std::optional<std::string> url_;
    std::optional<std::string> email_;
};

// A license names either an SPDX identifier (3.1) or a url, never both; the reader enforces that.
class License final : public Node {
  public:
    License(Node* parent, std::string name) : Node(parent, NodeType::License), name_(std::move(name)) {}

    const std::string& name() const { return name_; }
    void setName(std::string name) { name_ = std::move(name); }

    const std::optional<std::string>& identifier() const { return identifier_; }
    void setIdentifier(std::string identifier) { identifier_ = std::move(identifier); }
    void removeIdentifier() { identifier_.reset(); }

    const std::optional<std::string>& url() const { return url_; }
    void setUrl(std::string url) { url_ = std::move(url); }
    void removeUrl() { url_.reset(); }

  private:
    std::string name_;
    std::optional<std::string> identifier_;
    std::optional<std::string> url_;
};

class Info final : public Node {
  public:
    explicit Info(Node* parent) : Node(parent, NodeType::Info) {}
    ~Info() override;

    const std::string& title() const { return title_; }
    void setTitle(std::string title) { title_ = std::move(title); }

    const std::optional<std::string>& summary() const { return summary_; }
    void setSummary(std::string summary) { summary_ = std::move(summary); }
    void removeSummary() { summary_.reset(); }

    const std::optional<std::string>& description() const { return description_; }
    void setDescription(std::string description) { description_ = std::move(description); }
    void removeDescription() { description_.reset(); }

    const std::optional<std::string>& termsOfService() const { return termsOfService_; }
    void setTermsOfService(std::string terms) { termsOfService_ = std::move(terms); }
    void removeTermsOfService() { termsOfService_.reset(); }

    // Null when absent. add returns the existing contact or license when there is one.
    Contact* contact() const { return contact_.get(); }
    Contact* addContact();
    void removeContact();

    License* license() const { return license_.get(); }
    License* addLicense(std::string name);
    void removeLicense();

    const std::string& version() const { return version_; }
    void setVersion(std::string version) { version_ = std::move(version); }

  private:
    std::string title_;
    std::optional<std::string> summary_;
    std::optional<std::string> description_;
    std::optional<std::string> termsOfService_;
    std::unique_ptr<Contact> contact_;
    std::unique_ptr<License> license_;
    std::string version_;
};

class ExternalDocumentation final : public Node {
  public:
    ExternalDocumentation(Node* parent, std::string url)
        : Node(parent, NodeType::ExternalDocumentation), url_(std::move(url)) {}

    const std::string& url() const { return url_; }
    void setUrl(std::string url) { url_ = std::move(url); }

    const std::optional<std::string>& description() const { return description_; }
    void setDescription(std::string description) { description_ = std::move(description); }
    void removeDescription() { description_.reset(); }

  private:
    std::string url_;
    std::optional<std::string> description_;
};

class Operation;

// A tag declared on the root. Operations link to it by pointer; a tag that goes away unlinks itself from them.
class Tag final : public Node {
  public:
    Tag(Node* parent, std::string name) : Node(parent, NodeType::Tag), name_(std::move(name)) {}
    ~Tag() override;

    const std::string& name() const { return name_; }

    const std::optional<std::string>& description() const { return description_; }
    void setDescription(std::string description) { description_ = std::move(description); }
    void removeDescription() { description_.reset(); }

    ExternalDocumentation* externalDocs() const { return externalDocs_.get(); }
    // Returns the existing documentation when there is one.
    ExternalDocumentation* addExternalDocs(std::string url);
    void removeExternalDocs();

  private:
    friend class Operation;

    std::string name_;
    std::optional<std::string> description_;
    std::unique_ptr<ExternalDocumentation> externalDocs_;
    // The operations that link this tag.
    std::set<Operation*> users_;
};

}  // namespace zephalon::openapi
