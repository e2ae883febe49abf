#pragma once

#include "platform/MemorySample.h"

#include <QByteArrayView>

#include <optional>

namespace Kalvoren {

// /proc/pressure/memory (Documentation/accounting/psi.rst):
//   some avg10=0.00 avg60=0.00 avg300=0.00 total=0
//   full avg10=0.00 avg60=0.00 avg300=0.00 total=0
// Fields are read by name. Empty without a complete "some" line; "full" is optional (kernels
// before 5.13 print no full line for the CPU, and containers may hide it).
std::optional<MemoryPressure> parsePressure(QByteArrayView text);

} // namespace Kalvoren
