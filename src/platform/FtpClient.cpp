#include "FtpClient.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <linux/sockios.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vxt {

namespace {

using Clock = std::chrono::steady_clock;

// No reply of a device needs more; a server that keeps sending continuation lines is cut off.
constexpr size_t kMaxReplyBytes = 65536;
constexpr size_t kMaxListingBytes = 1024 * 1024;
// How long a cancelled session waits for the server to read its last commands.
constexpr int kLingerMs = 250;
constexpr int kQuitReplyMs = 2000;
// How often an upload looks at how much of its data the server has taken, while some is in flight.
constexpr int kDeliveryCheckMs = 50;
// How long a broken upload waits for the server to say why, before the broken connection is the reason.
constexpr int kRefusalWaitMs = 500;

void CloseFd(int &fd)
{
    if (fd >= 0) ::close(fd);
    fd = -1;
}

// Closes with a reset: what is still unsent is dropped rather than delivered later, after the
// client has given up on it.
void ResetFd(int &fd)
{
    if (fd < 0) return;
    const linger off{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &off, sizeof off);
    CloseFd(fd);
}

// Bytes written to `fd` that the peer has not acknowledged yet.
int64_t Unacknowledged(int fd)
{
    int queued = 0;
    return ::ioctl(fd, SIOCOUTQ, &queued) == 0 && queued > 0 ? queued : 0;
}

int Remaining(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? int(left) : 0;
}

std::string Errno(const char *what) { return std::string(what) + ": " + std::strerror(errno); }

// The command's name, without its arguments (no password reaches an error text).
std::string CommandName(const std::string &cmd) { return cmd.substr(0, cmd.find(' ')); }

template <typename F>
struct OnExit {
    F f;
    ~OnExit() { f(); }
};
template <typename F>
OnExit(F) -> OnExit<F>;

}  // namespace

TFtpClient::TFtpClient()
{
    if (::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) wake_[0] = wake_[1] = -1;
}

TFtpClient::~TFtpClient()
{
    CloseFd(data_);
    CloseFd(listen_);
    CloseFd(ctrl_);
    CloseFd(wake_[0]);
    CloseFd(wake_[1]);
}

void TFtpClient::Abort()
{
    abort_ = true;
    if (wake_[1] >= 0) {
        const char b = 1;
        [[maybe_unused]] ssize_t n = ::write(wake_[1], &b, 1);
    }
}

void TFtpClient::ResetAbort()
{
    abort_ = false;
    char buf[64];
    if (wake_[0] >= 0)
        while (::read(wake_[0], buf, sizeof buf) > 0) {
        }
}

template <typename F>
auto TFtpClient::Guard(F &&f) -> decltype(f())
{
    try {
        if (abort_) throw EFtpCanceled("the FTP session was canceled");
        return f();
    } catch (const EFtpCanceled &) {
        AbortTransfer();
        Disconnect();
        throw;
    } catch (...) {
        AbortTransfer();
        throw;
    }
}

Clock::time_point TFtpClient::Limit() const
{
    Clock::time_point l = limit_;
    if (transferLimited_)
        l = std::min(l, transferStart_ + std::chrono::milliseconds(int64_t(kOverallLimitFactor) * ReadTimeoutMs +
                                                                   moved_ * 1000 / kSlowestBytesPerSecond));
    return l;
}

int TFtpClient::Bounded(int timeoutMs) const
{
    const Clock::time_point l = Limit();
    return l == Clock::time_point::max() ? timeoutMs : std::min(timeoutMs, Remaining(l));
}

void TFtpClient::TimedOut(const char *what)
{
    timedOut_ = true;
    throw EFtpError(std::string("time-out ") + what);
}

void TFtpClient::WaitFor(int fd, short events, int timeoutMs, const char *what)
{
    pollfd p[2] = {{fd, events, 0}, {wake_[0], POLLIN, 0}};
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(Bounded(timeoutMs));
    for (;;) {
        if (abort_) throw EFtpCanceled("the FTP session was canceled");
        const int n = ::poll(p, wake_[0] >= 0 ? 2 : 1, Remaining(deadline));
        if (n < 0) {
            if (errno == EINTR) continue;
            throw EFtpError(Errno("poll"));
        }
        if (abort_) throw EFtpCanceled("the FTP session was canceled");
        if (n == 0) TimedOut(what);
        if (p[0].revents) return;
    }
}

int TFtpClient::WaitForEither(int fd1, int fd2, int timeoutMs, const char *what)
{
    pollfd p[3] = {{fd1, POLLIN, 0}, {fd2, POLLIN, 0}, {wake_[0], POLLIN, 0}};
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(Bounded(timeoutMs));
    for (;;) {
        if (abort_) throw EFtpCanceled("the FTP session was canceled");
        const int n = ::poll(p, wake_[0] >= 0 ? 3 : 2, Remaining(deadline));
        if (n < 0) {
            if (errno == EINTR) continue;
            throw EFtpError(Errno("poll"));
        }
        if (abort_) throw EFtpCanceled("the FTP session was canceled");
        if (n == 0) TimedOut(what);
        if (p[0].revents) return fd1;
        if (p[1].revents) return fd2;
    }
}

int TFtpClient::ConnectSocket(const std::string &host, int port)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;   // PORT speaks IPv4 only
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *list = nullptr;
    const int rc = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &list);
    if (rc != 0) throw EFtpError("cannot resolve " + host + ": " + ::gai_strerror(rc));
    std::string lastError = "no address for " + host;
    int fd = -1;
    try {
        for (addrinfo *a = list; a; a = a->ai_next) {
            fd = ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
            if (fd < 0) {
                lastError = Errno("socket");
                continue;
            }
            if (::connect(fd, a->ai_addr, a->ai_addrlen) != 0 && errno != EINPROGRESS) {
                lastError = Errno("connect");
                CloseFd(fd);
                continue;
            }
            WaitFor(fd, POLLOUT, ConnectTimeoutMs, "while connecting");
            int err = 0;
            socklen_t len = sizeof err;
            ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len);
            if (err == 0) break;
            lastError = std::string("connect: ") + std::strerror(err);
            CloseFd(fd);
        }
    } catch (...) {
        CloseFd(fd);
        ::freeaddrinfo(list);
        throw;
    }
    ::freeaddrinfo(list);
    if (fd < 0) throw EFtpError(lastError);
    return fd;
}

void TFtpClient::WriteAll(int fd, const char *data, size_t size, const char *what)
{
    size_t sent = 0;
    while (sent < size) {
        const ssize_t n = ::send(fd, data + sent, size - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += size_t(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            WaitFor(fd, POLLOUT, ReadTimeoutMs, what);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            throw EFtpError(Errno(what));
        }
    }
}

std::string TFtpClient::ReadLine()
{
    for (;;) {
        const size_t eol = inbuf_.find('\n');
        if (eol != std::string::npos) {
            if (eol > MaxLineLength) throw EFtpError("reply line too long");
            std::string line = inbuf_.substr(0, eol);
            inbuf_.erase(0, eol + 1);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            return line;
        }
        if (inbuf_.size() > MaxLineLength) throw EFtpError("reply line too long");
        char buf[4096];
        const ssize_t n = ::recv(ctrl_, buf, sizeof buf, 0);
        if (n > 0) {
            inbuf_.append(buf, size_t(n));
        } else if (n == 0) {
            throw EFtpError("the server closed the connection");
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            WaitFor(ctrl_, POLLIN, ReadTimeoutMs, "waiting for a reply");
        } else if (errno != EINTR) {
            throw EFtpError(Errno("reading a reply"));
        }
    }
}

TFtpClient::Reply TFtpClient::ReadReply()
{
    if (ctrl_ < 0) throw EFtpError("not connected");
    auto code = [](const std::string &line) {
        if (line.size() < 3) return -1;
        for (int i = 0; i < 3; ++i)
            if (line[size_t(i)] < '0' || line[size_t(i)] > '9') return -1;
        return (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
    };
    const Clock::time_point saved = limit_;
    limit_ = std::min(limit_, Clock::now() + std::chrono::milliseconds(int64_t(kOverallLimitFactor) * ReadTimeoutMs));
    const OnExit restore{[&]() { limit_ = saved; }};
    Reply r;
    std::string line = ReadLine();
    r.Code = code(line);
    if (r.Code < 100) throw EFtpError("malformed reply");
    r.Text = line;
    if (line.size() > 3 && line[3] == '-') {
        for (;;) {
            line = ReadLine();
            r.Text += "\n" + line;
            if (r.Text.size() > kMaxReplyBytes) throw EFtpError("reply too long");
            if (code(line) == r.Code && (line.size() == 3 || line[3] == ' ')) break;
        }
    }
    return r;
}

TFtpClient::Reply TFtpClient::SendCmd(const std::string &cmd)
{
    SendCmdLine(cmd);
    return ReadReply();
}

void TFtpClient::Expect(const Reply &r, const std::string &cmd, int lowClass, int highClass)
{
    const int cls = r.Code / 100;
    if (cls < lowClass || cls > highClass) throw EFtpError(CommandName(cmd) + " refused: " + r.Text);
}

void TFtpClient::SendCmdLine(const std::string &line)
{
    if (ctrl_ < 0) throw EFtpError("not connected");
    const std::string out = line + "\r\n";
    WriteAll(ctrl_, out.data(), out.size(), "sending a command");
}

void TFtpClient::LogonStep(const std::string &cmd, bool isPassword, bool &loggedIn)
{
    // A server that took the user name alone wants no password.
    if (isPassword && loggedIn) return;
    const Reply r = SendCmd(cmd);
    Expect(r, cmd, 2, 3);
    loggedIn = r.Code / 100 == 2;
}

void TFtpClient::Logon()
{
    const TFtpProxySettings &p = ProxySettings;
    bool loggedIn = false;
    auto proxyAccount = [&]() {
        if (p.UserName.empty()) return;
        LogonStep("USER " + p.UserName, false, loggedIn);
        LogonStep("PASS " + p.Password, true, loggedIn);
        loggedIn = false;
    };
    switch (p.Method) {
    case fpmUserAtHost:
        proxyAccount();
        LogonStep("USER " + UserName + "@" + Host, false, loggedIn);
        LogonStep("PASS " + Password, true, loggedIn);
        break;
    case fpmSite:
    case fpmOpen: {
        proxyAccount();
        const std::string cmd = (p.Method == fpmSite ? "SITE " : "OPEN ") + Host;
        Expect(SendCmd(cmd), cmd, 2, 3);
        LogonStep("USER " + UserName, false, loggedIn);
        LogonStep("PASS " + Password, true, loggedIn);
        break;
    }
    case fpmUserFwUserHost:
        LogonStep("USER " + UserName + "@" + p.UserName + "@" + Host, false, loggedIn);
        LogonStep("PASS " + p.Password, true, loggedIn);
        LogonStep("PASS " + Password, true, loggedIn);
        break;
    default:
        LogonStep("USER " + UserName, false, loggedIn);
        LogonStep("PASS " + Password, true, loggedIn);
        break;
    }
    if (!loggedIn) throw EFtpError("the server did not accept the logon");
}

void TFtpClient::Connect()
{
    if (abort_) throw EFtpCanceled("the FTP session was canceled");
    Disconnect();
    inbuf_.clear();
    timedOut_ = false;
    try {
        const bool viaProxy = ProxySettings.Method >= fpmUserAtHost && ProxySettings.Method <= fpmUserFwUserHost;
        ctrl_ = viaProxy ? ConnectSocket(ProxySettings.Host, ProxySettings.Port) : ConnectSocket(Host, Port);
        // The greeting, however many preliminary replies come first, has one reply's limit.
        Reply r;
        {
            limit_ = Clock::now() + std::chrono::milliseconds(int64_t(kOverallLimitFactor) * ReadTimeoutMs);
            const OnExit restore{[this]() { limit_ = Clock::time_point::max(); }};
            r = ReadReply();
            while (r.Code / 100 == 1) r = ReadReply();
        }
        Expect(r, "connect", 2, 2);
        Logon();
        const Reply type = SendCmd("TYPE I");
        Expect(type, "TYPE", 2, 2);
    } catch (...) {
        Disconnect();
        throw;
    }
}

void TFtpClient::CloseListener() { CloseFd(listen_); }

void TFtpClient::CloseData()
{
    CloseFd(data_);
    CloseListener();
}

void TFtpClient::CloseControl()
{
    // A session given up on leaves nothing behind that could still reach the server.
    if (abort_ || timedOut_) ResetFd(ctrl_);
    else CloseFd(ctrl_);
    inbuf_.clear();
    transferring_ = false;
}

int TFtpClient::OpenDataChannel(const std::string &cmd)
{
    if (ctrl_ < 0) throw EFtpError("not connected");
    CloseData();
    // Listen on the address the server already reaches us at.
    sockaddr_in local{};
    socklen_t len = sizeof local;
    if (::getsockname(ctrl_, reinterpret_cast<sockaddr *>(&local), &len) != 0) throw EFtpError(Errno("getsockname"));
    listen_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (listen_ < 0) throw EFtpError(Errno("socket"));
    local.sin_port = 0;
    if (::bind(listen_, reinterpret_cast<sockaddr *>(&local), sizeof local) != 0 || ::listen(listen_, 1) != 0)
        throw EFtpError(Errno("data listener"));
    len = sizeof local;
    ::getsockname(listen_, reinterpret_cast<sockaddr *>(&local), &len);
    const uint32_t a = ntohl(local.sin_addr.s_addr);
    const uint16_t port = ntohs(local.sin_port);
    const std::string portCmd = "PORT " + std::to_string(a >> 24) + "," + std::to_string((a >> 16) & 255) + "," +
                                std::to_string((a >> 8) & 255) + "," + std::to_string(a & 255) + "," +
                                std::to_string(port >> 8) + "," + std::to_string(port & 255);
    Expect(SendCmd(portCmd), portCmd, 2, 2);
    // Only the server, or the firewall that relays it, may make the data connection.
    sockaddr_in server{};
    len = sizeof server;
    if (::getpeername(ctrl_, reinterpret_cast<sockaddr *>(&server), &len) != 0) throw EFtpError(Errno("getpeername"));

    transferring_ = true;
    SendCmdLine(cmd);
    int state = kNoReplyYet;
    // Connections from elsewhere do not put off the read time-out; replies of the server do.
    Clock::time_point waitUntil = Clock::now() + std::chrono::milliseconds(ReadTimeoutMs);
    const char *const waiting = "waiting for the data connection";
    for (;;) {
        if (Bounded(Remaining(waitUntil)) <= 0) TimedOut(waiting);
        // A connection already made goes first: a quick server may have replied to the end already.
        pollfd p{listen_, POLLIN, 0};
        const bool pending = ::poll(&p, 1, 0) > 0;
        int ready = listen_;
        if (!pending) {
            if (state == kFinalReply)
                ready = WaitForEither(listen_, -1, Remaining(waitUntil), waiting);
            else if (inbuf_.find('\n') != std::string::npos)
                ready = ctrl_;
            else
                ready = WaitForEither(listen_, ctrl_, Remaining(waitUntil), waiting);
        }
        if (ready == listen_) {
            sockaddr_in peer{};
            socklen_t peerLen = sizeof peer;
            data_ = ::accept4(listen_, reinterpret_cast<sockaddr *>(&peer), &peerLen, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (data_ < 0) {
                if (errno == EAGAIN || errno == EINTR || errno == ECONNABORTED) continue;
                throw EFtpError(Errno("accepting the data connection"));
            }
            if (peer.sin_family != AF_INET || peer.sin_addr.s_addr != server.sin_addr.s_addr) {
                CloseFd(data_);
                continue;
            }
            CloseListener();
            return state;
        }
        ReadTransferReply(state, cmd);
        waitUntil = Clock::now() + std::chrono::milliseconds(ReadTimeoutMs);
    }
}

std::string TFtpClient::ReceiveData(int fd, bool progress, size_t limit, const char *tooLarge, int &state,
                                    const std::string &cmd)
{
    std::string out;
    std::string buf(BufferSize ? BufferSize : 256, '\0');
    for (;;) {
        const ssize_t n = ::recv(fd, buf.data(), buf.size(), 0);
        if (n > 0) {
            if (out.size() + size_t(n) > limit) throw EFtpError(tooLarge);
            out.append(buf.data(), size_t(n));
            moved_ += n;
            if (progress && OnWork) OnWork(TFtpWorkMode::Read, int64_t(out.size()));
        } else if (n == 0) {
            return out;
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            // A server that refuses the command says so on the control connection while the data
            // connection stays open: listen to both, so a refusal does not cost the read time-out.
            if (state == kFinalReply) {
                WaitFor(fd, POLLIN, ReadTimeoutMs, "waiting for data");
                continue;
            }
            const int ready = inbuf_.find('\n') != std::string::npos
                                  ? ctrl_
                                  : WaitForEither(fd, ctrl_, ReadTimeoutMs, "waiting for data");
            if (ready == ctrl_) ReadTransferReply(state, cmd);
        } else if (errno != EINTR) {
            throw EFtpError(Errno("receiving data"));
        }
    }
}

void TFtpClient::FinishTransfer(int state)
{
    CloseData();
    if (state != kFinalReply) {
        Reply r = ReadReply();
        if (state == kNoReplyYet && r.Code / 100 == 1) r = ReadReply();
        Expect(r, "transfer", 2, 2);
    }
    transferring_ = false;
}

void TFtpClient::AbortTransfer()
{
    if (transferring_ && ctrl_ >= 0) {
        static const char kAbor[] = "ABOR\r\n";
        [[maybe_unused]] ssize_t n = ::send(ctrl_, kAbor, sizeof kAbor - 1, MSG_NOSIGNAL);
    }
    transferring_ = false;
    ResetFd(data_);
    CloseListener();
}

void TFtpClient::BeginTransferLimit()
{
    transferLimited_ = true;
    transferStart_ = Clock::now();
    moved_ = 0;
}

std::vector<std::string> TFtpClient::List()
{
    return Guard([&]() {
        BeginTransferLimit();
        const OnExit unlimit{[this]() { transferLimited_ = false; }};
        int pre = OpenDataChannel("LIST");
        const std::string text = ReceiveData(data_, false, kMaxListingBytes, "the listing is too long", pre, "LIST");
        FinishTransfer(pre);
        std::vector<std::string> lines;
        size_t start = 0;
        while (start < text.size()) {
            size_t eol = text.find('\n', start);
            if (eol == std::string::npos) eol = text.size();
            std::string line = text.substr(start, eol - start);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (!line.empty()) lines.push_back(line);
            start = eol + 1;
        }
        return lines;
    });
}

void TFtpClient::SendData(const std::string &data, int &state, const std::string &cmd)
{
    const size_t chunk = BufferSize ? BufferSize : 256;
    size_t sent = 0;
    bool shut = false;         // the last byte is written and the data connection half-closed
    bool watchData = true;     // its errors still matter
    int64_t delivered = 0;
    Clock::time_point lastMove = Clock::now();
    for (;;) {
        while (sent < data.size()) {
            const ssize_t n = ::send(data_, data.data() + sent, std::min(chunk, data.size() - sent), MSG_NOSIGNAL);
            if (n > 0) sent += size_t(n);
            else if (n < 0 && errno == EINTR) continue;
            else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
            else DataBroke(Errno("sending data"), state, cmd);
        }
        // The end of the file goes out right behind its last byte: the server reads to it and then
        // replies, and that reply, not a look at the queue, ends the upload.
        if (sent == data.size() && !shut) {
            if (::shutdown(data_, SHUT_WR) != 0) DataBroke(Errno("sending data"), state, cmd);
            shut = true;
        }
        // Bytes count once the server has them; those still queued here may yet take long on a
        // slow link, and they are what the read time-out waits for. The end of the file takes a
        // place in the queue of its own.
        int64_t queued = Unacknowledged(data_);
        if (shut && queued > 0) --queued;
        const int64_t now = state == kFinalReply && shut ? int64_t(sent)
                                                         : int64_t(sent) - std::min<int64_t>(queued, int64_t(sent));
        if (now != delivered) {
            delivered = now;
            moved_ = delivered;
            lastMove = Clock::now();
            if (OnWork) OnWork(TFtpWorkMode::Write, delivered);
        }
        // Once the server has every byte the data connection is closed fully: some servers reply
        // only when it is gone, not already at the end of the file.
        if (shut && delivered == int64_t(sent)) CloseFd(data_);
        if (shut && state == kFinalReply) return;
        if (state != kFinalReply && inbuf_.find('\n') != std::string::npos) {
            ReadTransferReply(state, cmd);
            continue;
        }
        // Only bytes in flight need another look, for the progress and for the read time-out;
        // with none left the wait is for the reply alone.
        const bool inFlight = delivered < int64_t(sent);
        const int idle = int(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - lastMove).count());
        const int wait = Bounded(inFlight ? std::min(kDeliveryCheckMs, ReadTimeoutMs - idle) : ReadTimeoutMs - idle);
        if (wait <= 0) TimedOut(inFlight || !shut ? "sending data" : "waiting for a reply");
        pollfd p[3] = {{watchData ? data_ : -1, short(shut ? 0 : POLLOUT), 0},
                       {state == kFinalReply ? -1 : ctrl_, POLLIN, 0},
                       {wake_[0], POLLIN, 0}};
        const int n = ::poll(p, wake_[0] >= 0 ? 3 : 2, wait);
        if (n < 0 && errno != EINTR) throw EFtpError(Errno("poll"));
        if (abort_) throw EFtpCanceled("the FTP session was canceled");
        if (n <= 0) continue;
        if (p[1].revents) {
            ReadTransferReply(state, cmd);
        } else if (p[0].revents & POLLERR) {
            // A data connection that broke with bytes still queued will not deliver them.
            if (Unacknowledged(data_) > (shut ? 1 : 0)) DataBroke("the data connection broke", state, cmd);
            watchData = false;
        } else if (shut && (p[0].revents & POLLHUP)) {
            // The server closed its side too; its reply is still to come.
            watchData = false;
        }
    }
}

void TFtpClient::DataBroke(const std::string &error, int &state, const std::string &cmd)
{
    // A server that refuses the file may break the data connection before its reply arrives: a
    // reply that follows at once is the better reason.
    const OnExit restore{[this, saved = limit_, timedOut = timedOut_]() {
        limit_ = saved;
        timedOut_ = timedOut;
    }};
    limit_ = std::min(limit_, Clock::now() + std::chrono::milliseconds(kRefusalWaitMs));
    std::string refusal;
    try {
        while (state != kFinalReply && refusal.empty()) {
            const Reply r = ReadReply();
            if (r.Code / 100 == 1) state = kPreliminaryReply;
            else if (r.Code / 100 == 4 || r.Code / 100 == 5) refusal = CommandName(cmd) + " refused: " + r.Text;
            else break;
        }
    } catch (const EFtpCanceled &) {
        throw;
    } catch (const EFtpError &) {
    }
    throw EFtpError(refusal.empty() ? error : refusal);
}

void TFtpClient::ReadTransferReply(int &state, const std::string &cmd)
{
    const Reply r = ReadReply();
    if (r.Code / 100 == 1) state = kPreliminaryReply;
    else if (r.Code / 100 == 2) state = kFinalReply;
    else throw EFtpError(CommandName(cmd) + " refused: " + r.Text);
}

void TFtpClient::Put(const std::string &data, const std::string &remoteName)
{
    Guard([&]() {
        BeginTransferLimit();
        const OnExit unlimit{[this]() { transferLimited_ = false; }};
        const std::string cmd = "STOR " + remoteName;
        int state = OpenDataChannel(cmd);
        if (OnWorkBegin) OnWorkBegin(TFtpWorkMode::Write, int64_t(data.size()));
        SendData(data, state, cmd);
        FinishTransfer(state);
        if (OnWorkEnd) OnWorkEnd(TFtpWorkMode::Write);
    });
}

std::string TFtpClient::Get(const std::string &remoteName)
{
    return Guard([&]() {
        BeginTransferLimit();
        const OnExit unlimit{[this]() { transferLimited_ = false; }};
        int pre = OpenDataChannel("RETR " + remoteName);
        if (OnWorkBegin) OnWorkBegin(TFtpWorkMode::Read, 0);
        std::string data =
            ReceiveData(data_, true, MaxRetrieveBytes, "the file is larger than allowed", pre, "RETR " + remoteName);
        FinishTransfer(pre);
        if (OnWorkEnd) OnWorkEnd(TFtpWorkMode::Read);
        return data;
    });
}

void TFtpClient::Disconnect()
{
    CloseData();
    if (ctrl_ < 0) return;
    if (!abort_ && !timedOut_) {
        const OnExit restore{[this, saved = limit_]() { limit_ = saved; }};
        limit_ = Clock::now() + std::chrono::milliseconds(kQuitReplyMs);
        try {
            SendCmdLine("QUIT");
            ReadReply();
        } catch (...) {
        }
    } else if (!abort_) {
        // The server already let a wait run out: it is told, but not waited for.
        static const char kQuit[] = "QUIT\r\n";
        [[maybe_unused]] ssize_t n = ::send(ctrl_, kQuit, sizeof kQuit - 1, MSG_NOSIGNAL);
    } else {
        // Cancelled: no waiting for replies, but the server gets a moment to read ABOR and QUIT
        // before the reset that ends the connection.
        static const char kQuit[] = "QUIT\r\n";
        [[maybe_unused]] ssize_t n = ::send(ctrl_, kQuit, sizeof kQuit - 1, MSG_NOSIGNAL);
        ::shutdown(ctrl_, SHUT_WR);
        const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(kLingerMs);
        char buf[512];
        for (;;) {
            pollfd p{ctrl_, POLLIN, 0};
            if (::poll(&p, 1, Remaining(deadline)) <= 0) break;
            if (::recv(ctrl_, buf, sizeof buf, 0) <= 0) break;
        }
    }
    CloseControl();
}

int32_t ListingFileSize(const std::vector<std::string> &lines, size_t column)
{
    if (lines.empty()) return 0;
    const std::string &line = lines.front();
    const size_t start = column > 0 ? column - 1 : 0;
    std::string text;
    if (line.size() > start) text = line.substr(start, line.find(' ', start) - start);
    if (text.empty() || text.size() > 10) throw EFtpError("no file size in the listing: \"" + line + "\"");
    int64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') throw EFtpError("no file size in the listing: \"" + line + "\"");
        v = v * 10 + (c - '0');
    }
    if (v > INT32_MAX) throw EFtpError("no file size in the listing: \"" + line + "\"");
    return int32_t(v);
}

}  // namespace vxt
