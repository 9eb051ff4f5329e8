#include "Icons.h"

#include <QFont>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>
#include <QRadialGradient>
#include <QtMath>
#include <algorithm>
#include <array>
#include <cmath>
#include <initializer_list>

// The resource compiler's registration of vxt.qrc (the splash and about pictures). In a static
// library an object nobody refers to is left out of the program, so this file, which every window
// links, refers to it; the registration itself runs once either way.
int qInitResources_vxt();
namespace {
[[maybe_unused]] const int kPicturesRegistered = qInitResources_vxt();
}  // namespace

namespace vxt {

namespace {

// Image-list icons are drawn on a 16-unit grid and the new-file icons on a 32-unit grid; the
// painter scales them, so one drawing serves every size. One-unit strokes sit on half units to
// stay crisp at the base size.

// One palette for all icons.
const QColor kInk(0x2B, 0x3A, 0x4A);
const QColor kEdge(0x5A, 0x6B, 0x7D);
const QColor kPaperShade(0xEC, 0xF0, 0xF5);
const QColor kPaperFold(0xCF, 0xD8, 0xE2);
const QColor kTextLine(0x9A, 0xA8, 0xB8);
const QColor kBlueLight(0x7F, 0xB2, 0xE8);
const QColor kBlue(0x2F, 0x6D, 0xB5);
const QColor kBlueDark(0x1C, 0x4A, 0x80);
const QColor kGreenLight(0x7B, 0xD0, 0x6F);
const QColor kGreen(0x2E, 0x9B, 0x3E);
const QColor kGreenDark(0x1B, 0x64, 0x28);
const QColor kRedLight(0xF0, 0x7A, 0x6E);
const QColor kRed(0xD2, 0x3A, 0x2E);
const QColor kRedDark(0x8E, 0x1E, 0x17);
const QColor kYellowLight(0xFD, 0xE6, 0x94);
const QColor kYellow(0xF2, 0xC1, 0x3E);
const QColor kYellowDark(0xA8, 0x76, 0x10);
const QColor kTagLight(0xFF, 0xD9, 0x9A);
const QColor kTag(0xF0, 0x9A, 0x3A);
const QColor kTagEdge(0xA0, 0x58, 0x12);
const QColor kDeviceTop(0x6F, 0x8F, 0xB3);
const QColor kDeviceBottom(0x3A, 0x57, 0x7A);
const QColor kDeviceEdge(0x1F, 0x33, 0x4B);
const QColor kLed(0x7C, 0xF0, 0x7A);
const QColor kLedAmber(0xFF, 0xC1, 0x4A);
const QColor kPort(0x16, 0x20, 0x2B);
const QColor kMetalLight(0xF0, 0xF3, 0xF6);
const QColor kMetal(0xA9, 0xB4, 0xC0);
const QColor kMetalDark(0x4A, 0x55, 0x63);
const QColor kHalo(255, 255, 255, 235);

using Drawing = void (*)(QPainter &);

QPen Stroke(const QColor &c, qreal width = 1.0, Qt::PenCapStyle cap = Qt::RoundCap)
{
    return QPen(c, width, Qt::SolidLine, cap, Qt::RoundJoin);
}

// A closed outline through `points`.
QPainterPath Outline(std::initializer_list<QPointF> points)
{
    QPainterPath path;
    path.addPolygon(QPolygonF(QList<QPointF>(points)));
    path.closeSubpath();
    return path;
}

QLinearGradient Vertical(qreal top, qreal bottom, const QColor &a, const QColor &b)
{
    QLinearGradient g(0, top, 0, bottom);
    g.setColorAt(0, a);
    g.setColorAt(1, b);
    return g;
}

QLinearGradient Diagonal(const QRectF &r, const QColor &a, const QColor &b)
{
    QLinearGradient g(r.topLeft(), r.bottomRight());
    g.setColorAt(0, a);
    g.setColorAt(1, b);
    return g;
}

// A white rim under an overlay keeps it readable on top of whatever lies beneath.
void Halo(QPainter &p, const QPainterPath &shape, qreal width = 2.0)
{
    p.setPen(Stroke(kHalo, width));
    p.setBrush(kHalo);
    p.drawPath(shape);
}

QIcon Render(Drawing draw, qreal grid, std::initializer_list<int> sizes)
{
    QIcon icon;
    for (int size : sizes) {
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.scale(size / grid, size / grid);
        draw(p);
        p.end();
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

// ---- shared parts -------------------------------------------------------------------------

void Page(QPainter &p, const QRectF &r, qreal fold, int lines, qreal lineStep = 2.0, qreal lineWidth = 1.0)
{
    QPainterPath body;
    body.moveTo(r.left(), r.top());
    body.lineTo(r.right() - fold, r.top());
    body.lineTo(r.right(), r.top() + fold);
    body.lineTo(r.right(), r.bottom());
    body.lineTo(r.left(), r.bottom());
    body.closeSubpath();
    p.setPen(Stroke(kEdge, lineWidth));
    p.setBrush(Diagonal(r, Qt::white, kPaperShade));
    p.drawPath(body);

    QPainterPath ear;
    ear.moveTo(r.right() - fold, r.top());
    ear.lineTo(r.right() - fold, r.top() + fold);
    ear.lineTo(r.right(), r.top() + fold);
    ear.closeSubpath();
    p.setBrush(kPaperFold);
    p.drawPath(ear);

    p.setPen(Stroke(kTextLine, lineWidth, Qt::FlatCap));
    const qreal left = r.left() + 1.5 * lineWidth + 0.5;
    const qreal right = r.right() - 1.5 * lineWidth - 0.5;
    qreal y = std::floor(r.top() + fold) + lineStep + 0.5;
    for (int i = 0; i < lines && y < r.bottom() - lineWidth; ++i, y += lineStep) {
        const qreal end = (i % 3 == 2) ? left + (right - left) * 0.6 : right;
        p.drawLine(QPointF(left, y), QPointF(end, y));
    }
}

void Device(QPainter &p, const QRectF &r)
{
    p.setPen(Stroke(kDeviceEdge));
    p.setBrush(Vertical(r.top(), r.bottom(), kDeviceTop, kDeviceBottom));
    p.drawRoundedRect(r, 1.5, 1.5);
    // A light sill along the top gives the box some depth.
    p.setPen(Stroke(QColor(255, 255, 255, 90), 0.8, Qt::FlatCap));
    p.drawLine(QPointF(r.left() + 1.5, r.top() + 1.0), QPointF(r.right() - 1.5, r.top() + 1.0));

    const qreal cy = r.center().y() + 0.25;
    const qreal led = std::min<qreal>(0.95, r.height() * 0.2);
    const std::array<QColor, 3> leds{kLed, kLed, kLedAmber};
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 3; ++i) {
        p.setBrush(leds[std::size_t(i)]);
        p.drawEllipse(QPointF(r.left() + 2.5 + 2.4 * i, cy), led, led);
    }
    const qreal pw = std::min<qreal>(4.0, r.width() * 0.28);
    const qreal ph = std::min<qreal>(3.0, r.height() - 2.5);
    p.setBrush(kPort);
    p.drawRect(QRectF(r.right() - 1.5 - pw, cy - ph / 2, pw, ph));
}

void Globe(QPainter &p, const QPointF &c, qreal r, qreal width = 1.0)
{
    QRadialGradient g(c - QPointF(r * 0.35, r * 0.4), r * 1.5);
    g.setColorAt(0, QColor(0xB8, 0xDC, 0xFA));
    g.setColorAt(0.5, kBlueLight);
    g.setColorAt(1, kBlue);
    p.setPen(Stroke(kBlueDark, width));
    p.setBrush(g);
    p.drawEllipse(c, r, r);

    p.save();
    QPainterPath clip;
    clip.addEllipse(c, r - width * 0.5, r - width * 0.5);
    p.setClipPath(clip);
    p.setPen(Stroke(QColor(255, 255, 255, 200), width * 0.8, Qt::FlatCap));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, r * 0.42, r);
    p.drawLine(QPointF(c.x(), c.y() - r), QPointF(c.x(), c.y() + r));
    p.drawLine(QPointF(c.x() - r, c.y()), QPointF(c.x() + r, c.y()));
    const qreal lat = r * 0.55;
    p.drawLine(QPointF(c.x() - r, c.y() - lat), QPointF(c.x() + r, c.y() - lat));
    p.drawLine(QPointF(c.x() - r, c.y() + lat), QPointF(c.x() + r, c.y() + lat));
    p.restore();
}

// A filled arrow from `from` to `to` (tip).
void Arrow(QPainter &p, const QPointF &from, const QPointF &to, const QColor &light, const QColor &fill,
           const QColor &edge, qreal shaft = 1.25, qreal head = 3.0, qreal headLength = 3.5)
{
    const QPointF d = to - from;
    const qreal length = std::hypot(d.x(), d.y());
    QPainterPath a = Outline({{0, -shaft}, {length - headLength, -shaft}, {length - headLength, -head},
        {length, 0}, {length - headLength, head}, {length - headLength, shaft}, {0, shaft}});
    p.save();
    p.translate(from);
    p.rotate(qRadiansToDegrees(std::atan2(d.y(), d.x())));
    Halo(p, a, 2.0);
    QLinearGradient g(0, -head, 0, head);
    g.setColorAt(0, light);
    g.setColorAt(1, fill);
    p.setPen(Stroke(edge, 0.8));
    p.setBrush(g);
    p.drawPath(a);
    p.restore();
}

void GreenArrow(QPainter &p, const QPointF &from, const QPointF &to)
{
    Arrow(p, from, to, kGreenLight, kGreen, kGreenDark);
}

void PlusBadge(QPainter &p, const QPointF &c, qreal arm = 3.5, qreal half = 1.5)
{
    QPainterPath plus;
    plus.addRect(QRectF(c.x() - arm, c.y() - half, 2 * arm, 2 * half));
    plus.addRect(QRectF(c.x() - half, c.y() - arm, 2 * half, 2 * arm));
    plus.setFillRule(Qt::WindingFill);
    plus = plus.simplified();
    Halo(p, plus, 2.5);
    p.setPen(Stroke(kGreenDark, 0.7, Qt::SquareCap));
    p.setBrush(Vertical(c.y() - arm, c.y() + arm, QColor(0x4C, 0xB8, 0x5A), kGreen));
    p.drawPath(plus);
}

void CrossBadge(QPainter &p, const QPointF &c)
{
    QPainterPath bar;
    bar.addRect(QRectF(-4.4, -1.3, 8.8, 2.6));
    QTransform a, b;
    a.rotate(45);
    b.rotate(-45);
    QPainterPath cross = a.map(bar).united(b.map(bar)).simplified();
    cross.translate(c);
    Halo(p, cross, 2.5);
    p.setPen(Stroke(kRedDark, 0.9));
    p.setBrush(Vertical(c.y() - 4, c.y() + 4, kRedLight, kRed));
    p.drawPath(cross);
}

// A pencil writing towards the lower left, its tip at `tip`.
void PencilBadge(QPainter &p, const QPointF &tip)
{
    const qreal h = 1.7;
    p.save();
    p.translate(tip);
    p.rotate(-45);
    QPainterPath outline = Outline({{0, 0}, {3.2, -h}, {11, -h}, {11, h}, {3.2, h}});
    Halo(p, outline, 2.2);

    p.setPen(Qt::NoPen);
    QPainterPath wood = Outline({{0, 0}, {3.2, -h}, {3.2, h}});
    p.setBrush(QColor(0xF3, 0xD9, 0xA6));
    p.drawPath(wood);
    p.setBrush(Vertical(-h, h, kYellowLight, kYellow));
    p.drawRect(QRectF(3.2, -h, 5.6, 2 * h));
    p.setBrush(Vertical(-h, h, kMetalLight, kMetal));
    p.drawRect(QRectF(8.8, -h, 0.9, 2 * h));
    p.setBrush(QColor(0xE8, 0x8A, 0x9A));
    p.drawRect(QRectF(9.7, -h, 1.3, 2 * h));
    QPainterPath lead = Outline({{0, 0}, {1.2, -h * 0.38}, {1.2, h * 0.38}});
    p.setBrush(kInk);
    p.drawPath(lead);

    p.setPen(Stroke(kYellowDark, 0.7));
    p.setBrush(Qt::NoBrush);
    p.drawPath(outline);
    p.restore();
}

void WrenchBadge(QPainter &p, const QPointF &c)
{
    QPainterPath handle;
    handle.addRoundedRect(QRectF(-5.6, -1.2, 8.5, 2.4), 1.2, 1.2);
    QPainterPath head;
    head.addEllipse(QPointF(3.4, 0), 2.9, 2.9);
    QPainterPath jaw;
    jaw.addRect(QRectF(3.4, -1.05, 4, 2.1));
    QPainterPath wrench = handle.united(head).subtracted(jaw).simplified();
    p.save();
    p.translate(c);
    p.rotate(-45);
    Halo(p, wrench, 2.2);
    p.setPen(Stroke(kMetalDark, 0.8));
    p.setBrush(Vertical(-3, 3, kMetalLight, kMetal));
    p.drawPath(wrench);
    p.restore();
}

void Tag(QPainter &p)
{
    QPainterPath tag = Outline({{0.5, 6.5}, {4.5, 2.5}, {14.5, 2.5}, {14.5, 10.5}, {4.5, 10.5}});
    p.setPen(Stroke(kTagEdge));
    p.setBrush(Vertical(2.5, 10.5, kTagLight, kTag));
    p.drawPath(tag);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(4.5, 6.5), 1.2, 1.2);
    p.setPen(Stroke(kTagEdge, 1.0, Qt::FlatCap));
    p.drawLine(QPointF(7.5, 5.5), QPointF(12.5, 5.5));
    p.drawLine(QPointF(7.5, 7.5), QPointF(10.5, 7.5));
}

void Window(QPainter &p, const QRectF &r)
{
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRect(r);
    p.setBrush(Vertical(r.top(), r.top() + 3, kBlueLight, kBlue));
    p.drawRect(QRectF(r.left(), r.top(), r.width(), 2.5));
    p.setPen(Stroke(kBlueDark));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r);
}

// Plug and socket on the diagonal from lower left to upper right.
void PlugAndSocket(QPainter &p, bool joined)
{
    const QColor light = joined ? kGreenLight : QColor(0xE4, 0xE9, 0xEE);
    const QColor body = joined ? kGreen : QColor(0x86, 0x93, 0xA2);
    const QColor edge = joined ? kGreenDark : kMetalDark;
    const qreal plugRight = joined ? 0.0 : -2.5;  // the prongs reach 2.5 beyond
    const qreal socketLeft = joined ? 0.0 : 2.0;
    p.save();
    p.translate(8, 8);
    p.rotate(-45);
    p.setPen(Stroke(kInk, 2.0));
    p.drawLine(QPointF(-11, 0), QPointF(plugRight - 5, 0));
    p.drawLine(QPointF(socketLeft + 5, 0), QPointF(11, 0));
    if (!joined) {
        p.setPen(Stroke(kYellowDark, 0.6));
        p.setBrush(Vertical(-2, 2, kYellowLight, kYellow));
        p.drawRect(QRectF(plugRight - 0.3, -2.3, 2.8, 1.4));
        p.drawRect(QRectF(plugRight - 0.3, 0.9, 2.8, 1.4));
    }
    p.setPen(Stroke(edge, 0.9));
    p.setBrush(Vertical(-3.4, 3.4, light, body));
    p.drawRoundedRect(QRectF(plugRight - 5, -3.1, 5, 6.2), 1.4, 1.4);
    p.drawRoundedRect(QRectF(socketLeft, -3.4, 5, 6.8), 1.2, 1.2);
    if (!joined) {
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        p.drawRect(QRectF(socketLeft + 0.7, -2.1, 1.2, 1.0));
        p.drawRect(QRectF(socketLeft + 0.7, 1.1, 1.2, 1.0));
    }
    p.restore();
}

// A small configuration sheet: a page with a blue heading band.
void Sheet(QPainter &p, const QRectF &r)
{
    Page(p, r, 2.5, 0);
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawRect(QRectF(r.left() + 1.5, r.top() + 3.0, r.width() - 3.0, 1.5));
    p.setPen(Stroke(kTextLine, 1.0, Qt::FlatCap));
    for (qreal y = r.top() + 6.0; y < r.bottom() - 1.0; y += 2.0)
        p.drawLine(QPointF(r.left() + 1.5, y), QPointF(r.right() - 1.5, y));
}

// ---- the image list -------------------------------------------------------------------------

void DrawNewFile(QPainter &p)
{
    Page(p, QRectF(2.5, 1.5, 10, 14), 3.5, 0);
    QPolygonF star;
    const QPointF c(11.8, 4.4);
    for (int i = 0; i < 10; ++i) {
        const qreal a = qDegreesToRadians(-90.0 + 36.0 * i);
        const qreal r = (i % 2) ? 1.6 : 4.0;
        star << c + QPointF(r * std::cos(a), r * std::sin(a));
    }
    QPainterPath shape;
    shape.addPolygon(star);
    shape.closeSubpath();
    Halo(p, shape, 1.6);
    p.setPen(Stroke(kYellowDark, 0.8));
    p.setBrush(Vertical(0.4, 8, kYellowLight, kYellow));
    p.drawPath(shape);
}

void DrawOpen(QPainter &p)
{
    QPainterPath back = Outline({{0.5, 13.5}, {0.5, 2.5}, {5.0, 2.5}, {6.5, 4.5}, {13.5, 4.5}, {13.5, 13.5}});
    p.setPen(Stroke(kYellowDark));
    p.setBrush(Vertical(2.5, 13.5, kYellow, QColor(0xD9, 0x9E, 0x24)));
    p.drawPath(back);

    p.setPen(Stroke(kEdge));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(2.5, 5.5, 9, 6));

    QPainterPath flap = Outline({{3.0, 7.5}, {15.5, 7.5}, {13.5, 13.5}, {0.5, 13.5}});
    p.setPen(Stroke(kYellowDark));
    p.setBrush(Vertical(7.5, 13.5, kYellowLight, kYellow));
    p.drawPath(flap);
}

void DrawSave(QPainter &p)
{
    QPainterPath body = Outline({{1.5, 1.5}, {12.5, 1.5}, {14.5, 3.5}, {14.5, 14.5}, {1.5, 14.5}});
    p.setPen(Stroke(kBlueDark));
    p.setBrush(Diagonal(QRectF(1.5, 1.5, 13, 13), kBlueLight, kBlue));
    p.drawPath(body);

    p.setPen(Stroke(kBlueDark));
    p.setBrush(Vertical(1.5, 6.5, kMetalLight, kMetal));
    p.drawRect(QRectF(4.5, 1.5, 7, 5));
    p.setPen(Qt::NoPen);
    p.setBrush(kBlueDark);
    p.drawRect(QRectF(8.5, 2.5, 2, 3));

    p.setPen(Stroke(kBlueDark));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(3.5, 8.5, 9, 6));
    p.setPen(Stroke(kTextLine, 1.0, Qt::FlatCap));
    p.drawLine(QPointF(5, 10.5), QPointF(11, 10.5));
    p.drawLine(QPointF(5, 12.5), QPointF(9.5, 12.5));
}

void Magnifier(QPainter &p, const QPointF &c, qreal r, const QPointF &handleEnd)
{
    const QPointF d = handleEnd - c;
    const qreal len = std::hypot(d.x(), d.y());
    const QPointF start = c + d * (r / len);
    QPainterPath outline;
    outline.addEllipse(c, r + 0.8, r + 0.8);
    p.setPen(Stroke(kHalo, 4.0));
    p.drawLine(start, handleEnd);
    Halo(p, outline, 1.6);
    p.setPen(Stroke(kMetalDark, 2.4));
    p.drawLine(start, handleEnd);
    p.setPen(Stroke(kMetalDark, 1.4));
    QRadialGradient glass(c - QPointF(r * 0.4, r * 0.4), r * 1.6);
    glass.setColorAt(0, QColor(255, 255, 255, 240));
    glass.setColorAt(1, QColor(0xB8, 0xD6, 0xF2, 220));
    p.setBrush(glass);
    p.drawEllipse(c, r, r);
}

void DrawSearchLocal(QPainter &p)
{
    p.setPen(Stroke(kInk, 1.0, Qt::FlatCap));
    p.drawLine(QPointF(2.5, 8.5), QPointF(13.5, 8.5));
    for (qreal x : {2.5, 8.0, 13.5})
        p.drawLine(QPointF(x, 5.5), QPointF(x, 8.5));
    for (qreal x : {0.5, 6.0, 11.5}) {
        p.setPen(Stroke(kBlueDark));
        p.setBrush(Vertical(1.5, 5.5, kBlueLight, kBlue));
        p.drawRect(QRectF(x, 1.5, 4, 4));
    }
    Magnifier(p, QPointF(6.5, 11.5), 3.0, QPointF(14.5, 15.0));
}

void DrawProperties(QPainter &p)
{
    Device(p, QRectF(0.5, 1.5, 15, 7));
    WrenchBadge(p, QPointF(9.6, 11.6));
}

void DrawCascade(QPainter &p)
{
    for (int i = 0; i < 3; ++i)
        Window(p, QRectF(0.5 + 3 * i, 0.5 + 3 * i, 9, 8));
}

void DrawMinimizeAll(QPainter &p)
{
    Window(p, QRectF(0.5, 0.5, 10, 8));
    GreenArrow(p, QPointF(12.5, 0.5), QPointF(12.5, 11.0));
    for (qreal x : {0.5, 8.5}) {
        const QRectF bar(x, 12.5, 7, 3);
        p.setPen(Stroke(kBlueDark));
        p.setBrush(Vertical(bar.top(), bar.bottom(), kBlueLight, kBlue));
        p.drawRect(bar);
        p.setPen(Stroke(Qt::white, 1.0, Qt::FlatCap));
        p.drawLine(QPointF(x + 4, 14.5), QPointF(x + 6, 14.5));
    }
}

void DrawConnect(QPainter &p) { PlugAndSocket(p, false); }
void DrawConnected(QPainter &p) { PlugAndSocket(p, true); }

void DrawOptions(QPainter &p)
{
    const QPointF c(8, 8);
    QPolygonF rim;
    const int teeth = 8;
    for (int i = 0; i < teeth; ++i) {
        const qreal a = 360.0 / teeth * i;
        for (auto [da, r] : {std::pair{-15.0, 5.2}, {-8.0, 7.4}, {8.0, 7.4}, {15.0, 5.2}}) {
            const qreal rad = qDegreesToRadians(a + da);
            rim << c + QPointF(r * std::cos(rad), r * std::sin(rad));
        }
    }
    QPainterPath gear;
    gear.addPolygon(rim);
    gear.closeSubpath();
    gear.addEllipse(c, 2.3, 2.3);
    gear.setFillRule(Qt::OddEvenFill);
    QRadialGradient g(c - QPointF(2.5, 2.5), 10);
    g.setColorAt(0, QColor(0xD8, 0xDF, 0xE6));
    g.setColorAt(1, QColor(0x6E, 0x7C, 0x8C));
    p.setPen(Stroke(kMetalDark, 0.9));
    p.setBrush(g);
    p.drawPath(gear);
}

void DrawAddTag(QPainter &p)
{
    Tag(p);
    PlusBadge(p, QPointF(12, 12));
}

void DrawEditTag(QPainter &p)
{
    Tag(p);
    PencilBadge(p, QPointF(7.4, 15.2));
}

void DrawRemoveTag(QPainter &p)
{
    Tag(p);
    CrossBadge(p, QPointF(12, 12));
}

void BadgedPage(QPainter &p) { Page(p, QRectF(1.5, 0.5, 11, 15), 3.5, 5); }

void DrawAddFile(QPainter &p)
{
    BadgedPage(p);
    PlusBadge(p, QPointF(12, 12));
}

void DrawRemoveFile(QPainter &p)
{
    BadgedPage(p);
    CrossBadge(p, QPointF(12, 12));
}

void DrawExtractFile(QPainter &p)
{
    Page(p, QRectF(0.5, 0.5, 10, 15), 3.5, 5);
    GreenArrow(p, QPointF(5.0, 10.5), QPointF(15.5, 10.5));
}

void DrawViewFile(QPainter &p)
{
    BadgedPage(p);
    const QPointF c(11.2, 12.0);
    QPainterPath eye;
    eye.moveTo(c.x() - 4.6, c.y());
    eye.quadTo(c.x(), c.y() - 5.6, c.x() + 4.6, c.y());
    eye.quadTo(c.x(), c.y() + 5.6, c.x() - 4.6, c.y());
    eye.closeSubpath();
    Halo(p, eye, 2.2);
    p.setPen(Stroke(kInk, 0.9));
    p.setBrush(Qt::white);
    p.drawPath(eye);
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawEllipse(c, 1.9, 1.9);
    p.setBrush(kInk);
    p.drawEllipse(c, 0.8, 0.8);
}

// The device along the bottom and the document above; the arrow tells the direction.
void DrawSendConfig(QPainter &p)
{
    Sheet(p, QRectF(1.5, 0.5, 8, 9));
    Device(p, QRectF(0.5, 10.5, 15, 5));
    GreenArrow(p, QPointF(12.8, 0.5), QPointF(12.8, 10.3));
}

void DrawGetConfig(QPainter &p)
{
    Sheet(p, QRectF(1.5, 0.5, 8, 9));
    Device(p, QRectF(0.5, 10.5, 15, 5));
    Arrow(p, QPointF(12.8, 10.3), QPointF(12.8, 0.5), kBlueLight, kBlue, kBlueDark);
}

void DrawSendSite(QPainter &p)
{
    Globe(p, QPointF(5.5, 5.0), 4.5);
    Device(p, QRectF(0.5, 10.5, 15, 5));
    GreenArrow(p, QPointF(12.8, 0.5), QPointF(12.8, 10.3));
}

void DrawGetSite(QPainter &p)
{
    Globe(p, QPointF(5.5, 5.0), 4.5);
    Device(p, QRectF(0.5, 10.5, 15, 5));
    Arrow(p, QPointF(12.8, 10.3), QPointF(12.8, 0.5), kBlueLight, kBlue, kBlueDark);
}

void DrawTagMonitor(QPainter &p)
{
    const QRectF panel(0.5, 1.5, 15, 13);
    p.setPen(Stroke(kEdge));
    p.setBrush(Qt::white);
    p.drawRoundedRect(panel, 1, 1);
    p.setPen(Stroke(QColor(0xD6, 0xDD, 0xE5), 1.0, Qt::FlatCap));
    for (qreal y : {5.5, 9.5})
        p.drawLine(QPointF(1.5, y), QPointF(14.5, y));
    for (qreal x : {5.5, 10.5})
        p.drawLine(QPointF(x, 2.5), QPointF(x, 13.5));
    const QPolygonF trace{QPointF(2, 11.5), QPointF(5, 7.5), QPointF(8, 9.5), QPointF(11, 4.0), QPointF(14, 6.5)};
    QPainterPath area;
    area.addPolygon(trace);
    area.lineTo(14, 13.5);
    area.lineTo(2, 13.5);
    area.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(Vertical(4, 13.5, QColor(0x7F, 0xB2, 0xE8, 150), QColor(0x7F, 0xB2, 0xE8, 30)));
    p.drawPath(area);
    p.setPen(Stroke(kBlue, 1.4));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(trace);
    p.setPen(Stroke(kRed, 1.0));
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(11, 4.0), 1.1, 1.1);
}

void DrawAbout(QPainter &p)
{
    const QPointF c(8, 8);
    QRadialGradient g(c - QPointF(2.5, 3), 10);
    g.setColorAt(0, QColor(0x8C, 0xC4, 0xF5));
    g.setColorAt(1, kBlue);
    p.setPen(Stroke(kBlueDark));
    p.setBrush(g);
    p.drawEllipse(c, 7.2, 7.2);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(8, 4.4), 1.3, 1.3);
    p.drawRoundedRect(QRectF(6.9, 6.6, 2.2, 6.2), 0.6, 0.6);
}

const std::array<Drawing, 23> kImageList{
    DrawNewFile, DrawOpen,       DrawSave,      DrawSearchLocal, DrawProperties, DrawCascade,
    DrawMinimizeAll, DrawConnect, DrawConnected, DrawOptions,    DrawAddTag,     DrawEditTag,
    DrawRemoveTag, DrawAddFile,   DrawSendConfig, DrawGetConfig,  DrawSendSite,   DrawGetSite,
    DrawRemoveFile, DrawExtractFile, DrawViewFile, DrawTagMonitor, DrawAbout,
};

// ---- the New File dialog (32-unit grid) ---------------------------------------------------------

// `text` set in bold and fitted into `box`, centred.
QPainterPath Mark(const QString &text, const QRectF &box)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStretch(QFont::Condensed);
    font.setBold(true);
    font.setPixelSize(100);
    QPainterPath path;
    path.addText(0, 0, font, text);
    const QRectF b = path.boundingRect();
    if (b.isEmpty()) return path;
    const qreal s = std::min(box.width() / b.width(), box.height() / b.height());
    QTransform t;
    t.translate(box.center().x(), box.center().y());
    t.scale(s, s);
    t.translate(-b.center().x(), -b.center().y());
    return t.map(path);
}

void ConfigDocument(QPainter &p, const QColor &light, const QColor &band, const QColor &dark, const QString &mark)
{
    const QRectF page(4.5, 1.5, 23, 29);
    Page(p, page, 7, 0);
    p.setPen(Stroke(kTextLine, 1.5, Qt::FlatCap));
    p.drawLine(QPointF(8, 4.5), QPointF(17, 4.5));
    p.drawLine(QPointF(8, 7.5), QPointF(14, 7.5));

    const QRectF strip(4.5, 10.5, 23, 10);
    p.setPen(Stroke(dark));
    p.setBrush(Vertical(strip.top(), strip.bottom(), light, band));
    p.drawRect(strip);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPath(Mark(mark, strip.adjusted(3, 2, -3, -2)));

    // A small table below the band.
    p.setPen(Stroke(kTextLine, 1.5, Qt::FlatCap));
    for (qreal y : {24.0, 27.5}) {
        p.drawLine(QPointF(8, y), QPointF(13, y));
        p.drawLine(QPointF(15.5, y), QPointF(24, y));
    }
}

void DrawModbusDocument(QPainter &p)
{
    ConfigDocument(p, kBlueLight, kBlue, kBlueDark, QStringLiteral("MB"));
}

void DrawHostlinkDocument(QPainter &p)
{
    ConfigDocument(p, kGreenLight, kGreen, kGreenDark, QStringLiteral("HL"));
}

void DrawDF1Document(QPainter &p)
{
    ConfigDocument(p, QColor(0xF5, 0xA2, 0x6A), QColor(0xD0, 0x5A, 0x24), QColor(0x8A, 0x35, 0x10),
                   QStringLiteral("DF1"));
}

void DrawSiteDocument(QPainter &p)
{
    Page(p, QRectF(3.5, 1.5, 21, 27), 6, 5, 3.0, 1.5);
    QPainterPath outline;
    outline.addEllipse(QPointF(20.5, 20.5), 9.5, 9.5);
    Halo(p, outline, 2.0);
    Globe(p, QPointF(20.5, 20.5), 9.5, 1.2);
}

const std::array<Drawing, 4> kNewFile{DrawModbusDocument, DrawHostlinkDocument, DrawDF1Document, DrawSiteDocument};

}  // namespace

QIcon ImageListIcon(int index)
{
    if (index < 0 || index >= int(kImageList.size())) return QIcon();
    return Render(kImageList[std::size_t(index)], 16, {16, 24, 32});
}

QIcon NewFileIcon(int index)
{
    if (index < 0 || index >= int(kNewFile.size())) return QIcon();
    return Render(kNewFile[std::size_t(index)], 32, {16, 24, 32, 48});
}

}  // namespace vxt
