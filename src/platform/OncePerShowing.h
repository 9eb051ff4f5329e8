// A window's start-up work (a download, the first request) runs once per showing, and only once the
// window is on screen: a showing that ends before the event loop comes round runs nothing.
#pragma once

#include <functional>

class QWidget;

namespace vxt {

class TOncePerShowing {
public:
    // Called from the window's own (not spontaneous) show event.
    void Shown(QWidget *window, std::function<void()> activate);
    // Called from the window's own (not spontaneous) hide event.
    void Hidden() { pending_ = false; }

private:
    bool pending_ = false;
};

}  // namespace vxt
