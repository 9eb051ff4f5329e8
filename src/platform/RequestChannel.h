// The request channel to a device: one KProt message posted over HTTP, the reply body back. The
// main window, the tag-list download and the monitor each own one, with clients of their own.
#pragma once

#include "HttpClient.h"
#include "KProt.h"

#include <string>

namespace vxt {

class TRequestChannel {
public:
    // Local devices never through a proxy; remote ones through the proxy of the settings.
    THttpClient IdHTTPLocal;
    THttpClient IdHTTPRemote;

    TRequestChannel();
    // The HTTP proxy of the settings file onto the remote client (none when it is disabled). A
    // settings file that cannot be read leaves the remote client with the proxy it had; an error
    // while reading does too, and its text is returned for the caller to show or not.
    std::string SinchronizeOptions();
    // Both clients at this port (devices listen on 80; tests use others).
    void SetHttpPort(int port);
    void SetTimeout(int ms);
    // Posts Request to Page of the device on a worker while the UI keeps running: true with Reply
    // loaded when a reply came; false after any failure, with Reply untouched and nothing shown
    // (each owner reports a failure its own way). An exchange that could not be carried out at all
    // (no worker to run it) leaves in `error`, when given, the text every window shows for it: that
    // the request could not be started, and why. A request that found no device and the abandoned
    // wait of an ending program leave it empty.
    bool SendHTTPServer(const std::string &IP, const std::string &RemoteIP, const std::string &Page,
                        const TPacket &Request, TPacket &Reply, std::string *error = nullptr) const;
};

}  // namespace vxt
