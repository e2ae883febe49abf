#include "app/AppController.h"

#include "optimizer/PurgeSettings.h"
#include "platform/Platform.h"

#include <QDebug>
#include <QMetaObject>
#include <QTimer>

#include <algorithm>

using namespace Kalvoren;

namespace {
// About 30 refreshes a second: smooth to the eye, negligible next to the touching.
constexpr int progressRefreshMs = 33;
}

void AppController::goButton(QObject *sender)
{
    Q_UNUSED(sender);
    if (threadRunning()) {
        setCancelRequest(true);
        return;
    }
    if (showHelper1())
        return; // the notice is up; its OK button starts the run
    deferredGo();
}

void AppController::deferredGo()
{
    if (theMainButton)
        theMainButton->setText(QStringLiteral("Cancel"));
    updateMemoryStats();
    // Raised here rather than by the worker, so a second press before the worker is under
    // way cancels instead of starting a second run.
    setThreadRunning(true);

    // The bar starts at a quarter of the maximum it had before (the interface's maximum
    // before the first run), counted in bytes against the new maximum once it is planned.
    if (!m_progressMaximumKnown) {
        m_progressMaximumBytes.store(m_progress && m_progress->maximum() > 0
                                             ? double(m_progress->maximum()) : 1.0);
        m_progressMaximumKnown = true;
    }
    m_touchedBytes.store(0);
    m_progressStartBytes = 0.25 * m_progressMaximumBytes.load();
    if (m_progress) {
        m_progress->setRange(0, progressScale);
        m_progress->setVisible(true);
    }
    refreshProgress();
    if (!m_progressTimer) {
        m_progressTimer = new QTimer(this);
        m_progressTimer->setInterval(progressRefreshMs);
        connect(m_progressTimer, &QTimer::timeout, this, &AppController::refreshProgress);
    }
    m_progressTimer->start();
    m_optimizerWorker.start([this] { doThread(this); });
}

void AppController::doThread(AppController *controller)
{
    OptimizerResult result;
    try {
        Platform &platform = controller->platform();
        const PurgeElevation elevation = purgeElevationSetting();
        OptimizerEnvironment environment;
        environment.purge = [&platform, elevation] { return platform.purge(elevation); };
        // Read after the purge: a timer sample may have come in meanwhile.
        environment.sum = [controller] {
            return optimizerSum(controller->Free(), controller->Inactive());
        };
        environment.frameworkVersion = platform.frameworkVersion();
        environment.room = [&platform] { return platform.memoryRoom(); };
        // Set on the main thread before this thread started.
        environment.allocator = controller->m_allocator;
        // The bar counts what this run plans to touch on top of where it starts, so that it
        // ends full however far the budget and the reclaimable page cache narrowed the row.
        // The start was set on the main thread before this thread started.
        environment.planned = [controller](const OptimizerResult &soFar) {
            controller->m_progressMaximumBytes.store(controller->m_progressStartBytes
                                                     + double(plannedTouchBytes(soFar)));
        };
        result = runOptimizer(environment, controller->m_cancelRequest,
                              controller->m_touchedBytes);
    } catch (const std::exception &exception) {
        // runOptimizer frees its blocks before anything can leave it; this is the purge or
        // the figures failing. The run still ends normally.
        qWarning("Exception - Exception %s, Reason %s, ", typeid(exception).name(),
                 exception.what());
    }
    // Everything the user sees changes on the main thread, after the touching, in order.
    QMetaObject::invokeMethod(
            controller, [controller, result] { controller->finishRun(result); },
            Qt::QueuedConnection);
}

void AppController::finishRun(const OptimizerResult &result)
{
    if (m_progressTimer)
        m_progressTimer->stop();
    refreshProgress();
    if (m_progress)
        m_progress->setVisible(false);
    m_lastOptimizerResult = result;
    threadFinished();
    setThreadRunning(false);
    // The hidden bar is left full; the next run starts from a quarter of this maximum.
    m_progressStartBytes = m_progressMaximumBytes.load();
    m_touchedBytes.store(0);
    refreshProgress();
}

void AppController::threadFinished()
{
    if (theMainButton)
        theMainButton->setText(QStringLiteral("Optimize Memory"));
    setCancelRequest(false);
    showHelper2();
}

void *AppController::doFree(quint64 size, std::atomic<quint64> &touchedBytes)
{
    return Kalvoren::doFree(size, touchedBytes, BlockAllocator::system());
}

void AppController::pgiInc(QProgressBar *indicator)
{
    // The bar shows the byte counter; a page counted there shows on the next refresh.
    if (indicator && indicator == m_progress)
        m_touchedBytes.fetch_add(touchStride, std::memory_order_relaxed);
}

bool AppController::doInactive(quint32 size, const QString &path,
                               std::atomic<quint64> &progressBytes)
{
    return Kalvoren::doInactive(size, path, progressBytes);
}

double AppController::progressValueBytes() const
{
    return m_progressStartBytes + double(m_touchedBytes.load(std::memory_order_relaxed));
}

void AppController::refreshProgress()
{
    if (!m_progress)
        return;
    const double maximum = m_progressMaximumBytes.load();
    const double fraction = maximum > 0 ? std::clamp(progressValueBytes() / maximum, 0.0, 1.0)
                                        : 0.0;
    m_progress->setValue(int(fraction * progressScale));
}
