// "Tag Monitor": lists the connected device's tags and, for the chosen one, polls once a second its
// value, status and alarm and the device's alarm-mail mailbox, draws the last 25 ticks, writes a new
// value and acknowledges the alarm. Shown modally by Tools > Tag Monitor after `Device` is set.
#pragma once

#include "MonitorChart.h"
#include "MonitorLogic.h"
#include "OncePerShowing.h"
#include "RequestChannel.h"
#include "VXTTypes.h"

#include <QColor>
#include <QDialog>
#include <memory>
#include <string>

class QChartView;
class QGroupBox;
class QLabel;
class QLineSeries;
class QPushButton;
class QTableWidget;
class QTimer;

namespace vxt {

class TfrmMonitor : public QDialog {
    Q_OBJECT
public:
    explicit TfrmMonitor(QWidget *parent = nullptr);
    ~TfrmMonitor() override;

    TDeviceData Device;
    TMonitorTag Tag;
    int ScanStep = StepRead;
    int MonitorState = MonitorStopped;
    int NextX = TChartRing::Size;
    int LastAlarm = 0;

    QGroupBox *grpDevice;
    QLabel *stDevice, *stHostname, *stMAC, *stVersion;
    QTableWidget *lstTags;
    QLabel *stMonitorStatus;
    QPushButton *btnPlay, *btnPause, *btnStop;
    QGroupBox *grpTagValue;
    QLabel *stValue, *stStatus, *stAlarm;
    QPushButton *btnWrite, *btnAck;
    QLabel *stQueuedAlarms, *stMailboxStatus, *stSendingTo, *stCurrentRetry, *stLastError;
    QLabel *lblHistory;
    QChartView *HistoryChart;
    QLineSeries *TagValueSerie;
    QTimer *TimerScan;

    // The window's own silent request channel; tests point it at another port.
    TRequestChannel Channel;   // clients of its own; failures are the caller's to report
    THttpClient &IdHTTPLocal = Channel.IdHTTPLocal;
    THttpClient &IdHTTPRemote = Channel.IdHTTPRemote;
    void SetHttpPort(int port) { Channel.SetHttpPort(port); }

    void FormShow();
    void FormActivate();
    void lstTagsSelectItem();
    void btnPlayClick();
    void btnPauseClick();
    void btnStopClick();
    void btnWriteClick();
    void btnAckClick();
    // True when the window may close; refuses with a message while monitoring.
    bool FormCloseQuery();
    void TimerScanTimer();

    bool SendHTTPServer(const std::string &IP, const std::string &RemoteIP, const std::string &Page,
                        const TPacket &Request, TPacket &Reply);
    void SinchronizeOptions() { Channel.SinchronizeOptions(); }

    std::string GetStatusString(int State, int Result) const { return vxt::GetStatusString(State, Result); }
    std::string GetAlarmString(int Alarm) const { return vxt::GetAlarmString(Alarm); }
    QColor GetAlarmColor(int Alarm) const;
    QColor GetPointColor(int Alarm) const;
    std::string GetMailboxStatus(int Status) const { return vxt::GetMailboxStatus(Status); }
    std::string GetMailboxError(int Error) const { return vxt::GetMailboxError(Error); }
    std::string GetMonitorStatusString() const { return vxt::GetMonitorStatusString(MonitorState, Tag.Name); }

    void RestartGraphic();
    void AddPoint2Graph(const QColor &Color, double Value);
    // The chart's points, oldest first.
    const TChartRing &ChartPoints() const { return ring_; }
    THistoryChart &Chart() { return *chart_; }
    // A tick is running (its request may be blocking).
    bool InTick() const { return inTick_; }

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void reject() override;

private:
    void BuildLayout();
    void SetMonitorButtons();
    void ShowReadResult(const TReadResult &r);
    void ShowMailbox(const TMailboxView &v);

    std::unique_ptr<THistoryChart> chart_;
    TChartRing ring_;
    bool inTick_ = false;
    // Why the last request could not be started; empty when it could.
    std::string channelError_;
    TOncePerShowing activation_;
};

extern TfrmMonitor *frmMonitor;

}  // namespace vxt
