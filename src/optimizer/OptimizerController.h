#pragma once

#include "optimizer/OptimizerRun.h"
#include "platform/MemoryRoom.h"

#include <QObject>

#include <atomic>
#include <functional>
#include <optional>
#include <thread>

namespace Kalvoren {

class Platform;

// One optimization at a time, on a worker thread of its own: purge, plan, blocks, free. The
// desktop program and `kalvoren optimize` both drive their runs through it.
//
// Progress is read, not pushed: the worker adds to a byte counter that a display polls (the
// window about 30 times a second, the terminal ten). The end of a run is handed to the thread
// the controller lives on (finished); a caller without an event loop waits instead.
class OptimizerController : public QObject
{
    Q_OBJECT

public:
    struct Options
    {
        bool purge = true;
        // Who runs the purge when Kalvoren is not root; empty: the saved setting.
        std::optional<PurgeElevation> elevation;
    };

    // platform must outlive the controller.
    explicit OptimizerController(Platform &platform, QObject *parent = nullptr);
    // Asks a running run to stop at the next block boundary and waits for it.
    ~OptimizerController() override;

    // Where S (free + inactive, bytes) comes from, read on the worker after the purge; by
    // default a fresh reading of the platform.
    void setSumSource(std::function<quint64()> source) { m_sumSource = std::move(source); }
    void setBlockAllocator(const BlockAllocator &allocator) { m_allocator = allocator; }

    // Starts a run; false (and nothing happens) when one is already under way.
    bool start(const Options &options);
    bool start() { return start(Options()); }
    // True from start() until the end of the run has been handed over.
    bool isRunning() const { return m_running.load(); }
    // Asks the run to take no further block; the request stands until the run ends.
    void requestCancel() { m_cancelRequest.store(true); }
    bool cancelRequested() const { return m_cancelRequest.load(); }
    // The flag requestCancel() raises, for a signal handler (storing true to it is all a
    // handler may do).
    std::atomic<bool> *cancelFlag() { return &m_cancelRequest; }

    // Bytes touched so far in this run, and what the plan will touch once it is known (0
    // before): a display shows the one against the other.
    quint64 touchedBytes() const { return m_touchedBytes.load(std::memory_order_relaxed); }
    quint64 plannedBytes() const { return m_plannedBytes.load(); }

    // Waits up to timeoutMs (negative: for ever) for the worker to be done; true when it is.
    // lastResult() is then the run's result.
    bool waitForWorker(int timeoutMs = -1);
    OptimizerResult lastResult() const { return m_lastResult; }

signals:
    // The run's end, on the controller's thread, before isRunning() turns false.
    void finished(const Kalvoren::OptimizerResult &result);

private:
    void run(Options options);
    void finishRun(const OptimizerResult &result);
    void joinWorker();

    Platform &m_platform;
    std::function<quint64()> m_sumSource;
    BlockAllocator m_allocator = BlockAllocator::system();
    std::atomic<bool> m_running { false };
    std::atomic<bool> m_cancelRequest { false };
    std::atomic<bool> m_workerDone { true };
    std::atomic<quint64> m_touchedBytes { 0 };
    std::atomic<quint64> m_plannedBytes { 0 };
    OptimizerResult m_workerResult; // written by the worker before m_workerDone
    OptimizerResult m_lastResult;
    std::thread m_worker;
};

} // namespace Kalvoren
