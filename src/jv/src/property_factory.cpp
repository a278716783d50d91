#include "zephalon/jv/property_factory.h"

namespace zephalon::jv {

PropertyFactory keyOrderPropertyFactory() {
    return [](const JV& object) { return SortedProperties(object); };
}

PropertyFactory documentPropertyFactory(const JVDoc& doc) {
    return [&doc](const JV& object) {
        std::vector<std::string_view> order = doc.propOrder(object);
        if (order.empty()) return SortedProperties(object);
        return SortedProperties(object, order);
    };
}

}  // namespace zephalon::jv
