// The main window's request channel: one KProt message posted to the device, one reply back.
#include "Blocking.h"
#include "InfoMsg.h"
#include "Main.h"
#include "MsgBox.h"
#include "Options.h"

namespace vxt {

void TMainForm::SetHttpPort(int port) { Channel.SetHttpPort(port); }

void TMainForm::SinchronizeOptions()
{
    ReportSettingsFileProblem();
    const std::string error = Channel.SinchronizeOptions();
    if (!error.empty()) ShowError(error);
}

bool TMainForm::SendHTTPServer(const std::string &IP, const std::string &RemoteIP, const std::string &Page,
                               const TPacket &Request, TPacket &Reply)
{
    std::string error;
    if (Channel.SendHTTPServer(IP, RemoteIP, Page, Request, Reply, &error)) return true;
    // Also when the program is ending, where the box no longer shows.
    ShowError(error.empty() ? "No Response from Device. Check the connection and try again." : error);
    return false;
}

bool TMainForm::SendHTTPAdminServer(const std::string &Msg, const std::string &IP, const std::string &RemoteIP,
                                    const TPacket &Request, TPacket &Reply)
{
    if (ProgramEnding()) return false;   // no request starts: no banner for it either
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
