#pragma once

#include <QCoreApplication>

namespace Kalvoren {

// What the platform layer tells users (a refused or failed action, a reading that failed), for
// translating: PlatformText::tr("...").
struct PlatformText
{
    Q_DECLARE_TR_FUNCTIONS(Kalvoren::Platform)
};

} // namespace Kalvoren
