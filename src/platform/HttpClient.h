// The HTTP transport of the device channel: one POST on a fresh connection, HTTP/1.0, with the
// headers devices expect, optional proxy with basic authentication. Blocking: call it from a worker.
#pragma once

#include <atomic>
#include <memory>
#include <string>

namespace vxt {

struct THttpProxy {
    std::string Server;      // empty: no proxy
    int32_t Port = 0;
    bool BasicAuth = false;
    std::string Username, Password;
};

struct THttpResult {
    bool Ok = false;
    long Status = 0;
    std::string Body;
    std::string Error;       // why it failed (not shown to the user)
};

class THttpClient {
public:
    THttpClient();

    // The one time-out of connecting and of waiting for data.
    int TimeoutMs = 20000;
    // However slowly the bytes keep coming, an exchange ends after this many time-outs, failing
    // as a silent device does.
    static constexpr int kOverallLimitFactor = 3;
    // Devices listen on 80; tests point the client at another port.
    int Port = 80;
    // A client that never uses a proxy ignores Proxy (and the environment's proxy variables).
    bool UseProxy = false;
    THttpProxy Proxy;
    // Replies larger than this are refused rather than held in memory.
    size_t MaxReplyBytes = 64u * 1024u * 1024u;

    // Posts `body` to http://host/page. A status outside 2xx counts as a failure.
    // Cookies the devices set are kept for the life of this client and sent back; copies of a
    // client share its cookies (an exchange runs on a copy), separate clients never do.
    THttpResult Post(const std::string &host, const std::string &page, const std::string &contentType,
                     const std::string &body, const std::atomic<bool> *cancel = nullptr) const;

    struct TCookieJar;

private:
    std::shared_ptr<TCookieJar> cookies_;
};

}  // namespace vxt
