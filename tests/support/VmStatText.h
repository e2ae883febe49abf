#pragma once

#include <QString>

// vm_stat text with 4096-byte pages and the given page counts, for fake platforms.
inline QString vmStatText(qint64 freePages, qint64 activePages, qint64 inactivePages,
                          qint64 wiredPages, qint64 pageins = 0, qint64 pageouts = 0)
{
    return QStringLiteral("Mach Virtual Memory Statistics: (page size of 4096 bytes)\n"
                          "Pages free:                    %1.\n"
                          "Pages active:                  %2.\n"
                          "Pages inactive:                %3.\n"
                          "Pages speculative:             0.\n"
                          "Pages wired down:              %4.\n"
                          "Pageins:                       %5.\n"
                          "Pageouts:                      %6.\n")
            .arg(freePages)
            .arg(activePages)
            .arg(inactivePages)
            .arg(wiredPages)
            .arg(pageins)
            .arg(pageouts);
}
