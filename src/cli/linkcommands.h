#pragma once
// The subcommands of corvane-cli that talk to a controller: contact, read,
// dump, logs and send.

#include "commands.h"

#include <span>

namespace corvane::cli {

std::span<const Command> LinkCommands();

} // namespace corvane::cli
