#include "Application.h"

#include "Blocking.h"
#include "MsgBox.h"

#include <algorithm>
#include <deque>
#include <exception>

namespace vxt {

TApplication::TApplication(int &argc, char **argv) : QApplication(argc, argv) {}

// The innermost delivery catches: an error raised inside a nested wait (a request, a modal window)
// ends the handler that raised it, and the wait goes on.
bool TApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const EWaitAbandoned &) {
        // The program is ending; nothing of it is shown.
    } catch (const std::exception &e) {
        ReportUncaughtError(e.what());
    } catch (...) {
        ReportUncaughtError("Unknown error.");
    }
    return false;
}

void ReportUncaughtError(const std::string &text)
{
    static std::deque<std::string> pending;
    static const std::string *shown = nullptr;   // the text on screen
    // A handler that keeps failing while the box is up is reported once, not once per event.
    if (shown && *shown == text) return;
    if (std::find(pending.begin(), pending.end(), text) == pending.end()) pending.push_back(text);
    if (shown) return;
    while (!pending.empty()) {
        const std::string next = pending.front();
        pending.pop_front();
        shown = &next;
        struct Reset {
            ~Reset() { shown = nullptr; }
        } reset;
        ShowError(next);
    }
}

}  // namespace vxt
