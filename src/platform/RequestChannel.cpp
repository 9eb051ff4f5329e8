#include "RequestChannel.h"

#include "Blocking.h"
#include "StrUtils.h"
#include "VXTOptions.h"

#include <exception>

namespace vxt {

TRequestChannel::TRequestChannel()
{
    IdHTTPLocal.UseProxy = false;
    IdHTTPRemote.UseProxy = true;
}

std::string TRequestChannel::SinchronizeOptions()
{
    THttpProxy p;
    std::string error;
    try {
        if (GetHttpProxyEnabled()) {
            p.Server = GetHttpProxyServer();
            p.Port = GetHttpProxyPort();
            p.BasicAuth = GetHttpProxyAuth();
            p.Username = GetHttpProxyUserName();
            p.Password = GetHttpProxyPassword();
        }
    } catch (const std::exception &e) {
        p = THttpProxy();
        error = e.what();
    }
    IdHTTPRemote.Proxy = p;
    return error;
}

void TRequestChannel::SetHttpPort(int port)
{
    IdHTTPLocal.Port = port;
    IdHTTPRemote.Port = port;
}

void TRequestChannel::SetTimeout(int ms)
{
    IdHTTPLocal.TimeoutMs = ms;
    IdHTTPRemote.TimeoutMs = ms;
}

bool TRequestChannel::SendHTTPServer(const std::string &IP, const std::string &RemoteIP, const std::string &Page,
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
        // A wait given up as the program ends, or an exchange that could not be carried out: no
        // reply came either way.
        return false;
    }
    if (!r.Ok) return false;
    Reply.SetText(r.Body);
    return true;
}

}  // namespace vxt
