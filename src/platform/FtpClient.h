// A small FTP client over POSIX sockets: connect with a time-out, the five firewall logon methods,
// binary type, active mode (PORT), LIST, STOR and RETR of one file with progress, and ABOR.
// Blocking: run it on a worker thread. Abort() may be called from any other thread at any time.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace vxt {

class EFtpError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The operation ended because Abort() was called.
class EFtpCanceled : public EFtpError {
public:
    using EFtpError::EFtpError;
};

// How the client logs on through a firewall: 0 directly to the host; 1 USER user@host;
// 2 SITE host; 3 OPEN host; 4 USER user@fwuser@host with the firewall's and the host's password.
enum TFtpLogonMethod : uint8_t {
    fpmDirect = 0,
    fpmUserAtHost = 1,
    fpmSite = 2,
    fpmOpen = 3,
    fpmUserFwUserHost = 4,
};

struct TFtpProxySettings {
    std::string Host;
    int Port = 21;
    std::string UserName;
    std::string Password;
    uint8_t Method = fpmDirect;
};

enum class TFtpWorkMode { Read, Write };

class TFtpClient {
public:
    TFtpClient();
    ~TFtpClient();
    TFtpClient(const TFtpClient &) = delete;
    TFtpClient &operator=(const TFtpClient &) = delete;

    std::string Host;
    int Port = 21;
    std::string UserName;
    std::string Password;
    TFtpProxySettings ProxySettings;   // used for methods 1 to 4

    int ConnectTimeoutMs = 10000;
    int ReadTimeoutMs = 10000;          // the longest wait for any byte to move (or be acknowledged)
    // However slowly the bytes keep coming, the greeting and every reply must be complete within
    // this many read time-outs, and a data transfer within as many plus the time its bytes take
    // at the slowest rate still counted as progress; past that the session fails as it does
    // against a silent server.
    static constexpr int kOverallLimitFactor = 3;
    static constexpr int kSlowestBytesPerSecond = 256;
    size_t BufferSize = 65536;          // bytes per read or write of the data connection
    size_t MaxLineLength = 16384;       // a longer reply line is an error
    size_t MaxRetrieveBytes = SIZE_MAX; // a larger download is refused

    // Progress of STOR and RETR, called on the thread that runs the transfer. Begin gets the
    // expected count (the data's size for a store, 0 for a retrieve); the count of a store is
    // what the server has acknowledged, not what waits in this side's queue. End only follows a
    // transfer that completed.
    std::function<void(TFtpWorkMode mode, int64_t expected)> OnWorkBegin;
    std::function<void(TFtpWorkMode mode, int64_t count)> OnWork;
    std::function<void(TFtpWorkMode mode)> OnWorkEnd;

    // Connects (to the firewall for methods 1 to 4), logs on and selects binary type.
    void Connect();
    // LIST in long form: the lines of the listing, without their line ends.
    std::vector<std::string> List();
    void Put(const std::string &data, const std::string &remoteName);   // STOR
    std::string Get(const std::string &remoteName);                     // RETR
    // Writes one raw command line on the control connection (CR LF is added).
    void SendCmdLine(const std::string &line);
    void CloseData();
    // QUIT when connected, then closes everything. Never raises.
    void Disconnect();
    bool Connected() const { return ctrl_ >= 0; }

    // Stops the running or the next operation: ABOR when a transfer is open, the data connection
    // closed, disconnected; the operation raises EFtpCanceled. Thread-safe, returns at once.
    void Abort();
    bool Aborted() const { return abort_.load(); }
    // Allows operations again after an Abort().
    void ResetAbort();

private:
    struct Reply {
        int Code = 0;
        std::string Text;   // all lines
    };

    int ConnectSocket(const std::string &host, int port);
    void WaitFor(int fd, short events, int timeoutMs, const char *what);
    // Waits for either fd; returns the one that is ready.
    int WaitForEither(int fd1, int fd2, int timeoutMs, const char *what);
    // The end of the current exchange's overall limit (max() when none runs).
    std::chrono::steady_clock::time_point Limit() const;
    // `timeoutMs`, shortened to what is left of the overall limit.
    int Bounded(int timeoutMs) const;
    [[noreturn]] void TimedOut(const char *what);
    void WriteAll(int fd, const char *data, size_t size, const char *what);
    std::string ReadLine();
    Reply ReadReply();
    Reply SendCmd(const std::string &cmd);
    void Expect(const Reply &r, const std::string &cmd, int lowClass, int highClass);
    void Logon();
    void LogonStep(const std::string &cmd, bool isPassword, bool &loggedIn);
    // What the server replied while the data connection was being made.
    enum { kNoReplyYet, kPreliminaryReply, kFinalReply };
    int OpenDataChannel(const std::string &cmd);
    std::string ReceiveData(int fd, bool progress, size_t limit, const char *tooLarge, int &state,
                            const std::string &cmd);
    // Sends `data`, half-closes the data connection, closes it once the server has every byte and
    // returns with the server's final reply.
    void SendData(const std::string &data, int &state, const std::string &cmd);
    // Raises the server's refusal when it follows the broken data connection at once, else `error`.
    [[noreturn]] void DataBroke(const std::string &error, int &state, const std::string &cmd);
    // A reply to the transfer command while its data moves: preliminary, final, or a refusal.
    void ReadTransferReply(int &state, const std::string &cmd);
    void FinishTransfer(int state);
    void BeginTransferLimit();
    void CloseListener();
    void CloseControl();
    // The clean-up after a cancel or a failure inside a transfer.
    void AbortTransfer();
    template <typename F>
    auto Guard(F &&f) -> decltype(f());

    int ctrl_ = -1;
    int data_ = -1;
    int listen_ = -1;
    int wake_[2] = {-1, -1};
    std::atomic<bool> abort_{false};
    bool transferring_ = false;
    bool timedOut_ = false;   // the server let a wait run out: it will not answer QUIT either
    std::string inbuf_;
    std::chrono::steady_clock::time_point limit_ = std::chrono::steady_clock::time_point::max();
    // While a data transfer runs, its limit grows with the bytes it moves.
    bool transferLimited_ = false;
    std::chrono::steady_clock::time_point transferStart_;
    int64_t moved_ = 0;
};

// The size announced by a listing line of the device: the text from `column` (counted from 1) up
// to the next blank, a decimal integer. 0 without any line; EFtpError when it is no integer.
int32_t ListingFileSize(const std::vector<std::string> &lines, size_t column = 38);

}  // namespace vxt
