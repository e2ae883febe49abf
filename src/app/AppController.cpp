#include "AppController.h"

#include "ApplicationLock.h"
#include "log/Logger.h"
#include "platform/Platform.h"
#include "stats/Kesh.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <exception>

using namespace Kalvoren;

namespace {
constexpr int samplingIntervalMs = 2000;
}

AppController::AppController(std::unique_ptr<Platform> platform, QObject *parent)
    : QObject(parent)
    , m_platform(std::move(platform))
    , m_pattern(patternForFrameworkVersion(m_platform->frameworkVersion()))
    , m_verStr(QStringLiteral("Version " KALVOREN_VERSION))
    , m_verStrShort(QStringLiteral(KALVOREN_VERSION))
{
}

AppController::~AppController() = default;

void AppController::awakeFromNib()
{
    m_iconCounter = 0;
    m_originalIcon = QApplication::windowIcon();
    // Settings are read where they are used; nothing is registered up front.
    updateMemoryStats();
    m_timer = new QTimer(this);
    m_timer->setInterval(samplingIntervalMs);
    connect(m_timer, &QTimer::timeout, this, &AppController::handleTimer);
    m_timer->start();
}

void AppController::handleTimer()
{
    m_timerProcActive = true;
    updateMemoryStats();
    m_timerProcActive = false;
}

bool AppController::applicationShouldTerminate()
{
    if (m_timer)
        m_timer->stop();
    // Samples run on this thread, so none can be half-way here; the flag stays for callers
    // that reach this from a nested event loop inside a sample.
    while (m_timerProcActive)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
    QMutexLocker locker(&applicationLock());
    if (m_optUpdatesAppIcon)
        QApplication::setWindowIcon(m_originalIcon);
    return true;
}

void AppController::updateMemoryStats()
{
    try {
        const QString text = m_platform->vmStatText();
        static const QString eight = patternText(VmStatPattern::EightGroups);
        static const QString seven = patternText(VmStatPattern::SevenGroups);
        const QStringList values =
                Kesh::quickMatches(text, m_pattern == VmStatPattern::EightGroups ? eight : seven);
        const std::optional<MemoryFigures> figures = figuresFromValues(values, m_pattern);
        if (!figures)
            return; // no match: keep the previous sample, try again at the next tick

        setFree(figures->Free);
        setActive(figures->Active);
        setInactive(figures->Inactive);
        setWired(figures->Wired);
        m_ins = figures->Ins;
        m_outs = figures->Outs;

        const QString freeText = megabytesText(figures->Free);
        const QString inactiveText = megabytesText(figures->Inactive);
        const QString wiredText = megabytesText(figures->Wired);
        const QString activeText = megabytesText(figures->Active);
        if (freeInfo)
            freeInfo->setText(freeText);
        if (inactiveInfo)
            inactiveInfo->setText(inactiveText);
        if (wiredInfo)
            wiredInfo->setText(wiredText);
        if (activeInfo)
            activeInfo->setText(activeText);
        if (logger)
            logger->addItem(freeText, inactiveText, wiredText, activeText);

        m_totalUnused = figures->TotalUnused;
        m_totalRam = figures->totalRam;
        if (ramView)
            ramView->setText(gigabytesText(m_totalRam));

        if (statsView)
            statsView->update();

        if (m_iconCounter < 1) {
            m_iconCounter = 3;
            QMutexLocker locker(&applicationLock());
            refreshIcons();
        }
        --m_iconCounter;
        emit sampled();
    } catch (const std::exception &) {
        // A failed sample ends silently; the next tick tries again.
    }
}
