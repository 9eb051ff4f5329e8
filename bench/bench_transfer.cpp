// A 128-tag Modbus configuration sent and got back through the transfer dialog against the emulator,
// timed per exchange against a bare libcurl loop that posts the same request bodies to the same
// emulator, one fresh connection each; and how long the event loop stalls meanwhile.
#include "BenchSupport.h"
#include "Blocking.h"
#include "Emulator.h"
#include "GatewayModule.h"
#include "Main.h"
#include "MsgBox.h"
#include "NumFormat.h"
#include "StallWatch.h"
#include "TransferModbusConfig.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <curl/curl.h>
#include <sys/resource.h>
#include <cstdio>
#include <string>
#include <vector>

using namespace vxt;
using namespace vxt::bench;
using vxt::test::EmulatedRequest;
using vxt::test::Emulator;

namespace {

const QString kMac = QStringLiteral("00-11-22-33-44-01");
const char kIp[] = "127.0.0.2";
const int kRounds = 5;

TModbusVeltoConfig FullConfig()
{
    TModbusVeltoConfig c;
    c.ComType = 1;
    c.Baud = 4;
    c.Parity = 2;
    c.Format = 1;
    c.ScanTime = 250;
    c.MsgTimeout = 1000;
    c.PktTimeout = 5;
    c.Email.Enable = true;
    c.Email.Server = "mail.plant.test";
    c.Email.Timeout = 20;
    c.Email.Retries = 5;
    c.Email.RetryInt = 10;
    c.Email.From = "velto@plant.test";
    c.Email.Recipients = {"a@plant.test", "b@plant.test", "", "", ""};
    c.Email.RecipientCount = 2;
    c.Email.Auth = true;
    c.Email.User = "op";
    c.Email.Pass = "se,cret";
    c.TagCount = kMaxTags;
    for (int i = 0; i < kMaxTags; ++i) {
        TModbusTagConfig &t = c.Tags[size_t(i)];
        char name[16];
        std::snprintf(name, sizeof name, "TAG%03d", i);
        t.Name = name;
        t.Address = i + 1;
        t.Alarm = true;
        if (i % 2 == 0) {
            // A scaled 32-bit float register with limits, alarm and mail.
            t.UnitID = 17;
            t.Type = 4;
            t.Reg32 = true;
            t.Limits = true;
            t.WrMin.AsFloat = -1.5f;
            t.WrMax.AsFloat = 0.1f;
            t.EMail = true;
            t.AlMin.AsFloat = 2.25f;
            t.AlMax.AsFloat = 1e5f;
            t.Scale = 1;
            t.FactorA = 0.5f;
            t.FactorB = -3;
            t.Kind = KindFloat;
            t.Trap = true;
        } else {
            t.UnitID = 1;
            t.RegTable = 3;
            t.Type = 8;
            t.AlMax.AsBoolean = true;
            t.Kind = KindDigital;
        }
    }
    return c;
}

TDeviceData ConnectedDevice()
{
    TDeviceData d;
    d.Device = "Velto-10-MB";
    d.Hostname = "velto-mb";
    d.MAC = kMac.toStdString();
    d.Version = "2.0.6";
    d.IP = kIp;
    d.Family = 0;
    return d;
}

// Presses Close once the sequence has ended, as a person answers the dialog.
class CloseWhenDone : public QObject {
public:
    explicit CloseWhenDone(TfrmTransferConfig *dlg) : dlg_(dlg) { dlg->btnCancel->installEventFilter(this); }
    ~CloseWhenDone() override { dlg_->btnCancel->removeEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::EnabledChange && dlg_->btnCancel->isEnabled() && !dlg_->Running())
            QTimer::singleShot(0, dlg_->btnCancel, &QPushButton::click);
        return QObject::eventFilter(watched, event);
    }

private:
    TfrmTransferConfig *dlg_;
};

double ThreadCpuMs()
{
    rusage r{};
    getrusage(RUSAGE_THREAD, &r);
    return (r.ru_utime.tv_sec + r.ru_stime.tv_sec) * 1e3 + (r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e3;
}

struct ProgramRun {
    double ms = 0;       // first request out to last reply taken
    double waitMs = 0;   // of which inside the blocking calls
    double uiCpuMs = 0;  // CPU time of the UI thread over the whole showing
    int exchanges = 0;
    bool completed = false;
    double tickGapMs = 0, busyMs = 0;
};

// One showing of the dialog: sends `config`, or gets the configuration when it is null.
ProgramRun RunDialog(TfrmTransferModbusConfig *dlg, const TModbusVeltoConfig *config, bool tick)
{
    ProgramRun run;
    dlg->SendMode = config != nullptr;
    dlg->Device = ConnectedDevice();
    if (config) dlg->Config = *config;

    // The program's own hooks around each blocking exchange mark its first and its last.
    const BlockingHooks program = GetBlockingHooks();
    Clock::time_point first, last, enter;
    GetBlockingHooks().Enter = [&]() {
        if (run.exchanges++ == 0) first = Clock::now();
        if (program.Enter) program.Enter();
        enter = Clock::now();
    };
    GetBlockingHooks().Leave = [&]() {
        run.waitMs += MsSince(enter, Clock::now());
        if (program.Leave) program.Leave();
        last = Clock::now();
    };
    {
        const double cpu0 = ThreadCpuMs();
        CloseWhenDone closer(dlg);
        StallWatch watch(tick);
        dlg->exec();
        run.tickGapMs = watch.LongestTickGapMs;
        run.busyMs = watch.LongestBusyMs;
        run.uiCpuMs = ThreadCpuMs() - cpu0;
    }
    GetBlockingHooks() = program;
    run.completed = dlg->Completed;
    if (run.exchanges) run.ms = MsSince(first, last);
    return run;
}

size_t OnReply(char *data, size_t size, size_t count, void *user)
{
    static_cast<std::string *>(user)->append(data, size * count);
    return size * count;
}

// The same bodies posted by plain libcurl, one after the other, each on a new connection.
double BareLoop(const QList<EmulatedRequest> &requests, int port, int *mismatches)
{
    std::vector<std::string> urls, bodies, replies;
    for (const EmulatedRequest &r : requests) {
        urls.push_back("http://" + r.host.toStdString() + ":" + std::to_string(port) + r.path.toStdString());
        bodies.push_back(r.body.toStdString());
        replies.push_back(r.reply.toStdString());
    }
    curl_slist *headers = curl_slist_append(nullptr, "Content-Type: text/x-kprot");
    *mismatches = 0;
    const Clock::time_point t0 = Clock::now();
    for (size_t i = 0; i < urls.size(); ++i) {
        std::string reply;
        CURL *curl = curl_easy_init();
        curl_easy_setopt(curl, CURLOPT_URL, urls[i].c_str());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, bodies[i].data());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(bodies[i].size()));
        curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
        curl_easy_setopt(curl, CURLOPT_PROXY, "");
        curl_easy_setopt(curl, CURLOPT_FRESH_CONNECT, 1L);
        curl_easy_setopt(curl, CURLOPT_FORBID_REUSE, 1L);
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, OnReply);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, &reply);
        if (curl_easy_perform(curl) != CURLE_OK || reply != replies[i]) ++*mismatches;
        curl_easy_cleanup(curl);
    }
    const double ms = MsSince(t0, Clock::now());
    curl_slist_free_all(headers);
    return ms;
}

}  // namespace

int main(int argc, char *argv[])
{
    DefaultToOffscreen();
    QApplication app(argc, argv);
    curl_global_init(CURL_GLOBAL_DEFAULT);
    SetDecimalSeparator('.');

    std::vector<std::string> boxes;
    SetMessageBoxHandler([&boxes](const std::string &text, MsgKind, int) {
        boxes.push_back(text);
        return MsgResult::OK;
    });

    RegisterGatewayDocuments();
    auto *form = new TMainForm;
    frmTransferModbusConfig = new TfrmTransferModbusConfig(form);
    form->resize(1000, 700);
    form->show();
    if (!QTest::qWaitForWindowExposed(form)) std::fprintf(stderr, "bench_transfer: main window not exposed\n");

    test::EmulatorOptions options;
    options.devices = {Emulator::device("1118", "2.0.6", kMac, QString::fromLatin1(kIp), "velto-mb")};
    Emulator emu(options);
    if (!emu.start()) {
        std::fprintf(stderr, "bench_transfer: emulator: %s\n", qPrintable(emu.errorString()));
        return 2;
    }
    form->SetHttpPort(emu.httpPort());

    const TModbusVeltoConfig config = FullConfig();
    std::vector<double> programMs, waitMs, uiCpuMs, bareMs;
    int exchanges = 0;
    bool failed = false;
    double tickGapMs = 0, busyMs = 0;
    // Round 0 warms up both sides and is not counted; the last one watches the event loop with a
    // 1 ms timer, which wakes the loop a thousand times a second, so it is not timed either.
    for (int round = 0; round <= kRounds + 1; ++round) {
        const bool tick = round == kRounds + 1;
        emu.clearRequests();
        const ProgramRun send = RunDialog(frmTransferModbusConfig, &config, tick);
        const ProgramRun get = RunDialog(frmTransferModbusConfig, nullptr, tick);
        const QList<EmulatedRequest> sent = emu.requests(QStringLiteral("http"));
        // Each sequence runs inside one busy scope, which the hooks see as one more Enter.
        if (!send.completed || !get.completed || frmTransferModbusConfig->Config.TagCount != kMaxTags ||
            sent.size() + 2 != send.exchanges + get.exchanges) {
            std::fprintf(stderr, "bench_transfer: the transfer failed (%d+%d exchanges, %lld recorded)\n",
                         send.exchanges, get.exchanges, static_cast<long long>(sent.size()));
            failed = true;
            break;
        }
        if (tick) {
            tickGapMs = std::max(send.tickGapMs, get.tickGapMs);
            continue;
        }
        busyMs = std::max({busyMs, send.busyMs, get.busyMs});
        int mismatches = 0;
        const double bare = BareLoop(sent, emu.httpPort(), &mismatches);
        if (mismatches) {
            std::fprintf(stderr, "bench_transfer: %d of the bare loop's replies differ\n", mismatches);
            failed = true;
            break;
        }
        exchanges = int(sent.size());
        if (round == 0) continue;
        programMs.push_back((send.ms + get.ms) / exchanges);
        waitMs.push_back((send.waitMs + get.waitMs) / exchanges);
        uiCpuMs.push_back((send.uiCpuMs + get.uiCpuMs) / exchanges);
        bareMs.push_back(bare / exchanges);
    }
    for (const std::string &b : boxes) std::fprintf(stderr, "bench_transfer: box shown: %s\n", b.c_str());
    if (failed || !boxes.empty()) return 2;

    const double program = Median(programMs), bare = Median(bareMs), ratio = program / bare;
    Figure("config transfer",
           "program " + Fixed(program, 3) + " ms per exchange (" + Fixed(Median(waitMs), 3) +
               " ms of it in the blocking call, UI thread CPU " + Fixed(Median(uiCpuMs), 3) +
               " ms), bare libcurl " + Fixed(bare, 3) +
               " ms, ratio " + Fixed(ratio, 2) + " (" + std::to_string(exchanges) +
               " exchanges: send and get of 128 tags, median of " + std::to_string(kRounds) + " rounds)",
           "<= 1.30", ratio <= 1.3);
    Figure("ui stall during transfer",
           "longest gap of a 1 ms timer " + Fixed(tickGapMs, 1) + " ms, longest busy stretch of the event loop " +
               Fixed(busyMs, 1) + " ms",
           "< 50 ms", tickGapMs < 50 && busyMs < 50);

    emu.stop();
    delete form;
    curl_global_cleanup();
    return 0;
}
