#include "HttpClient.h"

#include "StrUtils.h"

#include <curl/curl.h>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <set>
#include <sys/socket.h>
#include <unistd.h>

namespace vxt {

namespace {

struct Transfer {
    std::string *Body;
    size_t Max;
    bool TooLarge = false;
    size_t Received = 0;   // header and body bytes: each one counts against the read time-out
};

size_t OnData(char *data, size_t size, size_t count, void *user)
{
    auto *t = static_cast<Transfer *>(user);
    const size_t n = size * count;
    if (t->Body->size() + n > t->Max) {
        t->TooLarge = true;
        return 0;
    }
    t->Body->append(data, n);
    t->Received += n;
    return n;
}

size_t OnHeader(char *, size_t size, size_t count, void *user)
{
    static_cast<Transfer *>(user)->Received += size * count;
    return size * count;
}

// The sockets of the exchange running on this thread, so that one given up on can be reset. curl
// calls back on the thread that drives it, and does not always report a close (an exchange removed
// while it runs), so the record is the thread's own, kept like its driver and cleared per exchange.
struct TSockets {
    std::set<curl_socket_t> Open;
    bool Reset = false;

    static TSockets &ForThisThread()
    {
        thread_local TSockets sockets;
        return sockets;
    }

    void Begin()
    {
        Open.clear();
        Reset = false;
    }

    // Linger 0: the close drops what is still unsent and sends a reset, so nothing of an abandoned
    // request reaches the device later, after the user has moved on.
    static void Abort(curl_socket_t fd)
    {
        const linger off{1, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &off, sizeof off);
    }

    void GiveUp()
    {
        Reset = true;
        for (curl_socket_t fd : Open) Abort(fd);
    }

    static curl_socket_t OnOpen(void *user, curlsocktype, curl_sockaddr *a)
    {
        auto *s = static_cast<TSockets *>(user);
        const curl_socket_t fd = ::socket(a->family, a->socktype | SOCK_CLOEXEC, a->protocol);
        if (fd != CURL_SOCKET_BAD) s->Open.insert(fd);
        return fd;
    }

    static int OnClose(void *user, curl_socket_t fd)
    {
        auto *s = static_cast<TSockets *>(user);
        if (s->Reset && s->Open.count(fd)) Abort(fd);
        s->Open.erase(fd);
        return ::close(fd);
    }
};

// How often a waiting exchange looks at its cancel flag and its read time-out.
const int kCheckMs = 50;

// Runs the exchange; fails it when `cancel` is set, when no byte has moved for `timeoutMs`, or
// when it has run for `limitMs` in all (a device that drips a byte now and then).
CURLcode Perform(CURL *curl, const Transfer &t, int timeoutMs, long long limitMs, const std::atomic<bool> *cancel,
                 bool &timedOut, TSockets &sockets)
{
    using Clock = std::chrono::steady_clock;
    // One driver per thread, kept: setting one up costs a good part of a fast exchange.
    struct Multi {
        CURLM *Handle = curl_multi_init();
        ~Multi() { curl_multi_cleanup(Handle); }
    };
    thread_local Multi driver;
    CURLM *multi = driver.Handle;
    if (!multi) return CURLE_OUT_OF_MEMORY;
    curl_multi_add_handle(multi, curl);
    CURLcode rc = CURLE_OK;
    curl_off_t lastUp = -1;
    size_t lastDown = 0;
    const Clock::time_point start = Clock::now();
    Clock::time_point lastActivity = start;
    for (;;) {
        int running = 0;
        if (curl_multi_perform(multi, &running) != CURLM_OK) {
            rc = CURLE_OUT_OF_MEMORY;
            break;
        }
        if (!running) {
            int left = 0;
            rc = CURLE_RECV_ERROR;
            while (CURLMsg *m = curl_multi_info_read(multi, &left))
                if (m->msg == CURLMSG_DONE && m->easy_handle == curl) rc = m->data.result;
            break;
        }
        if (cancel && cancel->load()) {
            rc = CURLE_ABORTED_BY_CALLBACK;
            sockets.GiveUp();
            break;
        }
        // The read time-out counts from the last byte that moved.
        curl_off_t up = 0;
        curl_easy_getinfo(curl, CURLINFO_SIZE_UPLOAD_T, &up);
        const size_t down = t.Received;
        const Clock::time_point now = Clock::now();
        if (up != lastUp || down != lastDown) {
            lastUp = up;
            lastDown = down;
            lastActivity = now;
        }
        const auto idle = std::chrono::duration_cast<std::chrono::milliseconds>(now - lastActivity).count();
        const auto left = limitMs - std::chrono::duration_cast<std::chrono::milliseconds>(now - start).count();
        if (idle >= timeoutMs || left <= 0) {
            timedOut = true;
            rc = CURLE_OPERATION_TIMEDOUT;
            sockets.GiveUp();
            break;
        }
        // libcurl wakes earlier for its own timers (the connect time-out among them).
        curl_multi_poll(multi, nullptr, 0, int(std::min<long long>({kCheckMs, timeoutMs - idle, left})), nullptr);
    }
    curl_multi_remove_handle(multi, curl);
    return rc;
}

void GlobalInit()
{
    static std::once_flag once;
    std::call_once(once, []() { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

}  // namespace

// The cookies of one client, shared by the exchanges of its copies, which may run on several
// workers at once.
struct THttpClient::TCookieJar {
    std::once_flag Once;
    CURLSH *Share = nullptr;
    std::mutex Locks[CURL_LOCK_DATA_LAST];

    ~TCookieJar()
    {
        if (Share) curl_share_cleanup(Share);
    }

    CURLSH *Get()
    {
        std::call_once(Once, [this]() {
            Share = curl_share_init();
            if (!Share) return;
            curl_share_setopt(Share, CURLSHOPT_LOCKFUNC, Lock);
            curl_share_setopt(Share, CURLSHOPT_UNLOCKFUNC, Unlock);
            curl_share_setopt(Share, CURLSHOPT_USERDATA, this);
            curl_share_setopt(Share, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
        });
        return Share;
    }

    static void Lock(CURL *, curl_lock_data data, curl_lock_access, void *user)
    {
        if (data >= 0 && data < CURL_LOCK_DATA_LAST) static_cast<TCookieJar *>(user)->Locks[data].lock();
    }

    static void Unlock(CURL *, curl_lock_data data, void *user)
    {
        if (data >= 0 && data < CURL_LOCK_DATA_LAST) static_cast<TCookieJar *>(user)->Locks[data].unlock();
    }
};

THttpClient::THttpClient() : cookies_(std::make_shared<TCookieJar>()) {}

THttpResult THttpClient::Post(const std::string &host, const std::string &page, const std::string &contentType,
                              const std::string &body, const std::atomic<bool> *cancel) const
{
    GlobalInit();
    THttpResult r;
    CURL *curl = curl_easy_init();
    if (!curl) {
        r.Error = "cannot start an HTTP exchange";
        return r;
    }
    const std::string url = "http://" + host + "/" + page;
    Transfer t{&r.Body, MaxReplyBytes, false};
    curl_slist *headers = nullptr;
    headers = curl_slist_append(headers, ("Content-Type: " + contentType).c_str());
    headers = curl_slist_append(headers, "Accept: text/html, */*");
    headers = curl_slist_append(headers, "Expect:");
    char error[CURL_ERROR_SIZE] = {0};

    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    if (Port != 80) curl_easy_setopt(curl, CURLOPT_PORT, long(Port));
    curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_0));
    curl_easy_setopt(curl, CURLOPT_POST, 1L);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.data());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(body.size()));
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "Mozilla/3.0 (compatible; Indy Library)");
    curl_easy_setopt(curl, CURLOPT_COOKIEFILE, "");
    if (CURLSH *share = cookies_->Get()) curl_easy_setopt(curl, CURLOPT_SHARE, share);
    curl_easy_setopt(curl, CURLOPT_FRESH_CONNECT, 1L);
    curl_easy_setopt(curl, CURLOPT_FORBID_REUSE, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, long(TimeoutMs));
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, OnData);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &t);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &t);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http");
    // Made before the thread's driver, so it outlives it: the driver's end may still close a socket.
    TSockets *sockets = &TSockets::ForThisThread();
    sockets->Begin();
    curl_easy_setopt(curl, CURLOPT_OPENSOCKETFUNCTION, TSockets::OnOpen);
    curl_easy_setopt(curl, CURLOPT_OPENSOCKETDATA, sockets);
    curl_easy_setopt(curl, CURLOPT_CLOSESOCKETFUNCTION, TSockets::OnClose);
    curl_easy_setopt(curl, CURLOPT_CLOSESOCKETDATA, sockets);
    // Proxies take credentials beyond ASCII as UTF-8; the settings file holds them as Latin-1.
    const std::string proxyUser = Latin1ToUtf8(Proxy.Username), proxyPassword = Latin1ToUtf8(Proxy.Password);
    if (UseProxy && !Proxy.Server.empty()) {
        curl_easy_setopt(curl, CURLOPT_PROXY, Proxy.Server.c_str());
        curl_easy_setopt(curl, CURLOPT_PROXYPORT, long(Proxy.Port));
        curl_easy_setopt(curl, CURLOPT_PROXYTYPE, long(CURLPROXY_HTTP));
        if (Proxy.BasicAuth) {
            curl_easy_setopt(curl, CURLOPT_PROXYAUTH, long(CURLAUTH_BASIC));
            curl_easy_setopt(curl, CURLOPT_PROXYUSERNAME, proxyUser.c_str());
            curl_easy_setopt(curl, CURLOPT_PROXYPASSWORD, proxyPassword.c_str());
        }
    } else {
        // An empty proxy also keeps the environment's proxy variables out.
        curl_easy_setopt(curl, CURLOPT_PROXY, "");
    }

    bool timedOut = false;
    const CURLcode rc =
        Perform(curl, t, TimeoutMs, (long long)TimeoutMs * kOverallLimitFactor, cancel, timedOut, *sockets);
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &r.Status);
    if (rc != CURLE_OK) {
        r.Error = t.TooLarge ? "reply too large"
                  : timedOut ? "read time-out"
                               : (error[0] ? error : curl_easy_strerror(rc));
        r.Body.clear();
    } else if (r.Status < 200 || r.Status > 299) {
        r.Error = "HTTP status " + std::to_string(r.Status);
        r.Body.clear();
    } else {
        r.Ok = true;
    }
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
    return r;
}

}  // namespace vxt
