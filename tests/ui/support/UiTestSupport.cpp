#include "UiTestSupport.h"

#include <QElapsedTimer>
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

void WhenModalIf(std::function<bool(QWidget *)> accept, std::function<void(QWidget *)> f, int timeoutMs)
{
    auto timer = std::make_shared<QElapsedTimer>();
    timer->start();
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [accept, f, timer, timeoutMs, poll]() {
        QWidget *w = QApplication::activeModalWidget();
        if (w && w->isVisible() && accept(w)) {
            f(w);
            *poll = nullptr;
            return;
        }
        if (timer->elapsed() > timeoutMs) {
            *poll = nullptr;
            return;
        }
        QTimer::singleShot(10, [poll]() {
            if (*poll) (*poll)();
        });
    };
    QTimer::singleShot(0, [poll]() {
        if (*poll) (*poll)();
    });
}

}  // namespace vxt::test
