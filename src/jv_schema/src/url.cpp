#include "url.h"

#include <cctype>

namespace zephalon::jv::schema::url {

namespace {

bool isSchemeChar(char c, bool first) {
    if (std::isalpha(static_cast<unsigned char>(c))) return true;
    return !first && (std::isdigit(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.');
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void appendAuthorityAndPath(std::string& out, Parts const& p, std::string const& path) {
    if (p.authority) {
        out += "//";
        out += *p.authority;
    }
    out += path;
}

}  // namespace

Parts split(std::string_view text) {
    Parts parts;
    std::string_view rest = text;
    if (auto hash = rest.find('#'); hash != std::string_view::npos) {
        parts.fragment = rest.substr(hash + 1);
        rest = rest.substr(0, hash);
    }
    if (auto q = rest.find('?'); q != std::string_view::npos) {
        parts.query = rest.substr(q + 1);
        rest = rest.substr(0, q);
    }
    // A scheme is a letter followed by scheme characters up to the first ':' that comes before any '/'.
    if (auto colon = rest.find(':'); colon != std::string_view::npos && colon > 0) {
        bool valid = true;
        for (std::size_t i = 0; i < colon; ++i) {
            if (!isSchemeChar(rest[i], i == 0)) {
                valid = false;
                break;
            }
        }
        if (valid) {
            parts.scheme = rest.substr(0, colon);
            rest = rest.substr(colon + 1);
        }
    }
    if (rest.substr(0, 2) == "//") {
        rest = rest.substr(2);
        auto slash = rest.find('/');
        parts.authority = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash);
    }
    parts.path = rest;
    return parts;
}

std::string removeDotSegments(std::string_view input) {
    std::string out;
    out.reserve(input.size());
    while (!input.empty()) {
        if (input.substr(0, 3) == "../") {
            input.remove_prefix(3);
        } else if (input.substr(0, 2) == "./") {
            input.remove_prefix(2);
        } else if (input.substr(0, 3) == "/./") {
            input.remove_prefix(2);
        } else if (input == "/.") {
            input = "/";
        } else if (input.substr(0, 4) == "/../" || input == "/..") {
            input = input.size() == 3 ? std::string_view("/") : input.substr(3);
            auto last = out.rfind('/');
            out.erase(last == std::string::npos ? 0 : last);
        } else if (input == "." || input == "..") {
            input = {};
        } else {
            std::size_t next = input.find('/', input[0] == '/' ? 1 : 0);
            if (next == std::string_view::npos) next = input.size();
            out.append(input.substr(0, next));
            input.remove_prefix(next);
        }
    }
    return out;
}

std::string resolve(std::string_view reference, std::string_view base) {
    Parts r = split(reference);
    Parts b = split(base);
    Parts t;
    std::string path;
    if (r.scheme) {
        t.scheme = r.scheme;
        t.authority = r.authority;
        path = removeDotSegments(r.path);
        t.query = r.query;
    } else {
        t.scheme = b.scheme;
        if (r.authority) {
            t.authority = r.authority;
            path = removeDotSegments(r.path);
            t.query = r.query;
        } else {
            t.authority = b.authority;
            if (r.path.empty()) {
                path = std::string(b.path);
                t.query = r.query ? r.query : b.query;
            } else {
                if (r.path.front() == '/') {
                    path = removeDotSegments(r.path);
                } else {
                    // Merge: the base path up to its last segment, or "/" when the base has an authority and
                    // no path.
                    std::string merged;
                    if (b.authority && b.path.empty()) {
                        merged = "/";
                    } else if (auto slash = b.path.rfind('/'); slash != std::string_view::npos) {
                        merged = std::string(b.path.substr(0, slash + 1));
                    }
                    merged += r.path;
                    path = removeDotSegments(merged);
                }
                t.query = r.query;
            }
        }
    }
    std::string out;
    out.reserve(base.size() + reference.size());
    if (t.scheme) {
        out += *t.scheme;
        out += ':';
    }
    appendAuthorityAndPath(out, t, path);
    if (t.query) {
        out += '?';
        out += *t.query;
    }
    if (r.fragment) {
        out += '#';
        out += *r.fragment;
    }
    return out;
}

std::string_view withoutFragment(std::string_view text) {
    auto hash = text.find('#');
    return hash == std::string_view::npos ? text : text.substr(0, hash);
}

std::string percentDecode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            int hi = hexValue(text[i + 1]);
            int lo = hexValue(text[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out += static_cast<char>(hi * 16 + lo);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

}  // namespace zephalon::jv::schema::url
