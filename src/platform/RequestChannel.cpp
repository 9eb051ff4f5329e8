#include "RequestChannel.h"

#include "Blocking.h"
#include "StrUtils.h"
#include "VXTOptions.h"

#include <exception>

namespace vxt {

namespace {

// The system's reason under our own lead, so no window shows it bare.
std::string NotStartedText(const std::string &reason)
{
    std::string text = "The request could not be started.";
    if (reason.empty()) return text;
    text += "\r\n" + reason;
    if (text.back() != '.') text += '.';
    return text;
}

}  // namespace

TRequestChannel::TRequestChannel()
{
    IdHTTPLocal.UseProxy = false;
    IdHTTPRemote.UseProxy = true;
}

std::string TRequestChannel::SinchronizeOptions()
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
    } catch (const std::exception &e) {
        return e.what();
    }
    // A file that cannot be read says nothing of the proxy (it reads as the defaults): the client
    // keeps the one it had. The file's problem is the owner's to report.
    if (!SettingsFileProblem().empty()) return std::string();
    IdHTTPRemote.Proxy = p;
    return std::string();
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
                                     const TPacket &Request, TPacket &Reply, std::string *error) const
{
    const THttpClient client = RemoteIP.empty() ? IdHTTPLocal : IdHTTPRemote;
    const std::string host = RemoteIP.empty() ? IP : RemoteIP;
    const std::string body = Trim(Request.GetText());
    THttpResult r;
    try {
        r = RunAndWait<THttpResult>(
            [client, host, Page, body]() { return client.Post(host, Page, "text/x-kprot", body, EndingFlag()); });
    } catch (const EWaitAbandoned &) {
        // A wait given up as the program ends: no reply came.
        return false;
    } catch (const std::exception &e) {
        if (error) *error = NotStartedText(e.what());
        return false;
    }
    if (!r.Ok) return false;
    Reply.SetText(r.Body);
    return true;
}

}  // namespace vxt
