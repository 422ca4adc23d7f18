#pragma once
// The subcommands of corvane-cli that use the controller's FTP side: moving a
// controller file, the firmware upgrade, and the update check.

#include "commands.h"

#include <span>

namespace corvane::cli {

std::span<const Command> FileCommands();

} // namespace corvane::cli
