// The monitor's history chart: the last 25 ticks of the watched tag as a line on black, each stretch
// drawn in the colour of the point it leads to (the tag's alarm state at that tick).
#pragma once

#include "MonitorLogic.h"

#include <QColor>
#include <vector>

class QChart;
class QChartView;
class QLineSeries;
class QValueAxis;
class QWidget;

namespace vxt {

class THistoryChart {
public:
    explicit THistoryChart(QWidget *parent);

    QChartView *View;
    QChart *Chart;
    // The 25 points with the colour of each as its point configuration.
    QLineSeries *TagValueSerie;
    QValueAxis *AxisBottom;
    QValueAxis *AxisLeft;

    // Draws the ring; a digital tag keeps the left axis at -0.5 .. 1.5, others scale to the values.
    void Show(const TChartRing &ring, bool digitalAxis);
    QColor PointColor(int index) const;
    // The colour of the stretch from point index - 1 to point index.
    QColor SegmentColor(int index) const;

private:
    std::vector<QLineSeries *> segments_;
};

}  // namespace vxt
