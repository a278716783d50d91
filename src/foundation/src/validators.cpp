#include "zephalon/foundation/validators.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

#include "validators_internal.h"

namespace zephalon {

namespace {

using validators_detail::isAlnum;
using validators_detail::isAlpha;
using validators_detail::isDigit;
using validators_detail::isHexDigit;

// Reads exactly `count` ASCII digits at `pos` into `value`.
bool readDigits(std::string_view text, std::size_t& pos, std::size_t count, int& value) {
    if (text.size() - pos < count) {
        return false;
    }
    value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        char c = text[pos + i];
        if (!isDigit(c)) {
            return false;
        }
        value = value * 10 + (c - '0');
    }
    pos += count;
    return true;
}

bool expect(std::string_view text, std::size_t& pos, char c) {
    if (pos < text.size() && text[pos] == c) {
        ++pos;
        return true;
    }
    return false;
}

struct Date {
    int year = 0;
    int month = 0;
    int day = 0;
};

bool parseDate(std::string_view text, std::size_t& pos, Date& date) {
    if (!readDigits(text, pos, 4, date.year) || !expect(text, pos, '-') || !readDigits(text, pos, 2, date.month) ||
        !expect(text, pos, '-') || !readDigits(text, pos, 2, date.day)) {
        return false;
    }
    return date.month >= 1 && date.month <= 12 && date.day >= 1 && date.day <= daysInMonth(date.year, date.month);
}

struct Time {
    int hour = 0;
    int minute = 0;
    int second = 0;
    int offsetMinutes = 0;  // local time minus UTC
};

bool parseTime(std::string_view text, std::size_t& pos, Time& time) {
    if (!readDigits(text, pos, 2, time.hour) || !expect(text, pos, ':') || !readDigits(text, pos, 2, time.minute) ||
        !expect(text, pos, ':') || !readDigits(text, pos, 2, time.second)) {
        return false;
    }
    if (time.hour > 23 || time.minute > 59 || time.second > 60) {
        return false;
    }
    if (expect(text, pos, '.')) {
        std::size_t start = pos;
        while (pos < text.size() && isDigit(text[pos])) {
            ++pos;
        }
        if (pos == start) {
            return false;
        }
    }
    if (pos >= text.size()) {
        return false;  // the offset is required
    }
    char sign = text[pos++];
    if (sign == 'Z' || sign == 'z') {
        time.offsetMinutes = 0;
        return true;
    }
    if (sign != '+' && sign != '-') {
        return false;
    }
    int hours = 0;
    int minutes = 0;
    if (!readDigits(text, pos, 2, hours) || !expect(text, pos, ':') || !readDigits(text, pos, 2, minutes)) {
        return false;
    }
    if (hours > 23 || minutes > 59) {
        return false;
    }
    time.offsetMinutes = (sign == '+' ? 1 : -1) * (hours * 60 + minutes);
    return true;
}

bool isLeapSecondDate(const Date& date) {
    static constexpr std::array<int, 11> june30{1972, 1981, 1982, 1983, 1985, 1992, 1993, 1994, 1997, 2012, 2015};
    static constexpr std::array<int, 16> december31{1972, 1973, 1974, 1975, 1976, 1977, 1978, 1979,
                                                    1987, 1989, 1990, 1995, 1998, 2005, 2008, 2016};
    if (date.month == 6 && date.day == 30) {
        return std::find(june30.begin(), june30.end(), date.year) != june30.end();
    }
    if (date.month == 12 && date.day == 31) {
        return std::find(december31.begin(), december31.end(), date.year) != december31.end();
    }
    return false;
}

// Moves a date by one day in either direction; used to find the UTC date of a
// timestamp whose offset crosses midnight.
Date shiftDay(Date date, int days) {
    if (days > 0) {
        if (++date.day > daysInMonth(date.year, date.month)) {
            date.day = 1;
            if (++date.month > 12) {
                date.month = 1;
                ++date.year;
            }
        }
    } else if (days < 0) {
        if (--date.day < 1) {
            if (--date.month < 1) {
                date.month = 12;
                --date.year;
            }
            date.day = daysInMonth(date.year, date.month);
        }
    }
    return date;
}

}  // namespace

bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int year, int month) {
    switch (month) {
        case 1:
        case 3:
        case 5:
        case 7:
        case 8:
        case 10:
        case 12:
            return 31;
        case 4:
        case 6:
        case 9:
        case 11:
            return 30;
        case 2:
            return isLeapYear(year) ? 29 : 28;
        default:
            return 0;
    }
}

bool isValidDateTime(std::string_view text, DateTimeKind kind) {
    std::size_t pos = 0;
    Date date;
    if (kind != DateTimeKind::Time) {
        if (!parseDate(text, pos, date)) {
            return false;
        }
        if (kind == DateTimeKind::Date) {
            return pos == text.size();
        }
        if (pos >= text.size() || (text[pos] != 'T' && text[pos] != 't')) {
            return false;
        }
        ++pos;
    }
    Time time;
    if (!parseTime(text, pos, time) || pos != text.size()) {
        return false;
    }
    if (time.second != 60) {
        return true;
    }
    // A leap second is inserted at 23:59:60 UTC, whatever the local offset.
    int local = time.hour * 60 + time.minute;
    int utc = local - time.offsetMinutes;
    int dayShift = utc < 0 ? -1 : (utc >= 1440 ? 1 : 0);
    utc = ((utc % 1440) + 1440) % 1440;
    if (utc != 23 * 60 + 59) {
        return false;
    }
    return kind == DateTimeKind::Time || isLeapSecondDate(shiftDay(date, dayShift));
}

bool isValidDateTime(std::string_view text) { return isValidDateTime(text, DateTimeKind::DateTime); }
bool isValidDate(std::string_view text) { return isValidDateTime(text, DateTimeKind::Date); }
bool isValidTime(std::string_view text) { return isValidDateTime(text, DateTimeKind::Time); }

bool isValidDuration(std::string_view text) {
    if (text.size() < 2 || text[0] != 'P') {
        return false;
    }
    std::size_t pos = 1;
    // Units in the order they may appear; each at most once. Weeks stand alone.
    static constexpr std::string_view dateUnits = "YMD";
    static constexpr std::string_view timeUnits = "HMS";
    std::size_t nextUnit = 0;
    bool inTime = false;
    bool anyComponent = false;
    bool anyTimeComponent = false;
    while (pos < text.size()) {
        if (text[pos] == 'T') {
            if (inTime) {
                return false;
            }
            inTime = true;
            nextUnit = 0;
            ++pos;
            continue;
        }
        std::size_t start = pos;
        while (pos < text.size() && isDigit(text[pos])) {
            ++pos;
        }
        if (pos == start || pos == text.size()) {
            return false;
        }
        char unit = text[pos++];
        if (unit == 'W') {
            // "PnW" only: nothing before, nothing after.
            return start == 1 && pos == text.size();
        }
        std::string_view units = inTime ? timeUnits : dateUnits;
        std::size_t index = units.find(unit, nextUnit);
        if (index == std::string_view::npos) {
            return false;
        }
        nextUnit = index + 1;
        anyComponent = true;
        anyTimeComponent = anyTimeComponent || inTime;
    }
    return anyComponent && (!inTime || anyTimeComponent);
}

bool isValidIPv4(std::string_view text) {
    std::size_t pos = 0;
    for (int octet = 0; octet < 4; ++octet) {
        if (octet > 0 && !expect(text, pos, '.')) {
            return false;
        }
        std::size_t start = pos;
        int value = 0;
        while (pos < text.size() && isDigit(text[pos]) && pos - start < 3) {
            value = value * 10 + (text[pos] - '0');
            ++pos;
        }
        std::size_t length = pos - start;
        if (length == 0 || value > 255 || (length > 1 && text[start] == '0')) {
            return false;
        }
    }
    return pos == text.size();
}

bool isValidIPv6(std::string_view text) {
    // Split at "::" (at most one), then count the 16-bit groups on each side; a
    // dotted IPv4 address may only stand last and counts as two groups.
    std::size_t compression = text.find("::");
    if (compression != std::string_view::npos && text.find("::", compression + 1) != std::string_view::npos) {
        return false;
    }
    auto countGroups = [](std::string_view part, bool ipv4Allowed, int& groups) {
        groups = 0;
        if (part.empty()) {
            return true;
        }
        std::size_t pos = 0;
        while (true) {
            std::size_t end = part.find(':', pos);
            std::string_view group = part.substr(pos, end == std::string_view::npos ? part.size() - pos : end - pos);
            bool last = end == std::string_view::npos;
            if (last && ipv4Allowed && group.find('.') != std::string_view::npos) {
                if (!isValidIPv4(group)) {
                    return false;
                }
                groups += 2;
                return true;
            }
            if (group.empty() || group.size() > 4 || !std::all_of(group.begin(), group.end(), isHexDigit)) {
                return false;
            }
            ++groups;
            if (last) {
                return true;
            }
            pos = end + 1;
        }
    };
    int groups = 0;
    if (compression == std::string_view::npos) {
        return countGroups(text, true, groups) && groups == 8;
    }
    int before = 0;
    int after = 0;
    if (!countGroups(text.substr(0, compression), false, before) ||
        !countGroups(text.substr(compression + 2), true, after)) {
        return false;
    }
    // "::" stands for at least one group of zeros.
    return before + after <= 7;
}

bool isValidUuid(std::string_view text) {
    static constexpr std::array<std::size_t, 4> dashes{8, 13, 18, 23};
    if (text.size() != 36) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        bool dash = std::find(dashes.begin(), dashes.end(), i) != dashes.end();
        if (dash ? text[i] != '-' : !isHexDigit(text[i])) {
            return false;
        }
    }
    char variant = static_cast<char>(text[19] | 0x20);  // ASCII lower case; digits are unaffected
    return variant == '0' || variant == '8' || variant == '9' || variant == 'a' || variant == 'b';
}

bool isValidJsonPointer(std::string_view text) {
    if (!text.empty() && text[0] != '/') {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '~') {
            if (i + 1 >= text.size() || (text[i + 1] != '0' && text[i + 1] != '1')) {
                return false;
            }
            ++i;
        }
    }
    return true;
}

bool isValidRelativeJsonPointer(std::string_view text) {
    std::size_t pos = 0;
    auto nonNegativeInteger = [&](bool allowZero) {
        std::size_t start = pos;
        while (pos < text.size() && isDigit(text[pos])) {
            ++pos;
        }
        if (pos == start) {
            return false;
        }
        if (text[start] == '0') {
            return allowZero && pos - start == 1;
        }
        return true;
    };
    if (!nonNegativeInteger(true)) {
        return false;
    }
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        ++pos;
        if (!nonNegativeInteger(true)) {
            return false;
        }
    }
    if (pos == text.size()) {
        return true;
    }
    if (text[pos] == '#') {
        return pos + 1 == text.size();
    }
    return isValidJsonPointer(text.substr(pos));
}

bool isValidEncoding(std::string_view text) {
    static constexpr std::array<std::string_view, 7> encodings{"7bit",   "8bit",   "binary", "quoted-printable",
                                                               "base16", "base32", "base64"};
    return std::find(encodings.begin(), encodings.end(), text) != encodings.end();
}

bool isValidLanguage(std::string_view text) {
    // ISO 639-1, sorted so that a binary search finds a code.
    static constexpr std::array<std::string_view, 184> codes{
        "aa", "ab", "ae", "af", "ak", "am", "an", "ar", "as", "av", "ay", "az", "ba", "be", "bg", "bh", "bi",
        "bm", "bn", "bo", "br", "bs", "ca", "ce", "ch", "co", "cr", "cs", "cu", "cv", "cy", "da", "de", "dv",
        "dz", "ee", "el", "en", "eo", "es", "et", "eu", "fa", "ff", "fi", "fj", "fo", "fr", "fy", "ga", "gd",
        "gl", "gn", "gu", "gv", "ha", "he", "hi", "ho", "hr", "ht", "hu", "hy", "hz", "ia", "id", "ie", "ig",
        "ii", "ik", "io", "is", "it", "iu", "ja", "jv", "ka", "kg", "ki", "kj", "kk", "kl", "km", "kn", "ko",
        "kr", "ks", "ku", "kv", "kw", "ky", "la", "lb", "lg", "li", "ln", "lo", "lt", "lu", "lv", "mg", "mh",
        "mi", "mk", "ml", "mn", "mr", "ms", "mt", "my", "na", "nb", "nd", "ne", "ng", "nl", "nn", "no", "nr",
        "nv", "ny", "oc", "oj", "om", "or", "os", "pa", "pi", "pl", "ps", "pt", "qu", "rm", "rn", "ro", "ru",
        "rw", "sa", "sc", "sd", "se", "sg", "si", "sk", "sl", "sm", "sn", "so", "sq", "sr", "ss", "st", "su",
        "sv", "sw", "ta", "te", "tg", "th", "ti", "tk", "tl", "tn", "to", "tr", "ts", "tt", "tw", "ty", "ug",
        "uk", "ur", "uz", "ve", "vi", "vo", "wa", "wo", "xh", "yi", "yo", "za", "zh", "zu"};
    return std::binary_search(codes.begin(), codes.end(), text);
}

namespace {

// RFC 7230 tchar, which RFC 6838 restricts further; the extra characters it
// allows are harmless for a check and appear in real media types.
bool isTokenChar(char c) { return isAlnum(c) || std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos; }

std::size_t skipToken(std::string_view text, std::size_t pos) {
    while (pos < text.size() && isTokenChar(text[pos])) {
        ++pos;
    }
    return pos;
}

std::size_t skipSpaces(std::string_view text, std::size_t pos) {
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) {
        ++pos;
    }
    return pos;
}

}  // namespace

bool isValidMediaType(std::string_view text) {
    std::size_t pos = skipToken(text, 0);
    if (pos == 0 || pos >= text.size() || text[pos] != '/') {
        return false;
    }
    std::size_t subtype = pos + 1;
    pos = skipToken(text, subtype);
    if (pos == subtype) {
        return false;
    }
    while (true) {
        pos = skipSpaces(text, pos);
        if (pos == text.size()) {
            return true;
        }
        if (text[pos] != ';') {
            return false;
        }
        pos = skipSpaces(text, pos + 1);
        std::size_t name = pos;
        pos = skipToken(text, pos);
        if (pos == name || pos >= text.size() || text[pos] != '=') {
            return false;
        }
        ++pos;
        if (pos < text.size() && text[pos] == '"') {
            ++pos;
            while (pos < text.size() && text[pos] != '"') {
                if (text[pos] == '\\') {
                    ++pos;
                }
                ++pos;
            }
            if (pos >= text.size()) {
                return false;
            }
            ++pos;
        } else {
            std::size_t value = pos;
            pos = skipToken(text, pos);
            if (pos == value) {
                return false;
            }
        }
    }
}

}  // namespace zephalon
