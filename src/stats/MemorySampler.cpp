#include "MemorySampler.h"

#include <QTimer>

namespace Kalvoren {

MemorySampler::MemorySampler(Platform &platform, QObject *parent)
    : QObject(parent)
    , m_platform(platform)
    , m_timer(new QTimer(this))
{
    m_timer->setInterval(intervalMs);
    connect(m_timer, &QTimer::timeout, this, [this] { sampleNow(); });
}

MemorySampler::~MemorySampler() = default;

void MemorySampler::start()
{
    sampleNow();
    m_timer->start();
}

void MemorySampler::stop()
{
    m_timer->stop();
}

bool MemorySampler::isActive() const
{
    return m_timer->isActive();
}

bool MemorySampler::sampleNow()
{
    ++m_count;
    PlatformError error;
    const std::optional<MemorySample> sample = m_platform.readMemory(&error);
    if (!sample) {
        // The previous figures stay on show; the next tick tries again.
        emit failed(error);
        return false;
    }
    const MemoryFigures figures = figuresFromSample(*sample);
    {
        QMutexLocker locker(&m_mutex);
        m_sample = sample;
        m_figures = figures;
    }
    emit sampled(*sample, figures);
    return true;
}

std::optional<MemorySample> MemorySampler::latestSample() const
{
    QMutexLocker locker(&m_mutex);
    return m_sample;
}

MemoryFigures MemorySampler::latestFigures() const
{
    QMutexLocker locker(&m_mutex);
    return m_figures;
}

} // namespace Kalvoren
