// The main window's request channel: one KProt message posted to the device, one reply back.
#include "Blocking.h"
#include "InfoMsg.h"
#include "Main.h"
#include "MsgBox.h"
#include "StrUtils.h"

#include <QApplication>

namespace vxt {

void TMainForm::SetHttpPort(int port)
{
    IdHTTPLocal.Port = port;
    IdHTTPRemote.Port = port;
}

bool TMainForm::SendHTTPServer(const std::string &IP, const std::string &RemoteIP, const std::string &Page,
                               const TPacket &Request, TPacket &Reply)
{
    const THttpClient client = RemoteIP.empty() ? IdHTTPLocal : IdHTTPRemote;
    const std::string host = RemoteIP.empty() ? IP : RemoteIP;
    const std::string body = Trim(Request.GetText());
    THttpResult r;
    try {
        r = RunAndWait<THttpResult>(
            [client, host, Page, body]() { return client.Post(host, Page, "text/x-kprot", body, EndingFlag()); });
    } catch (const EWaitAbandoned &) {
        // The program is ending: a failure like any other, whose boxes no longer show.
    }
    if (!r.Ok) {
        ShowError("No Response from Device. Check the connection and try again.");
        return false;
    }
    Reply.SetText(r.Body);
    return true;
}

bool TMainForm::SendHTTPAdminServer(const std::string &Msg, const std::string &IP, const std::string &RemoteIP,
                                    const TPacket &Request, TPacket &Reply)
{
    InfoMessage->Msg = Msg;
    InfoMessage->show();
    InfoMessage->raise();
    const bool r = SendHTTPServer(IP, RemoteIP, "admpost.cgi", Request, Reply);
    InfoMessage->close();
    return r;
}

bool TMainForm::SendHTTPAdminNoInfo(const std::string &IP, const std::string &RemoteIP, const TPacket &Request,
                                    TPacket &Reply)
{
    return SendHTTPServer(IP, RemoteIP, "admpost.cgi", Request, Reply);
}

}  // namespace vxt
