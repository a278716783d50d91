// Rendering walks the node tree once. Values are passed as references into the data, the template's literals or
// the variables wherever possible, so that reading a member copies nothing.

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <deque>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "builtins.h"
#include "environment_impl.h"

namespace zephalon::templating {

namespace {

using Json = nlohmann::json;

struct LoopState {
    std::size_t index;
    std::size_t size;
    const LoopState* parent;
};

// A value met while evaluating: a reference to JSON that lives elsewhere, a JSON value of its own, or a loop.
// A reference is stable when it points into storage that outlives the render (the data, a template literal); only
// stable references may be kept in variables, everything else is copied there.
class Value {
  public:
    Value() = default;
    static Value ref(const Json& json, bool stable) {
        Value v;
        v.ref_ = &json;
        v.stable_ = stable;
        return v;
    }
    static Value owned(Json json) {
        Value v;
        v.own_ = std::move(json);
        return v;
    }
    static Value loop(const LoopState& state) {
        Value v;
        v.loop_ = &state;
        return v;
    }

    const Json& get() const { return ref_ != nullptr ? *ref_ : own_; }
    const LoopState* loopState() const { return loop_; }
    bool isRef() const { return ref_ != nullptr; }
    bool isStable() const { return stable_; }
    // The JSON itself: moved out when owned, copied when referenced.
    Json take() { return ref_ != nullptr ? *ref_ : std::move(own_); }
    Json& ownedJson() { return own_; }

  private:
    const Json* ref_ = nullptr;
    Json own_;
    const LoopState* loop_ = nullptr;
    bool stable_ = false;
};

struct Variable {
    std::string_view name;
    Value value;
};

struct Scope {
    std::size_t firstVariable;
    const LoopState* loop;  // the loop whose body this scope is, or null
};

struct BlockRef {
    const Node* node;
    const TemplateData* owner;
};
using BlockMap = std::map<std::string_view, BlockRef, std::less<>>;

std::string_view opText(Op op) {
    switch (op) {
        case Op::Add:
            return "+";
        case Op::Sub:
            return "-";
        case Op::Mul:
            return "*";
        case Op::Div:
            return "/";
        case Op::Mod:
            return "%";
        case Op::Lt:
            return "<";
        case Op::Le:
            return "<=";
        case Op::Gt:
            return ">";
        case Op::Ge:
            return ">=";
        case Op::In:
            return "in";
        case Op::NotIn:
            return "not in";
        case Op::Negate:
            return "-";
        default:
            return "?";
    }
}

class Renderer {
  public:
    Renderer(const Environment::Impl& env, const Json& data, Output& out)
        : env_(env), limits_(env.limits), data_(data), out_(out) {}

    void run(const TemplateData& t) {
        scopes_.push_back({0, nullptr});
        renderTemplate(t);
    }

  private:
    // --- errors ---

    [[noreturn]] void fail(std::size_t offset, std::string_view what, std::string_view detail = {}) const {
        TemplateData::Position p = current_->position(offset);
        throw RenderError(current_->message(offset, what, detail), current_->name, p.line, p.column);
    }

    std::string_view sourceOf(const Expr& e) const {
        return std::string_view(current_->source).substr(e.begin, e.end - e.begin);
    }

    class Nest {
      public:
        Nest(Renderer& r, std::size_t offset) : r_(r) {
            if (++r_.depth_ > kMaxDepth) {
                r_.fail(offset, fmt::format("nesting deeper than {} levels", kMaxDepth));
            }
        }
        ~Nest() { --r_.depth_; }
        Nest(const Nest&) = delete;
        Nest& operator=(const Nest&) = delete;

      private:
        Renderer& r_;
    };

    // --- templates and statements ---

    void renderTemplate(const TemplateData& t) {
        std::vector<const TemplateData*> chain{&t};
        while (chain.back()->hasParent) {
            const TemplateData* child = chain.back();
            const TemplateData* parent = env_.findTemplate(child->parent);
            current_ = child;
            if (parent == nullptr) {
                fail(child->parentBegin, fmt::format("template '{}' not found", child->parent));
            }
            if (isActive(parent) || std::find(chain.begin(), chain.end(), parent) != chain.end()) {
                std::vector<const TemplateData*> path = active_;
                path.insert(path.end(), chain.begin(), chain.end());
                fail(child->parentBegin, "extends cycle", cycleText(path, parent));
            }
            chain.push_back(parent);
        }

        const TemplateData* outerCurrent = current_;
        const BlockMap* outerBlocks = blocks_;
        std::size_t outerActive = active_.size();
        active_.insert(active_.end(), chain.begin(), chain.end());
        BlockMap blocks;
        blocks_ = nullptr;
        if (chain.size() > 1) {
            // The most derived template's block wins; the set statements of the children run before the base is
            // rendered, base side first, so that a child's values override its parent's.
            for (const TemplateData* link : chain) {
                for (const auto& [name, node] : link->blocks) {
                    blocks.emplace(name, BlockRef{node, link});
                }
            }
            for (std::size_t i = chain.size() - 1; i-- > 0;) {
                current_ = chain[i];
                for (const Node& node : chain[i]->body) {
                    if (node.kind == Node::Kind::Set) {
                        renderSet(node);
                    }
                }
            }
            blocks_ = &blocks;
        }
        current_ = chain.back();
        renderBody(current_->body);
        current_ = outerCurrent;
        blocks_ = outerBlocks;
        active_.resize(outerActive);
    }

    // "a -> b -> a": the part of the path from the template met again.
    static std::string cycleText(const std::vector<const TemplateData*>& path, const TemplateData* again) {
        std::string text;
        for (auto it = std::find(path.begin(), path.end(), again); it != path.end(); ++it) {
            text += (*it)->name + " -> ";
        }
        return text + again->name;
    }

    bool isActive(const TemplateData* t) const { return std::find(active_.begin(), active_.end(), t) != active_.end(); }

    void renderBody(const Body& body) {
        for (const Node& node : body) {
            renderNode(node);
        }
    }

    void renderNode(const Node& node) {
        switch (node.kind) {
            case Node::Kind::Text:
                out_.append(node.text);
                checkOutput(node);
                return;
            case Node::Kind::Output: {
                Value value = eval(*node.expr);
                out_.append(valueText(value.get(), digits_, scratch_));
                checkOutput(node);
                return;
            }
            case Node::Kind::If:
                for (const Branch& branch : node.branches) {
                    if (branch.condition == nullptr || isTrue(eval(*branch.condition).get())) {
                        Nest nest(*this, node.begin);
                        renderBody(branch.body);
                        return;
                    }
                }
                return;
            case Node::Kind::For:
                renderFor(node);
                return;
            case Node::Kind::Set:
                renderSet(node);
                return;
            case Node::Kind::Include:
                renderInclude(node);
                return;
            case Node::Kind::Block:
                renderBlock(node);
                return;
        }
    }

    void checkOutput(const Node& node) const {
        if (out_.size() > limits_.textBytes) {
            fail(node.begin, "output too large", fmt::format("the limit is {} bytes", limits_.textBytes));
        }
    }

    void renderFor(const Node& node) {
        Value iterable = eval(*node.expr);
        const Json& list = iterable.get();
        bool pairs = !node.keyName.empty();
        if (pairs && !list.is_object()) {
            fail(node.expr->begin, fmt::format("'{}' is not an object", sourceOf(*node.expr)),
                 fmt::format("it is {}; 'for key, value in' loops over the members of an object", describeType(list)));
        }
        if (!pairs && !list.is_array()) {
            fail(node.expr->begin, fmt::format("'{}' is not a list", sourceOf(*node.expr)),
                 list.is_object() ? "it is an object; loop over its members with 'for key, value in'"
                                  : fmt::format("it is {}", describeType(list)));
        }
        Nest nest(*this, node.begin);
        LoopState state{0, list.size(), currentLoop()};
        std::size_t first = variables_.size();
        scopes_.push_back({first, &state});
        bool stable = iterable.isRef() && iterable.isStable();
        for (auto it = list.begin(); it != list.end(); ++it, ++state.index) {
            if (++iterations_ > limits_.iterations) {
                fail(node.begin, "too many loop iterations", fmt::format("the limit is {}", limits_.iterations));
            }
            popVariables(first);
            if (pairs) {
                variables_.push_back({node.keyName, Value::owned(it.key())});
            }
            variables_.push_back({node.text, Value::ref(*it, stable)});
            renderBody(node.body);
        }
        popVariables(first);
        scopes_.pop_back();
    }

    const LoopState* currentLoop() const {
        for (auto it = scopes_.rbegin(); it != scopes_.rend(); ++it) {
            if (it->loop != nullptr) {
                return it->loop;
            }
        }
        return nullptr;
    }

    void popVariables(std::size_t size) {
        while (variables_.size() > size) {
            variables_.pop_back();
        }
    }

    void renderSet(const Node& node) {
        Value value = eval(*node.expr);
        Value stored = value.isRef() && value.isStable() ? std::move(value) : Value::owned(value.take());
        for (std::size_t i = scopes_.back().firstVariable; i < variables_.size(); ++i) {
            if (variables_[i].name == node.text) {
                variables_[i].value = std::move(stored);
                return;
            }
        }
        variables_.push_back({node.text, std::move(stored)});
    }

    void renderInclude(const Node& node) {
        const TemplateData* t = env_.findTemplate(node.text);
        if (t == nullptr) {
            fail(node.begin, fmt::format("template '{}' not found", node.text));
        }
        if (isActive(t)) {
            fail(node.begin, "include cycle", cycleText(active_, t));
        }
        Nest nest(*this, node.begin);
        std::size_t first = variables_.size();
        scopes_.push_back({first, nullptr});
        renderTemplate(*t);
        popVariables(first);
        scopes_.pop_back();
    }

    void renderBlock(const Node& node) {
        Nest nest(*this, node.begin);
        if (blocks_ == nullptr) {
            renderBody(node.body);
            return;
        }
        auto it = blocks_->find(node.text);
        const BlockRef block = it != blocks_->end() ? it->second : BlockRef{&node, current_};
        const TemplateData* outer = current_;
        current_ = block.owner;
        renderBody(block.node->body);
        current_ = outer;
    }

    // --- variables ---

    std::optional<Value> lookup(std::string_view name) const {
        if (name == "loop") {
            // The innermost scope decides: a variable of that name set there, or else its loop.
            std::size_t end = variables_.size();
            for (std::size_t s = scopes_.size(); s-- > 0;) {
                for (std::size_t i = end; i-- > scopes_[s].firstVariable;) {
                    if (variables_[i].name == name) {
                        return refTo(variables_[i].value);
                    }
                }
                if (scopes_[s].loop != nullptr) {
                    return Value::loop(*scopes_[s].loop);
                }
                end = scopes_[s].firstVariable;
            }
        } else {
            for (std::size_t i = variables_.size(); i-- > 0;) {
                if (variables_[i].name == name) {
                    return refTo(variables_[i].value);
                }
            }
        }
        if (data_.is_object()) {
            auto it = data_.find(name);
            if (it != data_.end()) {
                return Value::ref(*it, true);
            }
        }
        return std::nullopt;
    }

    static Value refTo(const Value& stored) { return Value::ref(stored.get(), stored.isRef() && stored.isStable()); }

    static Json loopJson(const LoopState& state) {
        Json json = {{"index", state.index},
                     {"index1", state.index + 1},
                     {"is_first", state.index == 0},
                     {"is_last", state.index + 1 == state.size}};
        if (state.parent != nullptr) {
            json["parent"] = loopJson(*state.parent);
        }
        return json;
    }

    static Value materialize(Value value) {
        if (value.loopState() != nullptr) {
            return Value::owned(loopJson(*value.loopState()));
        }
        return value;
    }

    // Why the last resolve() came back empty: the expression that named nothing, and what was found instead.
    struct Missing {
        const Expr* expr = nullptr;
        std::string detail;
    };

    bool isAccess(const Expr& e) const {
        return e.kind == Expr::Kind::Variable || e.kind == Expr::Kind::Member || e.kind == Expr::Kind::Index;
    }

    // Resolves a variable or member access (loops left as they are); empty, with missing_ set, when it names nothing.
    std::optional<Value> resolve(const Expr& e) {
        switch (e.kind) {
            case Expr::Kind::Variable: {
                std::optional<Value> value = lookup(e.name);
                if (!value) {
                    missing_ = {&e, {}};
                }
                return value;
            }
            case Expr::Kind::Member: {
                std::optional<Value> object = resolveOperand(*e.operands[0]);
                if (!object) {
                    return std::nullopt;
                }
                return member(std::move(*object), &e, e.name, e.index);
            }
            case Expr::Kind::Index: {
                std::optional<Value> object = resolveOperand(*e.operands[0]);
                if (!object) {
                    return std::nullopt;
                }
                const Expr& indexExpr = *e.operands[1];
                Value index = eval(indexExpr);
                const Json& key = index.get();
                std::int64_t i = 0;
                if (key.is_string()) {
                    return member(std::move(*object), &e, key.get_ref<const std::string&>(), std::string::npos);
                }
                if (asInteger(key, i) && i >= 0) {
                    return member(std::move(*object), &e, {}, static_cast<std::size_t>(i));
                }
                fail(indexExpr.begin, fmt::format("wrong index '{}'", sourceOf(indexExpr)),
                     fmt::format("expected a string or an integer from 0, got {}", describeType(key)));
            }
            default:
                return eval(e);
        }
    }

    std::optional<Value> resolveOperand(const Expr& e) { return isAccess(e) ? resolve(e) : eval(e); }

    // A member of an object, an element of a list (`index` when the key is a number), or a property of a loop.
    std::optional<Value> member(Value object, const Expr* e, std::string_view key, std::size_t index) {
        if (const LoopState* loop = object.loopState()) {
            if (key == "index") {
                return Value::owned(loop->index);
            }
            if (key == "index1") {
                return Value::owned(loop->index + 1);
            }
            if (key == "is_first") {
                return Value::owned(loop->index == 0);
            }
            if (key == "is_last") {
                return Value::owned(loop->index + 1 == loop->size);
            }
            if (key == "parent" && loop->parent != nullptr) {
                return Value::loop(*loop->parent);
            }
            missing_ = {e, key == "parent" ? "the loop is not inside another loop"
                                           : "a loop has index, index1, is_first, is_last and parent"};
            return std::nullopt;
        }
        const Json& json = object.get();
        const Json* found = nullptr;
        if (json.is_object()) {
            std::string number;
            if (key.empty() && index != std::string::npos) {
                number = std::to_string(index);  // a["0"] and a[0] name the same member of an object
                key = number;
            }
            auto it = json.find(key);
            if (it != json.end()) {
                found = &*it;
            }
        } else if (json.is_array() && index != std::string::npos && index < json.size()) {
            found = &json[index];
        }
        if (found == nullptr) {
            missing_ = {e, {}};
            if (e != nullptr && !json.is_object()) {
                std::string_view owner = sourceOf(*e->operands[0]);
                missing_.detail = json.is_array() ? fmt::format("'{}' is a list of {}", owner, json.size())
                                                  : fmt::format("'{}' is {}", owner, describeType(json));
            }
            return std::nullopt;
        }
        if (object.isRef()) {
            return Value::ref(*found, object.isStable());
        }
        // The object is a temporary: keep the member alone.
        return Value::owned(std::move(const_cast<Json&>(*found)));
    }

    [[noreturn]] void failMissing() const {
        fail(missing_.expr->begin, fmt::format("undefined variable '{}'", sourceOf(*missing_.expr)), missing_.detail);
    }

    bool exists(std::string_view path) {
        std::optional<Value> value;
        std::size_t start = 0;
        while (true) {
            std::size_t dot = path.find('.', start);
            std::string_view part = path.substr(start, dot == std::string_view::npos ? dot : dot - start);
            if (part.empty()) {
                return false;
            }
            if (!value) {
                value = lookup(part);
            } else {
                std::size_t index = std::string::npos;
                if (std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; }) &&
                    part.size() < 19) {
                    index = std::stoull(std::string(part));
                }
                value = member(std::move(*value), nullptr, part, index);
            }
            if (!value) {
                return false;
            }
            if (dot == std::string_view::npos) {
                return true;
            }
            start = dot + 1;
        }
    }

    // --- expressions ---

    Value eval(const Expr& e) {
        switch (e.kind) {
            case Expr::Kind::Literal:
                return Value::ref(e.literal, true);
            case Expr::Kind::Variable:
            case Expr::Kind::Member:
            case Expr::Kind::Index: {
                std::optional<Value> value = resolve(e);
                if (!value) {
                    failMissing();
                }
                return materialize(std::move(*value));
            }
            case Expr::Kind::Unary:
                return unary(e);
            case Expr::Kind::Binary:
                return binary(e);
            case Expr::Kind::Call:
                return call(e);
        }
        return {};
    }

    Value unary(const Expr& e) {
        Value operand = eval(*e.operands[0]);
        const Json& x = operand.get();
        if (e.op == Op::Not) {
            return Value::owned(!isTrue(x));
        }
        std::int64_t i = 0;
        if (asInteger(x, i) && i != std::numeric_limits<std::int64_t>::min()) {
            return Value::owned(-i);
        }
        if (!x.is_number()) {
            fail(e.begin, "wrong operand to '-'", fmt::format("expected a number, got {}", describeType(x)));
        }
        return Value::owned(-x.get<double>());
    }

    Value binary(const Expr& e) {
        if (e.op == Op::And || e.op == Op::Or) {
            bool left = isTrue(eval(*e.operands[0]).get());
            if (left == (e.op == Op::Or)) {
                return Value::owned(left);
            }
            return Value::owned(isTrue(eval(*e.operands[1]).get()));
        }
        Value left = eval(*e.operands[0]);
        Value right = eval(*e.operands[1]);
        const Json& x = left.get();
        const Json& y = right.get();
        switch (e.op) {
            case Op::Eq:
                return Value::owned(x == y);
            case Op::Ne:
                return Value::owned(x != y);
            case Op::Lt:
            case Op::Le:
            case Op::Gt:
            case Op::Ge:
                return Value::owned(compare(e, x, y));
            case Op::In:
                return Value::owned(contains(e, x, y));
            case Op::NotIn:
                return Value::owned(!contains(e, x, y));
            default:
                return Value::owned(arithmetic(e, x, y));
        }
    }

    bool compare(const Expr& e, const Json& x, const Json& y) const {
        bool less;
        bool equal;
        if (x.is_number() && y.is_number()) {
            less = x < y;
            equal = x == y;
        } else if (x.is_string() && y.is_string()) {
            int c = x.get_ref<const std::string&>().compare(y.get_ref<const std::string&>());
            less = c < 0;
            equal = c == 0;
        } else {
            fail(e.begin, fmt::format("wrong operands to '{}'", opText(e.op)),
                 fmt::format("expected two numbers or two strings, got {} and {}", describeType(x), describeType(y)));
        }
        switch (e.op) {
            case Op::Lt:
                return less;
            case Op::Le:
                return less || equal;
            case Op::Gt:
                return !less && !equal;
            default:
                return !less;
        }
    }

    bool contains(const Expr& e, const Json& x, const Json& y) const {
        if (y.is_array()) {
            return std::find(y.begin(), y.end(), x) != y.end();
        }
        if ((y.is_object() || y.is_string()) && x.is_string()) {
            const std::string& key = x.get_ref<const std::string&>();
            return y.is_object() ? y.contains(key) : y.get_ref<const std::string&>().find(key) != std::string::npos;
        }
        fail(e.begin, fmt::format("wrong operands to '{}'", opText(e.op)),
             y.is_object() || y.is_string()
                 ? fmt::format("expected a string to look for in {}, got {}", describeType(y), describeType(x))
                 : fmt::format("expected a list, an object or a string on the right, got {}", describeType(y)));
    }

    Json arithmetic(const Expr& e, const Json& x, const Json& y) const {
        if (!x.is_number() || !y.is_number()) {
            fail(e.begin, fmt::format("wrong operands to '{}'", opText(e.op)),
                 fmt::format("expected two numbers, got {} and {}", describeType(x), describeType(y)));
        }
        std::int64_t a = 0;
        std::int64_t b = 0;
        std::int64_t r = 0;
        bool integral = asInteger(x, a) && asInteger(y, b);
        switch (e.op) {
            case Op::Add:
                if (integral && !__builtin_add_overflow(a, b, &r)) {
                    return r;
                }
                return finite(e, x.get<double>() + y.get<double>());
            case Op::Sub:
                if (integral && !__builtin_sub_overflow(a, b, &r)) {
                    return r;
                }
                return finite(e, x.get<double>() - y.get<double>());
            case Op::Mul:
                if (integral && !__builtin_mul_overflow(a, b, &r)) {
                    return r;
                }
                return finite(e, x.get<double>() * y.get<double>());
            case Op::Div:
                if (y.get<double>() == 0.0) {
                    fail(e.begin, "division by zero");
                }
                return finite(e, x.get<double>() / y.get<double>());
            default:
                break;
        }
        // Modulo takes the sign of the divisor, so that `n % 2` is 0 or 1 for negative n as well.
        if (y.get<double>() == 0.0) {
            fail(e.begin, "division by zero");
        }
        if (integral) {
            if (b == -1) {
                return 0;
            }
            r = a % b;
            return r != 0 && (r < 0) != (b < 0) ? r + b : r;
        }
        double d = y.get<double>();
        double m = std::fmod(x.get<double>(), d);
        return finite(e, m != 0 && (m < 0) != (d < 0) ? m + d : m);
    }

    double finite(const Expr& e, double value) const {
        if (!std::isfinite(value)) {
            fail(e.begin, fmt::format("arithmetic overflow in '{}'", sourceOf(e)));
        }
        return value;
    }

    Value call(const Expr& e) {
        switch (e.builtin) {
            case Builtin::None:
                return callback(e);
            case Builtin::Default: {
                const Expr& value = *e.operands[0];
                std::optional<Value> found = isAccess(value) ? resolve(value) : eval(value);
                return found ? materialize(std::move(*found)) : eval(*e.operands[1]);
            }
            case Builtin::Exists: {
                Value name = eval(*e.operands[0]);
                if (!name.get().is_string()) {
                    fail(e.begin, "wrong argument to 'exists'",
                         fmt::format("expected a name in a string, got {}", describeType(name.get())));
                }
                return Value::owned(exists(name.get().get_ref<const std::string&>()));
            }
            case Builtin::First:
            case Builtin::Last: {
                Value list = eval(*e.operands[0]);
                const Json& json = list.get();
                std::string_view name = e.builtin == Builtin::First ? "first" : "last";
                if (!json.is_array() || json.empty()) {
                    fail(e.begin, fmt::format("wrong argument to '{}'", name),
                         fmt::format("expected a list that is not empty, got {}",
                                     json.is_array() ? "an empty list" : describeType(json)));
                }
                const Json& element = e.builtin == Builtin::First ? json.front() : json.back();
                if (list.isRef()) {
                    return Value::ref(element, list.isStable());
                }
                return Value::owned(std::move(const_cast<Json&>(element)));
            }
            default:
                break;
        }
        std::array<Value, 3> values;
        std::array<const Json*, 3> args{};
        std::size_t argc = e.operands.size();
        for (std::size_t i = 0; i < argc; ++i) {
            values[i] = eval(*e.operands[i]);
            args[i] = &values[i].get();
        }
        try {
            return Value::owned(callBuiltin(e.builtin, args.data(), argc, limits_));
        } catch (const Fault& fault) {
            fail(e.begin, fault.what, fault.detail);
        }
    }

    Value callback(const Expr& e) {
        std::size_t argc = e.operands.size();
        auto byName = env_.callbacks.find(e.name);
        const Callback* callback = nullptr;
        if (byName != env_.callbacks.end()) {
            auto byCount = byName->second.find(argc);
            if (byCount != byName->second.end()) {
                callback = &byCount->second;
            }
        }
        if (callback == nullptr) {
            std::string detail;
            if (byName != env_.callbacks.end()) {
                std::vector<std::string> counts;
                for (const auto& [count, fn] : byName->second) {
                    counts.push_back(std::to_string(count));
                }
                detail = fmt::format("'{}' takes {} argument{}", e.name, fmt::join(counts, " or "),
                                     counts.size() == 1 && counts[0] == "1" ? "" : "s");
            }
            fail(e.begin, fmt::format("unknown function '{}' with {} argument{}", e.name, argc, argc == 1 ? "" : "s"),
                 detail);
        }
        std::vector<Value> values(argc);
        std::vector<const Json*> args(argc);
        for (std::size_t i = 0; i < argc; ++i) {
            values[i] = eval(*e.operands[i]);
            args[i] = &values[i].get();
        }
        try {
            return Value::owned((*callback)(Arguments(args.data(), argc)));
        } catch (const TemplateError&) {
            throw;
        } catch (const std::exception& ex) {
            fail(e.begin, fmt::format("callback '{}' failed", e.name), ex.what());
        }
    }

    const Environment::Impl& env_;
    const Limits& limits_;
    const Json& data_;
    Output& out_;
    std::array<char, 24> digits_;
    std::string scratch_;
    const TemplateData* current_ = nullptr;
    const BlockMap* blocks_ = nullptr;
    std::vector<const TemplateData*> active_;  // templates being rendered, outermost first
    // Variables of all scopes in one stack; a deque, because loops keep references to variables while the body
    // adds its own.
    std::deque<Variable> variables_;
    std::vector<Scope> scopes_;
    std::uint64_t iterations_ = 0;
    int depth_ = 0;
    Missing missing_;
};

}  // namespace

void renderTemplate(const Environment::Impl& env, const TemplateData& tmpl, const nlohmann::json& data, Output& out) {
    Renderer(env, data, out).run(tmpl);
}

}  // namespace zephalon::templating
