#include "support/spawn.h"

#include <algorithm>
#include <chrono>
#include <poll.h>
#include <spawn.h>
#include <unistd.h>

extern char** environ;

namespace corvane::testing {

int SpawnReadingLines(std::vector<std::string> args, int lines, std::string& output, int timeoutSeconds)
{
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    int out[2];
    if (pipe(out) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (rc != 0) {
        close(out[0]);
        return -1;
    }
    output.clear();
    const auto count = [&output] { return static_cast<int>(std::count(output.begin(), output.end(), '\n')); };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    while (count() < lines && std::chrono::steady_clock::now() < deadline) {
        pollfd p{out[0], POLLIN, 0};
        if (poll(&p, 1, 100) <= 0)
            continue;
        char buf[256];
        const ssize_t n = read(out[0], buf, sizeof buf);
        if (n <= 0)
            break;
        output.append(buf, static_cast<std::size_t>(n));
    }
    close(out[0]);
    return pid;
}

} // namespace corvane::testing
