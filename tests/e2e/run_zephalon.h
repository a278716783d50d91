#pragma once

// Runs the built `zephalon` executable for end-to-end tests.
//
//     Workspace workspace;                           // a fresh, empty temporary directory
//     workspace.write("api.yaml", "openapi: 3.1.0\n");
//     RunResult result = workspace.run({"format", "api.yaml"});
//     EXPECT_EQ(result.status, 0);
//     EXPECT_EQ(result.out, "...");
//     EXPECT_EQ(result.err, "");                     // the program never writes to standard error
//     EXPECT_EQ(workspace.read("api.yaml"), "...");
//
// The program runs with the workspace as its working directory, so relative paths and the telemetry file land
// there. The directory is removed when the workspace dies.

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

extern char** environ;

namespace zephalon::e2e {

struct RunResult {
    int status = -1;  // exit status; 128 + signal number when the process was killed by a signal
    std::string out;  // everything written to standard output
    std::string err;  // everything written to standard error
};

// Changes to the inherited environment for one run: a value sets the variable, no value removes it.
using Environment = std::map<std::string, std::optional<std::string>>;

class Workspace {
  public:
    Workspace() {
        std::string pattern = (std::filesystem::temp_directory_path() / "zephalon-e2e-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot create a temporary directory: " + std::string(std::strerror(errno)));
        }
        path_ = pattern;
    }
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;
    ~Workspace() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }

    const std::filesystem::path& path() const { return path_; }

    // Writes a file relative to the workspace, creating directories as needed.
    void write(const std::filesystem::path& relative, std::string_view contents) const {
        const auto file = path_ / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
        if (!out) {
            throw std::runtime_error("cannot write " + file.string());
        }
    }

    bool exists(const std::filesystem::path& relative) const { return std::filesystem::exists(path_ / relative); }

    // Reads a file relative to the workspace; throws when it is missing.
    std::string read(const std::filesystem::path& relative) const {
        const auto file = path_ / relative;
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            throw std::runtime_error("cannot read " + file.string());
        }
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    // Runs `zephalon` with `args` inside the workspace and waits for it. Given `outputFile`, standard output goes to
    // that file (such as /dev/full) instead of `out`.
    RunResult run(const std::vector<std::string>& args, const Environment& environment = {},
                  const std::string& outputFile = "") const {
        std::vector<std::string> envStrings = mergedEnvironment(environment);
        std::vector<char*> envp;
        for (auto& entry : envStrings) {
            envp.push_back(entry.data());
        }
        envp.push_back(nullptr);

        std::vector<std::string> argStrings{ZEPHALON_EXECUTABLE};
        argStrings.insert(argStrings.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& arg : argStrings) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);

        int outPipe[2];
        int errPipe[2];
        if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0) {
            throw std::runtime_error("cannot create pipes");
        }
        const int outputFd = outputFile.empty() ? -1 : ::open(outputFile.c_str(), O_WRONLY | O_CLOEXEC);
        if (!outputFile.empty() && outputFd < 0) {
            throw std::runtime_error("cannot open " + outputFile);
        }
        const std::string directory = path_.string();
        const pid_t pid = fork();
        if (pid < 0) {
            throw std::runtime_error("cannot fork");
        }
        if (pid == 0) {
            // Only async-signal-safe calls between fork and exec.
            dup2(outputFd >= 0 ? outputFd : outPipe[1], STDOUT_FILENO);
            dup2(errPipe[1], STDERR_FILENO);
            if (chdir(directory.c_str()) != 0) {
                _exit(126);
            }
            execve(argv[0], argv.data(), envp.data());
            _exit(127);
        }
        close(outPipe[1]);
        close(errPipe[1]);
        if (outputFd >= 0) {
            close(outputFd);
        }

        RunResult result;
        // Both pipes are drained together: a child that fills one while we block on the other would never end.
        pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
        std::string* sinks[2] = {&result.out, &result.err};
        int open = 2;
        char buffer[65536];
        while (open > 0) {
            if (poll(fds, 2, -1) < 0) {
                if (errno == EINTR) {
                    continue;
                }
                break;
            }
            for (int i = 0; i < 2; ++i) {
                if (fds[i].fd < 0 || fds[i].revents == 0) {
                    continue;
                }
                const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
                if (n > 0) {
                    sinks[i]->append(buffer, static_cast<size_t>(n));
                } else if (n == 0 || errno != EINTR) {
                    close(fds[i].fd);
                    fds[i].fd = -1;
                    --open;
                }
            }
        }
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        if (WIFEXITED(status)) {
            result.status = WEXITSTATUS(status);
        } else if (WIFSIGNALED(status)) {
            result.status = 128 + WTERMSIG(status);
        }
        return result;
    }

  private:
    static std::vector<std::string> mergedEnvironment(const Environment& changes) {
        std::vector<std::string> merged;
        for (char** entry = environ; *entry != nullptr; ++entry) {
            const std::string_view text(*entry);
            const std::string name(text.substr(0, text.find('=')));
            if (changes.find(name) == changes.end()) {
                merged.emplace_back(text);
            }
        }
        for (const auto& [name, value] : changes) {
            if (value) {
                merged.push_back(name + "=" + *value);
            }
        }
        return merged;
    }

    std::filesystem::path path_;
};

// Runs `zephalon` in a fresh workspace that is removed afterwards.
inline RunResult runZephalon(const std::vector<std::string>& args, const Environment& environment = {}) {
    return Workspace().run(args, environment);
}

// The lines of a text, without their line feeds; a final line feed does not start another line.
inline std::vector<std::string> splitLines(std::string_view text) {
    std::vector<std::string> lines;
    while (!text.empty()) {
        const auto feed = text.find('\n');
        lines.emplace_back(text.substr(0, feed));
        text = feed == std::string_view::npos ? std::string_view{} : text.substr(feed + 1);
    }
    return lines;
}

}  // namespace zephalon::e2e
