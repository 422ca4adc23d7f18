#pragma once
// The subcommands of corvane-cli.

#include <span>
#include <string>
#include <string_view>

namespace corvane::cli {

struct Command {
    std::string_view name;
    std::string_view synopsis; // the usage line after "corvane-cli "
    std::string_view summary;  // one line for the command list
    std::string_view help;     // the text of "--help"
    int (*run)(std::span<const std::string> args);
};

std::span<const Command> Commands();

// Exit codes; diff uses 0, 1 and 2 for equal, different and failed.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kDiffDifferent = 1;
inline constexpr int kDiffFailure = 2;

} // namespace corvane::cli
