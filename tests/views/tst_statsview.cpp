// Pixel tests of the pie: slice colours at known angles, the empty and degenerate cases, the
// shadow and ring, and the status and application icons made from it.
#include "views/IconRenderer.h"
#include "views/PieSlice.h"
#include "views/StatsView.h"

#include <QPainter>
#include <QtMath>
#include <QtTest>

using namespace Kalvoren;

namespace {

struct Probe
{
    qreal angle; // degrees on screen, counter-clockwise from 3 o'clock
    QColor colour;
};

struct Figures
{
    float wired, active, inactive, free;
};

QColor grey(qreal white)
{
    return QColor::fromRgbF(white, white, white);
}

// The point at angle and distance from centre, in y-down widget coordinates.
QPointF polar(QPointF centre, qreal distance, qreal angle)
{
    const qreal rad = qDegreesToRadians(angle);
    return { centre.x() + distance * std::cos(rad), centre.y() - distance * std::sin(rad) };
}

// The unpremultiplied colour of the device pixel under a logical point.
QColor pixelAt(const QImage &image, QPointF logical)
{
    const qreal dpr = image.devicePixelRatio();
    return image.pixelColor(int(logical.x() * dpr), int(logical.y() * dpr));
}

bool near(const QColor &a, const QColor &b, int tolerance = 3)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
            && std::abs(a.blue() - b.blue()) <= tolerance
            && std::abs(a.alpha() - b.alpha()) <= tolerance;
}

QString describe(const QColor &c)
{
    return QStringLiteral("rgba(%1,%2,%3,%4)").arg(c.red()).arg(c.green()).arg(c.blue()).arg(c.alpha());
}

// Counts pixels that are clearly one of the slice colours of the full view.
int countSaturated(const QImage &image, const QColor &colour)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (near(image.pixelColor(x, y), colour, 40))
                ++count;
        }
    }
    return count;
}

} // namespace

Q_DECLARE_METATYPE(Figures)
Q_DECLARE_METATYPE(QList<Probe>)

class TestStatsView : public QObject
{
    Q_OBJECT

private:
    PieFigures m_figures;

    void setFigures(const Figures &f)
    {
        m_figures = { f.free, f.inactive, f.active, f.wired };
    }

    // The full pie of a view of the given size, drawn as the view draws itself, on a
    // transparent background.
    QImage renderFull(StatsView &view, QSize size)
    {
        view.resize(size);
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        view.drawPie(painter, QRectF(QPointF(0, 0), QSizeF(size)));
        painter.end();
        return image.convertToFormat(QImage::Format_ARGB32);
    }

    void checkProbes(const QImage &image, QPointF centre, qreal radius, const QList<Probe> &probes)
    {
        for (const Probe &p : probes) {
            const QColor got = pixelAt(image, polar(centre, radius, p.angle));
            QVERIFY2(near(got, p.colour),
                     qPrintable(QStringLiteral("at %1 degrees: got %2, want %3")
                                        .arg(p.angle)
                                        .arg(describe(got), describe(p.colour))));
        }
    }

private slots:
    void init()
    {
        m_figures = {};
        // Any warning (NaN angles, bad arcs) is a failure here.
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    }

    void fullViewSliceColours_data()
    {
        QTest::addColumn<Figures>("figures");
        QTest::addColumn<QList<Probe>>("probes");
        // Equal figures: wired in the upper right quarter, then clockwise.
        QTest::newRow("quarters") << Figures { 1, 1, 1, 1 }
                                  << QList<Probe> { { 45, Qt::red },
                                                    { -45, Qt::yellow },
                                                    { -135, Qt::blue },
                                                    { 135, Qt::green } };
        // 30 degrees per unit: wired 60..90, active 0..60, inactive -90..0, free -270..-90.
        QTest::newRow("uneven") << Figures { 1, 2, 3, 6 }
                                << QList<Probe> { { 75, Qt::red },     { 64, Qt::red },
                                                  { 56, Qt::yellow },  { 4, Qt::yellow },
                                                  { -4, Qt::blue },    { -86, Qt::blue },
                                                  { -94, Qt::green },  { 180, Qt::green },
                                                  { 94, Qt::green } };
        // Figures in bytes as the sampler stores them.
        QTest::newRow("bytes") << Figures { 1.5e9f, 1.5e9f, 3.0e9f, 6.0e9f }
                               << QList<Probe> { { 70, Qt::red }, { 30, Qt::yellow },
                                                 { -45, Qt::blue }, { -180, Qt::green } };
    }

    void fullViewSliceColours()
    {
        QFETCH(Figures, figures);
        QFETCH(QList<Probe>, probes);
        setFigures(figures);
        StatsView view;
        view.setFigures(m_figures);
        view.setmode(IconMono); // the full view ignores the style
        // 160 wide: pie rect (9.6, 9.6, 140.8, 140.8), slices' radius 69.4 about (80, 80).
        const QImage image = renderFull(view, QSize(160, 160));
        checkProbes(image, QPointF(80, 80), 69.4 * 0.6, probes);

        // The view's own paint event draws the same full pie.
        const QImage grabbed = view.grab().toImage().convertToFormat(QImage::Format_ARGB32);
        checkProbes(grabbed, QPointF(80, 80), 69.4 * 0.6, probes);
        QVERIFY(!view.isMini());
    }

    void miniSliceColoursPerStyle_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QList<Probe>>("probes");
        const QColor black = grey(0), dark = grey(1.0 / 3), mid = grey(0.5), light = grey(2.0 / 3);
        auto quarters = [](QColor wired, QColor active, QColor inactive, QColor free) {
            return QList<Probe> { { 45, wired }, { -45, active }, { -135, inactive }, { 135, free } };
        };
        QTest::newRow("mono") << 0 << quarters(black, black, black, light);
        QTest::newRow("mono inverted") << 1 << quarters(light, light, light, black);
        QTest::newRow("grayscale") << 2 << quarters(black, dark, mid, light);
        QTest::newRow("colour") << 3 << quarters(Qt::red, Qt::yellow, Qt::blue, Qt::green);
        QTest::newRow("unknown style") << 9 << quarters(Qt::white, Qt::white, Qt::white, Qt::white);
    }

    void miniSliceColoursPerStyle()
    {
        QFETCH(int, mode);
        QFETCH(QList<Probe>, probes);
        setFigures({ 1, 1, 1, 1 });
        StatsView view;
        view.setFigures(m_figures);
        view.setmode(mode);
        // At 4 device pixels per point the probes sit well inside their slices.
        const QImage icon =
                renderStatusIcon(view, 4.0).convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(icon.size(), QSize(80, 80));
        // Pie in (0, 1, 19, 19): slices' circle about (9.5, 10.5), radius 7.36.
        checkProbes(icon, QPointF(9.5, 10.5), 7.36 * 0.6, probes);
        QVERIFY(!view.isMini());
    }

    void freeAloneCoversTheCircle()
    {
        setFigures({ 0, 0, 0, 4e9f });
        StatsView view;
        view.setFigures(m_figures);
        const QImage image = renderFull(view, QSize(160, 160));
        QList<Probe> probes;
        for (int angle = -180; angle < 180; angle += 15)
            probes.append({ qreal(angle), Qt::green });
        probes.append({ 89.5, Qt::green });
        probes.append({ 90.5, Qt::green });
        checkProbes(image, QPointF(80, 80), 69.4 * 0.8, probes);
        QCOMPARE(countSaturated(image, Qt::red), 0);
        QCOMPARE(countSaturated(image, Qt::yellow), 0);
        QCOMPARE(countSaturated(image, Qt::blue), 0);
    }

    void zeroFigureLeavesEmptySector_data()
    {
        QTest::addColumn<float>("wired");
        QTest::newRow("zero") << 0.0f;
        QTest::newRow("negative") << -5.0f;
        QTest::newRow("not a number") << std::numeric_limits<float>::quiet_NaN();
        QTest::newRow("infinite") << std::numeric_limits<float>::infinity();
    }

    void zeroFigureLeavesEmptySector()
    {
        QFETCH(float, wired);
        // Without wired memory active starts at 12 o'clock: 90 down to 0 degrees.
        setFigures({ wired, 1, 1, 2 });
        StatsView view;
        view.setFigures(m_figures);
        const QImage image = renderFull(view, QSize(160, 160));
        QCOMPARE(countSaturated(image, Qt::red), 0);
        checkProbes(image, QPointF(80, 80), 69.4 * 0.6,
                    { { 86, Qt::yellow }, { 4, Qt::yellow }, { -45, Qt::blue },
                      { 180, Qt::green }, { 94, Qt::green } });
    }

    void zeroSumDrawsTheEmptyDisc()
    {
        setFigures({ 0, 0, 0, 0 });
        StatsView view;
        view.setFigures(m_figures);
        const QImage image = renderFull(view, QSize(160, 160));
        for (const QColor &c : { QColor(Qt::red), QColor(Qt::yellow), QColor(Qt::blue),
                                 QColor(Qt::green) })
            QCOMPARE(countSaturated(image, c), 0);
        // The translucent grey disc is there.
        const QColor centre = pixelAt(image, QPointF(80, 80));
        QVERIFY2(centre.alpha() > 100, qPrintable(describe(centre)));
        QCOMPARE(centre.red(), centre.green());
        QCOMPARE(centre.green(), centre.blue());

        // So is it in a view never given figures, and in the status icon.
        StatsView lone;
        const QImage loneImage = renderFull(lone, QSize(160, 160));
        QCOMPARE(pixelAt(loneImage, QPointF(80, 80)), centre);
        view.setmode(IconColor);
        const QImage icon = renderStatusIcon(view, 1.0).convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(countSaturated(icon, Qt::green), 0);
        QVERIFY(pixelAt(icon, QPointF(9.5, 10.5)).alpha() > 100);
    }

    void shadowFallsLowerRightInViewUpperRightInIcon()
    {
        setFigures({ 1, 1, 1, 1 });
        StatsView view;
        view.setFigures(m_figures);
        const QImage image = renderFull(view, QSize(160, 160));
        // Disc: oval in (9.6, 9.6, 140.8, 140.8), radius 70.4; probe 3 points outside it.
        const int lowerRight = pixelAt(image, polar(QPointF(80, 80), 73.4, -45)).alpha();
        const int upperLeft = pixelAt(image, polar(QPointF(80, 80), 73.4, 135)).alpha();
        const int upperRight = pixelAt(image, polar(QPointF(80, 80), 73.4, 45)).alpha();
        QVERIFY2(lowerRight > upperLeft + 15, qPrintable(QStringLiteral("%1 vs %2")
                                                                  .arg(lowerRight)
                                                                  .arg(upperLeft)));
        QVERIFY(lowerRight > upperRight + 5);
        // Soft: still some shadow far from the shifted disc's edge, fading out.
        const int farOut = pixelAt(image, polar(QPointF(80, 80), 79, -45)).alpha();
        QVERIFY(farOut > 0);
        QVERIFY(farOut < lowerRight);

        // The icon's shadow is sharp, one point up and right: disc (1.14, 2.14, 16.72,
        // 16.72) about (9.5, 10.5), radius 8.36, so along the diagonal it reaches 9.77 out.
        view.setmode(IconMono);
        const QImage icon = renderStatusIcon(view, 4.0).convertToFormat(QImage::Format_ARGB32);
        const QColor up = pixelAt(icon, polar(QPointF(9.5, 10.5), 9.35, 45));
        const QColor down = pixelAt(icon, polar(QPointF(9.5, 10.5), 9.35, 225));
        QVERIFY2(up.alpha() > 40 && up.alpha() < 90 && up.red() < 20, qPrintable(describe(up)));
        QCOMPARE(down.alpha(), 0);
    }

    void miniRingShowsBelowThePie()
    {
        setFigures({ 1, 1, 1, 1 });
        StatsView view;
        view.setFigures(m_figures);
        const QImage icon = renderStatusIcon(view, 4.0).convertToFormat(QImage::Format_ARGB32);
        // Ring oval (1.64, 2.44, 15.72, 16.72): its bottom runs at y 19.16, 1.3 below the
        // slices' circle, where nothing else is drawn.
        const QColor ring = pixelAt(icon, QPointF(9.5, 19.2));
        QVERIFY2(ring.alpha() > 150 && ring.red() > 200 && ring.red() == ring.blue(),
                 qPrintable(describe(ring)));
        // The full view has no ring: below its disc (and its shadow's reach) is empty.
        const QImage full = renderFull(view, QSize(160, 160));
        QCOMPARE(pixelAt(full, QPointF(20, 158)).alpha(), 0);
    }

    void radiusComesFromWidthAlone()
    {
        setFigures({ 1, 1, 1, 1 });
        StatsView view;
        view.setFigures(m_figures);
        // 200 x 100: slices' circle about (100, 50), radius 87, taller than the view and
        // the disc, so the wired slice shows above the disc's top (y 12).
        const QImage wide = renderFull(view, QSize(200, 100));
        QVERIFY(near(pixelAt(wide, QPointF(140, 6)), Qt::red));
        QVERIFY(near(pixelAt(wide, QPointF(60, 6)), Qt::green));
        // 100 x 200: radius 43 about (50, 100); the disc is an upright oval, so 60 above the
        // centre there is disc but no slice.
        const QImage tall = renderFull(view, QSize(100, 200));
        const QColor disc = pixelAt(tall, QPointF(50, 40));
        QVERIFY2(disc.alpha() > 50 && disc.red() == disc.green() && disc.green() == disc.blue(),
                 qPrintable(describe(disc)));
        QVERIFY(near(pixelAt(tall, polar(QPointF(50, 100), 30, 45)), Qt::red));
    }

    void shadowBlurIsMadeOncePerSizeAndScale()
    {
        setFigures({ 1, 1, 1, 1 });
        StatsView view;
        view.setFigures(m_figures);
        renderFull(view, QSize(160, 160));
        renderFull(view, QSize(160, 160));
        renderStatusIcon(view, 2.0); // sharp shadow: no blur
        QCOMPARE(view.shadowRenderCount(), 1);
        // The application-icon snapshot draws the same view at another scale; taking turns
        // with the view's own repaints must not blur again each time.
        renderAppIcon(view, 256);
        QCOMPARE(view.shadowRenderCount(), 2);
        for (int i = 0; i < 3; ++i) {
            renderFull(view, QSize(160, 160));
            renderAppIcon(view, 256);
        }
        QCOMPARE(view.shadowRenderCount(), 2);
        renderFull(view, QSize(120, 120));
        QCOMPARE(view.shadowRenderCount(), 3);
    }

    void pieSlicePathGeometry()
    {
        const QRectF rect(0, 0, 100, 100); // circle about (50, 50), radius 49
        const QPointF c(50, 50);
        const QPainterPath upperRight = PieSlice::pieSlicePath(rect, 0, 90);
        QVERIFY(upperRight.contains(polar(c, 30, 45)));
        QVERIFY(!upperRight.contains(polar(c, 30, 135)));
        QVERIFY(!upperRight.contains(polar(c, 30, -45)));
        QVERIFY(!upperRight.contains(polar(c, 50, 45))); // beyond the radius

        const QPainterPath whole = PieSlice::pieSlicePath(rect, -270, 90);
        for (int angle = 0; angle < 360; angle += 30)
            QVERIFY2(whole.contains(polar(c, 45, angle)), qPrintable(QString::number(angle)));

        const QPainterPath empty = PieSlice::pieSlicePath(rect, 30, 30);
        for (int angle = 0; angle < 360; angle += 30)
            QVERIFY(!empty.contains(polar(c, 20, angle)));

        // The radius follows the width: a 200 x 100 rect gives a circle of radius 99.
        const QRectF box = PieSlice::pieSlicePath(QRectF(0, 0, 200, 100), -270, 90).boundingRect();
        QVERIFY(qAbs(box.width() - 198) < 0.5);
        QVERIFY(qAbs(box.height() - 198) < 0.5);
        QVERIFY(qAbs(box.center().y() - 50) < 0.5);
    }

    void statusIconLeavesTopRowAndRightColumnClear()
    {
        setFigures({ 1, 1, 1, 1 });
        StatsView view;
        view.setFigures(m_figures);
        view.setmode(IconColor);
        const QImage icon = renderStatusIcon(view, 2.0).convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(icon.size(), QSize(40, 40));
        QCOMPARE(icon.devicePixelRatio(), 2.0);
        for (int i = 0; i < 40; ++i) {
            QCOMPARE(icon.pixelColor(i, 0).alpha(), 0); // top row, one point high
            QCOMPARE(icon.pixelColor(i, 1).alpha(), 0);
            QCOMPARE(icon.pixelColor(38, i).alpha(), 0); // right column
            QCOMPARE(icon.pixelColor(39, i).alpha(), 0);
        }
        QVERIFY(near(pixelAt(icon, polar(QPointF(9.5, 10.5), 4, 45)), Qt::red));
    }

    void appIconIsTheFullColourPie()
    {
        setFigures({ 1, 1, 1, 1 });
        StatsView view;
        view.setFigures(m_figures);
        view.resize(160, 160);
        view.setmode(IconMono);
        const QImage icon = renderAppIcon(view, 256).convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(icon.size(), QSize(256, 256));
        // Scaled 1.6 times: slices' radius 69.4 x 1.6 about (128, 128).
        checkProbes(icon, QPointF(128, 128), 69.4 * 1.6 * 0.6,
                    { { 45, Qt::red }, { -45, Qt::yellow }, { -135, Qt::blue },
                      { 135, Qt::green } });
        QCOMPARE(icon.pixelColor(2, 2).alpha(), 0);
    }
};

QTEST_MAIN(TestStatsView)
#include "tst_statsview.moc"
