#pragma once

// vm_stat text with known figures: page size 4096, free 31111, active 123457, inactive 54321,
// speculative 1234, wired down 76543. It shows as Free 126.35 MB, Inactive 212.19 MB, Wired
// 299.00 MB, Active 482.25 MB and a total of 1.09 GB.
inline constexpr char workedExample[] =
        "Mach Virtual Memory Statistics: (page size of 4096 bytes)\n"
        "Pages free:                          31111.\n"
        "Pages active:                       123457.\n"
        "Pages inactive:                      54321.\n"
        "Pages speculative:                    1234.\n"
        "Pages wired down:                    76543.\n"
        "Pageins:                            999001.\n"
        "Pageouts:                             2002.\n";
