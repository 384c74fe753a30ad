// The control socket under abuse: long lines, binary data, clients that
// vanish mid-line, and many clients at once. The box must answer every
// complete line once and keep serving.
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

#include <gtest/gtest.h>

#include "device/caubox/ControlLine.h"
#include "device/caubox/tests/BoxTestSupport.h"
#include "device/caubox/uboxctl/ControlClient.h"

namespace caubox::test {
namespace {

using namespace std::chrono_literals;

// A raw connection, for sending bytes that ControlClient would not.
class RawConnection {
  public:
    explicit RawConnection(const std::string& path) {
        fd_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~RawConnection() { Close(); }
    bool connected() const { return connected_; }
    void Close() {
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    bool Send(const std::string& bytes) {
        std::size_t sent = 0;
        while (sent < bytes.size()) {
            const ssize_t n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) {
                return false;
            }
            sent += static_cast<std::size_t>(n);
        }
        return true;
    }
    // The next answer line, or "" after 5 s or at the end of the stream.
    std::string ReadLine() {
        for (;;) {
            const std::size_t end = pending_.find('\n');
            if (end != std::string::npos) {
                std::string line = pending_.substr(0, end);
                pending_.erase(0, end + 1);
                return line;
            }
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 5000) <= 0) {
                return "";
            }
            char buffer[4096];
            const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
            if (n <= 0) {
                return "";
            }
            pending_.append(buffer, static_cast<std::size_t>(n));
        }
    }

  private:
    int fd_ = -1;
    bool connected_ = false;
    std::string pending_;
};

TEST(CauBoxControlSocket, LongAndBinaryLinesGetOneErrEachAndTheConnectionGoesOn) {
    OpenBox box;
    ASSERT_EQ(box.openResult(), UBOX_OK);
    RawConnection c(box.socketPath());
    ASSERT_TRUE(c.connected());
    struct Case {
        std::string bytes;
        const char* answerStart;
    };
    const Case cases[] = {
        {std::string(kMaxControlLine, 'a') + "\n", "ERR unknown command"},
        {std::string(kMaxControlLine + 1, 'a') + "\n", "ERR line too long"},
        {"cid " + std::string(300000, '1') + "\n", "ERR line too long"},
        {std::string("ring\0ring\n", 10), "ERR binary data"},
        {"\xff\xfe\x01\x02\n", "ERR binary data"},
        {"cid \xc3\x28\n", "ERR binary data"},
        {"\x1b[31mring\n", "ERR binary data"},
        {"status\r\n", "OK plugged=1"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.bytes.substr(0, 20));
        ASSERT_TRUE(c.Send(k.bytes));
        const std::string answer = c.ReadLine();
        EXPECT_TRUE(answer.starts_with(k.answerStart)) << answer.substr(0, 80);
    }
    // Several lines in one write, answered in order.
    ASSERT_TRUE(c.Send("ring\nbogus\nstatus\n"));
    EXPECT_EQ(c.ReadLine(), "OK");
    EXPECT_TRUE(c.ReadLine().starts_with("ERR unknown command"));
    EXPECT_TRUE(c.ReadLine().starts_with("OK plugged=1"));
    // A line in pieces.
    ASSERT_TRUE(c.Send("ri"));
    std::this_thread::sleep_for(50ms);
    ASSERT_TRUE(c.Send("ng\n"));
    EXPECT_EQ(c.ReadLine(), "OK");
}

TEST(CauBoxControlSocket, ClientsThatVanishMidLineRunNothing) {
    OpenBox box;
    ASSERT_EQ(box.openResult(), UBOX_OK);
    const std::size_t before = NotificationLog::Instance().Size();
    for (int i = 0; i < 20; ++i) {
        RawConnection c(box.socketPath());
        ASSERT_TRUE(c.connected());
        ASSERT_TRUE(c.Send(i % 2 ? "rin" : std::string(5000, 'x')));
    }
    {
        // Sends a command and leaves without reading the answer.
        RawConnection c(box.socketPath());
        ASSERT_TRUE(c.Send("alarm\n"));
    }
    ASSERT_TRUE(NotificationLog::Instance().WaitFor(UBOX_EVENT_ALARM, before));
    EXPECT_EQ(NotificationLog::Instance().Size(), before + 1) << "only the complete line ran";
    EXPECT_TRUE(box.Command("status").starts_with("OK plugged=1"));
}

TEST(CauBoxControlSocket, ManyClientsAtOnceAllGetAnAnswer) {
    OpenBox box;
    ASSERT_EQ(box.openResult(), UBOX_OK);
    constexpr int kClients = 48;  // more than the box keeps open at once
    constexpr int kCommands = 25;
    std::atomic<int> ok{0};
    std::atomic<int> busy{0};
    std::atomic<int> other{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kClients; ++t) {
        threads.emplace_back([&] {
            ControlClient client;
            std::string error;
            if (!client.Connect(box.socketPath(), error)) {
                ++other;
                return;
            }
            for (int i = 0; i < kCommands; ++i) {
                std::string answer;
                if (!client.Exchange(i % 5 == 0 ? "voltage 12" : "status", answer, error)) {
                    ++other;
                    return;
                }
                if (answer == "ERR too many control connections") {
                    ++busy;
                    return;
                }
                if (answer.starts_with("OK")) {
                    ++ok;
                } else {
                    ++other;
                }
            }
        });
    }
    for (std::thread& t : threads) {
        t.join();
    }
    EXPECT_EQ(other.load(), 0);
    EXPECT_EQ(ok.load() + busy.load() * kCommands, kClients * kCommands);
    EXPECT_GE(ok.load(), kCommands * 10);
    EXPECT_TRUE(box.Command("status").starts_with("OK plugged=1"));
}

}  // namespace
}  // namespace caubox::test
