// The main window: the document frame, the device list, the actions and their update rules.
#pragma once

#include "Documents.h"
#include "KProt.h"
#include "RequestChannel.h"
#include "VXTTypes.h"

#include <QMainWindow>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QMdiArea;
class QMenu;
class QSplitter;
class QTableWidget;
class QTableWidgetItem;
class QTimer;
class QToolBar;

namespace vxt {

class TMDIChild;
class TInfoMessage;
class TUdpEndpoint;

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(QWidget *parent = nullptr);
    ~TMainForm() override;

    // Components
    QMdiArea *MDIArea = nullptr;
    QTableWidget *lstDevices = nullptr;
    QSplitter *MainSplitter = nullptr;
    QToolBar *ToolBar = nullptr;
    QLabel *StatusPanel0 = nullptr;
    QLabel *StatusPanel1 = nullptr;
    QMenu *pupDevices = nullptr;
    QMenu *mnuWindow = nullptr;
    QTimer *tmrUDPResponse = nullptr;

    // Actions
    QAction *FileNew, *FileOpen, *FileSave, *FileSaveAs, *FileClose, *FileExit;
    QAction *DevicesSearchLocal, *DevicesSearchRemote, *DevicesConnect, *DevicesProperties;
    QAction *ConfigurationAddTag, *ConfigurationEditTag, *ConfigurationRemoveTag, *ConfigurationSendToVelto,
        *ConfigurationGetFromVelto;
    QAction *WebSiteAddFile, *WebSiteExtractFile, *WebSiteViewFile, *WebSiteRemoveFile, *WebSiteSendToVelto,
        *WebSiteGetFromVelto;
    QAction *ToolsTagMonitor, *ToolsOptions, *ToolsAbout;
    QAction *WindowCascade, *WindowMinimizeAll;

    // State
    int32_t NewFileCounter = 1;
    uint8_t LocatorState = 0;
    bool DeviceAcked = false;
    std::string AwaitedMAC;
    TInfoMessage *InfoMessage = nullptr;
    bool Connected = false;
    TDeviceData ConnectedDevice;

    // The UDP socket and the request channel with its two HTTP clients.
    TUdpEndpoint *IdUDPServer = nullptr;
    TRequestChannel Channel;
    THttpClient &IdHTTPLocal = Channel.IdHTTPLocal;
    THttpClient &IdHTTPRemote = Channel.IdHTTPRemote;
    QStringList Bindings;   // the local addresses the socket serves

    // Network ports and addresses; tests and the emulator change them.
    quint16 UdpLocalPort = 998;
    quint16 UdpDevicePort = 998;
    QString BroadcastAddress = QStringLiteral("255.255.255.255");
    void SetHttpPort(int port);

    // The request channel: a failure shows "No Response from Device..." before false is returned.
    bool SendHTTPServer(const std::string &IP, const std::string &RemoteIP, const std::string &Page,
                        const TPacket &Request, TPacket &Reply);
    bool SendHTTPAdminServer(const std::string &Msg, const std::string &IP, const std::string &RemoteIP,
                             const TPacket &Request, TPacket &Reply);
    bool SendHTTPAdminNoInfo(const std::string &IP, const std::string &RemoteIP, const TPacket &Request,
                             TPacket &Reply);

    // The device locator
    void SendUDPPacket(const std::string &Data);
    void SetDeviceLocatorAction(uint8_t State, const std::string &MAC);
    void IdUDPServerUDPRead(const QByteArray &data);
    void tmrUDPResponseTimer();
    void GetDeviceData(const std::string &Packet, TDeviceData &Dev) const;
    int DeviceIsListed(const TDeviceData &Dev) const;
    void AddDeviceToList(const TDeviceData &Dev);
    void DevicesSearchLocalExecute();
    void DevicesSearchRemoteExecute();

    // Connecting
    void DevicesConnectExecute();
    bool ConnectToDevice(const TDeviceData &Dev);
    void DevicesPropertiesExecute();

    void FormShow();
    void SinchronizeOptions();
    void ApplicationUpdate();
    void ActionListUpdate();
    // Both update rules, as the idle-time refresh runs them.
    void UpdateActions();

    TMDIChild *ActiveDocument() const;
    QList<TMDIChild *> Documents() const;
    // Adds a new document window to the frame and makes it the active one.
    void AddDocument(TMDIChild *doc);
    TMDIChild *CreateDocument(DocKind kind);

    // Device list rows: the caption and sub-items 0 to 10 (8 to 10 are hidden values).
    int DeviceCount() const;
    std::string RowCaption(int row) const;
    std::string RowSubItem(int row, int index) const;
    void SetRow(int row, const std::string &caption, const std::vector<std::string> &subItems);
    int SelectedRow() const;
    void SortDevices();

    // Commands
    void FileNewExecute();
    void FileOpenExecute();
    void OpenFile(const std::string &fileName);
    // The program's arguments as the system gave them (argv, the program first): one file is opened.
    void OpenCommandLine(int argc, const char *const argv[]);
    void FileSaveExecute();
    void FileSaveAsExecute();
    void FileCloseExecute();
    void FileExitExecute();
    void ConfigurationAddTagExecute();
    void ConfigurationEditTagExecute();
    void ConfigurationRemoveTagExecute();
    void ConfigurationSendToVeltoExecute();
    void ConfigurationGetFromVeltoExecute();
    void WebSiteAddFileExecute();
    void WebSiteExtractFileExecute();
    void WebSiteViewFileExecute();
    void WebSiteRemoveFileExecute();
    void WebSiteSendToVeltoExecute();
    void WebSiteGetFromVeltoExecute();
    void ToolsOptionsExecute();
    void ToolsAboutExecute();
    void ToolsTagMonitorExecute();

    // Commands that windows of other libraries supply at start-up.
    struct Hooks {
        std::function<void(const TDeviceData &)> ShowTagMonitor;
        // The close of this window was accepted: the program that shows it ends.
        std::function<void()> EndProgram;
    } hooks;

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool event(QEvent *event) override;

private:
    QAction *MakeAction(const char *name, const char *caption, const char *hint, int image);
    void CreateActions();
    void CreateMenus();
    void CreateDeviceList();
    void RebuildWindowMenu();
    void SetBusy(bool busy);

    std::vector<QAction *> allActions_;
    bool shown_ = false;
    int busy_ = 0;
};

extern TMainForm *MainForm;

// The firmware notice for a device without the manageable-firmware mark.
std::string NoSNFirmwareText();
// Shows the non-compatible version notice with a reason and the device's version.
void ShowVersionNotice(const std::string &reason, const std::string &version);

}  // namespace vxt
