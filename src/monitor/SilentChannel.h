// The request channel as the tag-list download and the monitor carry it: their own two HTTP
// clients, any page, and no message on a failure (the callers report it their own way).
#pragma once

#include "HttpClient.h"
#include "KProt.h"

#include <string>

namespace vxt {

struct TSilentChannel {
    // Local devices never through a proxy; remote ones through the proxy of the settings.
    THttpClient IdHTTPLocal;
    THttpClient IdHTTPRemote;

    TSilentChannel();
    // The HTTP proxy of the settings file onto the remote client (none when it is disabled).
    void SinchronizeOptions();
    // Both clients at this port (devices listen on 80; tests use others).
    void SetHttpPort(int port);
    void SetTimeout(int ms);
    // Posts Request to Page of the device on a worker while the UI keeps running; true and Reply
    // loaded when a reply came, false (Reply untouched) after any failure.
    bool SendHTTPServer(const std::string &IP, const std::string &RemoteIP, const std::string &Page,
                        const TPacket &Request, TPacket &Reply) const;
};

}  // namespace vxt
