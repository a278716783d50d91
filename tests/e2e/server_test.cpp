#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <thread>

#include "run_zephalon.h"

namespace zephalon::e2e {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

size_t count(const std::string& text, const std::string& needle) {
    size_t n = 0;
    for (auto pos = text.find(needle); pos != std::string::npos; pos = text.find(needle, pos + 1)) {
        ++n;
    }
    return n;
}

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// What came back for one request. The server is asked to close the connection, so everything up to the end of the
// stream is one response.
struct Reply {
    int status = 0;
    std::map<std::string, std::string> headers;  // names in lower case
    std::string body;
    std::string raw;

    std::string header(const std::string& name) const {
        auto it = headers.find(lower(name));
        return it == headers.end() ? std::string() : it->second;
    }
    nlohmann::json json() const { return nlohmann::json::parse(body); }
};

int connectTo(int port) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) throw std::runtime_error("socket failed");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        throw std::runtime_error("connect failed: " + std::string(std::strerror(errno)));
    }
    return fd;
}

// Sends raw bytes and reads until the server closes, for at most five seconds.
Reply sendRaw(int port, const std::string& bytes) {
    int fd = connectTo(port);
    size_t sent = 0;
    while (sent < bytes.size()) {
        ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) break;  // the server may refuse early (a body over the limit) and close
        sent += static_cast<size_t>(n);
    }
    Reply reply;
    const auto deadline = Clock::now() + 5s;
    char buffer[65536];
    while (Clock::now() < deadline) {
        pollfd pfd{fd, POLLIN, 0};
        if (poll(&pfd, 1, 100) <= 0) continue;
        ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        reply.raw.append(buffer, static_cast<size_t>(n));
    }
    close(fd);
    auto end = reply.raw.find("\r\n\r\n");
    if (end == std::string::npos) return reply;
    std::string head = reply.raw.substr(0, end);
    reply.body = reply.raw.substr(end + 4);
    auto lineEnd = head.find("\r\n");
    std::string statusLine = head.substr(0, lineEnd);
    reply.status = std::stoi(statusLine.substr(9, 3));
    size_t pos = lineEnd == std::string::npos ? head.size() : lineEnd + 2;
    while (pos < head.size()) {
        auto next = head.find("\r\n", pos);
        if (next == std::string::npos) next = head.size();
        std::string line = head.substr(pos, next - pos);
        auto colon = line.find(':');
        if (colon != std::string::npos) {
            std::string value = line.substr(colon + 1);
            value.erase(0, value.find_first_not_of(' '));
            reply.headers[lower(line.substr(0, colon))] = value;
        }
        pos = next + 2;
    }
    return reply;
}

Reply request(int port, const std::string& method, const std::string& target,
              const std::vector<std::string>& headers = {}, const std::string& body = "") {
    std::string text = method + " " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n";
    for (const auto& header : headers) text += header + "\r\n";
    if (!body.empty() || method == "POST") text += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    text += "\r\n" + body;
    return sendRaw(port, text);
}

// A `zephalon server` process on a free port of 127.0.0.1. It dies with the test process, and is killed when the
// object goes, whatever happened in between.
class ServerProcess {
  public:
    ServerProcess(const Workspace& workspace, std::vector<std::string> args) {
        args.insert(args.begin(), {ZEPHALON_EXECUTABLE, "server"});
        int out[2];
        if (pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
        std::vector<char*> argv;
        for (auto& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        const std::string directory = workspace.path().string();
        const pid_t parent = getpid();
        pid_ = fork();
        if (pid_ < 0) throw std::runtime_error("fork failed");
        if (pid_ == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (getppid() != parent) _exit(125);
            dup2(out[1], STDOUT_FILENO);
            dup2(out[1], STDERR_FILENO);
            if (chdir(directory.c_str()) != 0) _exit(126);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(out[1]);
        out_ = out[0];
    }
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;
    ~ServerProcess() {
        if (pid_ > 0 && status_ < 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        close(out_);
    }

    // Reads output until a line contains `needle`; false after the timeout or when the output ends.
    bool waitFor(const std::string& needle, std::chrono::milliseconds timeout = 20s) {
        const auto deadline = Clock::now() + timeout;
        while (output_.find(needle, scanned_) == std::string::npos) {
            if (Clock::now() >= deadline || !readSome(deadline)) return false;
        }
        scanned_ = output_.find(needle, scanned_) + needle.size();
        return true;
    }

    // The port named by the start line.
    int port() {
        if (port_ == 0) {
            if (!waitFor(" listening on http://127.0.0.1:")) throw std::runtime_error("no start line: " + output_);
            waitFor("\n");
            const std::string marker = "listening on http://127.0.0.1:";
            auto at = output_.find(marker);
            if (at != std::string::npos) port_ = std::atoi(output_.c_str() + at + marker.size());
        }
        return port_;
    }

    // Sends a signal and waits at most `timeout` for the process to end; its exit status, or -1 if it did not end.
    int stop(int signal, std::chrono::milliseconds timeout) {
        kill(pid_, signal);
        const auto deadline = Clock::now() + timeout;
        while (Clock::now() < deadline) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                while (readSome(Clock::now() + 100ms)) {
                }
                return status_;
            }
            std::this_thread::sleep_for(10ms);
        }
        return -1;
    }

    // Waits for the process to end by itself.
    int wait(std::chrono::milliseconds timeout = 20s) { return stop(0, timeout); }

    const std::string& output() const { return output_; }

  private:
    bool readSome(Clock::time_point deadline) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd pfd{out_, POLLIN, 0};
        if (poll(&pfd, 1, static_cast<int>(std::max<long>(left, 0))) <= 0) return false;
        char buffer[4096];
        ssize_t n = read(out_, buffer, sizeof buffer);
        if (n <= 0) return false;
        output_.append(buffer, static_cast<size_t>(n));
        return true;
    }

    pid_t pid_ = -1;
    int out_ = -1;
    int status_ = -1;
    int port_ = 0;
    std::string output_;
    size_t scanned_ = 0;
};

std::string shopDocument() {
    std::ifstream in(std::string(ZEPHALON_TESTDATA_DIR) + "/mock/shop-3.1.yaml");
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// One server for the shop document, shared by the tests that only send requests.
class ShopServer : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        workspace_ = new Workspace();
        workspace_->write("shop.yaml", shopDocument());
        server_ = new ServerProcess(*workspace_, {"shop.yaml", "--port", "0", "--seed", "7"});
        port_ = server_->port();
    }
    static void TearDownTestSuite() {
        delete server_;
        delete workspace_;
        server_ = nullptr;
        workspace_ = nullptr;
    }
    void SetUp() override { ASSERT_GT(port_, 0) << server_->output(); }

    static Reply get(const std::string& target, const std::vector<std::string>& headers = {}) {
        return request(port_, "GET", target, headers);
    }

    static inline Workspace* workspace_ = nullptr;
    static inline ServerProcess* server_ = nullptr;
    static inline int port_ = 0;
};

TEST_F(ShopServer, RoutesUnderTheFirstServersPathWithLiteralPathsFirst) {
    // "/items/latest" is literal and wins over "/items/{id}", which would need credentials.
    Reply latest = get("/api/v2/items/latest");
    EXPECT_EQ(latest.status, 200) << latest.raw;
    EXPECT_EQ(latest.json(), nlohmann::json::parse(R"({"id": 99, "name": "Newest", "price": 1})"));
    EXPECT_EQ(latest.header("Content-Type"), "application/json");

    Reply outside = get("/items/latest");
    EXPECT_EQ(outside.status, 404);
    EXPECT_EQ(outside.header("Content-Type"), "application/problem+json");
    EXPECT_EQ(outside.json()["status"], 404);
    EXPECT_EQ(get("/api/v2/nothing/here").status, 404);
    EXPECT_EQ(get("/api/v2x/items").status, 404);

    Reply wrongMethod = request(port_, "PUT", "/api/v2/items");
    EXPECT_EQ(wrongMethod.status, 405);
    EXPECT_EQ(wrongMethod.header("Allow"), "GET, POST, HEAD, OPTIONS");

    // HEAD answers like GET without the body.
    Reply head = request(port_, "HEAD", "/api/v2/items/latest");
    EXPECT_EQ(head.status, 200);
    EXPECT_EQ(head.header("Content-Length"), std::to_string(latest.body.size()));
    EXPECT_EQ(head.body, "");
}

TEST_F(ShopServer, ReadsEachParameterLocationAndStyle) {
    struct Case {
        std::string target;
        std::vector<std::string> headers;
        int status;
        std::string pointer;  // of the first error, when refused
    };
    const std::vector<Case> cases{
        {"/api/v2/items?limit=5", {}, 200, ""},
        {"/api/v2/items?limit=0", {}, 422, ""},
        {"/api/v2/items?limit=five", {}, 422, ""},
        {"/api/v2/items?tags=new&tags=sale", {}, 200, ""},  // form, exploded
        {"/api/v2/items?tags=new&tags=used", {}, 422, "/1"},
        {"/api/v2/items?ids=1,2,3", {}, 200, ""},  // form, not exploded
        {"/api/v2/items?ids=1,x", {}, 422, "/1"},
        {"/api/v2/items?ids=1%2C2", {}, 422, "/0"},  // an encoded comma belongs to the item
        {"/api/v2/items?sizes=1|2|10", {}, 200, ""},
        {"/api/v2/items?sizes=1|11", {}, 422, "/1"},
        {"/api/v2/items?words=ab%20cd", {}, 200, ""},
        {"/api/v2/items?words=ab+c", {}, 422, "/1"},
        {"/api/v2/items?filter[min]=1&filter[max]=20", {}, 200, ""},  // deepObject
        {"/api/v2/items?filter%5Bmax%5D=2000", {}, 422, "/max"},
        {"/api/v2/items", {"X-Trace: 42"}, 200, ""},
        {"/api/v2/items", {"X-Trace: many"}, 422, ""},
        {"/api/v2/items", {"Cookie: theme=dark; session=abc123"}, 200, ""},
        {"/api/v2/items", {"Cookie: session=XYZ"}, 422, ""},
        {"/api/v2/shelves/.1,2,3", {}, 204, ""},  // label
        {"/api/v2/shelves/1,2", {}, 422, ""},
        {"/api/v2/points/;x=1;y=2", {}, 204, ""},  // matrix, exploded object
        {"/api/v2/points/;x=1;y=b", {}, 422, "/y"},
        {"/api/v2/items/0", {"X-API-Key: k"}, 422, ""},  // simple path parameter under its minimum
    };
    for (const auto& c : cases) {
        Reply reply = get(c.target, c.headers);
        EXPECT_EQ(reply.status, c.status) << c.target << "\n" << reply.raw;
        if (reply.status == 422 && c.status == 422) {
            auto errors = reply.json()["errors"];
            ASSERT_FALSE(errors.empty()) << reply.body;
            EXPECT_EQ(errors[0]["pointer"], c.pointer) << c.target << "\n" << reply.body;
        }
    }
    Reply refused = get("/api/v2/items?limit=0");
    const auto problem = refused.json();
    EXPECT_EQ(refused.header("Content-Type"), "application/problem+json");
    EXPECT_EQ(problem["status"], 422);
    EXPECT_EQ(problem["errors"][0]["in"], "query");
    EXPECT_EQ(problem["errors"][0]["name"], "limit");
}

TEST_F(ShopServer, ChecksRequestBodies) {
    const std::vector<std::string> json{"Content-Type: application/json", "X-API-Key: secret"};
    // The readOnly id need not be sent.
    Reply created = request(port_, "POST", "/api/v2/items", json, R"({"name": "Stool", "price": 20, "note": null})");
    EXPECT_EQ(created.status, 201) << created.raw;

    Reply invalid = request(port_, "POST", "/api/v2/items", json, R"({"name": "", "price": -1})");
    EXPECT_EQ(invalid.status, 422) << invalid.raw;
    std::set<std::string> pointers;
    const auto problem = invalid.json();
    for (const auto& error : problem["errors"]) {
        EXPECT_EQ(error["in"], "body");
        pointers.insert(error["pointer"].get<std::string>());
    }
    EXPECT_TRUE(pointers.contains("/name") && pointers.contains("/price")) << invalid.body;

    EXPECT_EQ(request(port_, "POST", "/api/v2/items", json, R"({"name": "x", "price": 1, "colour": "red"})").status,
              422);
    EXPECT_EQ(request(port_, "POST", "/api/v2/items", json, R"({"name": "x",)").status, 400);
    EXPECT_EQ(request(port_, "POST", "/api/v2/items", json, "").status, 422);
    Reply text = request(port_, "POST", "/api/v2/items", {"Content-Type: text/plain", "X-API-Key: k"}, "Stool");
    EXPECT_EQ(text.status, 415);
    EXPECT_NE(text.json()["detail"].get<std::string>().find("application/json"), std::string::npos);
}

TEST_F(ShopServer, AsksForCredentialsOnlyWhereTheOperationNeedsThem) {
    Reply missing = get("/api/v2/items/3");
    EXPECT_EQ(missing.status, 401);
    EXPECT_NE(missing.header("WWW-Authenticate").find("Bearer"), std::string::npos);
    EXPECT_NE(missing.header("WWW-Authenticate").find("X-API-Key"), std::string::npos);
    EXPECT_EQ(get("/api/v2/items/3", {"Authorization: Basic abc"}).status, 401);
    EXPECT_EQ(get("/api/v2/items/3", {"Authorization: Bearer abc"}).status, 200);
    EXPECT_EQ(get("/api/v2/items/3", {"X-API-Key: anything"}).status, 200);
    EXPECT_EQ(request(port_, "DELETE", "/api/v2/items/3").status, 401);
    EXPECT_EQ(request(port_, "DELETE", "/api/v2/items/3", {"X-API-Key: k"}).status, 204);
}

TEST_F(ShopServer, AnswersWithExamplesOrSamplesAsPreferred) {
    const nlohmann::json two = nlohmann::json::parse(R"([{"id":1,"name":"Lamp","price":12.5},
                                                        {"id":2,"name":"Desk","price":99}])");
    Reply first = get("/api/v2/items");
    EXPECT_EQ(first.json(), two);
    EXPECT_FALSE(first.header("X-Total-Count").empty());
    Reply named = get("/api/v2/items", {"Prefer: example=none"});
    EXPECT_EQ(named.json(), nlohmann::json::array());
    EXPECT_EQ(named.header("Preference-Applied"), "example=none");
    EXPECT_EQ(get("/api/v2/items", {"Prefer: example=unknown"}).json(), two);

    const std::vector<std::string> key{"X-API-Key: k"};
    Reply byCode = get("/api/v2/items/3", {"X-API-Key: k", "Prefer: code=404"});
    EXPECT_EQ(byCode.status, 404);
    EXPECT_EQ(byCode.header("Content-Type"), "application/problem+json");
    EXPECT_EQ(byCode.json()["title"], "No such item");

    // The schema's example, then the media type negotiated from Accept.
    EXPECT_EQ(get("/api/v2/items/3", key).json(), nlohmann::json::parse(R"({"id": 7, "name": "Chair", "price": 45})"));
    Reply xml = get("/api/v2/items/3", {"X-API-Key: k", "Accept: application/xml"});
    EXPECT_EQ(xml.header("Content-Type"), "application/xml");
    EXPECT_EQ(xml.body, R"(<item id="1"/>)");
    EXPECT_EQ(get("/api/v2/items/3", {"X-API-Key: k", "Accept: text/csv"}).status, 406);

    // Without examples the body is generated: the same for the same request, fresh when asked for.
    Reply sample = get("/api/v2/stats");
    ASSERT_EQ(sample.status, 200);
    auto stats = sample.json();
    EXPECT_TRUE(stats["visits"].is_number_integer());
    EXPECT_TRUE(stats["region"].is_string());
    EXPECT_EQ(get("/api/v2/stats").body, sample.body);
    bool changed = false;
    for (int i = 0; i < 5 && !changed; ++i)
        changed = get("/api/v2/stats", {"Prefer: dynamic=true"}).body != sample.body;
    EXPECT_TRUE(changed);
}

TEST_F(ShopServer, AnswersCorsPreflightsAndAllowsEveryOrigin) {
    Reply preflight = request(port_, "OPTIONS", "/api/v2/items/3",
                              {"Origin: https://app.example", "Access-Control-Request-Method: DELETE",
                               "Access-Control-Request-Headers: x-api-key"});
    EXPECT_EQ(preflight.status, 204);
    EXPECT_EQ(preflight.header("Access-Control-Allow-Origin"), "*");
    EXPECT_EQ(preflight.header("Access-Control-Allow-Methods"), "GET, DELETE, HEAD, OPTIONS");
    EXPECT_EQ(preflight.header("Access-Control-Allow-Headers"), "x-api-key");
    EXPECT_EQ(get("/api/v2/items", {"Origin: https://app.example"}).header("Access-Control-Allow-Origin"), "*");
    EXPECT_EQ(get("/api/v2/missing").header("Access-Control-Allow-Origin"), "*");
}

TEST_F(ShopServer, RefusesOversizedRequestsAndGarbage) {
    Reply longLine = get("/api/v2/items?limit=1&pad=" + std::string(9000, 'a'));
    EXPECT_EQ(longLine.status, 414);
    Reply bigHeader = get("/api/v2/items", {"X-Pad: " + std::string(20000, 'b')});
    EXPECT_EQ(bigHeader.status, 431);
    // The length alone is refused, before any of the body is read.
    Reply bigBody = sendRaw(port_,
                            "POST /api/v2/items HTTP/1.1\r\nHost: x\r\nContent-Type: application/json\r\n"
                            "Content-Length: 5000000\r\n\r\n{");
    EXPECT_EQ(bigBody.status, 413);
    EXPECT_EQ(sendRaw(port_, "BLAH\r\n\r\n").status, 400);
    EXPECT_EQ(sendRaw(port_, "GET /api/v2/items HTTP/1.1\r\nBad Header\r\n\r\n").status, 400);
    // Still serving.
    EXPECT_EQ(get("/api/v2/items/latest").status, 200);
}

TEST_F(ShopServer, LogsOneLinePerRequest) {
    get("/api/v2/items/latest?secret=1");
    ASSERT_TRUE(server_->waitFor("GET /api/v2/items/latest 200 ")) << server_->output();
    EXPECT_EQ(server_->output().find("secret=1"), std::string::npos);
}

TEST(ServerTest, StopsOnSigtermWithinASecond) {
    Workspace workspace;
    workspace.write("shop.yaml", shopDocument());
    ServerProcess server(workspace, {"shop.yaml", "--port", "0"});
    ASSERT_GT(server.port(), 0);
    EXPECT_NE(server.output().find("Mock server for shop.yaml listening on http://127.0.0.1:"), std::string::npos);
    EXPECT_NE(server.output().find("/api/v2 (8 routes)"), std::string::npos) << server.output();
    // An open, idle connection does not hold the server up.
    int idle = connectTo(server.port());
    EXPECT_EQ(server.stop(SIGTERM, 1000ms), 0);
    close(idle);
    EXPECT_NE(server.output().find("Mock server stopped."), std::string::npos);
    const std::string telemetry = workspace.read(".zephalon.telemetry");
    EXPECT_EQ(count(telemetry, "name          : cli_command_server\n"), 1u) << telemetry;
}

TEST(ServerTest, WatchSwapsInAChangedDocumentAndKeepsTheOldOneWhenItBreaks) {
    Workspace workspace;
    workspace.write("api.yaml", R"(openapi: 3.0.3
info: {title: Watched, version: "1"}
paths:
  /first:
    get:
      responses:
        '200': {description: ok, content: {text/plain: {example: one}}}
)");
    ServerProcess server(workspace, {"api.yaml", "--port", "0", "--watch"});
    int port = server.port();
    ASSERT_GT(port, 0);
    EXPECT_EQ(request(port, "GET", "/first").body, "one");
    EXPECT_EQ(request(port, "GET", "/second").status, 404);

    // A kept-alive connection opened before the change still answers after it.
    int kept = connectTo(port);
    workspace.write("api.yaml", R"(openapi: 3.0.3
info: {title: Watched, version: "2"}
paths:
  /second:
    get:
      responses:
        '200': {description: ok, content: {text/plain: {example: two}}}
)");
    ASSERT_TRUE(server.waitFor("Reloaded api.yaml (1 routes)", 10s)) << server.output();
    EXPECT_EQ(request(port, "GET", "/second").body, "two");
    EXPECT_EQ(request(port, "GET", "/first").status, 404);
    const std::string get = "GET /second HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n";
    ASSERT_EQ(send(kept, get.data(), get.size(), MSG_NOSIGNAL), static_cast<ssize_t>(get.size()));
    std::string answer;
    char buffer[4096];
    for (int i = 0; i < 50; ++i) {
        pollfd pfd{kept, POLLIN, 0};
        if (poll(&pfd, 1, 100) <= 0) continue;
        ssize_t n = recv(kept, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        answer.append(buffer, static_cast<size_t>(n));
    }
    close(kept);
    EXPECT_NE(answer.find("\r\n\r\ntwo"), std::string::npos) << answer;

    workspace.write("api.yaml", "openapi: 3.0.3\npaths: [\n");
    ASSERT_TRUE(server.waitFor("Cannot reload api.yaml, still serving the previous version: ", 10s)) << server.output();
    EXPECT_EQ(request(port, "GET", "/second").body, "two");
    EXPECT_EQ(server.stop(SIGINT, 1000ms), 0);
}

TEST(ServerTest, WatchAlsoWatchesTheFilesTheDocumentRefersTo) {
    Workspace workspace;
    workspace.write("api.yaml", R"(openapi: 3.0.3
info: {title: Split, version: "1"}
paths:
  /first:
    $ref: 'paths/first.yaml'
)");
    const auto first = [](const std::string& body) {
        return "get:\n  responses:\n    '200': {description: ok, content: {text/plain: {example: " + body + "}}}\n";
    };
    workspace.write("paths/first.yaml", first("one"));
    ServerProcess server(workspace, {"api.yaml", "--port", "0", "--watch"});
    int port = server.port();
    ASSERT_GT(port, 0);
    EXPECT_EQ(request(port, "GET", "/first").body, "one");

    workspace.write("paths/first.yaml", first("two"));
    ASSERT_TRUE(server.waitFor("Reloaded api.yaml (1 routes)", 10s)) << server.output();
    EXPECT_EQ(request(port, "GET", "/first").body, "two");
    EXPECT_EQ(server.stop(SIGINT, 1000ms), 0);
}

TEST(ServerTest, RecordsItsSpanWithTheResourceAttributesAlsoWhenItFails) {
    Workspace workspace;
    workspace.write(".zephalon.telemetry", "left over from an earlier run\n");
    const auto result = workspace.run({"server", "absent.yaml"},
                                      {{"OTEL_RESOURCE_ATTRIBUTES", "service.name=zephalon-e2e,team=api%20tools"}});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "");
    const std::string telemetry = workspace.read(".zephalon.telemetry");
    EXPECT_EQ(count(telemetry, "name          : cli_command_server\n"), 1u) << telemetry;
    EXPECT_EQ(count(telemetry, "parent_span_id: 0000000000000000\n"), 1u);
    EXPECT_EQ(count(telemetry, "status        : Error"), 1u);
    EXPECT_EQ(count(telemetry, "    service.name: zephalon-e2e\n"), 1u);
    EXPECT_EQ(count(telemetry, "    team: api tools\n"), 1u);
    EXPECT_EQ(count(telemetry, "left over"), 0u);

    // Commands without a span leave an empty file behind.
    ASSERT_EQ(workspace.run({"credits"}).status, 0);
    EXPECT_EQ(workspace.read(".zephalon.telemetry"), "");
}

TEST(ServerTest, FailedCommandKeepsItsSpanMarkedAsError) {
    Workspace workspace;
    const auto result = workspace.run({"lint", "api.yaml"});
    EXPECT_EQ(result.status, 1);
    const std::string telemetry = workspace.read(".zephalon.telemetry");
    EXPECT_EQ(count(telemetry, "name          : cli_command_lint\n"), 1u) << telemetry;
    // The command's span, and the read step inside it that failed, both end as errors.
    const std::string command = telemetry.substr(telemetry.find("name          : cli_command_lint\n"));
    EXPECT_NE(command.substr(0, command.find('}')).find("status        : Error"), std::string::npos) << telemetry;
}

TEST(ServerTest, UnwritableTelemetryFileDoesNotStopTheServer) {
    Workspace workspace;
    workspace.write("shop.yaml", shopDocument());
    // A directory where the file should be: opening it fails, and the spans are dropped quietly.
    std::filesystem::create_directory(workspace.path() / ".zephalon.telemetry");
    ServerProcess server(workspace, {"shop.yaml", "--port", "0"});
    ASSERT_GT(server.port(), 0) << server.output();
    EXPECT_EQ(request(server.port(), "GET", "/api/v2/items/latest").status, 200);
    EXPECT_EQ(server.stop(SIGTERM, 1000ms), 0);
}

TEST(ServerTest, FailsWithTheReasonWhenItCannotStart) {
    Workspace workspace;
    auto missing = workspace.run({"server", "absent.yaml", "--port", "0"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.out.find("absent.yaml"), std::string::npos) << missing.out;
    EXPECT_EQ(missing.err, "");

    workspace.write("broken.yaml",
                    "openapi: 3.1.0\ninfo: {title: x, version: '1'}\npaths:\n  /a: {get: {responses: {'200': {$ref: "
                    "'#/nope'}}}}\n");
    auto broken = workspace.run({"server", "broken.yaml", "--port", "0"});
    EXPECT_EQ(broken.status, 1);
    EXPECT_NE(broken.out.find("#/nope"), std::string::npos) << broken.out;

    workspace.write("shop.yaml", shopDocument());
    ServerProcess first(workspace, {"shop.yaml", "--port", "0"});
    const int port = first.port();
    ASSERT_GT(port, 0);
    auto taken = workspace.run({"server", "shop.yaml", "--port", std::to_string(port)});
    EXPECT_EQ(taken.status, 1);
    EXPECT_NE(taken.out.find("Cannot listen on 127.0.0.1:" + std::to_string(port)), std::string::npos) << taken.out;

    EXPECT_EQ(workspace.run({"server"}).status, 1);
    EXPECT_EQ(workspace.run({"server", "shop.yaml", "--port", "70000"}).status, 1);
}

}  // namespace
}  // namespace zephalon::e2e
