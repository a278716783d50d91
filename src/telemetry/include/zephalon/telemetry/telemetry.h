#pragma once

// A small tracing layer. Spans are written, as readable text blocks, to one telemetry stream the moment they end;
// nothing is ever sent anywhere. Until `init` is called (or after `shutDown`), spans are still handed out and nest
// as usual but are dropped when they end, so library code may open spans unconditionally.
//
// Typical use:
//
//     zephalon::telemetry::init(".zephalon.telemetry");
//     {
//         auto scope = zephalon::telemetry::getSpanScope("cli_command_lint");
//         ...  // spans started here get "cli_command_lint" as their parent
//     }        // the span ends and is written here
//     zephalon::telemetry::shutDown();
//
// The resource attributes of every span come from the environment variable OTEL_RESOURCE_ATTRIBUTES
// ("key=value,key2=value2", values may be percent-encoded), read once per `init`.

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zephalon::telemetry {

enum class StatusCode { Unset, Ok, Error };

class Span {
  public:
    Span(std::string name, std::string traceId, std::string spanId, std::string parentSpanId);
    Span(const Span&) = delete;
    Span& operator=(const Span&) = delete;
    // Ends the span if nobody did.
    ~Span();

    void setStatus(StatusCode code, std::string_view description = {});
    // Adds an attribute or replaces the value of an existing one.
    void setAttribute(std::string_view key, std::string_view value);
    // Records the duration and writes the span; later calls do nothing.
    void end();

    const std::string& name() const { return name_; }
    // 32 lower-case hex digits, shared by all spans of one trace.
    const std::string& traceId() const { return traceId_; }
    // 16 lower-case hex digits.
    const std::string& spanId() const { return spanId_; }
    // The span id of the parent, or sixteen zeros for a root span.
    const std::string& parentSpanId() const { return parentSpanId_; }
    StatusCode statusCode() const { return statusCode_; }
    bool isEnded() const { return ended_; }

  private:
    std::string name_;
    std::string traceId_;
    std::string spanId_;
    std::string parentSpanId_;
    std::chrono::system_clock::time_point start_;
    std::chrono::steady_clock::time_point steadyStart_;
    StatusCode statusCode_ = StatusCode::Unset;
    std::string statusDescription_;
    std::vector<std::pair<std::string, std::string>> attributes_;
    bool ended_ = false;
};

// Keeps a span active (the parent of spans started meanwhile) for its lifetime. When the scope holds the last
// reference to its span, destroying the scope ends the span. A scope destroyed while an exception unwinds the
// stack marks a still unset status as an error, so failed commands are recognisable in the telemetry file.
class [[nodiscard]] Scope {
  public:
    explicit Scope(std::shared_ptr<Span> span);
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;
    ~Scope();

    Span& span() const { return *span_; }

  private:
    std::shared_ptr<Span> span_;
    int uncaughtExceptions_;
};

class Tracer {
  public:
    Tracer(std::string name, std::string version) : name_(std::move(name)), version_(std::move(version)) {}

    const std::string& name() const { return name_; }
    const std::string& version() const { return version_; }
    // Starts a span whose parent is the currently active span, if any.
    std::shared_ptr<Span> startSpan(std::string_view name) const;

  private:
    std::string name_;
    std::string version_;
};

// Opens `fileName` for writing (truncating it) and writes spans there. A file that cannot be opened loses the
// spans silently: telemetry must never make a command fail.
void init(const std::string& fileName);
// Writes spans to standard output.
void init();
// Flushes and closes the telemetry stream; spans ending afterwards are dropped.
void shutDown();

// The tracer "zephalon", with the program's own version.
const Tracer& getTracer();
std::shared_ptr<Span> startSpan(std::string_view name);
Scope getSpanScope(std::string_view name);

// The resource attributes parsed from a text in the form of OTEL_RESOURCE_ATTRIBUTES. Entries without "=" or with
// an empty key are skipped; keys and values are trimmed and values percent-decoded; a repeated key keeps its last
// value at the place of its first appearance.
std::vector<std::pair<std::string, std::string>> parseResourceAttributes(std::string_view text);

}  // namespace zephalon::telemetry
