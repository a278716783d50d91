#include "rules.h"
#include "zephalon/foundation/strings.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi_lint {

namespace {

// Variable names ("{basePath}") are the document's own identifiers, not part of the URL's spelling.
bool isLowerCase(std::string_view url) {
    bool inVariable = false;
    for (char c : url) {
        if (c == '{') inVariable = true;
        if (c == '}') inVariable = false;
        if (!inVariable && c >= 'A' && c <= 'Z') return false;
    }
    return true;
}

bool usesHttp(std::string_view url) { return url.size() >= 5 && asciiCompareNoCase(url.substr(0, 5), "http:"); }

class ServerURLsHandler : public RuleHandler<ServerURLs> {
  public:
    using RuleHandler::RuleHandler;

    void handle(const openapi::Server* server) override {
        const std::string& url = server->url();
        if ((!isLowerCase(url) || usesHttp(url)) && !rule().isDisabled(server)) {
            report("Server URL is not lower case or uses http protocol", server);
        }
    }
};

}  // namespace

std::unique_ptr<openapi::NodeVisitHandler> ServerURLs::createHandler(Context& context) {
    return makeKindHandler<ServerURLsHandler>(*this, context);
}

}  // namespace zephalon::openapi_lint
