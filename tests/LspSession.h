// Drives `quendel lsp` as an editor does: through pipes, with the protocol's framing. Every wait
// has a time limit, so that a server that hangs fails the test instead of blocking it.
#ifndef QUENDEL_TESTS_LSPSESSION_H
#define QUENDEL_TESTS_LSPSESSION_H

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <deque>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>

#include "TestSupport.h"

extern char** environ;

class LspSession {
  public:
    using Json = nlohmann::json;
    static constexpr int kWaitSeconds = 30;

    LspSession() {
        std::signal(SIGPIPE, SIG_IGN);
        int in[2];
        int out[2];
        if (::pipe(in) != 0 || ::pipe(out) != 0) {
            throw std::runtime_error("cannot make pipes");
        }
        m_errPath = m_dir.Path() + "/stderr";
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], 0);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addopen(&actions, 2, m_errPath.c_str(), O_WRONLY | O_CREAT, 0644);
        for (const int fd : {in[0], in[1], out[0], out[1]}) {
            posix_spawn_file_actions_addclose(&actions, fd);
        }
        char tool[] = QUENDEL_TOOL;
        char command[] = "lsp";
        char* argv[] = {tool, command, nullptr};
        const int spawned = posix_spawn(&m_pid, tool, &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(in[0]);
        ::close(out[1]);
        m_in = in[1];
        m_out = out[0];
        ::fcntl(m_in, F_SETFL, O_NONBLOCK);
        if (spawned != 0) {
            throw std::runtime_error("cannot start " + std::string(tool));
        }
    }

    ~LspSession() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        CloseInput();
        ::close(m_out);
    }

    static std::string Frame(const std::string& body) {
        return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    }
    static std::string Frame(const Json& message) { return Frame(message.dump()); }
    static Json RequestMessage(const Json& id, const std::string& method, Json params) {
        return {{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", std::move(params)}};
    }
    static Json NotificationMessage(const std::string& method, Json params) {
        return {{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}};
    }

    // Writes all of bytes, reading what the server writes meanwhile so that neither side blocks.
    void SendRaw(const std::string& bytes) {
        size_t written = 0;
        while (written < bytes.size()) {
            pollfd fds[2] = {{m_in, POLLOUT, 0}, {m_out, POLLIN, 0}};
            ASSERT_GT(::poll(fds, 2, kWaitSeconds * 1000), 0) << "the server takes no input";
            if (fds[1].revents != 0) {
                ReadAvailable();
            }
            if (fds[0].revents & (POLLERR | POLLHUP)) {
                FAIL() << "the server closed its input";
            }
            if (fds[0].revents & POLLOUT) {
                const ssize_t n = ::write(m_in, bytes.data() + written, bytes.size() - written);
                if (n > 0) {
                    written += static_cast<size_t>(n);
                }
            }
        }
    }
    void Send(const Json& message) { SendRaw(Frame(message)); }
    void Notify(const std::string& method, Json params) {
        Send(NotificationMessage(method, std::move(params)));
    }
    // Sends a request and waits for its response.
    Json Request(const Json& id, const std::string& method, Json params) {
        Send(RequestMessage(id, method, std::move(params)));
        return Take([&](const Json& m) { return m.contains("id") && m["id"] == id; });
    }

    // Initialises with the given client capabilities and returns the result.
    Json Initialize(Json capabilities = Json::object()) {
        Json result = Request(0, "initialize",
                              {{"processId", nullptr},
                               {"rootUri", nullptr},
                               {"capabilities", std::move(capabilities)}})["result"];
        Notify("initialized", Json::object());
        return result;
    }

    // The first message, in the order they came, that matches; null (and a failure) when
    // none comes in time. The messages before it stay.
    Json Take(const std::function<bool(const Json&)>& matches) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kWaitSeconds);
        while (true) {
            for (auto it = m_messages.begin(); it != m_messages.end(); ++it) {
                if (matches(*it)) {
                    Json found = std::move(*it);
                    m_messages.erase(it);
                    return found;
                }
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd fd{m_out, POLLIN, 0};
            if (!m_open || left.count() <= 0 ||
                ::poll(&fd, 1, static_cast<int>(left.count())) <= 0) {
                ADD_FAILURE() << "no awaited message from the server; it logged:\n" << Log();
                return nullptr;
            }
            ReadAvailable();
        }
    }
    Json Next() {
        return Take([](const Json&) { return true; });
    }
    // The first publishDiagnostics for uri (of that version, when one is given): edits that
    // arrive together are checked together, so versions between may be left out.
    Json Diagnostics(const std::string& uri, const Json& version = nullptr) {
        return Take([&](const Json& m) {
            return m.value("method", "") == "textDocument/publishDiagnostics" &&
                   m["params"]["uri"] == uri &&
                   (version.is_null() || m["params"].value("version", Json()) == version);
        })["params"];
    }
    const std::deque<Json>& Pending() const { return m_messages; }

    void CloseInput() {
        if (m_in >= 0) {
            ::close(m_in);
            m_in = -1;
        }
    }
    // The server's exit status; -1 when it had to be killed or died of a signal.
    int ExitStatus() {
        for (int i = 0; i < kWaitSeconds * 100; ++i) {
            int status = 0;
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            ReadAvailable();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return -1;
    }
    std::string Log() const { return ReadWholeFile(m_errPath); }

  private:
    // Reads what is there without waiting and frames it.
    void ReadAvailable() {
        char chunk[65536];
        pollfd fd{m_out, POLLIN, 0};
        while (m_open && ::poll(&fd, 1, 0) > 0) {
            const ssize_t n = ::read(m_out, chunk, sizeof chunk);
            if (n <= 0) {
                m_open = false;
                break;
            }
            m_buffer.append(chunk, static_cast<size_t>(n));
        }
        while (true) {
            const size_t blank = m_buffer.find("\r\n\r\n");
            const std::string header = "Content-Length: ";
            if (blank == std::string::npos || m_buffer.compare(0, header.size(), header) != 0) {
                break;
            }
            const size_t length = std::stoul(m_buffer.substr(header.size()));
            if (m_buffer.size() < blank + 4 + length) {
                break;
            }
            m_messages.push_back(Json::parse(m_buffer.substr(blank + 4, length)));
            m_buffer.erase(0, blank + 4 + length);
        }
    }

    TempDir m_dir;
    std::string m_errPath;
    pid_t m_pid = -1;
    int m_in = -1;
    int m_out = -1;
    bool m_open = true;  // until the server's output ends
    std::string m_buffer;
    std::deque<Json> m_messages;
};

#endif
