#pragma once
// Starting a helper process of the tests and reading the lines it announces.

#include <string>
#include <vector>

namespace corvane::testing {

// Starts argv[0] with its stdout on a pipe and reads until `lines` lines have
// come (or the time is up) into `output`; the pid, or -1 when it did not start.
int SpawnReadingLines(std::vector<std::string> args, int lines, std::string& output, int timeoutSeconds = 10);

} // namespace corvane::testing
