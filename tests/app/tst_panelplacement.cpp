// Where the drop-down panel opens for a click on the tray icon: under the icon where the tray
// tells where it is, under the pointer otherwise.
#include "app/PanelPlacement.h"

#include <QtTest>

using namespace Kalvoren;

Q_DECLARE_METATYPE(QList<Kalvoren::ScreenArea>)

namespace {

// The anchor of a click where only the pointer is known.
QRect at(int x, int y)
{
    return QRect(x, y, 1, 1);
}

} // namespace

class TestPanelPlacement : public QObject
{
    Q_OBJECT

private slots:
    void placement_data()
    {
        QTest::addColumn<QList<ScreenArea>>("screens");
        QTest::addColumn<QRect>("anchor");
        QTest::addColumn<QPoint>("expected");

        // Every row places a panel of 200 x 338.
        const ScreenArea laptop { QRect(0, 0, 1280, 800), QRect(0, 0, 1280, 800) };
        // A top bar 24 high that windows keep clear of.
        const ScreenArea topBar { QRect(0, 0, 1280, 800), QRect(0, 24, 1280, 776) };
        // A bottom task bar 40 high.
        const ScreenArea bottomBar { QRect(0, 0, 1280, 800), QRect(0, 0, 1280, 760) };
        // Left-hand vertical panel 48 wide.
        const ScreenArea leftBar { QRect(0, 0, 1280, 800), QRect(48, 0, 1232, 800) };

        QTest::newRow("one screen: 110 left of and one below the pointer")
                << QList<ScreenArea> { laptop } << at(600, 10) << QPoint(490, 11);
        QTest::newRow("near the left edge stays on screen")
                << QList<ScreenArea> { laptop } << at(50, 10) << QPoint(0, 11);
        QTest::newRow("near the right edge stays on screen")
                << QList<ScreenArea> { laptop } << at(1270, 5) << QPoint(1080, 6);
        QTest::newRow("below a top bar")
                << QList<ScreenArea> { topBar } << at(1200, 12) << QPoint(1080, 24);
        QTest::newRow("tray at the bottom opens upwards")
                << QList<ScreenArea> { bottomBar } << at(600, 780) << QPoint(490, 422);
        QTest::newRow("bottom edge without a bar opens upwards")
                << QList<ScreenArea> { laptop } << at(600, 795) << QPoint(490, 456);
        QTest::newRow("tray at the left edge")
                << QList<ScreenArea> { leftBar } << at(20, 400) << QPoint(48, 401);
        QTest::newRow("left edge low down: upwards and clear of the bar")
                << QList<ScreenArea> { leftBar } << at(20, 700) << QPoint(48, 361);

        // Two screens side by side, of different heights, tops aligned.
        const ScreenArea big { QRect(0, 0, 1920, 1080), QRect(0, 0, 1920, 1080) };
        const ScreenArea small { QRect(1920, 0, 1280, 800), QRect(1920, 0, 1280, 800) };
        QTest::newRow("two screens: top of the smaller one")
                << QList<ScreenArea> { big, small } << at(2500, 3) << QPoint(2390, 4);
        QTest::newRow("two screens: not spilling onto the neighbour")
                << QList<ScreenArea> { big, small } << at(1925, 3) << QPoint(1920, 4);
        QTest::newRow("two screens: right edge of the bigger one")
                << QList<ScreenArea> { big, small } << at(1900, 3) << QPoint(1720, 4);
        QTest::newRow("two screens: bottom of the smaller one")
                << QList<ScreenArea> { big, small } << at(2500, 795) << QPoint(2390, 456);
        QTest::newRow("two screens: bottom of the bigger one")
                << QList<ScreenArea> { big, small } << at(700, 1075) << QPoint(590, 736);
        // Bottoms aligned: the smaller screen starts 280 lower.
        const ScreenArea lowered { QRect(1920, 280, 1280, 800), QRect(1920, 280, 1280, 800) };
        QTest::newRow("two screens, bottoms aligned: top of the lower one")
                << QList<ScreenArea> { big, lowered } << at(2500, 285) << QPoint(2390, 286);
        QTest::newRow("pointer in the dead corner above the lower screen uses the nearest")
                << QList<ScreenArea> { big, lowered } << at(2500, 100) << QPoint(2390, 280);
        QTest::newRow("second screen left of the primary")
                << QList<ScreenArea> { big, ScreenArea { QRect(-1280, 0, 1280, 800),
                                                         QRect(-1280, 0, 1280, 800) } }
                << at(-1250, 2) << QPoint(-1280, 3);
        QTest::newRow("screen shorter than the panel: top edge wins")
                << QList<ScreenArea> { ScreenArea { QRect(0, 0, 640, 300), QRect(0, 0, 640, 300) } }
                << at(300, 150) << QPoint(190, 0);
        // An XEmbed tray tells where its icon is: the panel drops from the icon's centre and
        // leaves the icon itself uncovered.
        QTest::newRow("icon in a top-right tray")
                << QList<ScreenArea> { laptop } << QRect(1100, 0, 24, 24) << QPoint(1001, 24);
        QTest::newRow("icon in a bottom bar: above the bar")
                << QList<ScreenArea> { bottomBar } << QRect(600, 770, 24, 24) << QPoint(501, 422);
        QTest::newRow("icon at the bottom edge without a bar: above the icon")
                << QList<ScreenArea> { laptop } << QRect(600, 776, 24, 24) << QPoint(501, 437);
        QTest::newRow("no screens: unclamped")
                << QList<ScreenArea> {} << at(50, 10) << QPoint(-60, 11);
    }

    void placement()
    {
        QFETCH(QList<ScreenArea>, screens);
        QFETCH(QRect, anchor);
        QFETCH(QPoint, expected);
        const QSize panel(200, 338);
        const QPoint topLeft = panelTopLeft(anchor, panel, screens);
        QCOMPARE(topLeft, expected);
        // Whatever the case, a panel that fits lies wholly on one screen's usable area.
        if (!screens.isEmpty() && panel.height() <= 300) {
            const QRect placed(topLeft, panel);
            bool inside = false;
            for (const ScreenArea &s : screens)
                inside = inside || s.available.contains(placed);
            QVERIFY(inside);
        }
    }

    void windowsOpenOnScreenWithoutHidingEachOther()
    {
        const QRect area(0, 30, 1920, 1050);
        QList<QRect> frames;
        for (int others = 0; others < 40; ++others) {
            const QRect frame = windowFrame(QSize(660, 560), area, others);
            QVERIFY(area.contains(frame));
            frames << frame;
        }
        QCOMPARE(frames.first().center(), area.center());
        QCOMPARE(frames.at(1).topLeft(), frames.first().topLeft() + QPoint(32, 32));
        // Before one would leave the area, the next starts again at the centre.
        QVERIFY(frames.indexOf(frames.first(), 1) > 1);

        // A window larger than the screen (scale factor 2 on a 1080-pixel screen) is shrunk
        // to it, and a window with no room to step aside stays centred.
        const QRect half(0, 0, 960, 520);
        QCOMPARE(windowFrame(QSize(660, 560), half, 0), QRect(150, 0, 660, 520));
        QCOMPARE(windowFrame(QSize(660, 560), half, 3), QRect(150, 0, 660, 520));
    }

    void panelOnScreenWheneverItFits()
    {
        // Sweep the pointer, and an icon, over both screens of a two-screen setup: the panel
        // always lies within the available area of the screen that holds the anchor.
        const QList<ScreenArea> screens {
            { QRect(0, 0, 1920, 1080), QRect(0, 30, 1920, 1050) },
            { QRect(1920, 280, 1280, 800), QRect(1920, 280, 1280, 760) },
        };
        const QSize panel(200, 338);
        for (const QSize anchorSize : { QSize(1, 1), QSize(24, 24) }) {
            for (const ScreenArea &screen : screens) {
                const QRect &g = screen.geometry;
                for (int x = g.left(); x <= g.right() - anchorSize.width() + 1; x += 97) {
                    for (int y = g.top(); y <= g.bottom() - anchorSize.height() + 1; y += 53) {
                        const QRect anchor(QPoint(x, y), anchorSize);
                        const QRect placed(panelTopLeft(anchor, panel, screens), panel);
                        QVERIFY2(screen.available.contains(placed),
                                 qPrintable(QStringLiteral("anchor %1,%2").arg(x).arg(y)));
                        // Nor does it cover what was just clicked.
                        QVERIFY(!placed.intersects(anchor));
                    }
                }
            }
        }
    }
};

QTEST_MAIN(TestPanelPlacement)
#include "tst_panelplacement.moc"
