// Where the drop-down panel opens for a click on the tray icon.
#include "app/PanelPlacement.h"

#include <QtTest>

using namespace Kalvoren;

Q_DECLARE_METATYPE(QList<Kalvoren::ScreenArea>)

class TestPanelPlacement : public QObject
{
    Q_OBJECT

private slots:
    void placement_data()
    {
        QTest::addColumn<QList<ScreenArea>>("screens");
        QTest::addColumn<QPoint>("pointer");
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
                << QList<ScreenArea> { laptop } << QPoint(600, 10) << QPoint(490, 11);
        QTest::newRow("near the left edge stays on screen")
                << QList<ScreenArea> { laptop } << QPoint(50, 10) << QPoint(0, 11);
        QTest::newRow("near the right edge stays on screen")
                << QList<ScreenArea> { laptop } << QPoint(1270, 5) << QPoint(1080, 6);
        QTest::newRow("below a top bar")
                << QList<ScreenArea> { topBar } << QPoint(1200, 12) << QPoint(1080, 24);
        QTest::newRow("tray at the bottom opens upwards")
                << QList<ScreenArea> { bottomBar } << QPoint(600, 780) << QPoint(490, 422);
        QTest::newRow("bottom edge without a bar opens upwards")
                << QList<ScreenArea> { laptop } << QPoint(600, 795) << QPoint(490, 456);
        QTest::newRow("tray at the left edge")
                << QList<ScreenArea> { leftBar } << QPoint(20, 400) << QPoint(48, 401);
        QTest::newRow("left edge low down: upwards and clear of the bar")
                << QList<ScreenArea> { leftBar } << QPoint(20, 700) << QPoint(48, 361);

        // Two screens side by side, of different heights, tops aligned.
        const ScreenArea big { QRect(0, 0, 1920, 1080), QRect(0, 0, 1920, 1080) };
        const ScreenArea small { QRect(1920, 0, 1280, 800), QRect(1920, 0, 1280, 800) };
        QTest::newRow("two screens: top of the smaller one")
                << QList<ScreenArea> { big, small } << QPoint(2500, 3) << QPoint(2390, 4);
        QTest::newRow("two screens: not spilling onto the neighbour")
                << QList<ScreenArea> { big, small } << QPoint(1925, 3) << QPoint(1920, 4);
        QTest::newRow("two screens: right edge of the bigger one")
                << QList<ScreenArea> { big, small } << QPoint(1900, 3) << QPoint(1720, 4);
        QTest::newRow("two screens: bottom of the smaller one")
                << QList<ScreenArea> { big, small } << QPoint(2500, 795) << QPoint(2390, 456);
        QTest::newRow("two screens: bottom of the bigger one")
                << QList<ScreenArea> { big, small } << QPoint(700, 1075) << QPoint(590, 736);
        // Bottoms aligned: the smaller screen starts 280 lower.
        const ScreenArea lowered { QRect(1920, 280, 1280, 800), QRect(1920, 280, 1280, 800) };
        QTest::newRow("two screens, bottoms aligned: top of the lower one")
                << QList<ScreenArea> { big, lowered } << QPoint(2500, 285) << QPoint(2390, 286);
        QTest::newRow("pointer in the dead corner above the lower screen uses the nearest")
                << QList<ScreenArea> { big, lowered } << QPoint(2500, 100) << QPoint(2390, 280);
        QTest::newRow("second screen left of the primary")
                << QList<ScreenArea> { big, ScreenArea { QRect(-1280, 0, 1280, 800),
                                                         QRect(-1280, 0, 1280, 800) } }
                << QPoint(-1250, 2) << QPoint(-1280, 3);
        QTest::newRow("screen shorter than the panel: top edge wins")
                << QList<ScreenArea> { ScreenArea { QRect(0, 0, 640, 300), QRect(0, 0, 640, 300) } }
                << QPoint(300, 150) << QPoint(190, 0);
        QTest::newRow("no screens: unclamped")
                << QList<ScreenArea> {} << QPoint(50, 10) << QPoint(-60, 11);
    }

    void placement()
    {
        QFETCH(QList<ScreenArea>, screens);
        QFETCH(QPoint, pointer);
        QFETCH(QPoint, expected);
        const QSize panel(200, 338);
        const QPoint topLeft = panelTopLeft(pointer, panel, screens);
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

    void panelOnScreenWheneverItFits()
    {
        // Sweep the pointer over both screens of a two-screen setup: the panel always lies
        // within the available area of the screen that holds the pointer.
        const QList<ScreenArea> screens {
            { QRect(0, 0, 1920, 1080), QRect(0, 30, 1920, 1050) },
            { QRect(1920, 280, 1280, 800), QRect(1920, 280, 1280, 760) },
        };
        const QSize panel(200, 338);
        for (const ScreenArea &screen : screens) {
            for (int x = screen.geometry.left(); x <= screen.geometry.right(); x += 97) {
                for (int y = screen.geometry.top(); y <= screen.geometry.bottom(); y += 53) {
                    const QRect placed(panelTopLeft(QPoint(x, y), panel, screens), panel);
                    QVERIFY2(screen.available.contains(placed),
                             qPrintable(QStringLiteral("pointer %1,%2").arg(x).arg(y)));
                    // Nor does it cover the pointer, that is the tray icon just clicked.
                    QVERIFY(!placed.contains(QPoint(x, y)));
                }
            }
        }
    }
};

QTEST_MAIN(TestPanelPlacement)
#include "tst_panelplacement.moc"
