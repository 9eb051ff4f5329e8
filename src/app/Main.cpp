#include "Main.h"

#include "About.h"
#include "Blocking.h"
#include "ChildWin.h"
#include "Command.h"
#include "FileDialog.h"
#include "FileUtils.h"
#include "Icons.h"
#include "InfoMsg.h"
#include "KeyFilter.h"
#include "MsgBox.h"
#include "NewFile.h"
#include "Options.h"
#include "QtStr.h"
#include "StrUtils.h"
#include "UdpEndpoint.h"
#include "Utiles.h"
#include "VXTOptions.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTableWidget>
#include <QTimer>
#include <algorithm>
#include <QToolBar>

namespace vxt {

TMainForm *MainForm = nullptr;

namespace {

// The hidden sub-items 8 to 10 ride on the caption item.
constexpr int kHiddenRole = Qt::UserRole + 100;
constexpr int kVisibleColumns = 9;

struct Column {
    const char *Caption;
    int Width;
    Qt::Alignment Align;
};
const Column kColumns[kVisibleColumns] = {
    {"Device", 140, Qt::AlignLeft},       {"Host", 120, Qt::AlignLeft},       {"MAC", 104, Qt::AlignHCenter},
    {"Version", 50, Qt::AlignHCenter},    {"DHCP", 50, Qt::AlignHCenter},     {"IP Address", 95, Qt::AlignHCenter},
    {"Netmask", 95, Qt::AlignHCenter},    {"Gateway", 95, Qt::AlignHCenter},  {"Remote IP/Host", 95, Qt::AlignLeft},
};

// The first probe, in the open command's order, that takes the file's content.
std::optional<DocKind> ProbedKind(const std::string &content)
{
    if (IsModbusConfigContent(content)) return DocKind::Modbus;
    if (IsHostlinkConfigContent(content)) return DocKind::Hostlink;
    if (IsDF1ConfigContent(content)) return DocKind::DF1;
    if (IsSiteContent(content)) return DocKind::Site;
    return std::nullopt;
}

}  // namespace

TMainForm::TMainForm(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("MainForm"));
    MainForm = this;
    CreateActions();
    CreateMenus();
    CreateDeviceList();

    MDIArea = new QMdiArea;
    MDIArea->setObjectName(QStringLiteral("MDIArea"));
    MDIArea->setBackground(palette().brush(QPalette::Dark));
    MainSplitter = new QSplitter(Qt::Vertical);
    MainSplitter->setObjectName(QStringLiteral("MainSplitter"));
    MainSplitter->addWidget(MDIArea);
    MainSplitter->addWidget(lstDevices);
    MainSplitter->setStretchFactor(0, 1);
    MainSplitter->setStretchFactor(1, 0);
    MainSplitter->setChildrenCollapsible(false);
    MainSplitter->setSizes({600, 89});
    setCentralWidget(MainSplitter);

    StatusPanel0 = new QLabel;
    StatusPanel0->setObjectName(QStringLiteral("StatusPanel0"));
    StatusPanel1 = new QLabel;
    StatusPanel1->setObjectName(QStringLiteral("StatusPanel1"));
    for (QLabel *p : {StatusPanel0, StatusPanel1}) {
        // 250 pixels at least; a longer text widens its panel rather than being cut.
        p->setMinimumWidth(250);
        p->setFrameShape(QFrame::StyledPanel);
        p->setFrameShadow(QFrame::Sunken);
        statusBar()->addWidget(p);
    }
    statusBar()->setObjectName(QStringLiteral("StatusBar"));

    tmrUDPResponse = new QTimer(this);
    tmrUDPResponse->setObjectName(QStringLiteral("tmrUDPResponse"));
    ConnectCommand(tmrUDPResponse, &QTimer::timeout, this, &TMainForm::tmrUDPResponseTimer);
    IdUDPServer = new TUdpEndpoint(this);
    connect(IdUDPServer, &TUdpEndpoint::Received, this,
            [this](const QByteArray &data, const QString &, quint16) { IdUDPServerUDPRead(data); });

    // FormCreate
    Connected = false;
    NewFileCounter = 1;
    GetBlockingHooks().Enter = [this]() { SetBusy(true); };
    GetBlockingHooks().Leave = [this]() { SetBusy(false); };
    // Closing the frame ends the program, which gives up a request still waiting for its device.
    KeepLiveDuringWait(this);
    // The action states follow the program whenever it falls idle.
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
            &TMainForm::UpdateActions);
    connect(MDIArea, &QMdiArea::subWindowActivated, this, &TMainForm::UpdateActions);
    UpdateActions();
}

TMainForm::~TMainForm()
{
    // Document windows close while the frame goes; the half-destroyed frame must not react.
    disconnect(MDIArea, nullptr, this, nullptr);
    disconnect(QAbstractEventDispatcher::instance(), nullptr, this, nullptr);
    GetBlockingHooks() = BlockingHooks{};
    if (MainForm == this) MainForm = nullptr;
}

QAction *TMainForm::MakeAction(const char *name, const char *caption, const char *hint, int image)
{
    auto *a = new QAction(QString::fromLatin1(caption), this);
    a->setObjectName(QString::fromLatin1(name));
    a->setStatusTip(QString::fromLatin1(hint));
    a->setToolTip(QString::fromLatin1(hint));
    if (image >= 0) a->setIcon(ImageListIcon(image));
    allActions_.push_back(a);
    return a;
}

void TMainForm::CreateActions()
{
    FileNew = MakeAction("FileNew", "&New...", "Create a new File", 0);
    FileOpen = MakeAction("FileOpen", "&Open...", "Open an existing File", 1);
    FileOpen->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    FileSave = MakeAction("FileSave", "&Save", "Save current File", 2);
    FileSave->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    FileSaveAs = MakeAction("FileSaveAs", "Save &As...", "Save current File with new name", -1);
    FileClose = MakeAction("FileClose", "&Close", "Close current File", -1);
    FileExit = MakeAction("FileExit", "E&xit", "Exit VXT", -1);
    FileExit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
    DevicesSearchLocal = MakeAction("DevicesSearchLocal", "Search &Local Devices", "Search Local Devices", 3);
    DevicesSearchRemote = MakeAction("DevicesSearchRemote", "Search &Remote Device...", "Search Remote Devices", -1);
    DevicesConnect = MakeAction("DevicesConnect", "Co&nnect...", "Connect to Velto", 7);
    DevicesConnect->setCheckable(true);
    DevicesProperties = MakeAction("DevicesProperties", "&Properties...", "Edit Device Properties", 4);
    ConfigurationAddTag = MakeAction("ConfigurationAddTag", "A&dd Tag...", "Add Tag", 10);
    ConfigurationEditTag = MakeAction("ConfigurationEditTag", "&Edit Tag...", "Edit Selected Tag", 11);
    ConfigurationRemoveTag = MakeAction("ConfigurationRemoveTag", "&Remove Tag", "Remove Selected Tag", 12);
    ConfigurationSendToVelto = MakeAction("ConfigurationSendToVelto", "&Send To Velto...",
                                          "Send Configuration To Connected Velto", 14);
    ConfigurationGetFromVelto = MakeAction("ConfigurationGetFromVelto", "&Get From Velto...",
                                           "Get Configuration From Connected Velto", 15);
    WebSiteAddFile = MakeAction("WebSiteAddFile", "&Add File...", "Add File to Web Site", 13);
    WebSiteExtractFile = MakeAction("WebSiteExtractFile", "&Extract File...", "Extract File from Web Site", 19);
    WebSiteViewFile = MakeAction("WebSiteViewFile", "&View File...", "View File from Web Site", 20);
    WebSiteRemoveFile = MakeAction("WebSiteRemoveFile", "&Remove File...", "Remove File from Web Site", 18);
    WebSiteSendToVelto = MakeAction("WebSiteSendToVelto", "&Send To Velto...", "Send Web Site To Connected Velto", 16);
    WebSiteGetFromVelto =
        MakeAction("WebSiteGetFromVelto", "&Get From Velto...", "Get Web Site From Connected Velto", 17);
    ToolsTagMonitor = MakeAction("ToolsTagMonitor", "Tag &Monitor...", "Monitor a Tag Value from Connected Velto", 21);
    ToolsOptions = MakeAction("ToolsOptions", "&Options...", "VXT Options", 9);
    ToolsAbout = MakeAction("ToolsAbout", "A&bout...", "Show VXT Information", 22);
    WindowCascade = MakeAction("WindowCascade", "&Cascade", "Cascade", 5);
    WindowMinimizeAll = MakeAction("WindowMinimizeAll", "&Minimize All", "Minimize All", 6);

    for (QAction *a : {DevicesProperties, DevicesConnect, ConfigurationAddTag, ConfigurationEditTag,
                       ConfigurationRemoveTag, ConfigurationSendToVelto})
        a->setEnabled(false);

    ConnectCommand(FileNew, &QAction::triggered, this, &TMainForm::FileNewExecute);
    ConnectCommand(FileOpen, &QAction::triggered, this, &TMainForm::FileOpenExecute);
    ConnectCommand(FileSave, &QAction::triggered, this, &TMainForm::FileSaveExecute);
    ConnectCommand(FileSaveAs, &QAction::triggered, this, &TMainForm::FileSaveAsExecute);
    ConnectCommand(FileClose, &QAction::triggered, this, &TMainForm::FileCloseExecute);
    ConnectCommand(FileExit, &QAction::triggered, this, &TMainForm::FileExitExecute);
    ConnectCommand(DevicesSearchLocal, &QAction::triggered, this, &TMainForm::DevicesSearchLocalExecute);
    ConnectCommand(DevicesSearchRemote, &QAction::triggered, this, &TMainForm::DevicesSearchRemoteExecute);
    ConnectCommand(DevicesConnect, &QAction::triggered, this, &TMainForm::DevicesConnectExecute);
    ConnectCommand(DevicesProperties, &QAction::triggered, this, &TMainForm::DevicesPropertiesExecute);
    ConnectCommand(ConfigurationAddTag, &QAction::triggered, this, &TMainForm::ConfigurationAddTagExecute);
    ConnectCommand(ConfigurationEditTag, &QAction::triggered, this, &TMainForm::ConfigurationEditTagExecute);
    ConnectCommand(ConfigurationRemoveTag, &QAction::triggered, this, &TMainForm::ConfigurationRemoveTagExecute);
    ConnectCommand(ConfigurationSendToVelto, &QAction::triggered, this, &TMainForm::ConfigurationSendToVeltoExecute);
    ConnectCommand(ConfigurationGetFromVelto, &QAction::triggered, this, &TMainForm::ConfigurationGetFromVeltoExecute);
    ConnectCommand(WebSiteAddFile, &QAction::triggered, this, &TMainForm::WebSiteAddFileExecute);
    ConnectCommand(WebSiteExtractFile, &QAction::triggered, this, &TMainForm::WebSiteExtractFileExecute);
    ConnectCommand(WebSiteViewFile, &QAction::triggered, this, &TMainForm::WebSiteViewFileExecute);
    ConnectCommand(WebSiteRemoveFile, &QAction::triggered, this, &TMainForm::WebSiteRemoveFileExecute);
    ConnectCommand(WebSiteSendToVelto, &QAction::triggered, this, &TMainForm::WebSiteSendToVeltoExecute);
    ConnectCommand(WebSiteGetFromVelto, &QAction::triggered, this, &TMainForm::WebSiteGetFromVeltoExecute);
    ConnectCommand(ToolsTagMonitor, &QAction::triggered, this, &TMainForm::ToolsTagMonitorExecute);
    ConnectCommand(ToolsOptions, &QAction::triggered, this, &TMainForm::ToolsOptionsExecute);
    ConnectCommand(ToolsAbout, &QAction::triggered, this, &TMainForm::ToolsAboutExecute);
    ConnectCommand(WindowCascade, &QAction::triggered, this, [this]() { MDIArea->cascadeSubWindows(); });
    ConnectCommand(WindowMinimizeAll, &QAction::triggered, this, [this]() {
        for (QMdiSubWindow *w : MDIArea->subWindowList()) w->showMinimized();
    });
}

void TMainForm::CreateMenus()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu"));
    QMenu *file = bar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    file->addAction(FileNew);
    file->addSeparator();
    file->addActions({FileOpen, FileSave, FileSaveAs, FileClose});
    file->addSeparator();
    file->addAction(FileExit);

    QMenu *devices = bar->addMenu(QStringLiteral("&Devices"));
    devices->setObjectName(QStringLiteral("mnuDevices"));
    // Ctrl+L belongs to the menu entry only.
    auto *searchLocalEntry = new QAction(DevicesSearchLocal->text(), this);
    searchLocalEntry->setObjectName(QStringLiteral("mnuDevicesSearchLocal"));
    searchLocalEntry->setIcon(DevicesSearchLocal->icon());
    searchLocalEntry->setStatusTip(DevicesSearchLocal->statusTip());
    searchLocalEntry->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    allActions_.push_back(searchLocalEntry);
    ConnectCommand(searchLocalEntry, &QAction::triggered, DevicesSearchLocal, &QAction::trigger);
    connect(DevicesSearchLocal, &QAction::changed, searchLocalEntry,
            [this, searchLocalEntry]() { searchLocalEntry->setEnabled(DevicesSearchLocal->isEnabled()); });
    devices->addAction(searchLocalEntry);
    devices->addAction(DevicesSearchRemote);
    devices->addSeparator();
    devices->addAction(DevicesConnect);
    devices->addSeparator();
    devices->addAction(DevicesProperties);

    QMenu *config = bar->addMenu(QStringLiteral("&Configuration"));
    config->setObjectName(QStringLiteral("mnuConfiguration"));
    config->addActions({ConfigurationAddTag, ConfigurationEditTag, ConfigurationRemoveTag});
    config->addSeparator();
    config->addActions({ConfigurationSendToVelto, ConfigurationGetFromVelto});

    QMenu *site = bar->addMenu(QStringLiteral("Web &Site"));
    site->setObjectName(QStringLiteral("mnuWebSite"));
    site->addActions({WebSiteAddFile, WebSiteExtractFile, WebSiteViewFile, WebSiteRemoveFile});
    site->addSeparator();
    site->addActions({WebSiteSendToVelto, WebSiteGetFromVelto});

    QMenu *tools = bar->addMenu(QStringLiteral("&Tools"));
    tools->setObjectName(QStringLiteral("mnuTools"));
    tools->addActions({ToolsTagMonitor, ToolsOptions});
    tools->addSeparator();
    tools->addAction(ToolsAbout);

    mnuWindow = bar->addMenu(QStringLiteral("&Window"));
    mnuWindow->setObjectName(QStringLiteral("mnuWindow"));
    connect(mnuWindow, &QMenu::aboutToShow, this, &TMainForm::RebuildWindowMenu);
    RebuildWindowMenu();

    ToolBar = addToolBar(QStringLiteral("ToolBar"));
    ToolBar->setObjectName(QStringLiteral("ToolBar"));
    ToolBar->setMovable(false);
    ToolBar->setIconSize(QSize(24, 24));
    ToolBar->addActions({FileNew, FileOpen, FileSave});
    ToolBar->addSeparator();
    ToolBar->addActions({DevicesSearchLocal, DevicesProperties, DevicesConnect});
    ToolBar->addSeparator();
    ToolBar->addActions({ConfigurationAddTag, ConfigurationEditTag, ConfigurationRemoveTag, ConfigurationSendToVelto,
                         ConfigurationGetFromVelto});
    ToolBar->addSeparator();
    ToolBar->addActions({WebSiteAddFile, WebSiteExtractFile, WebSiteViewFile, WebSiteRemoveFile, WebSiteSendToVelto,
                         WebSiteGetFromVelto});

    pupDevices = new QMenu(this);
    pupDevices->setObjectName(QStringLiteral("pupDevices"));
    pupDevices->addActions({DevicesSearchLocal, DevicesSearchRemote});
    pupDevices->addSeparator();
    pupDevices->addActions({DevicesProperties, DevicesConnect});
}

void TMainForm::RebuildWindowMenu()
{
    mnuWindow->clear();
    mnuWindow->addActions({WindowCascade, WindowMinimizeAll});
    const QList<QMdiSubWindow *> windows = MDIArea ? MDIArea->subWindowList() : QList<QMdiSubWindow *>();
    if (!windows.isEmpty()) mnuWindow->addSeparator();
    int n = 1;
    for (QMdiSubWindow *w : windows) {
        QAction *a = mnuWindow->addAction(QStringLiteral("&%1 %2").arg(n++).arg(w->windowTitle()));
        a->setCheckable(true);
        a->setChecked(w == MDIArea->currentSubWindow());
        ConnectCommand(a, &QAction::triggered, this, [this, w]() {
            if (w->isMinimized()) w->showNormal();
            MDIArea->setActiveSubWindow(w);
        });
    }
}

void TMainForm::CreateDeviceList()
{
    lstDevices = new QTableWidget(0, kVisibleColumns);
    lstDevices->setObjectName(QStringLiteral("lstDevices"));
    lstDevices->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstDevices->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstDevices->setSelectionMode(QAbstractItemView::SingleSelection);
    lstDevices->setShowGrid(true);
    lstDevices->verticalHeader()->hide();
    lstDevices->verticalHeader()->setDefaultSectionSize(lstDevices->fontMetrics().height() + 4);
    lstDevices->horizontalHeader()->setHighlightSections(false);
    lstDevices->horizontalHeader()->setStretchLastSection(false);
    lstDevices->setWordWrap(false);
    lstDevices->setMinimumHeight(60);
    for (int c = 0; c < kVisibleColumns; ++c) {
        auto *h = new QTableWidgetItem(QString::fromLatin1(kColumns[c].Caption));
        h->setTextAlignment(kColumns[c].Align | Qt::AlignVCenter);
        lstDevices->setHorizontalHeaderItem(c, h);
        lstDevices->setColumnWidth(c, kColumns[c].Width);
    }
    // The selection stays visible when the list loses the focus.
    QPalette p = lstDevices->palette();
    p.setBrush(QPalette::Inactive, QPalette::Highlight, p.brush(QPalette::Active, QPalette::Highlight));
    p.setBrush(QPalette::Inactive, QPalette::HighlightedText, p.brush(QPalette::Active, QPalette::HighlightedText));
    lstDevices->setPalette(p);
    lstDevices->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(lstDevices, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { pupDevices->popup(lstDevices->viewport()->mapToGlobal(pos)); });
    connect(lstDevices, &QTableWidget::itemSelectionChanged, this, &TMainForm::UpdateActions);
}

int TMainForm::DeviceCount() const { return lstDevices->rowCount(); }

std::string TMainForm::RowCaption(int row) const
{
    QTableWidgetItem *it = lstDevices->item(row, 0);
    return it ? StdStr(it->text()) : std::string();
}

std::string TMainForm::RowSubItem(int row, int index) const
{
    if (index >= 0 && index < kVisibleColumns - 1) {
        QTableWidgetItem *it = lstDevices->item(row, index + 1);
        return it ? StdStr(it->text()) : std::string();
    }
    QTableWidgetItem *it = lstDevices->item(row, 0);
    return it ? StdStr(it->data(kHiddenRole + index).toString()) : std::string();
}

void TMainForm::SetRow(int row, const std::string &caption, const std::vector<std::string> &subItems)
{
    auto *first = new QTableWidgetItem(QStr(caption));
    first->setTextAlignment(kColumns[0].Align | Qt::AlignVCenter);
    for (size_t i = kVisibleColumns - 1; i < subItems.size(); ++i)
        first->setData(kHiddenRole + int(i), QStr(subItems[i]));
    lstDevices->setItem(row, 0, first);
    for (int c = 1; c < kVisibleColumns; ++c) {
        auto *it = new QTableWidgetItem(size_t(c - 1) < subItems.size() ? QStr(subItems[size_t(c - 1)]) : QString());
        it->setTextAlignment(kColumns[c].Align | Qt::AlignVCenter);
        lstDevices->setItem(row, c, it);
    }
}

void TMainForm::SortDevices()
{
    lstDevices->sortItems(0, Qt::AscendingOrder);
    // The columns keep their widths unless a text needs more room.
    for (int c = 0; c < kVisibleColumns; ++c)
        lstDevices->setColumnWidth(
            c, std::max(kColumns[c].Width, static_cast<QAbstractItemView *>(lstDevices)->sizeHintForColumn(c)));
}

int TMainForm::SelectedRow() const
{
    const QList<QTableWidgetItem *> sel = lstDevices->selectedItems();
    return sel.isEmpty() ? -1 : sel.first()->row();
}

TMDIChild *TMainForm::ActiveDocument() const
{
    return qobject_cast<TMDIChild *>(MDIArea->currentSubWindow());
}

QList<TMDIChild *> TMainForm::Documents() const
{
    QList<TMDIChild *> r;
    const QList<QMdiSubWindow *> windows = MDIArea->subWindowList(QMdiArea::StackingOrder);
    // The active one first, as the frame counts its documents.
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
        if (auto *d = qobject_cast<TMDIChild *>(*it)) r << d;
    return r;
}

void TMainForm::AddDocument(TMDIChild *doc)
{
    GuardLineEdits(doc);
    MDIArea->addSubWindow(doc);
    doc->show();
    MDIArea->setActiveSubWindow(doc);
    UpdateActions();
}

TMDIChild *TMainForm::CreateDocument(DocKind kind)
{
    const DocumentClass *cls = FindDocumentClass(kind);
    if (!cls) return nullptr;
    TMDIChild *doc = cls->Create();
    doc->setWindowIcon(NewFileIcon(int(kind)));
    AddDocument(doc);
    return doc;
}

void TMainForm::FormShow()
{
    Bindings = TUdpEndpoint::LocalAddresses();
    if (!InfoMessage) InfoMessage = new TInfoMessage(this);
    SinchronizeOptions();
    LocatorState = 0;
    DeviceAcked = false;
    AwaitedMAC.clear();
}

void TMainForm::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        RunCommand([this] { FormShow(); });
    }
}

void TMainForm::SetBusy(bool busy)
{
    busy_ += busy ? 1 : -1;
    // Only the first request of a run switches the actions off and only the last one back on.
    if (busy_ == (busy ? 1 : 0)) UpdateActions();
}

void TMainForm::UpdateActions()
{
    if (busy_ > 0) {
        // A request is running: no second command may start on the same channel.
        for (QAction *a : allActions_) a->setEnabled(false);
        return;
    }
    ApplicationUpdate();
    ActionListUpdate();
}

void TMainForm::ApplicationUpdate()
{
    for (QAction *a : {FileNew, FileOpen, FileExit, DevicesSearchLocal, DevicesSearchRemote, ToolsOptions, ToolsAbout})
        a->setEnabled(true);

    // 1. Connection
    std::string connection;
    for (QAction *a : {ConfigurationGetFromVelto, WebSiteGetFromVelto, ToolsTagMonitor}) a->setEnabled(Connected);
    if (Connected) {
        connection = ConnectedDevice.Device + "/" + ConnectedDevice.MAC;
        StatusPanel1->setText(QStr("Connected To: " + connection));
    } else {
        connection = "Not Connected";
        StatusPanel1->setText(QStringLiteral("Not Connected"));
    }

    // 2. Documents
    std::string document;
    TMDIChild *doc = ActiveDocument();
    const bool anyDocument = !MDIArea->subWindowList().isEmpty();
    WindowCascade->setEnabled(anyDocument);
    WindowMinimizeAll->setEnabled(anyDocument);
    if (!doc) {
        for (QAction *a : {FileSave, FileSaveAs, FileClose, ConfigurationAddTag, ConfigurationEditTag,
                           ConfigurationRemoveTag, ConfigurationSendToVelto, WebSiteAddFile, WebSiteExtractFile,
                           WebSiteViewFile, WebSiteRemoveFile, WebSiteSendToVelto})
            a->setEnabled(false);
    } else {
        for (QAction *a : {FileSave, FileSaveAs, FileClose}) a->setEnabled(true);
        document = doc->FileName;
        // 4. The modified mark, on the active document only.
        QString caption = doc->windowTitle();
        if (!doc->Saved && !caption.endsWith(QLatin1Char('*')))
            doc->setWindowTitle(caption + QLatin1Char('*'));
        else if (doc->Saved && caption.endsWith(QLatin1Char('*')))
            doc->setWindowTitle(caption.left(caption.size() - 1));
        // 5. Sending needs a device and a document of a kind that can go to it.
        const std::optional<DocKind> kind = KindOf(doc);
        ConfigurationSendToVelto->setEnabled(Connected && IsConfigKind(kind));
        WebSiteSendToVelto->setEnabled(Connected && kind == DocKind::Site);
        // 6. Tag commands
        const bool tagsPage = IsConfigKind(kind) && doc->TagsPageActive();
        ConfigurationAddTag->setEnabled(tagsPage);
        ConfigurationEditTag->setEnabled(tagsPage && doc->HasSelectedItem());
        ConfigurationRemoveTag->setEnabled(tagsPage && doc->HasSelectedItem());
        // 7. Web-site file commands
        const bool site = kind == DocKind::Site;
        WebSiteAddFile->setEnabled(site);
        for (QAction *a : {WebSiteExtractFile, WebSiteViewFile, WebSiteRemoveFile})
            a->setEnabled(site && doc->HasSelectedItem());
    }
    // 8. Caption
    // The document text is a file name, the connection text a device's.
    const QString title =
        QStringLiteral("VXT - [") + QShown(document) + QStringLiteral("] - ") + QStr(connection);
    if (windowTitle() != title) setWindowTitle(title);
}

void TMainForm::ActionListUpdate()
{
    const int row = SelectedRow();
    if (row < 0) {
        DevicesProperties->setEnabled(false);
        DevicesProperties->setText(QStringLiteral("&Properties..."));
        DevicesProperties->setStatusTip(QStringLiteral("Edit Device Properties"));
        DevicesProperties->setToolTip(QStringLiteral("Edit Device Properties"));
        DevicesConnect->setEnabled(DevicesConnect->isChecked());
        return;
    }
    const std::string name = RowCaption(row) + "/" + RowSubItem(row, 1);
    DevicesProperties->setEnabled(true);
    DevicesProperties->setText(QStr("&Properties of " + name + "..."));
    DevicesProperties->setStatusTip(QStr("Edit Properties of " + name));
    DevicesProperties->setToolTip(QStr("Edit Properties of " + name));
    DevicesConnect->setEnabled(true);
}

bool TMainForm::event(QEvent *event)
{
    // Panel 0 shows the current hint; the status bar's own message would cover both panels.
    if (event->type() == QEvent::StatusTip) {
        StatusPanel0->setText(static_cast<QStatusTipEvent *>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

void TMainForm::FileNewExecute()
{
    if (!frmNewFile || frmNewFile->exec() != QDialog::Accepted) return;
    const DocKind kind = static_cast<DocKind>(frmNewFile->Selection);
    const DocumentClass *cls = FindDocumentClass(kind);
    if (!cls) return;
    TMDIChild *doc = CreateDocument(kind);
    doc->New("noname" + std::to_string(NewFileCounter) + cls->Extension);
    NewFileCounter++;
}

void TMainForm::FileOpenExecute()
{
    std::optional<std::string> name =
        GetOpenFileName(this, "Open", "Velto Configuration File (*.vlt)|*.vlt|Velto Web Site (*.kws)|*.kws");
    if (name) OpenFile(*name);
}

void TMainForm::OpenFile(const std::string &fileName)
{
    RunCommand([&]() {
        // The probes and the document take the same bytes: a slow disk is read once.
        const std::optional<std::string> content = ReadDocumentFile(fileName);
        const std::optional<DocKind> kind = content ? ProbedKind(*content) : std::nullopt;
        if (!kind || !FindDocumentClass(*kind)) {
            ShowError(Format("The File \"%s\" is not recognized as a valid file", fileName.c_str()));
            return;
        }
        CreateDocument(*kind)->OpenContent(fileName, *content);
    });
}

void TMainForm::OpenCommandLine(int argc, const char *const argv[])
{
    // The name's bytes are the file's name as it is: no text conversion can improve on them.
    if (argc == 2) OpenFile(argv[1]);
}

void TMainForm::FileSaveExecute()
{
    if (TMDIChild *doc = ActiveDocument()) RunCommand([doc]() { doc->Save(); });
}

void TMainForm::FileSaveAsExecute()
{
    if (TMDIChild *doc = ActiveDocument()) RunCommand([doc]() { doc->SaveAs(); });
}

void TMainForm::FileCloseExecute()
{
    if (TMDIChild *doc = ActiveDocument()) doc->close();
}

void TMainForm::FileExitExecute() { close(); }

void TMainForm::closeEvent(QCloseEvent *event)
{
    // A failure while asking keeps the program running, as a Cancel does.
    const bool asked = RunCommand([&] {
        // Every modified document is asked once; a Cancel on any keeps the program running.
        const QList<TMDIChild *> docs = Documents();
        for (TMDIChild *d : docs) {
            bool ok = false;
            RunCommand([&]() { ok = d->OnCloseQuery(); });
            if (!ok) {
                event->ignore();
                return;
            }
        }
        for (TMDIChild *d : docs) {
            d->CloseConfirmed();
            d->close();
        }
        event->accept();
        // Now, not by the quit of the last window closed: a command whose answer came while the
        // user was asked would go on meanwhile and open its next window.
        if (hooks.EndProgram) hooks.EndProgram();
    });
    if (!asked) event->ignore();
}

void TMainForm::ToolsOptionsExecute()
{
    if (frmOptions && frmOptions->exec() == QDialog::Accepted) SinchronizeOptions();
}

void TMainForm::ToolsAboutExecute()
{
    if (!frmAbout) return;
    frmAbout->lblSNMP->setVisible(true);
    frmAbout->exec();
}

void TMainForm::ToolsTagMonitorExecute()
{
    if (Connected && hooks.ShowTagMonitor) hooks.ShowTagMonitor(ConnectedDevice);
}

}  // namespace vxt
