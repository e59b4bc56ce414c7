#include "ServerLoop.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <cstring>
#include <deque>
#include <exception>
#include <iostream>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "FdStreams.h"
#include "LanguageServer.h"
#include "MessageReader.h"
#include "MessageWriter.h"

namespace {

// Bytes of messages read ahead of the handling thread before the reader waits.
constexpr size_t kMaxQueuedBytes = size_t{128} << 20;

// The messages between the two threads, handed over in groups: the messages framed from the
// bytes of one read reach the handling thread together.
class Inbox {
  public:
    // Waits while too much is queued; false once closed.
    bool Push(std::vector<FramedMessage>& group) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(
            lock, [this] { return m_closed || m_messages.empty() || m_bytes < kMaxQueuedBytes; });
        if (m_closed) {
            return false;
        }
        for (FramedMessage& message : group) {
            m_bytes += message.m_body.size();
            m_messages.push_back(std::move(message));
        }
        group.clear();
        m_changed.notify_all();
        return true;
    }

    // Waits for at least one message and takes all that are there.
    std::vector<FramedMessage> TakeAll() {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [this] { return !m_messages.empty(); });
        std::vector<FramedMessage> batch(std::make_move_iterator(m_messages.begin()),
                                         std::make_move_iterator(m_messages.end()));
        m_messages.clear();
        m_bytes = 0;
        m_changed.notify_all();
        return batch;
    }

    void Close() {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_closed = true;
        m_changed.notify_all();
    }

  private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<FramedMessage> m_messages;
    size_t m_bytes = 0;
    bool m_closed = false;
};

void ReadInto(Inbox& inbox, ByteSource& input, ServerLog& log) {
    std::vector<FramedMessage> group;
    bool open = true;
    try {
        MessageReader framing(input, log, kMaxMessageBytes, [&] {
            open = group.empty() || inbox.Push(group);
            if (!open) {
                input.Interrupt();
            }
        });
        while (open) {
            group.push_back(framing.Read());
            if (group.back().m_kind == FramedMessage::Kind::kEnd) {
                break;
            }
        }
    } catch (const std::exception& e) {
        log.Line(std::string("reading the input failed: ") + e.what());
        group.emplace_back();
    }
    if (open) {
        inbox.Push(group);
    }
}

}  // namespace

int RunLanguageServer(ByteSource& input, std::ostream& output, ServerLog& log) {
    MessageWriter writer(output);
    LanguageServer server(writer, log);
    Inbox inbox;
    std::thread reader([&inbox, &input, &log] { ReadInto(inbox, input, log); });
    // The reader may wait on the input or on a full inbox: both are ended before it is joined.
    struct Stop {
        ByteSource& m_input;
        Inbox& m_inbox;
        std::thread& m_reader;
        ~Stop() {
            m_input.Interrupt();
            m_inbox.Close();
            m_reader.join();
        }
    } stop{input, inbox, reader};
    while (!server.Finished()) {
        std::vector<FramedMessage> batch = inbox.TakeAll();
        server.HandleBatch(batch);
    }
    return server.ExitStatus();
}

int RunLanguageServerOnStdio() {
    // A client that goes away makes writes fail, which ends the server; no signal kills it.
    std::signal(SIGPIPE, SIG_IGN);
    const int protocol = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
    if (protocol < 0 || ::dup2(STDERR_FILENO, STDOUT_FILENO) < 0) {
        throw std::system_error(errno, std::generic_category(), "cannot set up standard output");
    }
    FdStreamBuf buffer(protocol);
    std::ostream output(&buffer);
    FdByteSource input(STDIN_FILENO);
    ServerLog log(std::cerr);
    const int status = RunLanguageServer(input, output, log);
    ::close(protocol);
    return status;
}
