#include "PurgeHelper.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace Kalvoren {
namespace {

// Writes text to an existing file; the error text is empty on success. errnoOut gets errno.
std::string writeFile(const std::string &path, std::string_view text, int *errnoOut)
{
    *errnoOut = 0;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        *errnoOut = errno;
        return "cannot open " + path + ": " + std::strerror(errno);
    }
    std::string error;
    ssize_t written = -1;
    do {
        written = ::write(fd, text.data(), text.size());
    } while (written < 0 && errno == EINTR);
    if (written != ssize_t(text.size())) {
        *errnoOut = written < 0 ? errno : EIO;
        error = "cannot write " + path + ": " + std::strerror(*errnoOut);
    }
    ::close(fd);
    return error;
}

} // namespace

PurgeArguments checkPurgeArguments(const std::vector<std::string_view> &arguments)
{
    PurgeArguments result;
    bool sawCaches = false;
    bool sawNoCompact = false;
    for (const std::string_view argument : arguments) {
        if (argument == "--no-compact" && !sawNoCompact) {
            sawNoCompact = true;
            result.request.compact = false;
        } else if (argument.size() == 10 && argument.substr(0, 9) == "--caches="
                   && argument[9] >= '1' && argument[9] <= '3' && !sawCaches) {
            sawCaches = true;
            result.request.dropCaches = argument[9] - '0';
        } else {
            result.error = "unexpected argument '" + std::string(argument)
                    + "' (usage: kalvoren-purge [--caches=1|2|3] [--no-compact])";
            return result;
        }
    }
    result.ok = true;
    return result;
}

std::vector<std::string> runPurge(const PurgeRequest &request, const std::string &vmDirectory)
{
    std::vector<std::string> failures;
    // Dirty pages cannot be dropped; write them out first.
    ::sync();
    int error = 0;
    const char level[] = { char('0' + request.dropCaches), '\n' };
    std::string message = writeFile(vmDirectory + "/drop_caches",
                                    std::string_view(level, sizeof level), &error);
    if (!message.empty())
        failures.push_back(message);
    if (request.compact) {
        message = writeFile(vmDirectory + "/compact_memory", "1\n", &error);
        if (!message.empty() && error != ENOENT)
            failures.push_back(message);
    }
    return failures;
}

} // namespace Kalvoren
