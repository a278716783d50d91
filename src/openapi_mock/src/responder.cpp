#include "responder.h"

#include <fmt/format.h>

#include <charconv>

#include "zephalon/foundation/strings.h"
#include "zephalon/jv_generator/generator.h"
#include "zephalon/openapi/model.h"
#include "zephalon/openapi/reader_result.h"

namespace zephalon::openapi_mock {

namespace {

struct Choice {
    int status = 204;
    const openapi::Response* response = nullptr;
    bool preferred = false;
};

std::optional<int> statusOf(std::string_view key) {
    int code = 0;
    auto [end, error] = std::from_chars(key.data(), key.data() + key.size(), code);
    if (error != std::errc() || end != key.data() + key.size() || key.size() != 3) return std::nullopt;
    return code;
}

bool isRangeKey(std::string_view key, char first) {
    return key.size() == 3 && key[0] == first && (key[1] == 'X' || key[1] == 'x') && (key[2] == 'X' || key[2] == 'x');
}

bool withoutBody(int status) { return status < 200 || status == 204 || status == 304; }

// The first example value of a schema: the 3.0 "example", else the first of "examples".
const jv::JV* schemaExample(const openapi::Schema* schema) {
    if (!schema) return nullptr;
    if (schema->exampleValue()) return schema->exampleValue();
    if (!schema->exampleList().empty()) return schema->exampleList().front().get();
    if (!schema->examples().empty()) return schema->examples().begin()->second.get();
    return nullptr;
}

// Only one of the two forms is held: "example" or named "examples".
const jv::JV* embeddedExample(const openapi::Examples& examples) {
    return examples.exampleMode() == openapi::Examples::Mode::embedded ? examples.embeddedExample() : nullptr;
}

std::string serialise(const jv::JV& value, bool json) {
    if (!json && value.isString()) return std::string(value.stringValue());
    return toJsonText(value);
}

// A header value in the simple style: items and members joined by commas.
std::string headerText(const jv::JV& value, bool explode) {
    auto scalar = [](const jv::JV& item) {
        return item.isString() ? std::string(item.stringValue()) : toJsonText(item);
    };
    std::string text;
    if (value.isArray()) {
        for (const jv::JV* item : value.items()) {
            if (!text.empty()) text += ',';
            text += scalar(*item);
        }
    } else if (value.isObject()) {
        for (auto [name, member] : value.properties()) {
            if (!text.empty()) text += ',';
            text += name;
            text += explode ? '=' : ',';
            text += scalar(*member);
        }
    } else {
        text = scalar(value);
    }
    return text;
}

std::unique_ptr<jv::JV> generate(const openapi::Schema* schema, std::uint64_t seed) {
    jv_generator::Generator generator(schema, seed);
    return generator.generate();
}

}  // namespace

template <class Map>
std::vector<std::string> Responder::keysInSourceOrder(const openapi::Node& owner, std::string_view member,
                                                      const Map& map) const {
    std::vector<std::string> keys;
    auto location = member.empty() ? document_.sourceLocation(&owner) : document_.sourceLocation(&owner, member);
    if (location && location->value && location->value->isObject()) {
        for (std::string_view key : document_.doc()->propOrder(*location->value)) {
            if (map.find(key) != map.end() && std::find(keys.begin(), keys.end(), key) == keys.end()) {
                keys.emplace_back(key);
            }
        }
    }
    // Entries the source order does not know (a model built or changed by code) follow in key order.
    for (const auto& [key, value] : map) {
        (void)value;
        if (std::find(keys.begin(), keys.end(), key) == keys.end()) keys.push_back(key);
    }
    return keys;
}

Response Responder::respond(const openapi::Operation& operation, const Request& request, const Preferences& preferences,
                            std::uint64_t seed) {
    Choice choice;
    const openapi::Responses* responses = operation.responses();
    std::vector<std::string> order;
    if (responses) order = keysInSourceOrder(*responses, "", responses->responses());
    if (responses && preferences.code) {
        std::string code = std::to_string(*preferences.code);
        const openapi::Response* response = responses->response(code);
        for (std::size_t i = 0; !response && i < order.size(); ++i) {
            if (isRangeKey(order[i], code[0])) response = responses->response(order[i]);
        }
        if (!response) response = responses->response("default");
        if (response) choice = {*preferences.code, response, true};
    }
    if (responses && !choice.response) {
        for (const auto& key : order) {
            auto status = statusOf(key);
            if ((status && *status >= 200 && *status < 300) || isRangeKey(key, '2')) {
                choice = {status.value_or(200), responses->response(key), false};
                break;
            }
        }
        if (!choice.response && responses->response("default")) choice = {200, responses->response("default"), false};
        for (std::size_t i = 0; !choice.response && i < order.size(); ++i) {
            if (auto status = statusOf(order[i])) choice = {*status, responses->response(order[i]), false};
        }
    }

    Response response;
    response.status = choice.status;
    std::vector<std::string> applied;
    if (choice.preferred) applied.push_back(fmt::format("code={}", choice.status));
    if (!choice.response) return response;

    std::uint64_t headerSeed = seed;
    for (const auto& name : keysInSourceOrder(*choice.response, "headers", choice.response->headers())) {
        if (asciiCompareNoCase(name, "Content-Type")) continue;
        const openapi::Header* header = choice.response->header(name);
        if (!header) continue;
        std::string value = headerValue(*header, ++headerSeed);
        if (!value.empty()) response.headers.emplace_back(name, std::move(value));
    }

    if (!withoutBody(choice.status) && !choice.response->content().empty()) {
        auto keys = keysInSourceOrder(*choice.response, "content", choice.response->content());
        auto chosen = negotiate(request.header("Accept"), keys);
        if (!chosen) {
            Response refusal;
            refusal.status = 406;
            std::string offered;
            for (const auto& key : keys) offered += (offered.empty() ? "" : ", ") + key;
            refusal.body = problemJson(406, fmt::format("The response is available as {} only.", offered));
            refusal.headers.emplace_back("Content-Type", "application/problem+json");
            return refusal;
        }
        const std::string& key = keys[*chosen];
        bool exampleApplied = false;
        Body body = this->body(*choice.response->mediaType(key), key, preferences, seed, exampleApplied);
        if (exampleApplied) applied.push_back(fmt::format("example={}", *preferences.example));
        if (preferences.dynamic && body.generated) applied.emplace_back("dynamic=true");
        response.body = std::move(body.text);
        response.headers.emplace_back("Content-Type", std::move(body.contentType));
    }
    if (!applied.empty()) {
        std::string text;
        for (const auto& item : applied) text += (text.empty() ? "" : ", ") + item;
        response.headers.emplace_back("Preference-Applied", std::move(text));
    }
    return response;
}

Responder::Body Responder::body(const openapi::MediaType& mediaType, std::string_view key,
                                const Preferences& preferences, std::uint64_t seed, bool& exampleApplied) {
    std::string essence = mediaTypeEssence(key);
    bool wildcard = essence.find('*') != std::string::npos;
    bool json = isJsonMediaType(essence) || wildcard;
    Body body;
    body.contentType = wildcard ? "application/json" : std::string(key);

    std::string exampleName;
    const jv::JV* example = nullptr;
    if (preferences.example) {
        if (const openapi::Example* named = mediaType.examples().externalExample(*preferences.example)) {
            example = named->value();
            if (example) {
                exampleName = *preferences.example;
                exampleApplied = true;
            }
        }
    }
    auto cached = examples_.find({&mediaType, exampleName});
    if (cached != examples_.end()) {
        body.text = cached->second;
        return body;
    }
    if (!example) example = embeddedExample(mediaType.examples());
    if (!example) {
        for (const auto& name : keysInSourceOrder(mediaType, "examples", mediaType.examples().externalExamples())) {
            const openapi::Example* candidate = mediaType.examples().externalExample(name);
            if (candidate && candidate->value()) {
                example = candidate->value();
                break;
            }
        }
    }
    if (!example) example = schemaExample(mediaType.schema());
    if (example) {
        body.text = serialise(*example, json);
        examples_.emplace(std::make_pair(&mediaType, exampleName), body.text);
        return body;
    }
    if (!mediaType.schema()) return body;
    auto generated = generate(mediaType.schema(), seed);
    if (generated) body.text = serialise(*generated, json);
    body.generated = true;
    return body;
}

std::string Responder::headerValue(const openapi::Header& header, std::uint64_t seed) {
    const jv::JV* example = embeddedExample(header.examples());
    if (!example) {
        for (const auto& [exampleName, node] : header.examples().externalExamples()) {
            (void)node;
            const openapi::Example* candidate = header.examples().externalExample(exampleName);
            if (candidate && candidate->value()) {
                example = candidate->value();
                break;
            }
        }
    }
    const openapi::Schema* schema = header.schemaOrContent().effectiveSchema();
    if (!example) example = schemaExample(schema);
    if (example) return headerText(*example, header.explode());
    if (!schema) return {};
    auto generated = generate(schema, seed);
    return generated && !generated->isNull() ? headerText(*generated, header.explode()) : std::string();
}

}  // namespace zephalon::openapi_mock
