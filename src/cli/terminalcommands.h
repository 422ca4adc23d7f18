#pragma once
// The subcommands of corvane-cli that run the terminal: an interactive line
// prompt, and a macro run headless to its end.

#include "commands.h"

#include <span>

namespace corvane::cli {

std::span<const Command> TerminalCommands();

} // namespace corvane::cli
