// Requests made of arbitrary bytes, handled by mocks of two documents that use every parameter location and style.
// Input: the method, the target and one header per line, an empty line, then the body. The first byte picks the
// document.

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>

#include "zephalon/openapi/reader.h"
#include "zephalon/openapi/reader_result.h"
#include "zephalon/openapi_mock/mock_api.h"

namespace {

using zephalon::openapi_mock::MockApi;

constexpr std::string_view kStyles = R"(
openapi: 3.0.3
info: {title: Styles, version: '1'}
servers: [{url: 'https://example.com/v1'}]
security: [{key: []}, {basic: []}, {}]
paths:
  /s/{simple}/l/{label}/m/{matrix}/{file}.{ext}:
    parameters:
      - {name: simple, in: path, required: true, schema: {type: object, properties: {a: {type: integer}}}, explode: true}
      - {name: label, in: path, required: true, style: label, explode: true, schema: {type: array, items: {type: number}}}
      - {name: matrix, in: path, required: true, style: matrix, schema: {type: object, additionalProperties: {type: boolean}}}
      - {name: file, in: path, required: true, schema: {type: string, pattern: '^[a-z]+$'}}
      - {name: ext, in: path, required: true, schema: {type: string, enum: [json, xml]}}
    post:
      parameters:
        - {name: f, in: query, style: form, explode: false, schema: {type: object, properties: {x: {type: integer}}}}
        - {name: d, in: query, style: deepObject, schema: {type: object, additionalProperties: {type: integer}}}
        - {name: p, in: query, style: pipeDelimited, schema: {type: array, items: {type: integer}}}
        - {name: sp, in: query, style: spaceDelimited, schema: {type: array, items: {type: string}}}
        - {name: j, in: query, content: {application/json: {schema: {type: array, maxItems: 3}}}}
        - {name: X-H, in: header, schema: {type: object, properties: {k: {type: integer}}}}
        - {name: c, in: cookie, explode: true, schema: {type: array, items: {type: integer}}}
      requestBody:
        content:
          application/json: {schema: {$ref: '#/components/schemas/Node'}}
          text/*: {schema: {type: string}}
      responses:
        '200':
          description: ok
          headers: {X-N: {schema: {type: array, items: {type: integer}}}}
          content:
            application/json: {schema: {$ref: '#/components/schemas/Node'}}
            text/plain: {examples: {a: {value: text}}}
        4XX: {description: bad}
        default: {description: other, content: {application/xml: {example: <x/>}}}
components:
  securitySchemes:
    key: {type: apiKey, in: cookie, name: k}
    basic: {type: http, scheme: basic}
  schemas:
    Node:
      type: object
      nullable: true
      properties:
        name: {type: string, maxLength: 5}
        children: {type: array, maxItems: 2, items: {$ref: '#/components/schemas/Node'}}
)";

std::unique_ptr<MockApi> load(std::string_view text) {
    return std::make_unique<MockApi>(zephalon::openapi::checkedReadFromString(text, zephalon::FileFormat::YAML),
                                     zephalon::openapi_mock::MockOptions{});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static std::unique_ptr<MockApi> styles = load(kStyles);
    static std::unique_ptr<MockApi> shop = [] {
        std::ifstream in(ZEPHALON_TESTDATA_DIR "/mock/shop-3.1.yaml");
        std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        return load(text);
    }();
    if (size == 0) return 0;
    MockApi& api = (data[0] & 1) ? *shop : *styles;
    std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);

    zephalon::openapi_mock::Request request;
    auto line = [&]() {
        auto end = input.find('\n');
        std::string_view text = input.substr(0, end);
        input = end == std::string_view::npos ? std::string_view() : input.substr(end + 1);
        return text;
    };
    request.method = line();
    request.target = line();
    while (!input.empty()) {
        std::string_view header = line();
        if (header.empty()) break;
        auto colon = header.find(':');
        request.headers.emplace_back(header.substr(0, colon),
                                     colon == std::string_view::npos ? std::string_view() : header.substr(colon + 1));
    }
    request.body = input;
    auto response = api.handle(request);
    if (response.status < 100 || response.status > 599) __builtin_trap();
    return 0;
}
