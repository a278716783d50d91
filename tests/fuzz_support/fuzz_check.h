#pragma once

// How a fuzz target reports a broken promise: it stops the process, which the fuzzer records as a finding together
// with the input.

#include <cstdlib>

namespace zephalon::fuzz {

inline void require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace zephalon::fuzz
