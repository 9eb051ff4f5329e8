#include "StallWatch.h"

#include <QAbstractEventDispatcher>
#include <algorithm>

namespace vxt::bench {

StallWatch::StallWatch(bool tick)
{
    if (tick) {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(1);
        connect(&timer_, &QTimer::timeout, this, [this]() {
            const Clock::time_point now = Clock::now();
            LongestTickGapMs = std::max(LongestTickGapMs, MsSince(lastTick_, now));
            lastTick_ = now;
        });
        lastTick_ = Clock::now();
        timer_.start();
    }
    // Nested loops (modal dialogs, the wait for a blocking call) run on the same dispatcher.
    auto *dispatcher = QAbstractEventDispatcher::instance();
    connect(dispatcher, &QAbstractEventDispatcher::awake, this, [this]() {
        if (!awake_) awakeAt_ = Clock::now();
        awake_ = true;
    });
    connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, [this]() {
        if (awake_) LongestBusyMs = std::max(LongestBusyMs, MsSince(awakeAt_, Clock::now()));
        awake_ = false;
    });
}

}  // namespace vxt::bench
