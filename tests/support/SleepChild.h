#pragma once

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

// A real child process to send signals to: `sleep 30`. Returns its pid, or 0 when it could
// not be started.
inline pid_t spawnSleepChild()
{
    pid_t child = 0;
    char *const argv[] = { const_cast<char *>("sleep"), const_cast<char *>("30"), nullptr };
    return ::posix_spawnp(&child, "sleep", nullptr, nullptr, argv, environ) == 0 ? child : 0;
}

// Reaps the child and tells whether SIGTERM ended it.
inline bool endedBySigterm(pid_t child)
{
    int status = 0;
    return ::waitpid(child, &status, 0) == child && WIFSIGNALED(status)
            && WTERMSIG(status) == SIGTERM;
}
