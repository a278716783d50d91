#include "zephalon/openapi_mock/mock_api.h"

#include <fmt/format.h>

#include <array>
#include <random>
#include <stdexcept>

#include "http_text.h"
#include "parameters.h"
#include "responder.h"
#include "router.h"
#include "schema_validators.h"
#include "security.h"
#include "zephalon/foundation/strings.h"
#include "zephalon/jv/file_io.h"
#include "zephalon/jv_schema/schema.h"
#include "zephalon/openapi/bundle.h"
#include "zephalon/openapi/model.h"
#include "zephalon/openapi/reader.h"
#include "zephalon/openapi/reader_result.h"

namespace zephalon::openapi_mock {

std::optional<std::string_view> Request::header(std::string_view name) const {
    for (const auto& [key, value] : headers) {
        if (asciiCompareNoCase(key, name)) return value;
    }
    return std::nullopt;
}

void Response::setHeader(std::string_view name, std::string value) {
    std::erase_if(headers, [&](const auto& header) { return asciiCompareNoCase(header.first, name); });
    headers.emplace_back(std::string(name), std::move(value));
}

const std::string* Response::header(std::string_view name) const {
    for (const auto& [key, value] : headers) {
        if (asciiCompareNoCase(key, name)) return &value;
    }
    return nullptr;
}

namespace {

using openapi::HttpMethod;
using Schema = jv::schema::JVSchema;

constexpr std::array<std::string_view, 8> kMethodNames{"GET",     "PUT",  "POST",  "DELETE",
                                                       "OPTIONS", "HEAD", "PATCH", "TRACE"};

std::optional<HttpMethod> methodOf(std::string_view name) {
    for (std::size_t i = 0; i < kMethodNames.size(); ++i) {
        if (kMethodNames[i] == name) return static_cast<HttpMethod>(i);
    }
    return std::nullopt;
}

std::size_t slotOf(HttpMethod method) { return static_cast<std::size_t>(method); }

struct PreparedBody {
    std::string key;
    std::string essence;
    const Schema* schema = nullptr;
};

struct PreparedOperation {
    const openapi::Operation* operation = nullptr;
    std::vector<std::pair<const openapi::Parameter*, const Schema*>> parameters;
    bool hasBody = false;
    bool bodyRequired = false;
    std::vector<PreparedBody> bodies;
};

struct Route {
    std::array<std::optional<PreparedOperation>, 8> operations;
    std::string allow;
};

std::uint64_t mix(std::uint64_t value) {
    // splitmix64's finaliser: nearby inputs give unrelated seeds.
    value += 0x9e3779b97f4a7c15ULL;
    value = (value ^ (value >> 30)) * 0xbf58476d1ce4e5b9ULL;
    value = (value ^ (value >> 27)) * 0x94d049bb133111ebULL;
    return value ^ (value >> 31);
}

std::uint64_t fingerprint(std::string_view method, std::string_view target) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    auto add = [&](std::string_view text) {
        for (unsigned char c : text) hash = (hash ^ c) * 0x100000001b3ULL;
    };
    add(method);
    add(" ");
    add(target);
    return hash;
}

// The path part of the first server URL, with its variables at their defaults: "https://{host}/v1/" -> "/v1".
std::string basePathOf(const openapi::OpenAPI& model) {
    if (model.servers().empty()) return {};
    const std::string url = model.servers().front()->defaultUrl();
    std::string_view path = url;
    path = path.substr(0, path.find_first_of("?#"));
    if (auto scheme = path.find("://"); scheme != std::string_view::npos) {
        path.remove_prefix(scheme + 3);
        auto slash = path.find('/');
        path = slash == std::string_view::npos ? std::string_view() : path.substr(slash);
    } else if (path.starts_with("//")) {
        auto slash = path.find('/', 2);
        path = slash == std::string_view::npos ? std::string_view() : path.substr(slash);
    }
    std::string base(path);
    if (!base.empty() && base.front() != '/') base.insert(base.begin(), '/');
    while (!base.empty() && base.back() == '/') base.pop_back();
    return base;
}

const openapi::Node* schemaSlot(const openapi::SchemaOrMediaType& value) {
    if (value.schemaMode() == openapi::SchemaOrMediaType::Mode::schema) return value.schemaNode();
    if (value.schemaMode() == openapi::SchemaOrMediaType::Mode::content && value.mediaType()) {
        return value.mediaType()->schemaNode();
    }
    return nullptr;
}

bool ignoredHeaderParameter(const openapi::Parameter& parameter) {
    // These headers are described elsewhere (content negotiation, media types, security schemes).
    return parameter.location() == openapi::Parameter::Location::header &&
           (asciiCompareNoCase(parameter.name(), "Accept") || asciiCompareNoCase(parameter.name(), "Content-Type") ||
            asciiCompareNoCase(parameter.name(), "Authorization"));
}

Response problem(int status, std::string_view detail, const std::vector<Violation>& violations = {}) {
    Response response;
    response.status = status;
    response.body = problemJson(status, detail, violations);
    response.headers.emplace_back("Content-Type", "application/problem+json");
    return response;
}

}  // namespace

class MockApi::Impl {
  public:
    Impl(std::unique_ptr<openapi::OpenAPIReadResult> document, MockOptions options);
    Response handle(const Request& request);

    std::unique_ptr<openapi::OpenAPIReadResult> document;
    MockOptions options;
    std::string basePath;
    Router router;
    std::vector<Route> routes;
    std::size_t operationCount = 0;
    std::unique_ptr<SchemaValidators> validators;
    std::unique_ptr<Responder> responder;
    std::vector<std::string> warnings;
    std::uint64_t dynamicSeed;

  private:
    PreparedOperation prepare(const openapi::Operation& operation);
    Response answer(const Request& request);
    std::optional<Response> check(const PreparedOperation& prepared, const RequestParts& parts);
};

MockApi::Impl::Impl(std::unique_ptr<openapi::OpenAPIReadResult> doc, MockOptions opts)
    : document(std::move(doc)), options(opts), dynamicSeed(std::random_device{}()) {
    const openapi::OpenAPI* model = document ? document->model() : nullptr;
    if (!model) throw std::invalid_argument("The mock needs a document with a model");
    basePath = basePathOf(*model);
    if (options.validate) {
        validators = std::make_unique<SchemaValidators>(*document);
        warnings = validators->warnings();
    }
    responder = std::make_unique<Responder>(*document);
    if (!model->paths()) return;
    for (const auto& [path, node] : model->paths()->items()) {
        const auto* item = node ? node->resolveNodeAs<openapi::PathItem>() : nullptr;
        if (!item || item->operations().empty()) continue;
        std::size_t index = 0;
        try {
            index = router.add(path);
        } catch (const std::invalid_argument& e) {
            warnings.push_back(fmt::format("The path '{}' is not served: {}", path, e.what()));
            continue;
        }
        if (index >= routes.size()) routes.resize(index + 1);
        Route& route = routes[index];
        for (const auto& [method, operation] : item->operations()) {
            route.operations[slotOf(method)] = prepare(*operation);
            ++operationCount;
        }
        for (std::size_t i = 0; i < route.operations.size(); ++i) {
            if (route.operations[i]) route.allow += (route.allow.empty() ? "" : ", ") + std::string(kMethodNames[i]);
        }
        if (route.operations[slotOf(HttpMethod::get)] && !route.operations[slotOf(HttpMethod::head)]) {
            route.allow += ", HEAD";
        }
        if (!route.operations[slotOf(HttpMethod::options)]) route.allow += ", OPTIONS";
    }
}

PreparedOperation MockApi::Impl::prepare(const openapi::Operation& operation) {
    PreparedOperation prepared;
    prepared.operation = &operation;
    for (const openapi::Parameter* parameter : operation.effectiveParameters()) {
        if (ignoredHeaderParameter(*parameter)) continue;
        const Schema* schema = validators ? validators->find(schemaSlot(parameter->schemaOrContent())) : nullptr;
        prepared.parameters.emplace_back(parameter, schema);
    }
    if (const openapi::RequestBody* body = operation.requestBody()) {
        prepared.hasBody = true;
        prepared.bodyRequired = body->required();
        for (const auto& [key, mediaType] : body->content()) {
            const Schema* schema = validators ? validators->find(mediaType->schemaNode()) : nullptr;
            prepared.bodies.push_back({key, mediaTypeEssence(key), schema});
        }
    }
    return prepared;
}

Response MockApi::Impl::handle(const Request& request) {
    Response response;
    try {
        response = answer(request);
    } catch (const std::exception& e) {
        response = problem(500, fmt::format("The mock cannot answer: {}", e.what()));
    }
    response.headers.emplace_back("Access-Control-Allow-Origin", "*");
    return response;
}

Response MockApi::Impl::answer(const Request& request) {
    std::string_view target = request.target;
    if (target.starts_with("http://") || target.starts_with("https://")) {
        // The absolute form: only the path and query matter here.
        target.remove_prefix(target.find("://") + 3);
        auto slash = target.find_first_of("/?");
        target = slash == std::string_view::npos ? std::string_view("/") : target.substr(slash);
    }
    if (!target.starts_with('/')) return problem(400, "The request target must be a path.");
    auto question = target.find('?');
    std::string_view path = target.substr(0, question);
    std::string_view query = question == std::string_view::npos ? std::string_view() : target.substr(question + 1);
    query = query.substr(0, query.find('#'));

    if (!basePath.empty()) {
        if (!path.starts_with(basePath) || (path.size() > basePath.size() && path[basePath.size()] != '/')) {
            return problem(404,
                           fmt::format("No operation is served at {}; every path starts with {}.", path, basePath));
        }
        path.remove_prefix(basePath.size());
        if (path.empty()) path = "/";
    }
    auto match = router.match(path);
    if (!match)
        return problem(
            404, fmt::format("No path of the API matches {}.", request.target.substr(0, request.target.find('?'))));
    const Route& route = routes[match->route];

    auto method = methodOf(request.method);
    if (request.method == "OPTIONS" && request.header("Origin") && request.header("Access-Control-Request-Method")) {
        Response preflight;
        preflight.status = 204;
        preflight.headers.emplace_back("Access-Control-Allow-Methods", route.allow);
        if (auto headers = request.header("Access-Control-Request-Headers")) {
            preflight.headers.emplace_back("Access-Control-Allow-Headers", std::string(*headers));
        }
        preflight.headers.emplace_back("Access-Control-Max-Age", "86400");
        return preflight;
    }
    const PreparedOperation* prepared = nullptr;
    if (method && route.operations[slotOf(*method)]) prepared = &*route.operations[slotOf(*method)];
    if (!prepared && method == HttpMethod::head && route.operations[slotOf(HttpMethod::get)]) {
        prepared = &*route.operations[slotOf(HttpMethod::get)];
    }
    if (!prepared) {
        if (method == HttpMethod::options) {
            Response options;
            options.status = 204;
            options.headers.emplace_back("Allow", route.allow);
            return options;
        }
        Response refusal =
            problem(405, fmt::format("{} is not one of the methods of this path: {}.", request.method, route.allow));
        refusal.headers.emplace_back("Allow", route.allow);
        return refusal;
    }

    RequestParts parts;
    parts.request = &request;
    parts.path = &*match;
    parts.query = parseQuery(query);
    std::vector<std::string_view> cookieHeaders;
    std::vector<std::string_view> preferHeaders;
    for (const auto& [name, value] : request.headers) {
        if (asciiCompareNoCase(name, "Cookie")) cookieHeaders.push_back(value);
        if (asciiCompareNoCase(name, "Prefer")) preferHeaders.push_back(value);
    }
    parts.cookies = parseCookies(cookieHeaders);

    if (options.validate) {
        if (auto refusal = check(*prepared, parts)) return std::move(*refusal);
    }
    Preferences preferences = parsePreferences(preferHeaders);
    std::uint64_t seed =
        preferences.dynamic ? mix(++dynamicSeed) : mix(options.seed ^ mix(fingerprint(request.method, request.target)));
    return responder->respond(*prepared->operation, request, preferences, seed);
}

std::optional<Response> MockApi::Impl::check(const PreparedOperation& prepared, const RequestParts& parts) {
    const Request& request = *parts.request;
    SecurityCheck security = checkSecurity(*document->model(), *prepared.operation, parts);
    if (!security.satisfied) {
        Response refusal = problem(401, security.detail);
        std::string challenges;
        for (const auto& challenge : security.challenges) challenges += (challenges.empty() ? "" : ", ") + challenge;
        if (challenges.empty()) challenges = R"(Bearer realm="mock")";
        refusal.headers.emplace_back("WWW-Authenticate", std::move(challenges));
        return refusal;
    }

    std::vector<Violation> violations;
    std::unique_ptr<jv::JVDoc> body;
    const PreparedBody* bodyType = nullptr;
    auto contentType = request.header("Content-Type");
    bool bodySent = !request.body.empty();
    if (prepared.hasBody && bodySent) {
        std::string essence = mediaTypeEssence(contentType.value_or("application/octet-stream"));
        for (const auto& candidate : prepared.bodies) {
            if (candidate.essence == essence) bodyType = &candidate;
        }
        for (std::size_t i = 0; !bodyType && i < prepared.bodies.size(); ++i) {
            if (mediaRangeMatches(prepared.bodies[i].essence, essence)) bodyType = &prepared.bodies[i];
        }
        if (!bodyType) {
            std::string accepted;
            for (const auto& candidate : prepared.bodies) accepted += (accepted.empty() ? "" : ", ") + candidate.key;
            return problem(
                415, contentType
                         ? fmt::format("The request body must be sent as {}, not {}.", accepted, *contentType)
                         : fmt::format("The request body must be sent as {} (Content-Type is missing).", accepted));
        }
        if (isJsonMediaType(essence)) {
            try {
                body = jv::readString(request.body, FileFormat::JSON);
            } catch (const std::exception& e) {
                return problem(400, fmt::format("The request body is not valid JSON: {}", e.what()));
            }
        }
    } else if (prepared.hasBody && prepared.bodyRequired) {
        violations.push_back({"The request body is required.", "body", "", ""});
    }

    for (const auto& [parameter, schema] : prepared.parameters) {
        std::string in(openapi::parameterLocationToString(parameter->location()));
        std::unique_ptr<jv::JV> value;
        try {
            value = readParameter(*parameter, parts);
        } catch (const ParameterError& e) {
            violations.push_back({e.what(), in, parameter->name(), ""});
            continue;
        }
        if (!value) {
            if (parameter->required()) {
                violations.push_back({fmt::format("The required {} parameter '{}' is missing.", in, parameter->name()),
                                      in, parameter->name(), ""});
            }
            continue;
        }
        if (!schema) continue;
        for (auto& finding : validateValue(*schema, *value)) {
            violations.push_back({std::move(finding.message), in, parameter->name(), std::move(finding.pointer)});
        }
    }
    if (body && body->root() && bodyType && bodyType->schema) {
        for (auto& finding : validateValue(*bodyType->schema, *body->root())) {
            violations.push_back({std::move(finding.message), "body", "", std::move(finding.pointer)});
        }
    }
    if (violations.empty()) return std::nullopt;
    return problem(422, "The request does not match the API description.", violations);
}

namespace {

std::vector<std::filesystem::path> sourceFilesOf(const openapi::OpenAPIReadResult& document) {
    std::vector<std::filesystem::path> files;
    if (document.filePath()) files.push_back(*document.filePath());
    for (const auto& other : document.otherFiles()) files.push_back(other.path);
    return files;
}

}  // namespace

MockApi::MockApi(std::unique_ptr<openapi::OpenAPIReadResult> document, MockOptions options)
    : sourceFiles_(sourceFilesOf(*document)) {
    impl_ = std::make_unique<Impl>(std::move(document), options);
}

MockApi::~MockApi() = default;

std::unique_ptr<MockApi> MockApi::fromFile(const std::filesystem::path& path,
                                           const openapi::SchemaFormatRegistry* formats, MockOptions options) {
    openapi::SchemaFormatRegistry defaultFormats;
    if (formats == nullptr) formats = &defaultFormats;
    openapi::ReadOptions readOptions;
    readOptions.allowRefsOutside = options.allowRefsOutside;
    auto document = openapi::checkedReadFromFile(path, formats, readOptions);
    std::vector<std::filesystem::path> files = sourceFilesOf(*document);
    if (document->isMultiFile()) {
        // The request validators compile schemas out of the root document, where references into other files
        // would not resolve: they get the single document the files bundle into. The split read is replaced by it,
        // so its values move into the bundle.
        openapi::Parser parser(nullptr, formats);
        parser.fromDoc(openapi::bundleDocument(std::move(document)));
        parser.checkIssues();
        document = parser.result();
        document->setFilePath(path);
    }
    auto api = std::make_unique<MockApi>(std::move(document), options);
    api->sourceFiles_ = std::move(files);
    return api;
}

Response MockApi::handle(const Request& request) { return impl_->handle(request); }

std::size_t MockApi::routeCount() const { return impl_->operationCount; }

const std::string& MockApi::basePath() const { return impl_->basePath; }

const std::vector<std::string>& MockApi::warnings() const { return impl_->warnings; }

}  // namespace zephalon::openapi_mock
