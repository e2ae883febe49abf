#include "StatusMenu.h"

#include "AppController.h"
#include "Autostart.h"
#include "ContactLinks.h"

#include <QActionGroup>
#include <QCoreApplication>
#include <QMessageBox>
#include <QSettings>

namespace Kalvoren {

void titleFirstItem(QMenu *menu)
{
    if (!menu)
        return;
    const QList<QAction *> items = menu->actions();
    if (!items.isEmpty())
        items.first()->setText(QStringLiteral("Kalvoren"));
}

std::unique_ptr<QMenu> createStatusMenu(AppController *c)
{
    auto menu = std::make_unique<QMenu>();
    menu->setObjectName(QStringLiteral("statusMenu"));
    QAction *title = menu->addAction(QStringLiteral("Kalvoren"));
    title->setEnabled(false);
    // The tray shows this menu too; it gets its title the same way as from the button.
    QMenu *raw = menu.get();
    QObject::connect(raw, &QMenu::aboutToShow, raw, [raw] { titleFirstItem(raw); });

    menu->addSeparator();
    QObject::connect(menu->addAction(QObject::tr("About Kalvoren")), &QAction::triggered, c,
                     [c] { c->showAbout(); });
    menu->addSeparator();
    QObject::connect(menu->addAction(QObject::tr("Memory Log…")), &QAction::triggered, c,
                     [c] { c->showLoggerWindow(); });
    QObject::connect(menu->addAction(QObject::tr("Benchmark…")), &QAction::triggered, c,
                     [c] { c->showBenchmarkWindow(); });
    QObject::connect(menu->addAction(QObject::tr("Processes…")), &QAction::triggered, c,
                     [c] { c->showProcessWindow(); });
    menu->addSeparator();

    QMenu *styles = menu->addMenu(QObject::tr("Icon Style"));
    styles->setObjectName(QStringLiteral("iconMenu"));
    auto *group = new QActionGroup(styles);
    const struct
    {
        const char *title;
        int tag;
        void (AppController::*action)();
    } items[] = {
        { QT_TRANSLATE_NOOP("QObject", "Mono"), iconMonoTag, &AppController::setIconMono },
        { QT_TRANSLATE_NOOP("QObject", "Mono Inverted"), iconMonoInvertedTag,
          &AppController::setIconMonoInverted },
        { QT_TRANSLATE_NOOP("QObject", "Grayscale"), iconGrayscaleTag,
          &AppController::setIconGrayscale },
        { QT_TRANSLATE_NOOP("QObject", "Colour"), iconColorTag, &AppController::setIconColor },
    };
    for (const auto &item : items) {
        QAction *action = styles->addAction(QObject::tr(item.title));
        action->setData(item.tag);
        action->setCheckable(true);
        group->addAction(action);
        QObject::connect(action, &QAction::triggered, c, [c, f = item.action] { (c->*f)(); });
    }

    QAction *appIcon = menu->addAction(QObject::tr("Show memory in the application icon"));
    appIcon->setObjectName(QStringLiteral("appIconAction"));
    appIcon->setCheckable(true);
    appIcon->setChecked(c->optUpdatesAppIcon());
    QObject::connect(appIcon, &QAction::triggered, c,
                     [c](bool on) { c->setShowsMemoryInAppIcon(on); });

    QAction *warn = menu->addAction(QObject::tr("Warn When Memory Runs Low"));
    warn->setObjectName(QStringLiteral("warnLowMemoryAction"));
    warn->setCheckable(true);
    warn->setChecked(c->warnsWhenMemoryLow());
    QObject::connect(warn, &QAction::triggered, c,
                     [c](bool on) { c->setWarnsWhenMemoryLow(on); });

    QAction *login = menu->addAction(QObject::tr("Start at Login"));
    login->setObjectName(QStringLiteral("startAtLoginAction"));
    login->setCheckable(true);
    // The entry may have been added or removed by hand or by the desktop's settings.
    QObject::connect(raw, &QMenu::aboutToShow, login,
                     [login] { login->setChecked(isStartAtLoginEnabled()); });
    QObject::connect(login, &QAction::triggered, login, [login](bool on) {
        QString error;
        if (!setStartAtLogin(on, QCoreApplication::applicationFilePath(), &error)) {
            login->setChecked(!on);
            QMessageBox::warning(nullptr, QStringLiteral("Kalvoren"), error);
        }
    });
    menu->addSeparator();

    QAction *home = menu->addAction(QObject::tr("Home Page"));
    home->setObjectName(QStringLiteral("homePageAction"));
    QObject::connect(home, &QAction::triggered, c, [c] { c->openHomepage(); });
    QAction *feedback = menu->addAction(QObject::tr("Send Feedback…"));
    feedback->setObjectName(QStringLiteral("feedbackAction"));
    QObject::connect(feedback, &QAction::triggered, c, [c] { c->sendEmailFeedback(); });
    // Shown only with somewhere to go, which the settings may change at any time. (A tray
    // host that draws an exported menu may not ask before showing it, hence once here too.)
    const auto showLinksWithTarget = [home, feedback] {
        const QSettings settings;
        home->setVisible(!homePageUrl(settings).isEmpty());
        feedback->setVisible(!feedbackMailUrl(settings).isEmpty());
    };
    showLinksWithTarget();
    QObject::connect(raw, &QMenu::aboutToShow, home, showLinksWithTarget);
    menu->addSeparator();
    QObject::connect(menu->addAction(QObject::tr("Quit Kalvoren")), &QAction::triggered, c,
                     [] { QCoreApplication::quit(); });
    return menu;
}

} // namespace Kalvoren
