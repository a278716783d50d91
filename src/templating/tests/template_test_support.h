#pragma once

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "zephalon/templating/environment.h"

namespace zephalon::templating::testing {

using Json = nlohmann::json;

inline std::string render(const Environment& env, std::string_view text, const Json& data = Json::object()) {
    return env.render(env.parse("test", text), data);
}

inline std::string render(std::string_view text, const Json& data = Json::object()) {
    return render(Environment(), text, data);
}

// The message of the error that parsing or rendering throws, or a note that nothing was thrown.
template <class Error>
std::string errorOf(const Environment& env, std::string_view text, const Json& data = Json::object()) {
    try {
        (void)render(env, text, data);
    } catch (const Error& e) {
        return e.what();
    }
    return "(no error)";
}

inline std::string syntaxError(std::string_view text) { return errorOf<SyntaxError>(Environment(), text); }

inline std::string renderError(std::string_view text, const Json& data = Json::object()) {
    return errorOf<RenderError>(Environment(), text, data);
}

}  // namespace zephalon::templating::testing
