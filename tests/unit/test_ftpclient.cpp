// The FTP client against small scripted servers in the test itself: the logon dialogue, replies
// the client must refuse, time-outs and cancelling; and the size column of the device's listing.
#include "FtpClient.h"

#include "Loopback.h"
#include "RunQueue.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <functional>
#include <mutex>
#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace vxt;
using vxt::test::OwnTime;
using Clock = std::chrono::steady_clock;

namespace {

// Pauses between the bytes a server sends (0: all at once).
struct Drip {
    int greetingMs = 0;
    int repliesMs = 0;
};

// One connection on a loopback port: sends `greeting`, then answers every command line with what
// `answer` returns (nothing when it returns nullopt), and keeps the lines it got.
class ScriptedServer {
public:
    using Answer = std::function<std::optional<std::string>(const std::string &line)>;

    ScriptedServer(std::string greeting, Answer answer, Drip drip = {})
        : greeting_(std::move(greeting)), answer_(std::move(answer)), drip_(drip)
    {
        listen_ = test::ListenOnLoopback(port_);
        thread_ = std::thread([this]() { Serve(); });
    }

    ~ScriptedServer()
    {
        ::shutdown(listen_, SHUT_RDWR);
        ::close(listen_);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (conn_ >= 0) ::shutdown(conn_, SHUT_RDWR);
        }
        thread_.join();
    }

    int Port() const { return port_; }
    std::vector<std::string> Lines()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return lines_;
    }
    // Once the client's connection has ended: ECONNRESET when a read or a reply met a reset (a
    // reply may be the one to hear of it), 0 for an orderly close; -1 while it is open or when `ms`
    // pass first.
    int EndedBy(int ms = 10000)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        ended_.wait_for(lock, std::chrono::milliseconds(ms), [this]() { return endedBy_ >= 0; });
        return endedBy_;
    }

private:
    void Serve()
    {
        const int c = ::accept(listen_, nullptr, nullptr);
        if (c < 0) return;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            conn_ = c;
        }
        Send(c, greeting_, drip_.greetingMs);
        std::string buf;
        char chunk[512];
        for (;;) {
            const ssize_t n = ::recv(c, chunk, sizeof chunk, 0);
            if (n <= 0) {
                std::lock_guard<std::mutex> lock(mutex_);
                endedBy_ = (n < 0 && errno == ECONNRESET) || reset_ ? ECONNRESET : 0;
                ended_.notify_all();
                break;
            }
            buf.append(chunk, size_t(n));
            size_t eol;
            while ((eol = buf.find("\r\n")) != std::string::npos) {
                const std::string line = buf.substr(0, eol);
                buf.erase(0, eol + 2);
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    lines_.push_back(line);
                }
                if (std::optional<std::string> r = answer_(line)) Send(c, *r, drip_.repliesMs);
            }
        }
        std::lock_guard<std::mutex> lock(mutex_);
        ::close(c);
        conn_ = -1;
    }

    void Send(int c, const std::string &s, int dripMs = 0)
    {
        size_t sent = 0;
        while (sent < s.size()) {
            if (dripMs) std::this_thread::sleep_for(std::chrono::milliseconds(dripMs));
            const ssize_t n = ::send(c, s.data() + sent, dripMs ? 1 : s.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) {
                reset_ = reset_ || (n < 0 && errno == ECONNRESET);
                return;
            }
            sent += size_t(n);
        }
    }

    std::string greeting_;
    Answer answer_;
    Drip drip_;
    int listen_ = -1;
    int conn_ = -1;
    int port_ = 0;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable ended_;
    int endedBy_ = -1;
    bool reset_ = false;   // on the server's thread only
    std::vector<std::string> lines_;
};

// A server that takes any logon: 331 for USER, 230 for PASS, 200 for TYPE, 221 for QUIT.
std::optional<std::string> Plain(const std::string &line)
{
    if (line.rfind("USER ", 0) == 0) return "331 Password required.\r\n";
    if (line.rfind("PASS ", 0) == 0) return "230 Logged in.\r\n";
    if (line == "TYPE I") return "200 Type set to I.\r\n";
    if (line == "QUIT") return "221 Goodbye.\r\n";
    return "500 Unknown.\r\n";
}

TFtpClient &Configure(TFtpClient &c, int port)
{
    c.Host = "127.0.0.1";
    c.Port = port;
    c.UserName = "admin";
    c.Password = "secret";
    c.ReadTimeoutMs = 2000;
    c.ConnectTimeoutMs = 2000;
    return c;
}

long long MsSince(Clock::time_point t)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count();
}

}  // namespace

TEST(FtpListing, SizeStartsAtColumn38)
{
    const std::string head = "-rw-r--r--   1 velto    velto        ";
    ASSERT_EQ(head.size(), 37u);
    EXPECT_EQ(ListingFileSize({head + "4711 Jan 01 00:00 userpage.kws"}), 4711);
    EXPECT_EQ(ListingFileSize({head + "1572864 Jan 01 00:00 userpage.kws", "ignored"}), 1572864);
    EXPECT_EQ(ListingFileSize({}), 0);
    // Only the first line counts.
    EXPECT_EQ(ListingFileSize({head + "12 x", head + "99 y"}), 12);
}

TEST(FtpListing, NoIntegerAtColumn38IsAnError)
{
    const std::string head = "-rw-r--r--   1 velto    velto        ";
    EXPECT_THROW(ListingFileSize({"-rw-r--r-- 1 velto velto 3 userpage.kws"}), EFtpError);   // too short
    EXPECT_THROW(ListingFileSize({head + " 4711 Jan"}), EFtpError);                           // a blank first
    EXPECT_THROW(ListingFileSize({head + "47x1 Jan"}), EFtpError);
    EXPECT_THROW(ListingFileSize({head + "-5 Jan"}), EFtpError);
    EXPECT_THROW(ListingFileSize({head + "99999999999 Jan"}), EFtpError);
    // A standard listing right-aligns its sizes: a 7-digit size starts before column 38.
    EXPECT_EQ(ListingFileSize({"-rw-r--r--   1 owner    group     1572864 Jan 01 00:00 userpage.kws"}), 2864);
}

TEST(FtpClient, DirectLogonAndBinaryType)
{
    ScriptedServer server("220-Velto FTP\r\n220-second line\r\n220 ready\r\n", Plain);
    TFtpClient c;
    Configure(c, server.Port()).Connect();
    EXPECT_TRUE(c.Connected());
    c.Disconnect();
    EXPECT_FALSE(c.Connected());
    EXPECT_EQ(server.Lines(), (std::vector<std::string>{"USER admin", "PASS secret", "TYPE I", "QUIT"}));
}

TEST(FtpClient, NoPasswordWhenTheUserAloneIsAccepted)
{
    ScriptedServer server("220 ready\r\n", [](const std::string &l) -> std::optional<std::string> {
        if (l.rfind("USER ", 0) == 0) return "230 Welcome.\r\n";
        return Plain(l);
    });
    TFtpClient c;
    Configure(c, server.Port()).Connect();
    c.Disconnect();
    EXPECT_EQ(server.Lines(), (std::vector<std::string>{"USER admin", "TYPE I", "QUIT"}));
}

TEST(FtpClient, FirewallUserFwUserHostSendsBothPasswords)
{
    ScriptedServer server("220 firewall\r\n", [](const std::string &l) -> std::optional<std::string> {
        if (l == "PASS fwpass") return "332 Remote password.\r\n";
        return Plain(l);
    });
    TFtpClient c;
    Configure(c, 1);   // the device's own port is not used through a firewall
    c.Host = "velto.remote";
    c.ProxySettings = {"127.0.0.1", server.Port(), "fw", "fwpass", fpmUserFwUserHost};
    c.Connect();
    c.Disconnect();
    EXPECT_EQ(server.Lines(), (std::vector<std::string>{"USER admin@fw@velto.remote", "PASS fwpass", "PASS secret",
                                                         "TYPE I", "QUIT"}));
}

TEST(FtpClient, RefusedLogonIsAnErrorAndDisconnects)
{
    ScriptedServer server("220 ready\r\n", [](const std::string &l) -> std::optional<std::string> {
        if (l.rfind("PASS ", 0) == 0) return "530 Login incorrect.\r\n";
        return Plain(l);
    });
    TFtpClient c;
    EXPECT_THROW(Configure(c, server.Port()).Connect(), EFtpError);
    EXPECT_FALSE(c.Connected());
    EXPECT_EQ(server.Lines(), (std::vector<std::string>{"USER admin", "PASS secret", "QUIT"}));
}

TEST(FtpClient, ServiceNotAvailableGreetingIsAnError)
{
    ScriptedServer server("421 Too many users.\r\n", Plain);
    TFtpClient c;
    EXPECT_THROW(Configure(c, server.Port()).Connect(), EFtpError);
}

TEST(FtpClient, TooLongReplyLineIsAnError)
{
    ScriptedServer server("220 " + std::string(20000, 'x') + "\r\n", Plain);
    TFtpClient c;
    OwnTime own;
    EXPECT_THROW(Configure(c, server.Port()).Connect(), EFtpError);
    EXPECT_LT(own.Ms(), 1500);   // refused as it arrives, not after a time-out
    for (const std::string &l : server.Lines()) EXPECT_NE(l.rfind("USER", 0), 0u) << "logged on after a bad greeting";
}

TEST(FtpClient, EndlessLineWithoutBreakIsAnError)
{
    ScriptedServer server(std::string(40000, 'y'), Plain);
    TFtpClient c;
    OwnTime own;
    EXPECT_THROW(Configure(c, server.Port()).Connect(), EFtpError);
    EXPECT_LT(own.Ms(), 1500);
}

TEST(FtpClient, SilentServerTimesOut)
{
    ScriptedServer server("", Plain);
    TFtpClient c;
    Configure(c, server.Port()).ReadTimeoutMs = 300;
    const auto start = Clock::now();
    OwnTime own;
    try {
        c.Connect();
        FAIL() << "connected to a server that never greeted";
    } catch (const EFtpCanceled &) {
        FAIL() << "a time-out is no cancel";
    } catch (const EFtpError &) {
    }
    EXPECT_GE(MsSince(start), 250);
    EXPECT_LT(own.Ms(), 3000);
}

TEST(FtpClient, RefusedConnectionIsAnError)
{
    int port = 0;
    {
        ScriptedServer gone("220 ready\r\n", Plain);
        port = gone.Port();
    }
    TFtpClient c;
    EXPECT_THROW(Configure(c, port).Connect(), EFtpError);
    EXPECT_FALSE(c.Connected());
}

TEST(FtpClient, AbortFromAnotherThreadEndsTheWaitAtOnce)
{
    ScriptedServer server("", Plain);
    TFtpClient c;
    Configure(c, server.Port()).ReadTimeoutMs = 10000;
    std::thread canceller([&c]() {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        c.Abort();
    });
    OwnTime own;
    EXPECT_THROW(c.Connect(), EFtpCanceled);
    canceller.join();
    EXPECT_LT(own.Ms(), 2500);
    EXPECT_FALSE(c.Connected());
    // Still aborted: the next operation ends at once, until the flag is reset.
    EXPECT_THROW(c.Connect(), EFtpCanceled);
    c.ResetAbort();
    EXPECT_FALSE(c.Aborted());
}

namespace {

// Connects to the client's listener of a "PORT a,b,c,d,p1,p2" line, from the address `from` when
// one is given, with the smallest receive buffer when `slowReader` is set.
int ConnectBack(const std::string &portLine, const char *from = nullptr, bool slowReader = false)
{
    unsigned a, b, c, d, p1, p2;
    if (std::sscanf(portLine.c_str(), "PORT %u,%u,%u,%u,%u,%u", &a, &b, &c, &d, &p1, &p2) != 6) return -1;
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (slowReader) test::ShrinkReceiveBuffer(fd);
    if (from) {
        sockaddr_in self{};
        self.sin_family = AF_INET;
        ::inet_pton(AF_INET, from, &self.sin_addr);
        if (::bind(fd, reinterpret_cast<sockaddr *>(&self), sizeof self) != 0) {
            ::close(fd);
            return -1;
        }
    }
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl((a << 24) | (b << 16) | (c << 8) | d);
    to.sin_port = htons(uint16_t(p1 * 256 + p2));
    if (::connect(fd, reinterpret_cast<sockaddr *>(&to), sizeof to) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// A server that connects for RETR and sends `payload`: the whole file and its end before both
// replies, which then arrive together, as a quick server may do.
struct QuickRetrieve {
    std::string payload;
    std::string port;
    int data = -1;
    std::optional<std::string> operator()(const std::string &l)
    {
        if (l.rfind("PORT ", 0) == 0) {
            port = l;
            return "200 PORT command successful.\r\n";
        }
        if (l == "RETR userpage.kws") {
            data = ConnectBack(port);
            if (data < 0) return "425 Cannot open data connection.\r\n";
            size_t sent = 0;
            while (sent < payload.size()) {
                const ssize_t n = ::send(data, payload.data() + sent, payload.size() - sent, MSG_NOSIGNAL);
                if (n <= 0) break;
                sent += size_t(n);
            }
            ::close(data);
            data = -1;
            return "150 Opening data connection.\r\n226 Transfer complete.\r\n";
        }
        if (l == "RETR missing.kws") return "550 No such file.\r\n";
        if (l == "ABOR") return "226 Nothing to abort.\r\n";
        return Plain(l);
    }
};

}  // namespace

TEST(FtpClient, RetrieveFromAQuickServer)
{
    auto script = std::make_shared<QuickRetrieve>();
    script->payload = std::string(100000, 'r');
    ScriptedServer server("220 ready\r\n", [script](const std::string &l) { return (*script)(l); });
    TFtpClient c;
    int64_t begun = -1, last = 0;
    bool ended = false;
    c.OnWorkBegin = [&](TFtpWorkMode mode, int64_t expected) {
        EXPECT_EQ(mode, TFtpWorkMode::Read);
        begun = expected;
    };
    c.OnWork = [&](TFtpWorkMode, int64_t n) {
        EXPECT_GT(n, last);
        last = n;
    };
    c.OnWorkEnd = [&](TFtpWorkMode) { ended = true; };
    Configure(c, server.Port()).Connect();
    EXPECT_EQ(c.Get("userpage.kws"), script->payload);
    EXPECT_EQ(begun, 0);
    EXPECT_EQ(last, 100000);
    EXPECT_TRUE(ended);
    // The next command finds the control connection in step.
    EXPECT_THROW(c.Get("missing.kws"), EFtpError);
    c.Disconnect();
    std::vector<std::string> lines;
    for (int i = 0; i < 200; ++i) {
        lines = server.Lines();
        if (!lines.empty() && lines.back() == "QUIT") break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_GE(lines.size(), 7u);
    EXPECT_EQ(lines[4], "RETR userpage.kws");
    EXPECT_EQ(lines[3].rfind("PORT 127,0,0,1,", 0), 0u);
    EXPECT_EQ(lines.back(), "QUIT");
}

TEST(FtpClient, DownloadBeyondTheLimitIsRefused)
{
    auto script = std::make_shared<QuickRetrieve>();
    script->payload = std::string(5000, 'r');
    ScriptedServer server("220 ready\r\n", [script](const std::string &l) { return (*script)(l); });
    TFtpClient c;
    bool ended = false;
    c.OnWorkEnd = [&](TFtpWorkMode) { ended = true; };
    Configure(c, server.Port()).MaxRetrieveBytes = 4999;
    c.Connect();
    EXPECT_THROW(c.Get("userpage.kws"), EFtpError);
    EXPECT_FALSE(ended);   // no end of work for a transfer that failed
    c.Disconnect();
    // The server reads on its own thread: wait for the last command to arrive.
    std::vector<std::string> lines;
    for (int i = 0; i < 200; ++i) {
        lines = server.Lines();
        if (!lines.empty() && lines.back() == "QUIT") break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_NE(std::find(lines.begin(), lines.end(), "ABOR"), lines.end());
}

TEST(FtpClient, CommandsNeedAConnection)
{
    TFtpClient c;
    EXPECT_THROW(c.List(), EFtpError);
    EXPECT_THROW(c.SendCmdLine("NOOP"), EFtpError);
    c.Disconnect();   // harmless
}

namespace {

// What a failed operation threw: "cancel", the error text, or "" when it did not fail.
template <typename F>
std::string FailureOf(F &&f)
{
    try {
        f();
    } catch (const EFtpCanceled &) {
        return "cancel";
    } catch (const EFtpError &e) {
        return e.what();
    }
    return "";
}

bool SendAll(int fd, const std::string &s)
{
    size_t sent = 0;
    while (sent < s.size()) {
        const ssize_t n = ::send(fd, s.data() + sent, s.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return false;
        sent += size_t(n);
    }
    return true;
}

// Everything a socket gets until its peer closes it or `ms` pass; "<open>" appended when it stayed open.
std::string DrainFor(int fd, int ms)
{
    std::string got;
    const Clock::time_point until = Clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
        pollfd p{fd, POLLIN, 0};
        if (left <= 0 || ::poll(&p, 1, int(left)) <= 0) return got + "<open>";
        char buf[4096];
        const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n <= 0) return got;
        got.append(buf, size_t(n));
    }
}

}  // namespace

TEST(FtpClient, NeverGreetingServerFailsAtTheReadTimeOut)
{
    // It takes the connection and says nothing ever, QUIT or not.
    ScriptedServer server("", [](const std::string &) -> std::optional<std::string> { return std::nullopt; });
    TFtpClient c;
    Configure(c, server.Port()).ReadTimeoutMs = 2000;
    const auto start = Clock::now();
    OwnTime own;
    EXPECT_NE(FailureOf([&]() { c.Connect(); }).find("time-out"), std::string::npos);
    // Not a further wait for the answer to QUIT from a server that has not said a word.
    EXPECT_GE(MsSince(start), 1950);
    EXPECT_LT(own.Ms(), 2900);
    EXPECT_FALSE(c.Connected());
}

TEST(FtpClient, DrippingGreetingOrReplyFailsAtTheOverallLimit)
{
    // One byte every 100 ms never lets the 600 ms read time-out run out; the line would take 6 s.
    const int timeoutMs = 600;
    const int limitMs = timeoutMs * TFtpClient::kOverallLimitFactor;
    const std::string slow = "220 " + std::string(56, 'x') + "\r\n";
    struct Case {
        const char *what;
        std::string greeting;
        Drip drip;
        std::vector<std::string> lines;   // what the server got before the client gave up
    };
    const std::vector<Case> cases = {
        {"greeting", slow, {100, 0}, {}},
        {"multi-line greeting", "220-" + std::string(56, 'x') + "\r\n220-more\r\n220 ready\r\n", {100, 0}, {}},
        {"reply to USER", "220 ready\r\n", {0, 100}, {"USER admin"}},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(k.what);
        ScriptedServer server(k.greeting, [&](const std::string &l) -> std::optional<std::string> {
            if (l.rfind("USER ", 0) == 0) return "331 " + std::string(56, 'x') + "\r\n";
            return Plain(l);
        }, k.drip);
        TFtpClient c;
        Configure(c, server.Port()).ReadTimeoutMs = timeoutMs;
        const auto start = Clock::now();
        OwnTime own;
        EXPECT_NE(FailureOf([&]() { c.Connect(); }).find("time-out"), std::string::npos);
        EXPECT_GE(MsSince(start), limitMs - 5);
        EXPECT_LT(own.Ms(), limitMs + 1000);
        EXPECT_FALSE(c.Connected());
        std::vector<std::string> lines = server.Lines();
        if (!lines.empty() && lines.back() == "QUIT") lines.pop_back();
        EXPECT_EQ(lines, k.lines);
    }
}

namespace {

// RETR answered by a data connection that sends `chunk` every `everyMs` until `total` bytes went.
struct SlowRetrieve {
    std::string port;
    std::string chunk;
    int everyMs = 100;
    size_t total = 0;
    std::optional<std::string> operator()(const std::string &l)
    {
        if (l.rfind("PORT ", 0) == 0) {
            port = l;
            return "200 PORT command successful.\r\n";
        }
        if (l == "RETR userpage.kws") {
            const int data = ConnectBack(port);
            if (data < 0) return "425 Cannot open data connection.\r\n";
            bool whole = true;
            for (size_t sent = 0; sent < total && whole; sent += chunk.size()) {
                std::this_thread::sleep_for(std::chrono::milliseconds(everyMs));
                whole = SendAll(data, chunk);
            }
            ::close(data);
            return whole ? "150 Opening data connection.\r\n226 Transfer complete.\r\n"
                         : "150 Opening data connection.\r\n426 Connection closed.\r\n";
        }
        if (l == "ABOR") return "226 Aborted.\r\n";
        return Plain(l);
    }
};

}  // namespace

TEST(FtpClient, DataTransferHasAnOverallLimitThatGrowsWithTheBytesMoved)
{
    const int timeoutMs = 600;
    const int limitMs = timeoutMs * TFtpClient::kOverallLimitFactor;
    {
        SCOPED_TRACE("one byte every 100 ms");
        auto script = std::make_shared<SlowRetrieve>();
        script->chunk = "d";
        script->total = 60;
        ScriptedServer server("220 ready\r\n", [script](const std::string &l) { return (*script)(l); });
        TFtpClient c;
        Configure(c, server.Port()).Connect();
        c.ReadTimeoutMs = timeoutMs;
        const auto start = Clock::now();
        OwnTime own;
        EXPECT_NE(FailureOf([&]() { c.Get("userpage.kws"); }).find("time-out"), std::string::npos);
        EXPECT_GE(MsSince(start), limitMs - 5);
        EXPECT_LT(own.Ms(), limitMs + 1000);
    }
    {
        SCOPED_TRACE("a slow link that keeps moving: 1000 bytes a second for 3 s");
        auto script = std::make_shared<SlowRetrieve>();
        script->chunk = std::string(100, 'd');
        script->total = 3000;
        ScriptedServer server("220 ready\r\n", [script](const std::string &l) { return (*script)(l); });
        TFtpClient c;
        Configure(c, server.Port()).Connect();
        c.ReadTimeoutMs = timeoutMs;
        std::string got;
        EXPECT_EQ(FailureOf([&]() { got = c.Get("userpage.kws"); }), "");
        EXPECT_EQ(got, std::string(3000, 'd'));
    }
}

namespace {

// A server whose data connections meet an intruder from another address first.
struct IntrudedServer {
    std::string port;
    std::string stored;          // what the server got on its data connection
    std::string intruderGot;     // what the intruder got before its connection was closed
    bool intruderOnly = false;   // the server itself never connects
    std::optional<std::string> operator()(const std::string &l)
    {
        if (l.rfind("PORT ", 0) == 0) {
            port = l;
            return "200 PORT command successful.\r\n";
        }
        const bool retr = l == "RETR userpage.kws", stor = l == "STOR userpage.kws";
        if (!retr && !stor) return l == "ABOR" ? "226 Aborted.\r\n" : Plain(l);
        const int intruder = ConnectBack(port, "127.0.0.5");
        if (intruder < 0) return "425 No intruder.\r\n";
        if (retr) SendAll(intruder, "INJECTED");
        if (intruderOnly) {
            intruderGot = DrainFor(intruder, 3000);
            ::close(intruder);
            return "150 Opening data connection.\r\n";
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const int data = ConnectBack(port);
        if (retr) {
            SendAll(data, "the real container");
            ::close(data);
        } else {
            stored = DrainFor(data, 3000);
            ::close(data);
        }
        intruderGot = DrainFor(intruder, 3000);
        ::close(intruder);
        return "150 Opening data connection.\r\n226 Transfer complete.\r\n";
    }
};

}  // namespace

TEST(FtpClient, DataConnectionFromAnotherAddressIsRefused)
{
    {
        SCOPED_TRACE("download");
        auto script = std::make_shared<IntrudedServer>();
        ScriptedServer server("220 ready\r\n", [script](const std::string &l) { return (*script)(l); });
        TFtpClient c;
        Configure(c, server.Port()).Connect();
        EXPECT_EQ(c.Get("userpage.kws"), "the real container");
        c.Disconnect();
        EXPECT_EQ(script->intruderGot, "");
    }
    {
        SCOPED_TRACE("upload");
        auto script = std::make_shared<IntrudedServer>();
        ScriptedServer server("220 ready\r\n", [script](const std::string &l) { return (*script)(l); });
        TFtpClient c;
        Configure(c, server.Port()).Connect();
        c.Put("the container", "userpage.kws");
        c.Disconnect();
        EXPECT_EQ(script->stored, "the container");
        EXPECT_EQ(script->intruderGot, "");
    }
    {
        SCOPED_TRACE("only the intruder connects: the read time-out still runs");
        auto script = std::make_shared<IntrudedServer>();
        script->intruderOnly = true;
        ScriptedServer server("220 ready\r\n", [script](const std::string &l) { return (*script)(l); });
        TFtpClient c;
        Configure(c, server.Port()).Connect();
        c.ReadTimeoutMs = 600;
        OwnTime own;
        EXPECT_NE(FailureOf([&]() { c.Put("the container", "userpage.kws"); }).find("time-out"), std::string::npos);
        EXPECT_LT(own.Ms(), 3000);
        c.Disconnect();
        EXPECT_EQ(script->intruderGot, "");
    }
}

namespace {

// STOR answered by a data connection with the smallest receive buffer that reads `chunk` bytes
// every `everyMs` (never, when `chunk` is 0) until the client closes it.
struct SlowStore {
    std::string port;
    size_t chunk = 0;
    int everyMs = 0;
    std::atomic<size_t> read{0};
    std::atomic<int> data{-1};   // an unread data connection, left to the test
    std::optional<std::string> operator()(const std::string &l)
    {
        if (l.rfind("PORT ", 0) == 0) {
            port = l;
            return "200 PORT command successful.\r\n";
        }
        if (l.rfind("STOR ", 0) == 0) {
            const int fd = ConnectBack(port, nullptr, true);
            if (fd < 0) return "425 Cannot open data connection.\r\n";
            if (chunk == 0) {
                data = fd;
                return "150 Opening data connection.\r\n";
            }
            std::string buf(chunk, '\0');
            for (;;) {
                std::this_thread::sleep_for(std::chrono::milliseconds(everyMs));
                const ssize_t n = ::recv(fd, buf.data(), buf.size(), 0);
                if (n <= 0) break;
                read += size_t(n);
            }
            ::close(fd);
            return "150 Opening data connection.\r\n226 Transfer complete.\r\n";
        }
        if (l == "ABOR") return "226 Aborted.\r\n";
        return Plain(l);
    }
};

}  // namespace

TEST(FtpClient, UploadWaitsForTheDataStillInFlightAndCountsWhatArrived)
{
    // The whole file fits into the client's queue at once; the server then takes it slowly, for
    // longer than the read time-out, yet with no pause as long.
    auto script = std::make_shared<SlowStore>();
    script->chunk = 1024;
    script->everyMs = 40;
    ScriptedServer server("220 ready\r\n", [script](const std::string &l) { return (*script)(l); });
    const std::string payload(64 * 1024, 'u');
    TFtpClient c;
    Configure(c, server.Port()).ReadTimeoutMs = 1000;
    std::vector<std::pair<int64_t, size_t>> counts;   // reported, and what the server had read by then
    c.OnWork = [&](TFtpWorkMode, int64_t n) { counts.emplace_back(n, script->read.load()); };
    c.Connect();
    const auto start = Clock::now();
    EXPECT_EQ(FailureOf([&]() { c.Put(payload, "userpage.kws"); }), "");
    EXPECT_GT(MsSince(start), 2 * c.ReadTimeoutMs);
    c.Disconnect();
    EXPECT_EQ(script->read.load(), payload.size());
    const std::vector<std::string> lines = server.Lines();
    EXPECT_EQ(std::find(lines.begin(), lines.end(), "ABOR"), lines.end());
    ASSERT_FALSE(counts.empty());
    EXPECT_EQ(counts.back().first, int64_t(payload.size()));
    // Never more than the server has, give or take its small receive buffer.
    for (const auto &[reported, read] : counts) EXPECT_LE(reported, int64_t(read) + 8192) << "server had " << read;
}

TEST(FtpClient, GivingUpOnAnUploadResetsTheConnections)
{
    // The server takes the data connection and reads nothing: most of the file waits in the
    // client's queue when it gives up, and would trickle out after it unless reset.
    const std::string payload(8 * 1024 * 1024, 'u');
    for (const bool cancelled : {false, true}) {
        SCOPED_TRACE(cancelled ? "cancelled" : "timed out");
        auto script = std::make_shared<SlowStore>();
        ScriptedServer server("220 ready\r\n", [script](const std::string &l) { return (*script)(l); });
        TFtpClient c;
        // Long enough for a loaded machine's server thread to answer the commands before the data.
        Configure(c, server.Port()).ReadTimeoutMs = cancelled ? 10000 : 2000;
        c.Connect();
        std::thread canceller([&]() {
            if (!cancelled) return;
            for (const auto until = Clock::now() + std::chrono::seconds(10); script->data < 0 && Clock::now() < until;)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            c.Abort();
        });
        EXPECT_EQ(FailureOf([&]() { c.Put(payload, "userpage.kws"); }),
                  cancelled ? "cancel" : "time-out sending data");
        canceller.join();
        c.Disconnect();
        ASSERT_GE(script->data.load(), 0);
        const test::TReadToEnd seen = test::ReadToEnd(script->data);
        ::close(script->data);
        EXPECT_TRUE(seen.Ended);
        EXPECT_EQ(seen.Error, ECONNRESET);
        EXPECT_LT(seen.Bytes, payload.size());
        // The control connection too; a cancel first lets the server read ABOR and QUIT.
        EXPECT_EQ(server.EndedBy(), cancelled ? 0 : ECONNRESET);
        const std::vector<std::string> lines = server.Lines();
        EXPECT_NE(std::find(lines.begin(), lines.end(), "ABOR"), lines.end());
    }
}

TEST(FtpClient, UploadEndsWithTheServersReply)
{
    // The server reads as fast as the bytes come, through the smallest receive buffer, so the
    // client's last write leaves a queue behind; the server replies once it has read to the end,
    // and that reply ends the upload then, not a later look at the queue (50 ms apart). The time is
    // the client's own (a loaded machine's waits for a processor are taken off), and the median of
    // several uploads keeps other hiccups out.
    auto script = std::make_shared<SlowStore>();
    script->chunk = 65536;
    ScriptedServer server("220 ready\r\n", [script](const std::string &l) { return (*script)(l); });
    const std::string payload(32 * 1024, 'u');
    TFtpClient c;
    Configure(c, server.Port()).Connect();
    std::vector<long long> ms;
    for (int i = 0; i < 9; ++i) {
        script->read = 0;
        OwnTime own;
        ASSERT_EQ(FailureOf([&]() { c.Put(payload, "userpage.kws"); }), "");
        ms.push_back(own.Ms());
        EXPECT_EQ(script->read.load(), payload.size());
    }
    c.Disconnect();
    std::sort(ms.begin(), ms.end());
    EXPECT_LT(ms[ms.size() / 2], 20);
}

namespace {

// A server's answer to the session's lines that stores through `store`, given the data connection
// opened back to the client; what `store` returns follows the preliminary reply.
std::optional<std::string> StoreThrough(std::string &port, const std::string &l, const std::function<std::string(int)> &store)
{
    if (l.rfind("PORT ", 0) == 0) {
        port = l;
        return "200 PORT command successful.\r\n";
    }
    if (l.rfind("STOR ", 0) != 0) return l == "ABOR" ? "226 Aborted.\r\n" : Plain(l);
    const int fd = ConnectBack(port);
    if (fd < 0) return "425 Cannot open data connection.\r\n";
    return "150 Opening data connection.\r\n" + store(fd);
}

// STOR on a data connection that the server reads to its end, then answers on the control
// connection as it is told: `strict` servers reply only once the client has closed the data
// connection fully. A half-closed connection still takes bytes, a fully closed one answers them
// with a reset: the server writes one byte back after the end of the file and waits for that.
struct ClosingStore {
    std::string port;
    std::string stored;
    std::optional<std::string> operator()(const std::string &l)
    {
        return StoreThrough(port, l, [this](int fd) {
            stored = DrainFor(fd, 3000);
            bool closed = false;
            if (SendAll(fd, "?")) {
                pollfd p{fd, 0, 0};
                closed = ::poll(&p, 1, 1500) > 0 && (p.revents & (POLLHUP | POLLERR)) && !SendAll(fd, "?") &&
                         (errno == EPIPE || errno == ECONNRESET);
            }
            ::close(fd);
            return std::string(closed ? "226 Transfer complete.\r\n" : "426 The data connection is still open.\r\n");
        });
    }
};

// STOR refused while its data moves: the server takes a little, resets the data connection and
// only then says why.
struct RefusingStore {
    std::string port;
    std::optional<std::string> operator()(const std::string &l)
    {
        return StoreThrough(port, l, [](int fd) {
            char buf[65536];
            [[maybe_unused]] const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
            const linger reset{1, 0};
            ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
            ::close(fd);
            return std::string("552 Exceeded storage allocation.\r\n");
        });
    }
};

}  // namespace

TEST(FtpClient, UploadClosesTheDataConnectionFully)
{
    auto script = std::make_shared<ClosingStore>();
    ScriptedServer server("220 ready\r\n", [script](const std::string &l) { return (*script)(l); });
    const std::string payload(200000, 's');
    TFtpClient c;
    Configure(c, server.Port()).Connect();
    EXPECT_EQ(FailureOf([&]() { c.Put(payload, "userpage.kws"); }), "");
    c.Disconnect();
    EXPECT_EQ(script->stored, payload);
}

TEST(FtpClient, UploadRefusedWithABrokenDataConnectionReportsTheServersText)
{
    // The reset reaches the client before the reply: the reply, not the reset, is the reason.
    const std::string payload(8 * 1024 * 1024, 'u');
    for (int i = 0; i < 12; ++i) {
        SCOPED_TRACE(i);
        auto script = std::make_shared<RefusingStore>();
        ScriptedServer server("220 ready\r\n", [script](const std::string &l) { return (*script)(l); });
        TFtpClient c;
        Configure(c, server.Port()).Connect();
        EXPECT_EQ(FailureOf([&]() { c.Put(payload, "userpage.kws"); }), "STOR refused: 552 Exceeded storage allocation.");
        c.Disconnect();
    }
}
