#include "UiTestSupport.h"

#include <QElapsedTimer>
#include <list>
#include <memory>

namespace vxt::test {

MessageBoxRecorder::MessageBoxRecorder()
{
    SetMessageBoxHandler([this](const std::string &text, MsgKind kind, int buttons) {
        ShownBox box{text, kind, buttons};
        shown_.push_back(box);
        if (OnShow) OnShow(box);
        if (!answers_.empty()) {
            MsgResult r = answers_.front();
            answers_.pop_front();
            return r;
        }
        if (buttons & mbOK) return MsgResult::OK;
        if (buttons & mbYes) return MsgResult::Yes;
        return MsgResult::Cancel;
    });
}

MessageBoxRecorder::~MessageBoxRecorder() { SetMessageBoxHandler(nullptr); }

std::vector<std::string> MessageBoxRecorder::Texts() const
{
    std::vector<std::string> r;
    for (const ShownBox &b : shown_) r.push_back(b.Text);
    return r;
}

void WhenModal(std::function<void(QWidget *)> f, int timeoutMs)
{
    WhenModalIf([](QWidget *) { return true; }, std::move(f), timeoutMs);
}

namespace {

// The waits still polling; a wait holds itself only through this list, so one left pending when
// a test program ends is neither a cycle nor a leak.
std::list<std::shared_ptr<std::function<void()>>> &PendingWaits()
{
    static std::list<std::shared_ptr<std::function<void()>>> waits;
    return waits;
}

void Forget(const std::shared_ptr<std::function<void()>> &poll) { PendingWaits().remove(poll); }

}  // namespace

void WhenModalIf(std::function<bool(QWidget *)> accept, std::function<void(QWidget *)> f, int timeoutMs)
{
    auto timer = std::make_shared<QElapsedTimer>();
    timer->start();
    auto poll = std::make_shared<std::function<void()>>();
    PendingWaits().push_back(poll);
    std::weak_ptr<std::function<void()>> self = poll;
    *poll = [accept, f, timer, timeoutMs, self]() {
        QWidget *w = QApplication::activeModalWidget();
        if (w && w->isVisible() && accept(w)) {
            const auto keep = self.lock();   // alive while `f` runs
            Forget(keep);
            f(w);
            return;
        }
        if (timer->elapsed() > timeoutMs) {
            Forget(self.lock());
            return;
        }
        QTimer::singleShot(10, [self]() {
            if (auto p = self.lock()) (*p)();
        });
    };
    QTimer::singleShot(0, [self]() {
        if (auto p = self.lock()) (*p)();
    });
}

}  // namespace vxt::test
