#include "example_diff.h"

#include "containers.h"

namespace zephalon::openapi_diff {

using openapi::Example;
using openapi::Examples;

void ExamplesDiff::process(const openapi::Node* sourceOwner, const Examples* source, const openapi::Node* destOwner,
                           const Examples* dest, ConfigKey exampleKey, ConfigKey examplesKey, Context& context) {
    auto embedded = [](const Examples* examples) -> const jv::JV* {
        return examples != nullptr && examples->exampleMode() == Examples::Mode::embedded ? examples->embeddedExample()
                                                                                          : nullptr;
    };
    auto named = [](const Examples* examples) -> const openapi::NodeMap* {
        return examples != nullptr && examples->exampleMode() == Examples::Mode::external
                   ? &examples->externalExamples()
                   : nullptr;
    };
    const jv::JV* before = embedded(source);
    const jv::JV* after = embedded(dest);
    if (before != nullptr && after != nullptr) {
        context.maybeEmitPropertyModify(exampleKey, destOwner, before, after);
    } else if (before != nullptr) {
        context.maybeEmitPropertyRemove(exampleKey, sourceOwner, before);
    } else if (after != nullptr) {
        context.maybeEmitPropertyAdd(exampleKey, destOwner, after);
    }
    compareMap<Example>(context, examplesKey, sourceOwner, named(source), destOwner, named(dest),
                        [&](const Example* a, const Example* b) { ExampleDiff(this).process(a, b, context); });
}

void ExampleDiff::process(const Example* source, const Example* dest, Context& context) {
    auto pair = context.beginPair(source, dest);
    if (!pair.compare()) return;
    context.emitSelf(source, dest);
    compareProperty(
        context, ConfigKey::example_summary, source, dest, [](const Example& n) -> auto& { return n.summary(); });
    compareProperty(
        context, ConfigKey::example_description, source, dest,
        [](const Example& n) -> auto& { return n.description(); });
    compareProperty(context, ConfigKey::example_value, source, dest,
                    [](const Example& n) -> const jv::JV* { return n.value(); });
    // An example given by URL changes as much as one given inline.
    compareProperty(
        context, ConfigKey::example_externalValue, source, dest,
        [](const Example& n) -> auto& { return n.externalValue(); });
    NodeDiff::process(source, dest, context);
}

}  // namespace zephalon::openapi_diff
