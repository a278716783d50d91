// Throughput of the format checks on typical document values. A schema
// validation of an OpenAPI document runs these once per string with a
// "format", so they should cost well under a microsecond each.
#include <benchmark/benchmark.h>

#include <string>
#include <string_view>
#include <vector>

#include "zephalon/foundation/base64.h"
#include "zephalon/foundation/ecmascript_regex.h"
#include "zephalon/foundation/uri.h"
#include "zephalon/foundation/uri_template.h"
#include "zephalon/foundation/validators.h"

namespace {

template <typename Check>
void runCheck(benchmark::State& state, Check check, std::vector<std::string_view> inputs) {
    std::size_t bytes = 0;
    for (auto _ : state) {
        for (std::string_view input : inputs) {
            benchmark::DoNotOptimize(check(input));
            bytes += input.size();
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * inputs.size()));
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}

void BM_DateTime(benchmark::State& state) {
    runCheck(state, [](std::string_view s) { return zephalon::isValidDateTime(s); },
             {"1963-06-19T08:30:06.283185Z", "2016-12-31T23:59:60Z", "1990-02-31T15:59:59.123-08:00"});
}
BENCHMARK(BM_DateTime);

void BM_Hostname(benchmark::State& state) {
    runCheck(state, zephalon::isValidHostname, {"www.example.com", "api.internal-service.eu-west-1.example.org"});
}
BENCHMARK(BM_Hostname);

void BM_IdnHostname(benchmark::State& state) {
    runCheck(state, zephalon::isValidIdnHostname, {"\xEC\x8B\xA4\xEB\xA1\x80.\xED\x85\x8C\xEC\x8A\xA4\xED\x8A\xB8"});
}
BENCHMARK(BM_IdnHostname);

void BM_Email(benchmark::State& state) {
    runCheck(state, zephalon::isValidEmail, {"joe.bloggs@example.com", "\"joe bloggs\"@[IPv6:::1]"});
}
BENCHMARK(BM_Email);

void BM_IPv6(benchmark::State& state) {
    runCheck(state, zephalon::isValidIPv6, {"2001:db8::7", "1000:1000:1000:1000:1000:1000:255.255.255.255"});
}
BENCHMARK(BM_IPv6);

void BM_Uri(benchmark::State& state) {
    runCheck(state, zephalon::isValidUri,
             {"https://api.example.com/v1/pets/{id}?limit=10#section", "urn:oasis:names:specification:docbook"});
}
BENCHMARK(BM_Uri);

void BM_UriResolve(benchmark::State& state) {
    zephalon::Uri base = zephalon::Uri::parse("https://example.com/schemas/root.json");
    zephalon::Uri reference = zephalon::Uri::parse("../common/pet.json#/definitions/Pet");
    for (auto _ : state) {
        benchmark::DoNotOptimize(base.resolve(reference));
    }
}
BENCHMARK(BM_UriResolve);

void BM_UriTemplate(benchmark::State& state) {
    runCheck(state, zephalon::isValidUriTemplate, {"/users/{id}/posts{?page,limit:3,tags*}"});
}
BENCHMARK(BM_UriTemplate);

void BM_Base64Decode(benchmark::State& state) {
    std::string encoded = zephalon::encodeBase64(std::string(4096, 'x'));
    runCheck(state, zephalon::isValidBase64, {encoded});
}
BENCHMARK(BM_Base64Decode);

void BM_EcmaScriptCompile(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(zephalon::createEcmaScriptRegex(R"(^[\w.+-]+@[\w-]+\.[\w.-]+\s*$)"));
    }
}
BENCHMARK(BM_EcmaScriptCompile);

}  // namespace

// main() comes from the module's other benchmark source.
