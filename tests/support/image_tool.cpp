// Images for the shell tests, drawn with Qt's own modules (what the program and Qt desktops
// use), so that no image package needs to be installed:
//   kalvoren_image_tool svg FILE        renders FILE at its own size and prints "WxH"; fails
//                                       when it does not load or draws no pixel
//   kalvoren_image_tool grab FILE.png   saves a picture of the whole screen of $DISPLAY
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

} // namespace

int main(int argc, char **argv)
{
    const QByteArray mode = argc == 3 ? QByteArray(argv[1]) : QByteArray();
    if (mode != "svg" && mode != "grab") {
        std::fputs("usage: kalvoren_image_tool svg FILE | grab FILE.png\n", stderr);
        return 2;
    }
    if (mode == "svg")
        qputenv("QT_QPA_PLATFORM", "offscreen"); // drawing needs no display
    QGuiApplication app(argc, argv);
    const QString file = QString::fromLocal8Bit(argv[2]);
    return mode == "svg" ? renderSvg(file) : grabScreen(file);
}
