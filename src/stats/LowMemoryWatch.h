#pragma once

#include "platform/MemorySample.h"

#include <QtGlobal>

namespace Kalvoren {

// Decides when to warn that memory runs low: when available memory stays under a tenth of the
// total, or the share of time all tasks waited for memory ("full", over 10 s) stays above 10 %,
// for two samples in a row; then at most once in ten minutes.
class LowMemoryWatch
{
public:
    static constexpr qint64 quietMs = 10 * 60 * 1000;
    static constexpr int samplesInARow = 2;

    // True when the sample is low by either measure; a sample that says neither is not.
    static bool isLow(const MemorySample &sample);

    // Feeds the sample taken at nowMs; true when a warning is due now (the caller shows it).
    bool sampleTaken(const MemorySample &sample, qint64 nowMs);

private:
    int m_lowInARow = 0;
    qint64 m_lastWarningMs = -1;
};

} // namespace Kalvoren
