// The drawn icons and the two pictures: present, visible, told apart, and decodable by our own
// JPEG layer. Set VXT_ICON_SHEET to a .png path to get a contact sheet of every icon for a look.

#include "Icons.h"
#include "Jpeg.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QtTest>

using namespace vxt;

namespace {

constexpr int kImageListCount = 23;
constexpr int kNewFileCount = 4;

QList<QIcon> AllIcons()
{
    QList<QIcon> icons;
    for (int i = 0; i < kImageListCount; ++i) icons << ImageListIcon(i);
    for (int i = 0; i < kNewFileCount; ++i) icons << NewFileIcon(i);
    return icons;
}

QImage At(const QIcon &icon, int size)
{
    return icon.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32);
}

int VisiblePixels(const QImage &image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 64) ++n;
    return n;
}

QString Name(int i)
{
    return i < kImageListCount ? QStringLiteral("image list %1").arg(i)
                               : QStringLiteral("new file %1").arg(i - kImageListCount);
}

// Where the frame header (SOF0 to SOF2) of a JPEG starts, walking its segments; -1 when none.
qsizetype FrameHeader(const QByteArray &jpeg)
{
    qsizetype i = 2;
    while (i + 9 < jpeg.size() && uchar(jpeg[i]) == 0xFF) {
        const uchar marker = uchar(jpeg[i + 1]);
        if (marker >= 0xC0 && marker <= 0xC2) return i;
        i += 2 + (uchar(jpeg[i + 2]) << 8 | uchar(jpeg[i + 3]));
    }
    return -1;
}

}  // namespace

class TestIcons : public QObject {
    Q_OBJECT

private slots:
    void outOfRangeIsNull()
    {
        QVERIFY(ImageListIcon(-1).isNull());
        QVERIFY(ImageListIcon(kImageListCount).isNull());
        QVERIFY(NewFileIcon(-1).isNull());
        QVERIFY(NewFileIcon(kNewFileCount).isNull());
    }

    void everyIconIsDrawn()
    {
        const QList<QIcon> icons = AllIcons();
        for (int i = 0; i < icons.size(); ++i) {
            QVERIFY2(!icons[i].isNull(), qPrintable(Name(i)));
            for (int size : {16, 24, 32}) {
                const QImage image = At(icons[i], size);
                QCOMPARE(image.size(), QSize(size, size));
                // A toolbar icon should cover a fair part of its square, not be a speck.
                QVERIFY2(VisiblePixels(image) > size * size / 5, qPrintable(Name(i) + QStringLiteral(" at %1").arg(size)));
            }
        }
    }

    void toolbarSizesAreDrawnNotScaled()
    {
        for (int i = 0; i < kImageListCount; ++i) {
            const QList<QSize> sizes = ImageListIcon(i).availableSizes();
            for (int size : {16, 24, 32}) QVERIFY2(sizes.contains(QSize(size, size)), qPrintable(Name(i)));
        }
        for (int i = 0; i < kNewFileCount; ++i) QVERIFY(NewFileIcon(i).availableSizes().contains(QSize(32, 32)));
    }

    void noTwoIconsLookAlike()
    {
        const QList<QIcon> icons = AllIcons();
        QList<QImage> images;
        for (const QIcon &icon : icons) images << At(icon, 16);
        for (int a = 0; a < images.size(); ++a)
            for (int b = a + 1; b < images.size(); ++b)
                QVERIFY2(images[a] != images[b], qPrintable(Name(a) + QStringLiteral(" equals ") + Name(b)));
    }

    void disabledLookDiffers()
    {
        const QIcon icon = ImageListIcon(2);
        QVERIFY(icon.pixmap(16, QIcon::Disabled).toImage() != icon.pixmap(16).toImage());
    }

    void splashPictureDecodes()
    {
        const QImage splash = LoadJpegResource(QStringLiteral(":/images/splash.jpg"));
        QVERIFY(!splash.isNull());
        QCOMPARE(splash.size(), QSize(401, 308));
        // White background: the corners away from the top band are white (allowing for JPEG noise).
        for (const QPoint &p : {QPoint(2, 40), QPoint(398, 40), QPoint(2, 305), QPoint(398, 305)}) {
            const QRgb c = splash.pixel(p);
            QVERIFY2(qRed(c) > 240 && qGreen(c) > 240 && qBlue(c) > 240, qPrintable(QStringLiteral("pixel %1,%2").arg(p.x()).arg(p.y())));
        }
    }

    void aboutPictureDecodes()
    {
        const QImage about = LoadJpegResource(QStringLiteral(":/images/about.jpg"));
        QVERIFY(!about.isNull());
        QVERIFY(about.width() >= 100 && about.width() <= 140);
        QVERIFY(about.height() >= 220 && about.height() <= 260);
        QVERIFY(about.height() > about.width());
    }

    // A header claiming more than the program ever shows gives a null image, before any allocation;
    // up to the cap the picture decodes (the rows the data does not cover read as grey).
    void jpegSizeIsCapped_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<bool>("decodes");
        QTest::newRow("widest") << 8192 << 8 << true;
        QTest::newRow("tallest") << 8 << 8192 << true;
        QTest::newRow("too wide") << 8193 << 8 << false;
        QTest::newRow("too tall") << 8 << 8193 << false;
        QTest::newRow("too many pixels") << 8192 << 8192 << false;
        QTest::newRow("65500 square") << 65500 << 65500 << false;
    }

    void jpegSizeIsCapped()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(bool, decodes);
        QFile f(QStringLiteral(":/images/about.jpg"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QByteArray jpeg = f.readAll();
        const qsizetype sof = FrameHeader(jpeg);
        QVERIFY(sof > 0);
        jpeg[sof + 5] = char(height >> 8);
        jpeg[sof + 6] = char(height);
        jpeg[sof + 7] = char(width >> 8);
        jpeg[sof + 8] = char(width);
        const QImage image = DecodeJpeg(jpeg);
        QCOMPARE(image.isNull(), !decodes);
        if (decodes) QCOMPARE(image.size(), QSize(width, height));
    }

    void contactSheet()
    {
        const QString path = qEnvironmentVariable("VXT_ICON_SHEET");
        if (path.isEmpty()) QSKIP("VXT_ICON_SHEET not set");
        const QList<QIcon> icons = AllIcons();
        const int cell = 40;
        QImage sheet(icons.size() * cell + 16, 3 * cell + 16, QImage::Format_ARGB32);
        sheet.fill(QColor(0xF0, 0xF0, 0xF0));
        QPainter p(&sheet);
        for (int i = 0; i < icons.size(); ++i) {
            const int x = 8 + i * cell;
            p.drawPixmap(x, 8, icons[i].pixmap(24));
            p.drawPixmap(x, 8 + cell, icons[i].pixmap(32));
            p.drawPixmap(x, 8 + 2 * cell, icons[i].pixmap(24, QIcon::Disabled));
        }
        p.end();
        QVERIFY(sheet.save(path));
    }
};

QTEST_MAIN(TestIcons)
#include "test_icons.moc"
