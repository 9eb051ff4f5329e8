// How long the UI thread's event loop stalls: the longest gap between the ticks of a 1 ms timer
// (when asked for: it wakes the loop a thousand times a second), and the longest stretch from the
// loop waking up to falling idle again. Watches while it lives.
#pragma once

#include "BenchSupport.h"

#include <QObject>
#include <QTimer>

namespace vxt::bench {

class StallWatch : public QObject {
public:
    explicit StallWatch(bool tick);

    double LongestTickGapMs = 0;
    double LongestBusyMs = 0;

private:
    QTimer timer_;
    Clock::time_point lastTick_, awakeAt_;
    bool awake_ = false;
};

}  // namespace vxt::bench
