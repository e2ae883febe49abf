#include "AppController.h"

#include "ApplicationLock.h"
#include "DesktopNotifier.h"
#include "MainWindow.h"
#include "optimizer/OptimizerController.h"
#include "stats/MemorySampler.h"
#include "stats/SampleReport.h"

#include <QAction>

#include <QApplication>
#include <QDateTime>
#include <QSettings>

using namespace Kalvoren;

AppController::AppController(const Parts &parts, QObject *parent)
    : QObject(parent)
    , m_platform(parts.platform)
    , m_sampler(parts.sampler)
    , m_optimizer(parts.optimizer)
    , mainWindow(parts.mainWindow)
    , m_verStr(QStringLiteral("Version " KALVOREN_VERSION))
    , m_verStrShort(QStringLiteral(KALVOREN_VERSION))
{
    m_iconView.setFixedSize(160, 160);
    createNotices();
    connect(m_optimizer, &OptimizerController::finished, this,
            &AppController::optimizationFinished);
}

AppController::~AppController()
{
    // Without a main window to belong to, the notices are the controller's own.
    delete m_noticeBeforeRun;
    delete m_noticeAfterRun;
}

void AppController::start()
{
    m_iconCounter = 0;
    m_originalIcon = QApplication::windowIcon();
    // Settings are read where they are used; nothing is registered up front.
    m_sampler->start();
}

void AppController::prepareToQuit()
{
    m_sampler->stop();
    QMutexLocker locker(&applicationLock());
    if (m_optUpdatesAppIcon)
        QApplication::setWindowIcon(m_originalIcon);
}

QVariantMap AppController::latestFields() const
{
    const std::optional<MemorySample> sample = m_sampler->latestSample();
    return sample ? sampleFields(*sample, m_sampler->latestFigures()) : QVariantMap();
}

void AppController::sampleTaken(const MemorySample &sample, const MemoryFigures &figures)
{
    m_iconView.setFigures({ figures.Free, figures.Inactive, figures.Active, figures.Wired });
    refreshToolTip(sample, figures);
    if (m_warnWhenLow
        && m_lowMemoryWatch.sampleTaken(sample, QDateTime::currentMSecsSinceEpoch()))
        warnMemoryLow(sample);
    if (m_iconCounter < 1) {
        m_iconCounter = 3;
        QMutexLocker locker(&applicationLock());
        refreshIcons();
    }
    --m_iconCounter;
}

namespace {
const char warnKey[] = "warnWhenMemoryLow";
}

void AppController::setNotifier(std::unique_ptr<DesktopNotifier> notifier)
{
    m_notifier = std::move(notifier);
    if (m_notifier) {
        m_notifier->setTrayIcon(m_statusItem.get());
        connect(m_notifier.get(), &DesktopNotifier::actionInvoked, this,
                &AppController::optimizePressed);
    }
}

void AppController::setWarnsWhenMemoryLow(bool on)
{
    m_warnWhenLow = on;
    m_lowMemoryWatch = LowMemoryWatch();
    if (m_statusMenu) {
        if (auto *item = m_statusMenu->findChild<QAction *>(QStringLiteral("warnLowMemoryAction")))
            item->setChecked(on);
    }
    QSettings settings;
    settings.setValue(QLatin1String(warnKey), on);
    settings.sync();
}

void AppController::loadLowMemoryOption()
{
    m_warnWhenLow = QSettings().value(QLatin1String(warnKey), false).toBool();
    if (m_statusMenu) {
        if (auto *item = m_statusMenu->findChild<QAction *>(QStringLiteral("warnLowMemoryAction")))
            item->setChecked(m_warnWhenLow);
    }
}

void AppController::warnMemoryLow(const MemorySample &sample)
{
    if (!m_notifier)
        return;
    QStringList lines;
    if (sample.availableBytes && sample.totalBytes > 0)
        lines << tr("Only %1 of %2 is available to programs.")
                         .arg(megabytesText(float(*sample.availableBytes)),
                              gigabytesText(float(double(sample.totalBytes) / (1u << 30))));
    if (const QString pressure = pressureText(sample); !pressure.isEmpty())
        lines << pressure;
    m_notifier->notify(tr("Memory is running low"), lines.join(QLatin1Char('\n')),
                       tr("Optimize Now"));
}
