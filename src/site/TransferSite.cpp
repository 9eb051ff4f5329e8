#include "TransferSite.h"

#include "Blocking.h"
#include "Command.h"
#include "MsgBox.h"
#include "NumFormat.h"
#include "QtStr.h"
#include "StrUtils.h"
#include "VXTOptions.h"
#include "VeltoSite.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <atomic>
#include <optional>

namespace vxt {

TfrmTransferSite *frmTransferSite = nullptr;

namespace {

const char kConnectError[] =
    "Error while trying to connect to Velto FTP Server.\r\nVerify connection or wait for Velto to establish the "
    "connection.";
const char kUploadCanceled[] =
    "The transfer was canceled: the Device Web Site is now incomplete.\r\nSend the Web Site again to restore it.";

template <typename T>
T *Named(T *w, const char *name)
{
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

// The program is ending while the session still runs on its worker: it stops, and what it had
// queued is dropped rather than sent after the user has gone.
void AbandonIfEnding(TFtpClient &c)
{
    if (ProgramEnding()) c.Abort();
}

}  // namespace

TfrmTransferSite::TfrmTransferSite(QWidget *parent)
    : QDialog(parent), workCount_(std::make_shared<std::atomic<int64_t>>(0)),
      workPending_(std::make_shared<std::atomic<bool>>(false)), dataOpened_(std::make_shared<std::atomic<bool>>(false))
{
    setObjectName(QStringLiteral("frmTransferSite"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Get Web Site from Velto"));

    QGroupBox *info = NewDeviceGroup("grpDeviceInformation", 1);

    auto *status = Named(new QGroupBox(QStringLiteral("Transfer Status")), "grpTransferStatus");
    lblDescription = Named(new QLabel, "lblDescription");
    lblStatus = Named(new QLabel, "lblStatus");
    QFont bold = lblStatus->font();
    bold.setBold(true);
    lblStatus->setFont(bold);
    lblStatus->setAlignment(Qt::AlignCenter);
    // Blinking must not move the lines below.
    QSizePolicy keep = lblStatus->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    lblStatus->setSizePolicy(keep);
    lblProgress = Named(new QLabel, "lblProgress");
    lblRate = Named(new QLabel, "lblRate");
    Progress = Named(new QProgressBar, "Progress");
    Progress->setTextVisible(false);
    auto *sv = new QVBoxLayout(status);
    sv->addWidget(lblDescription);
    sv->addWidget(lblStatus);
    sv->addWidget(Progress);
    sv->addWidget(lblProgress);
    sv->addWidget(lblRate);

    btnCancel = Named(new QPushButton(QStringLiteral("&Cancel")), "btnCancel");
    btnCancel->setMinimumWidth(90);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnCancel);
    buttons->addStretch();

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(info);
    layout->addWidget(status);
    layout->addLayout(buttons);

    TimerBlink = new QTimer(this);
    TimerBlink->setObjectName(QStringLiteral("TimerBlink"));
    TimerBlink->setInterval(500);

    ConnectCommand(btnCancel, &QPushButton::clicked, this, &TfrmTransferSite::btnCancelClick);
    // Cancel, and the close box that means Cancel, work while the transfer waits.
    KeepLiveDuringWait(btnCancel);
    KeepLiveDuringWait(this);
    ConnectCommand(TimerBlink, &QTimer::timeout, this, &TfrmTransferSite::TimerBlinkTimer);

    SetCancelState();
    // Fixed size, wide enough for the longest progress line of a full container.
    lblProgress->setText(QStringLiteral("Progress: 1572864 of 1572864 bytes"));
    lblStatus->setText(QStringLiteral("Connecting to FTP Server..."));
    setFixedSize(std::max(sizeHint().width(), 400), sizeHint().height());
    lblProgress->clear();
    lblStatus->clear();
}

TfrmTransferSite::~TfrmTransferSite()
{
    if (frmTransferSite == this) frmTransferSite = nullptr;
}

void TfrmTransferSite::SetCancelState()
{
    btnCancel->setText(QStringLiteral("&Cancel"));
    btnCancel->setDefault(false);
    btnCancel->setAutoDefault(false);
    escapeCloses_ = false;
}

void TfrmTransferSite::SetCloseState()
{
    btnCancel->setText(QStringLiteral("&Close"));
    btnCancel->setAutoDefault(true);
    btnCancel->setDefault(true);
    escapeCloses_ = true;
}

void TfrmTransferSite::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormShow();
    // The first activation of this showing starts the transfer; on platforms that activate no
    // window this still starts it.
    QTimer::singleShot(0, this, CommandSlot(this, &TfrmTransferSite::FormActivate));
}

bool TfrmTransferSite::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        QTimer::singleShot(0, this, CommandSlot(this, &TfrmTransferSite::FormActivate));
    return QDialog::event(event);
}

void TfrmTransferSite::FormShow()
{
    Completed = false;
    Transferring = false;
    Canceled = false;
    started_ = false;
    closeWhenDone_ = false;
    SetCancelState();
    TimerBlink->stop();
    lblStatus->setVisible(true);
    lblStatus->setText(QStringLiteral("Initializing..."));
    lblRate->setText(QStringLiteral("Transfer Rate: 0.00 KB/s"));
    Progress->setRange(0, 100);
    Progress->setValue(0);
    lblProgress->clear();
    if (Direction == 1) {
        setWindowTitle(QStringLiteral("Send Web Site to Velto"));
        lblDescription->setText(QStringLiteral("Send File To Velto FTP Server..."));
    } else {
        setWindowTitle(QStringLiteral("Get Web Site from Velto"));
        lblDescription->setText(QStringLiteral("Get File From Velto FTP Server..."));
    }
    ShowDevice(Device);
}

void TfrmTransferSite::FormActivate()
{
    if (started_ || !isVisible()) return;
    started_ = true;
    running_ = true;
    dataOpened_->store(false);
    Transfer();
    running_ = false;
    if (closeWhenDone_) {
        QDialog::done(QDialog::Rejected);
        // The device keeps what it got before the cancel, a container cut short. Before the data
        // connection opened, its file was not touched.
        if (Direction == 1 && dataOpened_->load() && !Completed) ShowWarning(kUploadCanceled);
    }
}

void TfrmTransferSite::ConfigureClient(TFtpClient &c)
{
    c.Port = FtpPort;
    c.ConnectTimeoutMs = 10000;
    c.ReadTimeoutMs = 10000;
    c.BufferSize = 65536;   // large chunks: 256-byte ones made the transfer four times slower than needed
    c.MaxRetrieveBytes = size_t(TVeltoSite::kCapacity);
    if (!Device.RemoteIP.empty()) {
        c.Host = Device.RemoteIP;
        if (GetFtpProxyEnabled()) {
            proxy_.Host = GetFtpProxyServer();
            proxy_.Port = GetFtpProxyPort();
            const bool auth = GetFtpProxyAuth();
            proxy_.UserName = auth ? GetFtpProxyUserName() : std::string();
            proxy_.Password = auth ? GetFtpProxyPassword() : std::string();
            const uint8_t method = GetFtpProxyMethod();
            if (method <= fpmUserFwUserHost) proxy_.Method = method;
        } else {
            proxy_.Method = fpmDirect;
        }
    } else {
        c.Host = Device.IP;
        proxy_.Method = fpmDirect;
    }
    c.ProxySettings = proxy_;
    c.UserName = Device.Username;
    c.Password = Device.Password;

    // Progress arrives on the worker; the window follows on the UI thread, one update at a time.
    QPointer<TfrmTransferSite> self(this);
    auto count = workCount_;
    auto pending = workPending_;
    auto opened = dataOpened_;
    c.OnWorkBegin = [self, opened](TFtpWorkMode mode, int64_t expected) {
        // Noted here, on the worker: a cancel may come before the window hears of it.
        opened->store(true);
        // The rate counts from when the bytes began to move, not from when the window got round to it.
        const auto began = std::chrono::steady_clock::now();
        QMetaObject::invokeMethod(
            self, [self, mode, expected, began]() { if (self) self->IdFTPWorkBegin(mode, expected, began); },
            Qt::QueuedConnection);
    };
    c.OnWork = [self, count, pending](TFtpWorkMode mode, int64_t n) {
        count->store(n);
        if (pending->exchange(true)) return;
        QMetaObject::invokeMethod(
            self,
            [self, mode, count, pending]() {
                pending->store(false);
                if (self) self->IdFTPWork(mode, count->load());
            },
            Qt::QueuedConnection);
    };
    c.OnWorkEnd = [self](TFtpWorkMode mode) {
        QMetaObject::invokeMethod(self, [self, mode]() { if (self) self->IdFTPWorkEnd(mode); }, Qt::QueuedConnection);
    };
}

void TfrmTransferSite::Finish(const char *status)
{
    lblStatus->setText(QString::fromLatin1(status));
    SetCloseState();
}

void TfrmTransferSite::Transfer()
{
    // The worker sends a copy of its own, taken before the session starts.
    const auto outgoing = std::make_shared<const std::string>(Direction == 1 && Stream ? *Stream : std::string());
    const TBusyScope busy;   // one request for the main window, however many steps
    client_ = std::make_shared<TFtpClient>();
    std::shared_ptr<TFtpClient> c = client_;
    lblStatus->setText(QStringLiteral("Connecting to FTP Server..."));
    // The session runs as one request: the worker goes from step to step without waiting for the
    // window, which follows by the steps it is sent (in order, before the transfer's progress).
    QPointer<TfrmTransferSite> self(this);
    const auto step = [self](const char *status, bool transferring, std::optional<int32_t> fileSize = std::nullopt) {
        QMetaObject::invokeMethod(
            self,
            [self, status, transferring, fileSize]() {
                if (!self) return;
                if (fileSize) self->FileSize = *fileSize;
                self->lblStatus->setText(QString::fromLatin1(status));
                self->Transferring = transferring;
            },
            Qt::QueuedConnection);
    };
    auto connected = std::make_shared<std::atomic<bool>>(false);
    const uint8_t direction = Direction;
    try {
        ConfigureClient(*c);
        std::string data = RunAndWait<std::string>([c, outgoing, direction, connected, step]() {
            c->Connect();
            connected->store(true);
            std::string got;
            if (direction == 1) {
                step("Sending File...", true);
                c->Put(*outgoing, kRemoteFile);
            } else {
                step("Getting File...", true, ListingFileSize(c->List()));
                got = c->Get(kRemoteFile);
            }
            step("Disconnecting...", true);
            c->Disconnect();
            return got;
        });
        if (direction == 0 && Stream) *Stream = std::move(data);
        Finish("TRANSFER COMPLETED!");
        Completed = true;
    } catch (const std::exception &) {
        AbandonIfEnding(*c);
        if (!connected->load()) {
            if (Canceled) {
                Finish("TRANSFER CANCELED!");
            } else {
                MessageDlg(kConnectError, MsgKind::Error, mbOK);
                Finish("TRANSFER ERROR!");
            }
        } else {
            try {
                RunAndWait<bool>([c]() {
                    c->Disconnect();
                    return true;
                });
            } catch (const std::exception &) {
            }
            Finish(Canceled ? "TRANSFER CANCELED!" : "TRANSFER ERROR!");
        }
    }
    Transferring = false;
    TimerBlink->start();
}

void TfrmTransferSite::IdFTPWorkBegin(TFtpWorkMode mode, int64_t expected, std::chrono::steady_clock::time_point began)
{
    if (mode == TFtpWorkMode::Write) FileSize = int32_t(std::min<int64_t>(expected, INT32_MAX));
    Progress->setRange(0, std::max(FileSize, 1));
    Progress->setValue(0);
    StartTime = began;
}

void TfrmTransferSite::IdFTPWork(TFtpWorkMode, int64_t count)
{
    const double t = std::chrono::duration<double>(std::chrono::steady_clock::now() - StartTime).count();
    if (t > 0) lblRate->setText(QStr("Transfer Rate: " + FloatToFixed(double(count) / 1024.0 / t, 2) + " KB/s"));
    lblProgress->setText(QStr(Format("Progress: %lld of %d bytes", static_cast<long long>(count), FileSize)));
    Progress->setValue(int(std::min<int64_t>(count, Progress->maximum())));
}

void TfrmTransferSite::IdFTPWorkEnd(TFtpWorkMode)
{
    lblProgress->setText(QStr(Format("Progress: %d of %d bytes", FileSize, FileSize)));
    FileSize = 0;
}

void TfrmTransferSite::btnCancelClick()
{
    if (running_) {
        // The work stops on the worker; the dialog closes once the routine has returned.
        Transferring = false;
        Canceled = true;
        closeWhenDone_ = true;
        if (client_) client_->Abort();
        return;
    }
    if (escapeCloses_) accept();
    else QDialog::reject();
}

void TfrmTransferSite::TimerBlinkTimer() { lblStatus->setVisible(!lblStatus->isVisible()); }

void TfrmTransferSite::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (escapeCloses_) btnCancel->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfrmTransferSite::reject()
{
    // The close box while the transfer runs is a Cancel.
    if (running_) {
        btnCancelClick();
        return;
    }
    QDialog::reject();
}

void TfrmTransferSite::done(int result)
{
    TimerBlink->stop();
    QDialog::done(result);
}

}  // namespace vxt
