#include "http_text.h"

#include <fmt/format.h>
#include <utf8.h>

#include <algorithm>
#include <charconv>

#include "zephalon/foundation/strings.h"
#include "zephalon/jv/file_io.h"
#include "zephalon/jv/jv.h"

namespace zephalon::openapi_mock {

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t'; }

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string decode(std::string_view text, bool plusIsSpace) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '%' && i + 2 < text.size() && hexDigit(text[i + 1]) >= 0 && hexDigit(text[i + 2]) >= 0) {
            out += static_cast<char>(hexDigit(text[i + 1]) * 16 + hexDigit(text[i + 2]));
            i += 2;
        } else if (c == '+' && plusIsSpace) {
            out += ' ';
        } else {
            out += c;
        }
    }
    return out;
}

std::string_view unquote(std::string_view text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') return text.substr(1, text.size() - 2);
    return text;
}

struct MediaRange {
    std::string essence;
    double quality = 1.0;
    int specificity = 0;
};

std::optional<MediaRange> parseMediaRange(std::string_view text) {
    auto parts = split(text, ';');
    MediaRange range;
    range.essence = mediaTypeEssence(parts.front());
    if (range.essence.empty()) return std::nullopt;
    auto slash = range.essence.find('/');
    std::string_view type = std::string_view(range.essence).substr(0, slash);
    std::string_view subtype = std::string_view(range.essence).substr(slash + 1);
    if (type == "*" && subtype != "*") return std::nullopt;
    range.specificity = type == "*" ? 0 : subtype == "*" ? 1 : 2;
    for (std::size_t i = 1; i < parts.size(); ++i) {
        std::string_view parameter = trimSpaces(parts[i]);
        if (parameter.size() < 2 || (parameter[0] != 'q' && parameter[0] != 'Q') || parameter[1] != '=') continue;
        std::string_view value = parameter.substr(2);
        double quality = 0;
        auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), quality);
        if (error != std::errc() || end != value.data() + value.size() || quality < 0 || quality > 1) {
            return std::nullopt;
        }
        range.quality = quality;
    }
    return range;
}

// Problem details carry texts taken from requests, which may hold any bytes; JSON text must be UTF-8.
std::string jsonString(std::string_view text) {
    if (utf8::is_valid(text.begin(), text.end())) return toJsonLiteral(text);
    std::string valid;
    utf8::replace_invalid(text.begin(), text.end(), std::back_inserter(valid));
    return toJsonLiteral(valid);
}

}  // namespace

std::string mediaTypeEssence(std::string_view text) {
    text = trimSpaces(text.substr(0, text.find(';')));
    auto slash = text.find('/');
    if (slash == std::string_view::npos || slash == 0 || slash + 1 == text.size()) return {};
    if (text.find('/', slash + 1) != std::string_view::npos) return {};
    for (char c : text) {
        if (isSpace(c) || c == ',' || c == '"') return {};
    }
    return asciiToLower(text);
}

bool mediaRangeMatches(std::string_view range, std::string_view type) {
    if (range == "*/*" || range == type) return true;
    if (range.ends_with("/*")) {
        auto prefix = range.substr(0, range.size() - 1);
        return type.starts_with(prefix);
    }
    return false;
}

bool isJsonMediaType(std::string_view essence) { return essence == "application/json" || essence.ends_with("+json"); }

std::optional<std::size_t> negotiate(std::optional<std::string_view> accept, const std::vector<std::string>& offered) {
    if (offered.empty()) return std::nullopt;
    std::vector<MediaRange> ranges;
    if (accept) {
        for (std::string_view part : split(*accept, ',')) {
            if (trimSpaces(part).empty()) continue;
            if (auto range = parseMediaRange(part)) ranges.push_back(std::move(*range));
        }
    }
    if (ranges.empty()) return 0;

    std::optional<std::size_t> best;
    double bestQuality = 0;
    int bestSpecificity = -1;
    for (std::size_t i = 0; i < offered.size(); ++i) {
        std::string offer = mediaTypeEssence(offered[i]);
        if (offer.empty()) continue;
        // The most specific range that matches an offer decides its quality.
        const MediaRange* decisive = nullptr;
        for (const auto& range : ranges) {
            bool matches = mediaRangeMatches(range.essence, offer) || mediaRangeMatches(offer, range.essence);
            if (matches && (!decisive || range.specificity > decisive->specificity)) decisive = &range;
        }
        if (!decisive || decisive->quality <= 0) continue;
        if (!best || decisive->quality > bestQuality ||
            (decisive->quality == bestQuality && decisive->specificity > bestSpecificity)) {
            best = i;
            bestQuality = decisive->quality;
            bestSpecificity = decisive->specificity;
        }
    }
    return best;
}

Preferences parsePreferences(const std::vector<std::string_view>& values) {
    Preferences preferences;
    for (std::string_view value : values) {
        for (std::string_view group : split(value, ',')) {
            for (std::string_view item : split(group, ';')) {
                item = trimSpaces(item);
                auto equals = item.find('=');
                if (equals == std::string_view::npos) continue;
                std::string name = asciiToLower(trimSpaces(item.substr(0, equals)));
                std::string_view text = unquote(trimSpaces(item.substr(equals + 1)));
                if (name == "code") {
                    int code = 0;
                    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), code);
                    if (error == std::errc() && end == text.data() + text.size() && code >= 100 && code <= 599) {
                        preferences.code = code;
                    }
                } else if (name == "example") {
                    preferences.example = std::string(text);
                } else if (name == "dynamic") {
                    preferences.dynamic = asciiCompareNoCase(text, "true");
                }
            }
        }
    }
    return preferences;
}

std::string formDecode(std::string_view text) { return decode(text, true); }

std::string percentDecode(std::string_view text) { return decode(text, false); }

Pairs parseQuery(std::string_view query) {
    Pairs pairs;
    for (std::string_view part : split(query, '&')) {
        if (part.empty()) continue;
        auto equals = part.find('=');
        if (equals == std::string_view::npos) {
            pairs.emplace_back(formDecode(part), std::string());
        } else {
            pairs.emplace_back(formDecode(part.substr(0, equals)), std::string(part.substr(equals + 1)));
        }
    }
    return pairs;
}

Pairs parseCookies(const std::vector<std::string_view>& headers) {
    Pairs pairs;
    for (std::string_view header : headers) {
        for (std::string_view part : split(header, ';')) {
            part = trimSpaces(part);
            auto equals = part.find('=');
            if (equals == std::string_view::npos || equals == 0) continue;
            pairs.emplace_back(std::string(trimSpaces(part.substr(0, equals))),
                               std::string(unquote(trimSpaces(part.substr(equals + 1)))));
        }
    }
    return pairs;
}

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        auto end = text.find(separator, start);
        if (end == std::string_view::npos) {
            parts.push_back(text.substr(start));
            return parts;
        }
        parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

std::string_view trimSpaces(std::string_view text) {
    while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
    return text;
}

std::string_view statusTitle(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 201:
            return "Created";
        case 202:
            return "Accepted";
        case 204:
            return "No Content";
        case 400:
            return "Bad Request";
        case 401:
            return "Unauthorized";
        case 403:
            return "Forbidden";
        case 404:
            return "Not Found";
        case 405:
            return "Method Not Allowed";
        case 406:
            return "Not Acceptable";
        case 408:
            return "Request Timeout";
        case 413:
            return "Content Too Large";
        case 414:
            return "URI Too Long";
        case 415:
            return "Unsupported Media Type";
        case 422:
            return "Unprocessable Content";
        case 431:
            return "Request Header Fields Too Large";
        case 500:
            return "Internal Server Error";
        default:
            return "Unknown";
    }
}

std::string problemJson(int status, std::string_view detail, const std::vector<Violation>& violations) {
    std::string out = fmt::format(R"({{"type":"about:blank","title":{},"status":{},"detail":{})",
                                  jsonString(statusTitle(status)), status, jsonString(detail));
    if (!violations.empty()) {
        out += R"(,"errors":[)";
        for (std::size_t i = 0; i < violations.size(); ++i) {
            const Violation& violation = violations[i];
            if (i > 0) out += ',';
            fmt::format_to(std::back_inserter(out), R"({{"detail":{},"in":{})", jsonString(violation.detail),
                           jsonString(violation.in));
            if (!violation.name.empty())
                fmt::format_to(std::back_inserter(out), R"(,"name":{})", jsonString(violation.name));
            fmt::format_to(std::back_inserter(out), R"(,"pointer":{}}})", jsonString(violation.pointer));
        }
        out += ']';
    }
    out += '}';
    return out;
}

std::string toJsonText(const jv::JV& value) {
    std::string out;
    jv::StreamWriteOptions options;
    options.format = FileFormat::JSON;
    options.indentSize = 0;
    jv::writeString(value, out, options);
    return out;
}

}  // namespace zephalon::openapi_mock
