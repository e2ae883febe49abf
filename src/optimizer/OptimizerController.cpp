#include "OptimizerController.h"

#include "optimizer/PurgeSettings.h"
#include "platform/Platform.h"
#include "stats/MemoryFigures.h"

#include <QDebug>
#include <QMetaObject>

#include <chrono>
#include <typeinfo>

namespace Kalvoren {

OptimizerController::OptimizerController(Platform &platform, QObject *parent)
    : QObject(parent)
    , m_platform(platform)
{
}

OptimizerController::~OptimizerController()
{
    m_cancelRequest.store(true);
    joinWorker();
}

void OptimizerController::joinWorker()
{
    if (m_worker.joinable())
        m_worker.join();
}

bool OptimizerController::start(const Options &options)
{
    if (m_running.exchange(true))
        return false;
    joinWorker(); // the previous run's thread has handed its end over already
    m_touchedBytes.store(0);
    m_plannedBytes.store(0);
    m_workerDone.store(false);
    m_worker = std::thread([this, options] { run(options); });
    return true;
}

bool OptimizerController::waitForWorker(int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!m_workerDone.load()) {
        if (timeoutMs >= 0 && std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    joinWorker();
    m_lastResult = m_workerResult;
    return true;
}

void OptimizerController::run(Options options)
{
    OptimizerResult result;
    try {
        const PurgeElevation elevation = options.elevation.value_or(purgeElevationSetting());
        OptimizerEnvironment environment;
        if (options.purge)
            environment.purge = [this, elevation] { return m_platform.purge(elevation); };
        environment.sum = [this] {
            if (m_sumSource)
                return m_sumSource();
            const std::optional<MemorySample> sample = m_platform.readMemory();
            if (!sample)
                return quint64(0);
            const MemoryFigures figures = figuresFromSample(*sample);
            return optimizerSum(figures.Free, figures.Inactive);
        };
        environment.frameworkVersion = m_platform.frameworkVersion();
        environment.room = [this] { return m_platform.memoryRoom(); };
        environment.allocator = m_allocator;
        environment.planned = [this](const OptimizerResult &soFar) {
            m_plannedBytes.store(plannedTouchBytes(soFar));
        };
        result = runOptimizer(environment, m_cancelRequest, m_touchedBytes);
    } catch (const std::exception &exception) {
        // runOptimizer frees its blocks before anything can leave it; this is the purge or the
        // figures failing. The run still ends normally.
        qWarning("Exception - Exception %s, Reason %s, ", typeid(exception).name(),
                 exception.what());
    }
    m_workerResult = result;
    QMetaObject::invokeMethod(this, [this, result] { finishRun(result); }, Qt::QueuedConnection);
    m_workerDone.store(true);
}

void OptimizerController::finishRun(const OptimizerResult &result)
{
    joinWorker();
    m_lastResult = result;
    m_cancelRequest.store(false);
    emit finished(result);
    m_running.store(false);
}

} // namespace Kalvoren
