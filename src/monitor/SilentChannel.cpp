#include "SilentChannel.h"

#include "Blocking.h"
#include "StrUtils.h"
#include "VXTOptions.h"

#include <exception>

namespace vxt {

TSilentChannel::TSilentChannel()
{
    IdHTTPLocal.UseProxy = false;
    IdHTTPRemote.UseProxy = true;
}

void TSilentChannel::SinchronizeOptions()
{
    THttpProxy p;
    try {
        if (GetHttpProxyEnabled()) {
            p.Server = GetHttpProxyServer();
            p.Port = GetHttpProxyPort();
            p.BasicAuth = GetHttpProxyAuth();
            p.Username = GetHttpProxyUserName();
            p.Password = GetHttpProxyPassword();
        }
    } catch (const std::exception &) {
        // An unreadable settings file leaves the remote client without a proxy; the request that
        // follows then fails or succeeds on its own.
        p = THttpProxy();
    }
    IdHTTPRemote.Proxy = p;
}

void TSilentChannel::SetHttpPort(int port)
{
    IdHTTPLocal.Port = port;
    IdHTTPRemote.Port = port;
}

void TSilentChannel::SetTimeout(int ms)
{
    IdHTTPLocal.TimeoutMs = ms;
    IdHTTPRemote.TimeoutMs = ms;
}

bool TSilentChannel::SendHTTPServer(const std::string &IP, const std::string &RemoteIP, const std::string &Page,
                                    const TPacket &Request, TPacket &Reply) const
{
    const THttpClient client = RemoteIP.empty() ? IdHTTPLocal : IdHTTPRemote;
    const std::string host = RemoteIP.empty() ? IP : RemoteIP;
    const std::string body = Trim(Request.GetText());
    THttpResult r;
    try {
        r = RunAndWait<THttpResult>(
            [client, host, Page, body]() { return client.Post(host, Page, "text/x-kprot", body, EndingFlag()); });
    } catch (const std::exception &) {
        return false;
    }
    if (!r.Ok) return false;
    Reply.SetText(r.Body);
    return true;
}

}  // namespace vxt
