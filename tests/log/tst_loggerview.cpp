// The history chart's pixels: the four bands in the pie's colours, stacked in their order, the
// swap and pressure lines where their figures put them, and the readout under the pointer.
#include "log/LoggerView.h"
#include "log/MemoryHistory.h"

#include <QImage>
#include <QPainter>
#include <QTest>

using namespace Kalvoren;

namespace {

constexpr float gib = 1024.0f * 1024.0f * 1024.0f;

bool near(QColor a, QColor b)
{
    return qAbs(a.red() - b.red()) < 40 && qAbs(a.green() - b.green()) < 40
            && qAbs(a.blue() - b.blue()) < 40;
}

// Whether colour is within a few pixels of (x, y): dashes have gaps, and a thin line may fall
// between two rows.
bool colourNear(const QImage &image, int x, int y, QColor colour)
{
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -8; dx <= 8; ++dx) {
            if (near(image.pixelColor(x + dx, y + dy), colour))
                return true;
        }
    }
    return false;
}

} // namespace

class TestLoggerView : public QObject
{
    Q_OBJECT

private slots:
    void bandsAndLinesWhereTheFiguresPutThem()
    {
        // Ten minutes of samples: 1 GiB in each class, 1.5 of 4 GiB of swap in use, and
        // memory pressure at 62.5 %.
        MemoryHistory history;
        MemorySample sample;
        sample.swapTotalBytes = 4ull << 30;
        sample.swapFreeBytes = (4ull << 30) - (3ull << 29);
        sample.pressure = MemoryPressure { { 62.5, 0, 0, 0 }, std::nullopt };
        MemoryFigures figures;
        figures.Free = figures.Inactive = figures.Active = figures.Wired = gib;
        for (int i = 0; i < 300; ++i)
            history.append(sample, figures, 1'000'000 + qint64(i) * 2000);

        LoggerView view;
        view.setHistory(&history);
        QImage image(600, 200, QImage::Format_ARGB32);
        image.fill(Qt::black);
        QPainter painter(&image);
        view.drawChart(painter, QRectF(0, 0, 600, 200));
        painter.end();

        // The plot runs from y 4 to 180: four bands of 44 pixels, wired at the bottom.
        const int x = 400;
        QVERIFY(near(image.pixelColor(x, 180 - 22), Qt::red));
        QVERIFY(near(image.pixelColor(x, 180 - 44 - 8), Qt::yellow));
        QVERIFY(near(image.pixelColor(x, 180 - 88 - 8), Qt::blue));
        QVERIFY(near(image.pixelColor(x, 180 - 132 - 22), Qt::green));
        QVERIFY(colourNear(image, x, 180 - 66, Qt::magenta));          // 1.5 of 4 GiB of stack
        QVERIFY(colourNear(image, x, 180 - 110, QColor(255, 140, 0))); // 62.5 % of the height
        QVERIFY(!colourNear(image, x, 180 - 22, Qt::magenta));

        const QString readout = view.readoutAt(x, QRectF(0, 0, 600, 200));
        QVERIFY2(readout.contains("Free 1024.00 MB") && readout.contains("Swap 1536.00 MB")
                         && readout.contains("Pressure 62.5 %"),
                 qPrintable(readout));
    }
};

QTEST_MAIN(TestLoggerView)
#include "tst_loggerview.moc"
