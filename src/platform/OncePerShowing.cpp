#include "OncePerShowing.h"

#include "Command.h"

#include <QTimer>
#include <QWidget>

namespace vxt {

void TOncePerShowing::Shown(QWidget *window, std::function<void()> activate)
{
    pending_ = true;
    QTimer::singleShot(0, window, [this, window, activate = std::move(activate)]() {
        if (!pending_ || !window->isVisible()) return;
        pending_ = false;
        RunCommand(activate);
    });
}

}  // namespace vxt
