// Parses arbitrary bytes as a template and renders it against a fixed data object. Templates of the environment
// include and extend the input, so cycles through it are reachable. Only template errors may come out: any other
// exception, a crash, a hang or runaway memory is a finding.

#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <string_view>

#include "zephalon/templating/environment.h"

namespace {

using zephalon::templating::Arguments;
using zephalon::templating::Environment;
using Json = nlohmann::json;

const Json& fixedData() {
    static const Json data = Json::parse(R"({
        "s": "text", "empty": "", "n": 3, "neg": -7, "f": 2.5, "big": 18446744073709551615, "t": true, "z": null,
        "list": [1, "two", {"k": "v"}, [3, 4], null],
        "obj": {"a": 1, "b": {"c": [true, null, "x"]}, "0": "zero"},
        "files": [{"path": "a.yaml", "issues": [{"line": 3, "column": 7, "severity": "error", "message": "m <&>",
                   "ruleId": "r"}]}, {"path": "b.json", "issues": []}]
    })");
    return data;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(bytes), size);
    Environment env;
    env.setLimits({.iterations = 20'000, .textBytes = 1 << 20});
    env.addCallback("echo", 1, [](const Arguments& args) { return args[0]; });
    env.addCallback("fail", 0, [](const Arguments&) -> Json { throw std::runtime_error("refused"); });
    try {
        env.addTemplate("base", "<{% block body %}base{% endblock %}|{% block tail %}{% endblock %}>");
        env.addTemplate("wrap", "[{% include \"input\" %}]");
        env.addTemplate("child", "{% extends \"input\" %}{% block body %}child{% endblock %}");
        const auto& input = env.addTemplate("input", text);
        (void)env.render(input, fixedData());
    } catch (const zephalon::templating::TemplateError&) {
    }
    return 0;
}
