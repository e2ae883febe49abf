// Images for the shell tests, drawn with Qt's own modules (what the program and Qt desktops
// use), so that no image package needs to be installed:
//   kalvoren_image_tool svg FILE        renders FILE at its own size and prints "WxH"; fails
//                                       when it does not load or draws no pixel
//   kalvoren_image_tool grab FILE.png   saves a picture of the whole screen of $DISPLAY
//   kalvoren_image_tool diff A.png B.png
//                                       prints "WxH+X+Y", the smallest rectangle holding
//                                       every pixel that differs ("0x0+0+0" when none does)
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QSvgRenderer>

#include <cstdio>

namespace {

int renderSvg(const QString &file)
{
    QSvgRenderer renderer(file);
    const QSize size = renderer.defaultSize();
    if (!renderer.isValid() || size.isEmpty()) {
        std::fprintf(stderr, "%s: not an SVG that Qt can draw\n", qPrintable(file));
        return 1;
    }
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    bool drawn = false;
    for (int y = 0; y < image.height() && !drawn; ++y) {
        for (int x = 0; x < image.width() && !drawn; ++x)
            drawn = qAlpha(image.pixel(x, y)) != 0;
    }
    if (!drawn) {
        std::fprintf(stderr, "%s: draws nothing\n", qPrintable(file));
        return 1;
    }
    std::printf("%dx%d\n", size.width(), size.height());
    return 0;
}

int grabScreen(const QString &file)
{
    QScreen *screen = QGuiApplication::primaryScreen();
    return screen && screen->grabWindow(0).save(file, "PNG") ? 0 : 1;
}

int differingArea(const QString &first, const QString &second)
{
    const QImage a = QImage(first).convertToFormat(QImage::Format_RGB32);
    const QImage b = QImage(second).convertToFormat(QImage::Format_RGB32);
    if (a.isNull() || b.isNull() || a.size() != b.size()) {
        std::fprintf(stderr, "%s, %s: not two pictures of one size\n", qPrintable(first),
                     qPrintable(second));
        return 1;
    }
    QRect area;
    for (int y = 0; y < a.height(); ++y) {
        const QRgb *lineA = reinterpret_cast<const QRgb *>(a.constScanLine(y));
        const QRgb *lineB = reinterpret_cast<const QRgb *>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            if (lineA[x] != lineB[x])
                area |= QRect(x, y, 1, 1);
        }
    }
    std::printf("%dx%d+%d+%d\n", area.width(), area.height(), area.x(), area.y());
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const QByteArray mode = argc >= 3 ? QByteArray(argv[1]) : QByteArray();
    if (!(argc == 3 && (mode == "svg" || mode == "grab")) && !(argc == 4 && mode == "diff")) {
        std::fputs("usage: kalvoren_image_tool svg FILE | grab FILE.png | diff A.png B.png\n",
                   stderr);
        return 2;
    }
    if (mode != "grab")
        qputenv("QT_QPA_PLATFORM", "offscreen"); // drawing needs no display
    QGuiApplication app(argc, argv);
    const QString file = QString::fromLocal8Bit(argv[2]);
    if (mode == "diff")
        return differingArea(file, QString::fromLocal8Bit(argv[3]));
    return mode == "svg" ? renderSvg(file) : grabScreen(file);
}
