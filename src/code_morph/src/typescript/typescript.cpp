#include "zephalon/code_morph/typescript.h"

#include <fmt/format.h>

#include <algorithm>
#include <iterator>
#include <stdexcept>

#include "identifiers.h"
#include "zephalon/foundation/strings.h"

namespace zephalon::code_morph::typescript {
namespace {

constexpr std::string_view kTypePrefix = "type ";

}  // namespace

void TypeText::emit(std::string& out) const { out += text_; }

bool ModuleDecl::hasId(std::string_view id) const { return std::find(ids_.begin(), ids_.end(), id) != ids_.end(); }

void ModuleDecl::addId(std::string id) {
    if (!hasId(id)) ids_.push_back(std::move(id));
}

void ModuleDecl::replaceId(std::string_view from, std::string to) {
    auto it = std::find(ids_.begin(), ids_.end(), from);
    if (it == ids_.end()) return;
    if (hasId(to)) {
        ids_.erase(it);
    } else {
        *it = std::move(to);
    }
}

void ModuleDecl::emit(std::string& out) const {
    out += keyword_;
    // A namespace form stands for the whole module, so it is printed alone.
    auto star = std::find_if(ids_.begin(), ids_.end(), [](const std::string& id) { return id.starts_with('*'); });
    if (star != ids_.end()) {
        out += ' ';
        out += *star;
        out += " from \"";
    } else {
        out += " { ";
        for (std::size_t i = 0; i < ids_.size(); ++i) {
            if (i > 0) out += ", ";
            out += ids_[i];
        }
        out += " } from \"";
    }
    out += module_;
    out += "\";\n";
}

void Parameter::setTypeNode(std::unique_ptr<Node> type) {
    if (type) type->setParent(this);
    typeNode_ = std::move(type);
}

void Parameter::emit(std::string& out) const {
    out += name_;
    if (optional_) out += '?';
    if (!typeText_.empty()) {
        out += ": ";
        out += typeText_;
    } else if (typeNode_) {
        out += ": ";
        typeNode_->emit(out);
    }
}

Parameter* Function::addParameter(std::string name) {
    parameters_.push_back(std::make_unique<Parameter>(this, std::move(name)));
    return parameters_.back().get();
}

Parameter* Function::addParameter(std::string name, std::string typeText) {
    Parameter* parameter = addParameter(std::move(name));
    parameter->setTypeText(std::move(typeText));
    return parameter;
}

Parameter* Function::addParameter(std::string name, std::unique_ptr<Node> type) {
    Parameter* parameter = addParameter(std::move(name));
    parameter->setTypeNode(std::move(type));
    return parameter;
}

Parameter* Function::parameter(std::size_t index) const {
    if (index >= parameters_.size()) {
        throw std::out_of_range(
            fmt::format("Function {} has no parameter {} (it has {})", name_, index, parameters_.size()));
    }
    return parameters_[index].get();
}

void Function::removeParameter(std::size_t index) {
    parameter(index);
    parameters_.erase(parameters_.begin() + static_cast<std::ptrdiff_t>(index));
}

void Function::setReturnType(std::unique_ptr<Node> type) {
    if (type) type->setParent(this);
    returnType_ = std::move(type);
}

void Function::emit(std::string& out) const {
    out += comment_;
    if (exported_) out += "export ";
    if (async_) out += "async ";
    out += "function ";
    out += name_;
    out += '(';
    for (std::size_t i = 0; i < parameters_.size(); ++i) {
        if (i > 0) out += ", ";
        parameters_[i]->emit(out);
    }
    out += ')';
    if (returnType_) {
        out += ": ";
        returnType_->emit(out);
    }
    out += " {\n";
    for (const auto& block : blocks_) {
        out += indentLines(block, 2);
        out += '\n';
    }
    out += "}\n";
}

template <class Decl>
Decl* SourceFile::declFor(std::vector<std::unique_ptr<Decl>>& decls, Node* parent, std::string_view module) {
    auto it = std::find_if(decls.begin(), decls.end(), [&](const auto& decl) { return decl->module() == module; });
    if (it != decls.end()) return it->get();
    decls.push_back(std::make_unique<Decl>(parent, std::string(module)));
    return decls.back().get();
}

void SourceFile::addImport(std::string_view module, std::string_view id) {
    ImportDecl* decl = declFor(imports_, this, module);
    const std::string typeOnly = fmt::format("{}{}", kTypePrefix, id);
    if (decl->hasId(typeOnly)) {
        decl->replaceId(typeOnly, std::string(id));
    } else {
        decl->addId(std::string(id));
    }
}

void SourceFile::addTypeImport(std::string_view module, std::string_view id) {
    ImportDecl* decl = declFor(imports_, this, module);
    if (!decl->hasId(id)) decl->addId(fmt::format("{}{}", kTypePrefix, id));
}

void SourceFile::addExport(std::string_view module, std::string_view id) {
    declFor(exports_, this, module)->addId(std::string(id));
}

void SourceFile::addNamespaceImport(std::string_view module, std::string_view alias) {
    declFor(imports_, this, module)->addId(fmt::format("* as {}", alias));
}

void SourceFile::addStarExport(std::string_view module) { addExport(module, "*"); }

Function* SourceFile::addFunction(std::string name) {
    if (findFunction(name) != nullptr) throw std::runtime_error("Function already exists " + name);
    functions_.push_back(std::make_unique<Function>(this, std::move(name)));
    return functions_.back().get();
}

Function* SourceFile::findFunction(std::string_view name) const {
    auto it = std::find_if(functions_.begin(), functions_.end(),
                           [&](const auto& function) { return function->name() == name; });
    return it == functions_.end() ? nullptr : it->get();
}

void SourceFile::emit(std::string& out) const {
    if (imports_.empty() && functions_.empty() && exports_.empty()) {
        base::SourceFile::emit(out);
        return;
    }
    const std::size_t start = out.size();
    for (const auto& decl : imports_) decl->emit(out);
    if (!text().empty()) {
        if (out.size() > start) out += '\n';
        out += text();
        if (out.back() != '\n') out += '\n';
    }
    for (const auto& function : functions_) {
        if (out.size() > start) out += '\n';
        function->emit(out);
    }
    for (const auto& decl : exports_) decl->emit(out);
}

SourceFile* Project::addModuleFile(std::string_view name) { return addSourceFile(fmt::format("src/{}.ts", name)); }

bool isReservedWord(std::string_view word) {
    // The reserved words of ECMAScript, those of strict mode, and the ones TypeScript adds for its own types.
    static constexpr std::string_view kReserved[] = {
        "await",   "break",   "case",      "catch",  "class",  "const",      "continue",   "debugger",
        "default", "delete",  "do",        "else",   "enum",   "export",     "extends",    "false",
        "finally", "for",     "function",  "if",     "import", "in",         "instanceof", "new",
        "null",    "return",  "super",     "switch", "this",   "throw",      "true",       "try",
        "typeof",  "var",     "void",      "while",  "with",   "implements", "interface",  "let",
        "package", "private", "protected", "public", "static", "yield",      "arguments",  "eval"};
    return std::find(std::begin(kReserved), std::end(kReserved), word) != std::end(kReserved);
}

std::string toVariableName(std::string_view name) {
    std::string result = identifierFrom(name, NamingConvention::CamelCase, "unnamed");
    if (isReservedWord(result)) result += '_';
    return result;
}

std::string toTypeName(std::string_view name) { return identifierFrom(name, NamingConvention::PascalCase, "Unnamed"); }

}  // namespace zephalon::code_morph::typescript
