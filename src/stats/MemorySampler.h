#pragma once

#include "platform/Platform.h"
#include "stats/MemoryFigures.h"

#include <QMutex>
#include <QObject>

#include <optional>

class QTimer;

namespace Kalvoren {

// Reads the system's memory from the platform at start, every two seconds after that and
// whenever asked (an optimization takes a fresh sample before it starts), computes the figures
// once, and hands both to every subscriber: the window's texts, the pie, the log, the icons.
// Subscribers are called in the order they connected. Lives on the main thread; the latest
// sample can be read from any thread.
class MemorySampler : public QObject
{
    Q_OBJECT

public:
    static constexpr int intervalMs = 2000;

    // platform must outlive the sampler.
    explicit MemorySampler(Platform &platform, QObject *parent = nullptr);
    ~MemorySampler() override;

    // Takes the first sample at once, then one every intervalMs.
    void start();
    // No further tick.
    void stop();
    bool isActive() const;

    // One sample now. False when the platform could not be read: nothing is emitted but
    // failed, and the latest sample stays what it was.
    bool sampleNow();

    // The latest good sample and its figures, from any thread. Empty / zeros before the first.
    std::optional<MemorySample> latestSample() const;
    MemoryFigures latestFigures() const;
    // Samples taken, failed ones included.
    int sampleCount() const { return m_count; }

signals:
    void sampled(const Kalvoren::MemorySample &sample, const Kalvoren::MemoryFigures &figures);
    void failed(const Kalvoren::PlatformError &error);

private:
    Platform &m_platform;
    QTimer *m_timer;
    int m_count = 0;
    mutable QMutex m_mutex; // guards the two below for readers on other threads
    std::optional<MemorySample> m_sample;
    MemoryFigures m_figures;
};

} // namespace Kalvoren
