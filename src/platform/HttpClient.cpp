#include "HttpClient.h"

#include <curl/curl.h>
#include <chrono>
#include <mutex>

namespace vxt {

namespace {

struct Transfer {
    std::string *Body;
    size_t Max;
    bool TooLarge = false;
    const std::atomic<bool> *Cancel;
    int TimeoutMs;
    bool TimedOut = false;
    // The read time-out counts from the last byte that moved.
    curl_off_t LastUp = -1, LastDown = -1;
    std::chrono::steady_clock::time_point LastActivity = std::chrono::steady_clock::now();
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
    return n;
}

int OnProgress(void *user, curl_off_t, curl_off_t down, curl_off_t, curl_off_t up)
{
    auto *t = static_cast<Transfer *>(user);
    if (t->Cancel && t->Cancel->load()) return 1;
    const auto now = std::chrono::steady_clock::now();
    if (down != t->LastDown || up != t->LastUp) {
        t->LastDown = down;
        t->LastUp = up;
        t->LastActivity = now;
    } else if (now - t->LastActivity > std::chrono::milliseconds(t->TimeoutMs)) {
        t->TimedOut = true;
        return 1;
    }
    return 0;
}

void GlobalInit()
{
    static std::once_flag once;
    std::call_once(once, []() { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

}  // namespace

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
    Transfer t{&r.Body, MaxReplyBytes, false, cancel, TimeoutMs};
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
    curl_easy_setopt(curl, CURLOPT_FRESH_CONNECT, 1L);
    curl_easy_setopt(curl, CURLOPT_FORBID_REUSE, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, long(TimeoutMs));
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, OnData);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &t);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, OnProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &t);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http");
    if (UseProxy && !Proxy.Server.empty()) {
        curl_easy_setopt(curl, CURLOPT_PROXY, Proxy.Server.c_str());
        curl_easy_setopt(curl, CURLOPT_PROXYPORT, long(Proxy.Port));
        curl_easy_setopt(curl, CURLOPT_PROXYTYPE, long(CURLPROXY_HTTP));
        if (Proxy.BasicAuth) {
            curl_easy_setopt(curl, CURLOPT_PROXYAUTH, long(CURLAUTH_BASIC));
            curl_easy_setopt(curl, CURLOPT_PROXYUSERNAME, Proxy.Username.c_str());
            curl_easy_setopt(curl, CURLOPT_PROXYPASSWORD, Proxy.Password.c_str());
        }
    } else {
        // An empty proxy also keeps the environment's proxy variables out.
        curl_easy_setopt(curl, CURLOPT_PROXY, "");
    }

    const CURLcode rc = curl_easy_perform(curl);
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &r.Status);
    if (rc != CURLE_OK) {
        r.Error = t.TooLarge ? "reply too large"
                  : t.TimedOut ? "read time-out"
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
