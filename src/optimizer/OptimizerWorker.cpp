#include "OptimizerWorker.h"

namespace Kalvoren {

OptimizerWorker::OptimizerWorker(std::atomic<bool> *cancelRequest)
    : m_cancelRequest(cancelRequest)
{
}

OptimizerWorker::~OptimizerWorker()
{
    if (m_thread.joinable()) {
        m_cancelRequest->store(true);
        m_thread.join();
    }
}

void OptimizerWorker::start(std::function<void()> body)
{
    join();
    m_thread = std::thread(std::move(body));
}

void OptimizerWorker::join()
{
    if (m_thread.joinable())
        m_thread.join();
}

} // namespace Kalvoren
