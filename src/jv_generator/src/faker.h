#pragma once

// Plausible values for string formats (names, addresses, dates), drawn only from the sample engine so that a seed
// fixes them too. The word lists are this program's own.

#include <cstddef>
#include <cstdint>
#include <string>

#include "rng.h"

namespace zephalon::jv_generator::faker {

// Past and future date-times lie within a year before or after this instant (2025-01-01T00:00:00Z, in seconds since
// the epoch), never relative to the clock, so that they too depend on the seed alone.
inline constexpr std::int64_t referenceInstant = 1735689600;

// `length` letters of both cases.
std::string alpha(RNG& rng, std::size_t length);
void appendAlpha(RNG& rng, std::size_t length, std::string& out);
// One lower-case word of the built-in list.
std::string word(RNG& rng);
std::string email(RNG& rng);
std::string domainName(RNG& rng);
// A private class C address (192.168.x.y).
std::string ipv4(RNG& rng);
// Eight groups of four hexadecimal digits.
std::string ipv6(RNG& rng);
std::string url(RNG& rng);
// ISO date-times with milliseconds in UTC ("2024-05-17T08:21:45.120Z").
std::string pastDateTime(RNG& rng);
std::string futureDateTime(RNG& rng);
// A version 4 UUID in lower case.
std::string uuid(RNG& rng);

// The ISO text of an instant given in milliseconds since the epoch.
std::string isoDateTime(std::int64_t millisecondsSinceEpoch);

}  // namespace zephalon::jv_generator::faker
