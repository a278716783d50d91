#include "zephalon/templating/environment.h"

#include <fmt/format.h>

#include <ostream>
#include <utility>

#include "builtins.h"
#include "environment_impl.h"

namespace zephalon::templating {

Template::Template(std::unique_ptr<TemplateData> data) : data_(std::move(data)) {}
Template::Template(Template&&) noexcept = default;
Template& Template::operator=(Template&&) noexcept = default;
Template::~Template() = default;

const std::string& Template::name() const { return data_->name; }

const TemplateData* Environment::Impl::findTemplate(std::string_view name) const {
    auto it = templates.find(name);
    return it == templates.end() ? nullptr : &Environment::dataOf(*it->second);
}

Environment::Environment() : impl_(std::make_unique<Impl>()) {}
Environment::Environment(Environment&&) noexcept = default;
Environment& Environment::operator=(Environment&&) noexcept = default;
Environment::~Environment() = default;

Template Environment::parse(std::string name, std::string_view text) const {
    return Template(parseTemplate(std::move(name), text));
}

const Template& Environment::addTemplate(std::string name, std::string_view text) {
    if (impl_->templates.find(name) != impl_->templates.end()) {
        throw std::invalid_argument(fmt::format("[templating] a template named '{}' exists already", name));
    }
    auto tmpl = std::make_unique<Template>(parse(name, text));
    return *impl_->templates.emplace(std::move(name), std::move(tmpl)).first->second;
}

const Template* Environment::find(std::string_view name) const {
    auto it = impl_->templates.find(name);
    return it == impl_->templates.end() ? nullptr : it->second.get();
}

void Environment::addCallback(std::string name, std::size_t argc, Callback callback) {
    if (findBuiltin(name) != nullptr) {
        throw std::invalid_argument(fmt::format("[templating] '{}' is a built-in function", name));
    }
    if (!callback) {
        throw std::invalid_argument(fmt::format("[templating] the callback '{}' is empty", name));
    }
    auto& byCount = impl_->callbacks[name];
    if (!byCount.emplace(argc, std::move(callback)).second) {
        throw std::invalid_argument(
            fmt::format("[templating] a callback '{}' with {} arguments exists already", name, argc));
    }
}

void Environment::setLimits(Limits limits) { impl_->limits = limits; }

std::string Environment::render(const Template& tmpl, const nlohmann::json& data) const {
    Output out;
    renderTemplate(*impl_, dataOf(tmpl), data, out);
    return std::move(out).str();
}

void Environment::render(std::ostream& out, const Template& tmpl, const nlohmann::json& data) const {
    Output text;
    renderTemplate(*impl_, dataOf(tmpl), data, text);
    text.writeTo(out);
    if (!out) {
        throw std::runtime_error(fmt::format("[templating] writing the output of '{}' failed", tmpl.name()));
    }
}

}  // namespace zephalon::templating
