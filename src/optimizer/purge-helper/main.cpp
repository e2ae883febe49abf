// kalvoren-purge: gives the page cache back and compacts memory before an optimization.
// Runs as root, directly or through pkexec (action org.kalvoren.Kalvoren.purge).
#include "PurgeHelper.h"

#include <cstdio>

int main(int argc, char **argv)
{
    std::vector<std::string_view> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.emplace_back(argv[i]);
    const Kalvoren::PurgeArguments checked = Kalvoren::checkPurgeArguments(arguments);
    if (!checked.ok) {
        std::fprintf(stderr, "kalvoren-purge: %s\n", checked.error.c_str());
        return 2;
    }
    const std::vector<std::string> failures =
            Kalvoren::runPurge(checked.request, "/proc/sys/vm");
    for (const std::string &failure : failures)
        std::fprintf(stderr, "kalvoren-purge: %s\n", failure.c_str());
    return failures.empty() ? 0 : 1;
}
