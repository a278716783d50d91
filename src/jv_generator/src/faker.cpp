#include "faker.h"

#include <fmt/format.h>

#include <array>
#include <string_view>

namespace zephalon::jv_generator::faker {
namespace {

constexpr std::string_view kLetters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr std::string_view kHex = "0123456789abcdef";

constexpr std::array<std::string_view, 40> kWords = {
    "amber",   "anchor",  "aspen",  "beacon", "birch",   "bright", "canyon", "cedar",  "cobalt", "comet",
    "coral",   "delta",   "ember",  "falcon", "fern",    "fjord",  "garnet", "harbor", "hazel",  "indigo",
    "juniper", "kestrel", "lagoon", "lumen",  "maple",   "meadow", "nimbus", "onyx",   "orchid", "pebble",
    "pine",    "quartz",  "raven",  "river",  "saffron", "summit", "tundra", "velvet", "willow", "zephyr",
};

constexpr std::array<std::string_view, 24> kFirstNames = {
    "ada",   "alan", "amara", "boris", "chen", "dana",  "elena", "farid", "grace", "hugo",  "ines", "jonas",
    "kemal", "lina", "marta", "nils",  "olga", "priya", "quinn", "rosa",  "sami",  "tomas", "ulla", "yara",
};

constexpr std::array<std::string_view, 24> kLastNames = {
    "abbott", "baker",  "castro", "dalton", "eriksen", "fischer", "garcia", "hughes",
    "ito",    "jensen", "kowal",  "larsen", "moreau",  "novak",   "okafor", "petrov",
    "quinto", "rossi",  "santos", "tanaka", "ueda",    "varga",   "weber",  "zhang",
};

constexpr std::array<std::string_view, 7> kTopLevelDomains = {"com", "org", "net", "io", "dev", "info", "app"};

template <std::size_t N>
std::string_view pick(RNG& rng, const std::array<std::string_view, N>& list) {
    return list[rng.uniform(0, N - 1)];
}

constexpr std::int64_t kYearMilliseconds = std::int64_t{365} * 24 * 60 * 60 * 1000;

// Days since 1970-01-01 to a civil date (proleptic Gregorian calendar).
void civilFromDays(std::int64_t days, std::int64_t& year, unsigned& month, unsigned& day) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const auto dayOfEra = static_cast<unsigned>(days - era * 146097);
    const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned monthIndex = (5 * dayOfYear + 2) / 153;
    day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    year = static_cast<std::int64_t>(yearOfEra) + era * 400 + (month <= 2 ? 1 : 0);
}

}  // namespace

std::string alpha(RNG& rng, std::size_t length) {
    std::string text;
    appendAlpha(rng, length, text);
    return text;
}

void appendAlpha(RNG& rng, std::size_t length, std::string& out) {
    static const RNG::SmallRange letters(kLetters.size() - 1);
    out.reserve(out.size() + length);
    for (std::size_t i = 0; i < length; ++i) out.push_back(kLetters[rng.uniform(letters)]);
}

std::string word(RNG& rng) { return std::string(pick(rng, kWords)); }

std::string email(RNG& rng) {
    const std::string_view first = pick(rng, kFirstNames);
    const std::string_view last = pick(rng, kLastNames);
    std::string local;
    switch (rng.uniform(0, 2)) {
        case 0:
            local = fmt::format("{}.{}", first, last);
            break;
        case 1:
            local = fmt::format("{}_{}", first, last);
            break;
        default:
            local = fmt::format("{}{}{}", first, last, rng.uniform(1, 99));
            break;
    }
    return fmt::format("{}@{}", local, domainName(rng));
}

std::string domainName(RNG& rng) {
    const std::string_view name = pick(rng, kWords);
    if (rng.uniform(0, 1) == 0) return fmt::format("{}.{}", name, pick(rng, kTopLevelDomains));
    const std::string_view second = pick(rng, kWords);
    return fmt::format("{}-{}.{}", name, second, pick(rng, kTopLevelDomains));
}

std::string ipv4(RNG& rng) { return fmt::format("192.168.{}.{}", rng.uniform(0, 255), rng.uniform(0, 255)); }

std::string ipv6(RNG& rng) {
    std::string text;
    for (int group = 0; group < 8; ++group) {
        if (group > 0) text.push_back(':');
        for (int digit = 0; digit < 4; ++digit) text.push_back(kHex[rng.uniform(0, 15)]);
    }
    return text;
}

std::string url(RNG& rng) {
    std::string text = fmt::format("https://{}", domainName(rng));
    if (rng.uniform(0, 1) == 1) text += fmt::format("/{}", pick(rng, kWords));
    return text;
}

std::string isoDateTime(std::int64_t millisecondsSinceEpoch) {
    std::int64_t days = millisecondsSinceEpoch / 86400000;
    std::int64_t rest = millisecondsSinceEpoch % 86400000;
    if (rest < 0) {
        rest += 86400000;
        --days;
    }
    std::int64_t year = 0;
    unsigned month = 0;
    unsigned day = 0;
    civilFromDays(days, year, month, day);
    const std::int64_t hours = rest / 3600000;
    const std::int64_t minutes = rest / 60000 % 60;
    const std::int64_t seconds = rest / 1000 % 60;
    const std::int64_t millis = rest % 1000;
    return fmt::format("{:04}-{:02}-{:02}T{:02}:{:02}:{:02}.{:03}Z", year, month, day, hours, minutes, seconds, millis);
}

std::string pastDateTime(RNG& rng) {
    const auto offset = static_cast<std::int64_t>(rng.uniform(1, kYearMilliseconds));
    return isoDateTime(referenceInstant * 1000 - offset);
}

std::string futureDateTime(RNG& rng) {
    const auto offset = static_cast<std::int64_t>(rng.uniform(1, kYearMilliseconds));
    return isoDateTime(referenceInstant * 1000 + offset);
}

std::string uuid(RNG& rng) {
    std::string text;
    text.reserve(36);
    for (int i = 0; i < 32; ++i) {
        if (i == 8 || i == 12 || i == 16 || i == 20) text.push_back('-');
        if (i == 12) {
            text.push_back('4');
        } else if (i == 16) {
            text.push_back(kHex[8 + rng.uniform(0, 3)]);
        } else {
            text.push_back(kHex[rng.uniform(0, 15)]);
        }
    }
    return text;
}

}  // namespace zephalon::jv_generator::faker
