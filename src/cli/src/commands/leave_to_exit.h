#pragma once

// Documents a command is done with, left to the end of the process instead of freed. Freeing a large document's tree
// visits every node and costs about two thirds of what reading it did, while the operating system takes the whole
// heap back at once when the process ends. Only memory is left behind: the object is never destroyed, so nothing
// whose destructor writes, flushes or closes anything may be handed over.

#include <memory>
#include <vector>

namespace zephalon::cli {

template <typename T>
void leaveToExit(std::unique_ptr<T> object) {
    // Reachable through this pointer until the process ends, so a leak checker does not count what it holds.
    static auto* const kept = new std::vector<std::unique_ptr<T>>();
    kept->push_back(std::move(object));
}

}  // namespace zephalon::cli
