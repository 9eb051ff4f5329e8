#include "Monitor.h"

#include "Blocking.h"
#include "Command.h"
#include "GetTagConfig.h"
#include "MsgBox.h"
#include "NumFormat.h"
#include "QtStr.h"
#include "StrUtils.h"
#include "WriteValue.h"

#include <QChartView>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace vxt {

TfrmMonitor *frmMonitor = nullptr;

namespace {

QLabel *MakeBox(QWidget *parent, const char *name, int minWidth = 120)
{
    auto *box = new QLabel(parent);
    box->setObjectName(QLatin1String(name));
    box->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    box->setMinimumWidth(minWidth);
    box->setTextInteractionFlags(Qt::NoTextInteraction);
    return box;
}

void AddRow(QGridLayout *grid, int row, int column, const char *caption, QWidget *box, QWidget *parent)
{
    auto *label = new QLabel(QLatin1String(caption), parent);
    label->setBuddy(box);
    grid->addWidget(label, row, column);
    grid->addWidget(box, row, column + 1);
}

}  // namespace

TfrmMonitor::TfrmMonitor(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmMonitor"));
    setWindowTitle(QStringLiteral("Tag Monitor"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);

    TimerScan = new QTimer(this);
    TimerScan->setObjectName(QStringLiteral("TimerScan"));
    TimerScan->setInterval(1000);
    ConnectCommand(TimerScan, &QTimer::timeout, this, &TfrmMonitor::TimerScanTimer);

    BuildLayout();

    connect(lstTags, &QTableWidget::itemSelectionChanged, this, &TfrmMonitor::lstTagsSelectItem);
    ConnectCommand(btnPlay, &QPushButton::clicked, this, &TfrmMonitor::btnPlayClick);
    ConnectCommand(btnPause, &QPushButton::clicked, this, &TfrmMonitor::btnPauseClick);
    ConnectCommand(btnStop, &QPushButton::clicked, this, &TfrmMonitor::btnStopClick);
    ConnectCommand(btnWrite, &QPushButton::clicked, this, &TfrmMonitor::btnWriteClick);
    ConnectCommand(btnAck, &QPushButton::clicked, this, &TfrmMonitor::btnAckClick);
    // While a request of a tick waits: Pause and Stop end the run, Write and Alarm Ack only leave
    // their order for the next step; Stop as Close waits for the request to end.
    for (QWidget *w : std::initializer_list<QWidget *>{btnPause, btnWrite, btnAck}) KeepLiveDuringWait(w);
    KeepLiveDuringWait(btnStop, [this]() { return MonitorState != MonitorStopped; });
}

TfrmMonitor::~TfrmMonitor() = default;

void TfrmMonitor::BuildLayout()
{
    grpDevice = new QGroupBox(QStringLiteral("Device Information"), this);
    grpDevice->setObjectName(QStringLiteral("grpDevice"));
    stDevice = MakeBox(grpDevice, "stDevice");
    stHostname = MakeBox(grpDevice, "stHostname");
    stMAC = MakeBox(grpDevice, "stMAC");
    stVersion = MakeBox(grpDevice, "stVersion");
    auto *deviceGrid = new QGridLayout(grpDevice);
    AddRow(deviceGrid, 0, 0, "Device", stDevice, grpDevice);
    AddRow(deviceGrid, 1, 0, "Host name", stHostname, grpDevice);
    AddRow(deviceGrid, 2, 0, "MAC", stMAC, grpDevice);
    AddRow(deviceGrid, 3, 0, "Firmware Version", stVersion, grpDevice);
    deviceGrid->setColumnStretch(1, 1);

    lstTags = new QTableWidget(0, 2, this);
    lstTags->setObjectName(QStringLiteral("lstTags"));
    lstTags->setHorizontalHeaderLabels({QStringLiteral("Tag Name"), QStringLiteral("Type")});
    lstTags->verticalHeader()->hide();
    lstTags->verticalHeader()->setDefaultSectionSize(lstTags->fontMetrics().height() + 6);
    lstTags->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    lstTags->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    lstTags->horizontalHeader()->setHighlightSections(false);
    lstTags->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstTags->setSelectionMode(QAbstractItemView::SingleSelection);
    lstTags->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstTags->setShowGrid(true);
    lstTags->setMinimumWidth(260);
    // The chosen tag stays marked while the list is locked during monitoring.
    QPalette pal = lstTags->palette();
    for (QPalette::ColorGroup g : {QPalette::Inactive, QPalette::Disabled}) {
        pal.setColor(g, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
        pal.setColor(g, QPalette::HighlightedText, pal.color(QPalette::Active, QPalette::HighlightedText));
    }
    lstTags->setPalette(pal);

    auto *statusCaption = new QLabel(QStringLiteral("Monitor Status"), this);
    stMonitorStatus = MakeBox(this, "stMonitorStatus", 180);
    statusCaption->setBuddy(stMonitorStatus);

    btnPlay = new QPushButton(style()->standardIcon(QStyle::SP_MediaPlay), QString(), this);
    btnPlay->setObjectName(QStringLiteral("btnPlay"));
    btnPlay->setToolTip(QStringLiteral("Start Monitoring"));
    btnPause = new QPushButton(style()->standardIcon(QStyle::SP_MediaPause), QString(), this);
    btnPause->setObjectName(QStringLiteral("btnPause"));
    btnPause->setToolTip(QStringLiteral("Pause Monitoring"));
    btnStop = new QPushButton(QStringLiteral("Close"), this);
    btnStop->setObjectName(QStringLiteral("btnStop"));
    for (QPushButton *b : {btnPlay, btnPause, btnStop}) b->setAutoDefault(false);
    auto *controls = new QHBoxLayout;
    controls->addWidget(btnPlay);
    controls->addWidget(btnPause);
    controls->addStretch();
    controls->addWidget(btnStop);

    auto *left = new QVBoxLayout;
    left->addWidget(grpDevice);
    left->addWidget(lstTags, 1);
    left->addWidget(statusCaption);
    left->addWidget(stMonitorStatus);
    left->addLayout(controls);

    grpTagValue = new QGroupBox(QStringLiteral("Tag Value"), this);
    grpTagValue->setObjectName(QStringLiteral("grpTagValue"));
    stValue = MakeBox(grpTagValue, "stValue", 160);
    QFont bold = stValue->font();
    bold.setBold(true);
    stValue->setFont(bold);
    stStatus = MakeBox(grpTagValue, "stStatus", 160);
    stAlarm = MakeBox(grpTagValue, "stAlarm", 160);
    btnWrite = new QPushButton(QStringLiteral("Write..."), grpTagValue);
    btnWrite->setObjectName(QStringLiteral("btnWrite"));
    btnAck = new QPushButton(QStringLiteral("Alarm Ack"), grpTagValue);
    btnAck->setObjectName(QStringLiteral("btnAck"));
    for (QPushButton *b : {btnWrite, btnAck}) b->setAutoDefault(false);
    stQueuedAlarms = MakeBox(grpTagValue, "stQueuedAlarms", 80);
    stMailboxStatus = MakeBox(grpTagValue, "stMailboxStatus", 160);
    stSendingTo = MakeBox(grpTagValue, "stSendingTo", 80);
    stCurrentRetry = MakeBox(grpTagValue, "stCurrentRetry", 80);
    stLastError = MakeBox(grpTagValue, "stLastError", 160);

    auto *valueGrid = new QGridLayout;
    AddRow(valueGrid, 0, 0, "Value", stValue, grpTagValue);
    AddRow(valueGrid, 1, 0, "Status", stStatus, grpTagValue);
    AddRow(valueGrid, 2, 0, "Alarm", stAlarm, grpTagValue);
    valueGrid->addWidget(btnWrite, 0, 2);
    valueGrid->addWidget(btnAck, 2, 2);
    AddRow(valueGrid, 0, 3, "Alarms in queue", stQueuedAlarms, grpTagValue);
    AddRow(valueGrid, 1, 3, "Sending Mailbox Status", stMailboxStatus, grpTagValue);
    AddRow(valueGrid, 2, 3, "Sending To", stSendingTo, grpTagValue);
    AddRow(valueGrid, 3, 3, "Current Retry", stCurrentRetry, grpTagValue);
    AddRow(valueGrid, 4, 3, "Last Mailbox Error", stLastError, grpTagValue);
    valueGrid->setColumnStretch(1, 1);
    valueGrid->setColumnStretch(4, 1);
    valueGrid->setColumnMinimumWidth(2, 90);

    lblHistory = new QLabel(QStringLiteral("Value vs. Time (seconds)"), grpTagValue);
    lblHistory->setObjectName(QStringLiteral("lblHistory"));
    chart_ = std::make_unique<THistoryChart>(grpTagValue);
    HistoryChart = chart_->View;
    TagValueSerie = chart_->TagValueSerie;
    HistoryChart->setMinimumSize(520, 240);

    auto *right = new QVBoxLayout(grpTagValue);
    right->addLayout(valueGrid);
    right->addSpacing(6);
    right->addWidget(lblHistory);
    right->addWidget(HistoryChart, 1);

    auto *main = new QHBoxLayout(this);
    main->addLayout(left);
    main->addWidget(grpTagValue, 1);
    resize(980, 560);
}

void TfrmMonitor::FormShow()
{
    SinchronizeOptions();
    TimerScan->stop();
    Tag = TMonitorTag();
    ScanStep = StepRead;
    MonitorState = MonitorStopped;
    btnPlay->setEnabled(false);
    btnPause->setEnabled(false);
    btnStop->setEnabled(true);
    btnStop->setText(QStringLiteral("Close"));
    btnWrite->setEnabled(false);
    btnAck->setEnabled(false);
    lstTags->setRowCount(0);
    lstTags->setEnabled(true);
    stMonitorStatus->setText(QStr(GetMonitorStatusString()));
    for (QLabel *box : {stValue, stStatus, stAlarm, stQueuedAlarms, stMailboxStatus, stLastError}) box->clear();
    stSendingTo->setText(QStringLiteral("-"));
    stCurrentRetry->setText(QStringLiteral("-"));
    LastAlarm = 0;
    stAlarm->setPalette(palette());
    RestartGraphic();
}

void TfrmMonitor::FormActivate()
{
    stDevice->setText(QStr(Device.Device));
    stHostname->setText(QStr(Device.Hostname));
    stMAC->setText(QStr(Device.MAC));
    stVersion->setText(QStr(Device.Version));
    if (!frmGetTagConfig) frmGetTagConfig = new TfrmGetTagConfig(this);
    frmGetTagConfig->Device = Device;
    frmGetTagConfig->exec();
    lstTags->setRowCount(0);
    for (int32_t i = 0; i < frmGetTagConfig->TagCount; ++i) {
        const TTagConfigInfo &t = frmGetTagConfig->Tags[size_t(i)];
        // A type the family does not know is named so; it is watched as the number the device sends.
        const std::string type = t.KnownType ? TagKindText(t.Kind) : "Unknown type " + IntToStr(t.Type);
        auto *name = new QTableWidgetItem(QStr(t.Name));
        name->setData(Qt::UserRole, int(t.Kind));
        lstTags->insertRow(i);
        lstTags->setItem(i, 0, name);
        lstTags->setItem(i, 1, new QTableWidgetItem(QStr(type)));
    }
    lstTagsSelectItem();
}

void TfrmMonitor::lstTagsSelectItem()
{
    if (MonitorState == MonitorStopped) btnPlay->setEnabled(!lstTags->selectedItems().isEmpty());
}

void TfrmMonitor::btnPlayClick()
{
    const QList<QTableWidgetItem *> selected = lstTags->selectedItems();
    if (selected.isEmpty()) return;
    const int row = selected.first()->row();
    QTableWidgetItem *name = lstTags->item(row, 0);
    QTableWidgetItem *type = lstTags->item(row, 1);
    Tag.Index = row;
    Tag.Name = StdStr(name ? name->text() : QString());
    const QVariant kind = name ? name->data(Qt::UserRole) : QVariant();
    Tag.Kind = kind.isValid() ? TTagKind(kind.toInt()) : TagKindOfText(StdStr(type ? type->text() : QString()));
    // A tick still blocking in its request switches the timer on itself when it ends.
    if (!inTick_) TimerScan->start();
    if (MonitorState != MonitorPaused) RestartGraphic();
    MonitorState = MonitorRunning;
    SetMonitorButtons();
}

void TfrmMonitor::btnPauseClick()
{
    TimerScan->stop();
    if (MonitorState == MonitorRunning) {
        MonitorState = MonitorPaused;
        SetMonitorButtons();
    }
}

void TfrmMonitor::btnStopClick()
{
    TimerScan->stop();
    if (MonitorState == MonitorRunning || MonitorState == MonitorPaused) {
        MonitorState = MonitorStopped;
        SetMonitorButtons();
    } else {
        close();
    }
}

void TfrmMonitor::SetMonitorButtons()
{
    const bool running = MonitorState == MonitorRunning;
    const bool stopped = MonitorState == MonitorStopped;
    btnPlay->setEnabled(!running && (!stopped || !lstTags->selectedItems().isEmpty()));
    btnPause->setEnabled(running);
    btnStop->setEnabled(true);
    btnStop->setText(stopped ? QStringLiteral("Close") : QStringLiteral("Stop"));
    btnWrite->setEnabled(running);
    btnAck->setEnabled(running);
    lstTags->setEnabled(stopped);
    stMonitorStatus->setText(QStr(GetMonitorStatusString()));
}

void TfrmMonitor::btnWriteClick()
{
    if (Tag.WritePending) return;
    if (!frmWriteValue) frmWriteValue = new TfrmWriteValue(this);
    const std::string shown = StdStr(stValue->text());
    // Before the first read the box is empty; the dialog then starts at zero.
    switch (Tag.Kind) {
    case KindDigital: frmWriteValue->BoolValue = shown == "1"; break;
    case KindInteger: {
        int32_t v = 0;
        frmWriteValue->IntValue = TryStrToInt(shown, v) ? v : 0;
        break;
    }
    default: {
        double v = 0;
        frmWriteValue->FloatValue = TryStrToFloat(shown, v) ? v : 0.0;
        break;
    }
    }
    frmWriteValue->TagName = Tag.Name;
    frmWriteValue->Kind = Tag.Kind;
    if (frmWriteValue->exec() != QDialog::Accepted) return;
    if (Tag.Kind == KindDigital) Tag.BoolValue = frmWriteValue->BoolValue;
    else if (Tag.Kind == KindInteger) Tag.IntValue = frmWriteValue->IntValue;
    else Tag.FloatValue = frmWriteValue->FloatValue;
    Tag.WritePending = true;
}

void TfrmMonitor::btnAckClick() { Tag.AckPending = true; }

bool TfrmMonitor::FormCloseQuery()
{
    if (MonitorState == MonitorRunning || MonitorState == MonitorPaused) {
        ShowInformation("Stop Monitoring before closing this window.");
        return false;
    }
    return true;
}

void TfrmMonitor::reject()
{
    if (FormCloseQuery()) QDialog::reject();
}

void TfrmMonitor::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    FormShow();
    activation_.Shown(this, [this] { FormActivate(); });
}

void TfrmMonitor::hideEvent(QHideEvent *event)
{
    if (!event->spontaneous()) {
        activation_.Hidden();
        TimerScan->stop();
    }
    QDialog::hideEvent(event);
}

}  // namespace vxt
