#include "Application.h"

#include "Blocking.h"
#include "MsgBox.h"

#include <QEvent>
#include <QMetaObject>
#include <algorithm>
#include <deque>
#include <exception>
#include <optional>

namespace vxt {

TApplication::TApplication(int &argc, char **argv) : QApplication(argc, argv) {}

namespace {

std::deque<std::string> g_pending;
const std::string *g_shown = nullptr;   // the text on screen

// False when the text is on screen already: a handler that keeps failing while the box is up is
// reported once, not once per event.
bool Enqueue(const std::string &text)
{
    if (g_shown && *g_shown == text) return false;
    if (std::find(g_pending.begin(), g_pending.end(), text) == g_pending.end()) g_pending.push_back(text);
    return true;
}

void ShowPending()
{
    if (g_shown) return;   // the box on screen shows the rest after it
    while (!g_pending.empty()) {
        const std::string next = g_pending.front();
        g_pending.pop_front();
        g_shown = &next;
        struct Reset {
            ~Reset() { g_shown = nullptr; }
        } reset;
        ShowError(next);
    }
}

std::optional<std::string> RaisedText(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const EWaitAbandoned &) {
        // The program is ending; nothing of it is shown.
        return std::nullopt;
    } catch (const std::exception &e) {
        return std::string(e.what());
    } catch (...) {
        return std::string("Unknown error.");
    }
}

}  // namespace

void ReportRaisedError(std::exception_ptr error)
{
    if (const std::optional<std::string> text = RaisedText(error)) ReportUncaughtError(*text);
}

// The last net, for an error that a command's own wrapper did not catch. The innermost delivery
// catches: an error raised inside a nested wait (a request, a modal window) ends the handler that
// raised it, and the wait goes on.
bool TApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        // A window whose close handler failed stays open.
        if (event->type() == QEvent::Close) event->ignore();
        // The box waits until the delivery has ended, so its modal loop does not run inside it.
        const std::optional<std::string> text = RaisedText(std::current_exception());
        if (text && Enqueue(*text)) QMetaObject::invokeMethod(this, &ShowPending, Qt::QueuedConnection);
    }
    return false;
}

void ReportUncaughtError(const std::string &text)
{
    Enqueue(text);
    ShowPending();
}

}  // namespace vxt
