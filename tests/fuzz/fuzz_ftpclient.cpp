// The FTP client against a server that answers with any bytes: the greeting and every reply come
// from the input, so the reply reader, the logon steps, the data connection states and the listing
// parse all see them. Input: one option byte, the control stream, NUL, the data stream.
#include "FtpClient.h"
#include "FuzzSupport.h"

#include <arpa/inet.h>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/time.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace vxt;

namespace {

constexpr int kWaitMs = 1000;

void SendAll(int fd, const std::string &s)
{
    size_t sent = 0;
    while (sent < s.size()) {
        const ssize_t n = ::send(fd, s.data() + sent, s.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return;
        sent += size_t(n);
    }
}

void BoundReads(int fd)
{
    timeval tv{kWaitMs / 1000, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
}

// Reads until the peer closes (or the bound passes), discarding.
void Drain(int fd)
{
    char buf[4096];
    while (::recv(fd, buf, sizeof buf, 0) > 0) {
    }
}

// The loopback listener lives as long as the process; one scripted session per input.
class TFakeServer {
public:
    TFakeServer()
    {
        listen_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int on = 1;
        ::setsockopt(listen_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        if (::bind(listen_, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0 || ::listen(listen_, 4) != 0 ||
            ::getsockname(listen_, reinterpret_cast<sockaddr *>(&a), &len) != 0) {
            std::perror("fake FTP server");
            std::abort();
        }
        port_ = ntohs(a.sin_port);
    }
    int Port() const { return port_; }

    // Sends the whole control stream at once and ends it; each PORT gets a data connection that
    // carries `data` and then takes whatever the client sends.
    void Serve(const std::string &control, const std::string &data) const
    {
        pollfd p{listen_, POLLIN, 0};
        if (::poll(&p, 1, kWaitMs) <= 0) return;
        const int c = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
        if (c < 0) return;
        BoundReads(c);
        SendAll(c, control);
        ::shutdown(c, SHUT_WR);
        std::string buf;
        char chunk[1024];
        for (;;) {
            const ssize_t n = ::recv(c, chunk, sizeof chunk, 0);
            if (n <= 0) break;
            buf.append(chunk, size_t(n));
            size_t eol;
            while ((eol = buf.find("\r\n")) != std::string::npos) {
                const std::string line = buf.substr(0, eol);
                buf.erase(0, eol + 2);
                if (line.rfind("PORT ", 0) == 0) DataConnection(line.substr(5), data);
            }
        }
        ::close(c);
    }

private:
    static void DataConnection(const std::string &args, const std::string &data)
    {
        unsigned h[6];
        if (std::sscanf(args.c_str(), "%u,%u,%u,%u,%u,%u", &h[0], &h[1], &h[2], &h[3], &h[4], &h[5]) != 6) return;
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(uint16_t(h[4] << 8 | h[5]));
        const int d = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (d < 0) return;
        BoundReads(d);
        if (::connect(d, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0) {
            SendAll(d, data);
            ::shutdown(d, SHUT_WR);
            Drain(d);
        }
        ::close(d);
    }

    int listen_ = -1;
    int port_ = 0;
};

std::vector<std::string> Lines(const std::string &text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t eol = text.find('\n', start);
        if (eol == std::string::npos) eol = text.size();
        lines.push_back(text.substr(start, eol - start));
        start = eol + 1;
    }
    return lines;
}

void CheckListingSize(const std::vector<std::string> &lines, size_t column)
{
    try {
        const int32_t size = ListingFileSize(lines, column);
        FUZZ_CHECK(size >= 0);
        if (!lines.empty()) {
            const size_t start = column > 0 ? column - 1 : 0;
            FUZZ_CHECK(lines.front().size() > start && std::to_string(size).size() <= lines.front().size() - start);
        }
    } catch (const EFtpError &) {
        FUZZ_CHECK(!lines.empty());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0) return 0;
    static const TFakeServer server;
    const uint8_t options = data[0];
    const std::string rest(reinterpret_cast<const char *>(data) + 1, size - 1);
    const size_t nul = rest.find('\0');
    const std::string control = rest.substr(0, nul);
    const std::string listing = nul == std::string::npos ? std::string() : rest.substr(nul + 1);

    // The listing parse alone, at the device's column and at others.
    for (size_t column : {size_t(38), size_t(0), size_t(1), size_t(options)}) CheckListingSize(Lines(listing), column);

    std::thread serving([&] { server.Serve(control, listing); });
    TFtpClient c;
    c.Host = "127.0.0.1";
    c.Port = server.Port();
    c.UserName = "admin";
    c.Password = "secret";
    c.ProxySettings.Host = c.Host;
    c.ProxySettings.Port = c.Port;
    c.ProxySettings.UserName = options & 0x20 ? "fw" : "";
    c.ProxySettings.Password = "fwpass";
    c.ProxySettings.Method = uint8_t(options % 5);
    c.ConnectTimeoutMs = kWaitMs;
    c.ReadTimeoutMs = kWaitMs;
    c.MaxLineLength = options & 0x40 ? 40 : 16384;
    c.MaxRetrieveBytes = options & 0x80 ? 16 : SIZE_MAX;
    c.BufferSize = options & 0x08 ? 7 : 65536;
    // Each transfer counts up from its own start.
    int64_t worked = -1;
    c.OnWorkBegin = [&](TFtpWorkMode, int64_t expected) {
        FUZZ_CHECK(expected >= 0);
        worked = 0;
    };
    c.OnWork = [&](TFtpWorkMode, int64_t count) {
        FUZZ_CHECK(count > worked);
        worked = count;
    };
    try {
        c.Connect();
        FUZZ_CHECK(c.Connected());
        try {
            const std::vector<std::string> lines = c.List();
            for (const std::string &line : lines) FUZZ_CHECK(!line.empty() && line.find('\n') == std::string::npos);
            CheckListingSize(lines, 38);
        } catch (const EFtpError &) {
        }
        if (c.Connected()) {
            try {
                const std::string got = c.Get("userpage.kws");
                FUZZ_CHECK(got == listing);
            } catch (const EFtpError &) {
            }
        }
        if (c.Connected()) {
            try {
                c.Put("0123456789abcdef", "userpage.kws");
            } catch (const EFtpError &) {
            }
        }
    } catch (const EFtpError &) {
        FUZZ_CHECK(!c.Connected());
    }
    c.Disconnect();
    FUZZ_CHECK(!c.Connected());
    serving.join();
    return 0;
}
