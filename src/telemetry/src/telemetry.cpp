#include "zephalon/telemetry/telemetry.h"

#include <fmt/format.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <exception>
#include <fstream>
#include <iostream>
#include <mutex>
#include <random>

#include "zephalon/foundation/uri.h"

namespace zephalon::telemetry {

namespace {

// Where finished spans go. `out` is null while telemetry is not initialised; it may point at a file stream that
// failed to open, in which case every write is a silent no-op.
struct Exporter {
    std::mutex mutex;
    std::ofstream file;
    std::ostream* out = nullptr;
    std::vector<std::pair<std::string, std::string>> resource;
};

Exporter& getExporter() {
    static Exporter exporter;
    return exporter;
}

// Spans made active by living scopes on this thread, innermost last.
std::vector<const Span*>& activeSpans() {
    thread_local std::vector<const Span*> spans;
    return spans;
}

std::string randomHex(int words) {
    thread_local std::mt19937_64 engine{std::random_device{}()};
    std::string hex;
    // An all-zero id means "no span", so never hand one out.
    while (hex.empty() || hex.find_first_not_of('0') == std::string::npos) {
        hex.clear();
        for (int i = 0; i < words; ++i) {
            hex += fmt::format("{:016x}", engine());
        }
    }
    return hex;
}

const std::string kNoParent(16, '0');

std::string_view trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::string formatTime(std::chrono::system_clock::time_point time) {
    const auto sinceEpoch = time.time_since_epoch();
    const auto seconds = std::chrono::floor<std::chrono::seconds>(sinceEpoch);
    const auto nanos = std::chrono::duration_cast<std::chrono::nanoseconds>(sinceEpoch - seconds).count();
    const std::time_t whole = seconds.count();
    std::tm utc{};
    gmtime_r(&whole, &utc);
    return fmt::format("{:04}-{:02}-{:02}T{:02}:{:02}:{:02}.{:09}Z", utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday,
                       utc.tm_hour, utc.tm_min, utc.tm_sec, nanos);
}

// One span is one block of lines, so control characters in names and values are shown escaped rather than
// allowed to break (or forge) the layout.
std::string printable(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\') {
            result += "\\\\";
        } else if (byte < 0x20 || byte == 0x7f) {
            result += fmt::format("\\x{:02x}", byte);
        } else {
            result += c;
        }
    }
    return result;
}

std::string_view statusName(StatusCode code) {
    switch (code) {
        case StatusCode::Ok:
            return "Ok";
        case StatusCode::Error:
            return "Error";
        case StatusCode::Unset:
            break;
    }
    return "Unset";
}

void install(std::ostream* out) {
    auto& exporter = getExporter();
    const char* attributes = std::getenv("OTEL_RESOURCE_ATTRIBUTES");
    std::lock_guard lock(exporter.mutex);
    if (exporter.file.is_open()) {
        exporter.file.close();
    }
    exporter.file.clear();
    exporter.resource = parseResourceAttributes(attributes != nullptr ? attributes : "");
    exporter.out = out;
}

}  // namespace

Span::Span(std::string name, std::string traceId, std::string spanId, std::string parentSpanId)
    : name_(std::move(name)),
      traceId_(std::move(traceId)),
      spanId_(std::move(spanId)),
      parentSpanId_(std::move(parentSpanId)),
      start_(std::chrono::system_clock::now()),
      steadyStart_(std::chrono::steady_clock::now()) {}

Span::~Span() { end(); }

void Span::setStatus(StatusCode code, std::string_view description) {
    statusCode_ = code;
    statusDescription_ = description;
}

void Span::setAttribute(std::string_view key, std::string_view value) {
    auto it =
        std::find_if(attributes_.begin(), attributes_.end(), [&](const auto& entry) { return entry.first == key; });
    if (it != attributes_.end()) {
        it->second = value;
    } else {
        attributes_.emplace_back(key, value);
    }
}

void Span::end() {
    if (ended_) {
        return;
    }
    ended_ = true;
    const auto duration =
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - steadyStart_);

    auto& exporter = getExporter();
    std::lock_guard lock(exporter.mutex);
    if (exporter.out == nullptr) {
        return;
    }
    std::string block = "{\n";
    block += fmt::format("  name          : {}\n", printable(name_));
    block += fmt::format("  trace_id      : {}\n", traceId_);
    block += fmt::format("  span_id       : {}\n", spanId_);
    block += fmt::format("  parent_span_id: {}\n", parentSpanId_);
    block += fmt::format("  start         : {}\n", formatTime(start_));
    block += fmt::format("  duration      : {} ns\n", duration.count());
    if (statusDescription_.empty()) {
        block += fmt::format("  status        : {}\n", statusName(statusCode_));
    } else {
        block += fmt::format("  status        : {} ({})\n", statusName(statusCode_), printable(statusDescription_));
    }
    block += "  attributes    :\n";
    for (const auto& [key, value] : attributes_) {
        block += fmt::format("    {}: {}\n", printable(key), printable(value));
    }
    block += "  resources     :\n";
    for (const auto& [key, value] : exporter.resource) {
        block += fmt::format("    {}: {}\n", printable(key), printable(value));
    }
    block += fmt::format("  tracer        : {} {}\n", getTracer().name(), getTracer().version());
    block += "}\n";
    // Flushed span by span: a process that ends abruptly keeps everything it finished.
    exporter.out->write(block.data(), static_cast<std::streamsize>(block.size()));
    exporter.out->flush();
}

Scope::Scope(std::shared_ptr<Span> span) : span_(std::move(span)), uncaughtExceptions_(std::uncaught_exceptions()) {
    activeSpans().push_back(span_.get());
}

Scope::~Scope() {
    if (std::uncaught_exceptions() > uncaughtExceptions_ && span_->statusCode() == StatusCode::Unset) {
        span_->setStatus(StatusCode::Error, "exception");
    }
    // Scopes normally die innermost first, but a scope kept alive longer (moved into a container, say) must not
    // leave a dangling entry behind.
    auto& spans = activeSpans();
    auto it = std::find(spans.rbegin(), spans.rend(), span_.get());
    if (it != spans.rend()) {
        spans.erase(std::next(it).base());
    }
}

std::shared_ptr<Span> Tracer::startSpan(std::string_view name) const {
    const auto& spans = activeSpans();
    if (spans.empty()) {
        return std::make_shared<Span>(std::string(name), randomHex(2), randomHex(1), kNoParent);
    }
    const Span& parent = *spans.back();
    return std::make_shared<Span>(std::string(name), parent.traceId(), randomHex(1), parent.spanId());
}

void init(const std::string& fileName) {
    auto& exporter = getExporter();
    install(nullptr);
    std::lock_guard lock(exporter.mutex);
    exporter.file.open(fileName, std::ios::out | std::ios::trunc | std::ios::binary);
    exporter.out = &exporter.file;
}

void init() { install(&std::cout); }

void shutDown() {
    auto& exporter = getExporter();
    std::lock_guard lock(exporter.mutex);
    if (exporter.out != nullptr) {
        exporter.out->flush();
    }
    exporter.out = nullptr;
    if (exporter.file.is_open()) {
        exporter.file.close();
    }
    exporter.file.clear();
}

const Tracer& getTracer() {
    static const Tracer tracer("zephalon", ZEPHALON_VERSION);
    return tracer;
}

std::shared_ptr<Span> startSpan(std::string_view name) { return getTracer().startSpan(name); }

Scope getSpanScope(std::string_view name) { return Scope(startSpan(name)); }

std::vector<std::pair<std::string, std::string>> parseResourceAttributes(std::string_view text) {
    std::vector<std::pair<std::string, std::string>> attributes;
    while (!text.empty()) {
        const auto comma = text.find(',');
        const std::string_view entry = text.substr(0, comma);
        text = comma == std::string_view::npos ? std::string_view{} : text.substr(comma + 1);

        const auto equals = entry.find('=');
        if (equals == std::string_view::npos) {
            continue;
        }
        const std::string key(trim(entry.substr(0, equals)));
        if (key.empty()) {
            continue;
        }
        // Malformed escapes are kept as written: a typo in the variable must not cost the whole attribute.
        std::string value = zephalon::percentDecode(trim(entry.substr(equals + 1)));
        auto it = std::find_if(attributes.begin(), attributes.end(), [&](const auto& a) { return a.first == key; });
        if (it != attributes.end()) {
            it->second = std::move(value);
        } else {
            attributes.emplace_back(key, std::move(value));
        }
    }
    return attributes;
}

}  // namespace zephalon::telemetry
