// Draws the splash and about pictures (src/app/images/splash.jpg and about.jpg).
//
// Not part of the build; run it again after changing a drawing. From the repository root:
//   g++ -std=c++20 -fPIC tools/make_pictures.cpp -o /tmp/make_pictures $(pkg-config --cflags --libs Qt6Gui)
//   /tmp/make_pictures src/app/images
// Needs the DejaVu fonts and Qt's JPEG image plugin; runs without a display.

#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cstdio>

namespace {

const QColor kInk(0x2B, 0x3A, 0x4A);
const QColor kGrey(0x5A, 0x6B, 0x7D);
const QColor kRule(0xD6, 0xDD, 0xE5);
const QColor kBlue(0x2F, 0x6D, 0xB5);
const QColor kBlueLight(0x7F, 0xB2, 0xE8);
const QColor kBlueDark(0x1C, 0x4A, 0x80);
const QColor kSerial(0xD0, 0x5A, 0x24);
const QColor kLed(0x6C, 0xE8, 0x6A);
const QColor kLedAmber(0xFF, 0xBE, 0x3C);

QFont Font(int pixels, bool bold = false)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

QLinearGradient Vertical(qreal top, qreal bottom, const QColor &a, const QColor &b)
{
    QLinearGradient g(0, top, 0, bottom);
    g.setColorAt(0, a);
    g.setColorAt(1, b);
    return g;
}

void Led(QPainter &p, const QPointF &c, qreal r, const QColor &colour)
{
    QRadialGradient glow(c, r * 2.2);
    QColor halo = colour;
    halo.setAlpha(90);
    glow.setColorAt(0, halo);
    glow.setColorAt(1, QColor(0, 0, 0, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(c, r * 2.2, r * 2.2);
    p.setBrush(colour);
    p.drawEllipse(c, r, r);
    p.setBrush(QColor(255, 255, 255, 180));
    p.drawEllipse(c - QPointF(r * 0.3, r * 0.3), r * 0.35, r * 0.35);
}

// The gateway: a small steel-blue box with a lighter top, status lights, an Ethernet jack on the
// left and a serial connector on the right. `r` is the front face.
void Gateway(QPainter &p, const QRectF &r, bool label)
{
    const qreal depth = r.height() * 0.22;
    QPainterPath top;
    top.moveTo(r.left() + 2, r.top());
    top.lineTo(r.left() + depth + 2, r.top() - depth);
    top.lineTo(r.right() + depth - 2, r.top() - depth);
    top.lineTo(r.right() - 2, r.top());
    top.closeSubpath();
    QPainterPath side;
    side.moveTo(r.right() - 1, r.top() + 1);
    side.lineTo(r.right() + depth - 2, r.top() - depth + 1);
    side.lineTo(r.right() + depth - 2, r.bottom() - depth - 1);
    side.lineTo(r.right() - 1, r.bottom() - 1);
    side.closeSubpath();
    p.setPen(QPen(kBlueDark, 1.2));
    p.setBrush(QColor(0x9C, 0xB8, 0xD8));
    p.drawPath(top);
    p.setBrush(QColor(0x3A, 0x57, 0x7A));
    p.drawPath(side);
    p.setBrush(Vertical(r.top(), r.bottom(), QColor(0x6F, 0x92, 0xBA), QColor(0x3E, 0x5F, 0x88)));
    p.drawRoundedRect(r, 3, 3);

    const qreal u = r.height() / 56.0;
    if (label) {
        p.setPen(Qt::white);
        p.setFont(Font(int(12 * u), true));
        p.drawText(QPointF(r.left() + 8 * u, r.top() + 16 * u), QStringLiteral("Velto"));
    }
    const qreal ly = label ? r.top() + 11 * u : r.top() + r.height() * 0.32;
    const qreal lx = label ? r.right() - 44 * u : r.left() + r.width() * 0.2;
    const QColor leds[] = {kLed, kLed, kLedAmber, kLedAmber};
    for (int i = 0; i < 4; ++i)
        Led(p, QPointF(lx + i * 10 * u, ly), 2.2 * u, leds[i]);

    // Ethernet jack.
    const QRectF jack(r.left() + 8 * u, r.bottom() - 26 * u, 20 * u, 16 * u);
    p.setPen(QPen(QColor(0x10, 0x18, 0x22), 1));
    p.setBrush(QColor(0x1A, 0x24, 0x30));
    p.drawRect(jack);
    p.setBrush(QColor(0x0B, 0x10, 0x16));
    p.drawRect(QRectF(jack.left() + 6 * u, jack.bottom() - 4 * u, 8 * u, 4 * u));
    p.setPen(QPen(QColor(0xC8, 0xA2, 0x3C), 1.0 * u));
    for (int i = 0; i < 6; ++i) {
        const qreal x = jack.left() + 3.5 * u + i * 2.6 * u;
        p.drawLine(QPointF(x, jack.top() + 2 * u), QPointF(x, jack.top() + 5 * u));
    }
    Led(p, QPointF(jack.left() + 3 * u, jack.top() - 3 * u), 1.2 * u, kLed);

    // Serial connector: the familiar D shape with two rows of pins.
    const QRectF d(r.right() - 40 * u, r.bottom() - 25 * u, 32 * u, 14 * u);
    QPainterPath shell;
    shell.moveTo(d.left(), d.top());
    shell.lineTo(d.right(), d.top());
    shell.lineTo(d.right() - 3 * u, d.bottom());
    shell.lineTo(d.left() + 3 * u, d.bottom());
    shell.closeSubpath();
    p.setPen(QPen(QColor(0x55, 0x60, 0x6C), 1.2 * u));
    p.setBrush(Vertical(d.top(), d.bottom(), QColor(0xE6, 0xEA, 0xEE), QColor(0xA6, 0xB0, 0xBB)));
    p.drawPath(shell);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2A, 0x33, 0x3D));
    for (int i = 0; i < 5; ++i)
        p.drawEllipse(QPointF(d.left() + 5 * u + i * 5.5 * u, d.top() + 4.5 * u), 1.2 * u, 1.2 * u);
    for (int i = 0; i < 4; ++i)
        p.drawEllipse(QPointF(d.left() + 7.75 * u + i * 5.5 * u, d.top() + 9.5 * u), 1.2 * u, 1.2 * u);
}

// The field device on the serial side: a grey controller with a display and terminal strips.
void Controller(QPainter &p, const QRectF &r)
{
    p.setPen(QPen(QColor(0x4A, 0x55, 0x63), 1.2));
    p.setBrush(Vertical(r.top(), r.bottom(), QColor(0xF0, 0xF2, 0xF4), QColor(0xC2, 0xC9, 0xD1)));
    p.drawRoundedRect(r, 3, 3);
    const qreal u = r.width() / 60.0;
    for (qreal y : {r.top() + 3 * u, r.bottom() - 9 * u}) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x3C, 0x46, 0x52));
        p.drawRect(QRectF(r.left() + 6 * u, y, r.width() - 12 * u, 6 * u));
        p.setBrush(QColor(0xB8, 0xC0, 0xC8));
        for (int i = 0; i < 6; ++i)
            p.drawEllipse(QPointF(r.left() + 10 * u + i * 8 * u, y + 3 * u), 1.6 * u, 1.6 * u);
    }
    const QRectF screen(r.left() + 9 * u, r.top() + 15 * u, r.width() - 18 * u, r.height() - 32 * u);
    p.setPen(QPen(QColor(0x2A, 0x33, 0x3D), 1));
    p.setBrush(Vertical(screen.top(), screen.bottom(), QColor(0xB5, 0xE3, 0x9A), QColor(0x84, 0xC0, 0x6A)));
    p.drawRect(screen);
    p.setPen(QPen(QColor(0x2E, 0x4A, 0x22), 1.4 * u));
    const qreal mid = screen.center().y();
    p.drawLine(QPointF(screen.left() + 4 * u, mid - 3 * u), QPointF(screen.right() - 10 * u, mid - 3 * u));
    p.drawLine(QPointF(screen.left() + 4 * u, mid + 3 * u), QPointF(screen.right() - 16 * u, mid + 3 * u));
}

// The configuring computer on the network side.
void Computer(QPainter &p, const QRectF &screenFrame)
{
    const QRectF f = screenFrame;
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(Vertical(f.bottom(), f.bottom() + 14, QColor(0xC9, 0xD1, 0xDA), QColor(0x8E, 0x9A, 0xA7)));
    QPainterPath stand;
    stand.moveTo(f.center().x() - 7, f.bottom());
    stand.lineTo(f.center().x() + 7, f.bottom());
    stand.lineTo(f.center().x() + 10, f.bottom() + 10);
    stand.lineTo(f.center().x() - 10, f.bottom() + 10);
    stand.closeSubpath();
    p.drawPath(stand);
    p.drawRoundedRect(QRectF(f.center().x() - 20, f.bottom() + 10, 40, 5), 2, 2);

    p.setBrush(QColor(0x33, 0x40, 0x4E));
    p.drawRoundedRect(f, 3, 3);
    const QRectF s = f.adjusted(4, 4, -4, -4);
    p.setPen(Qt::NoPen);
    p.setBrush(Vertical(s.top(), s.bottom(), QColor(0xD8, 0xEA, 0xFB), QColor(0x8F, 0xBF, 0xEC)));
    p.drawRect(s);
    // A little window on the screen.
    const QRectF w(s.left() + 6, s.top() + 5, s.width() - 12, s.height() - 10);
    p.setBrush(Qt::white);
    p.drawRect(w);
    p.setBrush(kBlue);
    p.drawRect(QRectF(w.left(), w.top(), w.width(), 5));
    p.setBrush(QColor(0xB0, 0xBC, 0xC8));
    for (int i = 0; i < 3; ++i)
        p.drawRect(QRectF(w.left() + 4, w.top() + 9 + i * 6, w.width() * (i == 2 ? 0.4 : 0.7), 2));
}

void Cable(QPainter &p, const QPointF &a, const QPointF &b, const QColor &colour, qreal width)
{
    p.setPen(QPen(QColor(255, 255, 255), width + 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(a, b);
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(a, b);
}

QImage Splash()
{
    QImage image(401, 308, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    QLinearGradient band(0, 0, 401, 0);
    band.setColorAt(0, kBlueDark);
    band.setColorAt(1, QColor(0x4F, 0x9B, 0xE0));
    p.fillRect(QRectF(0, 0, 401, 6), band);

    p.setPen(kBlueDark);
    p.setFont(Font(50, true));
    p.drawText(QPointF(26, 68), QStringLiteral("VXT"));
    p.setPen(kInk);
    p.setFont(Font(20));
    p.drawText(QPointF(28, 98), QStringLiteral("Velto Configuration Manager"));

    // Computer -- Ethernet -- gateway -- serial -- controller.
    const qreal line = 186;
    Cable(p, QPointF(86, line), QPointF(154, line), kBlue, 3);
    Cable(p, QPointF(248, line), QPointF(318, line), kSerial, 3);
    Computer(p, QRectF(24, 150, 64, 50));
    Gateway(p, QRectF(146, 158, 102, 56), true);
    Controller(p, QRectF(316, 150, 60, 70));

    p.setFont(Font(11));
    p.setPen(kGrey);
    p.drawText(QRectF(88, line - 22, 58, 16), Qt::AlignCenter, QStringLiteral("Ethernet"));
    p.drawText(QRectF(258, line - 22, 56, 16), Qt::AlignCenter, QStringLiteral("Serial"));

    p.setPen(QPen(kRule, 1));
    p.drawLine(QPointF(28, 256.5), QPointF(373, 256.5));
    p.setPen(kBlueDark);
    p.setFont(Font(20, true));
    p.drawText(QPointF(28, 287), QStringLiteral("Porlin"));
    p.setPen(kGrey);
    p.setFont(Font(13));
    p.drawText(QRectF(200, 268, 173, 24), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("Version 3.0.4"));
    p.end();
    return image;
}

QImage About()
{
    QImage image(120, 240, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    const QRectF panel(6.5, 6.5, 107, 227);
    p.setPen(QPen(QColor(0xC9, 0xD8, 0xEA), 1));
    p.setBrush(Vertical(panel.top(), panel.bottom(), QColor(0xE6, 0xF0, 0xFB), QColor(0xFA, 0xFC, 0xFF)));
    p.drawRoundedRect(panel, 10, 10);

    // A small network at the top, wired down to the gateway and on to a controller.
    const QPointF hub(60, 66);
    const QPointF nodes[] = {QPointF(30, 30), QPointF(60, 24), QPointF(90, 32), QPointF(26, 62), QPointF(94, 64)};
    p.setPen(QPen(kBlueLight, 2));
    for (const QPointF &n : nodes)
        p.drawLine(hub, n);
    p.drawLine(nodes[0], nodes[1]);
    p.drawLine(nodes[1], nodes[2]);
    Cable(p, hub, QPointF(60, 112), kBlue, 3);
    Cable(p, QPointF(60, 150), QPointF(60, 182), kSerial, 3);
    for (const QPointF &n : nodes) {
        p.setPen(QPen(kBlueDark, 1.2));
        QRadialGradient g(n - QPointF(2, 2), 8);
        g.setColorAt(0, QColor(0xCF, 0xE5, 0xFA));
        g.setColorAt(1, kBlue);
        p.setBrush(g);
        p.drawEllipse(n, 6, 6);
    }
    p.setPen(QPen(kBlueDark, 1.4));
    QRadialGradient g(hub - QPointF(3, 3), 12);
    g.setColorAt(0, QColor(0xCF, 0xE5, 0xFA));
    g.setColorAt(1, kBlueDark);
    p.setBrush(g);
    p.drawEllipse(hub, 9, 9);

    Gateway(p, QRectF(24, 112, 70, 40), false);
    Controller(p, QRectF(34, 180, 52, 44));
    p.end();
    return image;
}

bool Save(const QImage &image, const QString &path)
{
    if (image.save(path, "JPG", 92)) return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

}  // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <images folder>\n", argv[0]);
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    const bool ok = Save(Splash(), dir.filePath(QStringLiteral("splash.jpg"))) &&
                    Save(About(), dir.filePath(QStringLiteral("about.jpg")));
    return ok ? 0 : 1;
}
