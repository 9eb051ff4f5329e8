#include "MonitorChart.h"

#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QPen>
#include <QValueAxis>
#include <algorithm>

namespace vxt {

namespace {

QColor Rgb(uint32_t rgb) { return QColor(int((rgb >> 16) & 0xFF), int((rgb >> 8) & 0xFF), int(rgb & 0xFF)); }

void StyleAxis(QValueAxis *axis, const QColor &grid)
{
    axis->setGridLineColor(grid);
    axis->setLinePenColor(grid);
    axis->setLabelsColor(Qt::white);
    axis->setMinorGridLineVisible(false);
    QFont f = axis->labelsFont();
    f.setPointSize(8);
    axis->setLabelsFont(f);
}

}  // namespace

THistoryChart::THistoryChart(QWidget *parent)
{
    Chart = new QChart;
    Chart->setBackgroundBrush(Qt::black);
    Chart->setBackgroundRoundness(0);
    Chart->setPlotAreaBackgroundVisible(false);
    Chart->legend()->hide();
    Chart->setMargins(QMargins(4, 4, 8, 4));
    Chart->setAnimationOptions(QChart::NoAnimation);

    AxisBottom = new QValueAxis;
    AxisBottom->setObjectName(QStringLiteral("AxisBottom"));
    StyleAxis(AxisBottom, QColor(128, 128, 0));
    AxisBottom->setTickType(QValueAxis::TicksDynamic);
    AxisBottom->setTickAnchor(0);
    AxisBottom->setTickInterval(2);
    AxisBottom->setLabelFormat(QStringLiteral("%d"));
    AxisLeft = new QValueAxis;
    AxisLeft->setObjectName(QStringLiteral("AxisLeft"));
    StyleAxis(AxisLeft, QColor(0, 128, 0));
    AxisLeft->setLabelFormat(QStringLiteral("%g"));
    AxisLeft->setRange(-0.5, 1.5);
    Chart->addAxis(AxisBottom, Qt::AlignBottom);
    Chart->addAxis(AxisLeft, Qt::AlignLeft);

    // The data series carries the points; the stretches on top of it carry the colours, since a
    // line series draws in one pen.
    TagValueSerie = new QLineSeries;
    TagValueSerie->setObjectName(QStringLiteral("TagValueSerie"));
    TagValueSerie->setName(QStringLiteral("Value"));
    TagValueSerie->setPen(Qt::NoPen);
    TagValueSerie->setPointsVisible(false);
    Chart->addSeries(TagValueSerie);
    TagValueSerie->attachAxis(AxisBottom);
    TagValueSerie->attachAxis(AxisLeft);
    for (int i = 1; i < TChartRing::Size; ++i) {
        auto *s = new QLineSeries;
        Chart->addSeries(s);
        s->attachAxis(AxisBottom);
        s->attachAxis(AxisLeft);
        segments_.push_back(s);
    }

    View = new QChartView(Chart, parent);
    View->setObjectName(QStringLiteral("HistoryChart"));
    View->setRenderHint(QPainter::Antialiasing);
    View->setRubberBand(QChartView::NoRubberBand);
    View->setBackgroundBrush(Qt::black);
}

void THistoryChart::Show(const TChartRing &ring, bool digitalAxis)
{
    const auto &pts = ring.Points();
    QList<QPointF> data;
    double lo = pts.front().Y, hi = pts.front().Y;
    for (const TChartPoint &p : pts) {
        data.append(QPointF(p.X, p.Y));
        lo = std::min(lo, p.Y);
        hi = std::max(hi, p.Y);
    }
    TagValueSerie->replace(data);
    for (int i = 0; i < int(pts.size()); ++i)
        TagValueSerie->setPointConfiguration(i, QXYSeries::PointConfiguration::Color, Rgb(pts[size_t(i)].Rgb));
    for (size_t i = 1; i < pts.size() && i - 1 < segments_.size(); ++i) {
        QLineSeries *s = segments_[i - 1];
        s->replace({data[qsizetype(i - 1)], data[qsizetype(i)]});
        QPen pen(Rgb(pts[i].Rgb));
        pen.setWidth(2);
        s->setPen(pen);
    }
    AxisBottom->setRange(pts.front().X, pts.back().X);
    if (digitalAxis) {
        AxisLeft->setRange(-0.5, 1.5);
    } else {
        if (hi - lo < 1e-9) {
            const double pad = std::max(1.0, std::abs(hi) * 0.1);
            lo -= pad;
            hi += pad;
        } else {
            const double pad = (hi - lo) * 0.05;
            lo -= pad;
            hi += pad;
        }
        AxisLeft->setRange(lo, hi);
        AxisLeft->applyNiceNumbers();
    }
}

QColor THistoryChart::PointColor(int index) const
{
    return TagValueSerie->pointConfiguration(index).value(QXYSeries::PointConfiguration::Color).value<QColor>();
}

QColor THistoryChart::SegmentColor(int index) const
{
    if (index < 1 || index > int(segments_.size())) return QColor();
    return segments_[size_t(index - 1)]->pen().color();
}

}  // namespace vxt
