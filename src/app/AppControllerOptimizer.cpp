// The optimize button's flow: a press starts a run (after the notice, unless hidden) or asks a
// running one to stop; the end of the run comes back from the optimizer on this thread.
#include "AppController.h"

#include "optimizer/OptimizerController.h"
#include "stats/MemorySampler.h"

using namespace Kalvoren;

bool AppController::optimizationRunning() const
{
    return m_optimizer->isRunning();
}

void AppController::setBlockAllocator(const BlockAllocator &allocator)
{
    m_optimizer->setBlockAllocator(allocator);
}

void AppController::optimizePressed()
{
    if (m_optimizer->isRunning()) {
        m_optimizer->requestCancel();
        return;
    }
    if (showNoticeBeforeRun())
        return; // the notice is up; its OK button starts the run
    startOptimization();
}

void AppController::startOptimization()
{
    // The figures the run plans from are fresh, and the window shows them.
    m_sampler->sampleNow();
    if (!m_optimizer->start())
        return;
    emit optimizationRunningChanged(true);
}

void AppController::optimizationFinished(const OptimizerResult &result)
{
    m_lastOptimizerResult = result;
    emit optimizationRunningChanged(false);
    showNoticeAfterRun();
}
