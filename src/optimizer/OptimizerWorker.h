#pragma once

#include <atomic>
#include <functional>
#include <thread>

namespace Kalvoren {

// The thread of one optimization at a time. Unlike a detached thread it can be waited for:
// destroying it raises the cancel flag and waits, so a run never outlives what it reads.
class OptimizerWorker
{
public:
    explicit OptimizerWorker(std::atomic<bool> *cancelRequest);
    ~OptimizerWorker();
    OptimizerWorker(const OptimizerWorker &) = delete;
    OptimizerWorker &operator=(const OptimizerWorker &) = delete;

    // Waits for the previous run's thread to return (it has posted its end by then), then
    // starts body on a new thread.
    void start(std::function<void()> body);
    // Waits for the current run; the next block boundary ends it when cancel is raised.
    void join();

private:
    std::atomic<bool> *m_cancelRequest;
    std::thread m_thread;
};

} // namespace Kalvoren
