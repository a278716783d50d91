#include "zephalon/openapi_mock/server.h"

// Boost.Beast carries HTTP: it parses requests (with limits on header and body sizes) and writes responses; the
// mock only ever sees whole requests. Everything runs on one thread, so the document can be swapped between two
// requests without any locking.

#include <fmt/chrono.h>
#include <fmt/format.h>
#include <sys/stat.h>

#include <algorithm>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/signal_set.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <chrono>
#include <csignal>
#include <ctime>
#include <memory>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <utility>

#include "http_text.h"

namespace zephalon::openapi_mock {

namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kHeaderLimit = 16 * 1024;
constexpr std::size_t kRequestLineLimit = 8 * 1024;
constexpr std::uint64_t kBodyLimit = 1024 * 1024;
// A client gets this long for each request, from its first byte (or from the end of the previous answer on a
// kept-alive connection) to its last; a slow or idle one is disconnected.
constexpr auto kReadTimeout = std::chrono::seconds(10);
constexpr auto kWriteTimeout = std::chrono::seconds(10);
constexpr auto kWatchInterval = std::chrono::milliseconds(250);
constexpr auto kFlushInterval = std::chrono::milliseconds(100);

// Header values come from the document and from requests; a line break in one would split the response.
std::string headerSafe(std::string_view value) {
    std::string text(value);
    for (char& c : text) {
        if (c == '\r' || c == '\n' || c == '\0') c = ' ';
    }
    return text;
}

bool isToken(std::string_view name) {
    if (name.empty()) return false;
    for (unsigned char c : name) {
        if (c <= 32 || c >= 127 ||
            std::string_view("\"(),/:;<=>?@[\\]{}").find(static_cast<char>(c)) != std::string_view::npos) {
            return false;
        }
    }
    return true;
}

// Request paths in log lines: anything unprintable is escaped, so a request cannot forge log lines.
std::string printable(std::string_view text) {
    std::string out;
    for (unsigned char c : text) {
        if (c < 32 || c == 127) {
            out += fmt::format("\\x{:02x}", c);
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

struct FileStamp {
    bool exists = false;
    std::int64_t seconds = 0;
    std::int64_t nanoseconds = 0;
    std::int64_t size = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileStamp&) const = default;
};

FileStamp stampOf(const std::filesystem::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return {};
    return {true, static_cast<std::int64_t>(info.st_mtim.tv_sec), static_cast<std::int64_t>(info.st_mtim.tv_nsec),
            static_cast<std::int64_t>(info.st_size), static_cast<std::uint64_t>(info.st_ino)};
}

std::vector<FileStamp> stampsOf(const std::vector<std::filesystem::path>& files) {
    std::vector<FileStamp> stamps;
    stamps.reserve(files.size());
    for (const auto& file : files) stamps.push_back(stampOf(file));
    return stamps;
}

class Server;

class Session : public std::enable_shared_from_this<Session> {
  public:
    Session(tcp::socket socket, Server& server) : stream_(std::move(socket)), server_(server) {}
    void start() { readHeader(); }

  private:
    void readHeader();
    void onHeader(beast::error_code error);
    void onBody(beast::error_code error);
    void answer();
    void refuse(int status, std::string_view detail);
    void write(bool close);
    void onWrite(bool close, beast::error_code error);
    void close();

    beast::tcp_stream stream_;
    beast::flat_buffer buffer_;
    std::optional<http::request_parser<http::string_body>> parser_;
    http::response<http::string_body> response_;
    std::string continue_;
    Server& server_;
    Clock::time_point started_;
    std::string method_;
    std::string path_;
};

class Server {
  public:
    Server(const ServerOptions& options, std::ostream& log)
        : options_(options), log_(log), api_(MockApi::fromFile(options.document, options.formats, options.mock)) {
        stamp_ = stampsOf(api_->sourceFiles());
        pending_ = stamp_;
    }

    void run() {
        listen();
        signals_.async_wait([this](beast::error_code error, int) {
            if (error) return;
            log_ << "Mock server stopped.\n";
            log_.flush();
            ioc_.stop();
        });
        for (const auto& warning : api_->warnings()) log_ << "Warning: " << warning << '\n';
        auto endpoint = acceptor_.local_endpoint();
        std::string host = endpoint.address().to_string();
        if (endpoint.address().is_v6()) host = "[" + host + "]";
        log_ << fmt::format("Mock server for {} listening on http://{}:{}{} ({} routes)\n", options_.document.string(),
                            host, endpoint.port(), api_->basePath(), api_->routeCount());
        log_.flush();
        accept();
        scheduleFlush();
        if (options_.watch) scheduleWatch();
        ioc_.run();
        log_.flush();
    }

    MockApi& api() { return *api_; }

    void logRequest(std::string_view method, std::string_view path, unsigned status, Clock::duration elapsed) {
        double milliseconds = std::chrono::duration<double, std::milli>(elapsed).count();
        log_ << fmt::format("{} {} {} {:.2f} ms\n", printable(method), printable(path), status, milliseconds);
        dirty_ = true;
    }

    // IMF-fixdate of the current second, made once per second.
    const std::string& date() {
        std::time_t now = std::time(nullptr);
        if (now != dateSecond_) {
            dateSecond_ = now;
            std::tm utc{};
            gmtime_r(&now, &utc);
            char text[64];
            std::size_t length = std::strftime(text, sizeof text, "%a, %d %b %Y %H:%M:%S GMT", &utc);
            date_.assign(text, length);
        }
        return date_;
    }

  private:
    void listen() {
        beast::error_code error;
        tcp::resolver resolver(ioc_);
        auto results = resolver.resolve(options_.host, std::to_string(options_.port),
                                        tcp::resolver::passive | tcp::resolver::numeric_service, error);
        if (error || results.empty()) {
            throw std::runtime_error(fmt::format("Cannot resolve the host {}: {}", options_.host, error.message()));
        }
        tcp::endpoint endpoint = results.begin()->endpoint();
        acceptor_.open(endpoint.protocol(), error);
        if (!error) acceptor_.set_option(asio::socket_base::reuse_address(true), error);
        if (!error) acceptor_.bind(endpoint, error);
        if (!error) acceptor_.listen(asio::socket_base::max_listen_connections, error);
        if (error) {
            throw std::runtime_error(
                fmt::format("Cannot listen on {}:{}: {}", options_.host, options_.port, error.message()));
        }
    }

    void accept() {
        acceptor_.async_accept([this](beast::error_code error, tcp::socket socket) {
            if (error == asio::error::operation_aborted) return;
            if (error) {
                // Out of file descriptors and the like: wait a little instead of spinning.
                log_ << fmt::format("Cannot accept a connection: {}\n", error.message());
                dirty_ = true;
                acceptPause_.expires_after(std::chrono::milliseconds(100));
                acceptPause_.async_wait([this](beast::error_code waitError) {
                    if (!waitError) accept();
                });
                return;
            }
            beast::error_code ignored;
            socket.set_option(tcp::no_delay(true), ignored);
            std::make_shared<Session>(std::move(socket), *this)->start();
            accept();
        });
    }

    void scheduleFlush() {
        flushTimer_.expires_after(kFlushInterval);
        flushTimer_.async_wait([this](beast::error_code error) {
            if (error) return;
            if (dirty_) {
                log_.flush();
                dirty_ = false;
            }
            scheduleFlush();
        });
    }

    // Polls the modification times of the document's files; a change is taken once it has held for one interval, so
    // a document is not read while an editor is still writing it. The files are those of the version being served:
    // a reload that leads to other files watches those from then on.
    void scheduleWatch() {
        watchTimer_.expires_after(kWatchInterval);
        watchTimer_.async_wait([this](beast::error_code error) {
            if (error) return;
            const std::vector<FileStamp> now = stampsOf(api_->sourceFiles());
            const std::vector<FileStamp> previous = std::exchange(pending_, now);
            const bool allExist =
                std::all_of(now.begin(), now.end(), [](const FileStamp& stamp) { return stamp.exists; });
            if (allExist && now == previous && now != stamp_) {
                stamp_ = now;
                reload();
            }
            scheduleWatch();
        });
    }

    void reload() {
        try {
            auto api = MockApi::fromFile(options_.document, options_.formats, options_.mock);
            const bool sameFiles = api->sourceFiles() == api_->sourceFiles();
            api_ = std::move(api);
            // The stamps taken before reading stand, so that a change made while it read is taken next time.
            if (!sameFiles) {
                stamp_ = stampsOf(api_->sourceFiles());
                pending_ = stamp_;
            }
            for (const auto& warning : api_->warnings()) log_ << "Warning: " << warning << '\n';
            log_ << fmt::format("Reloaded {} ({} routes)\n", options_.document.string(), api_->routeCount());
        } catch (const std::exception& e) {
            log_ << fmt::format("Cannot reload {}, still serving the previous version: {}\n",
                                options_.document.string(), e.what());
        }
        log_.flush();
    }

    ServerOptions options_;
    std::ostream& log_;
    asio::io_context ioc_{1};
    tcp::acceptor acceptor_{ioc_};
    asio::signal_set signals_{ioc_, SIGINT, SIGTERM};
    asio::steady_timer flushTimer_{ioc_};
    asio::steady_timer watchTimer_{ioc_};
    asio::steady_timer acceptPause_{ioc_};
    std::unique_ptr<MockApi> api_;
    std::vector<FileStamp> stamp_;
    std::vector<FileStamp> pending_;
    bool dirty_ = false;
    std::time_t dateSecond_ = 0;
    std::string date_;
};

void Session::readHeader() {
    parser_.emplace();
    parser_->header_limit(kHeaderLimit);
    parser_->body_limit(kBodyLimit);
    stream_.expires_after(kReadTimeout);
    http::async_read_header(
        stream_, buffer_, *parser_,
        [self = shared_from_this()](beast::error_code error, std::size_t) { self->onHeader(error); });
}

void Session::onHeader(beast::error_code error) {
    started_ = Clock::now();
    method_.clear();
    path_.clear();
    if (error == http::error::end_of_stream) return close();
    if (error == beast::error::timeout) {
        // An idle kept-alive connection just ends; a request that stalled half-way is told why.
        if (buffer_.size() == 0 && !parser_->got_some()) return close();
        return refuse(408, "The request was not received in time.");
    }
    if (error == http::error::header_limit) {
        auto data = buffer_.data();
        std::string_view received(static_cast<const char*>(data.data()), data.size());
        if (received.find('\n') == std::string_view::npos) {
            return refuse(414, fmt::format("The request line is longer than {} bytes.", kRequestLineLimit));
        }
        return refuse(431, fmt::format("The request header is larger than {} bytes.", kHeaderLimit));
    }
    if (error == http::error::body_limit) {
        return refuse(413, fmt::format("The request body is larger than {} bytes.", kBodyLimit));
    }
    if (error && error.category() == http::make_error_code(http::error::bad_target).category()) {
        return refuse(400, fmt::format("The request is not valid HTTP/1.1: {}.", error.message()));
    }
    if (error) return close();

    const auto& header = parser_->get();
    method_ = std::string(header.method_string());
    path_ = std::string(header.target().substr(0, header.target().find('?')));
    if (header.target().size() > kRequestLineLimit) {
        return refuse(414, fmt::format("The request target is longer than {} bytes.", kRequestLineLimit));
    }
    if (parser_->is_done()) return answer();
    auto expect = header.find(http::field::expect);
    if (expect != header.end() && beast::iequals(expect->value(), "100-continue")) {
        // The client waits for this before it sends the body.
        continue_ = "HTTP/1.1 100 Continue\r\n\r\n";
        asio::async_write(
            stream_, asio::buffer(continue_), [self = shared_from_this()](beast::error_code writeError, std::size_t) {
                if (writeError) return self->close();
                http::async_read(self->stream_, self->buffer_, *self->parser_,
                                 [self](beast::error_code readError, std::size_t) { self->onBody(readError); });
            });
        return;
    }
    http::async_read(stream_, buffer_, *parser_, [self = shared_from_this()](beast::error_code readError, std::size_t) {
        self->onBody(readError);
    });
}

void Session::onBody(beast::error_code error) {
    if (error == beast::error::timeout) return refuse(408, "The request body was not received in time.");
    if (error == http::error::body_limit) {
        return refuse(413, fmt::format("The request body is larger than {} bytes.", kBodyLimit));
    }
    if (error && error.category() == http::make_error_code(http::error::bad_target).category()) {
        return refuse(400, fmt::format("The request body is not valid HTTP/1.1: {}.", error.message()));
    }
    if (error) return close();
    answer();
}

void Session::answer() {
    const auto& message = parser_->get();
    Request request;
    request.method = message.method_string();
    request.target = message.target();
    for (const auto& field : message) request.headers.emplace_back(field.name_string(), field.value());
    request.body = message.body();

    Response answer = server_.api().handle(request);
    response_ = {};
    response_.version(11);
    response_.result(static_cast<unsigned>(answer.status));
    response_.set(http::field::date, server_.date());
    for (const auto& [name, value] : answer.headers) {
        if (isToken(name)) response_.insert(name, headerSafe(value));
    }
    response_.keep_alive(message.keep_alive());
    if (answer.status < 200 || answer.status == 204 || answer.status == 304) {
        // These answers never have a body, nor a length for one.
        write(!message.keep_alive());
        return;
    }
    response_.body() = std::move(answer.body);
    response_.prepare_payload();
    // A HEAD answer announces the length of the body it leaves out.
    if (message.method() == http::verb::head) response_.body().clear();
    write(!message.keep_alive());
}

void Session::refuse(int status, std::string_view detail) {
    response_ = {};
    response_.version(11);
    response_.result(static_cast<unsigned>(status));
    response_.set(http::field::date, server_.date());
    response_.set(http::field::content_type, "application/problem+json");
    response_.set("Access-Control-Allow-Origin", "*");
    response_.body() = problemJson(status, detail);
    // What is left of a refused request cannot be told apart from the next one.
    response_.keep_alive(false);
    response_.prepare_payload();
    write(true);
}

void Session::write(bool close) {
    stream_.expires_after(kWriteTimeout);
    http::async_write(stream_, response_, [self = shared_from_this(), close](beast::error_code error, std::size_t) {
        self->onWrite(close, error);
    });
}

void Session::onWrite(bool close, beast::error_code error) {
    server_.logRequest(method_.empty() ? std::string_view("-") : std::string_view(method_),
                       path_.empty() ? std::string_view("-") : std::string_view(path_), response_.result_int(),
                       Clock::now() - started_);
    if (error || close) return this->close();
    readHeader();
}

void Session::close() {
    beast::error_code ignored;
    stream_.socket().shutdown(tcp::socket::shutdown_send, ignored);
    stream_.socket().close(ignored);
}

}  // namespace

void serve(const ServerOptions& options, std::ostream& log) {
    // A client that goes away must not end the server (and neither must a closed standard output).
    std::signal(SIGPIPE, SIG_IGN);
    Server server(options, log);
    server.run();
}

}  // namespace zephalon::openapi_mock
