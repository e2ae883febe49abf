// Renders the application icon's SVG to a square PNG for the fixed sizes of the hicolor icon
// theme, at build time, so that the SVG stays the only source of the icon.
//
//   kalvoren-render-icon SVG SIZE PNG
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 4) {
        std::fputs("usage: kalvoren-render-icon SVG SIZE PNG\n", stderr);
        return 2;
    }
    const int size = QByteArray(argv[2]).toInt();
    QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
    if (!svg.isValid() || size < 1 || size > 1024) {
        std::fprintf(stderr, "kalvoren-render-icon: cannot render %s at %s pixels\n", argv[1],
                     argv[2]);
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        svg.render(&painter);
    }
    if (!image.save(QString::fromLocal8Bit(argv[3]), "PNG")) {
        std::fprintf(stderr, "kalvoren-render-icon: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
