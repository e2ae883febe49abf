#include "AppController.h"

#include "ApplicationLock.h"
#include "MainWindow.h"
#include "optimizer/OptimizerController.h"
#include "stats/MemorySampler.h"
#include "stats/SampleReport.h"

#include <QApplication>

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
    if (m_iconCounter < 1) {
        m_iconCounter = 3;
        QMutexLocker locker(&applicationLock());
        refreshIcons();
    }
    --m_iconCounter;
}
